#include "app/json_exchange.h"
#include "app/workspace.h"
#include "support/recording_port.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using Msg = RecordingPort::Message;

const QByteArray kHead = R"(<?xml version="1.0" encoding="UTF-8"?>
<JPK xmlns="http://jpk.mf.gov.pl/wzor/2022/02/17/02171/" xmlns:etd="http://crd.gov.pl/xml/schematy/dziedzinowe/mf/2018/08/24/eD/DefinicjeTypy/">
  <Naglowek>
    <KodFormularza kodSystemowy="%CODE%" wersjaSchemy="1-0">JPK_FA</KodFormularza>
    <WariantFormularza>4</WariantFormularza>
    <CelZlozenia>1</CelZlozenia>
    <DataWytworzeniaJPK>2023-09-01T10:00:00</DataWytworzeniaJPK>
    <DataOd>2023-08-01</DataOd>
    <DataDo>2023-08-31</DataDo>
    <KodUrzedu>1471</KodUrzedu>
  </Naglowek>
  <Podmiot1>
    <IdentyfikatorPodmiotu>
      <NIP>5261040828</NIP>
      <EUPLVATID>PL5261040828</EUPLVATID>
      <PelnaNazwa>Łąka Sp. z o.o.</PelnaNazwa>
    </IdentyfikatorPodmiotu>
    <AdresPodmiotu>
      <etd:KodKraju>PL</etd:KodKraju>
      <etd:Wojewodztwo>mazowieckie</etd:Wojewodztwo>
      <etd:Miejscowosc>Warszawa</etd:Miejscowosc>
    </AdresPodmiotu>
  </Podmiot1>
)";

class Reader : public ::testing::Test
{
protected:
    void SetUp() override { ws.start({}, home.path()); }

    QString write(const QByteArray &body, const char *code = "JPK_FA (4)")
    {
        QByteArray text = kHead;
        text.replace("%CODE%", code);
        const QString name = QStringLiteral("JPK_%1.xml").arg(++m_files);
        home.write(name, text + body + "</JPK>\n");
        return home.file(name);
    }
    QVariant fak(int row, const char *field)
    {
        return t().mt_FAK_.valueAt(row, t().mt_FAK_.fieldIndex(QString::fromLatin1(field)));
    }
    DocumentTables &t() { return ws.tables(); }
    Controls &c() { return ws.controls(); }
    QString lastText() const { return port.messages.isEmpty() ? QString() : port.messages.last().text; }

    TempHome home;
    RecordingPort port;
    Workspace ws{&port};
    int m_files = 0;
};

