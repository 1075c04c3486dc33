#pragma once

#include "tables/document_table.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <libxml/tree.h>
#include <vector>

class SafeFile;

#include "base/result.h"
#include "base/work_context.h"

class UserPort;

// "Generuj JPK": the template filled from the header fields and the four tables. The header
// is filled in the template's document; the record elements are then streamed one filled
// copy at a time into the file, so memory does not grow with the number of records.
class JpkWriter
{
public:
    enum class Outcome
    {
        Written,
        EmptyName,
        Declined,
        Failed
    };

    explicit JpkWriter(const WorkContext &context);

    // The clock of DataWytworzeniaJPK (tests fix it).
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

    Outcome generate();
    QString writtenFile() const { return m_file; }

    // The text a field writes (fieldText); empty removes its element. A null boolean
    // carrying the null-as-false mark, and P_106E_3, write "false".
    static QString fieldText(const DocumentTable &table, int row, int field);
    // Sets every child of a record copy from the field of the same name, removing the
    // children that get no value.
    // *cleaned counts the values that lost characters XML 1.0 forbids.
    static void fillRecord(xmlNode *copy, const DocumentTable &table, int row, int *cleaned = nullptr);
    // The field of each child of a record template (-1: none), worked out once per generation.
    static std::vector<int> planFor(const xmlNode *templ, const DocumentTable &table);
    static void fillPlanned(xmlNode *copy, const std::vector<int> &plan, const DocumentTable &table, int row,
                            int *cleaned = nullptr);
    // An order: its own fields, and one filled copy of ZamowienieWiersz per line of the order.
    static void fillOrder(xmlNode *copy, const DocumentTable &orders, const DocumentTable &lines, int row,
                          int *cleaned = nullptr);
    // The header and subject elements of page 1.
    bool fillHeader(xmlNode *root, const QString &created);
    static QString timestampText(const QDateTime &when);
    // A deep copy of node made for parent: it uses the namespace declarations in scope there.
    static xmlNode *cloneInScope(xmlNode *node, xmlNode *parent);
    // Whether a template can be used, or why not: one that declares a document type, or one
    // of a shape no JPK template has.
    static Result<> checkTemplate(const QString &text);

private:
    struct Stream;
    Outcome fillAndSave(xmlDoc *doc, const QString &fileName, std::vector<Stream> &streams);
    bool placeRuns(xmlDoc *doc, xmlNode *root, std::vector<Stream> &streams);
    static QByteArray skeletonOf(xmlDoc *doc, std::vector<Stream> &streams, std::vector<Stream *> *order);
    Result<> writeRun(SafeFile &file, xmlDoc *doc, const Stream &s, bool ownLine, int *progress);

    WorkContext m_ws;
    UserPort *m_port;
    QString m_file;
    int m_cleaned = 0; // values that lost characters XML 1.0 forbids
};
