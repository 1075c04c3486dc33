// Rows as stored: writing whole records and values, deleting (a mark first, the rows dropped
// later), cutting the tables back.
#include "tables/table_storage.h"

#include "base/busy.h"

void DocumentTable::truncate(int rows)
{
    abandonAppend();
    if (m_state != State::Browse)
        cancel();
    dropDeletedRows();
    m_lastAppended = -1;
    const int keep = std::max(rows, 0);
    for (int row = m_rowCount - 1; row >= keep; --row)
        indexRemove(row);
    if (keep < m_rowCount) {
        m_rowCount = keep;
        resizeColumns(keep);
    }
    refreshRange();
    if (m_pos >= recordCount())
        m_pos = recordCount() - 1;
    notifyDetails();
    if (!m_suspended) {
        emit reset();
        emit currentChanged();
    }
}

void DocumentTable::dropFirst(int rows)
{
    abandonAppend();
    if (m_state != State::Browse)
        cancel();
    dropDeletedRows();
    m_lastAppended = -1;
    const int n = std::min(std::max(rows, 0), m_rowCount);
    if (n == 0)
        return;
    const int current = bookmark();
    for (int row = 0; row < n; ++row)
        eraseRow(row);
    dropDeletedRows();
    refreshRange();
    if (!m_master)
        m_pos = current >= n ? current - n : (recordCount() > 0 ? 0 : -1);
    else if (m_pos >= recordCount())
        m_pos = recordCount() - 1;
    m_eof = false;
    notifyDetails();
    if (!m_suspended) {
        emit reset();
        emit currentChanged();
    }
}

void DocumentTable::empty()
{
    if (refusedWhileBusy())
        return;
    cancel();
    for (Column &c : m_columns)
        c.clear();
    m_rowCount = 0;
    m_erased = 0;
    m_erasedBits.clear();
    m_erasedInBlock.clear();
    m_cachePosition = -1;
    m_lastAppended = -1;
    m_index.clear();
    ++m_indexShape;
    refreshRange();
    m_pos = -1;
    m_eof = false;
    notifyDetails();
    if (!m_suspended) {
        emit reset();
        emit currentChanged();
    }
}

// Marks the row; its cells stay where they are until the stored rows are counted.
void DocumentTable::eraseRow(int row)
{
    indexRemove(row);
    if (m_erasedBits.empty()) {
        m_erasedBits.assign((size_t(m_rowCount) + 63) / 64, 0);
        m_erasedInBlock.assign((size_t(m_rowCount) + (1 << kBlockBits) - 1) >> kBlockBits, 0);
    }
    m_erasedBits[size_t(row) / 64] |= quint64(1) << (row % 64);
    ++m_erasedInBlock[size_t(row) >> kBlockBits];
    ++m_erased;
    m_cachePosition = -1;
    refreshRange();
}

void DocumentTable::dropDeletedRows()
{
    if (m_erased == 0)
        return;

    // the link index holds stored rows: each moves down by the deleted rows before it
    std::vector<int> moved(size_t(m_rowCount) + 1);
    int erased = 0;
    for (int r = 0; r < m_rowCount; ++r) {
        moved[size_t(r)] = r - erased;
        if (isErased(r))
            ++erased;
    }
    moved[size_t(m_rowCount)] = m_rowCount - erased; // the record being added, if any
    for (auto it = m_index.begin(); it != m_index.end(); ++it)
        for (int &r : *it)
            r = moved[size_t(r)];
    for (Column &c : m_columns)
        c.dropRows(m_erasedBits);
    m_rowCount -= m_erased;
    m_erased = 0;
    m_erasedBits.clear();
    m_erasedInBlock.clear();
    m_cachePosition = -1;
    m_lastAppended = m_lastAppended >= 0 && m_lastAppended < int(moved.size()) - 1 ? moved[size_t(m_lastAppended)] : -1;
    m_rangeStale = true;
    refreshRange(); // positions count live records: the current one keeps its place
}

void DocumentTable::writeRecord(int row, const Record &record)
{
    for (int f = 0; f < fieldCount(); ++f)
        storeValue(row, f, record.value(f));
}

void DocumentTable::storeValue(int row, int field, const QVariant &v)
{
    Column &c = m_columns[field];
    if (!v.isValid() || v.isNull()) {
        c.setNull(row);
        return;
    }
    switch (c.type) {
    case FieldType::Float:
        c.setFloat(row, v.toDouble());
        break;
    case FieldType::Date:
        if (v.toDate().isValid())
            c.setDate(row, qint32(v.toDate().toJulianDay()));
        else
            c.setNull(row);
        break;
    case FieldType::Boolean:
        c.setBool(row, v.toBool());
        break;
    case FieldType::Integer:
        c.setInt(row, v.toLongLong());
        break;
    case FieldType::String:
        c.setString(row, v.toString());
        break;
    }
}

void DocumentTable::resizeColumns(int rows)
{
    for (Column &c : m_columns)
        c.resize(size_t(rows));
}
