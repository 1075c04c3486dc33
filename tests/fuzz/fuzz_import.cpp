// The text import, driven through a whole pass with the example's settings: the line
// splitter with numbers and dates, the mapping tables' expressions and IF conditions (the
// input's first two lines stand in a mapping row), the blocks and the header. Whatever is
// imported is written as well-formed XML.
#include "app/workspace.h"
#include "base/xml_scan.h"
#include "base/xml_services.h"
#include "fuzz_support.h"
#include "import/mapping_tables.h"

#include <QDir>
#include <QFile>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInitialize(argc, argv);
    QFile::copy(QStringLiteral(TAVRIX_DEMO_DIR "/JPK_FA3_Ustawienia.ini"),
                QDir(fuzzHome().path()).filePath(QStringLiteral("JPK_FA3_Ustawienia.ini")));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const QDir home(fuzzHome().path());
    FuzzPort port;
    Workspace ws(&port);
    ws.start({}, home.path());
    Controls &c = ws.controls();
    // the first byte chooses the format: separator, decimal separator, date format, code page
    const uint8_t options = data[0];
    c.setItemIndex(QStringLiteral("cb_separator_ItemIndex"), (options & 7) % 5 == 4 ? -1 : (options & 7) % 5);
    c.setItemIndex(QStringLiteral("cb_koma_ItemIndex"), (options >> 3) & 1);
    c.setItemIndex(QStringLiteral("cb_data_ItemIndex"), ((options >> 4) & 3));
    c.setItemIndex(QStringLiteral("cb_PL_ItemIndex"), (options >> 6) % 3);
    c.setChecked(QStringLiteral("rb_nag_kolumny_Checked"), (options & 0x80) != 0);
    QByteArray text(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    // the first two lines: a default-value expression and an IF condition of a mapping row
    const qsizetype a = text.indexOf('\n');
    const qsizetype b = a < 0 ? -1 : text.indexOf('\n', a + 1);
    if (b > 0) {
        MappingGrid &fak = ws.maps().grid(MappingTables::FAK);
        fak.setCell(4, 5, QString::fromUtf8(text.left(a)));
        fak.setCell(5, 6, QString::fromUtf8(text.mid(a + 1, b - a - 1)));
        text.remove(0, b + 1);
    }
    const QString in = home.filePath(QStringLiteral("in.txt"));
    writeFile(in, text);
    ws.importCommonFile(in);
    DocumentTables &t = ws.tables();
    FUZZ_CHECK(t.mt_FAK_.state() == DocumentTable::State::Browse, "no record is left half-made");
    checkTableLimits(ws);
    if (t.mt_FAK_.storedCount() + t.mt_ZAM_.storedCount() == 0)
        return 0;
    const QString out = home.filePath(QStringLiteral("out.xml"));
    QFile::remove(out);
    c.setText(QStringLiteral("fn_JPK_Text"), out);
    c.setChecked(QStringLiteral("chb_Weryfikuj_Checked"), false);
    if (ws.generateJpk()) {
        XmlRootInfo root;
        XmlError error;
        FUZZ_CHECK(Xml::scanFile(out, &root, &error), "imported data is written as well-formed XML");
    }
    return 0;
}
