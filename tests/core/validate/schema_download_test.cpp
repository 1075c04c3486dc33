#include "jpk/jpk_template.h"
#include "support/loopback_server.h"
#include "support/recording_port.h"
#include "support/shipped_schemas.h"
#include "support/temp_home.h"
#include "validate/schema_download.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kSchema = QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd");

class RecordingView : public DownloadView
{
public:
    void setUp(const QString &caption, const QString &, const QString &address) override
    {
        this->caption = caption;
        this->address = address;
    }
    void begins(qint64 expected) override { this->expected = expected; }
    bool progress(const QString &text, qint64) override
    {
        texts << text;
        return !cancel;
    }
    void over(const QString &text) override { last = text; }

    QString caption, address, last;
    QStringList texts;
    qint64 expected = -1;
    bool cancel = false;
};

QString templateWith(const QString &address)
{
    QString t = designTemplate();
    t.replace(QStringLiteral("  xmlns=\"http://jpk.mf.gov.pl/wzor/2022/02/17/02171/\">"),
              QStringLiteral("  xmlns=\"http://jpk.mf.gov.pl/wzor/2022/02/17/02171/\"\n"
                             "  xsi:noNamespaceSchemaLocation=\"%1\">")
                  .arg(address));
    return t;
}

TEST(SchemaAddress, FromTheTemplate)
{
    EXPECT_EQ(SchemaDownload::schemaAddressOfTemplate(designTemplate()), QString());
    EXPECT_EQ(SchemaDownload::schemaAddressOfTemplate(templateWith(QStringLiteral("http://host/a.xsd"))),
              QStringLiteral("http://host/a.xsd"));
    EXPECT_EQ(SchemaDownload::schemaAddressOfTemplate(QStringLiteral("<a noNamespaceSchemaLocation=\"\"/>\n"
                                                                     "<b noNamespaceSchemaLocation=\"x\"/>")),
              QString()); // the first such line ends the search
    EXPECT_EQ(SchemaDownload::schemaAddressOfTemplate(QStringLiteral("noNamespaceSchemaLocation=\"unclosed")),
              QString());
}

