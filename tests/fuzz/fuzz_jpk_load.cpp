// Loading a JPK file: a load that fails keeps nothing of the file; a start tag of an absurd
// shape is refused; no text is longer than its field; a file that loads is written again as
// well-formed XML.
#include "app/workspace.h"
#include "base/xml_shape.h"
#include "fuzz_support.h"

#include <QDir>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInitialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QDir home(fuzzHome().path());
    const QString in = home.filePath(QStringLiteral("in.xml"));
    writeFile(in, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    FuzzPort port;
    Workspace ws(&port);
    ws.start({}, home.path());
    DocumentTables &t = ws.tables();
    ws.controls().setChecked(QStringLiteral("chb_FAK_append_Checked"), true);
    t.mt_FAK_.append();
    t.mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("moja"));
    t.mt_FAK_.post();
    const int failuresBefore = port.failureCount();
    XmlShapeGuard shape;
    const bool crowded = !shape.pass(reinterpret_cast<const char *>(data), qsizetype(size));
    const bool loaded = ws.loadJpk(in);
    // (the reason given may be a fault that stands before the crowded tag)
    FUZZ_CHECK(!crowded || !loaded, "a file with a tag of more attributes than allowed is refused");
    checkTableLimits(ws);
    if (port.failureCount() > failuresBefore && port.last.startsWith(QStringLiteral("Błąd wczytania pliku XML"))) {
        FUZZ_CHECK(t.mt_FAK_.storedCount() == 1 && t.mt_POZ_.storedCount() == 0 && t.mt_ZAM_.storedCount() == 0 &&
                       t.mt_ZPOZ_.storedCount() == 0,
                   "a failed load keeps nothing of the file");
        return 0;
    }
    generateWellFormed(ws);
    return 0;
}
