#include "tables/document_table.h"

#include <algorithm>
#include <limits>

namespace {
constexpr qint32 kNullDate = std::numeric_limits<qint32>::min();
constexpr qint64 kNullInt = std::numeric_limits<qint64>::min();
const std::vector<int> kNoRows;
} // namespace

// Typed storage of one field: no heap object per cell. Strings live in one character arena
// per column; a replaced or deleted string leaves garbage that is compacted when it grows.
struct DocumentTable::Column
{
    FieldType type;
    std::vector<double> floats;
    std::vector<quint8> floatNull;
    std::vector<qint32> dates; // Julian day
    std::vector<qint8> bools;  // -1 null
    std::vector<qint64> ints;
    std::vector<char16_t> chars;
    std::vector<quint64> start;
    std::vector<qint32> length; // -1 null
    size_t garbage = 0;

    void resize(int n)
    {
        switch (type) {
        case FieldType::Float:
            floats.resize(n, 0.0);
            floatNull.resize(n, 1);
            break;
        case FieldType::Date:
            dates.resize(n, kNullDate);
            break;
        case FieldType::Boolean:
            bools.resize(n, -1);
            break;
        case FieldType::Integer:
            ints.resize(n, kNullInt);
            break;
        case FieldType::String:
            start.resize(n, 0);
            length.resize(n, -1);
            break;
        }
    }

    void erase(int row)
    {
        switch (type) {
        case FieldType::Float:
            floats.erase(floats.begin() + row);
            floatNull.erase(floatNull.begin() + row);
            break;
        case FieldType::Date:
            dates.erase(dates.begin() + row);
            break;
        case FieldType::Boolean:
            bools.erase(bools.begin() + row);
            break;
        case FieldType::Integer:
            ints.erase(ints.begin() + row);
            break;
        case FieldType::String:
            if (length[row] > 0)
                garbage += size_t(length[row]);
            start.erase(start.begin() + row);
            length.erase(length.begin() + row);
            break;
        }
    }

    void clear()
    {
        floats.clear();
        floatNull.clear();
        dates.clear();
        bools.clear();
        ints.clear();
        chars.clear();
        start.clear();
        length.clear();
        garbage = 0;
    }

    bool isNull(int row) const
    {
        switch (type) {
        case FieldType::Float:
            return floatNull[row] != 0;
        case FieldType::Date:
            return dates[row] == kNullDate;
        case FieldType::Boolean:
            return bools[row] < 0;
        case FieldType::Integer:
            return ints[row] == kNullInt;
        case FieldType::String:
            return length[row] < 0;
        }
        return true;
    }

    QString string(int row) const
    {
        const qint32 len = length[row];
        if (len <= 0)
            return QString();
        return QString(reinterpret_cast<const QChar *>(chars.data() + start[row]), len);
    }

    QVariant get(int row) const
    {
        if (isNull(row))
            return QVariant();
        switch (type) {
        case FieldType::Float:
            return floats[row];
        case FieldType::Date:
            return QDate::fromJulianDay(dates[row]);
        case FieldType::Boolean:
            return bools[row] != 0;
        case FieldType::Integer:
            return ints[row];
        case FieldType::String:
            return string(row);
        }
        return QVariant();
    }

    void set(int row, const QVariant &v)
    {
        const bool null = !v.isValid() || v.isNull();
        switch (type) {
        case FieldType::Float:
            floatNull[row] = null ? 1 : 0;
            floats[row] = null ? 0.0 : v.toDouble();
            break;
        case FieldType::Date:
            dates[row] = null ? kNullDate : qint32(v.toDate().toJulianDay());
            break;
        case FieldType::Boolean:
            bools[row] = null ? -1 : (v.toBool() ? 1 : 0);
            break;
        case FieldType::Integer:
            ints[row] = null ? kNullInt : v.toLongLong();
            break;
        case FieldType::String: {
            if (length[row] > 0)
                garbage += size_t(length[row]);
            if (null) {
                length[row] = -1;
                break;
            }
            const QString s = v.toString();
            start[row] = chars.size();
            length[row] = qint32(s.size());
            chars.insert(chars.end(), reinterpret_cast<const char16_t *>(s.utf16()),
                         reinterpret_cast<const char16_t *>(s.utf16()) + s.size());
            if (garbage > 4096 && garbage > chars.size() / 2)
                compact();
            break;
        }
        }
    }

    void compact()
    {
        std::vector<char16_t> packed;
        packed.reserve(chars.size() - garbage);
        for (size_t r = 0; r < start.size(); ++r) {
            if (length[r] <= 0)
                continue;
            const quint64 from = start[r];
            start[r] = packed.size();
            packed.insert(packed.end(), chars.begin() + qint64(from), chars.begin() + qint64(from) + length[r]);
        }
        chars.swap(packed);
        garbage = 0;
    }
};

DocumentTable::DocumentTable(TableKind kind, QObject *parent)
    : QObject(parent), m_kind(kind), m_fields(&tableFields(kind))
{
    setObjectName(tableName(kind));
    m_columns.resize(m_fields->size());
    for (qsizetype i = 0; i < m_fields->size(); ++i)
        m_columns[i].type = m_fields->at(i).type;
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
    if (c.type != FieldType::String)
        return QStringView();
    const qint32 len = c.length[row];
    return len <= 0 ? QStringView() : QStringView(c.chars.data() + c.start[row], len);
}

qint64 DocumentTable::intAt(int row, int field) const
{
    const Column &c = m_columns[field];
    return c.type == FieldType::Integer ? c.ints[row] : 0;
}

