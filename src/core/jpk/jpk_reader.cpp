#include "jpk/jpk_reader.h"

#include "base/characters.h"
#include "base/controls.h"
#include "base/settings_file.h"
#include "base/user_port.h"
#include "base/xml_scan.h"
#include "base/xml_services.h"
#include "jpk/node_path.h"
#include "jpk/reader_runs.h"
#include "tables/document_tables.h"

#include <QFile>
#include <QFileInfo>
#include <charconv>
#include <cstring>
#include <libxml/xmlreader.h>
#include <limits>
#include <memory>
#include <string_view>

namespace {

struct ReaderDeleter
{
    void operator()(xmlTextReader *r) const { xmlFreeTextReader(r); }
};
using ReaderPtr = std::unique_ptr<xmlTextReader, ReaderDeleter>;

// The first error of a reader, kept for the message instead of going to stderr.
void onReaderError(void *arg, xmlErrorPtr error)
{
    auto *sink = static_cast<std::pair<XmlError *, bool *> *>(arg);
    if (!error || error->level < XML_ERR_ERROR || *sink->second)
        return;
    *sink->second = true;
    sink->first->code = error->code;
    sink->first->reason = Xml::parserReason(error->code, QString::fromUtf8(error->message).trimmed());
    sink->first->line = error->line;
    sink->first->column = error->int2;
}

ReaderPtr openReader(const QString &path, std::pair<XmlError *, bool *> *sink)
{
    ReaderPtr reader(xmlReaderForFile(QFile::encodeName(path).constData(), nullptr, XML_PARSE_NONET));
    if (reader)
        xmlTextReaderSetStructuredErrorHandler(reader.get(), onReaderError, sink);
    return reader;
}

bool isBlankText(const xmlNode *node)
{
    return node && (node->type == XML_TEXT_NODE) && xmlIsBlankNode(const_cast<xmlNode *>(node));
}

// The next sibling as the program's DOM sees it: text that is only white space is not a node.
// White space, comments and processing instructions are no part of the records.
bool isPassedOver(const xmlNode *n)
{
    return isBlankText(n) || n->type == XML_COMMENT_NODE || n->type == XML_PI_NODE;
}

xmlNode *nextSibling(xmlNode *node)
{
    xmlNode *n = node->next;
    while (n && isPassedOver(n))
        n = n->next;
    return n;
}

bool hasChildNodes(const xmlNode *node)
{
    for (const xmlNode *c = node->children; c; c = c->next)
        if (!isPassedOver(c))
            return true;
    return false;
}

// Positions the reader on the first child of the document element; false when it has none.
bool toFirstChildOfRoot(xmlTextReader *reader)
{
    int ret;
    while ((ret = xmlTextReaderRead(reader)) == 1) {
        if (xmlTextReaderDepth(reader) == 0 && xmlTextReaderNodeType(reader) == XML_READER_TYPE_ELEMENT) {
            if (xmlTextReaderIsEmptyElement(reader))
                return false;
            return xmlTextReaderRead(reader) == 1 && xmlTextReaderDepth(reader) == 1;
        }
    }
    return false;
}

bool isCommentOrInstruction(xmlTextReader *reader)
{
    const int type = xmlTextReaderNodeType(reader);
    return type == XML_READER_TYPE_COMMENT || type == XML_READER_TYPE_PROCESSING_INSTRUCTION;
}

bool isWhitespaceNode(xmlTextReader *reader)
{
    const int type = xmlTextReaderNodeType(reader);
    if (type == XML_READER_TYPE_WHITESPACE || type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE)
        return true;
    if (type == XML_READER_TYPE_TEXT) {
        const xmlChar *v = xmlTextReaderConstValue(reader);
        for (; v && *v; ++v)
            if (*v > 32)
                return false;
        return true;
    }
    return false;
}

} // namespace

JpkReader::JpkReader(const WorkContext &context) : m_ws(context), m_port(context.port) {}

