#include "app/workspace.h"
#include "import/import_driver.h"
#include "support/recording_port.h"
#include "support/temp_home.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

using Msg = RecordingPort::Message;

// A small layout: invoice rows "FAK;number;net", line rows "POZ;name;value", orders
// "ZAM;number;value" and order lines "POZ;name".
class Import : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ws.start({}, home.path());
        c().setItemIndex(QStringLiteral("cb_separator_ItemIndex"), 2); // ";"
        MappingTables &m = ws.maps();
        m.grid(MappingTables::FAK).setCell(3, 3, QStringLiteral("2"));  // P_2A
        m.grid(MappingTables::FAK).setCell(3, 29, QStringLiteral("3")); // P_15
        m.grid(MappingTables::POS).setCell(3, 2, QStringLiteral("2"));  // P_7
        m.grid(MappingTables::POS).setCell(3, 8, QStringLiteral("3"));  // P_11
        m.grid(MappingTables::ZAM).setCell(3, 2, QStringLiteral("2"));  // P_2AZ
        m.grid(MappingTables::ZPOS).setCell(3, 2, QStringLiteral("2")); // P_7Z
    }
    Controls &c() { return ws.controls(); }
    DocumentTables &t() { return ws.tables(); }
    QString file(const QString &text, const char *codec = "windows-1250")
    {
        QStringEncoder e(codec);
        const QString name = QStringLiteral("in%1.txt").arg(++m_files);
        home.write(name, e.encode(text));
        return home.file(name);
    }
    // Runs the invoice pass over a separate file; returns "number:line names|…".
    QString invoices(const QString &text, bool *ok = nullptr)
    {
        ImportDriver d(ws.context());
        EXPECT_TRUE(d.readImportFile(file(text)));
        const bool result = d.importInvoiceBlock(0);
        if (ok)
            *ok = result;
        return summary();
    }
    QString summary()
    {
        QStringList out;
        DocumentTable &f = t().mt_FAK_;
        DocumentTable &p = t().mt_POZ_;
        for (int r = 0; r < f.storedCount(); ++r) {
            QStringList names;
            for (int l : p.rowsWithKey(f.stringAt(r, 2)))
                names << p.stringAt(l, 1);
            out << f.stringAt(r, 2) + u':' + names.join(u',');
        }
        return out.join(u'|');
    }
    QStringList texts() const
    {
        QStringList out;
        for (const Msg &m : port.messages)
            out << m.text;
        return out;
    }

    TempHome home;
    RecordingPort port;
    Workspace ws{&port};
    int m_files = 0;
};

TEST_F(Import, DefaultLayout)
{
    bool ok = false;
    EXPECT_EQ(
        invoices(QStringLiteral("FAK;FV/1/2023;10\nPOZ;Usługa A;1\nPOZ;Usługa B;2\n\nFAK;FV/2/2023;5\nPOZ;Usługa C;3"),
                 &ok),
        QStringLiteral("FV/1/2023:Usługa A,Usługa B|FV/2/2023:Usługa C"));
    EXPECT_TRUE(ok);
    EXPECT_TRUE(port.messages.isEmpty());
    EXPECT_TRUE(t().lineLinkOn());
}

