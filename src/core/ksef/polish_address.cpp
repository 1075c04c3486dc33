#include "ksef/polish_address.h"

#include <QRegularExpression>

PolishAddress parsePolishAddress(const QStringList &lines)
{
    PolishAddress a;
    QString text = lines.join(QStringLiteral(", ")).simplified();
    // the postal code and the town after it, up to a comma or the end
    static const QRegularExpression code(QStringLiteral(R"((?:^|[\s,])(\d{2}-\d{3})(?:\s+([^,]+?))?\s*(?:,|$))"));
    const QRegularExpressionMatch c = code.match(text);
    if (c.hasMatch()) {
        a.postalCode = c.captured(1);
        a.town = c.captured(2).trimmed();
        text.remove(c.capturedStart(0), c.capturedLength(0));
    }
    // the street: an optional "ul.", a name with a letter in it, the house number (12, 12A,
    // 12-14) and the flat after "/", "m." or "lok."; what follows (the town again) is left
    static const QRegularExpression street(
        QStringLiteral(
            R"(^(?:ul\.\s*|ul\s+)?(.*?\p{L}.*?)\s+(\d+[A-Za-z]?(?:-\d+[A-Za-z]?)?)(?:(?:\s*/\s*|\s+(?:m|lok)(?:\.\s*|\s+))(\w+))?(?:\s|,|$))"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    for (const QString &part : text.split(u',', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch s = street.match(part.trimmed());
        if (!s.hasMatch())
            continue;
        a.street = s.captured(1).trimmed();
        a.house = s.captured(2);
        a.flat = s.captured(3);
        break;
    }
    return a;
}
