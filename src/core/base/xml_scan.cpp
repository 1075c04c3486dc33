#include "base/xml_scan.h"

#include "base/xml_shape.h"

#include <QFile>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <vector>

namespace {

const char kXsiNamespace[] = "http://www.w3.org/2001/XMLSchema-instance";

struct ScanState
{
    XmlRootInfo root;
    XmlFirstError errors;
    xmlParserCtxtPtr ctxt = nullptr;
    QFile *file = nullptr;
    qint64 textRun = 0; // characters of the text node being read
    // the elements not yet closed, with their lines (names from the parser's dictionary)
    struct Open
    {
        const xmlChar *localname;
        const xmlChar *prefix;
        int line;
    };
    std::vector<Open> open;
    XmlScanObserver *observer = nullptr;
    int elements = 0;

    // An error of the program's own: the scan ends with it.
    void fail(int code, const QString &reason)
    {
        if (errors.seen)
            return;
        errors.seen = true;
        errors.first.code = code;
        errors.first.reason = reason;
        errors.first.line = xmlSAX2GetLineNumber(ctxt);
        errors.first.column = xmlSAX2GetColumnNumber(ctxt);
        xmlStopParser(ctxt);
    }
};

ScanState *stateOf(void *ctx)
{
    return static_cast<ScanState *>(static_cast<xmlParserCtxtPtr>(ctx)->_private);
}

void onScanError(void *data, xmlErrorPtr error)
{
    ScanState *state = stateOf(data);
    if (!error || error->level < XML_ERR_ERROR || state->errors.seen)
        return;
    state->errors.take(error);
    // A file that ends inside an element was cut short, whatever the parser stumbled on
    // last: say so, naming the innermost open element as a whole-file read does.
    const xmlParserInputPtr in = state->ctxt->input;
    const bool allRead = state->file && state->file->atEnd();
    if (allRead && in && in->cur && in->end && !state->open.empty()) {
        const QByteArray rest(reinterpret_cast<const char *>(in->cur), qsizetype(in->end - in->cur));
        if (!rest.contains('>') && rest.count('<') <= 1) {
            const ScanState::Open &last = state->open.back();
            const QString name =
                last.prefix ? Xml::str(last.prefix) + u':' + Xml::str(last.localname) : Xml::str(last.localname);
            state->errors.first.code = XML_ERR_TAG_NOT_FINISHED;
            state->errors.first.reason = QStringLiteral("Przedwczesny koniec danych w elemencie ") + name +
                                         QStringLiteral(" (otwartym w wierszu ") + QString::number(last.line) + u')';
        }
    }
    xmlStopParser(state->ctxt);
}

void onInternalSubset(void *ctx, const xmlChar *, const xmlChar *, const xmlChar *systemId)
{
    ScanState *state = stateOf(ctx);
    state->root.hasDoctype = true;
    if (!state->root.found)
        state->root.doctypeSystemId = Xml::str(systemId);
}

// Entities are never expanded: a document that declares any is refused as a whole.
void onEntityDecl(void *ctx, const xmlChar *, int, const xmlChar *, const xmlChar *, xmlChar *)
{
    stateOf(ctx)->fail(XML_ERR_ENTITY_PROCESSING, QString::fromUtf8(Xml::kDtdRefused));
}

// The scan keeps no text, so the limit libxml2 puts on one text node is checked here: a
// file the reader would stop in the middle of is refused before anything is read.
void characters(void *ctx, const xmlChar *text, int len, bool cdata)
{
    ScanState *state = stateOf(ctx);
    state->textRun += len;
    if (state->textRun > XML_MAX_TEXT_LENGTH)
        state->fail(XML_ERR_NO_MEMORY, Xml::parserReason(0, QStringLiteral("huge text node")));
    else if (state->observer)
        state->observer->characters(int(state->open.size()), reinterpret_cast<const char *>(text), len, cdata);
}

void onCharacters(void *ctx, const xmlChar *text, int len)
{
    characters(ctx, text, len, false);
}

void onCdata(void *ctx, const xmlChar *text, int len)
{
    characters(ctx, text, len, true);
}

void onComment(void *ctx, const xmlChar *)
{
    ScanState *state = stateOf(ctx);
    state->textRun = 0;
    if (state->observer)
        state->observer->otherNode(int(state->open.size()));
}

void onProcessingInstruction(void *ctx, const xmlChar *, const xmlChar *)
{
    onComment(ctx, nullptr);
}

void onStartElement(void *ctx, const xmlChar *localname, const xmlChar *prefix, const xmlChar *uri, int nbNamespaces,
                    const xmlChar **namespaces, int nbAttributes, int, const xmlChar **attributes)
{
    ScanState *state = stateOf(ctx);
    state->textRun = 0;
    if (state->observer) {
        state->observer->startElement(int(state->open.size()), localname, prefix);
        if ((++state->elements & 0xfff) == 0 && state->file) {
            state->observer->bytesRead(state->file->pos());
            if (state->observer->stopped()) {
                state->errors.seen = true;
                state->errors.first.reason = QStringLiteral("przerwano");
                xmlStopParser(state->ctxt);
            }
        }
    }
    state->open.push_back({localname, prefix, xmlSAX2GetLineNumber(state->ctxt)});
    if (state->root.found)
        return;
    XmlRootInfo &r = state->root;
    r.found = true;
    r.localName = Xml::str(localname);
    r.namespaceUri = Xml::str(uri);
    for (int i = 0; i < nbNamespaces; ++i)
        if (namespaces[2 * i] && Xml::str(namespaces[2 * i]) == u"tns")
            r.attrTns = Xml::str(namespaces[2 * i + 1]);
    for (int i = 0; i < nbAttributes; ++i) {
        const xmlChar **a = attributes + 5 * i;
        const QString local = Xml::str(a[0]);
        const QString attrPrefix = Xml::str(a[1]);
        const QString ns = Xml::str(a[2]);
        const QString value = QString::fromUtf8(reinterpret_cast<const char *>(a[3]), int(a[4] - a[3]));
        if (ns == QLatin1String(kXsiNamespace)) {
            if (local == u"schemaLocation")
                r.xsiSchemaLocation = value;
            else if (local == u"noNamespaceSchemaLocation")
                r.xsiNoNamespace = value;
        }
        if (attrPrefix == u"xsi" && local == u"noNamespaceSchemaLocation")
            r.attrNoNamespace = value;
        if (attrPrefix == u"xsi" && local == u"schemaLocation")
            r.attrSchemaLocation = value;
    }
}

void onEndElement(void *ctx, const xmlChar *, const xmlChar *, const xmlChar *)
{
    ScanState *state = stateOf(ctx);
    state->textRun = 0;
    if (!state->open.empty())
        state->open.pop_back();
    if (state->observer)
        state->observer->endElement(int(state->open.size()));
}

// The file as libxml2 reads it, watched for start tags of an absurd shape.
struct GuardedFile
{
    QFile *file;
    XmlShapeGuard shape;
};

int readFromFile(void *context, char *buffer, int len)
{
    auto *source = static_cast<GuardedFile *>(context);
    const qint64 n = source->file->read(buffer, len);
    if (n < 0 || !source->shape.pass(buffer, n))
        return -1; // libxml2 stops reading here
    return int(n);
}

int closeNothing(void *)
{
    return 0;
}

} // namespace