TEST_F(Import, LayoutOptions)
{
    struct Case
    {
        const char *what;
        QStringList settings;
        const char *text;
        const char *expected;
    };
    const QString fakFilter = QStringLiteral("chb_FAK_BeginIf_Checked=TRUE");
    const Case cases[] = {
        {"row filter, lists ended by the row prefix",
         {fakFilter, QStringLiteral("rb_PozEnd_FakId_Checked=TRUE")},
         "Sprzedaż 08.2023\nFAK;FV/1\nPOZ;A\nFAK;FV/2\nFAK;FV/3\nPOZ;B",
         "FV/1:A|FV/2:|FV/3:B"},
        {"lists ended by another beginning consume the ending line",
         {QStringLiteral("chb_POZ_BeginIf_Checked=TRUE"), QStringLiteral("rb_PozEnd_InnyStart_Checked=TRUE")},
         "FAK;FV/1\nPOZ;A\nFAK;FV/2\nFAK;FV/3\nPOZ;B",
         "FV/1:A|FV/3:B"},
        {"a line failing the line filter is skipped under another end option",
         {QStringLiteral("chb_POZ_BeginIf_Checked=TRUE")},
         "FAK;FV/1\nPOZ;A\nuwaga\nPOZ;B\n\nFAK;FV/2",
         "FV/1:A,B|FV/2:"},
        {"headings before each invoice, lists ended by the heading",
         {QStringLiteral("chb_FAK_Naglowek_Checked=TRUE"), QStringLiteral("rb_PozEnd_Faktura_Checked=TRUE")},
         "tytuł\n[Faktura]\nFAK;FV/1\nPOZ;A\n[Faktura]\nFAK;FV/2\nPOZ;B",
         "FV/1:A|FV/2:B"},
        {"lines after their own heading; a missing one passes over the rest",
         {QStringLiteral("rb_PozPoNaglowku_Checked=TRUE")},
         "FAK;FV/1\nopis\n[Pozycje]\nPOZ;A\n\nFAK;FV/2\nFAK;FV/3",
         "FV/1:A|FV/2:"},
        {"two empty lines swallow the next invoice",
         {},
         "FAK;FV/1\nPOZ;A\n\n\nFAK;FV/2\nPOZ;B\n\nFAK;FV/3",
         "FV/1:A|FV/3:"},
        {"a descriptive first line",
         {QStringLiteral("chb_FAK_OdDrugiegoWiersza_Checked=TRUE")},
         "Numer;Kwota\nFAK;FV/1\n",
         "FV/1:"},
        {"the last line is an invoice", {}, "FAK;FV/1", "FV/1:"},
        {"an empty row prefix skips everything",
         {fakFilter, QStringLiteral("ed_FAK_BeginIf_Text=")},
         "FAK;FV/1\nPOZ;A",
         ""},
    };
    for (const Case &cs : cases) {
        RecordingPort p;
        Workspace w(&p);
        w.start({}, home.path());
        for (int k = 0; k < MappingTables::KindCount; ++k)
            for (int r = 0; r < ws.maps().grid(MappingTables::Kind(k)).rowCount(); ++r)
                for (int col = 0; col < 6; ++col)
                    w.maps()
                        .grid(MappingTables::Kind(k))
                        .setCell(col, r, ws.maps().grid(MappingTables::Kind(k)).cell(col, r));
        w.controls().setItemIndex(QStringLiteral("cb_separator_ItemIndex"), 2);
        for (const QString &s : cs.settings)
            ASSERT_TRUE(w.controls().setFromText(s.section(u'=', 0, 0), s.section(u'=', 1)));
        ImportDriver d(w.context());
        ASSERT_TRUE(d.readImportFile(file(QString::fromUtf8(cs.text))));
        d.importInvoiceBlock(0);
        QStringList out;
        for (int r = 0; r < w.tables().mt_FAK_.storedCount(); ++r) {
            QStringList names;
            for (int l : w.tables().mt_POZ_.rowsWithKey(w.tables().mt_FAK_.stringAt(r, 2)))
                names << w.tables().mt_POZ_.stringAt(l, 1);
            out << w.tables().mt_FAK_.stringAt(r, 2) + u':' + names.join(u',');
        }
        EXPECT_EQ(out.join(u'|'), QString::fromUtf8(cs.expected)) << cs.what;
    }
}

