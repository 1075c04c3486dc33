#pragma once

#include "tables/document_table.h"

#include <QObject>

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

    int ZamIdx = 0;        // the last idx given to an order
    bool Deleting = false; // a cascade deletion is removing lines

    // The invoice-line link.
    bool lineLinkOn() const { return mt_POZ_.isLinked(); }
    void linkLinesToInvoices(); // line link on
    void lineLinkOff();
    void connectLines();    // "Połącz z fakturami"
    void disconnectLines(); // "Rozłącz"
    bool polaczEnabled() const { return !lineLinkOn(); }
    bool rozlaczEnabled() const { return lineLinkOn(); }

    // "Usuń wszystkie pozycje Faktur" / "Usuń wszystkie pozycje Zamówień".
    void eraseInvoices();
    void eraseOrders();

    // The record counters: "(*)" until first set.
    QString invoiceCounterText() const { return m_labels[0]; }
    QString invoiceLineCounterText() const { return m_labels[1]; }
    QString orderCounterText() const { return m_labels[2]; }
    QString orderLineCounterText() const { return m_labels[3]; }
    void showLineCount();
    void PokazLiczbePozycjiZamowienia();

    void suspendViews();
    void resumeViews();

signals:
    void countersChanged();
    void lineLinkChanged(bool on);

private:
    void setLabel(int which, const QString &text);
    bool deleteDetails(DocumentTable &detail, const QString &keyField);
    bool deleteInvoice(DocumentTable &fak);
    bool deleteOrder(DocumentTable &zam);

    UserPort *m_port;
    QString m_labels[4];
    bool m_countPending[4] = {false, false, false, false};
};
