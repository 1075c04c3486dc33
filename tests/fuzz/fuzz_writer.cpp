// The writer fed with fuzzed table contents and, when the input carries one, a fuzzed
// template: whatever it writes is well-formed XML that the reader loads back.
#include "app/workspace.h"
#include "base/xml_scan.h"
#include "base/xml_services.h"
#include "fuzz_support.h"
#include "jpk/jpk_template.h"

#include <QDir>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInitialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // "TEMPLATE\xFF values…": a template of its own before the first 0xFF byte
    QString templ = designTemplate();
    const qsizetype mark = bytes.indexOf('\xFF');
    if (mark >= 0) {
        templ = QString::fromUtf8(bytes.left(mark));
        bytes.remove(0, mark + 1);
    }
    const QDir home(fuzzHome().path());
    FuzzPort port;
    Workspace ws(&port);
    ws.start({}, home.path());
    ws.setJpkTemplate(templ);
    // the values: text fields of invoices, lines and orders, and the header's name
    const QStringList values = QString::fromUtf8(bytes).split(u'\n');
    ws.controls().setText(QStringLiteral("ed_PelnaNazwa_Text"), values.value(0));
    DocumentTables &t = ws.tables();
    const char *invoiceFields[] = {"P_2A", "P_3A", "P_3B", "P_19A", "KodWaluty"};
    for (qsizetype i = 1; i < values.size(); ++i) {
        const int k = int(i % 5);
        if (k == 1 || t.mt_FAK_.storedCount() == 0) {
            t.mt_FAK_.append();
            t.mt_FAK_.setValue(QStringLiteral("P_2A"), values.at(i));
            t.mt_FAK_.setValue(QStringLiteral("P_15"), double(i) / 3.0);
            t.mt_FAK_.post();
        }
        t.mt_FAK_.edit();
        t.mt_FAK_.setValue(QString::fromLatin1(invoiceFields[k]), values.at(i));
        t.mt_FAK_.post();
        t.mt_POZ_.append();
        t.mt_POZ_.setValue(QStringLiteral("P_2B"), values.at(i));
        t.mt_POZ_.setValue(QStringLiteral("P_7"), values.at(i));
        t.mt_POZ_.post();
        if (k == 3) {
            t.mt_ZAM_.append();
            t.mt_ZAM_.setValue(QStringLiteral("P_2AZ"), values.at(i));
            t.mt_ZAM_.post();
            t.mt_ZPOZ_.append();
            t.mt_ZPOZ_.setValue(QStringLiteral("P_7Z"), values.at(i));
            t.mt_ZPOZ_.post();
        }
    }
    const QString out = home.filePath(QStringLiteral("out.xml"));
    QFile::remove(out);
    ws.controls().setText(QStringLiteral("fn_JPK_Text"), out);
    if (!ws.generateJpk())
        return 0;
    XmlRootInfo root;
    XmlError error;
    FUZZ_CHECK(Xml::scanFile(out, &root, &error), "a written file is well-formed");
    if (root.localName == u"JPK") {
        FuzzPort readPort;
        Workspace reader(&readPort);
        reader.start({}, home.path());
        reader.loadJpk(out);
        FUZZ_CHECK(!readPort.last.startsWith(QStringLiteral("Błąd wczytania pliku XML")), "a written file loads back");
    }
    return 0;
}