TEST_F(Import, FailedRowsAndLines)
{
    // an invoice row that is aborted takes its lines with it; the pass stays good
    ws.maps().grid(MappingTables::FAK).setCell(5, 3, QStringLiteral("@IF(2|FV/2|ABORT)"));
    bool ok = false;
    EXPECT_EQ(invoices(QStringLiteral("FAK;FV/1\nPOZ;A\n\nFAK;FV/2\nPOZ;B\n\nFAK;FV/3\nPOZ;C"), &ok),
              QStringLiteral("FV/1:A|FV/3:C"));
    EXPECT_TRUE(ok);
    // a line row that fails stops every later line row; the closing message tells
    ws.maps().grid(MappingTables::FAK).setCell(5, 3, QString());
    ws.maps().grid(MappingTables::POS).setCell(5, 2, QStringLiteral("@IF(2|B|ABORT)"));
    EXPECT_EQ(invoices(QStringLiteral("FAK;FV/1\nPOZ;A\nPOZ;B\nPOZ;C\n\nFAK;FV/2\nPOZ;D"), &ok),
              QStringLiteral("FV/1:A|FV/2:"));
    EXPECT_FALSE(ok);
    EXPECT_EQ(texts(), QStringList({QStringLiteral("Nie wszystką sprzedaż wczytano poprawnie")}));
    // a row that cannot be converted shows the resolver's message and the pass goes on
    port.messages.clear();
    ws.maps().grid(MappingTables::POS).setCell(5, 2, QString());
    ws.maps().grid(MappingTables::FAK).setCell(3, 2, QStringLiteral("3")); // P_1 from field 3
    EXPECT_EQ(invoices(QStringLiteral("FAK;FV/1;31-02-2023\nPOZ;A\n\nFAK;FV/2;01-02-2023\nPOZ;B"), &ok),
              QStringLiteral("FV/2:B"));
    EXPECT_TRUE(ok);
    EXPECT_EQ(texts(), QStringList({QStringLiteral("Błąd podziału wiersza faktur:\rFAK;FV/1;31-02-2023\rKomunikat:"
                                                   "Błąd określenia DATY wg(31-02-2023)")}));
}

TEST_F(Import, CommonFileBlocks)
{
    c().setChecked(QStringLiteral("rb_WspolnyPlik_Checked"), true);
    const QString text =
        QStringLiteral("*JPK_FK(4)* eksport\n[Naglowek_Start]\n01-08-2023;31-08-2023;1471;5261040828;Firma\n"
                       "[Faktury]\nFAK;FV/1\nPOZ;A\n[Faktury_Koniec]\n"
                       "[Faktury]\nFAK;FV/2\n\n[Faktury_Koniec]\n"
                       "[Zamowienia]\nZAM;Z/1\nPOZ;z1\nPOZ;z2\n\n[Zamowienia_Koniec]\n");
    ImportDriver d(ws.context());
    ASSERT_TRUE(d.readImportFile(file(text)));
    d.importCommonBlocks();
    // the end marker ends the pass even right after a line row: it is never taken as a line
    EXPECT_EQ(summary(), QStringLiteral("FV/2:"));
    EXPECT_EQ(c().date(QStringLiteral("ed_DataOd_Date")), QDate(2023, 8, 1));
    EXPECT_EQ(c().text(QStringLiteral("ed_PelnaNazwa_Text")), QStringLiteral("Firma"));
    EXPECT_EQ(t().mt_ZAM_.storedCount(), 0); // orders only with "Nie importuj danych zaliczek" ticked
    EXPECT_TRUE(port.messages.isEmpty());

    c().setChecked(QStringLiteral("chb_FAK_append_Checked"), true);
    c().setChecked(QStringLiteral("chb_ZAL_NieImportuj_Checked"), true);
    t().mt_FAK_.empty();
    ImportDriver again(ws.context());
    ASSERT_TRUE(again.readImportFile(file(text)));
    again.importCommonBlocks();
    EXPECT_EQ(t().mt_FAK_.storedCount(), 2);
    ASSERT_EQ(t().mt_POZ_.storedCount(), 1);
    EXPECT_EQ(t().mt_POZ_.stringAt(0, t().mt_POZ_.fieldIndex(QStringLiteral("P_2B"))), QStringLiteral("FV/1"));
    EXPECT_EQ(t().mt_ZAM_.storedCount(), 1);
    EXPECT_EQ(t().mt_ZPOZ_.storedCount(), 2);
}

TEST_F(Import, ACharacterOfCodeZeroRefusesTheFileWithItsLine)
{
    c().setChecked(QStringLiteral("rb_WspolnyPlik_Checked"), true);
    static const char bytes[] = "[Naglowek_Start]\n01-08-2023;31-08-2023\n[Faktury]\nFAK;FV/1\nFAK;FV/2\0x\nFAK;FV/3\n";
    const QByteArray text(bytes, sizeof bytes - 1);
    home.write(QStringLiteral("nul.txt"), text);
    ImportDriver d(ws.context());
    EXPECT_FALSE(d.readImportFile(home.file(QStringLiteral("nul.txt"))));
    ASSERT_EQ(port.messages.size(), 1);
    EXPECT_TRUE(port.messages.first().text.contains(QStringLiteral("wiersz 5 zawiera znak o kodzie 0")))
        << port.messages.first().text.toStdString();
    EXPECT_EQ(port.failureCount(), 1);
    EXPECT_EQ(t().mt_FAK_.storedCount(), 0);
}

