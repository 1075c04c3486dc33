#pragma once

#include "page_context.h"

// "Zamówienia (dla zaliczek)": the orders and their lines.
class OrdersPage : public Page
{
    Q_OBJECT
public:
    explicit OrdersPage(PageContext &ctx, QWidget *parent = nullptr);
};
