// import-json: a refused file changes nothing; an accepted one exports and imports again to
// the same records.
#include "app/json_exchange.h"
#include "app/workspace.h"
#include "fuzz_support.h"

#include <QDir>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInitialize(argc, argv);
    return 0;
}

namespace {

int records(Workspace &ws)
{
    DocumentTables &t = ws.tables();
    return t.mt_FAK_.storedCount() + t.mt_POZ_.storedCount() + t.mt_ZAM_.storedCount() + t.mt_ZPOZ_.storedCount();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QDir home(fuzzHome().path());
    writeFile(home.filePath(QStringLiteral("in.json")),
              QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    FuzzPort port;
    Workspace ws(&port);
    ws.start({}, home.path());
    const QString before = ws.controls().text(QStringLiteral("ed_NIP_Text"));
    if (!JsonExchange::importFile(ws, home.filePath(QStringLiteral("in.json")))) {
        FUZZ_CHECK(records(ws) == 0, "a refused file adds no record");
        FUZZ_CHECK(ws.controls().text(QStringLiteral("ed_NIP_Text")) == before, "a refused file sets no header field");
        return 0;
    }
    checkTableLimits(ws);
    FUZZ_CHECK(JsonExchange::exportFile(ws, home.filePath(QStringLiteral("out.json"))), "the records export");
    FuzzPort port2;
    Workspace again(&port2);
    again.start({}, home.path());
    FUZZ_CHECK(JsonExchange::importFile(again, home.filePath(QStringLiteral("out.json"))), "an export imports");
    FUZZ_CHECK(records(again) == records(ws), "the same number of records");
    FUZZ_CHECK(JsonExchange::exportFile(again, home.filePath(QStringLiteral("out2.json"))), "it exports again");
    FUZZ_CHECK(readFile(home.filePath(QStringLiteral("out.json"))) ==
                   readFile(home.filePath(QStringLiteral("out2.json"))),
               "exported records read back the same");
    return 0;
}
