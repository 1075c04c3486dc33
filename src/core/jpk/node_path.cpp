#include "jpk/node_path.h"

#include "base/number_text.h"

#include "base/controls.h"
#include "base/settings_file.h"
#include "base/user_port.h"
#include "base/xml_services.h"

namespace NodePath {

bool nameMatches(const QString &nodeName, const QString &pattern)
{
    QStringView pat(pattern);
    if (pat.startsWith(u'^'))
        pat = pat.mid(1);
    QStringView name(nodeName);
    if (!pat.contains(u':')) {
        const qsizetype colon = name.indexOf(u':');
        if (colon >= 0)
            name = name.mid(colon + 1);
    }
    const qsizetype star = pat.indexOf(u'*');
    if (star >= 0)
        return name.startsWith(pat.left(star));
    return name == pat;
}

xmlNode *findChild(xmlNode *parent, const QString &pattern)
{
    if (!parent)
        return nullptr;
    for (xmlNode *child = parent->children; child; child = child->next)
        if (nameMatches(Xml::nodeName(child), pattern))
            return child;
    return nullptr;
}

namespace {

xmlNode *search(xmlNode *node, const QString &pattern, bool noSiblings)
{
    if (nameMatches(Xml::nodeName(node), pattern))
        return node;
    if (!noSiblings) {
        for (xmlNode *s = node->next; s; s = s->next)
            if (nameMatches(Xml::nodeName(s), pattern))
                return s;
        for (xmlNode *s = node->prev; s; s = s->prev)
            if (nameMatches(Xml::nodeName(s), pattern))
                return s;
    }
    for (xmlNode *child = node->children; child; child = child->next)
        if (xmlNode *found = search(child, pattern, noSiblings))
            return found;
    return nullptr;
}

} // namespace

xmlNode *find(xmlNode *start, const QString &path, bool noSiblings)
{
    if (!start)
        return nullptr;
    xmlNode *current = start;
    QString rest = path;
    qsizetype bar;
    while ((bar = rest.indexOf(u'|')) >= 0) {
        const QString segment = rest.left(bar);
        current = segment.startsWith(u'^') ? findChild(current, segment.mid(1)) : find(current, segment, true);
        if (!current)
            return nullptr;
        rest = rest.mid(bar + 1);
    }
    if (rest.startsWith(u'^'))
        return findChild(current, rest.mid(1));
    return search(current, rest, noSiblings);
}

xmlNode *findOrReport(UserPort *port, xmlNode *start, const QString &path, bool noSiblings)
{
    xmlNode *node = find(start, path, noSiblings);
    if (!node && port) {
        port->setBusy(false);
        port->info(applicationTitle(), QStringLiteral("Nie odnaleziono <%1>").arg(path));
    }
    return node;
}

void remove(UserPort *port, xmlNode *start, const QString &path)
{
    xmlNode *node = find(start, path, false);
    if (!node)
        return;
    if (!node->parent || node->type == XML_DOCUMENT_NODE) {
        if (port)
            port->info(applicationTitle(),
                       QStringLiteral("Błąd usunięcia węzła <%1> (%2)").arg(path, Xml::nodeName(node)));
        return;
    }
    xmlUnlinkNode(node);
    xmlFreeNode(node);
}

QString readValue(UserPort *port, xmlNode *start, const QString &path, const QString &defaultText, bool noSiblings,
                  bool quiet)
{
    xmlNode *node = quiet ? find(start, path, noSiblings) : findOrReport(port, start, path, noSiblings);
    return node ? Xml::elementText(node) : defaultText;
}

QString readText(xmlNode *start, const QString &path)
{
    return readValue(nullptr, start, path, QString(), false, true);
}

QDate readDate(UserPort *port, xmlNode *start, const QString &path, bool quiet)
{
    return dateOfText(readValue(port, start, path, QStringLiteral("*"), false, quiet));
}

QDate dateOfText(const QString &text)
{
    const QString t = trimControl(text);
    if (t.size() != 10)
        return zeroDate();
    bool okY = false, okM = false, okD = false;
    const int y = t.mid(0, 4).toInt(&okY);
    const int m = t.mid(5, 2).toInt(&okM);
    const int d = t.mid(8, 2).toInt(&okD);
    // a year below 1 ("-001", "0000") is as impossible as a 13th month
    if (!okY || !okM || !okD || y < 1 || !QDate::isValid(y, m, d))
        return zeroDate();
    return QDate(y, m, d);
}

void setText(UserPort *port, xmlNode *start, const QString &path, const QString &value, bool removeIfEmpty)
{
    if (value.isEmpty() && removeIfEmpty) {
        remove(port, start, path);
        return;
    }
    if (xmlNode *node = find(start, path, false))
        Xml::setText(node, value);
}

void setTextOrRemove(UserPort *port, xmlNode *start, const QString &path, const QString &value)
{
    setText(port, start, path, value, true);
}

QString dateText(const QDate &date)
{
    if (!date.isValid() || date == zeroDate() || date.year() < 1)
        return QString();
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

void setDate(UserPort *port, xmlNode *start, const QString &path, bool removeIfEmpty, const QDate &date)
{
    setText(port, start, path, dateText(date), removeIfEmpty);
}

void setDateOrRemove(UserPort *port, xmlNode *start, const QString &path, const QDate &date)
{
    setDate(port, start, path, true, date);
}

QString floatText(double number, int decimals)
{
    return NumberText::fixed(number, decimals);
}

void setFloat(UserPort *port, xmlNode *start, const QString &path, int decimals, double number)
{
    setText(port, start, path, floatText(number, decimals), false);
}

} // namespace NodePath
