#include "base/xml_services.h"

#include "base/xml_shape.h"
#include "base/xml_text.h"

#include <QFile>
#include <QList>
#include <QPair>
#include <QRegularExpression>
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <vector>

QString XmlString::toString() const
{
    return Xml::str(m_s);
}

namespace {

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS;

} // namespace

QString Xml::parserReason(int code, const QString &english)
{
    auto captured = [&](const char *pattern, int n) {
        const QRegularExpressionMatch m = QRegularExpression(QString::fromLatin1(pattern)).match(english);
        return m.hasMatch() ? m.captured(n) : QString();
    };
    switch (code) {
    case XML_ERR_DOCUMENT_EMPTY:
        return QStringLiteral("Dokument jest pusty");
    case XML_ERR_DOCUMENT_END:
        return QStringLiteral("Dodatkowa treść po końcu dokumentu");
    case XML_ERR_DOCUMENT_START:
        return QStringLiteral("Oczekiwano znacznika początkowego, nie znaleziono „<”");
    case XML_ERR_TAG_NOT_FINISHED: {
        const QString name = captured("tag (\\S+) line (\\d+)", 1);
        const QString line = captured("tag (\\S+) line (\\d+)", 2);
        return name.isEmpty() ? QStringLiteral("Przedwczesny koniec danych")
                              : QStringLiteral("Przedwczesny koniec danych w elemencie ") + name +
                                    QStringLiteral(" (otwartym w wierszu ") + line + u')';
    }
    case XML_ERR_TAG_NAME_MISMATCH: {
        const QString open = captured("mismatch: (\\S+) line (\\d+) and (\\S+)", 1);
        const QString line = captured("mismatch: (\\S+) line (\\d+) and (\\S+)", 2);
        const QString close = captured("mismatch: (\\S+) line (\\d+) and (\\S+)", 3);
        if (!open.isEmpty())
            return QStringLiteral("Znacznik otwierający ") + open + QStringLiteral(" (wiersz ") + line +
                   QStringLiteral(") nie pasuje do zamykającego ") + close;
        break;
    }
    case XML_ERR_GT_REQUIRED:
        return QStringLiteral("Brak końca znacznika początkowego („>”)");
    case XML_ERR_LTSLASH_REQUIRED:
        return QStringLiteral("Brak znacznika końcowego");
    case XML_ERR_UNDECLARED_ENTITY:
    case XML_WAR_UNDECLARED_ENTITY: {
        const QString name = captured("Entity '([^']*)'", 1);
        return QStringLiteral("Nieznana encja „") + name + QStringLiteral("”");
    }
    case XML_ERR_INVALID_CHAR:
    case XML_ERR_INVALID_CHARREF:
        return QStringLiteral("Znak niedozwolony w XML");
    case XML_ERR_INVALID_ENCODING:
        return QStringLiteral("Dane nie są poprawnym tekstem w kodowaniu dokumentu (UTF-8)");
    case XML_ERR_UNSUPPORTED_ENCODING:
        return QStringLiteral("Nieobsługiwane kodowanie dokumentu");
    case XML_ERR_ATTRIBUTE_WITHOUT_VALUE:
    case XML_ERR_ATTRIBUTE_NOT_STARTED:
        return QStringLiteral("Atrybut bez wartości w cudzysłowie");
    case XML_ERR_ATTRIBUTE_REDEFINED:
        return QStringLiteral("Atrybut powtórzony w jednym elemencie");
    case XML_ERR_NAME_REQUIRED:
        return QStringLiteral("Oczekiwano nazwy elementu lub atrybutu");
    case XML_ERR_LT_IN_ATTRIBUTE:
        return QStringLiteral("Znak „<” w wartości atrybutu");
    case XML_ERR_HYPHEN_IN_COMMENT:
    case XML_ERR_COMMENT_NOT_FINISHED:
        return QStringLiteral("Niepoprawny lub niezakończony komentarz");
    case XML_ERR_CDATA_NOT_FINISHED:
        return QStringLiteral("Niezakończona sekcja CDATA");
    case XML_ERR_EXT_ENTITY_STANDALONE:
    case XML_ERR_ENTITY_PROCESSING:
        break;
    case XML_ERR_NO_MEMORY:
        return QStringLiteral("za mało pamięci");
    case XML_NS_ERR_UNDEFINED_NAMESPACE: {
        const QString prefix = captured("prefix (\\S+) ", 1);
        return QStringLiteral("Nieznany prefiks przestrzeni nazw ") + prefix;
    }
    default:
        break;
    }
    // the parser's own limits, which the program keeps
    if (english.contains(QStringLiteral("huge text node")))
        return QStringLiteral("Tekst jednego elementu przekracza limit parsera (10 000 000 bajtów)");
    if (english.contains(QStringLiteral("Excessive depth")))
        return QStringLiteral("Elementy zagnieżdżone głębiej, niż pozwala parser (256 poziomów)");
    return QStringLiteral("Błąd składni XML (kod %1): ").arg(code) + english;
}

namespace {

// The first error of a parse; warnings do not count.
struct ErrorSink
{
    XmlError first;
    bool seen = false;

