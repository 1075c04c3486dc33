#pragma once

#include <QDate>
#include <QString>
#include <libxml/tree.h>

class UserPort;

// Node paths: segments separated by "|"; "^" looks only at direct children; a name without
// ":" ignores the node's prefix; "*" ends the compared part of a name. The helpers never
// raise errors: "not found" is none, unreadable values are "" or the zero date.
namespace mnXML {

bool NodeNameMatches(const QString &nodeName, const QString &pattern);
xmlNode *FindChildNode(xmlNode *parent, const QString &pattern);
xmlNode *FindNodePath(xmlNode *start, const QString &path, bool noSiblings);
// As FindNodePath; when nothing is found, tells the user "Nie odnaleziono <path>".
xmlNode *FindNodeOrReport(UserPort *port, xmlNode *start, const QString &path, bool noSiblings);
void RemoveNodePath(UserPort *port, xmlNode *start, const QString &path);

QString NodeText(const xmlNode *node);
QString NodeAttribute(const xmlNode *node, const QString &name);
QString NodeLocalName(const xmlNode *node);

QString ReadNodeValue(UserPort *port, xmlNode *start, const QString &path, const QString &defaultText, bool noSiblings,
                      bool quiet);
QString ReadNodeText(xmlNode *start, const QString &path);
QDate ReadNodeDate(UserPort *port, xmlNode *start, const QString &path, bool quiet);
QDate TextToDate(const QString &text);

void SetNodeText(UserPort *port, xmlNode *start, const QString &path, const QString &value, bool removeIfEmpty);
void SetNodeTextOrRemove(UserPort *port, xmlNode *start, const QString &path, const QString &value);
void SetNodeDate(UserPort *port, xmlNode *start, const QString &path, bool removeIfEmpty, const QDate &date);
void SetNodeDateOrRemove(UserPort *port, xmlNode *start, const QString &path, const QDate &date);
void SetNodeFloat(UserPort *port, xmlNode *start, const QString &path, int decimals, double number);

// Fixed-point text with the given decimals, "." as separator, an exact half rounded away
// from zero (judged on the number's 15 significant digits, as a person reads it).
QString FloatText(double number, int decimals);
// "yyyy-mm-dd", or "" for the zero date.
QString DateText(const QDate &date);

} // namespace mnXML
