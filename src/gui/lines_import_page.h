#pragma once

#include "page_context.h"

#include <QWidget>

// "... i pozycji faktur" and its twin "... i pozycji zaliczek": how the lines follow their record, and their mapping
// table.
class LinesImportPage : public QWidget
{
    Q_OBJECT
public:
    LinesImportPage(PageContext &ctx, bool orders, QWidget *parent = nullptr);

private:
    PageContext m_ctx; // the window's registers, kept for the page's own slots
};
