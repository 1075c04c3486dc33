#include "document_model.h"

#include <QLocale>

namespace {
constexpr int kBatch = 2000;
}

DocumentModel::DocumentModel(DocumentTable *table, const QStringList &hidden, QObject *parent)
    : QAbstractTableModel(parent), m_table(table)
{
    for (int f = 0; f < table->fieldCount(); ++f)
        if (!hidden.contains(table->fields().at(f).name))
            m_columns << f;
    m_known = table->recordCount();
    m_fetched = std::min(m_known, kBatch);
    connect(table, &DocumentTable::reset, this, &DocumentModel::resetFromTable);
    connect(table, &DocumentTable::rowsAppended, this, [this](int first, int last) {
        // rows beyond what the view has fetched arrive when it scrolls there
        if (first > m_fetched) {
            m_known = std::max(m_known, last + 1);
            return;
        }
        beginInsertRows({}, first, last);
        m_known = std::max(m_known, last + 1);
        m_fetched = std::max(m_fetched, last + 1);
        endInsertRows();
    });
    connect(table, &DocumentTable::rowChanged, this, [this](int row) {
        if (row < m_fetched)
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(table, &DocumentTable::rowRemoved, this, [this](int row) {
        if (row >= m_fetched) {
            --m_known;
            return;
        }
        beginRemoveRows({}, row, row);
        --m_fetched;
        --m_known;
        endRemoveRows();
    });
}

void DocumentModel::resetFromTable()
{
    // counts first: a view asking during the reset sees the new table
    m_known = m_table->recordCount();
    m_fetched = std::min(m_known, kBatch);
    beginResetModel();
    endResetModel();
}

int DocumentModel::columnOfField(const QString &name) const
{
    return int(m_columns.indexOf(m_table->fieldIndex(name)));
}

int DocumentModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_fetched;
}

int DocumentModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

bool DocumentModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_fetched < m_known;
}

void DocumentModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid())
        return;
    const int more = std::min(kBatch, m_known - m_fetched);
    if (more <= 0)
        return;
    beginInsertRows({}, m_fetched, m_fetched + more - 1);
    m_fetched += more;
    endInsertRows();
}

QString DocumentModel::displayText(const FieldDef &field, const QVariant &value)
{
    if (!value.isValid())
        return QString();
    QLocale locale;
    switch (field.type) {
    case FieldType::Float:
        if (field.format == u"0.000000") {
            locale.setNumberOptions(QLocale::OmitGroupSeparator);
            return locale.toString(value.toDouble(), 'f', 6);
        }
        return locale.toString(value.toDouble(), 'f', 2);
    case FieldType::Date:
        return locale.toString(value.toDate(), QLocale::ShortFormat);
    case FieldType::Boolean:
        return value.toBool() ? QStringLiteral("Tak") : QStringLiteral("Nie");
    case FieldType::Integer:
        return QString::number(value.toLongLong());
    case FieldType::String:
        return value.toString();
    }
    return QString();
}

QVariant DocumentModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_fetched)
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
        if (def.type == FieldType::Float || def.type == FieldType::Date)
            return value.isValid() ? value : QVariant(QString());
        return value.isValid() ? value : QVariant(QString());
    case Qt::CheckStateRole:
        if (def.type != FieldType::Boolean)
            return {};
        return !value.isValid() ? Qt::PartiallyChecked : (value.toBool() ? Qt::Checked : Qt::Unchecked);
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
    if (!index.isValid() || !m_table->moveTo(index.row()))
        return false;
    const int field = m_columns.at(index.column());
    const FieldDef &def = m_table->fields().at(field);
    QVariant v = value;
    if (role == Qt::CheckStateRole) {
        v = value.toInt() == Qt::Checked;
    } else if (role != Qt::EditRole) {
        return false;
    } else if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.isEmpty() && def.type != FieldType::String) {
            v = QVariant();
        } else if (def.type == FieldType::Float) {
            bool ok = false;
            double d = QLocale().toDouble(text, &ok);
            if (!ok)
                d = text.toDouble(&ok);
            if (!ok)
                return false;
            v = d;
        } else if (def.type == FieldType::Date) {
            QDate d = QLocale().toDate(text, QLocale::ShortFormat);
            if (!d.isValid())
                d = QDate::fromString(text, Qt::ISODate);
            if (!d.isValid())
                return false;
            v = d;
        }
    }
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
        return def.name;  // the title shows the label, the hint the field name
    return {};
}
