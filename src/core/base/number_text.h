#pragma once

#include <QByteArray>
#include <QString>

namespace NumberText {

// Fixed-point text with the given decimals and "." as separator, whatever the C library's
// locale: the decimal digits a person reads (15 significant), then an exact half rounded away
// from zero; no "-0.00". Empty for infinity and NaN.
QString fixed(double number, int decimals);
// The same appended to out as Latin-1; false (nothing appended) for infinity and NaN.
bool appendFixed(QByteArray &out, double number, int decimals);

} // namespace NumberText
