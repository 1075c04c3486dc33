#include "jpk/output_name.h"

#include "base/user_port.h"

QString correctOutputName(UserPort *port, const QString &text)
{
    const qsizetype cut = std::max(text.lastIndexOf(u'/'), text.lastIndexOf(u'\\'));
    const QString folder = text.left(cut + 1);
    const QString old = text.mid(cut + 1);
    const qsizetype dot = old.lastIndexOf(u'.');
    QString name = (dot >= 0 ? old.left(dot) : old) + QStringLiteral(".xml");
    bool changed = false;
    while (name.size() < 5) {
        name.prepend(u'x');
        changed = true;
    }
    while (name.size() > 55) {
        name.remove(0, 1);
        changed = true;
    }
    for (QChar &ch : name) {
        const char16_t u = ch.unicode();
        const bool ok = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_' ||
                        u == u'.' || u == u'-';
        if (!ok) {
            ch = u'_';
            changed = true;
        }
    }
    if (changed && port)
        port->info(applicationTitle(), QStringLiteral("Skorygowano nazwę pliku na zgodną z XSD:\r\n"
                                                      "<xs:pattern value=\"[a-zA-Z0-9_\\.\\-]{5,55}\"/>\r\n"
                                                      "było:") +
                                           old + QStringLiteral("\r\njest:") + name);
    return folder + name;
}
