#include "base/number_text.h"

#include <QByteArray>
#include <QVarLengthArray>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace NumberText {

namespace {

template <typename Real> bool appendFixedOf(QByteArray &out, Real number, int decimals)
{
    if (!std::isfinite(number))
        return false;
    // The shortest decimal text that reads back as the same double (up to 17 significant
    // digits: 16 integer digits and 2 decimals stay exact), then the exact half away from
    // zero, once. to_chars, unlike printf, never takes the separator from the C library's locale
    char buf[64];
    const std::to_chars_result r =
        std::to_chars(buf, buf + sizeof buf - 1, std::fabs(number), std::chars_format::scientific);
    *r.ptr = 0;
    // buf: d[.ddd…]e±XX
    const char *e = std::find(buf, r.ptr, 'e');
    int exponent = 0;
    std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), r.ptr, exponent);
    char mantissa[40];
    int significant = 0;
    for (const char *c = buf; c < e; ++c)
        if (*c != '.')
            mantissa[significant++] = *c;
    // value = 0.digits * 10^(exponent + 1); point: the position of the decimal point in digits
    int point = exponent + 1;
    // room for the zeros before the digits, the digits, the zeros up to the decimals asked for
    QVarLengthArray<char, 700> buffer(std::max(-point, 0) + significant + std::max(point, 0) + std::max(decimals, 0) +
                                      2);
    char *digits = buffer.data();
    int length = 0;
    if (point < 0) {
        std::memset(digits, '0', size_t(-point));
        length = -point;
        point = 0;
    }
    std::memcpy(digits + length, mantissa, size_t(significant));
    length += significant;
    if (length < point + decimals + 1) {
        std::memset(digits + length, '0', size_t(point + decimals + 1 - length));
        length = point + decimals + 1;
    }
    const bool roundUp = digits[point + decimals] >= '5';
    length = point + decimals;
    if (roundUp) {
        int i = length - 1;
        while (i >= 0 && digits[i] == '9') {
            digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++digits[i];
        } else {
            std::memmove(digits + 1, digits, size_t(length));
            digits[0] = '1';
            ++length;
            ++point;
        }
    }
    const bool zero = std::all_of(digits, digits + length, [](char c) { return c == '0'; }); // no "-0.00"
    if (number < 0 && !zero)
        out += '-';
    int from = 0;
    while (point - from > 1 && digits[from] == '0')
        ++from;
    if (point == 0)
        out += '0';
    else
        out.append(digits + from, point - from);
    if (decimals > 0) {
        out += '.';
        out.append(digits + point, decimals);
    }
    return true;
}

} // namespace

bool appendFixed(QByteArray &out, double number, int decimals)
{
    return appendFixedOf(out, number, decimals);
}

bool appendFixed(QByteArray &out, long double number, int decimals)
{
    return appendFixedOf(out, number, decimals);
}

bool appendTrimmed(QByteArray &out, double number, int minDecimals, int maxDecimals)
{
    const qsizetype start = out.size();
    if (!appendFixedOf(out, number, maxDecimals))
        return false;
    if (maxDecimals > minDecimals) {
        const qsizetype point = out.indexOf('.', start);
        qsizetype end = out.size();
        while (end > point + 1 + minDecimals && out.at(end - 1) == '0')
            --end;
        if (end == point + 1)
            --end; // no decimals asked for: no point either
        out.truncate(end);
    }
    return true;
}

QString fixed(double number, int decimals)
{
    QByteArray text;
    return appendFixed(text, number, decimals) ? QString::fromLatin1(text) : QString();
}

QString fixed(long double number, int decimals)
{
    QByteArray text;
    return appendFixed(text, number, decimals) ? QString::fromLatin1(text) : QString();
}

} // namespace NumberText