bool JpkReader::readHeader(const QString &path, int *version)
{
    // The first Naglowek and Podmiot1 among the children of JPK, read as one small document.
    std::pair<XmlError *, bool *> sink(&m_readError, &m_readFailed);
    ReaderPtr reader = openReader(path, &sink);
    XmlDocPtr holder(xmlNewDoc(reinterpret_cast<const xmlChar *>("1.0")));
    xmlNode *root = xmlNewDocNode(holder.get(), nullptr, reinterpret_cast<const xmlChar *>("JPK"), nullptr);
    xmlDocSetRootElement(holder.get(), root);
    bool haveNaglowek = false, havePodmiot = false;
    if (reader && toFirstChildOfRoot(reader.get())) {
        while (!(haveNaglowek && havePodmiot) && xmlTextReaderDepth(reader.get()) == 1) {
            if (xmlTextReaderNodeType(reader.get()) == XML_READER_TYPE_ELEMENT) {
                const QString local = Xml::str(xmlTextReaderConstLocalName(reader.get()));
                bool &have = local == u"Naglowek" ? haveNaglowek : havePodmiot;
                if ((local == u"Naglowek" || local == u"Podmiot1") && !have) {
                    if (xmlNode *expanded = xmlTextReaderExpand(reader.get())) {
                        xmlAddChild(root, xmlDocCopyNode(expanded, holder.get(), 1));
                        have = true;
                    }
                }
            }
            if (xmlTextReaderNext(reader.get()) != 1)
                break;
        }
    }
    xmlNode *naglowek = NodePath::findOrReport(m_port, root, QStringLiteral("Naglowek"), false);
    Controls &c = (*m_ws.controls);
    *version = 4;
    if (naglowek) {
        if (xmlNode *kod = NodePath::findOrReport(m_port, naglowek, QStringLiteral("KodFormularza"), false)) {
            const QString code = Xml::attribute(kod, QStringLiteral("kodSystemowy"));
            struct Known
            {
                const char *code;
                int version;
            };
            const Known known[] = {{"JPK_FA (4)", 4}, {"JPK_FA (3)", 3}, {"JPK_FA (2)", 2}, {"JPK_FA (1)", 1}};
            int v = 0;
            for (const Known &k : known)
                if (code == QLatin1String(k.code))
                    v = k.version;
            if (v == 0) {
                // a refusal is a failure: the step ends so, and nothing after it works on no data
                m_port->failure(
                    applicationTitle(),
                    QStringLiteral("Plik XML nie zawiera odpowiedniego atrybutu KodSystemowy=\"JPK_FA (4)\""));
                return false;
            }
            if (v < 4) {
                const QString self = QStringLiteral("JPK_FA(%1)").arg(v);
                const QString next = QStringLiteral("JPK_FA(%1)").arg(v + 1);
                if (!m_port->question(QStringLiteral("Wczytywany %1 ?").arg(self),
                                      QStringLiteral("Plik zawiera dane %1.\r\nCzy wczytać i przekonwertować na %2 ?")
                                          .arg(self, next)))
                    return false;
            }
            *version = v;
        }
        c.setText(QStringLiteral("ed_DataWytworzeniaJPK_Text"),
                  NodePath::readValue(m_port, naglowek, QStringLiteral("DataWytworzeniaJPK"), QString(), false, false));
        c.setDate(QStringLiteral("ed_DataOd_Date"),
                  NodePath::readDate(m_port, naglowek, QStringLiteral("DataOd"), true));
        c.setDate(QStringLiteral("ed_DataDo_Date"),
                  NodePath::readDate(m_port, naglowek, QStringLiteral("DataDo"), true));
        c.setText(QStringLiteral("ed_KodUrzedu_Text"),
                  NodePath::readValue(m_port, naglowek, QStringLiteral("KodUrzedu"), QString(), false, false));
    }
    if (xmlNode *podmiot = NodePath::findOrReport(m_port, root, QStringLiteral("Podmiot1"), false)) {
        if (xmlNode *ident = NodePath::findOrReport(m_port, podmiot, QStringLiteral("IdentyfikatorPodmiotu"), false)) {
            c.setText(QStringLiteral("ed_NIP_Text"), NodePath::readText(ident, QStringLiteral("NIP")));
            if (*version == 4) {
                c.setText(QStringLiteral("ed_EUPLVATID_Text"), NodePath::readText(ident, QStringLiteral("EUPLVATID")));
                c.setText(QStringLiteral("ed_IMPLVATID_Text"), NodePath::readText(ident, QStringLiteral("IMPLVATID")));
            }
            c.setText(QStringLiteral("ed_PelnaNazwa_Text"),
                      NodePath::readValue(m_port, ident, QStringLiteral("PelnaNazwa"), QString(), false, false));
        }
        if (xmlNode *adres = NodePath::findOrReport(m_port, podmiot, QStringLiteral("AdresPodmiotu"), false)) {
            for (const char *name : {"KodKraju", "Wojewodztwo", "Powiat", "Gmina", "Ulica", "NrDomu", "NrLokalu",
                                     "Miejscowosc", "KodPocztowy"})
                c.setText(QStringLiteral("ed_%1_Text").arg(QString::fromLatin1(name)),
                          NodePath::readText(adres, QString::fromLatin1(name)));
        }
    }
    return true;
}

