#include "base/characters.h"

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

} // namespace Characters
