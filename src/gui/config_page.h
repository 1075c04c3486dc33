#pragma once

#include "page_context.h"

#include <QWidget>

class InvoiceForm;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// "Ogóle ustawienia pliku importu": the data format, the user's application, the configuration and the substitution
// table.
class ConfigPage : public QWidget
{
    Q_OBJECT
public:
    explicit ConfigPage(PageContext &ctx, QWidget *parent = nullptr);
    QLabel *configLabel = nullptr; // how the configuration was chosen

private:
    PageContext m_ctx; // the window's registers, kept for the page's own slots
};
