#include "base/characters.h"
#include "base/user_port.h"
#include "base/xml_scan.h"
#include "jpk/jpk_reader.h"
#include "jpk/reader_runs.h"
#include "tables/document_tables.h"

#include <limits>
#include <string>

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

bool JpkReader::scanRecords(const QString &path, Runs &runs, XmlRootInfo *root, XmlError *error)
{
    RecordScan scan(*this, runs);
    forgetFieldNames(); // the names are keyed by the scan parser's dictionary
    return Xml::scanFile(path, root, error, &scan);
}
