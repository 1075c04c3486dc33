#include "app/json_exchange.h"
#include "app/workspace.h"
#include "base/number_text.h"
#include "base/xml_services.h"
#include "jpk/jpk_template.h"
#include "jpk/jpk_writer.h"
#include "jpk/node_path.h"
#include "jpk/output_name.h"
#include "support/recording_port.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <libxml/tree.h>
#include <stdexcept>

namespace {

using Msg = RecordingPort::Message;
const QDateTime kNow(QDate(2023, 8, 25), QTime(14, 5, 9));

// The plain DOM road: every filled copy is inserted into the document, which is then saved
// whole. The streaming writer must produce the same bytes.
QByteArray referenceDocument(Workspace &ws)
{
    JpkWriter writer(ws.context());
    XmlError error;
    XmlDocPtr doc = Xml::parseText(ws.jpkTemplate(), &error);
    if (!doc)
        return {};
    xmlFree(const_cast<xmlChar *>(doc->encoding));
    doc->encoding = xmlStrdup(reinterpret_cast<const xmlChar *>("UTF-8"));
    xmlNode *root = xmlDocGetRootElement(doc.get());
    if (!writer.fillHeader(root, JpkWriter::timestampText(kNow)))
        return {};
    DocumentTables &t = ws.tables();
    struct Part
    {
        const char *record, *ctrl, *count, *sum, *sumField;
        DocumentTable *table;
    };
    const Part parts[] = {
        {"Faktura", "FakturaCtrl", "LiczbaFaktur", "WartoscFaktur", "P_15", &t.mt_FAK_},
        {"FakturaWiersz", "FakturaWierszCtrl", "LiczbaWierszyFaktur", "WartoscWierszyFaktur", "P_11", &t.mt_POZ_},
        {"Zamowienie", "ZamowienieCtrl", "LiczbaZamowien", "WartoscZamowien", "WartoscZamowienia", &t.mt_ZAM_}};
    xmlNode *found[3][2];
    for (int k = 0; k < 3; ++k) {
        found[k][0] = NodePath::find(root, QString::fromLatin1(parts[k].record), false);
        found[k][1] = NodePath::find(root, QString::fromLatin1(parts[k].ctrl), false);
    }
    for (int k = 0; k < 3; ++k) {
        const Part &p = parts[k];
        xmlNode *templ = found[k][0];
        xmlNode *ctrl = found[k][1];
        DocumentTable &table = *p.table;
        if (table.storedCount() == 0) {
            xmlUnlinkNode(templ);
            xmlFreeNode(templ);
            xmlUnlinkNode(ctrl);
            xmlFreeNode(ctrl);
            continue;
        }
        long double sum = 0;
        for (int row = 0; row < table.storedCount(); ++row) {
            xmlNode *copy = JpkWriter::cloneInScope(templ, templ->parent);
            if (k == 2)
                JpkWriter::fillOrder(copy, table, t.mt_ZPOZ_, row);
            else
                JpkWriter::fillRecord(copy, table, row);
            xmlAddPrevSibling(templ, copy);
            sum += table.floatAt(row, table.fieldIndex(QString::fromLatin1(p.sumField)));
        }
        xmlUnlinkNode(templ);
        xmlFreeNode(templ);
        NodePath::setText(nullptr, ctrl, QString::fromLatin1(p.count), QString::number(table.storedCount()), false);
        NodePath::setText(nullptr, ctrl, QString::fromLatin1(p.sum), NumberText::fixed(sum, 2), false);
    }
    xmlChar *bytes = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc.get(), &bytes, &size, "UTF-8", 1);
    const QByteArray out(reinterpret_cast<const char *>(bytes), size);
    xmlFree(bytes);
    return out;
}