TEST_F(Import, CommonFileMessages)
{
    c().setChecked(QStringLiteral("rb_WspolnyPlik_Checked"), true);
    c().setChecked(QStringLiteral("chb_ZAL_NieImportuj_Checked"), true);
    struct Case
    {
        const char *text;
        QStringList messages;
        int invoices;
    };
    const Case cases[] = {
        // the invoice block runs to the file's end without its end marker: said
        {"[Faktury]\nFAK;FV/1\n",
         {QStringLiteral("Brak bloku NAGŁÓWEK"),
          QStringLiteral("Blok kończy się razem z plikiem, bez znacznika końca „[Faktury_Koniec]” – jeśli plik miał "
                         "go mieć, może być ucięty; sprawdź, czy wczytano wszystkie dokumenty."),
          QStringLiteral("Brak bloku ZAMÓWIENIA")},
         1},
        {"[Faktury]\nFAK;FV/1\n[Faktury_Koniec]\n",
         {QStringLiteral("Brak bloku NAGŁÓWEK"), QStringLiteral("Brak bloku ZAMÓWIENIA")},
         1},
        {"[Naglowek_Start]\n01-08-2023\n[faktury]\n[Faktury] \n",
         {QStringLiteral("Brak bloku FAKTURY"), QStringLiteral("Brak bloku ZAMÓWIENIA")},
         0},
        {"[Faktury]\nFAK;FV/1\n[Naglowek_Start]", {}, 0},
    };
    for (const Case &cs : cases) {
        port.messages.clear();
        t().mt_FAK_.empty();
        ImportDriver d(ws.context());
        ASSERT_TRUE(d.readImportFile(file(QString::fromUtf8(cs.text))));
        d.importCommonBlocks();
        if (cs.messages.isEmpty()) {
            // the header row would lie past the last line: the walk stops there
            ASSERT_EQ(port.messages.size(), 1);
            EXPECT_TRUE(port.messages.first().text.startsWith(QStringLiteral("Błąd imporu danych:"))) << cs.text;
        } else {
            EXPECT_EQ(texts(), cs.messages) << cs.text;
        }
        EXPECT_EQ(t().mt_FAK_.storedCount(), cs.invoices) << cs.text;
    }
    // the whole command ends by saying what came in: without appending, each block takes the
    // place of what the tables held, the block before included
    port.messages.clear();
    t().mt_FAK_.empty();
    ImportDriver d(ws.context());
    const QString blocks = file(QStringLiteral("[Faktury]\nFAK;FV/1\n[Faktury_Koniec]\n[Faktury]\nFAK;FV/2\n"
                                               "[Faktury_Koniec]\n"));
    d.importCommonFile(blocks);
    ASSERT_FALSE(port.messages.isEmpty());
    EXPECT_EQ(port.messages.last().text,
              QStringLiteral("Zaimportowano faktur: 1, wierszy faktur: 0, zamówień: 0, wierszy zamówień: 0."));
    EXPECT_EQ(t().mt_FAK_.storedCount(), 1);
    // appending, every block's records count
    c().setChecked(QStringLiteral("chb_FAK_append_Checked"), true);
    d.importCommonFile(blocks);
    EXPECT_EQ(port.messages.last().text,
              QStringLiteral("Zaimportowano faktur: 2, wierszy faktur: 0, zamówień: 0, wierszy zamówień: 0."));
    EXPECT_EQ(t().mt_FAK_.storedCount(), 3);
}

