#pragma once

#include <QByteArray>
#include <QString>

namespace NumberText {

// Fixed-point text with the given decimals and "." as separator, whatever the C library's
// locale: the shortest decimal text that reads back as the same double (so 16 integer digits
// with 2 decimals stay exact and 1.005 is the 1.005 a person typed), rounded once, an exact
// half away from zero; no "-0.00". Empty for infinity and NaN.
QString fixed(double number, int decimals);
// The same appended to out as Latin-1; false (nothing appended) for infinity and NaN.
bool appendFixed(QByteArray &out, double number, int decimals);
// A sum kept in extended precision (a control sum of many amounts of 16 integer digits).
QString fixed(long double number, int decimals);
bool appendFixed(QByteArray &out, long double number, int decimals);
// A quantity's text: rounded to maxDecimals, then the zeros after the first minDecimals
// dropped (2.561 → "2.561", 2.5 → "2.50" with 2 and 6).
bool appendTrimmed(QByteArray &out, double number, int minDecimals, int maxDecimals);

} // namespace NumberText
