#pragma once

#include <QHash>
#include <QWidget>

class DocumentTable;
class UserPort;
class QCheckBox;
class QLineEdit;

// "Faktura": the current invoice in one form. An edited control changes the pending record;
// "Zapisz" (or moving to another invoice) stores it, "Anuluj" drops the edits since.
class InvoiceForm : public QWidget
{
    Q_OBJECT
public:
    InvoiceForm(DocumentTable *table, UserPort *port, QWidget *parent = nullptr);

    QWidget *control(const QString &field) const { return m_controls.value(field); }

private:
    void refresh();
    void store(const QString &field, const QVariant &value);

    void setFrozen(bool frozen);

    DocumentTable *m_table;
    UserPort *m_port;
    bool m_frozen = false;
    QHash<QString, QWidget *> m_controls;
    bool m_refreshing = false;
    int m_checkColumn = 1; // where the description of P_106E_3 stands
};
