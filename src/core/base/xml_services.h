#pragma once

#include <QString>
#include <libxml/tree.h>
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

// What a streaming read of a whole document tells about its root element.
struct XmlRootInfo
{
    bool found = false;
    QString localName;
    QString namespaceUri;
    bool hasDoctype = false; // a DOCTYPE declaration stands before the root
    QString doctypeSystemId;
    QString xsiSchemaLocation;  // in the schema-instance namespace
    QString xsiNoNamespace;     // in the schema-instance namespace
    QString attrNoNamespace;    // "xsi:noNamespaceSchemaLocation" as written
    QString attrTns;            // "xmlns:tns" as written
    QString attrSchemaLocation; // "xsi:schemaLocation" as written
};

// What a streaming read tells about the content of a document, as it goes: the depth of a
// node is that of the reader (the root element 0, its children and its text 1, and so on).
// Names come from the parser's dictionary and stay valid for the whole read.
class XmlScanObserver
{
public:
    virtual ~XmlScanObserver() = default;
    virtual void startElement(int depth, const xmlChar *localname, const xmlChar *prefix) = 0;
    virtual void endElement(int depth) = 0;
    // Text or CDATA; one node may come in several pieces.
    virtual void characters(int depth, const char *text, int length, bool cdata) = 0;
    // A comment or a processing instruction.
    virtual void otherNode(int depth) = 0;
    // How far the read is, in bytes of the file; told now and then.
    virtual void bytesRead(qint64 bytes) = 0;
    // Whether the scan is to stop now (the user cancelled); asked after bytesRead.
    virtual bool stopped() const { return false; }
};

namespace Xml {

// The parser's reason in the user's words: the errors a damaged or foreign file gives most
// often, with the names and lines libxml2 puts in them; any other keeps libxml2's text after
// a Polish lead and its code.
QString parserReason(int code, const QString &english);

// Why a document with entity declarations is refused: entities are never expanded.
inline constexpr char kDtdRefused[] = "Plik zawiera deklaracje DTD, których program nie przyjmuje";

// Reads a whole file as a stream, keeping nothing of it: checks that it is well-formed
// (no network, no entity substitution) and notes its root element. A document that declares
// entities is refused, and so is one that libxml2's limits (the size of one text node, the
// depth of elements) would stop a reader in.
// An observer, when given, is told the content as the scan reads it.
bool scanFile(const QString &path, XmlRootInfo *root, XmlError *error, XmlScanObserver *observer = nullptr);
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
