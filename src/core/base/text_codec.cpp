#include "base/text_codec.h"

#include <QHash>
#include <QStringDecoder>

namespace {

// The code page's own table, taken once from Qt's decoder: the byte of each character it has.
struct Cp1250Table
{
    QHash<char16_t, char> bytes;

    Cp1250Table()
    {
        QStringDecoder decoder("windows-1250");
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString decoded = decoder.decode(QByteArrayView(&byte, 1));
            if (decoded.size() == 1 && decoded.at(0) != QChar::ReplacementCharacter)
                bytes.insert(decoded.at(0).unicode(), byte);
        }
    }
};

} // namespace

namespace TextCodec {

QByteArray toWindows1250(QStringView text)
{
    static const Cp1250Table table;
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            out += char(c);
            continue;
        }
        const auto found = table.bytes.constFind(c);
        if (found != table.bytes.cend()) {
            out += *found;
            continue;
        }
        out += '?';
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i; // one character, one "?"
    }
    return out;
}

QString xmlSafe(const QString &text, bool *changed)
{
    auto allowed = [](char16_t c) { return c >= 0x20 ? c != 0xFFFE && c != 0xFFFF : c == 0x9 || c == 0xA || c == 0xD; };
    qsizetype i = 0;
    const qsizetype n = text.size();
    // most texts are clean: find the first character to drop before copying anything
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (!allowed(c) || QChar::isSurrogate(c))
            break;
    }
    if (changed)
        *changed = i < n;
    if (i == n)
        return text;
    QString out = text.left(i);
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            out += text[i];
            out += text[++i];
            continue;
        }
        if (allowed(c) && !QChar::isSurrogate(c))
            out += text[i];
    }
    return out;
}

} // namespace TextCodec
