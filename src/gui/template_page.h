#pragma once

#include "page_context.h"

class QPlainTextEdit;

// "Schemat XML": the JPK template the writer fills.
class TemplatePage : public Page
{
    Q_OBJECT
public:
    explicit TemplatePage(PageContext &ctx, QWidget *parent = nullptr);
    QPlainTextEdit *templateEdit = nullptr;
};
