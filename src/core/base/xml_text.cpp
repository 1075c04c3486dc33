#include "base/xml_text.h"

namespace XmlText {

QString safe(const QString &text, bool *changed)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    // most texts are clean: find the first character to drop before copying anything
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (!allowed(c))
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
        if (allowed(c))
            out += text[i];
    }
    return out;
}

bool appendEscaped(QByteArray &out, QStringView text, bool *changed)
{
    const qsizetype start = out.size();
    bool dropped = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        } else if (!allowed(c)) {
            dropped = true;
            continue;
        }
        if (c < 0x80) {
            switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                out += char(c);
            }
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    if (changed)
        *changed = dropped;
    return out.size() > start;
}

} // namespace XmlText
