#pragma once

#include "base/work_context.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

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

    struct Summary
    {
        int read = 0; // files handed over by the source
        int imported = 0;
        int otherSeller = 0;
        int duplicate = 0;
        int invalid = 0;             // not well-formed, too large, hostile, or not valid against its schema
        int notInvoice = 0;          // another XML document, or a file that is not .xml
        int cut = 0;                 // texts longer than their field
        QMap<QString, int> unmapped; // element path → how many values had no field
        QStringList problems;        // "name: reason" of each file refused as invalid
        QStringList duplicates;      // the numbers of the invoices already in the table
        QString headerFrom;          // the invoice whose seller filled the empty header
        QString schemaNote;          // why the files were not checked against their schema
    };

    // A .xml file, a folder or a .zip package. Shows the closing message; true when anything
    // could be read (a source holding only skipped invoices counts as read).
    bool run(const QString &path);
    const Summary &summary() const { return m_summary; }
    // The closing message's text.
    QString report() const;

private:
    struct Invoice;
    enum class Outcome
    {
        Imported,
        OtherSeller,
        Duplicate,
        Invalid,
        NotInvoice
    };
    Outcome take(const QString &name, const QByteArray &bytes, QString *reason);
    _xmlSchema *schemaFor(int structure, QString *failure);
    void collect(_xmlNode *node, const QString &path, int level, Invoice &invoice);
    void adoptSeller(const Invoice &invoice);
    void append(const Invoice &invoice);

    WorkContext m_ws;
    UserPort *m_port;
    Summary m_summary;
    QSet<QString> m_numbers; // invoice numbers in the table
    _xmlSchema *m_schemas[2] = {nullptr, nullptr};
    QString m_schemaFailure[2];
    bool m_schemaTried[2] = {false, false};
};