TEST_F(Import, HeaderLayouts)
{
    ImportDriver d(ws.context());
    // column layout without its end marker: every line is a field
    c().setChecked(QStringLiteral("rb_nag_kolumny_Checked"), true);
    ASSERT_TRUE(d.readImportFile(file(QStringLiteral("01-08-2023\n31-08-2023\n1471\n5261040828\nŁąka"))));
    EXPECT_TRUE(d.importHeaderBlock(0));
    EXPECT_EQ(c().date(QStringLiteral("ed_DataDo_Date")), QDate(2023, 8, 31));
    EXPECT_EQ(c().text(QStringLiteral("ed_PelnaNazwa_Text")), QStringLiteral("Łąka"));
    EXPECT_EQ(c().text(QStringLiteral("ed_KodKraju_Text")), QString());

    // the same with no separator chosen (code 0): the lines are joined with code 0 and split
    // there again, not read as one field
    c().setItemIndex(QStringLiteral("cb_separator_ItemIndex"), -1);
    c().setText(QStringLiteral("ed_PelnaNazwa_Text"), QString());
    ASSERT_TRUE(d.readImportFile(file(QStringLiteral("01-08-2023\n30-09-2023\n1472\n5261040828\nŁąka 2"))));
    EXPECT_TRUE(d.importHeaderBlock(0));
    EXPECT_EQ(c().date(QStringLiteral("ed_DataDo_Date")), QDate(2023, 9, 30));
    EXPECT_EQ(c().text(QStringLiteral("ed_KodUrzedu_Text")), QStringLiteral("1472"));
    EXPECT_EQ(c().text(QStringLiteral("ed_PelnaNazwa_Text")), QStringLiteral("Łąka 2"));
    c().setItemIndex(QStringLiteral("cb_separator_ItemIndex"), 2);

    // row layout: a mapping row naming nothing is ignored, a date with field 0 is kept,
    // a text with field 0 takes its default as typed, an empty date field clears the date
    c().setChecked(QStringLiteral("rb_nag_wiersz_Checked"), true);
    MappingGrid &nag = ws.maps().grid(MappingTables::NAG);
    nag.setCell(1, 1, QStringLiteral("0")); // DataOd from nothing
    nag.setCell(1, 6, QStringLiteral("0")); // KodKraju
    nag.setCell(2, 6, QStringLiteral(" PL "));
    nag.setCell(0, 7, QStringLiteral("Nieznane"));
    ASSERT_TRUE(d.readImportFile(file(QStringLiteral("x;;1471"))));
    EXPECT_TRUE(d.importHeaderBlock(0));
    EXPECT_EQ(c().date(QStringLiteral("ed_DataOd_Date")), QDate(2023, 8, 1));
    EXPECT_EQ(c().date(QStringLiteral("ed_DataDo_Date")), zeroDate());
    EXPECT_EQ(c().text(QStringLiteral("ed_KodKraju_Text")), QStringLiteral(" PL "));

    // a date that cannot be read stops at its row with the header message
    nag.setCell(1, 1, QStringLiteral("1"));
    ASSERT_TRUE(d.readImportFile(file(QStringLiteral("01-13-2023;x"))));
    EXPECT_FALSE(d.importHeaderBlock(0));
    EXPECT_EQ(port.messages.last().text, QStringLiteral("Błąd podziału wiersza nagłówka:\r01-13-2023;x\rKomunikat:"
                                                        "Błąd określenia DATY wg(01-13-2023)"));
}

