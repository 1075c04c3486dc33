#pragma once

#include "page_context.h"

class InvoiceForm;
class QPushButton;
class QTabWidget;

// "Faktury": the invoice form and list above, the invoice lines below, with their navigators and sums.
class InvoicesPage : public Page
{
    Q_OBJECT
public:
    explicit InvoicesPage(PageContext &ctx, QWidget *parent = nullptr);
    InvoiceForm *form = nullptr;
    QTabWidget *invoiceTabs = nullptr; // "Faktura" and "Lista faktur"
    QPushButton *connectButton = nullptr;
    QPushButton *disconnectButton = nullptr;
};
