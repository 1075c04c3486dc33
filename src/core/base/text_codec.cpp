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

} // namespace TextCodec
