#include "import/sep_parser.h"

#include <charconv>
#include <cmath>
#include <limits>

QStringView trimView(QStringView text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

void FieldSplitter::init(const QString &line, QChar separator, QChar decimalSeparator, int dateFormat, bool trimFields)
{
    m_separator = separator;
    m_decimal = decimalSeparator;
    m_dateFormat = dateFormat;
    m_trim = trimFields;
    m_fallback.clear();
    if (m_separator != u'\t' && !line.contains(u'"')) {
        m_line = line; // shared, not copied
        cutInPlace();
        return;
    }
    split(line);
}

// No quotes: the fields are the runs between separators, read in place in m_line; a
// separator at the very end opens no further field.
void FieldSplitter::cutInPlace()
{
    m_inLine = true;
    m_fields.clear();
    const QStringView line(m_line);
    const qsizetype L = line.size();
    qsizetype from = 0;
    for (qsizetype i = 0; i < L; ++i) {
        if (line[i] == m_separator) {
            m_fields.emplace_back(int(from), int(i - from));
            from = i + 1;
        }
    }
    if (from < L || L == 0 || line[L - 1] != m_separator)
        m_fields.emplace_back(int(from), int(L - from));
    m_count = int(m_fields.size());
}

void FieldSplitter::done()
{
    m_fields.clear();
    m_count = 0;
    m_line = QString(); // the caller's line is its own again: its buffer serves the next line
}

int FieldSplitter::split(QStringView line)
{
    m_inLine = false;
    m_line.clear();
    m_buffer.clear();
    m_fields.clear();
    int start = 0;
    auto endField = [&] {
        m_fields.emplace_back(start, int(m_buffer.size()) - start);
        start = int(m_buffer.size());
    };
    const QChar sep = m_separator;
    const qsizetype L = line.size();
    if (sep == u'\t') {
        // no quote handling at all
        qsizetype from = 0;
        for (qsizetype i = 0; i < L; ++i) {
            if (line[i] == sep) {
                m_buffer.append(line.mid(from, i - from));
                endField();
                from = i + 1;
            }
        }
        m_buffer.append(line.mid(from));
        endField();
        m_count = int(m_fields.size());
        return m_count;
    }
    if (!line.contains(u'"')) {
        m_line = line.toString();
        cutInPlace();
        return m_count;
    }
    bool quoted = false;
    bool ended = false;
    for (qsizetype i = 0; i < L && !ended; ++i) {
        const QChar c = line[i];
        const bool last = i == L - 1;
        // the code-0 separator splits too: no line of a file holds that character (it ends
        // the text), but the header's column layout joins its lines with it
        if (c == sep) {
            if (!quoted) {
                endField();
                if (last)
                    ended = true;
            } else {
                m_buffer.append(c);
            }
        } else if (c == u'"') {
            const bool bufferEmpty = int(m_buffer.size()) == start;
            if (bufferEmpty && !quoted) {
                quoted = true;
            } else if (quoted && !last && line[i + 1] == sep) {
                quoted = false;
                endField();
                ++i;
                if (i == L - 1)
                    ended = true;
            } else if (!last && line[i + 1] == u'"') {
                m_buffer.append(u'"');
                ++i;
            } else if (quoted && last) {
                quoted = false;
            } else {
                m_buffer.append(c);
            }
        } else {
            m_buffer.append(c);
        }
    }
    if (!ended)
        endField();
    m_count = int(m_fields.size());
    return m_count;
}

QStringView FieldSplitter::rawField(int n) const
{
    if (n < 1 || n > m_count)
        return QStringView();
    const auto &[offset, length] = m_fields[size_t(n - 1)];
    return QStringView(m_inLine ? m_line : m_buffer).mid(offset, length);
}

QStringView FieldSplitter::viewAt(int n) const
{
    QStringView v = n == -1 ? QStringView(m_fallback) : rawField(n);
    return m_trim ? trimView(v) : v;
}

QString FieldSplitter::stringAt(int n, const QString &defaultValue) const
{
    QStringView v;
    if (n == -1)
        v = m_fallback;
    else if (n <= 0 || n > m_count || rawField(n).isEmpty())
        v = defaultValue;
    else
        v = rawField(n);
    return (m_trim ? trimView(v) : v).toString();
}

bool FieldSplitter::readInt(QStringView text, int *value)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i >= text.size())
        return false;
    qint64 v = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c - u'0');
        if (v > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    *value = int(v);
    return true;
}