    void take(xmlErrorPtr error)
    {
        if (seen || !error || error->level < XML_ERR_ERROR)
            return;
        seen = true;
        first.code = error->code;
        first.reason = Xml::parserReason(error->code, QString::fromUtf8(error->message).trimmed());
        first.line = error->line;
        first.column = error->int2;
    }
};

// libxml2 hands structured errors the parser context; the sink rides in its _private.
void collectError(void *data, xmlErrorPtr error)
{
    static_cast<ErrorSink *>(static_cast<xmlParserCtxtPtr>(data)->_private)->take(error);
}

XmlDocPtr parse(const QByteArray &bytes, const QString &url, XmlError *error, const QString &textForLines)
{
    XmlShapeGuard shape;
    if (!shape.pass(bytes.constData(), bytes.size())) {
        if (error) {
            *error = XmlError();
            error->line = XmlShapeGuard::lineAt(bytes.constData(), bytes.size(), shape.tagOffset());
            error->reason = shape.refusal(error->line);
        }
        return nullptr;
    }
    ErrorSink sink;
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) {
        if (error)
            error->reason = QStringLiteral("za mało pamięci");
        return nullptr;
    }
    ctxt->_private = &sink;
    ctxt->sax->serror = collectError;
    xmlDoc *doc =
        xmlCtxtReadMemory(ctxt, bytes.constData(), int(bytes.size()), url.toUtf8().constData(), nullptr, kParseOptions);
    const bool wellFormed = ctxt->wellFormed != 0;
    xmlFreeParserCtxt(ctxt);
    if (doc && wellFormed && !sink.seen)
        return XmlDocPtr(doc);
    xmlFreeDoc(doc);
    if (error) {
        *error = sink.first;
        if (error->reason.isEmpty())
            error->reason = QStringLiteral("dokument nie jest poprawnym XML");
        error->sourceText = Xml::lineOfText(textForLines, error->line);
    }
    return nullptr;
}

} // namespace

namespace Xml {

QString str(const xmlChar *s)
{
    return s ? QString::fromUtf8(reinterpret_cast<const char *>(s)) : QString();
}

QByteArray utf8(const QString &s)
{
    return s.toUtf8();
}

XmlDocPtr parseFile(const QString &path, XmlError *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = XmlError();
            error->reason = QStringLiteral("Nie można odczytać pliku „%1”: %2").arg(path, file.errorString());
        }
        return nullptr;
    }
    const QByteArray bytes = file.readAll();
    XmlDocPtr doc = parse(bytes, path, error, QString());
    if (!doc && error && error->line > 0)
        error->sourceText = lineOfFile(path, error->line);
    return doc;
}

XmlDocPtr parseBytes(const QByteArray &bytes, const QString &url, XmlError *error)
{
    return parse(bytes, url, error, QString());
}

XmlDocPtr parseText(const QString &text, XmlError *error)
{
    // the text is Unicode already: parse its UTF-8 form whatever the declaration says
    QByteArray bytes = text.toUtf8();
    static const QRegularExpression encodingDecl(
        QStringLiteral(R"(^(\s*<\?xml[^>]*?)\sencoding\s*=\s*["'][^"']*["'])"));
    const QRegularExpressionMatch m = encodingDecl.match(text);
    if (m.hasMatch())
        bytes = (m.captured(1) + text.mid(m.capturedEnd())).toUtf8();
    return parse(bytes, QString(), error, text);
}

QString nodeName(const xmlNode *node)
{
    if (!node)
        return QString();
    switch (node->type) {
    case XML_ELEMENT_NODE:
        if (node->ns && node->ns->prefix)
            return str(node->ns->prefix) + u':' + str(node->name);
        return str(node->name);
    case XML_TEXT_NODE:
        return QStringLiteral("#text");
    case XML_CDATA_SECTION_NODE:
        return QStringLiteral("#cdata-section");
    case XML_COMMENT_NODE:
        return QStringLiteral("#comment");
    case XML_DOCUMENT_NODE:
        return QStringLiteral("#document");
    default:
        return str(node->name);
    }
}

QString localName(const xmlNode *node)
{
    if (!node)
        return QString();
    if (node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE)
        return str(node->name);
    return nodeName(node);
}

QString elementText(const xmlNode *node)
{
    if (!node)
        return QString();
    if (isText(node))
        return str(node->content);
    if (node->type != XML_ELEMENT_NODE)
        return QString();
    const xmlNode *child = node->children;
    if (!child || child->next || !isText(child))
        return QString();
    return str(child->content);
}

QString namespaceUri(const xmlNode *node)
{
    return node && node->type == XML_ELEMENT_NODE && node->ns ? str(node->ns->href) : QString();
}

bool isText(const xmlNode *node)
{
    return node && (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE);
}

