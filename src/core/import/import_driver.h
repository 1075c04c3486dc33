#pragma once

#include "import/line_list.h"

#include <QHash>
#include <QString>

#include "base/work_context.h"

class DocumentTable;
class RecordResolver;
class UserPort;

// The import commands: reading an input file into the line list, the common file with its
// header, invoice and order blocks, the header import and the two record passes.
class ImportDriver
{
public:
    explicit ImportDriver(const WorkContext &context);

    // "Importuj Dane", "Importuj Naglowek", "Importuj Faktury", "Importuj zamówienia"; with a
    // path the file dialog is skipped.
    void importCommonFile(const QString &path = QString());
    bool importHeaderFile(const QString &path = QString());
    bool importInvoiceFile(const QString &path = QString());
    bool importOrderFile(const QString &path = QString());

    bool chooseImportFile(const QString &what, const QString &path);
    bool readImportFile(const QString &path);
    void importCommonBlocks();
    bool importHeaderBlock(int start); // throws ImportError for a header row past the end
    bool importHeaderLine(const QString &text);
    bool importInvoiceBlock(int start);
    bool importOrderBlock(int start);

    LineList &importLines() { return m_lines; }

private:
    struct Pass;
    struct PassOptions;
    struct PassState;
    bool runPass(const Pass &pass, int start);
    // The steps of a pass: a document's line list (false when the pass ends with it), and
    // what the pass says when it is over.
    bool readLineList(PassOptions &options, RecordResolver &lines, PassState &state);
    void reportPass(const Pass &pass, PassOptions &options, const RecordResolver &rows, const RecordResolver &lines,
                    const PassState &state);
    // A pass over a file of its own, with its closing message.
    bool importSeparateFile(const QString &what, const QString &path, bool (ImportDriver::*pass)(int),
                            const QString &done, const QString &failed);

    WorkContext m_ws;
    UserPort *m_port;
    LineList m_lines;
    QHash<const DocumentTable *, int> m_added; // records the passes of this import added, by table
    bool m_readingCommonFile = false;          // a pass reads a block of the common file (its end marker is due)
};
