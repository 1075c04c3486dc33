#pragma once

#include <QDate>
#include <QLocale>
#include <QString>

// How numbers are shown to the user and read back from what the user typed. Files never go
// through these: they are the window's, in the user's locale.
namespace DisplayText {

// A number with `decimals` decimals, rounded half away from zero as a person reads it; with
// `grouped`, thousands are always grouped (",0.00": "1 230,00" as well as "12 300,00").
QString number(double value, int decimals, bool grouped, const QLocale &locale = QLocale());
// The Polish locale: what messages and reports about a Polish tax file show, whatever the
// process's own locale.
const QLocale &polish();

// The text an editor starts from: every digit the value holds (the shortest text that reads
// back as the same double), at least `decimals` decimals, no grouping.
QString editText(double value, int decimals, const QLocale &locale = QLocale());

// A number as a user types it: either decimal separator (comma or point), spaces and the
// other separator as grouping, a leading "+", "-" or "−". False for anything else.
bool readNumber(QStringView text, double *value);

// A date as a user types it: the window's short form, or 5.8.2023, 05-08-2023, 2023-08-05.
// Invalid when it is none of them.
QDate readDate(const QString &text);

} // namespace DisplayText