namespace Xml {

bool scanFile(const QString &path, XmlRootInfo *root, XmlError *error, XmlScanObserver *observer)
{
    ScanState state;
    state.observer = observer;
    XmlError &failure = state.errors.first;
    auto finish = [&](bool ok) {
        if (root)
            *root = state.root;
        if (error)
            *error = failure;
        return ok;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failure.reason = QStringLiteral("Nie można odczytać pliku „%1”: %2").arg(path, file.errorString());
        return finish(false);
    }
    xmlSAXHandler sax = {};
    xmlSAXVersion(&sax, 2);
    // nothing of the content is kept
    sax.startElementNs = onStartElement;
    sax.endElementNs = onEndElement;
    sax.internalSubset = onInternalSubset;
    sax.entityDecl = onEntityDecl;
    sax.serror = onScanError;
    sax.characters = onCharacters;
    sax.cdataBlock = onCdata;
    sax.ignorableWhitespace = onCharacters;
    sax.comment = onComment;
    sax.processingInstruction = onProcessingInstruction;
    sax.startElement = nullptr;
    sax.endElement = nullptr;
    sax.reference = nullptr;
    // read as a pull parser reads a file, so the reasons are those of a whole-file read
    // ("Premature end of data…", "Document is empty")
    GuardedFile source{&file, {}};
    xmlParserCtxtPtr ctxt =
        xmlCreateIOParserCtxt(&sax, nullptr, readFromFile, closeNothing, &source, XML_CHAR_ENCODING_NONE);
    if (!ctxt) {
        failure.reason = QStringLiteral("za mało pamięci");
        return finish(false);
    }
    state.ctxt = ctxt;
    state.file = &file;
    ctxt->_private = &state;
    xmlCtxtUseOptions(ctxt, XML_PARSE_NONET);
    const QByteArray name = QFile::encodeName(path);
    if (ctxt->input && !ctxt->input->filename)
        ctxt->input->filename =
            reinterpret_cast<const char *>(xmlStrdup(reinterpret_cast<const xmlChar *>(name.constData())));
    xmlParseDocument(ctxt);
    // the SAX2 start of a document makes an empty document the context does not free
    if (ctxt->myDoc) {
        xmlFreeDoc(ctxt->myDoc);
        ctxt->myDoc = nullptr;
    }
    if (source.shape.refused()) { // what libxml2 said of the read it could not finish is no reason
        state.errors.seen = true;
        failure = XmlError();
        // the scan counts no lines: they are counted here, up to the refused tag
        failure.line = 1;
        QFile again(path);
        if (again.open(QIODevice::ReadOnly)) {
            for (qint64 left = source.shape.tagOffset(); left > 0;) {
                const QByteArray chunk = again.read(std::min<qint64>(left, 1 << 20));
                if (chunk.isEmpty())
                    break;
                failure.line += XmlShapeGuard::lineAt(chunk.constData(), chunk.size(), chunk.size()) - 1;
                left -= chunk.size();
            }
        }
        failure.reason = source.shape.refusal(failure.line);
    }
    if (!state.errors.seen && !ctxt->wellFormed) {
        state.errors.seen = true;
        failure.reason = QStringLiteral("dokument nie jest poprawnym XML");
    }
    xmlFreeParserCtxt(ctxt);
    if (state.errors.seen && failure.line > 0)
        failure.sourceText = lineOfFile(path, failure.line);
    return finish(!state.errors.seen);
}

} // namespace Xml
