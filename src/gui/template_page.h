#pragma once

#include "page_context.h"

#include <QWidget>

class InvoiceForm;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// "Schemat XML": the JPK template the writer fills.
class TemplatePage : public QWidget
{
    Q_OBJECT
public:
    explicit TemplatePage(PageContext &ctx, QWidget *parent = nullptr);
    QPlainTextEdit *templateEdit = nullptr;

private:
    PageContext m_ctx; // the window's registers, kept for the page's own slots
};