QString attribute(const xmlNode *node, const QString &qualifiedName)
{
    if (!node || node->type != XML_ELEMENT_NODE)
        return QString();
    // namespace declarations are attributes as written, too
    if (qualifiedName == u"xmlns" || qualifiedName.startsWith(u"xmlns:")) {
        const QByteArray prefix = qualifiedName.size() > 5 ? qualifiedName.mid(6).toUtf8() : QByteArray();
        for (const xmlNs *ns = node->nsDef; ns; ns = ns->next) {
            const bool same = prefix.isEmpty() ? ns->prefix == nullptr
                                               : ns->prefix && prefix == reinterpret_cast<const char *>(ns->prefix);
            if (same)
                return str(ns->href);
        }
        return QString();
    }
    const qsizetype colon = qualifiedName.indexOf(u':');
    const QByteArray prefix = colon >= 0 ? qualifiedName.left(colon).toUtf8() : QByteArray();
    const QByteArray local = qualifiedName.mid(colon + 1).toUtf8();
    for (const xmlAttr *a = node->properties; a; a = a->next) {
        if (local != reinterpret_cast<const char *>(a->name))
            continue;
        const bool prefixed = a->ns && a->ns->prefix;
        if (prefix.isEmpty() ? prefixed : !(prefixed && prefix == reinterpret_cast<const char *>(a->ns->prefix)))
            continue;
        return XmlString(xmlNodeListGetString(node->doc, a->children, 1)).toString();
    }
    return QString();
}

QString attributeNs(const xmlNode *node, const QString &localName, const QString &namespaceUri)
{
    if (!node || node->type != XML_ELEMENT_NODE)
        return QString();
    const QByteArray local = localName.toUtf8();
    const QByteArray ns = namespaceUri.toUtf8();
    return XmlString(xmlGetNsProp(node, reinterpret_cast<const xmlChar *>(local.constData()),
                                  ns.isEmpty() ? nullptr : reinterpret_cast<const xmlChar *>(ns.constData())))
        .toString();
}

QString doctypeSystemId(const xmlDoc *doc)
{
    if (!doc)
        return QString();
    const xmlDtd *dtd = doc->intSubset ? doc->intSubset : doc->extSubset;
    return dtd ? str(dtd->SystemID) : QString();
}

bool setText(xmlNode *node, const QString &raw)
{
    if (!node)
        return false;
    bool changed = false;
    const QString text = XmlText::safe(raw, &changed);
    if (isText(node)) {
        const QByteArray bytes = text.toUtf8();
        xmlNodeSetContentLen(node, reinterpret_cast<const xmlChar *>(bytes.constData()), int(bytes.size()));
        return changed;
    }
    while (node->children) {
        xmlNode *child = node->children;
        xmlUnlinkNode(child);
        xmlFreeNode(child);
    }
    const QByteArray bytes = text.toUtf8();
    xmlAddChild(node,
                xmlNewDocTextLen(node->doc, reinterpret_cast<const xmlChar *>(bytes.constData()), int(bytes.size())));
    return changed;
}

QString lineOfFile(const QString &path, int line, qint64 *offset)
{
    if (offset)
        *offset = 0;
    QFile file(path);
    if (line < 1 || !file.open(QIODevice::ReadOnly))
        return QString();
    // count line ends in chunks; CR LF, LF and a lone CR each end a line
    qint64 pos = 0;
    int current = 1;
    char previous = 0;
    QByteArray chunk;
    while (current < line) {
        chunk = file.read(1 << 20);
        if (chunk.isEmpty())
            return QString();
        for (qsizetype i = 0; i < chunk.size() && current < line; ++i) {
            const char c = chunk.at(i);
            if (c == '\n' && previous != '\r')
                ++current;
            else if (c == '\r')
                ++current;
            previous = c;
            if (current == line) {
                pos += i + 1;
                if (c == '\r' && (i + 1 < chunk.size() ? chunk.at(i + 1) == '\n' : file.peek(1) == "\n"))
                    ++pos;
                break;
            }
        }
        if (current < line)
            pos += chunk.size();
    }
    if (offset)
        *offset = pos;
    file.seek(pos);
    QByteArray text;
    while (true) {
        const QByteArray part = file.read(4096);
        if (part.isEmpty())
            break;
        const qsizetype end = [&] {
            for (qsizetype i = 0; i < part.size(); ++i)
                if (part.at(i) == '\n' || part.at(i) == '\r')
                    return i;
            return qsizetype(-1);
        }();
        if (end >= 0) {
            text += part.left(end);
            break;
        }
        text += part;
        if (text.size() > (1 << 20))
            break;
    }
    if (line == 1 && text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    return QString::fromUtf8(text);
}

QString lineOfText(const QString &text, int line)
{
    if (line < 1)
        return QString();
    const QStringList lines = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n');
    return line <= lines.size() ? lines.at(line - 1) : QString();
}

} // namespace Xml

namespace {

const char kXsiNamespace[] = "http://www.w3.org/2001/XMLSchema-instance";

struct ScanState
{
    XmlRootInfo root;
    ErrorSink errors;
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

QString parserMessage(const XmlError &error)
{
    return error.reason + QStringLiteral("\r\nLine: ") + QString::number(error.line) + QStringLiteral("\r\n") +
           error.sourceText.left(40);
}

} // namespace Xml
