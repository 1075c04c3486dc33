#include "base/xml_services.h"

#include "base/xml_shape.h"
#include "base/xml_text.h"

#include <QFile>
#include <QRegularExpression>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

void XmlFirstError::take(xmlErrorPtr error)
{
    if (seen || !error || error->level < XML_ERR_ERROR)
        return;
    seen = true;
    first.code = error->code;
    first.reason = Xml::parserReason(error->code, QString::fromUtf8(error->message).trimmed());
    first.line = error->line;
    first.column = error->int2;
}

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

// libxml2 hands structured errors the parser context; the sink rides in its _private.
void collectError(void *data, xmlErrorPtr error)
{
    static_cast<XmlFirstError *>(static_cast<xmlParserCtxtPtr>(data)->_private)->take(error);
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
    XmlFirstError sink;
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

QString parserMessage(const XmlError &error)
{
    return error.reason + QStringLiteral("\r\nLine: ") + QString::number(error.line) + QStringLiteral("\r\n") +
           error.sourceText.left(40);
}

} // namespace Xml
