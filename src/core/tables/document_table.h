#pragma once

#include "tables/field_def.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QVariant>
#include <functional>
#include <vector>

// One in-memory document table: typed columns with nulls, a current record with
// browse/insert/edit states, row rules as hooks, and an optional link to a master table
// under which it presents only the records whose detail field equals the master's key.
// Records keep the order in which they were added. A deleted record is only marked at
// first, so deleting costs the same whatever the size of the table; the marked rows are
// dropped the next time someone counts the stored rows.
class DocumentTable : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        Browse,
        Insert,
        Edit
    };
    using Record = QList<QVariant>; // a null QVariant is a null field

    DocumentTable(TableKind kind, QObject *parent = nullptr);
    ~DocumentTable() override;

    TableKind kind() const { return m_kind; }
    QString name() const { return tableName(m_kind); }
    const QList<FieldDef> &fields() const { return *m_fields; }
    int fieldCount() const { return int(m_fields->size()); }
    int fieldIndex(const QString &name) const; // -1 if none; letter case ignored

    // Rows as stored, whatever the link. Counting them drops the rows of deleted records, so
    // a stored row number is valid until the next deletion.
    int storedCount() const;
    bool isNullAt(int row, int field) const;
    QVariant valueAt(int row, int field) const;
    QString stringAt(int row, int field) const;
    // A string field's text without a copy: valid until the table changes (empty for null).
    QStringView stringViewAt(int row, int field) const;
    qint64 intAt(int row, int field) const;   // an integer field; its null is a value of its own
    double floatAt(int row, int field) const; // 0 for null
    Record recordAt(int row) const;

    // Records as presented (for a linked detail: those of the current master).
    int recordCount() const;
    int presentedRow(int position) const;  // the stored row of a presented position
    int position() const { return m_pos; } // -1 when nothing is presented
    State state() const { return m_state; }

    // Dataset operations. Moving posts a pending edit first.
    void first();
    void next();
    bool atEnd() const { return m_eof || recordCount() == 0; }
    bool moveTo(int position);
    void append(); // new record at the end, insert state; runs the new-record rule
    bool edit();   // false when there is no current record
    bool post();   // false when the before-post rule refused
    void cancel();
    bool remove();            // delete the current record; false when refused
    void empty();             // every record at once, no rules
    void truncate(int rows);  // the stored rows from `rows` on, no rules (what a failed load added)
    void dropFirst(int rows); // the first `rows` stored rows, no rules (what a load replaces)

    // The current record's field (the pending one while inserting or editing).
    QVariant value(int field) const;
    QVariant value(const QString &field) const { return value(fieldIndex(field)); }
    bool isNull(int field) const { return !value(field).isValid(); }
    // Sets a field of the current record, entering edit state if needed. Strings longer than
    // their field are cut; an invalid QVariant sets null.
    void setValue(int field, const QVariant &value);
    void setValue(const QString &field, const QVariant &value) { setValue(fieldIndex(field), value); }
    // Typed setters, the import's path: no QVariant per cell while a record is being added.
    void setText(int field, QStringView text);
    void setFloat(int field, double value);
    void setDate(int field, const QDate &value); // an invalid date sets null
    void setBoolean(int field, bool value);

    int bookmark() const; // the stored row of the current record
    void gotoBookmark(int row);

    // Views: while suspended, no change is signalled; resuming signals a reset.
    void suspendViews();
    void resumeViews();
    bool viewsSuspended() const { return m_suspended > 0; }

    // Link to a master: present only the records whose detailField equals the master's masterField.
    void setMaster(DocumentTable *master, const QString &masterField, const QString &detailField);
    void clearMaster();
    bool isLinked() const { return m_master != nullptr; }
    // Rows whose detail-link key (the detail field given with the link) is key, in addition order.
    const std::vector<int> &rowsWithKey(const QString &key) const;

    // Row rules.
    std::function<void(DocumentTable &)> onNewRecord;
    std::function<bool(DocumentTable &)> beforePost; // false cancels the post
    std::function<void(DocumentTable &)> afterPost;
    std::function<bool(DocumentTable &)> beforeDelete; // false cancels the deletion
    std::function<void(DocumentTable &)> afterDelete;
    std::function<void(DocumentTable &)> afterScroll;

    // The key text of a value as the link index holds it.
    static QString keyText(const QVariant &value);

signals:
    void reset(); // the presented records changed wholesale
    void rowsAppended(int first, int last);
    void rowChanged(int position);
    void rowAboutToBeRemoved(int position);
    void rowRemoved(int position);
    void currentChanged();

private:
    struct Column;

    void writeRecord(int row, const Record &record);
    void storeValue(int row, int field, const QVariant &converted);
    void resizeColumns(int rows);
    void eraseRow(int row);
    bool isErased(int row) const;
    int rowOfPosition(int position) const; // unlinked: the stored row of the n-th live record
    int positionOfRow(int row) const;
    void dropErasedRows() const;
    void indexInsert(int row);
    void indexRemove(int row);
    void refreshRange();
    void masterMoved();
    void notifyDetails();
    void scrolled();
    QString masterKey() const;
    QVariant convert(int field, const QVariant &value) const;

    TableKind m_kind;
    const QList<FieldDef> *m_fields;
    // Dropping the rows of deleted records changes no record anyone can read, so counting
    // the stored rows may do it on a const table: these are the parts it rewrites.
    mutable std::vector<Column> m_columns;
    mutable int m_rowCount = 0; // stored rows, deleted ones included; an added record waits at this row
    mutable int m_erased = 0;
    mutable std::vector<quint64> m_erasedBits; // one bit a row, kept once something was deleted
    mutable std::vector<int> m_erasedInBlock;  // per block of 4096 rows
    mutable int m_cachePosition = -1;          // the last position looked up, for walks in order
    mutable int m_cacheRow = -1;

    int m_pos = -1;
    bool m_eof = false;
    State m_state = State::Browse;
    Record m_buffer; // the record being edited; an added record is written in place

    // Link
    DocumentTable *m_master = nullptr;
    int m_masterField = -1;
    QList<DocumentTable *> m_details;
    int m_keyField = -1; // the field the index is kept on
    mutable QHash<QString, std::vector<int>> m_index;
    quint64 m_indexShape = 0; // counts the keys that came or went
    QString m_lastKey;        // the key of the last insertion and its rows
    std::vector<int> *m_lastRows = nullptr;
    quint64 m_lastShape = 0;
    quint64 m_rangeShape = 0;
    bool m_rangeStale = true;
    QString m_linkKey;
    bool m_linkKeyNull = true;
    const std::vector<int> *m_range = nullptr;

    int m_suspended = 0;
};
