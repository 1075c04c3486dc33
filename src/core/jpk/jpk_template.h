#pragma once

#include <QString>

// The JPK_FA(4) template as designed: the text the page "Schemat XML" shows at start.
QString designTemplate();
