#include "tables/document_table.h"

#include "tables/table_storage.h"

#include "base/busy.h"
#include "base/characters.h"

#include <QtAlgorithms>

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>

DocumentTable::DocumentTable(TableKind kind, QObject *parent)
    : QObject(parent), m_kind(kind), m_fields(&tableFields(kind))
{
    setObjectName(tableName(kind));
    m_columns.resize(m_fields->size());
    for (qsizetype i = 0; i < m_fields->size(); ++i)
        m_columns[size_t(i)].type = m_fields->at(i).type;
    if (kind == TableKind::POZ)
        m_keyField = fieldIndex(QStringLiteral("P_2B"));
    else if (kind == TableKind::ZPOZ)
        m_keyField = fieldIndex(QStringLiteral("idx_zal"));
}

DocumentTable::~DocumentTable()
{
    clearMaster();
    for (DocumentTable *detail : std::as_const(m_details))
        detail->m_master = nullptr;
}

int DocumentTable::fieldIndex(const QString &name) const
{
    // names are looked up for every cell of an import or a generation: one hash per table kind
    static const auto build = [](TableKind kind) {
        QHash<QString, int> h;
        const QList<FieldDef> &fields = tableFields(kind);
        for (qsizetype i = 0; i < fields.size(); ++i) {
            h.insert(fields.at(i).name, int(i));
            h.insert(fields.at(i).name.toLower(), int(i));
        }
        return h;
    };
    static const QHash<QString, int> byName[4] = {build(TableKind::FAK), build(TableKind::POZ), build(TableKind::ZAM),
                                                  build(TableKind::ZPOZ)};
    const QHash<QString, int> &h = byName[int(m_kind)];
    const auto exact = h.constFind(name); // names mostly come as the table writes them
    if (exact != h.cend())
        return *exact;
    return h.value(name.toLower(), -1);
}

QString DocumentTable::keyText(const QVariant &value)
{
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
        return QString::number(value.toLongLong());
    return value.toString();
}

bool DocumentTable::isNullAt(int row, int field) const
{
    return m_columns[field].isNull(row);
}

QVariant DocumentTable::valueAt(int row, int field) const
{
    return m_columns[field].get(row);
}

QString DocumentTable::stringAt(int row, int field) const
{
    const Column &c = m_columns[field];
    return c.type == FieldType::String ? c.string(row) : keyText(c.get(row));
}

QStringView DocumentTable::stringViewAt(int row, int field) const
{
    const Column &c = m_columns[field];
    return c.type == FieldType::String ? c.view(row) : QStringView();
}

qint64 DocumentTable::intAt(int row, int field) const
{
    const Column &c = m_columns[field];
    if (c.type != FieldType::Integer)
        return 0;
    return c.used ? c.ints[row] : kNullInt;
}

double DocumentTable::floatAt(int row, int field) const
{
    const Column &c = m_columns[field];
    return c.type == FieldType::Float && c.used && !c.floatNull[row] ? c.floats[row] : 0.0;
}

qint64 DocumentTable::dayAt(int row, int field) const
{
    const Column &c = m_columns[field];
    if (c.type != FieldType::Date || !c.used || c.dates[row] == kNullDate)
        return std::numeric_limits<qint64>::min();
    return c.dates[row];
}

DocumentTable::Record DocumentTable::recordAt(int row) const
{
    Record r;
    r.reserve(fieldCount());
    for (int f = 0; f < fieldCount(); ++f)
        r.append(m_columns[f].get(row));
    return r;
}

bool DocumentTable::isFrozen() const
{
    return m_busy && m_busy->isBusy();
}

// The user's change while a long command runs: a path the window should have closed.
bool DocumentTable::refusedWhileBusy() const
{
    if (!isFrozen())
        return false;
    Q_ASSERT_X(!assertOnFrozenChange, "DocumentTable", "the user's change while a command runs");
    return true;
}

