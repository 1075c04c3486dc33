#pragma once

#include "page_context.h"

// "... i pozycji faktur" and its twin "... i pozycji zaliczek": how the lines follow their record, and their mapping
// table.
class LinesImportPage : public Page
{
    Q_OBJECT
public:
    LinesImportPage(PageContext &ctx, bool orders, QWidget *parent = nullptr);
};
