#include "jpk/mn_xml.h"

#include "base/number_text.h"

#include "base/controls.h"
#include "base/settings_file.h"
#include "base/user_port.h"
#include "base/xml_services.h"

namespace mnXML {

bool NodeNameMatches(const QString &nodeName, const QString &pattern)
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

xmlNode *FindChildNode(xmlNode *parent, const QString &pattern)
{
    if (!parent)
        return nullptr;
    for (xmlNode *child = parent->children; child; child = child->next)
        if (NodeNameMatches(Xml::nodeName(child), pattern))
            return child;
    return nullptr;
}

namespace {

xmlNode *search(xmlNode *node, const QString &pattern, bool noSiblings)
{
    if (NodeNameMatches(Xml::nodeName(node), pattern))
        return node;
    if (!noSiblings) {
        for (xmlNode *s = node->next; s; s = s->next)
            if (NodeNameMatches(Xml::nodeName(s), pattern))
                return s;
        for (xmlNode *s = node->prev; s; s = s->prev)
            if (NodeNameMatches(Xml::nodeName(s), pattern))
                return s;
    }
    for (xmlNode *child = node->children; child; child = child->next)
        if (xmlNode *found = search(child, pattern, noSiblings))
            return found;
    return nullptr;
}

} // namespace

xmlNode *FindNodePath(xmlNode *start, const QString &path, bool noSiblings)
{
    if (!start)
        return nullptr;
    xmlNode *current = start;
    QString rest = path;
    qsizetype bar;
    while ((bar = rest.indexOf(u'|')) >= 0) {
        const QString segment = rest.left(bar);
        current =
            segment.startsWith(u'^') ? FindChildNode(current, segment.mid(1)) : FindNodePath(current, segment, true);
        if (!current)
            return nullptr;
        rest = rest.mid(bar + 1);
    }
    if (rest.startsWith(u'^'))
        return FindChildNode(current, rest.mid(1));
    return search(current, rest, noSiblings);
}

xmlNode *FindNodeOrReport(UserPort *port, xmlNode *start, const QString &path, bool noSiblings)
{
    xmlNode *node = FindNodePath(start, path, noSiblings);
    if (!node && port) {
        port->setBusy(false);
        port->info(applicationTitle(), QStringLiteral("Nie odnaleziono <%1>").arg(path));
    }
    return node;
}

void RemoveNodePath(UserPort *port, xmlNode *start, const QString &path)
{
    xmlNode *node = FindNodePath(start, path, false);
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

QString NodeText(const xmlNode *node)
{
    if (!node)
        return QString();
    if (Xml::isText(node))
        return Xml::str(node->content);
    if (node->type != XML_ELEMENT_NODE)
        return QString();
    const xmlNode *child = node->children;
    if (!child || child->next || !Xml::isText(child))
        return QString();
    return Xml::str(child->content);
}

QString NodeAttribute(const xmlNode *node, const QString &name)
{
    return Xml::attribute(node, name);
}

QString NodeLocalName(const xmlNode *node)
{
    return node ? Xml::localName(node) : QString();
}

QString ReadNodeValue(UserPort *port, xmlNode *start, const QString &path, const QString &defaultText, bool noSiblings,
                      bool quiet)
{
    xmlNode *node = quiet ? FindNodePath(start, path, noSiblings) : FindNodeOrReport(port, start, path, noSiblings);
    return node ? NodeText(node) : defaultText;
}

QString ReadNodeText(xmlNode *start, const QString &path)
{
    return ReadNodeValue(nullptr, start, path, QString(), false, true);
}

QDate ReadNodeDate(UserPort *port, xmlNode *start, const QString &path, bool quiet)
{
    return TextToDate(ReadNodeValue(port, start, path, QStringLiteral("*"), false, quiet));
}

QDate TextToDate(const QString &text)
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

void SetNodeText(UserPort *port, xmlNode *start, const QString &path, const QString &value, bool removeIfEmpty)
{
    if (value.isEmpty() && removeIfEmpty) {
        RemoveNodePath(port, start, path);
        return;
    }
    if (xmlNode *node = FindNodePath(start, path, false))
        Xml::setText(node, value);
}

void SetNodeTextOrRemove(UserPort *port, xmlNode *start, const QString &path, const QString &value)
{
    SetNodeText(port, start, path, value, true);
}

QString DateText(const QDate &date)
{
    if (!date.isValid() || date == zeroDate() || date.year() < 1)
        return QString();
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

void SetNodeDate(UserPort *port, xmlNode *start, const QString &path, bool removeIfEmpty, const QDate &date)
{
    SetNodeText(port, start, path, DateText(date), removeIfEmpty);
}

void SetNodeDateOrRemove(UserPort *port, xmlNode *start, const QString &path, const QDate &date)
{
    SetNodeDate(port, start, path, true, date);
}

QString FloatText(double number, int decimals)
{
    return NumberText::fixed(number, decimals);
}

void SetNodeFloat(UserPort *port, xmlNode *start, const QString &path, int decimals, double number)
{
    SetNodeText(port, start, path, FloatText(number, decimals), false);
}

} // namespace mnXML
