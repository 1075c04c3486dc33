#pragma once

#include "base/xml_services.h"

// The streaming scan of a whole XML document: libxml2's SAX parser over the file, every byte
// watched for tags of an absurd shape first, nothing of the content kept unless an observer
// takes it.

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

// Reads a whole file as a stream, keeping nothing of it: checks that it is well-formed
// (no network, no entity substitution) and notes its root element. A document that declares
// entities is refused, and so is one that libxml2's limits (the size of one text node, the
// depth of elements) would stop a reader in.
// An observer, when given, is told the content as the scan reads it.
bool scanFile(const QString &path, XmlRootInfo *root, XmlError *error, XmlScanObserver *observer = nullptr);

} // namespace Xml