int DocumentTable::recordCount() const
{
    if (!m_master)
        return m_rowCount - m_erased;
    return m_range ? int(m_range->size()) : 0;
}

int DocumentTable::presentedRow(int position) const
{
    if (position < 0 || position >= recordCount())
        return -1;
    return m_master ? (*m_range)[position] : rowOfPosition(position);
}

int DocumentTable::positionOfStoredRow(int row) const
{
    if (row < 0 || row >= m_rowCount || isErased(row))
        return -1;
    if (!m_master)
        return positionOfRow(row);
    if (!m_range)
        return -1;
    const auto found = std::find(m_range->begin(), m_range->end(), row);
    return found == m_range->end() ? -1 : int(found - m_range->begin());
}

bool DocumentTable::isErased(int row) const
{
    return isMarked(m_erasedBits, size_t(row));
}

int DocumentTable::rowOfPosition(int position) const
{
    if (m_erased == 0)
        return position;
    // a walk in order (a writer, a sum, a grid painting down) moves on from the last answer
    int row = -1;
    int remaining = position;
    if (m_cachePosition >= 0 && position >= m_cachePosition && position - m_cachePosition < 64) {
        row = m_cacheRow;
        remaining = position - m_cachePosition;
        while (remaining > 0) {
            ++row;
            if (!isErased(row))
                --remaining;
        }
    } else {
        // whole blocks first, then whole words, then the bits of one word
        size_t block = 0;
        for (;; ++block) {
            const int first = int(block << kBlockBits);
            const int live = std::min(1 << kBlockBits, m_rowCount - first) - m_erasedInBlock[block];
            if (remaining < live)
                break;
            remaining -= live;
        }
        size_t word = block * kWordsPerBlock;
        for (;; ++word) {
            const int first = int(word * 64);
            const int rowsInWord = std::min(64, m_rowCount - first);
            const quint64 valid = rowsInWord == 64 ? ~quint64(0) : (quint64(1) << rowsInWord) - 1;
            const int live = qPopulationCount(~m_erasedBits[word] & valid);
            if (remaining < live)
                break;
            remaining -= live;
        }
        row = int(word * 64);
        for (;; ++row) {
            if (!isErased(row) && remaining-- == 0)
                break;
        }
    }
    m_cachePosition = position;
    m_cacheRow = row;
    return row;
}

int DocumentTable::positionOfRow(int row) const
{
    if (m_erased == 0)
        return row;
    const size_t block = size_t(row) >> kBlockBits;
    int erased = 0;
    for (size_t b = 0; b < block; ++b)
        erased += m_erasedInBlock[b];
    const size_t word = size_t(row) / 64;
    for (size_t w = block * kWordsPerBlock; w < word; ++w)
        erased += qPopulationCount(m_erasedBits[w]);
    erased += qPopulationCount(m_erasedBits[word] & ((quint64(1) << (row % 64)) - 1));
    return row - erased;
}

QVariant DocumentTable::convert(int field, const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    const FieldDef &def = m_fields->at(field);
    switch (def.type) {
    case FieldType::String: {
        QString s = value.typeId() == QMetaType::QDate ? value.toDate().toString(Qt::ISODate) : value.toString();
        if (s.size() > def.size)
            s.truncate(Characters::first(s, def.size).size());
        return s;
    }
    case FieldType::Float:
        return value.toDouble();
    case FieldType::Date:
        return value.toDate();
    case FieldType::Boolean:
        return value.toBool();
    case FieldType::Integer:
        return value.toLongLong();
    }
    return QVariant();
}

QVariant DocumentTable::value(int field) const
{
    if (field < 0 || field >= fieldCount())
        return QVariant();
    if (m_state == State::Insert)
        return m_columns[field].get(m_rowCount);
    if (m_state == State::Edit)
        return m_buffer.at(field);
    const int row = presentedRow(m_pos);
    return row < 0 ? QVariant() : m_columns[field].get(row);
}

