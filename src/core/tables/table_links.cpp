// The link of a detail table to its master (invoice lines to invoices, order lines to orders):
// the key index, the range of a master's details and the notices between them.
#include "tables/table_storage.h"

void DocumentTable::indexInsert(int row)
{
    if (m_keyField < 0 || isNullAt(row, m_keyField))
        return;
    // the lines of one document come one after another: the key of the last insertion is
    // kept with its rows, valid while no key has come or gone since
    const bool text = m_columns[size_t(m_keyField)].type == FieldType::String;
    const bool same = m_lastRows && m_lastShape == m_indexShape &&
                      (text ? QStringView(m_lastKey) == stringViewAt(row, m_keyField)
                            : m_lastKey == keyText(valueAt(row, m_keyField)));
    if (!same) {
        const QString key = text ? stringViewAt(row, m_keyField).toString() : keyText(valueAt(row, m_keyField));
        auto it = m_index.find(key);
        if (it == m_index.end()) {
            it = m_index.insert(key, {});
            ++m_indexShape;
        }
        m_lastKey = key;
        m_lastRows = &*it;
        m_lastShape = m_indexShape;
    }
    std::vector<int> &rows = *m_lastRows;
    // rows keep their addition order within a key
    if (rows.empty() || rows.back() < row)
        rows.push_back(row);
    else
        rows.insert(std::upper_bound(rows.begin(), rows.end(), row), row);
}

void DocumentTable::indexRemove(int row)
{
    if (m_keyField < 0 || isNullAt(row, m_keyField))
        return;
    const auto it = m_index.find(keyText(valueAt(row, m_keyField)));
    if (it == m_index.end())
        return;
    std::vector<int> &rows = *it;
    const auto at = std::lower_bound(rows.begin(), rows.end(), row);
    if (at != rows.end() && *at == row)
        rows.erase(at);
    if (rows.empty()) {
        m_index.erase(it);
        ++m_indexShape;
    }
}

const std::vector<int> &DocumentTable::rowsWithKey(const QString &key) const
{
    const auto it = m_index.constFind(key);
    return it == m_index.cend() ? kNoRows : *it;
}

QString DocumentTable::masterKey() const
{
    return m_master ? keyText(m_master->value(m_masterField)) : QString();
}

void DocumentTable::refreshRange()
{
    if (!m_master) {
        m_range = nullptr;
        return;
    }
    // the range stays where it is while the same key is linked and no key came or went
    if (m_range && m_rangeShape == m_indexShape && !m_rangeStale)
        return;
    m_range = m_linkKeyNull ? &kNoRows : &rowsWithKey(m_linkKey);
    m_rangeShape = m_indexShape;
    m_rangeStale = false;
}

void DocumentTable::masterMoved()
{
    if (m_state != State::Browse)
        post();
    const QVariant key = m_master ? m_master->value(m_masterField) : QVariant();
    m_linkKeyNull = !key.isValid();
    m_linkKey = m_linkKeyNull ? QString() : keyText(key);
    m_rangeStale = true;
    refreshRange();
    m_pos = recordCount() > 0 ? 0 : -1;
    m_eof = false;
    if (!m_suspended) {
        emit reset();
        emit currentChanged();
    }
    notifyDetails();
    if (afterScroll)
        afterScroll(*this);
}

void DocumentTable::notifyDetails()
{
    for (DocumentTable *detail : std::as_const(m_details))
        detail->masterMoved();
}

void DocumentTable::setMaster(DocumentTable *master, const QString &masterField, const QString &detailField)
{
    clearMaster();
    if (!master || fieldIndex(detailField) != m_keyField)
        return;
    m_master = master;
    m_masterField = master->fieldIndex(masterField);
    master->m_details.append(this);
    masterMoved();
}

void DocumentTable::clearMaster()
{
    if (!m_master)
        return;
    const int row = presentedRow(m_pos);
    m_master->m_details.removeAll(this);
    m_master = nullptr;
    m_range = nullptr;
    // with the link off every record is presented: stay on the record that was current
    m_pos = row >= 0 ? positionOfRow(row) : (recordCount() > 0 ? 0 : -1);
    m_eof = false;
    if (!m_suspended) {
        emit reset();
        emit currentChanged();
    }
}
