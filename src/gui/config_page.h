#pragma once

#include "page_context.h"

class QLabel;

// "Ogóle ustawienia pliku importu": the data format, the user's application, the configuration and the substitution
// table.
class ConfigPage : public Page
{
    Q_OBJECT
public:
    explicit ConfigPage(PageContext &ctx, QWidget *parent = nullptr);
    QLabel *configLabel = nullptr; // how the configuration was chosen
};