void DocumentTable::setValue(int field, const QVariant &value)
{
    if (field < 0 || field >= fieldCount() || refusedWhileBusy())
        return;
    if (m_state == State::Browse && !edit())
        return;
    if (m_state == State::Insert)
        storeValue(m_rowCount, field, convert(field, value));
    else
        m_buffer[field] = convert(field, value);
}

// A worker's value goes to the record it is adding; otherwise the typed setters are the
// user's setValue.
void DocumentTable::writeRow(int row, int field, const QVariant &value)
{
    storeValue(row, field, convert(field, value));
}

void DocumentTable::setText(int field, QStringView text)
{
    if (field < 0 || field >= fieldCount())
        return;
    const bool inPlace = m_appending || m_state == State::Insert;
    if (!inPlace || m_columns[field].type != FieldType::String) {
        if (m_appending)
            writeRow(m_rowCount, field, text.toString());
        else
            setValue(field, text.toString());
        return;
    }
    if (!m_appending && refusedWhileBusy())
        return;
    m_columns[field].setString(m_rowCount, Characters::first(text, m_fields->at(field).size));
}

// A typed value of a worker's record goes straight to its column (no QVariant per cell on
// the import's path); otherwise it is the user's setValue.
void DocumentTable::setTyped(int field, const QVariant &value)
{
    if (m_appending)
        writeRow(m_rowCount, field, value);
    else
        setValue(field, value);
}

void DocumentTable::setFloat(int field, double value)
{
    if (field < 0 || field >= fieldCount())
        return;
    if (m_appending && m_columns[field].type == FieldType::Float)
        m_columns[field].setFloat(m_rowCount, value);
    else if (!m_appending && m_state == State::Insert && m_columns[field].type == FieldType::Float &&
             !refusedWhileBusy())
        m_columns[field].setFloat(m_rowCount, value);
    else
        setTyped(field, value);
}

void DocumentTable::setDate(int field, const QDate &value)
{
    if (field < 0 || field >= fieldCount())
        return;
    if (m_appending && m_columns[field].type == FieldType::Date) {
        if (value.isValid())
            m_columns[field].setDate(m_rowCount, qint32(value.toJulianDay()));
        else
            m_columns[field].setNull(m_rowCount);
        return;
    }
    setTyped(field, value.isValid() ? QVariant(value) : QVariant());
}

void DocumentTable::setBoolean(int field, bool value)
{
    if (field < 0 || field >= fieldCount())
        return;
    if (m_appending && m_columns[field].type == FieldType::Boolean)
        m_columns[field].setBool(m_rowCount, value);
    else
        setTyped(field, value);
}

void DocumentTable::setInteger(int field, qint64 value)
{
    if (field < 0 || field >= fieldCount())
        return;
    if (m_appending && m_columns[field].type == FieldType::Integer)
        m_columns[field].setInt(m_rowCount, value);
    else
        setTyped(field, value);
}

void DocumentTable::setNew(int field, const QVariant &value)
{
    Q_ASSERT(m_appending);
    if (m_appending && field >= 0 && field < fieldCount())
        writeRow(m_rowCount, field, value);
}

QVariant DocumentTable::newValue(int field) const
{
    if (!m_appending || field < 0 || field >= fieldCount())
        return QVariant();
    return m_columns[field].get(m_rowCount);
}

QVariant DocumentTable::anchorValue(int field) const
{
    if (m_lastAppended >= 0 && m_lastAppended < m_rowCount && field >= 0 && field < fieldCount())
        return m_columns[field].get(m_lastAppended);
    return value(field);
}

void DocumentTable::setStoredValue(int row, int field, const QVariant &value)
{
    if (row < 0 || row >= m_rowCount || field < 0 || field >= fieldCount())
        return;
    const bool key = field == m_keyField;
    if (key)
        indexRemove(row);
    writeRow(row, field, value);
    if (key) {
        indexInsert(row);
        m_rangeStale = true;
        refreshRange();
        if (!m_suspended)
            emit reset();
        return;
    }
    if (!m_suspended) {
        const int pos = m_master ? -1 : positionOfRow(row);
        if (pos >= 0 && !isErased(row))
            emit rowChanged(pos);
    }
}

