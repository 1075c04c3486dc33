#pragma once

#include <QDate>
#include <QString>
#include <libxml/tree.h>

class UserPort;

// Node paths: segments separated by "|"; "^" looks only at direct children; a name without
// ":" ignores the node's prefix; "*" ends the compared part of a name. The helpers never
// raise errors: "not found" is none, unreadable values are "" or the zero date.
namespace NodePath {

bool nameMatches(const QString &nodeName, const QString &pattern);
xmlNode *findChild(xmlNode *parent, const QString &pattern);
xmlNode *find(xmlNode *start, const QString &path, bool noSiblings);
// As find; when nothing is found, tells the user "Nie odnaleziono <path>".
xmlNode *findOrReport(UserPort *port, xmlNode *start, const QString &path, bool noSiblings);
void remove(UserPort *port, xmlNode *start, const QString &path);

QString readValue(UserPort *port, xmlNode *start, const QString &path, const QString &defaultText, bool noSiblings,
                  bool quiet);
QString readText(xmlNode *start, const QString &path);
QDate readDate(UserPort *port, xmlNode *start, const QString &path, bool quiet);
QDate dateOfText(const QString &text);

void setText(UserPort *port, xmlNode *start, const QString &path, const QString &value, bool removeIfEmpty);
void setTextOrRemove(UserPort *port, xmlNode *start, const QString &path, const QString &value);
void setDate(UserPort *port, xmlNode *start, const QString &path, bool removeIfEmpty, const QDate &date);
void setDateOrRemove(UserPort *port, xmlNode *start, const QString &path, const QDate &date);
void setFloat(UserPort *port, xmlNode *start, const QString &path, int decimals, double number);

// Fixed-point text with the given decimals, "." as separator, an exact half rounded away
// from zero (judged on the number's 15 significant digits, as a person reads it).
QString floatText(double number, int decimals);
// "yyyy-mm-dd", or "" for the zero date.
QString dateText(const QDate &date);

} // namespace NodePath
