#pragma once

#include "page_context.h"

#include <QWidget>

class InvoiceForm;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// "Faktury": the invoice form and list above, the invoice lines below, with their navigators and sums.
class InvoicesPage : public QWidget
{
    Q_OBJECT
public:
    explicit InvoicesPage(PageContext &ctx, QWidget *parent = nullptr);
    InvoiceForm *form = nullptr;
    QTabWidget *invoiceTabs = nullptr; // "Faktura" and "Lista faktur"
    QPushButton *connectButton = nullptr;
    QPushButton *disconnectButton = nullptr;

private:
    PageContext m_ctx; // the window's registers, kept for the page's own slots
};
