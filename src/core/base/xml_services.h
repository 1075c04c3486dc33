#pragma once

#include <QString>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <memory>

// Thin RAII and conversion layer over libxml2: documents, strings, names, attributes,
// parsing untrusted input safely, and the error record callers show.

struct XmlDocDeleter
{
    void operator()(xmlDoc *doc) const { xmlFreeDoc(doc); }
};
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocDeleter>;

// A string that libxml2 allocated for the caller.
class XmlString
{
public:
    explicit XmlString(xmlChar *s = nullptr) : m_s(s) {}
    ~XmlString() { xmlFree(m_s); }
    XmlString(const XmlString &) = delete;
    XmlString &operator=(const XmlString &) = delete;
    bool isNull() const { return m_s == nullptr; }
    QString toString() const;

private:
    xmlChar *m_s;
};

// Where and why a document could not be read.
struct XmlError
{
    int code = 0;
    QString reason;
    int line = 0;
    int column = 0; // 0 when unknown
    QString sourceText;
};

// The first error of a parse, in the user's words; warnings do not count.
struct XmlFirstError
{
    XmlError first;
    bool seen = false;
    void take(xmlErrorPtr error);
};

namespace Xml {

// The parser's reason in the user's words: the errors a damaged or foreign file gives most
// often, with the names and lines libxml2 puts in them; any other keeps libxml2's text after
// a Polish lead and its code.
QString parserReason(int code, const QString &english);

// Why a document with entity declarations is refused: entities are never expanded.
inline constexpr char kDtdRefused[] = "Plik zawiera deklaracje DTD, których program nie przyjmuje";

// The parser's message as the program shows it: the reason, "Line: n" and the start of
// the line at the error.
QString parserMessage(const XmlError &error);

QString str(const xmlChar *s);
QByteArray utf8(const QString &s);

// Parses with well-formedness checks only: no DTD loading, no entity substitution, no
// network, libxml2's size limits kept. Whitespace-only text between elements is dropped.
XmlDocPtr parseFile(const QString &path, XmlError *error);
XmlDocPtr parseText(const QString &text, XmlError *error);
// The same for the bytes of a document that came from elsewhere (a package); url names it.
XmlDocPtr parseBytes(const QByteArray &bytes, const QString &url, XmlError *error);

// "prefix:name" for elements, "#text", "#cdata-section", "#comment", the target of a
// processing instruction.
QString nodeName(const xmlNode *node);
QString localName(const xmlNode *node);
QString namespaceUri(const xmlNode *node);
bool isText(const xmlNode *node); // text or CDATA
// A text node's text, or an element's when its one child is a text; empty otherwise.
QString elementText(const xmlNode *node);
// An attribute by its qualified name as written ("xsi:schemaLocation", "xmlns:tns",
// "xmlns" included); empty when absent.
QString attribute(const xmlNode *node, const QString &qualifiedName);
QString attributeNs(const xmlNode *node, const QString &localName, const QString &namespaceUri);
QString doctypeSystemId(const xmlDoc *doc);
// Replaces an element's content with one text node. Characters XML 1.0 forbids are left
// out, so that what is written can always be read again; returns whether any was.
bool setText(xmlNode *node, const QString &text);

// The text of line `line` (1-based) of a file, without its line end, and the byte offset
// where that line begins. Reads the file as a stream.
QString lineOfFile(const QString &path, int line, qint64 *offset = nullptr);
QString lineOfText(const QString &text, int line);

} // namespace Xml
