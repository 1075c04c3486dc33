#pragma once

#include "base/xml_services.h"

#include <QString>
#include <libxml/tree.h>
#include <string_view>
#include <unordered_map>

#include "base/work_context.h"

class UserPort;
class DocumentTable;
struct XmlError;
struct XmlRootInfo;

// "Załaduj dane z pliku JPK*.XML": the header and subject values and the records of a
// JPK_FA(1)–(4) file back into the header fields and the four tables. The file is read as
// a stream: one record element is expanded at a time, so memory grows with the tables only.
class JpkReader
{
public:
    explicit JpkReader(const WorkContext &context);

    // Returns whether anything was loaded.
    bool load(const QString &path);

    // One element's text into the field of the same name. Returns false
    // when a text had to be cut to the field's size.
    static bool setFieldFromElement(const xmlNode *element, DocumentTable &table);
    // The same with the field already known (-1: none).
    static bool setFieldFromElement(const xmlNode *element, DocumentTable &table, int field);
    // An element's own text (trimmed here) into a field; false when it had to be cut.
    static bool storeText(std::string_view text, DocumentTable &table, int field);

private:
    bool readHeader(const QString &path, int *version);
    struct Runs;
    class RecordScan;
    bool readRecords(const QString &path, Runs &runs, int firstPass);
    // The first pass: the whole file checked in one stream, the records in their usual order
    // read from its events (record_scan.cpp).
    bool scanRecords(const QString &path, Runs &runs, XmlRootInfo *root, XmlError *error);
    int fieldOfName(const xmlChar *name, DocumentTable &table);
    void readRecord(int kind, xmlNode *node);
    // The field of a child element; names come from the parser's dictionary, so the same
    // name is the same pointer and is looked up once.
    int fieldOf(const xmlNode *child, DocumentTable &table, int cache);
    // The names' pointers belong to one parser's dictionary: a new parser may reuse the
    // addresses for other names, so each parser starts with an empty cache.
    void forgetFieldNames()
    {
        for (auto &names : m_fields)
            names.clear();
    }

    WorkContext m_ws;
    UserPort *m_port;
    int m_version = 4;
    int m_invoices = 0;
    int m_lines = 0;
    int m_orders = 0;
    int m_orderLines = 0;
    int m_cut = 0;
    int m_records = 0;    // read so far, for the progress
    XmlError m_readError; // the first error a reader met; reading stops there
    bool m_readFailed = false;
    std::unordered_map<const xmlChar *, int> m_fields[4];
};