double DocumentTable::floatAt(int row, int field) const
{
    const Column &c = m_columns[field];
    return c.type == FieldType::Float && !c.floatNull[row] ? c.floats[row] : 0.0;
}

DocumentTable::Record DocumentTable::recordAt(int row) const
{
    Record r;
    r.reserve(fieldCount());
    for (int f = 0; f < fieldCount(); ++f)
        r.append(m_columns[f].get(row));
    return r;
}

int DocumentTable::recordCount() const
{
    if (!m_master)
        return m_rowCount;
    return m_range ? int(m_range->size()) : 0;
}

int DocumentTable::presentedRow(int position) const
{
    if (position < 0 || position >= recordCount())
        return -1;
    return m_master ? (*m_range)[position] : position;
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
            s.truncate(def.size);
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
    if (m_state != State::Browse)
        return m_buffer.at(field);
    const int row = presentedRow(m_pos);
    return row < 0 ? QVariant() : m_columns[field].get(row);
}

void DocumentTable::setValue(int field, const QVariant &value)
{
    if (field < 0 || field >= fieldCount())
        return;
    if (m_state == State::Browse && !edit())
        return;
    m_buffer[field] = convert(field, value);
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
    if (m_state != State::Browse)
        post();
    m_state = State::Insert;
    m_buffer = Record(fieldCount());
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
    const int row = presentedRow(m_pos);
    if (row < 0)
        return false;
    m_buffer = recordAt(row);
    m_state = State::Edit;
    return true;
}

void DocumentTable::cancel()
{
    const bool inserting = m_state == State::Insert;
    m_state = State::Browse;
    m_buffer.clear();
    // a form that showed the new record shows the current one again
    if (inserting && !m_suspended)
        emit currentChanged();
}

bool DocumentTable::post()
{
    if (m_state == State::Browse)
        return true;
    if (beforePost && !beforePost(*this))
        return false;
    if (m_state == State::Insert) {
        const int row = m_rowCount++;
        for (Column &c : m_columns)
            c.resize(m_rowCount);
        writeRecord(row, m_buffer);
        indexInsert(row);
        m_state = State::Browse;
        m_buffer.clear();
        refreshRange();
        // The new record becomes current where it is presented.
        const int count = recordCount();
        int pos = -1;
        if (!m_master) {
            pos = row;
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
            indexRemove(row, false);
        writeRecord(row, m_buffer);
        m_state = State::Browse;
        m_buffer.clear();
        bool keyChanged = false;
        if (keyed) {
            indexInsert(row);
            const QVariant newKey = valueAt(row, m_keyField);
            keyChanged = oldKey.isValid() != newKey.isValid() || keyText(oldKey) != keyText(newKey);
        }
        if (keyChanged) {
            refreshRange();
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

void DocumentTable::truncate(int rows)
{
    if (m_state != State::Browse)
        cancel();
    // from the end: nothing after a removed row is left to shift
    while (m_rowCount > std::max(rows, 0)) {
        const int row = m_rowCount - 1;
        indexRemove(row, false);
        for (Column &c : m_columns)
            c.erase(row);
        --m_rowCount;
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

void DocumentTable::empty()
{
    cancel();
    for (Column &c : m_columns)
        c.clear();
    m_rowCount = 0;
    m_index.clear();
    refreshRange();
    m_pos = -1;
    m_eof = false;
    notifyDetails();
    if (!m_suspended) {
        emit reset();
        emit currentChanged();
    }
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
        moveTo(std::min(row, m_rowCount - 1));
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

void DocumentTable::writeRecord(int row, const Record &record)
{
    for (int f = 0; f < fieldCount(); ++f)
        m_columns[f].set(row, record.value(f));
}

void DocumentTable::eraseRow(int row)
{
    indexRemove(row, true);
    for (Column &c : m_columns)
        c.erase(row);
    --m_rowCount;
    refreshRange();
}

void DocumentTable::indexInsert(int row)
{
    if (m_keyField < 0 || isNullAt(row, m_keyField))
        return;
    std::vector<int> &rows = m_index[keyText(valueAt(row, m_keyField))];
    // rows keep their addition order within a key
    rows.insert(std::upper_bound(rows.begin(), rows.end(), row), row);
}

void DocumentTable::indexRemove(int row, bool shift)
{
    if (m_keyField < 0)
        return;
    if (!isNullAt(row, m_keyField)) {
        const auto it = m_index.find(keyText(valueAt(row, m_keyField)));
        if (it != m_index.end()) {
            std::vector<int> &rows = *it;
            const auto at = std::lower_bound(rows.begin(), rows.end(), row);
            if (at != rows.end() && *at == row)
                rows.erase(at);
            if (rows.empty())
                m_index.erase(it);
        }
    }
    if (shift) {
        for (auto it = m_index.begin(); it != m_index.end(); ++it)
            for (int &r : *it)
                if (r > row)
                    --r;
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
    m_range = m_linkKeyNull ? &kNoRows : &rowsWithKey(m_linkKey);
}

void DocumentTable::masterMoved()
{
    if (m_state != State::Browse)
        post();
    const QVariant key = m_master ? m_master->value(m_masterField) : QVariant();
    m_linkKeyNull = !key.isValid();
    m_linkKey = m_linkKeyNull ? QString() : keyText(key);
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
    m_pos = row >= 0 ? row : (m_rowCount > 0 ? 0 : -1);
    m_eof = false;
    if (!m_suspended) {
        emit reset();
        emit currentChanged();
    }
}