void JpkReader::readRecord(int kind, xmlNode *node)
{
    DocumentTables &t = (*m_ws.tables);
    auto store = [this](const xmlNode *child, DocumentTable &table) {
        if (!setFieldFromElement(child, table, fieldOf(child, table, int(table.kind()))))
            ++m_cut;
    };
    switch (kind) {
    case 0:
        ++m_invoices;
        t.mt_FAK_.beginAppend();
        // (the JPK_FA(1) kind "POZ" becomes VAT once the whole file is read, in load)
        for (xmlNode *child = node->children; child; child = child->next)
            store(child, t.mt_FAK_);
        t.mt_FAK_.commitAppend();
        break;
    case 1:
        ++m_lines;
        t.mt_POZ_.beginAppend();
        for (xmlNode *child = node->children; child; child = child->next)
            store(child, t.mt_POZ_);
        t.mt_POZ_.commitAppend();
        break;
    case 2: {
        ++m_orders;
        t.mt_ZAM_.beginAppend();
        xmlNode *firstLine = nullptr;
        for (xmlNode *child = node->children; child; child = child->next) {
            if (Xml::localName(child) == u"ZamowienieWiersz") {
                firstLine = child;
                break;
            }
            store(child, t.mt_ZAM_);
        }
        t.mt_ZAM_.commitAppend();
        const QString lineName = Xml::nodeName(firstLine);
        for (xmlNode *line = firstLine; line && Xml::nodeName(line) == lineName; line = nextSibling(line)) {
            if (!hasChildNodes(line))
                continue;
            ++m_orderLines;
            t.mt_ZPOZ_.beginAppend();
            for (xmlNode *child = line->children; child; child = child->next)
                store(child, t.mt_ZPOZ_);
            t.mt_ZPOZ_.commitAppend();
        }
        break;
    }
    }
}

bool JpkReader::readRecords(const QString &path, Runs &runs, int firstPass)
{
    for (int pass = firstPass; pass < 3; ++pass) {
        std::pair<XmlError *, bool *> sink(&m_readError, &m_readFailed);
        ReaderPtr reader = openReader(path, &sink);
        if (!reader)
            return false;
        forgetFieldNames(); // the names are keyed by this parser's dictionary
        runs.startPass();
        if (toFirstChildOfRoot(reader.get())) {
            do {
                if (xmlTextReaderDepth(reader.get()) != 1 ||
                    xmlTextReaderNodeType(reader.get()) == XML_READER_TYPE_END_ELEMENT)
                    break;
                if (isWhitespaceNode(reader.get()) || isCommentOrInstruction(reader.get()))
                    continue;
                const bool element = xmlTextReaderNodeType(reader.get()) == XML_READER_TYPE_ELEMENT;
                const QString qname = element ? Xml::str(xmlTextReaderConstName(reader.get())) : QString();
                const QString local = element ? Xml::str(xmlTextReaderConstLocalName(reader.get())) : QString();
                const int kind = runs.sibling(element, qname, local);
                if (kind >= 0) {
                    if (xmlNode *node = xmlTextReaderExpand(reader.get()))
                        readRecord(kind, node);
                    if ((++m_records & 0x3ff) == 0) {
                        m_port->progressPosition(int(xmlTextReaderByteConsumed(reader.get()) >> 10));
                        m_port->pump();
                    }
                }
            } while (xmlTextReaderNext(reader.get()) == 1);
        }
        if (m_readFailed)
            return false;
        if (!runs.endPass())
            break;
    }
    return true;
}

