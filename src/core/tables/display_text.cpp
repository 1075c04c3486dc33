#include "tables/display_text.h"

#include "base/number_text.h"

#include <charconv>
#include <cmath>

namespace DisplayText {

const QLocale &polish()
{
    static const QLocale locale(QLocale::Polish, QLocale::Poland);
    return locale;
}

QString number(double value, int decimals, bool grouped, const QLocale &locale)
{
    if (!std::isfinite(value))
        return QString();
    const QString fixed = NumberText::fixed(value, decimals);
    const bool negative = fixed.startsWith(u'-');
    const QString digits = negative ? fixed.mid(1) : fixed;
    const qsizetype point = digits.indexOf(u'.');
    const QString whole = point < 0 ? digits : digits.left(point);
    QString text;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (grouped && i > 0 && (whole.size() - i) % 3 == 0)
            text += locale.groupSeparator();
        text += whole.at(i);
    }
    if (point >= 0)
        text += locale.decimalPoint() + digits.mid(point + 1);
    return (negative ? locale.negativeSign() : QString()) + text;
}

QString editText(double value, int decimals, const QLocale &locale)
{
    if (!std::isfinite(value))
        return QString();
    char buf[64];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    QString text = QString::fromLatin1(buf, r.ptr - buf);
    const bool negative = text.startsWith(u'-');
    if (negative)
        text.remove(0, 1);
    qsizetype point = text.indexOf(u'.');
    if (point < 0 && decimals > 0) {
        point = text.size();
        text += u'.';
    }
    const qsizetype have = point < 0 ? 0 : text.size() - point - 1;
    if (have < decimals)
        text += QString(decimals - have, u'0');
    if (point >= 0)
        text.replace(point, 1, locale.decimalPoint());
    return (negative ? locale.negativeSign() : QString()) + text;
}

bool readNumber(QStringView text, double *value)
{
    QString t = text.trimmed().toString();
    if (t.isEmpty())
        return false;
    bool negative = false;
    if (t.front() == u'-' || t.front() == QChar(0x2212) || t.front() == u'+') {
        negative = t.front() != u'+';
        t.remove(0, 1);
    }
    // spaces of any kind group thousands
    t.remove(u' ').remove(QChar(0x00A0)).remove(QChar(0x202F)).remove(u'\'');
    const qsizetype comma = t.lastIndexOf(u','), dot = t.lastIndexOf(u'.');
    const qsizetype decimal = std::max(comma, dot);
    QByteArray c;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar ch = t.at(i);
        if (ch.isDigit() && ch.unicode() < 128)
            c += char(ch.unicode());
        else if (i == decimal)
            c += '.';
        else if ((ch == u',' || ch == u'.') && i < decimal && ch != t.at(decimal))
            continue; // the other separator groups thousands
        else
            return false;
    }
    if (c.isEmpty() || c == ".")
        return false;
    double v = 0;
    const std::from_chars_result r = std::from_chars(c.constData(), c.constData() + c.size(), v);
    if (r.ec != std::errc() || r.ptr != c.constData() + c.size())
        return false;
    *value = negative ? -v : v;
    return true;
}

QDate readDate(const QString &text)
{
    QDate d = QLocale().toDate(text, QLocale::ShortFormat);
    for (const char *form : {"d.M.yyyy", "dd-MM-yyyy", "yyyy-MM-dd"})
        if (!d.isValid())
            d = QDate::fromString(text, QString::fromLatin1(form));
    return d;
}

} // namespace DisplayText
