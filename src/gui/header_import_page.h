#pragma once

#include "page_context.h"

// "Ustawienia importu nagłówka": the file layout, the block markers and the header's mapping table.
class HeaderImportPage : public Page
{
    Q_OBJECT
public:
    explicit HeaderImportPage(PageContext &ctx, QWidget *parent = nullptr);
};