TEST_F(Reader, HeaderAndRecordsOfAFile)
{
    const QString file = write(R"(  <Faktura>
    <KodWaluty>PLN</KodWaluty><P_1>2023-08-02</P_1><P_2A>FV/1</P_2A><P_15>123.45</P_15><P_16>true</P_16>
  </Faktura>
  <Faktura><P_2A>FV/2</P_2A></Faktura>
  <FakturaCtrl><LiczbaFaktur>2</LiczbaFaktur><WartoscFaktur>1</WartoscFaktur></FakturaCtrl>
  <FakturaWiersz><P_2B>FV/1</P_2B><P_7>Śruby</P_7><P_11>100.00</P_11></FakturaWiersz>
  <FakturaWiersz><P_7>bez numeru</P_7></FakturaWiersz>
  <FakturaWierszCtrl/>
  <Zamowienie><P_2AZ>FV/2</P_2AZ><WartoscZamowienia>10</WartoscZamowienia>
    <ZamowienieWiersz><P_7Z>a</P_7Z></ZamowienieWiersz>
    <ZamowienieWiersz><P_7Z>b</P_7Z></ZamowienieWiersz>
    <ZamowienieWiersz/>
    <ZamowienieWiersz><P_7Z>c</P_7Z></ZamowienieWiersz>
  </Zamowienie>
  <Zamowienie><P_2AZ>FV/3</P_2AZ><ZamowienieWiersz><P_7Z>d</P_7Z></ZamowienieWiersz><P_2AZ>po</P_2AZ></Zamowienie>
  <ZamowienieCtrl/>
)");
    ASSERT_TRUE(ws.loadJpk(file));
    EXPECT_EQ(
        port.messages,
        QList<Msg>({{QStringLiteral("info"), applicationTitle(),
                     QStringLiteral("Wczytano dokumentów:\r\n2 - Faktur (pozycji:2)\r\n2 - Zamówień (pozycji:4)")}}));
    EXPECT_EQ(c().text(QStringLiteral("ed_NIP_Text")), QStringLiteral("5261040828"));
    EXPECT_EQ(c().text(QStringLiteral("ed_EUPLVATID_Text")), QStringLiteral("PL5261040828"));
    EXPECT_EQ(c().text(QStringLiteral("ed_PelnaNazwa_Text")), QStringLiteral("Łąka Sp. z o.o."));
    EXPECT_EQ(c().text(QStringLiteral("ed_KodKraju_Text")), QStringLiteral("PL"));
    EXPECT_EQ(c().text(QStringLiteral("ed_Powiat_Text")), QString());
    EXPECT_EQ(c().text(QStringLiteral("ed_DataWytworzeniaJPK_Text")), QStringLiteral("2023-09-01T10:00:00"));
    EXPECT_EQ(c().date(QStringLiteral("ed_DataOd_Date")), QDate(2023, 8, 1));
    EXPECT_EQ(c().text(QStringLiteral("ed_KodUrzedu_Text")), QStringLiteral("1471"));
    ASSERT_EQ(t().mt_FAK_.storedCount(), 2);
    EXPECT_EQ(fak(0, "P_1").toDate(), QDate(2023, 8, 2));
    EXPECT_EQ(fak(0, "P_15").toDouble(), 123.45);
    EXPECT_EQ(fak(0, "P_16"), QVariant(true));
    EXPECT_FALSE(fak(0, "P_17").isValid());
    // the line without P_2B belongs to the last invoice of the file
    EXPECT_EQ(t().mt_POZ_.stringAt(1, 0), QStringLiteral("FV/2"));
    ASSERT_EQ(t().mt_ZPOZ_.storedCount(), 4);
    EXPECT_EQ(t().mt_ZPOZ_.stringAt(2, 1), QStringLiteral("c"));
    EXPECT_EQ(t().mt_ZPOZ_.valueAt(3, 0).toLongLong(), 2);
    EXPECT_EQ(t().mt_ZAM_.stringAt(1, 1), QStringLiteral("FV/3")); // children after the lines are not read
    EXPECT_TRUE(t().lineLinkOn());
}

TEST_F(Reader, ConversionsOfElementTexts)
{
    const QString file = write(R"(  <Faktura>
    <P_2A>  FV/1  </P_2A>
    <P_16>1</P_16><P_17>TRUE</P_17><P_18>false</P_18>
    <P_13_1>12,50</P_13_1><P_14_1>12.50</P_14_1><P_13_2></P_13_2><P_14_2>-1.5E2</P_14_2>
    <P_1>2023-8-5</P_1><P_6></P_6><P_22A>2023-02-30</P_22A>
    <Nieznane>x</Nieznane>
  </Faktura>
)");
    ASSERT_TRUE(ws.loadJpk(file));
    EXPECT_EQ(fak(0, "P_2A").toString(), QStringLiteral("FV/1"));
    EXPECT_EQ(fak(0, "P_16"), QVariant(true)); // xs:boolean's "1"
    EXPECT_FALSE(fak(0, "P_17").isValid());    // its words are lower case
    EXPECT_EQ(fak(0, "P_18"), QVariant(false));
    EXPECT_EQ(fak(0, "P_13_1").toDouble(), 0.0);
    EXPECT_EQ(fak(0, "P_14_1").toDouble(), 12.5);
    EXPECT_TRUE(fak(0, "P_13_2").isValid());
    EXPECT_EQ(fak(0, "P_13_2").toDouble(), 0.0);
    EXPECT_EQ(fak(0, "P_14_2").toDouble(), -150.0);
    EXPECT_EQ(fak(0, "P_1").toDate(), zeroDate());   // 8 characters
    EXPECT_FALSE(fak(0, "P_6").isValid());           // empty
    EXPECT_EQ(fak(0, "P_22A").toDate(), zeroDate()); // no such day
}

