#pragma once

#include "page_context.h"

// "Opis pól:": the schema's field descriptions.
class HelpPage : public Page
{
    Q_OBJECT
public:
    explicit HelpPage(PageContext &ctx, QWidget *parent = nullptr);
};