class Writer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ws.start({}, home.path());
        ws.now = [] { return kNow; };
        QDir::setCurrent(home.path());
        c().setText(QStringLiteral("ed_NIP_Text"), QStringLiteral("5261040828"));
        c().setText(QStringLiteral("ed_PelnaNazwa_Text"), QStringLiteral("Zakład \"Łąka\" & Syn <s.c.>"));
        c().setText(QStringLiteral("ed_KodKraju_Text"), QStringLiteral("PL"));
        c().setDate(QStringLiteral("ed_DataOd_Date"), QDate(2023, 8, 1));
        c().setDate(QStringLiteral("ed_DataDo_Date"), QDate(2023, 8, 31));
    }
    Controls &c() { return ws.controls(); }
    DocumentTables &t() { return ws.tables(); }

    void invoice(const QString &number, std::initializer_list<std::pair<const char *, QVariant>> values = {})
    {
        t().mt_FAK_.append();
        t().mt_FAK_.setValue(QStringLiteral("P_2A"), number);
        for (const auto &[field, value] : values)
            t().mt_FAK_.setValue(QString::fromLatin1(field), value);
        t().mt_FAK_.post();
    }
    void line(const QString &number, double net, const QVariant &qty = QVariant())
    {
        t().mt_POZ_.append();
        t().mt_POZ_.setValue(QStringLiteral("P_2B"), number);
        t().mt_POZ_.setValue(QStringLiteral("P_7"), QStringLiteral("Śruby M8; ocynk"));
        t().mt_POZ_.setValue(QStringLiteral("P_11"), net);
        t().mt_POZ_.setValue(QStringLiteral("P_8B"), qty);
        t().mt_POZ_.post();
    }
    void order(const QString &number, double value, int lines)
    {
        t().mt_ZAM_.append();
        t().mt_ZAM_.setValue(QStringLiteral("P_2AZ"), number);
        t().mt_ZAM_.setValue(QStringLiteral("WartoscZamowienia"), value);
        t().mt_ZAM_.post();
        for (int i = 0; i < lines; ++i) {
            t().mt_ZPOZ_.append();
            t().mt_ZPOZ_.setValue(QStringLiteral("P_7Z"), QStringLiteral("Zaliczka %1").arg(i + 1));
            t().mt_ZPOZ_.setValue(QStringLiteral("P_11NettoZ"), 10.0 * (i + 1));
            t().mt_ZPOZ_.post();
        }
    }
    void fill()
    {
        invoice(QStringLiteral("FV/1"),
                {{"P_13_1", 100.0}, {"P_14_1", 23.0}, {"P_15", 123.0}, {"P_1", QDate(2023, 8, 2)}});
        invoice(QStringLiteral("FV/2 & <3>"),
                {{"P_15", 0.004}, {"P_16", true}, {"P_106E_3", false}, {"RodzajFaktury", QStringLiteral("ZAL")}});
        line(QStringLiteral("FV/1"), 60.0, 1.5);
        line(QStringLiteral("FV/1"), 40.0, 0.0004);
        line(QStringLiteral("FV/2 & <3>"), 0.004);
        order(QStringLiteral("FV/2 & <3>"), 10.0, 2);
        order(QStringLiteral("FV/9"), 5.0, 0);
    }
    QByteArray generate(const QString &name = QStringLiteral("JPK_FA4.xml"))
    {
        c().setText(QStringLiteral("fn_JPK_Text"), name);
        EXPECT_TRUE(ws.generateJpk()) << (port.messages.isEmpty() ? std::string()
                                                                  : port.messages.last().text.toStdString());
        return home.read(c().text(QStringLiteral("fn_JPK_Text")));
    }

    TempHome home;
    RecordingPort port;
    Workspace ws{&port};
};

