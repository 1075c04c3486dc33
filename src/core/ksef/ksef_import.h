#pragma once

#include "base/work_context.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace KsefMapping {
struct Row;
}

class DocumentTable;
struct _xmlDoc;
struct _xmlNode;
struct _xmlSchema;

// "Importuj e-faktury (KSeF)": structured e-invoices (FA(3), FA(2)) straight into the four
// tables, appended as a JPK load with appending does. Only the taxpayer's own sales go in;
// each file is checked against its own schema first when the schema is at hand.
class KsefImport
{
public:
    explicit KsefImport(const WorkContext &context);
    ~KsefImport();
    KsefImport(const KsefImport &) = delete;
    KsefImport &operator=(const KsefImport &) = delete;

    bool validate = true;   // check each file against its FA schema
    bool recursive = false; // a folder's subfolders too
    // How many threads read the files (parse, check against the schema, walk): two where the
    // machine has two cores. The invoices go into the tables in the files' order whatever the
    // number, one at a time, on the calling thread.
    int threads = defaultThreads();
    static int defaultThreads();

    struct Summary
    {
        int read = 0; // files handed over by the source
        int imported = 0;
        int otherSeller = 0;
        int duplicate = 0;
        int invalid = 0;             // not well-formed, too large, hostile, or not valid against its schema
        int notInvoice = 0;          // another XML document, or a file that is not .xml
        int unreadable = 0;          // files and folders that could not be read (among the invalid)
        QStringList cut;             // "invoice: field „text…” (length…)" of each text longer than its field
        QMap<QString, int> unmapped; // element path → how many values had no field
        QStringList problems;        // "name: reason" of each file refused as invalid
        QStringList duplicates;      // "name (number)" of the invoices already in the table
        QStringList notInvoices;     // the names of the files that are not e-invoices
        QString headerFrom;          // the invoice whose seller filled the empty header
        QStringList headerToFill;    // what that header still lacks, in words
    };

    // A .xml file, a folder or a .zip package. Shows the closing message; true when anything
    // could be read (a source holding only skipped invoices counts as read).
    bool run(const QString &path);
    const Summary &summary() const { return m_summary; }
    // The closing message's text.
    QString report() const;

private:
    struct Invoice;
    struct Prepared;
    struct Batch;
    enum class Outcome
    {
        Imported,
        OtherSeller,
        Duplicate,
        Invalid,
        NotInvoice
    };
    // One file read, checked against its schema and walked into an invoice, apart from the
    // tables: safe to run on several threads at once.
    Prepared prepare(const QString &name, const QByteArray &bytes) const;
    // Every file of a batch prepared, each into its place.
    void prepareBatch(Batch &batch) const;
    // A prepared invoice into the tables, unless its seller is another or it is there already.
    Outcome commit(const QString &name, Prepared &prepared, QString *reason);
    _xmlSchema *schemaFor(int structure, QString *failure);
    // The walk over one e-invoice's elements: each leaf with a text is found in the mapping
    // and stored; what the mapping does not know is counted under its path.
    void collect(_xmlNode *node, QString &path, int level, Invoice &invoice) const;
    // The invoice's own number and the seller's identity, kept beside the fields for the checks
    // that follow the walk.
    static void noteIdentity(const QString &path, const QString &text, Invoice &invoice);
    // One leaf's text into its field, by the mapping's way of reading it.
    void storeLeaf(const KsefMapping::Row &row, QStringView local, const QString &childPath, const QString &text,
                   int level, Invoice &invoice) const;
    void complete(Invoice &invoice) const;
    void adoptSeller(const Invoice &invoice);
    void append(const Invoice &invoice);
    void resolveAdvanceNumbers();
    QStringList emptyHeaderFields() const;

    WorkContext m_ws;
    UserPort *m_port;
    Summary m_summary;
    QSet<QString> m_numbers;                // invoice numbers in the table
    QHash<QString, QString> m_byKsefNumber; // KSeF number (the file's name) → the invoice's own number
    std::vector<std::pair<int, QStringList>> m_advanceRows; // invoices naming advance invoices by KSeF number
    _xmlSchema *m_schemas[2] = {nullptr, nullptr};
    QString m_schemaFailure[2];
    bool m_schemaTried[2] = {false, false};
};
