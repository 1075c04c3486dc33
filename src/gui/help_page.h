#pragma once

#include "page_context.h"

#include <QWidget>

class InvoiceForm;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// "Opis pól:": the schema's field descriptions.
class HelpPage : public QWidget
{
    Q_OBJECT
public:
    explicit HelpPage(PageContext &ctx, QWidget *parent = nullptr);

private:
    PageContext m_ctx; // the window's registers, kept for the page's own slots
};