TEST(SchemaPage, SchemaBesideTheProgramIsShownReindented)
{
    TempHome home;
    QFile::copy(QStringLiteral(TAVRIX_SCHEMAS "/") + kSchema, home.file(kSchema));
    RecordingPort port;
    RecordingView view;
    QString text;
    ASSERT_TRUE(SchemaDownload::loadDescriptions(&port, &view, home.path(), designTemplate(), &text));
    EXPECT_TRUE(port.messages.isEmpty());
    EXPECT_TRUE(view.caption.isEmpty()); // no download
    EXPECT_TRUE(text.startsWith(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xsd:schema")));
    EXPECT_TRUE(text.contains(QStringLiteral("\n  <xsd:import ")));
    EXPECT_TRUE(text.contains(QStringLiteral("Numer identyfikacyjny VAT podatnika w procedurze importu")));
    EXPECT_EQ(SchemaDownload::prompt(home.path()), QStringLiteral("Wczytaj dane z pliku: ") + home.file(kSchema));
}

TEST(SchemaPage, MissingSchemaWithoutAnAddress)
{
    const ShippedSchemasAway away; // the download road, without the schemas shipped with the program
    TempHome home;
    RecordingPort port;
    RecordingView view;
    QString text;
    EXPECT_FALSE(SchemaDownload::loadDescriptions(&port, &view, home.path(), designTemplate(), &text));
    ASSERT_EQ(port.messages.size(), 1);
    EXPECT_EQ(port.messages.first().text, QStringLiteral("Brak pliku : ") + home.file(kSchema));
    EXPECT_FALSE(QFile::exists(home.file(kSchema)));
}

TEST(SchemaPage, DownloadsOverHttpAndFailsCleanly)
{
    const ShippedSchemasAway away; // the download road, without the schemas shipped with the program
    TempHome served;
    QFile::copy(QStringLiteral(TAVRIX_SCHEMAS "/") + kSchema, served.file(QStringLiteral("s.xsd")));
    LoopbackServer server(served.path());
    ASSERT_GT(server.port(), 0);

    struct Case
    {
        QString address;
        bool cancel;
        bool ok;
    };
    const Case cases[] = {
        {server.url(QStringLiteral("s.xsd")), false, true},
        {server.url(QStringLiteral("brak.xsd")), false, false},
        {QStringLiteral("https://127.0.0.1:%1/s.xsd").arg(server.port()), false, false},
        {server.url(QStringLiteral("broken/s.xsd")), false, false},
        {server.url(QStringLiteral("s.xsd")), true, false},
        {server.url(QStringLiteral("redirect/s.xsd")), false, false}, // 302: once an empty schema was kept
    };
    for (const Case &c : cases) {
        TempHome home;
        RecordingPort port;
        RecordingView view;
        view.cancel = c.cancel;
        QString text;
        const bool ok = SchemaDownload::loadDescriptions(&port, &view, home.path(), templateWith(c.address), &text);
        EXPECT_EQ(ok, c.ok) << c.address.toStdString();
        EXPECT_EQ(view.caption, QStringLiteral("Pobieranie pliku Pobieranie:") + kSchema);
        EXPECT_EQ(view.address, c.address);
        EXPECT_EQ(QFile::exists(home.file(kSchema)), c.ok) << "a failed download leaves no file";
        if (c.ok) {
            EXPECT_EQ(view.last, QStringLiteral("Pobrano"));
            EXPECT_TRUE(view.texts.last().startsWith(QStringLiteral("Pobieranie=87345/")));
            EXPECT_TRUE(text.contains(QStringLiteral("<xsd:schema")));
            EXPECT_TRUE(port.messages.isEmpty());
        } else {
            EXPECT_EQ(view.last, QStringLiteral("Przerwano"));
            ASSERT_EQ(port.messages.size(), 2) << c.address.toStdString();
            EXPECT_TRUE(port.messages.at(0).text.startsWith(QStringLiteral("Błąd pobierania z ") + c.address + u'\r'));
            EXPECT_EQ(port.messages.at(1).text, QStringLiteral("Brak pliku : ") + home.file(kSchema));
        }
    }
}

TEST(SchemaPage, NoProgressWindowWithoutAFileToWriteAndTheOwnDeclarationKept)
{
    const ShippedSchemasAway away; // the download road, without the schemas shipped with the program
    RecordingPort port;
    RecordingView view;
    QString text;
    TempHome home;
    const QString nowhere = home.file(QStringLiteral("no/such/folder"));
    EXPECT_FALSE(SchemaDownload::loadDescriptions(&port, &view, nowhere,
                                                  templateWith(QStringLiteral("http://127.0.0.1:9/s.xsd")), &text));
    EXPECT_TRUE(view.caption.isEmpty()) << "the progress window stays closed";
    ASSERT_FALSE(port.messages.isEmpty());
    EXPECT_TRUE(port.messages.first().text.startsWith(QStringLiteral("Błąd pobierania http://127.0.0.1:9/s.xsd\r")));

    struct Case
    {
        const char *source;
        const char *starts;
    };
    const Case cases[] = {
        {"<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:element name=\"a\"/></xs:schema>", "<xs:schema"},
        {"<?xml version=\"1.0\"?>\n<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"/>",
         "<?xml version=\"1.0\"?>\n<xs:schema"},
        {"<?xml version='1.0' encoding='windows-1250'?><xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"/>",
         "<?xml version='1.0' encoding='windows-1250'?>\n<xs:schema"},
    };
    for (const Case &c : cases) {
        const Result<QString> out = SchemaDownload::reformat(QString::fromUtf8(c.source));
        ASSERT_TRUE(out) << out.reason().toStdString();
        EXPECT_TRUE(out->startsWith(QString::fromUtf8(c.starts))) << out->toStdString();
    }
}

} // namespace
