#include "base/number_text.h"

#include <QByteArray>
#include <charconv>
#include <cmath>

namespace NumberText {

QString fixed(double number, int decimals)
{
    if (!std::isfinite(number))
        return QString();
    // The decimal digits a person reads (15 significant), then the exact half away from zero.
    // to_chars, unlike printf, never takes the decimal separator from the C library's locale
    char buf[64];
    const std::to_chars_result r =
        std::to_chars(buf, buf + sizeof buf - 1, std::fabs(number), std::chars_format::scientific, 14);
    *r.ptr = 0;
    // buf: d.dddddddddddddde±XX
    QByteArray digits;
    digits.append(buf[0]);
    digits.append(buf + 2, 14);
    int exponent = 0;
    const char *e = buf + 17;
    std::from_chars(e + (*e == '+' ? 1 : 0), r.ptr, exponent);
    // value = 0.digits * 10^(exponent + 1); position of the decimal point in digits:
    int point = exponent + 1;
    if (point < 0) {
        digits.prepend(QByteArray(-point, '0'));
        point = 0;
    }
    if (digits.size() < point + decimals + 1)
        digits.append(QByteArray(point + decimals + 1 - digits.size(), '0'));
    const bool roundUp = digits.at(point + decimals) >= '5';
    digits.truncate(point + decimals);
    if (roundUp) {
        int i = int(digits.size()) - 1;
        while (i >= 0 && digits.at(i) == '9') {
            digits[i] = '0';
            --i;
        }
        if (i >= 0)
            digits[i] = char(digits.at(i) + 1);
        else {
            digits.prepend('1');
            ++point;
        }
    }
    QByteArray whole = digits.left(point);
    while (whole.size() > 1 && whole.startsWith('0'))
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = "0";
    const QByteArray fraction = digits.mid(point, decimals);
    const bool zero = QByteArray(digits).replace('0', "").isEmpty(); // no "-0.00"
    QByteArray text = whole;
    if (decimals > 0)
        text += '.' + fraction;
    if (number < 0 && !zero)
        text.prepend('-');
    return QString::fromLatin1(text);
}

} // namespace NumberText
