#include "base/xml_shape.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// The characters that end a run inside a start tag.
constexpr auto kStopsATag = [] {
    std::array<bool, 256> stops{};
    stops['>'] = stops['"'] = stops['\''] = stops['='] = true;
    return stops;
}();

} // namespace

bool XmlShapeGuard::pass(const char *data, qsizetype size)
{
    if (m_refused)
        return false;
    const char *p = data;
    const char *const end = data + size;
    while (p < end) {
        switch (m_mode) {
        case Mode::Text: {
            // The fast lane: text, then "</name>" or "<name>" without attributes (all but a few
            // tags of a JPK file) stay in this loop. Texts are short: a plain loop beats memchr.
            for (;;) {
                while (p < end && *p != '<')
                    ++p;
                if (p == end || p + 1 == end)
                    break;
                const char next = p[1];
                if (next == '!' || next == '?')
                    break;
                const char *q = p + 2;
                if (next == '/') {
                    while (q < end && *q != '>')
                        ++q;
                } else {
                    while (q < end && !kStopsATag[static_cast<unsigned char>(*q)])
                        ++q;
                }
                if (q == end || *q != '>')
                    break; // the tag goes on past this chunk, or holds attributes: the slow lane
                p = q + 1;
            }
            if (p == end)
                continue;
            m_tagOffset = m_offset + (p - data);
            ++p;
            m_mode = Mode::Open;
            continue;
        }
        case Mode::Open:
            m_before[0] = m_before[1] = 0;
            if (*p == '!') {
                m_mode = Mode::Bang;
                m_matched = 0;
            } else if (*p == '?') {
                m_mode = Mode::Instruction;
            } else if (*p == '/') {
                m_mode = Mode::SkipToEnd;
            } else {
                m_mode = Mode::StartTag;
                m_attributes = 0;
                continue; // the name's first character is read as part of the tag
            }
            break;
        case Mode::Bang: {
            // "<!--" opens a comment, "<![CDATA[" a CDATA section, anything else is a declaration
            static const char kComment[] = "--";
            static const char kCData[] = "[CDATA[";
            m_bang[m_matched++] = *p;
            const bool comment = std::strncmp(m_bang, kComment, size_t(m_matched)) == 0;
            const bool cdata = std::strncmp(m_bang, kCData, size_t(m_matched)) == 0;
            if (comment && m_matched == 2) {
                m_mode = Mode::Comment;
            } else if (cdata && m_matched == 7) {
                m_mode = Mode::CData;
            } else if (!comment && !cdata) {
                m_mode = Mode::SkipToEnd;
                continue; // this character may be the '>' itself
            }
            break;
        }
        case Mode::StartTag: {
            // names and blanks pass in a tight loop; only '>', quotes and '=' stop it
            while (p < end && !kStopsATag[static_cast<unsigned char>(*p)])
                ++p;
            if (p == end)
                break;
            if (*p == '>') {
                m_mode = Mode::Text;
            } else if (*p == '=') {
                if (++m_attributes > kMaxAttributes) {
                    m_refused = true;
                    return false;
                }
            } else {
                m_quote = *p;
                m_mode = Mode::Quoted;
            }
            break;
        }
        case Mode::Quoted: {
            const char *q = static_cast<const char *>(std::memchr(p, m_quote, size_t(end - p)));
            if (!q) {
                p = end;
                continue;
            }
            p = q + 1;
            m_mode = Mode::StartTag;
            continue;
        }
        case Mode::SkipToEnd: {
            while (p < end && *p != '>')
                ++p;
            if (p == end)
                continue;
            m_mode = Mode::Text;
            break;
        }
        case Mode::Comment:
        case Mode::CData:
        case Mode::Instruction:
            // the end is "-->", "]]>" or "?>": a '>' after the two characters before it
            if (*p == '>' && ((m_mode == Mode::Comment && m_before[0] == '-' && m_before[1] == '-') ||
                              (m_mode == Mode::CData && m_before[0] == ']' && m_before[1] == ']') ||
                              (m_mode == Mode::Instruction && m_before[1] == '?'))) {
                m_mode = Mode::Text;
            }
            m_before[0] = m_before[1];
            m_before[1] = *p;
            break;
        }
        if (p < end)
            ++p;
    }
    m_offset += size;
    return true;
}

int XmlShapeGuard::lineAt(const char *data, qsizetype size, qint64 offset)
{
    const qsizetype upTo = qsizetype(std::min<qint64>(offset, size));
    return 1 + int(std::count(data, data + upTo, '\n'));
}

QString XmlShapeGuard::refusal(int line) const
{
    if (!m_refused)
        return QString();
    return QStringLiteral("Element w wierszu %1 ma więcej niż %2 atrybutów – żaden plik JPK ani e-faktura tylu nie "
                          "ma; pliku nie wczytano.")
        .arg(line)
        .arg(kMaxAttributes);
}
