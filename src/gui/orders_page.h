#pragma once

#include "page_context.h"

#include <QWidget>

class InvoiceForm;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// "Zamówienia (dla zaliczek)": the orders and their lines.
class OrdersPage : public QWidget
{
    Q_OBJECT
public:
    explicit OrdersPage(PageContext &ctx, QWidget *parent = nullptr);

private:
    PageContext m_ctx; // the window's registers, kept for the page's own slots
};
