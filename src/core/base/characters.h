#pragma once

#include <QString>
#include <QStringList>
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

// What a cut value is said as: "where: field „start…” (N znaków, zostało M)".
QString cutNote(const QString &where, const QString &field, QStringView text, qsizetype max);
// The one message of the values an import cut: their number and the first of them, named.
// `total` counts them all when `notes` holds only the first.
QString cutMessage(const QStringList &notes, qsizetype total = -1);

} // namespace Characters
