#include "jpk/jpk_reader.h"

#include "base/characters.h"
#include "base/controls.h"
#include "base/settings_file.h"
#include "base/user_port.h"
#include "base/xml_scan.h"
#include "base/xml_services.h"
#include "jpk/node_path.h"
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

// A number in XML form: optional sign, digits with an optional point and decimals (digits on
// at least one side), an optional exponent.
bool isXmlNumber(std::string_view t)
{
    size_t i = 0;
    const size_t n = t.size();
    auto digits = [&] {
        const size_t from = i;
        while (i < n && t[i] >= '0' && t[i] <= '9')
            ++i;
        return i - from;
    };
    if (i < n && (t[i] == '+' || t[i] == '-'))
        ++i;
    size_t count = digits();
    if (i < n && t[i] == '.') {
        ++i;
        count += digits();
    }
    if (count == 0)
        return false;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < n && (t[i] == '+' || t[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == n;
}

const QString kRecordKinds[3] = {QStringLiteral("Faktura"), QStringLiteral("FakturaWiersz"),
                                 QStringLiteral("Zamowienie")};

} // namespace

JpkReader::JpkReader(const WorkContext &context) : m_ws(context), m_port(context.port) {}

bool JpkReader::setFieldFromElement(const xmlNode *element, DocumentTable &table)
{
    return setFieldFromElement(element, table, table.fieldIndex(Xml::localName(element)));
}

int JpkReader::fieldOf(const xmlNode *child, DocumentTable &table, int cache)
{
    if (child->type != XML_ELEMENT_NODE)
        return -1; // text and comments are named like no field
    auto &known = m_fields[cache];
    const auto it = known.find(child->name);
    if (it != known.end())
        return it->second;
    const int field = table.fieldIndex(Xml::str(child->name));
    known.emplace(child->name, field);
    return field;
}

bool JpkReader::setFieldFromElement(const xmlNode *element, DocumentTable &table, int field)
{
    if (field < 0)
        return true;
    // the element's text and CDATA, read straight from the parser's bytes; comments and
    // processing instructions inside it are no part of the value, an element inside it leaves
    // it without one
    if (Xml::isText(element)) {
        const char *text = reinterpret_cast<const char *>(element->content);
        return storeText(text ? std::string_view(text) : std::string_view(), table, field);
    }
    if (element->type != XML_ELEMENT_NODE)
        return storeText(std::string_view(), table, field);
    const xmlNode *only = nullptr;
    int pieces = 0;
    for (const xmlNode *child = element->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            return storeText(std::string_view(), table, field);
        if (Xml::isText(child) && child->content) {
            only = child;
            ++pieces;
        }
    }
    if (pieces <= 1) { // the common case: no copy
        const char *text = only ? reinterpret_cast<const char *>(only->content) : "";
        return storeText(std::string_view(text), table, field);
    }
    std::string text;
    for (const xmlNode *child = element->children; child; child = child->next)
        if (Xml::isText(child) && child->content)
            text += reinterpret_cast<const char *>(child->content);
    return storeText(text, table, field);
}

bool JpkReader::storeText(std::string_view raw, DocumentTable &table, int field)
{
    // trimmed of white space and control characters at both ends
    const char *begin = raw.data();
    const char *end = begin + raw.size();
    while (begin < end && static_cast<unsigned char>(*begin) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(end[-1]) <= 32)
        --end;
    const std::string_view text(begin, size_t(end - begin));

    const FieldDef &def = table.fields().at(field);
    switch (def.type) {
    case FieldType::Boolean:
        // xs:boolean: "true" or "1", "false" or "0"
        if (text == "true" || text == "1")
            table.setBoolean(field, true);
        else if (text == "false" || text == "0")
            table.setBoolean(field, false);
        return true;
    case FieldType::Float: {
        double value = 0;
        if (isXmlNumber(text)) {
            // from_chars takes no leading plus sign
            const char *from = text.data() + (text.front() == '+' ? 1 : 0);
            std::from_chars(from, text.data() + text.size(), value);
        }
        table.setFloat(field, value);
        return true;
    }
    case FieldType::Date: {
        const QString t = QString::fromUtf8(text.data(), qsizetype(text.size()));
        if (t.size() < 8)
            return true;
        table.setDate(field, t.size() == 10 ? NodePath::dateOfText(t) : zeroDate());
        return true;
    }
    case FieldType::Integer:
        // the keys of orders and order lines are the program's own, never taken from a file
        return true;
    case FieldType::String: {
        const QString t = QString::fromUtf8(text.data(), qsizetype(text.size()));
        table.setText(field, t);
        return !Characters::longerThan(t, def.size);
    }
    }
    return true;
}

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

// Each kind is read as one run: its first element among the children of JPK and the
// same-named siblings that follow it directly. Invoices are read before lines and lines
// before orders; a run met before the runs it must follow waits for a further pass.
struct JpkReader::Runs
{
    enum class State
    {
        NotFound,
        InRun,
        Ended
    };
    // one kind of record through the passes
    struct Run
    {
        QString element;     // "Faktura", "FakturaWiersz", "Zamowienie"
        bool done = false;   // read whole in an earlier pass
        bool absent = false; // not in the file at all
        // this pass
        State state = State::NotFound;
        bool reading = false;
        QString name; // the run's element as written (with its prefix)
    };
    Run runs[3];

    Runs()
    {
        for (int k = 0; k < 3; ++k)
            runs[k].element = kRecordKinds[k];
    }
    bool allowed(int k) const
    {
        for (int j = 0; j < k; ++j)
            if (!runs[j].done && !runs[j].absent)
                return false;
        return true;
    }
    void startPass()
    {
        for (Run &run : runs) {
            run.state = State::NotFound;
            run.reading = false;
            run.name.clear();
        }
    }
    // One child of JPK that is not white space: the kind of record it is read as, or -1.
    int sibling(bool element, const QString &qname, const QString &local)
    {
        int kind = -1;
        for (int k = 0; k < 3; ++k) {
            Run &run = runs[k];
            if (run.state == State::InRun && qname != run.name) {
                run.state = State::Ended; // any other sibling ends a run
                if (run.reading)
                    run.done = true;
            }
            if (run.state == State::NotFound && element && local == run.element) {
                run.state = State::InRun;
                run.name = qname;
                run.reading = !run.done && allowed(k);
            }
            if (run.state == State::InRun && qname == run.name)
                kind = k;
        }
        return kind >= 0 && runs[kind].reading ? kind : -1;
    }
    // After a pass: whether another one is needed.
    bool endPass()
    {
        for (Run &run : runs) {
            if (run.reading)
                run.done = true;
            if (run.state == State::NotFound)
                run.absent = true;
        }
        for (const Run &run : runs)
            if (!run.done && !run.absent)
                return true;
        return false;
    }
};

// The first pass reads the records straight from the parser's events, in the same stream
// that checks the whole file: no node is built. Each field gets its element's own text as
// the node road gives it: the text when the element holds one text node and nothing else.
class JpkReader::RecordScan : public XmlScanObserver
{
public:
    RecordScan(JpkReader &reader, Runs &runs) : m_reader(reader), m_t(*reader.m_ws.tables), m_runs(runs) {}

    void startElement(int depth, const xmlChar *localname, const xmlChar *prefix) override
    {
        if (depth == 0) {
            m_jpk = xmlStrEqual(localname, reinterpret_cast<const xmlChar *>("JPK"));
            return;
        }
        if (!m_jpk)
            return;
        if (depth == 1) {
            const QString local = Xml::str(localname);
            beginRecord(m_runs.sibling(true, prefix ? Xml::str(prefix) + u':' + local : local, local));
            return;
        }
        if (m_kind < 0)
            return;
        childNode(depth, true);
        if (m_kind != 2) {
            if (depth == 2)
                beginField(depth, m_kind == 0 ? m_t.mt_FAK_ : m_t.mt_POZ_, localname);
            return;
        }
        if (depth == 2) {
            const QString qname = prefix ? Xml::str(prefix) + u':' + Xml::str(localname) : Xml::str(localname);
            if (m_order == Order::Fields &&
                xmlStrEqual(localname, reinterpret_cast<const xmlChar *>("ZamowienieWiersz"))) {
                m_t.mt_ZAM_.commitAppend();
                m_order = Order::Lines;
                m_lineName = qname;
            }
            if (m_order == Order::Fields) {
                beginField(depth, m_t.mt_ZAM_, localname);
            } else if (m_order == Order::Lines && qname == m_lineName) {
                m_t.mt_ZPOZ_.beginAppend();
                m_inLine = true;
                m_lineHasChild = false;
            } else {
                m_order = Order::Ended;
            }
        } else if (depth == 3 && m_inLine) {
            beginField(depth, m_t.mt_ZPOZ_, localname);
        }
    }

    void endElement(int depth) override
    {
        if (!m_jpk || m_kind < 0)
            return;
        if (m_field.depth == depth)
            endField();
        if (m_kind == 2 && m_inLine && depth == 2) {
            m_inLine = false;
            if (m_lineHasChild) {
                m_t.mt_ZPOZ_.commitAppend();
                ++m_reader.m_orderLines;
            } else {
                m_t.mt_ZPOZ_.abandonAppend(); // a line with nothing in it is no record
            }
        }
        if (depth == 1) {
            if (m_kind == 0)
                m_t.mt_FAK_.commitAppend();
            else if (m_kind == 1)
                m_t.mt_POZ_.commitAppend();
            else if (m_order == Order::Fields)
                m_t.mt_ZAM_.commitAppend();
            m_kind = -1;
        }
    }

    void characters(int depth, const char *text, int length, bool cdata) override
    {
        if (!m_jpk)
            return;
        const bool blank = !cdata && std::all_of(text, text + length, [](char c) { return uchar(c) <= 32; });
        if (depth == 1) {
            if (!blank)
                m_runs.sibling(false, QString(), QString());
            return;
        }
        if (m_kind < 0)
            return;
        if (m_field.depth >= 0 && depth == m_field.depth + 1)
            m_field.text.append(text, size_t(length));
        if (m_inLine && depth == 3 && !blank)
            m_lineHasChild = true;
        if (m_kind == 2 && depth == 2 && m_order == Order::Lines && !blank)
            m_order = Order::Ended;
    }

    // A comment or a processing instruction is no record and no value: between two records
    // it leaves their run going (such a file is schema-valid), inside a field it is skipped.
    void otherNode(int) override {}

    void bytesRead(qint64 bytes) override
    {
        m_reader.m_port->progressPosition(int(std::min<qint64>(bytes >> 10, std::numeric_limits<int>::max())));
        m_reader.m_port->processEvents();
    }

    // "Przerwij": the scan stops where it is (no exception crosses the parser)
    bool stopped() const override { return m_reader.m_port->cancelRequested(); }

private:
    enum class Order
    {
        Fields, // the order's own fields, up to its first line
        Lines,
        Ended // something else followed the lines: the rest is not read
    };

    void beginRecord(int kind)
    {
        m_kind = kind;
        switch (kind) {
        case 0:
            ++m_reader.m_invoices;
            m_t.mt_FAK_.beginAppend();
            break;
        case 1:
            ++m_reader.m_lines;
            m_t.mt_POZ_.beginAppend();
            break;
        case 2:
            ++m_reader.m_orders;
            m_t.mt_ZAM_.beginAppend();
            m_order = Order::Fields;
            m_inLine = false;
            break;
        default:
            break;
        }
    }

    // An element, or a comment or an instruction, at depth. An element inside a field leaves
    // it without a value; a comment or an instruction is no part of anything.
    void childNode(int depth, bool element)
    {
        if (!element)
            return;
        if (m_field.depth >= 0 && depth == m_field.depth + 1)
            m_field.elementChild = true;
        if (m_inLine && depth == 3)
            m_lineHasChild = true;
    }

    void beginField(int depth, DocumentTable &table, const xmlChar *localname)
    {
        m_field.depth = depth;
        m_field.table = &table;
        m_field.field = m_reader.fieldOfName(localname, table);
        m_field.elementChild = false;
        m_field.text.clear();
    }

    void endField()
    {
        if (m_field.field >= 0) {
            // its text and CDATA pieces, whatever comments stand between them
            if (!JpkReader::storeText(m_field.elementChild ? std::string_view() : std::string_view(m_field.text),
                                      *m_field.table, m_field.field))
                ++m_reader.m_cut;
        }
        m_field.depth = -1;
    }

    JpkReader &m_reader;
    DocumentTables &m_t;
    Runs &m_runs;
    bool m_jpk = false;
    int m_kind = -1; // the record being read, or -1
    Order m_order = Order::Fields;
    QString m_lineName;
    bool m_inLine = false;
    bool m_lineHasChild = false;
    struct
    {
        int depth = -1; // of the field's element; -1 when none is open
        DocumentTable *table = nullptr;
        int field = -1;
        bool elementChild = false;
        std::string text;
    } m_field;
};

int JpkReader::fieldOfName(const xmlChar *name, DocumentTable &table)
{
    auto &known = m_fields[int(table.kind())];
    const auto it = known.find(name);
    if (it != known.end())
        return it->second;
    const int field = table.fieldIndex(Xml::str(name));
    known.emplace(name, field);
    return field;
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
    RecordScan scan(*this, runs);
    XmlRootInfo root;
    XmlError error;
    forgetFieldNames(); // the names are keyed by the scan parser's dictionary
    const bool wellFormed = Xml::scanFile(path, &root, &error, &scan);
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