TEST_F(Writer, StreamedFileEqualsTheWholeDocumentForEveryTemplate)
{
    fill();
    QString edited = designTemplate();
    struct Edit
    {
        const char *what;
        QString text;
    };
    QString withComments = designTemplate();
    withComments.replace(QStringLiteral("    <P_15/>"),
                         QStringLiteral("    <!-- suma -->\n    <P_15/>\n    <Uwagi>x</Uwagi>"));
    withComments.replace(QStringLiteral("  <FakturaCtrl>"), QStringLiteral("  <!-- kontrola -->\n  <FakturaCtrl>"));
    QString reordered = designTemplate();
    reordered.replace(QStringLiteral("    <P_2B/>\n"), QString())
        .replace(QStringLiteral("    <P_12_XII/>\n"), QStringLiteral("    <P_12_XII/>\n    <P_2B/>\n"));
    QString afterLines = designTemplate();
    afterLines.replace(QStringLiteral("  </ZamowienieWiersz>\n"),
                       QStringLiteral("  </ZamowienieWiersz>\n  <Notatka>stała</Notatka>\n"));
    QString withIds = designTemplate();
    withIds.replace(QStringLiteral("      <!-- EUPLVATID/ -->"), QStringLiteral("      <EUPLVATID/>"));
    QString prefixed = designTemplate();
    prefixed.replace(QStringLiteral("  xmlns=\"http://jpk.mf.gov.pl/wzor/2022/02/17/02171/\">"),
                     QStringLiteral("  xmlns=\"http://jpk.mf.gov.pl/wzor/2022/02/17/02171/\" "
                                    "xmlns:tns=\"http://jpk.mf.gov.pl/wzor/2022/02/17/02171/\">"));
    prefixed.replace(QStringLiteral("    <P_7/>"), QStringLiteral("    <tns:P_7/>"));
    // the orders (and the lines) before the invoices: each run stands where the template has it
    QString ordersFirst = designTemplate();
    {
        const qsizetype from = ordersFirst.indexOf(QStringLiteral(" <Zamowienie>"));
        const qsizetype to = ordersFirst.indexOf(QStringLiteral("</ZamowienieCtrl>\n")) + 18;
        const QString block = ordersFirst.mid(from, to - from);
        ordersFirst.remove(from, to - from);
        ordersFirst.insert(ordersFirst.indexOf(QStringLiteral("  <Faktura>")), block);
    }
    QString linesFirst = designTemplate();
    {
        const qsizetype from = linesFirst.indexOf(QStringLiteral("  <FakturaWiersz>"));
        const qsizetype to = linesFirst.indexOf(QStringLiteral("</FakturaWierszCtrl>\n")) + 21;
        const QString block = linesFirst.mid(from, to - from);
        linesFirst.remove(from, to - from);
        linesFirst.insert(linesFirst.indexOf(QStringLiteral("  <Faktura>")), block);
    }
    // text right before a record element: the element's parent is then written without indentation
    QString textBefore = designTemplate();
    textBefore.replace(QStringLiteral("  <Faktura>"), QStringLiteral("  tekst<Faktura>"));
    QString textInRecord = designTemplate();
    textInRecord.replace(QStringLiteral("  <FakturaWiersz>\n"), QStringLiteral("  <FakturaWiersz>wiersz:\n"));
    const Edit edits[] = {{"design", designTemplate()},
                          {"comments and an unknown element", withComments},
                          {"reordered line", reordered},
                          {"element after the order lines", afterLines},
                          {"EUPLVATID as an element", withIds},
                          {"prefixed child", prefixed},
                          {"orders before the invoices", ordersFirst},
                          {"lines before the invoices", linesFirst},
                          {"text before a record", textBefore},
                          {"text inside a record", textInRecord}};
    c().setText(QStringLiteral("ed_EUPLVATID_Text"), QStringLiteral("PL5261040828"));
    for (const Edit &e : edits) {
        ws.setJpkTemplate(e.text);
        const QByteArray expected = referenceDocument(ws);
        ASSERT_FALSE(expected.isEmpty()) << e.what;
        QFile::remove(home.file(QStringLiteral("JPK_FA4.xml")));
        const QByteArray written = generate();
        EXPECT_EQ(written, expected) << e.what;
        XmlError error;
        EXPECT_TRUE(Xml::parseText(QString::fromUtf8(written), &error)) << e.what << ": " << error.reason.toStdString();
        EXPECT_EQ(written.count("</JPK>"), 1) << e.what;
    }
}

