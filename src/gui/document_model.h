#pragma once

#include "tables/document_table.h"

#include <QAbstractTableModel>
#include <QList>

// A grid's view of one document table: the records the table presents (for a linked
// detail table, those of the current master), fetched on demand so that a million rows
// scroll at once, with the display formats of the fields.
class DocumentModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // hidden: field names that get no column (P_14_5 in the invoice grid, the link keys).
    DocumentModel(DocumentTable *table, const QStringList &hidden, QObject *parent = nullptr);

    DocumentTable *table() const { return m_table; }
    int fieldOfColumn(int column) const { return m_columns.at(column); }
    int columnOfField(const QString &name) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // The text a cell shows for a value of a field.
    static QString displayText(const FieldDef &field, const QVariant &value);

private:
    void resetFromTable();

    DocumentTable *m_table;
    QList<int> m_columns;
    int m_fetched = 0;
    int m_known = 0;  // the rows the model has been told of; the table may be a step ahead
};
