#pragma once

#include "document_grid.h"
#include "document_navigator.h"

#include <QWidget>

// The navigator of a table among a window's widgets, or null.
inline DocumentNavigator *navigatorOf(const QWidget *window, const DocumentTable *table)
{
    for (DocumentNavigator *n : window->findChildren<DocumentNavigator *>())
        if (n->table() == table)
            return n;
    return nullptr;
}