int FieldSplitter::intAt(int n, int defaultValue) const
{
    const QString s = stringAt(n, QString());
    int v = 0;
    return !s.isEmpty() && readInt(s, &v) ? v : defaultValue;
}

double FieldSplitter::floatAt(int n, double defaultValue) const
{
    const QString s = stringAt(n, QString());
    // keep minus signs and digits, the first decimal separator as a point; drop the rest
    char t[128];
    int len = 0;
    bool decimalSeen = false;
    for (QChar ch : trimView(s)) {
        if (len >= int(sizeof t) - 1)
            return defaultValue;
        const char16_t c = ch.unicode();
        if (c == u'-' || (c >= u'0' && c <= u'9'))
            t[len++] = char(c);
        else if (ch == m_decimal && !decimalSeen) {
            t[len++] = '.';
            decimalSeen = true;
        }
    }
    if (len == 0)
        return defaultValue;
    t[len] = 0;
    // optional leading minus, digits, optional point with digits on at least one side
    int i = t[0] == '-' ? 1 : 0;
    int digits = 0;
    while (i < len && t[i] >= '0' && t[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < len && t[i] == '.') {
        ++i;
        while (i < len && t[i] >= '0' && t[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (i != len || digits == 0)
        return defaultValue;
    // the C library's strtod follows LC_NUMERIC (a decimal comma under pl_PL): never use it here
    double value = defaultValue;
    const std::from_chars_result r = std::from_chars(t, t + len, value);
    return r.ec == std::errc() ? value : defaultValue;
}

QDate FieldSplitter::dateAt(int n, const QDate &defaultValue) const
{
    const QString s = stringAt(n, QString());
    if (s.isEmpty())
        return QDate(1899, 12, 30);
    QString text = s;
    text.remove(u'"');
    return parseDate(text, m_dateFormat, defaultValue);
}

QDate FieldSplitter::parseDate(QStringView text, int format, const QDate &defaultValue)
{
    if (text.size() < 3)
        return defaultValue;
    if (format == -1)
        format = text[2].isDigit() && text[2].unicode() < 128 ? 1 : 0;
    struct Layout
    {
        int minLength, yearPos, yearLen, monthPos, dayPos;
    };
    static const Layout layouts[4] = {{10, 7, 4, 4, 1}, {10, 1, 4, 6, 9}, {8, 5, 4, 3, 1}, {8, 1, 4, 5, 7}};
    if (format < 0 || format > 3)
        return defaultValue;
    const Layout &l = layouts[format];
    if (text.size() < l.minLength)
        return defaultValue;
    const QStringView year = text.mid(l.yearPos - 1, l.yearLen);
    const QStringView month = text.mid(l.monthPos - 1, 2);
    const QStringView day = text.mid(l.dayPos - 1, 2);
    int y = 0, m = 0, d = 0;
    if (!readInt(year, &y))
        throw ImportError{QStringLiteral("Błąd określenia ROKU(%1) wg [%2]").arg(year, text)};
    if (!readInt(month, &m))
        throw ImportError{QStringLiteral("Błąd określenia MIESIĄCA(%1) wg [%2]").arg(month, text)};
    if (!readInt(day, &d))
        throw ImportError{QStringLiteral("Błąd określenia DNIA(%1) wg [%2]").arg(day, text)};
    if (y < 1 || y > 9999 || !QDate::isValid(y, m, d))
        throw ImportError{QStringLiteral("Błąd określenia DATY wg(") + text + u')'};
    return QDate(y, m, d);
}
