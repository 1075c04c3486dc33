#pragma once

#include "page_context.h"

// The first page: the JPK header and subject fields, the output file, the action buttons and the tabs' appearance.
class HeaderPage : public Page
{
    Q_OBJECT
public:
    explicit HeaderPage(PageContext &ctx, QWidget *parent = nullptr);

protected:
    // a double click on "Data Wytworzenia JPK [UTC]" puts the current date and time into it
    bool eventFilter(QObject *watched, QEvent *event) override;
};