TEST_F(Writer, EmptyTablesGiveHeaderAndSubjectOnly)
{
    const QByteArray out = generate();
    for (const char *gone :
         {"Faktura", "FakturaCtrl", "FakturaWiersz", "FakturaWierszCtrl", "Zamowienie", "ZamowienieCtrl"})
        EXPECT_FALSE(out.contains(QByteArray("<").append(gone).append('>'))) << gone;
    EXPECT_TRUE(out.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- Tavrix>"));
    EXPECT_TRUE(out.contains("<DataWytworzeniaJPK>2023-08-25T14:05:09</DataWytworzeniaJPK>"));
    EXPECT_TRUE(out.contains("<PelnaNazwa>Zakład \"Łąka\" &amp; Syn &lt;s.c.&gt;</PelnaNazwa>"));
    EXPECT_TRUE(out.contains("<!-- EUPLVATID/ -->"));
    EXPECT_EQ(c().text(QStringLiteral("ed_DataWytworzeniaJPK_Text")), QStringLiteral("2023-08-25T14:05:09"));
    // the message names the file by its full path, wherever the name was relative to
    EXPECT_EQ(port.messages.last(),
              (Msg{QStringLiteral("info"), applicationTitle(),
                   QStringLiteral("Utworzono plik JPK_FA \r") +
                       QDir::toNativeSeparators(QFileInfo(QStringLiteral("JPK_FA4.xml")).absoluteFilePath())}));
}

TEST_F(Writer, ValuesByFieldType)
{
    fill();
    t().linkLinesToInvoices();
    t().mt_FAK_.first(); // the control sums do not depend on the current invoice
    c().setDate(QStringLiteral("ed_DataOd_Date"), zeroDate());
    c().setText(QStringLiteral("ed_KodKraju_Text"), QString());
    const QByteArray out = generate();
    const char *present[] = {
        "<P_13_1>100.00</P_13_1>",
        "<P_14_1>23.00</P_14_1>",
        "<P_15>123.00</P_15>",
        "<P_1>2023-08-02</P_1>",
        "<P_16>false</P_16>",
        "<P_16>true</P_16>",
        "<P_106E_3>false</P_106E_3>",
        "<P_2A>FV/2 &amp; &lt;3&gt;</P_2A>",
        "<P_15>0.00</P_15>",
        "<LiczbaFaktur>2</LiczbaFaktur>",
        "<WartoscFaktur>123.00</WartoscFaktur>",
        "<P_8B>1.50</P_8B>",
        "<P_8B>0.0004</P_8B>", // a quantity keeps its decimals, up to six
        "<LiczbaWierszyFaktur>3</LiczbaWierszyFaktur>",
        "<WartoscWierszyFaktur>100.00</WartoscWierszyFaktur>",
        "<LiczbaZamowien>2</LiczbaZamowien>",
        "<WartoscZamowien>15.00</WartoscZamowien>",
        "  <Zamowienie>\n    <P_2AZ>FV/9</P_2AZ>\n    <WartoscZamowienia>5.00</WartoscZamowienia>\n  </Zamowienie>",
        "<P_7Z>Zaliczka 2</P_7Z>",
    };
    for (const char *p : present)
        EXPECT_TRUE(out.contains(p)) << p;
    const char *absent[] = {"<P_13_2>", "<P_14_5>", "<DataOd>", "KodKraju", "<P_3A>", "<idx>", "<EUPLVATID>"};
    for (const char *a : absent)
        EXPECT_FALSE(out.contains(a)) << a;
    EXPECT_EQ(out.count("<P_16>false</P_16>"), 1);
    EXPECT_EQ(out.count("<P_23>false</P_23>"), 2);
    // the writer leaves the line link on and the tables as they were
    EXPECT_TRUE(t().lineLinkOn());
    EXPECT_EQ(t().mt_FAK_.storedCount(), 2);
}

TEST_F(Writer, SumsAreRoundedOnceFromUnroundedValues)
{
    for (int i = 0; i < 3; ++i)
        invoice(QStringLiteral("FV/%1").arg(i), {{"P_15", 0.004}});
    const QByteArray out = generate();
    EXPECT_EQ(out.count("<P_15>0.00</P_15>"), 3);
    EXPECT_TRUE(out.contains("<WartoscFaktur>0.01</WartoscFaktur>"));
}

TEST(FileNameCorrection, Cases)
{
    struct Case
    {
        QString input;
        QString expected;
        bool reported;
    };
    const QString sixty = QStringLiteral("a").repeated(56); // + ".xml" = 60 characters
    const Case cases[] = {
        {QStringLiteral("jpk fa.txt"), QStringLiteral("jpk_fa.xml"), true},
        {QStringLiteral("JPK_FA4.XML"), QStringLiteral("JPK_FA4.xml"), false},
        {QString(), QStringLiteral("x.xml"), true},
        {QStringLiteral("a"), QStringLiteral("a.xml"), false},
        {QStringLiteral("ab.c"), QStringLiteral("ab.xml"), false},
        {QStringLiteral("."), QStringLiteral("x.xml"), true},
        {QStringLiteral("/tmp/dir.d/plik"), QStringLiteral("/tmp/dir.d/plik.xml"), false},
        {QStringLiteral("C:\\Dane\\Żółw.xml"), QStringLiteral("C:\\Dane\\___w.xml"), true},
        {sixty + QStringLiteral(".xml"), QStringLiteral("a").repeated(51) + QStringLiteral(".xml"), true},
    };
    for (const Case &c : cases) {
        RecordingPort port;
        EXPECT_EQ(correctOutputName(&port, c.input), c.expected) << c.input.toStdString();
        EXPECT_EQ(port.messages.size(), c.reported ? 1 : 0) << c.input.toStdString();
    }
    RecordingPort port;
    correctOutputName(&port, QStringLiteral("jpk fa.txt"));
    EXPECT_EQ(port.messages.first().text, QStringLiteral("Skorygowano nazwę pliku na zgodną z XSD:\r\n"
                                                         "<xs:pattern value=\"[a-zA-Z0-9_\\.\\-]{5,55}\"/>\r\n"
                                                         "było:jpk fa.txt\r\njest:jpk_fa.xml"));
}

TEST_F(Writer, RefusalsAndFailuresLeaveTheOldFile)
{
    fill();
    home.write(QStringLiteral("JPK_FA4.xml"), "old");
    c().setText(QStringLiteral("fn_JPK_Text"), QStringLiteral("JPK_FA4.xml"));
    port.queueAnswer(false);
    EXPECT_FALSE(ws.generateJpk());
    EXPECT_EQ(port.messages.last(),
              (Msg{QStringLiteral("question"), QStringLiteral("Generowanie piku dla JPK_FA (4)"),
                   QStringLiteral("Plik o podanej nazwie JPK_FA4.xml istnieje, wymienić go na nowy (nadpisać) ?")}));
    EXPECT_EQ(home.read(QStringLiteral("JPK_FA4.xml")), QByteArray("old"));

    ws.setJpkTemplate(QStringLiteral("<JPK><Naglowek>"));
    port.queueAnswer(true);
    EXPECT_FALSE(ws.generateJpk());
    EXPECT_TRUE(port.messages.last().text.startsWith(QStringLiteral("Błąd załadowania wzorca XML\r")));
    EXPECT_EQ(home.read(QStringLiteral("JPK_FA4.xml")), QByteArray("old"));

    QString noOrders = designTemplate();
    noOrders.replace(
        QStringLiteral(" <ZamowienieCtrl>\n  <LiczbaZamowien/>\n  <WartoscZamowien/>\n </ZamowienieCtrl>\n"),
        QString());
    ws.setJpkTemplate(noOrders);
    port.queueAnswer(true);
    EXPECT_FALSE(ws.generateJpk());
    EXPECT_EQ(port.messages.last().text, QStringLiteral("Nie odnaleziono <ZamowienieCtrl>"));
    EXPECT_EQ(home.read(QStringLiteral("JPK_FA4.xml")), QByteArray("old"));
    EXPECT_TRUE(t().lineLinkOn());

    // a name that is a folder cannot be written
    ws.setJpkTemplate(designTemplate());
    QDir(home.path()).mkdir(QStringLiteral("folder.xml"));
    c().setText(QStringLiteral("fn_JPK_Text"), QStringLiteral("folder.xml"));
    port.queueAnswer(true);
    EXPECT_FALSE(ws.generateJpk());
    EXPECT_TRUE(port.messages.last().text.startsWith(QStringLiteral("Błąd zapisu JPK do:folder.xml\r")))
        << port.messages.last().text.toStdString();

    c().setText(QStringLiteral("fn_JPK_Text"), QString());
    const qsizetype before = port.messages.size();
    EXPECT_FALSE(ws.generateJpk());
    EXPECT_TRUE(ws.lastGenerateHadNoName());
    EXPECT_EQ(port.messages.size(), before);
}

TEST_F(Writer, TheQuestionIsAboutTheFileThatWillBeWritten)
{
    fill();
    struct Case
    {
        const char *typed;
        const char *written; // the corrected name: the one that exists and is asked about
    };
    const Case cases[] = {{"out.XML", "out.xml"}, {"my file.txt", "my_file.xml"}};
    for (const Case &cs : cases) {
        const QString written = QString::fromUtf8(cs.written);
        home.write(written, "old");
        c().setText(QStringLiteral("fn_JPK_Text"), QString::fromUtf8(cs.typed));
        port.queueAnswer(false);
        EXPECT_FALSE(ws.generateJpk()) << cs.typed;
        EXPECT_EQ(port.messages.last().text,
                  QStringLiteral("Plik o podanej nazwie %1 istnieje, wymienić go na nowy (nadpisać) ?").arg(written));
        EXPECT_EQ(home.read(written), QByteArray("old")) << cs.typed << ": a No keeps the file";
    }
}

TEST_F(Writer, AnUnexpectedFailureIsReportedAndCleanedUp)
{
    fill();
    ws.now = []() -> QDateTime { throw std::runtime_error("zegar systemowy niedostępny"); };
    c().setText(QStringLiteral("fn_JPK_Text"), QStringLiteral("JPK_FA4.xml"));
    EXPECT_FALSE(ws.generateJpk());
    EXPECT_EQ(port.messages.last(), (Msg{QStringLiteral("info"), applicationTitle(),
                                         QStringLiteral("Błąd ustawienia danych w JPK\rzegar systemowy niedostępny")}));
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("JPK_FA4.xml"))));
    EXPECT_TRUE(t().lineLinkOn()) << "the clean-up ran";
    EXPECT_FALSE(t().mt_FAK_.viewsSuspended());
    EXPECT_FALSE(ws.isBusy());
}