// What a schema-valid file says is what is read, on both roads: the stream of the first pass
// (invoices, and lines that follow them) and the nodes of a further pass (lines met before
// their invoices).
TEST_F(Reader, LegalShapesOfFieldsAndRunsOnBothRoads)
{
    const QByteArray invoices = R"(  <Faktura><P_2A>
<![CDATA[FV/1]]>
</P_2A><P_3A>Warsza<!--x-->wa</P_3A><P_15><![CDATA[123.45]]></P_15><P_16><!-- metoda -->true</P_16>
<P_18A>1</P_18A><P_17>0</P_17><P_23><?pi x?>1</P_23></Faktura>
  <!-- przerwa między fakturami -->
  <Faktura><P_2A>FV/2</P_2A></Faktura>
  <?instrukcja?>
  <Faktura><P_2A>FV/3</P_2A></Faktura>
)";
    const QByteArray lines = R"(  <FakturaWiersz><P_2B><![CDATA[FV/1]]></P_2B><P_7>To<!-- c -->war</P_7><P_11>
<![CDATA[10.50]]>
</P_11></FakturaWiersz>
  <!-- a comment between two lines -->
  <FakturaWiersz><P_2B>FV/1</P_2B><P_7>drugi</P_7></FakturaWiersz>
)";
    for (const bool linesFirst : {false, true}) {
        t().mt_FAK_.empty();
        t().mt_POZ_.empty();
        ws.loadJpk(write(linesFirst ? lines + invoices : invoices + lines));
        const char *road = linesFirst ? "node road for the lines" : "event road";
        ASSERT_EQ(t().mt_FAK_.storedCount(), 3) << road;
        EXPECT_EQ(fak(0, "P_2A").toString(), QStringLiteral("FV/1")) << road;
        EXPECT_EQ(fak(0, "P_3A").toString(), QStringLiteral("Warszawa")) << road;
        EXPECT_EQ(fak(0, "P_15").toDouble(), 123.45) << road;
        EXPECT_EQ(fak(0, "P_16"), QVariant(true)) << road;
        EXPECT_EQ(fak(0, "P_18A"), QVariant(true)) << road;
        EXPECT_EQ(fak(0, "P_17"), QVariant(false)) << road;
        EXPECT_EQ(fak(0, "P_23"), QVariant(true)) << road;
        EXPECT_EQ(fak(2, "P_2A").toString(), QStringLiteral("FV/3")) << road;
        ASSERT_EQ(t().mt_POZ_.storedCount(), 2) << road;
        EXPECT_EQ(t().mt_POZ_.rowsWithKey(QStringLiteral("FV/1")).size(), size_t(2)) << road;
        const DocumentTable &poz = t().mt_POZ_;
        EXPECT_EQ(poz.stringAt(0, poz.fieldIndex(QStringLiteral("P_7"))), QStringLiteral("Towar")) << road;
        EXPECT_EQ(poz.valueAt(0, poz.fieldIndex(QStringLiteral("P_11"))).toDouble(), 10.5) << road;
        EXPECT_EQ(lastText(), QStringLiteral("Wczytano dokumentów:\r\n3 - Faktur (pozycji:2)")) << road;
    }
    // an element inside a field (not schema-valid) still leaves the field without a value
    t().mt_FAK_.empty();
    ws.loadJpk(write("  <Faktura><P_2A>FV/9</P_2A><P_3A>a<b>c</b></P_3A></Faktura>\n"));
    EXPECT_EQ(fak(0, "P_3A").toString(), QString());
}

