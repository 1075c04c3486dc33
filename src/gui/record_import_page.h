#pragma once

#include "page_context.h"

// "Ustawienia importu faktur" and its twin "Ustawienie importu Zaliczek": the record pass and its mapping table.
class RecordImportPage : public Page
{
    Q_OBJECT
public:
    RecordImportPage(PageContext &ctx, bool orders, QWidget *parent = nullptr);
};