TEST_F(Writer, CharactersXmlForbidsAreLeftOutAndCounted)
{
    const QString buyer = QStringLiteral("Firma\x01 A") + QChar(0xFFFE);
    const QString address = QString(QChar(0xD800)) + QStringLiteral("ul. Długa");
    invoice(QStringLiteral("FV/1"), {{"P_3A", QVariant(buyer)}, {"P_3B", QVariant(address)}});
    c().setText(QStringLiteral("ed_PelnaNazwa_Text"), QStringLiteral("Nazwa\x0B"));
    const QByteArray out = generate();
    XmlError error;
    EXPECT_TRUE(Xml::parseText(QString::fromUtf8(out), &error)) << error.reason.toStdString();
    EXPECT_TRUE(out.contains("<P_3A>Firma A</P_3A>"));
    EXPECT_TRUE(out.contains("<P_3B>ul. Długa</P_3B>"));
    EXPECT_TRUE(out.contains("<PelnaNazwa>Nazwa</PelnaNazwa>"));
    EXPECT_TRUE(port.messages.at(port.messages.size() - 2).text.contains(QStringLiteral("w 3 wartościach")))
        << port.messages.at(port.messages.size() - 2).text.toStdString();
}

TEST_F(Writer, GeneratorDataValidatesAgainstTheOfficialSchema)
{
    QProcess gen;
    gen.start(QStringLiteral("python3"), {generatorScript(), home.path(), QStringLiteral("--invoices"),
                                          QStringLiteral("120"), QStringLiteral("--expect")});
    ASSERT_TRUE(gen.waitForFinished(60000) && gen.exitCode() == 0) << "the generator did not run";
    const Result<> imported = JsonExchange::importFile(ws, home.file(QStringLiteral("expected.json")));
    ASSERT_TRUE(imported) << imported.reason().toStdString();
    c().setText(QStringLiteral("ed_NIP_Text"), QStringLiteral("5261040828"));
    QFile::copy(QStringLiteral(TAVRIX_SCHEMAS "/Schemat_JPK_FA(4)_v1-0.xsd"),
                home.file(QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd")));
    QFile::link(QStringLiteral(TAVRIX_SCHEMAS ""), home.file(QStringLiteral("schemas")));
    c().setChecked(QStringLiteral("chb_Weryfikuj_Checked"), true);
    generate();
    EXPECT_EQ(port.messages.last(), (Msg{QStringLiteral("info"), applicationTitle(),
                                         QStringLiteral("Budowa pliku JPK_FA4.xml zgodna ze schemą XSD")}))
        << port.messages.last().text.toStdString();
    // and the reference tool agrees
    QProcess lint;
    lint.setProcessEnvironment([] {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XML_CATALOG_FILES"), QStringLiteral(TAVRIX_SCHEMAS "/catalog.xml"));
        return env;
    }());
    lint.start(QStringLiteral("xmllint"),
               {QStringLiteral("--nonet"), QStringLiteral("--noout"), QStringLiteral("--schema"),
                QStringLiteral(TAVRIX_SCHEMAS "/Schemat_JPK_FA(4)_v1-0.xsd"),
                home.file(QStringLiteral("JPK_FA4.xml"))});
    if (!lint.waitForFinished(60000))
        GTEST_SKIP() << "xmllint is not available";
    EXPECT_EQ(lint.exitCode(), 0) << lint.readAllStandardError().toStdString();
}

} // namespace

namespace {

// Values other programs give: each is written as the schema reads it, or left out when it is
// no value; and what is written loads back to the same file.
TEST_F(Writer, ValuesOfEveryShapeAndTheirRoundTrip)
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    invoice(QStringLiteral("FV/1"), {{"P_1", QDate(2023, 8, 2)},
                                     {"P_3A", QVariant(QStringLiteral("\x01\x02"))}, // only forbidden characters
                                     {"P_3B", QVariant(emoji.repeated(300))},        // 300 characters, 600 units
                                     {"P_6", QVariant(zeroDate())},                  // the zero date is no date
                                     {"P_15", 12345678901234.56},
                                     {"P_13_1", 99999999999999.98},
                                     {"P_14_1", 0.004999999999999999}});
    invoice(QStringLiteral("FV/2"), {{"P_15", 100000000000000.0}});
    c().setText(QStringLiteral("ed_Gmina_Text"), QStringLiteral("\x0B"));
    const QByteArray out = generate();
    EXPECT_FALSE(out.contains("<P_3A")) << "a value of forbidden characters only is no value";
    EXPECT_FALSE(out.contains("<Gmina"));
    EXPECT_FALSE(out.contains("1899-12-30"));
    EXPECT_FALSE(out.contains("<P_6>"));
    // as many characters as the field holds, each one whole
    const int width = t().mt_FAK_.fields().at(t().mt_FAK_.fieldIndex(QStringLiteral("P_3B"))).size;
    EXPECT_TRUE(out.contains(QByteArray("<P_3B>" + emoji.repeated(width).toUtf8() + "</P_3B>")));
    EXPECT_TRUE(out.contains("<P_15>12345678901234.56</P_15>"));
    EXPECT_TRUE(out.contains("<P_13_1>99999999999999.98</P_13_1>"));
    EXPECT_TRUE(out.contains("<P_14_1>0.00</P_14_1>"));
    EXPECT_TRUE(out.contains("<WartoscFaktur>112345678901234.56</WartoscFaktur>")) << out.toStdString();

    // generate, load, generate: the same bytes
    c().setText(QStringLiteral("chb_FAK_append_Checked"), QStringLiteral("FALSE"));
    ASSERT_TRUE(ws.loadJpk(home.file(QStringLiteral("JPK_FA4.xml"))));
    const QByteArray again = generate(QStringLiteral("JPK_FA4_znowu.xml"));
    EXPECT_EQ(again, out);
}

// A template far past any JPK_FA(4) shape (100,000 fields in a record took minutes to fill,
// 200,000 attributes on an element as long) is refused with its reason.
TEST_F(Writer, ATemplateOfAnAbsurdShapeIsRefused)
{
    QString fields = QStringLiteral("<P_2A/>").repeated(100000);
    QString templ = ws.jpkTemplate();
    templ.replace(QStringLiteral("<P_2A/>"), fields);
    EXPECT_TRUE(Workspace::checkTemplate(templ).reason().contains(QStringLiteral("więcej niż 500 elementami")))
        << Workspace::checkTemplate(templ).reason().toStdString();
    QString attributes;
    for (int i = 0; i < 2000; ++i)
        attributes += QStringLiteral(" a%1=\"x\"").arg(i);
    templ = ws.jpkTemplate();
    templ.replace(QStringLiteral("<P_2A/>"), QStringLiteral("<P_2A") + attributes + QStringLiteral("/>"));
    EXPECT_TRUE(Workspace::checkTemplate(templ).reason().contains(QStringLiteral("P_2A z 2000 atrybutami")))
        << Workspace::checkTemplate(templ).reason().toStdString();
    // the design template and one a user tidied are fine
    EXPECT_TRUE(Workspace::checkTemplate(ws.jpkTemplate()));
}

// A template that declares a document type is refused: the program never writes a file its
// own loader would refuse.
TEST_F(Writer, ATemplateWithADoctypeMakesNoFile)
{
    invoice(QStringLiteral("FV/1"));
    QString templ = ws.jpkTemplate();
    templ.insert(templ.indexOf(QStringLiteral("?>")) + 2, QStringLiteral("\n<!DOCTYPE JPK [<!ENTITY e \"x\">]>"));
    EXPECT_EQ(Workspace::checkTemplate(templ).reason().toStdString(), Xml::kDtdRefused);
    EXPECT_TRUE(Workspace::checkTemplate(ws.jpkTemplate()));
    ws.setJpkTemplate(templ);
    c().setText(QStringLiteral("fn_JPK_Text"), QStringLiteral("JPK_FA4.xml"));
    EXPECT_FALSE(ws.generateJpk());
    EXPECT_EQ(port.messages.last().text,
              QStringLiteral("Błąd załadowania wzorca XML\r") + QString::fromUtf8(Xml::kDtdRefused));
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("JPK_FA4.xml"))));
}

} // namespace