TEST_F(Reader, VersionsAndTheirQuestions)
{
    struct Case
    {
        const char *code;
        bool answer;
        const char *caption;
        const char *question;
        int invoices;
        const char *kind;
        const char *euplvatid;
    };
    const Case cases[] = {
        {"JPK_FA (3)", true, "Wczytywany JPK_FA(3) ?",
         "Plik zawiera dane JPK_FA(3).\r\nCzy wczytać i przekonwertować na JPK_FA(4) ?", 1, "POZ", "wcześniej"},
        {"JPK_FA (2)", true, "Wczytywany JPK_FA(2) ?",
         "Plik zawiera dane JPK_FA(2).\r\nCzy wczytać i przekonwertować na JPK_FA(3) ?", 1, "POZ", "wcześniej"},
        {"JPK_FA (1)", true, "Wczytywany JPK_FA(1) ?",
         "Plik zawiera dane JPK_FA(1).\r\nCzy wczytać i przekonwertować na JPK_FA(2) ?", 1, "VAT", "wcześniej"},
        {"JPK_FA (1)", false, "Wczytywany JPK_FA(1) ?",
         "Plik zawiera dane JPK_FA(1).\r\nCzy wczytać i przekonwertować na JPK_FA(2) ?", 0, "", "wcześniej"},
        {"JPK_FA (4)", true, nullptr, nullptr, 1, "POZ", "PL5261040828"},
    };
    for (const Case &cs : cases) {
        RecordingPort p;
        Workspace w(&p);
        w.start({}, home.path());
        w.controls().setText(QStringLiteral("ed_EUPLVATID_Text"), QStringLiteral("wcześniej"));
        p.queueAnswer(cs.answer);
        w.loadJpk(write("  <Faktura><P_2A>FV/1</P_2A><RodzajFaktury>POZ</RodzajFaktury></Faktura>\n", cs.code));
        if (cs.caption) {
            ASSERT_FALSE(p.messages.isEmpty());
            EXPECT_EQ(p.messages.first(),
                      (Msg{QStringLiteral("question"), QString::fromUtf8(cs.caption), QString::fromUtf8(cs.question)}));
        } else {
            EXPECT_EQ(p.messages.size(), 1);
        }
        ASSERT_EQ(w.tables().mt_FAK_.storedCount(), cs.invoices) << cs.code;
        if (cs.invoices) {
            EXPECT_EQ(w.tables().mt_FAK_.stringAt(0, w.tables().mt_FAK_.fieldIndex(QStringLiteral("RodzajFaktury"))),
                      QString::fromLatin1(cs.kind))
                << cs.code;
        }
        EXPECT_EQ(w.controls().text(QStringLiteral("ed_EUPLVATID_Text")), QString::fromUtf8(cs.euplvatid)) << cs.code;
    }
}