TEST_F(Import, ReadingFiles)
{
    ImportDriver d(ws.context());
    // code pages
    c().setItemIndex(QStringLiteral("cb_PL_ItemIndex"), 1);
    home.write(QStringLiteral("utf8.txt"), QByteArray("\xEF\xBB\xBF") + QStringLiteral("Żółw\r\nb\rc\n").toUtf8());
    ASSERT_TRUE(d.readImportFile(home.file(QStringLiteral("utf8.txt"))));
    EXPECT_EQ(d.importLines().count(), 3);
    EXPECT_EQ(d.importLines().line(0), QStringLiteral("Żółw"));
    c().setItemIndex(QStringLiteral("cb_PL_ItemIndex"), 2);
    ASSERT_TRUE(d.readImportFile(file(QStringLiteral("Łódź\n\n"), "IBM852")));
    EXPECT_EQ(d.importLines().count(), 2);
    EXPECT_EQ(d.importLines().line(0), QStringLiteral("Łódź"));
    EXPECT_EQ(d.importLines().line(1), QString());
    // bytes that are not UTF-8
    c().setItemIndex(QStringLiteral("cb_PL_ItemIndex"), 1);
    home.write(QStringLiteral("bad.txt"), "ok\n\xFF\xFE bad\n");
    EXPECT_FALSE(d.readImportFile(home.file(QStringLiteral("bad.txt"))));
    EXPECT_TRUE(port.messages.last().text.startsWith(QStringLiteral("Błąd imporu danych:") +
                                                     home.file(QStringLiteral("bad.txt"))));
    EXPECT_TRUE(port.messages.last().text.contains(QStringLiteral("wiersz 2")));
    EXPECT_FALSE(d.readImportFile(home.file(QStringLiteral("none.txt"))));
    EXPECT_TRUE(port.messages.last().text.contains(QStringLiteral("none.txt")));
    // the first-line marker
    c().setItemIndex(QStringLiteral("cb_PL_ItemIndex"), 0);
    c().setChecked(QStringLiteral("chb_wyroznik_Checked"), true);
    EXPECT_TRUE(d.readImportFile(file(QStringLiteral("eksport *JPK_FK(4)* z dnia\nFAK"))));
    EXPECT_FALSE(d.readImportFile(file(QStringLiteral("eksport JPK_FK(4)\nFAK"))));
    EXPECT_EQ(
        port.messages.last().text,
        QStringLiteral("Błąd imporu danych:Pierwsza linia pliku nie zawiera ustalonego wyróżnika \"*JPK_FK(4)*\""));
    EXPECT_FALSE(d.readImportFile(file(QString())));
    c().setText(QStringLiteral("edx_Wyroznik_Text"), QString());
    EXPECT_FALSE(d.readImportFile(file(QStringLiteral("*JPK_FK(4)*"))));
    c().setChecked(QStringLiteral("chb_wyroznik_Checked"), false);
    EXPECT_TRUE(d.readImportFile(file(QString())));
    EXPECT_EQ(d.importLines().count(), 0);
}

TEST_F(Import, CommandsOfTheLayout)
{
    EXPECT_FALSE(ws.isEnabled(QStringLiteral("act_Importuj")));
    EXPECT_TRUE(ws.isEnabled(QStringLiteral("Act_ImportujFaktury")));
    EXPECT_FALSE(ws.isEnabled(QStringLiteral("Act_ImportNaglowek")));
    c().setChecked(QStringLiteral("rb_WspolnyPlik_Checked"), true);
    EXPECT_TRUE(ws.isEnabled(QStringLiteral("act_Importuj")));
    EXPECT_FALSE(ws.isEnabled(QStringLiteral("Act_ImportujFaktury")));
    c().setChecked(QStringLiteral("chb_Imp_Application_Checked"), true);
    EXPECT_FALSE(ws.isEnabled(QStringLiteral("act_Importuj")));
    ws.setBusy(true);
    EXPECT_FALSE(ws.isEnabled(QStringLiteral("act_ImportujZamowienia")));
    EXPECT_FALSE(ws.isEnabled(QStringLiteral("act_Generuj_JPK")));
    ws.setBusy(false);

    EXPECT_TRUE(ws.importInvoiceFile(file(QStringLiteral("FAK;FV/1"))));
    EXPECT_EQ(port.messages.last().text, QStringLiteral("Wczytano dane z pliku FAKTUR"));
    EXPECT_TRUE(ws.importOrderFile(file(QStringLiteral("ZAM;Z/1\nPOZ;a"))));
    EXPECT_EQ(port.messages.last().text, QStringLiteral("Wczytano dane z pliku Zamówienia"));
    EXPECT_TRUE(ws.importHeaderFile(file(QStringLiteral("01-08-2023;31-08-2023"))));
    EXPECT_EQ(port.messages.last().text, QStringLiteral("Wczytano dane NAGŁÓWKA"));
    EXPECT_FALSE(ws.isBusy());
}

} // namespace

