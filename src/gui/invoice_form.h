#pragma once

#include <QHash>
#include <QWidget>

class DocumentTable;
class QCheckBox;
class QLineEdit;

// "Faktura": the current invoice in one form; an edited control stores its field at once.
class InvoiceForm : public QWidget
{
    Q_OBJECT
public:
    explicit InvoiceForm(DocumentTable *table, QWidget *parent = nullptr);

    QWidget *control(const QString &field) const { return m_controls.value(field); }

private:
    void refresh();
    void store(const QString &field, const QVariant &value);

    DocumentTable *m_table;
    QHash<QString, QWidget *> m_controls;
    bool m_refreshing = false;
    int m_checkColumn = 1; // where the description of P_106E_3 stands
};
