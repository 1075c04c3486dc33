// The e-invoice import: a file or a package from the input. Whatever it holds, what goes in
// has an invoice number and a line's invoice among the invoices; the same input a second time
// adds nothing; and what went in writes a well-formed JPK file.
#include "app/workspace.h"
#include "fuzz_support.h"

#include <QDir>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInitialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // the first byte: a package or a file, and whether the schema check runs
    const bool package = data[0] & 1;
    const bool validate = data[0] & 2;
    const QDir home(fuzzHome().path());
    const QString in = home.filePath(package ? QStringLiteral("in.zip") : QStringLiteral("in.xml"));
    QFile::remove(home.filePath(QStringLiteral("in.zip")));
    QFile::remove(home.filePath(QStringLiteral("in.xml")));
    writeFile(in, QByteArray(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1)));
    FuzzPort port;
    Workspace ws(&port);
    ws.start({}, home.path());
    DocumentTables &t = ws.tables();
    ws.importKsef(in, validate);
    checkTableLimits(ws);
    const int invoices = t.mt_FAK_.storedCount();
    const int p2a = t.mt_FAK_.fieldIndex(QStringLiteral("P_2A"));
    QSet<QString> numbers;
    for (int r = 0; r < invoices; ++r) {
        FUZZ_CHECK(!t.mt_FAK_.stringAt(r, p2a).isEmpty(), "an imported invoice has its number");
        numbers.insert(t.mt_FAK_.stringAt(r, p2a));
    }
    const int p2b = t.mt_POZ_.fieldIndex(QStringLiteral("P_2B"));
    for (int r = 0; r < t.mt_POZ_.storedCount(); ++r)
        FUZZ_CHECK(numbers.contains(t.mt_POZ_.stringAt(r, p2b)), "a line belongs to an imported invoice");
    ws.importKsef(in, validate);
    FUZZ_CHECK(t.mt_FAK_.storedCount() == invoices, "the same input a second time adds nothing");
    if (invoices > 0)
        generateWellFormed(ws);
    return 0;
}
