#pragma once

#include "tables/document_table.h"

#include <QAbstractTableModel>
#include <QList>
#include <QValidator>
#include <vector>

class QLineEdit;

// A text editor stops at its field's width in characters (an emoji is one), not UTF-16 units.
class CharacterLimit : public QValidator
{
public:
    CharacterLimit(int characters, QObject *parent) : QValidator(parent), m_max(characters) {}
    State validate(QString &input, int &) const override;
    // Puts the limit on an editor of a text field.
    static void apply(QLineEdit *editor, int characters);

private:
    int m_max;
};

// A grid's view of one document table: the records the table presents (for a linked
// detail table, those of the current master), all of them (the view draws only what it
// shows), with the display formats of the fields.
class DocumentModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // hidden: field names that get no column (P_14_5 in the invoice grid, the link keys).
    DocumentModel(DocumentTable *table, const QStringList &hidden, QObject *parent = nullptr);

    DocumentTable *table() const { return m_table; }
    int fieldOfColumn(int column) const { return m_columns.at(column); }
    int columnOfField(const QString &name) const;
    // A record of the table is being removed (between the table's two signals).
    bool isRemoving() const { return m_removing; }

    // The grid's own order and choice of records, the table's order untouched: the presented
    // positions to show, row by row. A record added later shows at the end; a reset of the
    // table ends the view (viewEnded).
    // `rowOf` (the grid row of each position, -1: not shown) is made here when not given.
    void setView(std::vector<int> positions, std::vector<int> rowOf = {});
    void clearView();
    bool hasView() const { return m_viewOn; }
    const std::vector<int> &view() const { return m_view; }
    // Rows shown, the record being added left out, and the table's records.
    int shownCount() const { return m_viewOn ? int(m_view.size()) : m_rows; }
    int totalCount() const { return m_rows; }
    // The presented position of a grid row (-1: none, or the record being added), and the grid
    // row of a position (-1 when the view leaves it out).
    int positionOfRow(int row) const;
    int rowOfPosition(int position) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The text a cell shows for a value of a field.
    static QString displayText(const FieldDef &field, const QVariant &value);
    // The text an editor starts from: the full value, at least the display decimals.
    static QString editText(const FieldDef &field, const QVariant &value);
    // What the user typed, as a value of the field: either decimal separator, an emptied
    // text as null. False when it is not a value of the field's type.
    static bool valueFromText(const FieldDef &field, const QString &text, QVariant *value);
    static int decimalsOf(const FieldDef &field);
    // Why a typed text is not a value of the field ("" when it is), in the user's words.
    static QString refusalText(const FieldDef &field, const QString &text);

signals:
    // The table changed wholesale: the grid's order and choice no longer apply.
    void viewEnded();
    // A typed value the field cannot store: the grid says why, the editor's text is not kept.
    void valueRefused(const QString &message);

private:
    void followPendingRecord();

    void resetFromTable();
    void rebuildRowOf();
    // The rows stay, the records they show changed (a new order).
    void everyRowChanged();

    DocumentTable *m_table;
    QList<int> m_columns;
    int m_rows = 0;
    bool m_removing = false; // between the table's two signals of a removal
    bool m_pending = false;  // a record the user is adding shows as the last row
    bool m_viewOn = false;
    std::vector<int> m_view;  // grid row -> presented position
    std::vector<int> m_rowOf; // presented position -> grid row, -1 when not shown
    int m_removingRow = -1;   // the grid row of the record being removed, -1: not shown
};
