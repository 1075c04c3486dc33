#include "base/characters.h"

#include <algorithm>

namespace Characters {

qsizetype count(QStringView text)
{
    qsizetype n = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (QChar::isHighSurrogate(text[i].unicode()) && QChar::isLowSurrogate(text[i + 1].unicode())) {
            --n;
            ++i;
        }
    return n;
}

QStringView first(QStringView text, qsizetype max)
{
    if (text.size() <= max) // never more characters than units
        return text;
    if (max <= 0)
        return text.first(0);
    qsizetype i = 0;
    for (qsizetype taken = 0; taken < max && i < text.size(); ++taken)
        i += (QChar::isHighSurrogate(text[i].unicode()) && i + 1 < text.size() &&
              QChar::isLowSurrogate(text[i + 1].unicode()))
                 ? 2
                 : 1;
    return text.first(i);
}

QString cutNote(const QString &where, const QString &field, QStringView text, qsizetype max)
{
    // one arg() call: the value may hold "%1"
    return QStringLiteral("%1, %2: „%3…” (%4 znaków, zostało %5)")
        .arg(where, field, first(text, 40).toString(), QString::number(count(text)), QString::number(max));
}

QString cutMessage(const QStringList &notes, qsizetype total)
{
    constexpr qsizetype kShown = 20;
    const qsizetype all = std::max(total, notes.size());
    QString text = QStringLiteral("Skrócono %1 wartości dłuższych niż ich pola w tabelach:").arg(all);
    const qsizetype shown = std::min(kShown, notes.size());
    for (qsizetype i = 0; i < shown; ++i)
        text += QStringLiteral("\r\n  ") + notes.at(i);
    if (all > shown)
        text += QStringLiteral("\r\n  … i %1 więcej").arg(all - shown);
    return text;
}

} // namespace Characters
