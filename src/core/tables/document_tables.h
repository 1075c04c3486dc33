#pragma once

#include "tables/document_table.h"

#include <QObject>
#include <array>

class BusyState;
class UserPort;

// The four document tables with their links, row rules, record counters and erase commands.
class DocumentTables : public QObject
{
    Q_OBJECT
public:
    explicit DocumentTables(UserPort *port, QObject *parent = nullptr);

    DocumentTable mt_FAK_;
    DocumentTable mt_POZ_;
    DocumentTable mt_ZAM_;
    DocumentTable mt_ZPOZ_;

    DocumentTable *table(TableKind kind);
    DocumentTable *tableByName(const QString &name); // "mt_FAK_" … (letter case ignored)

    // A cascade deletion is removing lines.
    bool deletingLines() const { return m_deletingLines; }
    // Back to the state of a fresh start: no order numbered, no deletion under way.
    void resetCounters()
    {
        m_lastOrderIdx = 0;
        m_deletingLines = false;
    }

    // The invoice-line link.
    bool lineLinkOn() const { return mt_POZ_.isLinked(); }
    void linkLinesToInvoices(); // line link on
    void lineLinkOff();
    void connectLines();    // "Połącz z fakturami"
    void disconnectLines(); // "Rozłącz"
    bool canConnectLines() const { return !lineLinkOn(); }
    bool canDisconnectLines() const { return lineLinkOn(); }

    // "Usuń wszystkie pozycje Faktur" / "Usuń wszystkie pozycje Zamówień".
    void eraseInvoices();
    void eraseOrders();

    // The record counters: "(*)" until first set.
    QString invoiceCounterText() const { return m_labels[0]; }
    QString invoiceLineCounterText() const { return m_labels[1]; }
    QString orderCounterText() const { return m_labels[2]; }
    QString orderLineCounterText() const { return m_labels[3]; }
    void showLineCount();
    void showOrderLineCount();

    void suspendViews();
    void resumeViews();

    // A long command runs: the user's changes are refused (busy), the views follow (frozen).
    void setBusyState(const BusyState *busy);
    void setFrozen(bool frozen);
    // Before a command: the user's pending record posted (or dropped when a rule refuses it)
    // and the rows of deleted records dropped, so stored rows stay put while it runs.
    void postPending();
    void dropDeletedRows();
    // The stored rows of each table, to give back what a cancelled or failed command added.
    struct Mark
    {
        int rows[4] = {0, 0, 0, 0};
        int suspended[4] = {0, 0, 0, 0};
        int zamIdx = 0;
        bool lineLink = false;
    };
    Mark mark() const;
    // Takes back the records added since the mark; the views and the line link as they were.
    void rollBack(const Mark &mark);
    // The views and the line link as they were at the mark (a command that stopped half-way).
    void restoreViews(const Mark &mark);
    std::array<DocumentTable *, 4> all();

signals:
    void countersChanged();
    void lineLinkChanged(bool on);

private:
    void setLabel(int which, const QString &text);
    // The records a counter tells of: those presented, and the one being added.
    static int shownCount(const DocumentTable &table);
    bool deleteDetails(DocumentTable &detail, const QString &keyField);
    bool deleteInvoice(DocumentTable &fak);
    bool deleteOrder(DocumentTable &zam);

    UserPort *m_port;
    QString m_labels[4];
    int m_lastOrderIdx = 0;       // the last idx given to an order
    bool m_deletingLines = false; // a cascade deletion is removing lines
    bool m_countPending[4] = {false, false, false, false};
    bool m_adding[4] = {false, false, false, false}; // a counter counts a record being added
};