bool JpkReader::load(const QString &path)
{
    DocumentTables &t = (*m_ws.tables);
    DocumentTable *const tables[4] = {&t.mt_FAK_, &t.mt_POZ_, &t.mt_ZAM_, &t.mt_ZPOZ_};
    int before[4];
    for (int k = 0; k < 4; ++k)
        before[k] = tables[k]->storedCount();
    // a load that fails keeps nothing of the file: what it added is taken back
    auto rollBack = [&] {
        for (int k = 3; k >= 0; --k)
            tables[k]->truncate(before[k]);
        t.resumeViews();
        m_port->setBusy(false);
    };
    m_port->setBusy(true);
    t.suspendViews();
    m_port->progressUnit(QStringLiteral("KiB"));
    m_port->progressShow(0, int(std::min<qint64>(QFileInfo(path).size() >> 10, std::numeric_limits<int>::max())));
    // One stream checks the whole file and reads the records that stand in their usual order.
    Runs runs;
    runs.startPass();
    XmlRootInfo root;
    XmlError error;
    const bool wellFormed = scanRecords(path, runs, &root, &error);
    m_port->progressHide();
    if (m_port->cancelRequested()) {
        rollBack();
        throw CommandCancelled{};
    }
    if (!wellFormed) {
        rollBack();
        m_port->failure(applicationTitle(), QStringLiteral("Błąd wczytania pliku XML\r") + Xml::parserMessage(error));
        return false;
    }
    if (root.localName != u"JPK") {
        rollBack();
        m_port->failure(applicationTitle(), QStringLiteral("Plik XML nie zawiera bloku <JPK>"));
        m_port->info(applicationTitle(), QStringLiteral("Plik nie zawierał żadnych pozycji"));
        return false;
    }
    if (!readHeader(path, &m_version)) {
        rollBack();
        return false;
    }
    // runs out of their usual order take further passes
    if (runs.endPass()) {
        m_port->progressShow(0, int(std::min<qint64>(QFileInfo(path).size() >> 10, std::numeric_limits<int>::max())));
        readRecords(path, runs, 1);
        m_port->progressHide();
    }
    if (m_readFailed) {
        rollBack();
        m_readError.sourceText = Xml::lineOfFile(path, m_readError.line);
        m_port->failure(applicationTitle(),
                        QStringLiteral("Błąd wczytania pliku XML\r") + Xml::parserMessage(m_readError));
        return false;
    }
    if (m_version == 1) {
        // in JPK_FA(1) "POZ" was an invoice kind of its own; it is a VAT invoice now
        const int kind = t.mt_FAK_.fieldIndex(QStringLiteral("RodzajFaktury"));
        for (int row = before[0]; row < t.mt_FAK_.storedCount(); ++row) {
            if (t.mt_FAK_.stringViewAt(row, kind) == u"POZ")
                t.mt_FAK_.setStoredValue(row, kind, QStringLiteral("VAT"));
        }
    }
    // without appending, the file's records take the place of those the tables held
    if (!(*m_ws.controls).checked(QStringLiteral("chb_FAK_append_Checked")))
        for (int k = 3; k >= 0; --k)
            tables[k]->dropFirst(before[k]);
    t.resumeViews();
    t.linkLinesToInvoices();
    m_port->setBusy(false);

    QString summary;
    if (m_invoices > 0)
        summary = QStringLiteral("%1 - Faktur (pozycji:%2)").arg(m_invoices).arg(m_lines);
    if (m_orders > 0)
        summary += QStringLiteral("\r\n%1 - Zamówień (pozycji:%2)").arg(m_orders).arg(m_orderLines);
    if (m_invoices > 0 || m_orders > 0)
        m_port->info(applicationTitle(), QStringLiteral("Wczytano dokumentów:\r\n") + summary);
    else
        m_port->info(applicationTitle(), QStringLiteral("Plik nie zawierał żadnych pozycji"));
    if (m_cut > 0)
        m_port->info(applicationTitle(),
                     QStringLiteral("Skrócono %1 wartości dłuższych niż ich pola w tabelach.").arg(m_cut));
    return m_invoices > 0 || m_orders > 0;
}