namespace {

// An import run as the window runs it: through the Workspace, frozen for the user, stoppable.
TEST_F(Import, ACancelledOrFailedImportLeavesTheTablesAsTheyWere)
{
    DocumentTable::assertOnFrozenChange = false;
    QString text;
    for (int i = 1; i <= 3000; ++i)
        text += QStringLiteral("FAK;FN/%1;10\nPOZ;n%1;10\n\n").arg(i);
    const QString path = file(text);
    // what the tables held: two invoices of the user's, one line each
    for (const char *number : {"FV/1", "FV/2"}) {
        t().mt_FAK_.append();
        t().mt_FAK_.setValue(QStringLiteral("P_2A"), QString::fromLatin1(number));
        t().mt_FAK_.post();
        t().mt_POZ_.append();
        t().mt_POZ_.setValue(QStringLiteral("P_2B"), QString::fromLatin1(number));
        t().mt_POZ_.setValue(QStringLiteral("P_7"), QStringLiteral("stara"));
        t().mt_POZ_.post();
    }
    const QString before = summary();
    ASSERT_EQ(before, QStringLiteral("FV/1:stara|FV/2:stara"));

    struct Case
    {
        const char *what;
        bool append;
        std::function<void()> during; // run at the second time the import lets events run
        QString message;
    };
    const Case cases[] = {
        {"Przerwij, replacing", false, [&] { port.requestCancel(); },
         QStringLiteral("Przerwano: Importuj Faktury. Tabele pozostały bez zmian.")},
        {"Przerwij, appending", true, [&] { port.requestCancel(); },
         QStringLiteral("Przerwano: Importuj Faktury. Tabele pozostały bez zmian.")},
        {"out of memory", true, [] { throw std::bad_alloc(); },
         QStringLiteral("Importuj Faktury: za mało pamięci, polecenie przerwano. Tabele pozostały bez zmian.")},
    };
    for (const Case &cs : cases) {
        c().setChecked(QStringLiteral("chb_FAK_append_Checked"), cs.append);
        port.messages.clear();
        int calls = 0;
        bool frozen = false;
        port.onProcessEvents = [&] {
            frozen = t().mt_FAK_.isFrozen();
            // the user's own paths are refused while the import runs
            t().mt_FAK_.first();
            t().mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("zmieniona"));
            EXPECT_FALSE(t().mt_POZ_.remove());
            if (++calls == 2)
                cs.during();
        };
        EXPECT_FALSE(ws.importInvoiceFile(path)) << cs.what;
        port.onProcessEvents = nullptr;
        EXPECT_TRUE(frozen) << cs.what;
        EXPECT_FALSE(t().mt_FAK_.isFrozen()) << cs.what;
        EXPECT_EQ(summary(), before) << cs.what;
        EXPECT_EQ(t().mt_POZ_.storedCount(), 2) << cs.what;
        ASSERT_FALSE(port.messages.isEmpty()) << cs.what;
        EXPECT_EQ(port.messages.last().text, cs.message) << cs.what;
        EXPECT_FALSE(t().mt_FAK_.viewsSuspended()) << cs.what;
    }
    // run to its end, a replacing import gives the file's records in place of the old ones
    c().setChecked(QStringLiteral("chb_FAK_append_Checked"), false);
    EXPECT_TRUE(ws.importInvoiceFile(path));
    EXPECT_EQ(t().mt_FAK_.storedCount(), 3000);
    EXPECT_TRUE(summary().startsWith(QStringLiteral("FN/1:n1|FN/2:n2|")));
    DocumentTable::assertOnFrozenChange = true;
}

// The workers' appending path leaves the user's current record and its edit alone.
TEST_F(Import, AWorkerAppendsWithoutMovingTheUsersRecord)
{
    for (const char *number : {"FV/1", "FV/2", "FV/3"}) {
        t().mt_FAK_.append();
        t().mt_FAK_.setValue(QStringLiteral("P_2A"), QString::fromLatin1(number));
        t().mt_FAK_.post();
    }
    t().linkLinesToInvoices();
    t().mt_FAK_.moveTo(1);
    DocumentTable &fak = t().mt_FAK_;
    fak.beginAppend();
    fak.setText(fak.fieldIndex(QStringLiteral("P_2A")), u"FV/9");
    ASSERT_TRUE(fak.commitAppend());
    t().mt_POZ_.beginAppend(); // a line without its number belongs to the invoice just added
    ASSERT_TRUE(t().mt_POZ_.commitAppend());
    EXPECT_EQ(fak.position(), 1);
    EXPECT_EQ(fak.value(QStringLiteral("P_2A")).toString(), QStringLiteral("FV/2"));
    EXPECT_EQ(fak.storedCount(), 4);
    EXPECT_EQ(t().mt_POZ_.rowsWithKey(QStringLiteral("FV/9")).size(), size_t(1));
    EXPECT_EQ(fak.state(), DocumentTable::State::Browse);
}

} // namespace