void DocumentTable::beginAppend()
{
    Q_ASSERT(!m_appending);
    if (m_appending)
        abandonAppend();
    // a pending edit of the user's is posted before a worker runs; outside a command it is posted here
    if (m_state != State::Browse && !isFrozen())
        post();
    if (m_state == State::Insert)
        cancel();
    m_appending = true;
    resizeColumns(m_rowCount + 1);
    if (onNewRecord)
        onNewRecord(*this);
}

bool DocumentTable::commitAppend()
{
    if (!m_appending)
        return false;
    if (beforePost && !beforePost(*this)) {
        abandonAppend();
        return false;
    }
    m_appending = false;
    const int row = m_rowCount++;
    if (!m_erasedBits.empty()) {
        m_erasedBits.resize((size_t(m_rowCount) + 63) / 64, 0);
        m_erasedInBlock.resize((size_t(m_rowCount) + (1 << kBlockBits) - 1) >> kBlockBits, 0);
    }
    indexInsert(row);
    refreshRange();
    m_lastAppended = row;
    const int count = recordCount();
    const bool presented = !m_master || (m_range && !m_range->empty() && m_range->back() == row);
    if (presented && !m_suspended)
        emit rowsAppended(count - 1, count - 1);
    if (m_pos < 0 && count > 0) {
        // the first record of an empty table becomes current, as a form expects
        m_pos = 0;
        m_eof = false;
        notifyDetails();
        if (!m_suspended)
            emit currentChanged();
    }
    if (afterPost)
        afterPost(*this);
    return true;
}

void DocumentTable::abandonAppend()
{
    if (!m_appending)
        return;
    m_appending = false;
    resizeColumns(m_rowCount);
}

void DocumentTable::scrolled()
{
    m_eof = false;
    notifyDetails();
    if (!m_suspended)
        emit currentChanged();
    if (afterScroll)
        afterScroll(*this);
}

void DocumentTable::first()
{
    if (m_state != State::Browse)
        post();
    m_pos = recordCount() > 0 ? 0 : -1;
    scrolled();
}

void DocumentTable::next()
{
    if (m_state != State::Browse)
        post();
    if (m_pos + 1 < recordCount()) {
        ++m_pos;
        scrolled();
    } else {
        m_eof = true;
    }
}

bool DocumentTable::moveTo(int position)
{
    if (position < 0 || position >= recordCount())
        return false;
    if (m_state != State::Browse && !post())
        return false;
    if (position == m_pos && !m_eof)
        return true;
    m_pos = position;
    scrolled();
    return true;
}

void DocumentTable::append()
{
    if (refusedWhileBusy())
        return;
    if (m_state != State::Browse)
        post();
    m_state = State::Insert;
    // the new record is written in place, one row past the stored ones
    resizeColumns(m_rowCount + 1);
    if (onNewRecord)
        onNewRecord(*this);
    // the new, empty record is what a form shows now
    if (!m_suspended)
        emit currentChanged();
}

bool DocumentTable::edit()
{
    if (m_state != State::Browse)
        return true;
    if (refusedWhileBusy())
        return false;
    const int row = presentedRow(m_pos);
    if (row < 0)
        return false;
    m_buffer = recordAt(row);
    m_state = State::Edit;
    return true;
}

void DocumentTable::cancel()
{
    const State was = m_state;
    if (was == State::Insert)
        resizeColumns(m_rowCount);
    m_state = State::Browse;
    m_buffer.clear();
    if (m_suspended || was == State::Browse)
        return;
    // a form that showed the new record or the edits shows the stored record again
    if (was == State::Edit && m_pos >= 0)
        emit rowChanged(m_pos);
    emit currentChanged();
}

