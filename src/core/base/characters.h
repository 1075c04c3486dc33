#pragma once

#include <QStringView>

// Widths count characters (code points), as the schema's maxLength does, never UTF-16 units:
// an emoji is one character of a field, and a cut never splits one in half.
namespace Characters {

// The characters of a text (a surrogate pair counts once).
qsizetype count(QStringView text);
// The longest start of text with at most max characters.
QStringView first(QStringView text, qsizetype max);
// Whether text has more than max characters.
inline bool longerThan(QStringView text, qsizetype max)
{
    return text.size() > max && count(text) > max;
}

} // namespace Characters
