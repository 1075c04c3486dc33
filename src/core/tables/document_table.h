#pragma once

#include "tables/field_def.h"

class BusyState;

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
// dropped when dropDeletedRows() is called, at the start of a command that walks stored rows.
//
// Two ways change a table. The user's: the current record (append, edit, setValue, post,
// remove), refused while a long command runs (the busy state). The workers': an import, a
// load or the e-invoices add records at the end through beginAppend / commitAppend, which
// never touch the user's current record or its edit.
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

    // Rows as stored, whatever the link, deleted ones included until dropDeletedRows(): a
    // walk over stored rows drops them first. A stored row number is valid until then.
    int storedCount() const { return m_rowCount; }
    // Rows marked deleted and not yet dropped.
    int deletedRows() const { return m_erased; }
    // Drops the rows of deleted records: the stored rows after them move down.
    void dropDeletedRows();

    // The busy state that freezes the table for the user; the user's changes are refused
    // while it is set (and assert in a debug build unless tests turned that off).
    void setBusyState(const BusyState *busy) { m_busy = busy; }
    bool isFrozen() const;
    void setFrozen(bool frozen) { emit frozenChanged(frozen); }
    static inline bool assertOnFrozenChange = true;
    bool isNullAt(int row, int field) const;
    QVariant valueAt(int row, int field) const;
    QString stringAt(int row, int field) const;
    // A string field's text without a copy: valid until the table changes (empty for null).
    QStringView stringViewAt(int row, int field) const;
    qint64 intAt(int row, int field) const;   // an integer field; its null is a value of its own
    double floatAt(int row, int field) const; // 0 for null
    qint64 dayAt(int row, int field) const;   // a date field's Julian day; null: the least qint64
    Record recordAt(int row) const;

    // Records as presented (for a linked detail: those of the current master).
    int recordCount() const;
    int presentedRow(int position) const; // the stored row of a presented position
    // The presented position of a stored row; -1 when it is deleted or not presented.
    int positionOfStoredRow(int row) const;
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
    bool remove(); // delete the current record; false when refused
    void empty();  // every record at once, no rules
    // Whether the pending record (inserted or edited) differs from nothing / from the stored one.
    bool isModified() const { return m_state != State::Browse; }
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
    // The workers' appending path: a new record at the end, filled through the typed setters
    // and setNew, then committed (rules run, index and counters follow) or abandoned. The
    // user's current record does not move, except that an empty table's first record becomes
    // current.
    void beginAppend();
    bool commitAppend();
    void abandonAppend();
    bool isAppending() const { return m_appending; }
    void setNew(int field, const QVariant &value);
    void setNew(const QString &field, const QVariant &value) { setNew(fieldIndex(field), value); }
    QVariant newValue(int field) const;
    // The stored row a worker last appended (-1: none since the rows last moved), and where
    // the next detail record belongs when a worker says so (an order read from JSON).
    int lastAppendedRow() const { return m_lastAppended; }
    void setAppendAnchor(int row) { m_lastAppended = row; }
    // The value of the record a worker's detail belongs to: the last appended, else the current.
    QVariant anchorValue(int field) const;
    // A change of one stored cell without rules or cursor (a worker's, or a rule's that
    // follows the user's change); a link key keeps the index in step.
    void setStoredValue(int row, int field, const QVariant &value);
    // The user's change is refused now: a long command runs (asserts in a debug build unless
    // tests turned that off).
    bool refusesChange() const { return refusedWhileBusy(); }

    // Typed setters, the workers' path: no QVariant per cell while a record is being added.
    void setText(int field, QStringView text);
    void setFloat(int field, double value);
    void setDate(int field, const QDate &value); // an invalid date sets null
    void setBoolean(int field, bool value);
    void setInteger(int field, qint64 value);

    int bookmark() const; // the stored row of the current record
    void gotoBookmark(int row);

    // Views: while suspended, no change is signalled; resuming signals a reset.
    void suspendViews();
    void resumeViews();
    bool viewsSuspended() const { return m_suspended > 0; }
    int suspendDepth() const { return m_suspended; }

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
    void frozenChanged(bool frozen); // a long command started or ended

private:
    struct Column;

    void writeRecord(int row, const Record &record);
    void storeValue(int row, int field, const QVariant &converted);
    void resizeColumns(int rows);
    void eraseRow(int row);
    bool isErased(int row) const;
    int rowOfPosition(int position) const; // unlinked: the stored row of the n-th live record
    int positionOfRow(int row) const;
    bool refusedWhileBusy() const;
    void setTyped(int field, const QVariant &value);
    void writeRow(int row, int field, const QVariant &value);
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
    std::vector<Column> m_columns;
    int m_rowCount = 0; // stored rows, deleted ones included; an added record waits at this row
    int m_erased = 0;
    std::vector<quint64> m_erasedBits; // one bit a row, kept once something was deleted
    std::vector<int> m_erasedInBlock;  // per block of 4096 rows
    mutable int m_cachePosition = -1;  // the last position looked up, for walks in order
    mutable int m_cacheRow = -1;

    int m_pos = -1;
    bool m_eof = false;
    State m_state = State::Browse;
    Record m_buffer;          // the record being edited; an added record is written in place
    bool m_appending = false; // a worker's record waits at row m_rowCount
    int m_lastAppended = -1;
    const BusyState *m_busy = nullptr;

    // Link
    DocumentTable *m_master = nullptr;
    int m_masterField = -1;
    QList<DocumentTable *> m_details;
    int m_keyField = -1; // the field the index is kept on
    QHash<QString, std::vector<int>> m_index;
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
