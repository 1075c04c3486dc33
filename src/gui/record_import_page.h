#pragma once

#include "page_context.h"

#include <QWidget>

// "Ustawienia importu faktur" and its twin "Ustawienie importu Zaliczek": the record pass and its mapping table.
class RecordImportPage : public QWidget
{
    Q_OBJECT
public:
    RecordImportPage(PageContext &ctx, bool orders, QWidget *parent = nullptr);

private:
    PageContext m_ctx; // the window's registers, kept for the page's own slots
};
