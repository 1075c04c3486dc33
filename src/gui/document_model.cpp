#include "document_model.h"

#include "tables/display_text.h"

#include <QLocale>

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
    connect(table, &DocumentTable::rowsAppended, this, [this](int, int last) {
        if (last < m_rows)
            return;
        beginInsertRows({}, m_rows, last);
        m_rows = last + 1;
        endInsertRows();
    });
    connect(table, &DocumentTable::rowChanged, this, [this](int row) {
        if (row < m_rows)
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(table, &DocumentTable::rowAboutToBeRemoved, this, [this](int row) {
        if (row >= m_rows)
            return;
        beginRemoveRows({}, row, row);
        m_removing = true;
    });
    connect(table, &DocumentTable::rowRemoved, this, [this](int) {
        if (!m_removing)
            return;
        m_removing = false;
        --m_rows;
        endRemoveRows();
    });
}

void DocumentModel::resetFromTable()
{
    beginResetModel();
    m_rows = m_table->recordCount();
    endResetModel();
}

int DocumentModel::columnOfField(const QString &name) const
{
    return int(m_columns.indexOf(m_table->fieldIndex(name)));
}

int DocumentModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
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
        QDate d = QLocale().toDate(text, QLocale::ShortFormat);
        if (!d.isValid())
            d = QDate::fromString(text, Qt::ISODate);
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

QVariant DocumentModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    const int row = m_table->presentedRow(index.row());
    if (row < 0)
        return {};
    const int field = m_columns.at(index.column());
    const FieldDef &def = m_table->fields().at(field);
    const QVariant value = m_table->valueAt(row, field);
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
    if (!index.isValid() || index.row() >= m_rows)
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
        if (!valueFromText(def, value.toString(), &v))
            return false;
    }
    if (!m_table->moveTo(index.row()))
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
            return section == m_table->position() ? QStringLiteral("▶") : QString();
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
