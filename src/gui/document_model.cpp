#include "document_model.h"

#include "tables/display_text.h"

#include "base/characters.h"

#include <QLineEdit>
#include <QLocale>

QValidator::State CharacterLimit::validate(QString &input, int &) const
{
    return Characters::longerThan(input, m_max) ? Invalid : Acceptable;
}

void CharacterLimit::apply(QLineEdit *editor, int characters)
{
    editor->setMaxLength(2 * characters); // a surrogate pair is two units of the editor
    editor->setValidator(new CharacterLimit(characters, editor));
}

DocumentModel::DocumentModel(DocumentTable *table, const QStringList &hidden, QObject *parent)
    : QAbstractTableModel(parent), m_table(table)
{
    for (int f = 0; f < table->fieldCount(); ++f)
        if (!hidden.contains(table->fields().at(f).name))
            m_columns << f;
    // Every record is a row: the view draws only what is visible, so a million rows cost
    // nothing until they are scrolled to, and the last record can be shown at once.
    m_rows = table->recordCount();
    connect(table, &DocumentTable::reset, this, &DocumentModel::resetFromTable);
    connect(table, &DocumentTable::currentChanged, this, &DocumentModel::followPendingRecord);
    connect(table, &DocumentTable::rowsAppended, this, [this](int, int last) {
        if (m_pending && last == m_rows) {
            // the record shown while it was being added is stored now: the row stays
            m_pending = false;
            m_rows = last + 1;
            if (m_viewOn) {
                m_rowOf.push_back(int(m_view.size()));
                m_view.push_back(last);
            }
            const int row = rowOfPosition(last);
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
            return;
        }
        if (last < m_rows)
            return;
        const int first = shownCount();
        beginInsertRows({}, first, first + last - m_rows);
        if (m_viewOn)
            for (int p = m_rows; p <= last; ++p) {
                m_rowOf.push_back(int(m_view.size()));
                m_view.push_back(p);
            }
        m_rows = last + 1;
        endInsertRows();
    });
    connect(table, &DocumentTable::rowChanged, this, [this](int position) {
        const int row = rowOfPosition(position);
        if (row >= 0 && row < shownCount())
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(table, &DocumentTable::rowAboutToBeRemoved, this, [this](int position) {
        if (position >= m_rows)
            return;
        m_removing = true; // set first: the view moves its current row inside beginRemoveRows
        m_removingRow = rowOfPosition(position);
        if (m_removingRow >= 0)
            beginRemoveRows({}, m_removingRow, m_removingRow);
    });
    connect(table, &DocumentTable::rowRemoved, this, [this](int position) {
        if (!m_removing)
            return;
        m_removing = false;
        --m_rows;
        if (m_viewOn) {
            // the positions after the removed one move down by one
            if (m_removingRow >= 0)
                m_view.erase(m_view.begin() + m_removingRow);
            for (int &p : m_view)
                if (p > position)
                    --p;
            rebuildRowOf();
        }
        if (m_removingRow >= 0)
            endRemoveRows();
        m_removingRow = -1;
    });
}

void DocumentModel::setView(std::vector<int> positions, std::vector<int> rowOf)
{
    // the same number of rows in another order (a sort): every row shows another record, the
    // rows stay; a reset (or a layout change) would make ten million header sections again
    const bool sameRows = !m_pending && int(positions.size()) == shownCount();
    if (!sameRows)
        beginResetModel();
    m_view = std::move(positions);
    m_viewOn = true;
    if (rowOf.size() == size_t(m_rows))
        m_rowOf = std::move(rowOf);
    else
        rebuildRowOf();
    if (sameRows)
        everyRowChanged();
    else
        endResetModel();
}

void DocumentModel::clearView()
{
    if (!m_viewOn)
        return;
    if (!m_pending && int(m_view.size()) == m_rows) {
        // back to the table's order, every row still there
        m_viewOn = false;
        std::vector<int>().swap(m_view);
        std::vector<int>().swap(m_rowOf);
        everyRowChanged();
        return;
    }
    beginResetModel();
    m_viewOn = false;
    std::vector<int>().swap(m_view);
    std::vector<int>().swap(m_rowOf);
    endResetModel();
}

void DocumentModel::everyRowChanged()
{
    if (rowCount() == 0)
        return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

void DocumentModel::rebuildRowOf()
{
    m_rowOf.assign(size_t(m_rows), -1);
    for (size_t r = 0; r < m_view.size(); ++r)
        m_rowOf[size_t(m_view[r])] = int(r);
}

int DocumentModel::positionOfRow(int row) const
{
    if (row < 0 || row >= shownCount())
        return -1;
    return m_viewOn ? m_view[size_t(row)] : row;
}

int DocumentModel::rowOfPosition(int position) const
{
    if (position < 0)
        return -1;
    if (position >= m_rows) // the record being added, shown last
        return m_pending && position == m_rows ? shownCount() : -1;
    return m_viewOn ? m_rowOf[size_t(position)] : position;
}

void DocumentModel::resetFromTable()
{
    const bool hadView = m_viewOn;
    beginResetModel();
    m_rows = m_table->recordCount();
    m_pending = false;
    m_viewOn = false;
    std::vector<int>().swap(m_view);
    std::vector<int>().swap(m_rowOf);
    endResetModel();
    followPendingRecord();
    if (hadView)
        emit viewEnded();
}

// "+" shows the new record at once, as the last row, until it is posted or cancelled.
void DocumentModel::followPendingRecord()
{
    const bool inserting = m_table->state() == DocumentTable::State::Insert;
    const int row = shownCount();
    if (inserting && !m_pending) {
        beginInsertRows({}, row, row);
        m_pending = true;
        endInsertRows();
    } else if (!inserting && m_pending) {
        beginRemoveRows({}, row, row);
        m_pending = false;
        endRemoveRows();
    }
}

int DocumentModel::columnOfField(const QString &name) const
{
    return int(m_columns.indexOf(m_table->fieldIndex(name)));
}

int DocumentModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : shownCount() + (m_pending ? 1 : 0);
}

int DocumentModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

int DocumentModel::decimalsOf(const FieldDef &field)
{
    return field.format == u"0.000000" ? 6 : 2;
}

QString DocumentModel::displayText(const FieldDef &field, const QVariant &value)
{
    if (!value.isValid())
        return QString();
    switch (field.type) {
    case FieldType::Float:
        // ",0.00" groups thousands; "0.000000" does not
        return DisplayText::number(value.toDouble(), decimalsOf(field), field.format != u"0.000000");
    case FieldType::Date:
        return QLocale().toString(value.toDate(), QLocale::ShortFormat);
    case FieldType::Boolean:
        return value.toBool() ? QStringLiteral("Tak") : QStringLiteral("Nie");
    case FieldType::Integer:
        return QString::number(value.toLongLong());
    case FieldType::String:
        return value.toString();
    }
    return QString();
}

QString DocumentModel::editText(const FieldDef &field, const QVariant &value)
{
    if (!value.isValid())
        return QString();
    switch (field.type) {
    case FieldType::Float:
        return DisplayText::editText(value.toDouble(), decimalsOf(field));
    case FieldType::Date:
        return QLocale().toString(value.toDate(), QLocale::ShortFormat);
    default:
        return displayText(field, value);
    }
}

bool DocumentModel::valueFromText(const FieldDef &field, const QString &typed, QVariant *value)
{
    const QString text = typed.trimmed();
    if (field.type == FieldType::String) {
        *value = typed;
        return true;
    }
    if (text.isEmpty()) { // an emptied cell is null, whatever its type
        *value = QVariant();
        return true;
    }
    switch (field.type) {
    case FieldType::Float: {
        double d = 0;
        if (!DisplayText::readNumber(text, &d))
            return false;
        *value = d;
        return true;
    }
    case FieldType::Date: {
        // the window's own short form, then the forms people type: 5.8.2023, 05-08-2023, 2023-08-05
        const QDate d = DisplayText::readDate(text);
        if (!d.isValid() || d.year() < 1)
            return false;
        *value = d;
        return true;
    }
    case FieldType::Integer: {
        bool ok = false;
        const qlonglong n = text.toLongLong(&ok);
        if (!ok)
            return false;
        *value = n;
        return true;
    }
    case FieldType::Boolean:
    case FieldType::String:
        break;
    }
    *value = typed;
    return true;
}

QString DocumentModel::refusalText(const FieldDef &field, const QString &text)
{
    QVariant value;
    if (valueFromText(field, text, &value))
        return QString();
    QString expected;
    switch (field.type) {
    case FieldType::Float:
        expected = QStringLiteral("liczba, np. 1234,56 (bez znaku % i waluty)");
        break;
    case FieldType::Date:
        expected = QStringLiteral("data: dd.mm.rrrr, d.m.rrrr, dd-mm-rrrr albo rrrr-mm-dd");
        break;
    case FieldType::Integer:
        expected = QStringLiteral("liczba całkowita");
        break;
    default:
        expected = QStringLiteral("tekst");
        break;
    }
    return QStringLiteral("„") + text + QStringLiteral("” nie jest wartością pola ") + field.name +
           QStringLiteral(" (") + field.label + QStringLiteral("); oczekiwana ") + expected +
           QStringLiteral(". Poprzednia wartość pozostała bez zmian.");
}

QVariant DocumentModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const bool pending = m_pending && index.row() == shownCount();
    const int row = pending ? -1 : m_table->presentedRow(positionOfRow(index.row()));
    if (row < 0 && !pending)
        return {};
    const int field = m_columns.at(index.column());
    const FieldDef &def = m_table->fields().at(field);
    const QVariant value = pending ? m_table->value(field) : m_table->valueAt(row, field);
    switch (role) {
    case Qt::DisplayRole:
        return def.type == FieldType::Boolean ? QVariant() : QVariant(displayText(def, value));
    case Qt::EditRole:
        // the editor is a line edit over the full value: no spin box rounds it, no date
        // editor keeps it from being emptied
        return def.type == FieldType::String ? (value.isValid() ? value : QVariant(QString()))
                                             : QVariant(editText(def, value));
    case Qt::CheckStateRole:
        if (def.type != FieldType::Boolean)
            return {};
        // a null that the file gets as "false" shows as unticked; P_106E_3 keeps its three states
        if (!value.isValid())
            return def.nullAsFalse && def.name != u"P_106E_3" ? Qt::Unchecked : Qt::PartiallyChecked;
        return value.toBool() ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        if (def.type == FieldType::Float || def.type == FieldType::Integer)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

bool DocumentModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() >= rowCount() || m_table->isFrozen())
        return false;
    const int field = m_columns.at(index.column());
    const FieldDef &def = m_table->fields().at(field);
    QVariant v = value;
    if (role == Qt::CheckStateRole) {
        v = value.toInt() == Qt::Checked;
    } else if (role != Qt::EditRole) {
        return false;
    } else if (value.typeId() == QMetaType::QString) {
        // a text confirmed unchanged leaves the value as it is, every digit of it
        if (value.toString() == data(index, Qt::EditRole).toString())
            return true;
        if (!valueFromText(def, value.toString(), &v)) {
            emit valueRefused(refusalText(def, value.toString()));
            return false;
        }
    }
    if (m_pending && index.row() == shownCount()) {
        // the record being added: the value goes to it; moving to another row or "Zapisz" stores it
        m_table->setValue(field, v);
        emit dataChanged(index, index);
        return true;
    }
    if (!m_table->moveTo(positionOfRow(index.row())))
        return false;
    m_table->edit();
    m_table->setValue(field, v);
    return m_table->post();
}

Qt::ItemFlags DocumentModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (m_table->isFrozen()) // a command runs: the grid can be read and scrolled, not changed
        return f;
    if (m_table->fields().at(m_columns.at(index.column())).type == FieldType::Boolean)
        f |= Qt::ItemIsUserCheckable;
    else
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant DocumentModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section == rowOfPosition(m_table->position()) ? QStringLiteral("▶") : QString();
        return {};
    }
    if (section < 0 || section >= m_columns.size())
        return {};
    const FieldDef &def = m_table->fields().at(m_columns.at(section));
    if (role == Qt::DisplayRole)
        return def.label;
    if (role == Qt::ToolTipRole)
        return def.name; // the title shows the label, the hint the field name
    return {};
}