TEST_F(Reader, AFileThatCannotBeReadWholeChangesNothing)
{
    // each fault stands after a first good invoice: once the load stopped there and reported
    // "Wczytano dokumentów: 1"
    QFile f(QStringLiteral(TAVRIX_TEST_DATA "/jpk_fa4/rich_valid.xml"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray rich = f.readAll();
    const qsizetype second = rich.indexOf("<Faktura>", rich.indexOf("<Faktura>") + 1);
    ASSERT_GT(second, 0);
    struct Case
    {
        const char *what;
        QByteArray text;
        const char *reason;
    };
    const Case cases[] = {
        {"a text node over libxml2's limit",
         rich.left(second) + "<Faktura><P_2A>" + QByteArray(10'000'001, 'A') + "</P_2A>" + rich.mid(second + 9),
         "Tekst jednego elementu przekracza limit parsera"},
        {"elements nested deeper than libxml2's limit",
         rich.left(second) + "<Faktura>" + QByteArray("<x>").repeated(300) + QByteArray("</x>").repeated(300) +
             rich.mid(second + 9),
         "Elementy zagnieżdżone głębiej, niż pozwala parser"},
        {"a file cut short", rich.left(second + 200), "Przedwczesny koniec danych w elemencie"},
        {"an empty file", QByteArray(), "Dokument jest pusty"},
        {"an internal DTD declaring an entity",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE JPK [<!ENTITY y \"yyy\">]>\n" + rich.mid(rich.indexOf("<JPK")),
         "Plik zawiera deklaracje DTD, których program nie przyjmuje"},
        {"an element with 200,000 attributes (once minutes in libxml2, for each pass)",
         rich.left(second) + "<Faktura" +
             [] {
                 QByteArray attributes;
                 for (int i = 0; i < 200'000; ++i)
                     attributes += " a" + QByteArray::number(i) + "=\"x\"";
                 return attributes;
             }() +
             ">" + rich.mid(second + 9),
         "ma więcej niż 256 atrybutów"},
    };
    c().setChecked(QStringLiteral("chb_FAK_append_Checked"), true);
    for (const Case &cs : cases) {
        port.messages.clear();
        t().mt_FAK_.empty();
        t().mt_FAK_.append();
        t().mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("moja"));
        t().mt_FAK_.post();
        home.write(QStringLiteral("bad.xml"), cs.text);
        EXPECT_FALSE(ws.loadJpk(home.file(QStringLiteral("bad.xml")))) << cs.what;
        ASSERT_FALSE(port.messages.isEmpty()) << cs.what;
        EXPECT_TRUE(lastText().startsWith(QStringLiteral("Błąd wczytania pliku XML\r")))
            << cs.what << ": " << lastText().toStdString();
        EXPECT_TRUE(lastText().contains(QString::fromUtf8(cs.reason))) << cs.what << ": " << lastText().toStdString();
        for (const Msg &m : port.messages)
            EXPECT_FALSE(m.text.startsWith(QStringLiteral("Wczytano"))) << cs.what;
        EXPECT_EQ(t().mt_FAK_.storedCount(), 1) << cs.what << ": nothing of the file is kept";
        EXPECT_EQ(t().mt_POZ_.storedCount(), 0) << cs.what;
    }
}

TEST_F(Reader, RefusedFiles)
{
    struct Case
    {
        QByteArray text;
        QStringList messages;
    };
    const QString title = applicationTitle();
    QByteArray noSpace = kHead;
    noSpace.replace("%CODE%", "JPK_FA(4)");
    const Case cases[] = {
        {noSpace + "</JPK>",
         {QStringLiteral("Plik XML nie zawiera odpowiedniego atrybutu KodSystemowy=\"JPK_FA (4)\"")}},
        {"<?xml version=\"1.0\"?><Faktura/>",
         {QStringLiteral("Plik XML nie zawiera bloku <JPK>"), QStringLiteral("Plik nie zawierał żadnych pozycji")}},
    };
    for (const Case &cs : cases) {
        RecordingPort p;
        Workspace w(&p);
        w.start({}, home.path());
        w.tables().mt_FAK_.append();
        w.tables().mt_FAK_.post();
        home.write(QStringLiteral("bad.xml"), cs.text);
        EXPECT_FALSE(w.loadJpk(home.file(QStringLiteral("bad.xml"))));
        QStringList texts;
        for (const Msg &m : p.messages)
            texts << m.text;
        EXPECT_EQ(texts, cs.messages);
        EXPECT_EQ(w.tables().mt_FAK_.storedCount(), 1) << "nothing changed";
    }
    home.write(QStringLiteral("broken.xml"), "<JPK><Naglowek></JPK>");
    EXPECT_FALSE(ws.loadJpk(home.file(QStringLiteral("broken.xml"))));
    EXPECT_TRUE(lastText().startsWith(QStringLiteral("Błąd wczytania pliku XML\r"))) << lastText().toStdString();
}

TEST_F(Reader, AppendingTwiceDoublesEverything)
{
    const QString file = write(R"(  <Faktura><P_2A>FV/1</P_2A></Faktura>
  <FakturaWiersz><P_2B>FV/1</P_2B></FakturaWiersz>
  <Zamowienie><P_2AZ>FV/1</P_2AZ><ZamowienieWiersz><P_7Z>a</P_7Z></ZamowienieWiersz></Zamowienie>
)");
    c().setChecked(QStringLiteral("chb_FAK_append_Checked"), true);
    ws.loadJpk(file);
    ws.loadJpk(file);
    EXPECT_EQ(t().mt_FAK_.storedCount(), 2);
    EXPECT_EQ(t().mt_POZ_.storedCount(), 2);
    EXPECT_EQ(t().mt_ZAM_.storedCount(), 2);
    EXPECT_EQ(t().mt_ZPOZ_.storedCount(), 2);
    EXPECT_EQ(t().mt_ZAM_.valueAt(1, 0).toLongLong(), 2);
    EXPECT_EQ(t().mt_ZPOZ_.valueAt(1, 0).toLongLong(), 2);
    c().setChecked(QStringLiteral("chb_FAK_append_Checked"), false);
    ws.loadJpk(file);
    EXPECT_EQ(t().mt_FAK_.storedCount(), 1);
    EXPECT_EQ(t().mt_ZAM_.valueAt(0, 0).toLongLong(), 3); // the counter goes on
}

TEST_F(Reader, OrdersWithoutInvoicesAndRunsOutOfOrder)
{
    // lines before invoices: invoices are still read first, so a line without P_2B takes the last invoice
    ws.loadJpk(write(R"(  <FakturaWiersz><P_7>bez numeru</P_7></FakturaWiersz>
  <Zamowienie><P_2AZ>Z/1</P_2AZ></Zamowienie>
  <Faktura><P_2A>FV/1</P_2A></Faktura>
  <Faktura><P_2A>FV/2</P_2A></Faktura>
)"));
    EXPECT_EQ(t().mt_POZ_.stringAt(0, 0), QStringLiteral("FV/2"));
    EXPECT_EQ(lastText(), QStringLiteral("Wczytano dokumentów:\r\n2 - Faktur (pozycji:1)\r\n1 - Zamówień (pozycji:0)"));

    ws.loadJpk(write("  <Zamowienie><P_2AZ>Z/1</P_2AZ></Zamowienie>\n"));
    EXPECT_EQ(lastText(), QStringLiteral("Wczytano dokumentów:\r\n\r\n1 - Zamówień (pozycji:0)"));
    ws.loadJpk(write(""));
    EXPECT_EQ(lastText(), QStringLiteral("Plik nie zawierał żadnych pozycji"));
}

TEST_F(Reader, RecordsInOrderAndOutOfOrderAreReadAlike)
{
    // the usual order is read from the parser's events in one stream, records met out of
    // order by the node road of a further pass: both give a field the same text
    const QByteArray lines =
        R"(  <FakturaWiersz><P_2B>FV/1</P_2B><P_7>  z odstępami  </P_7><P_8A><!-- uwaga -->szt</P_8A>
    <P_8B><![CDATA[2.5]]></P_8B><P_9A>1<b>0</b></P_9A><P_11/><P_12>23</P_12></FakturaWiersz>
  <FakturaWiersz><P_2B>FV/1</P_2B><P_7>a &amp; b &lt;c&gt;</P_7><P_11>-7.50</P_11></FakturaWiersz>
)";
    const QByteArray orders = R"(  <Zamowienie><P_2AZ>FV/1</P_2AZ><WartoscZamowienia>10</WartoscZamowienia>
    <ZamowienieWiersz><P_7Z>pierwszy</P_7Z><P_11NettoZ>1</P_11NettoZ></ZamowienieWiersz>
    <ZamowienieWiersz>   </ZamowienieWiersz>
    <ZamowienieWiersz><!-- tylko uwaga --></ZamowienieWiersz>
    <ZamowienieWiersz><P_7Z>drugi</P_7Z></ZamowienieWiersz>
    <!-- koniec -->
    <ZamowienieWiersz><P_7Z>po uwadze</P_7Z></ZamowienieWiersz>
  </Zamowienie>
)";
    const QByteArray invoices = "  <Faktura><P_2A>FV/1</P_2A><P_15>12.30</P_15></Faktura>\n";
    auto snapshot = [this] {
        QStringList rows;
        for (DocumentTable *table : {&t().mt_FAK_, &t().mt_POZ_, &t().mt_ZAM_, &t().mt_ZPOZ_})
            for (int r = 0; r < table->storedCount(); ++r) {
                QStringList cells;
                for (int f = 0; f < table->fieldCount(); ++f)
                    if (table->fields().at(f).type != FieldType::Integer) // the orders' own counter
                        cells << table->valueAt(r, f).toString() +
                                     (table->isNullAt(r, f) ? QStringLiteral("∅") : QString());
                rows << table->name() + u':' + cells.join(u'|');
            }
        return rows;
    };
    ws.loadJpk(write(invoices + lines + orders));
    const QStringList inOrder = snapshot();
    ws.loadJpk(write(orders + lines + invoices));
    EXPECT_EQ(snapshot(), inOrder);
    // and what the texts are
    ASSERT_EQ(t().mt_POZ_.storedCount(), 2);
    const DocumentTable &poz = t().mt_POZ_;
    EXPECT_EQ(poz.stringAt(0, poz.fieldIndex(QStringLiteral("P_7"))), QStringLiteral("z odstępami"));
    EXPECT_EQ(poz.stringAt(0, poz.fieldIndex(QStringLiteral("P_8A"))),
              QStringLiteral("szt")); // a comment is no part of it
    EXPECT_EQ(poz.floatAt(0, poz.fieldIndex(QStringLiteral("P_8B"))), 2.5);
    EXPECT_EQ(poz.floatAt(0, poz.fieldIndex(QStringLiteral("P_9A"))), 0.0);
    EXPECT_FALSE(poz.isNullAt(0, poz.fieldIndex(QStringLiteral("P_11")))); // an empty element is 0
    EXPECT_EQ(poz.stringAt(1, poz.fieldIndex(QStringLiteral("P_7"))), QStringLiteral("a & b <c>"));
    // the order's lines: an empty one or one with only a comment is no record, and a comment
    // between two lines leaves them going
    ASSERT_EQ(t().mt_ZPOZ_.storedCount(), 3);
    EXPECT_EQ(t().mt_ZPOZ_.stringAt(1, t().mt_ZPOZ_.fieldIndex(QStringLiteral("P_7Z"))), QStringLiteral("drugi"));
    EXPECT_EQ(t().mt_ZPOZ_.stringAt(2, t().mt_ZPOZ_.fieldIndex(QStringLiteral("P_7Z"))), QStringLiteral("po uwadze"));
}

TEST_F(Reader, TooLongTextsAreCutAndCountedOnce)
{
    ws.loadJpk(write("  <Faktura><P_2A>" + QByteArray(300, 'A') + "</P_2A><KodWaluty>EURO</KodWaluty></Faktura>\n"));
    EXPECT_EQ(fak(0, "P_2A").toString().size(), 256);
    EXPECT_EQ(fak(0, "KodWaluty").toString(), QStringLiteral("EUR"));
    EXPECT_EQ(lastText(), QStringLiteral("Skrócono 2 wartości dłuższych niż ich pola w tabelach."));
}

TEST_F(Reader, GenerateLoadGenerateGivesTheSameFile)
{
    const Result<> imported = JsonExchange::importFile(ws, QStringLiteral(TAVRIX_TEST_DATA "/round_trip.json"));
    ASSERT_TRUE(imported) << imported.reason().toStdString();
    QDir::setCurrent(home.path());
    c().setText(QStringLiteral("fn_JPK_Text"), QStringLiteral("first.xml"));
    ASSERT_TRUE(ws.generateJpk());
    const QByteArray first = home.read(QStringLiteral("first.xml"));
    ASSERT_TRUE(first.contains("<Zamowienie>") && first.contains("KOREKTA"));

    RecordingPort p;
    Workspace again(&p);
    again.start({}, home.path());
    ASSERT_TRUE(again.loadJpk(home.file(QStringLiteral("first.xml"))));
    again.controls().setText(QStringLiteral("fn_JPK_Text"), QStringLiteral("second.xml"));
    ASSERT_TRUE(again.generateJpk());
    QByteArray second = home.read(QStringLiteral("second.xml"));
    const QRegularExpression stamp(QStringLiteral("<DataWytworzeniaJPK>[^<]*</DataWytworzeniaJPK>"));
    EXPECT_EQ(QString::fromUtf8(second).replace(stamp, QString()), QString::fromUtf8(first).replace(stamp, QString()));
}

TEST_F(Reader, SamplesLoadAndTheValidOnesGenerateValidFiles)
{
    QFile::copy(QStringLiteral(TAVRIX_SCHEMAS "/Schemat_JPK_FA(4)_v1-0.xsd"),
                home.file(QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd")));
    QFile::link(QStringLiteral(TAVRIX_SCHEMAS ""), home.file(QStringLiteral("schemas")));
    QDir::setCurrent(home.path());
    const QString samples = QStringLiteral(TAVRIX_TEST_DATA "/jpk_fa4");
    QStringList files;
    for (const QString &f : QDir(samples).entryList({QStringLiteral("*.xml")}, QDir::Files))
        files << samples + u'/' + f;
    ASSERT_GE(files.size(), 4);
    for (const QString &file : files) {
        RecordingPort p;
        Workspace w(&p);
        w.start({}, home.path());
        ASSERT_TRUE(w.loadJpk(file)) << file.toStdString();
        EXPECT_TRUE(p.messages.last().text.startsWith(QStringLiteral("Wczytano dokumentów:\r\n")))
            << file.toStdString();
        if (!file.endsWith(QStringLiteral("_valid.xml")))
            continue; // the others are broken on purpose, or partial
        w.controls().setText(QStringLiteral("fn_JPK_Text"), QStringLiteral("again.xml"));
        w.controls().setChecked(QStringLiteral("chb_Weryfikuj_Checked"), true);
        p.queueAnswer(true);
        ASSERT_TRUE(w.generateJpk());
        EXPECT_EQ(p.messages.last().text, QStringLiteral("Budowa pliku again.xml zgodna ze schemą XSD"))
            << file.toStdString();
    }
}

} // namespace
