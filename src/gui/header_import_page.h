#pragma once

#include "page_context.h"

#include <QWidget>

class InvoiceForm;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// "Ustawienia importu nagłówka": the file layout, the block markers and the header's mapping table.
class HeaderImportPage : public QWidget
{
    Q_OBJECT
public:
    explicit HeaderImportPage(PageContext &ctx, QWidget *parent = nullptr);

private:
    PageContext m_ctx; // the window's registers, kept for the page's own slots
};
