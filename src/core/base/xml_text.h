#pragma once

#include <QByteArray>
#include <QString>

// Text as XML 1.0 takes it: the one rule for the characters it forbids, and the one way
// element text is escaped. Both roads of the writer (libxml2's tree and the direct byte
// road) and every other writer of XML in the program go through here.
namespace XmlText {

// XML 1.0 allows TAB, LF, CR and everything from U+0020 up, except U+FFFE and U+FFFF (and
// lone surrogates, which a code point never is).
constexpr bool allowed(char32_t c)
{
    return c >= 0x20 ? c != 0xFFFE && c != 0xFFFF && (c < 0xD800 || c > 0xDFFF) : c == 0x9 || c == 0xA || c == 0xD;
}

// The text without the characters XML forbids (a whole surrogate pair stays, a lone one
// goes). *changed tells whether anything was dropped.
QString safe(const QString &text, bool *changed = nullptr);

// Appends the text as libxml2 writes an element's text: UTF-8, forbidden characters left
// out, < > & and CR as references. False when nothing was appended (an empty text, or one of
// forbidden characters only); *changed is set when something was left out.
bool appendEscaped(QByteArray &out, QStringView text, bool *changed = nullptr);

} // namespace XmlText