bool DocumentTable::post()
{
    if (m_state == State::Browse)
        return true;
    if (refusedWhileBusy())
        return false;
    if (beforePost && !beforePost(*this))
        return false;
    if (m_state == State::Insert) {
        const int row = m_rowCount++;
        if (!m_erasedBits.empty()) {
            m_erasedBits.resize((size_t(m_rowCount) + 63) / 64, 0);
            m_erasedInBlock.resize((size_t(m_rowCount) + (1 << kBlockBits) - 1) >> kBlockBits, 0);
        }
        indexInsert(row);
        m_state = State::Browse;
        refreshRange();
        // The new record becomes current where it is presented.
        const int count = recordCount();
        int pos = -1;
        if (!m_master) {
            pos = count - 1;
        } else if (m_range && !m_range->empty() && m_range->back() == row) {
            pos = count - 1;
        }
        if (pos >= 0) {
            m_pos = pos;
            if (!m_suspended)
                emit rowsAppended(pos, pos);
        } else if (m_pos >= count) {
            m_pos = count - 1;
        }
        m_eof = false;
        notifyDetails();
        if (!m_suspended)
            emit currentChanged();
    } else {
        const int row = presentedRow(m_pos);
        const bool keyed = m_keyField >= 0;
        const QVariant oldKey = keyed ? valueAt(row, m_keyField) : QVariant();
        if (keyed)
            indexRemove(row);
        writeRecord(row, m_buffer);
        m_state = State::Browse;
        m_buffer.clear();
        bool keyChanged = false;
        if (keyed) {
            indexInsert(row);
            const QVariant newKey = valueAt(row, m_keyField);
            keyChanged = oldKey.isValid() != newKey.isValid() || keyText(oldKey) != keyText(newKey);
        }
        // the key's entry may have been taken out and put back: the range is looked up again
        refreshRange();
        if (keyChanged) {
            if (m_master && m_pos >= recordCount())
                m_pos = recordCount() - 1;
            if (!m_suspended)
                emit reset();
        } else if (!m_suspended) {
            emit rowChanged(m_pos);
        }
        notifyDetails();
    }
    if (afterPost)
        afterPost(*this);
    return true;
}

bool DocumentTable::remove()
{
    if (refusedWhileBusy())
        return false;
    if (m_state == State::Insert) {
        cancel();
        return true;
    }
    if (m_state == State::Edit)
        cancel();
    const int row = presentedRow(m_pos);
    if (row < 0)
        return false;
    if (beforeDelete && !beforeDelete(*this))
        return false;
    // the rule may have moved or changed things: delete the record that is current now
    const int pos = m_pos;
    const int target = presentedRow(pos);
    if (target < 0)
        return false;
    // a view is told before the row goes, while it can still read it
    if (!m_suspended)
        emit rowAboutToBeRemoved(pos);
    eraseRow(target);
    const int count = recordCount();
    if (m_pos >= count)
        m_pos = count - 1;
    m_eof = false;
    if (!m_suspended)
        emit rowRemoved(pos);
    scrolled();
    if (afterDelete)
        afterDelete(*this);
    return true;
}

int DocumentTable::bookmark() const
{
    return presentedRow(m_pos);
}

void DocumentTable::gotoBookmark(int row)
{
    if (row < 0)
        return;
    if (!m_master) {
        if (row < m_rowCount && !isErased(row))
            moveTo(positionOfRow(row));
        else if (row >= m_rowCount)
            moveTo(recordCount() - 1);
        return;
    }
    if (m_range) {
        const auto it = std::lower_bound(m_range->begin(), m_range->end(), row);
        if (it != m_range->end() && *it == row)
            moveTo(int(it - m_range->begin()));
    }
}

void DocumentTable::suspendViews()
{
    ++m_suspended;
}

void DocumentTable::resumeViews()
{
    if (m_suspended > 0 && --m_suspended == 0) {
        emit reset();
        emit currentChanged();
    }
}
