#include "app/workspace.h"
#include "base/controls.h"
#include "ksef/ksef_mapping.h"
#include "support/recording_port.h"
#include "support/temp_home.h"
#include "tables/document_tables.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <zip.h>

namespace {

using Msg = RecordingPort::Message;

QByteArray sample(const char *name)
{
    QFile f(QStringLiteral(TAVRIX_TEST_DATA "/ksef/") + QString::fromLatin1(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The ordinary FA(3) invoice with one piece of it replaced.
QByteArray variant(const QByteArray &from, const QByteArray &to, const char *base = "fa3_vat.xml")
{
    QByteArray xml = sample(base);
    EXPECT_TRUE(xml.contains(from)) << from.toStdString();
    return xml.replace(from, to);
}

class Ksef : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ws.start({}, home.path());
        QFile::link(QStringLiteral(TAVRIX_SCHEMAS ""), home.file(QStringLiteral("schemas")));
        QFile::copy(QStringLiteral(TAVRIX_SCHEMAS "/Schemat_JPK_FA(4)_v1-0.xsd"),
                    home.file(QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd")));
        QDir(home.path()).mkdir(QStringLiteral("in"));
    }
    Controls &c() { return ws.controls(); }
    DocumentTables &t() { return ws.tables(); }
    QString in(const QString &name = QString()) const { return home.file(QStringLiteral("in/") + name); }
    void put(const QString &name, const QByteArray &bytes) const { home.write(QStringLiteral("in/") + name, bytes); }
    void putSamples() const
    {
        for (const char *name : {"fa3_vat.xml", "fa3_kor.xml", "fa3_zal.xml", "fa2_vat.xml"})
            put(QString::fromLatin1(name), sample(name));
    }
    // The stored row of an invoice by its number, -1 when absent.
    int invoiceRow(const QString &number)
    {
        const int p2a = t().mt_FAK_.fieldIndex(QStringLiteral("P_2A"));
        for (int r = 0; r < t().mt_FAK_.storedCount(); ++r)
            if (t().mt_FAK_.stringAt(r, p2a) == number)
                return r;
        return -1;
    }
    QVariant fak(const QString &number, const char *field)
    {
        const int row = invoiceRow(number);
        return row < 0 ? QVariant() : t().mt_FAK_.valueAt(row, t().mt_FAK_.fieldIndex(QString::fromLatin1(field)));
    }
    QVariant line(const QString &number, int k, const char *field)
    {
        const auto &rows = t().mt_POZ_.rowsWithKey(number);
        return k < int(rows.size())
                   ? t().mt_POZ_.valueAt(rows[size_t(k)], t().mt_POZ_.fieldIndex(QString::fromLatin1(field)))
                   : QVariant();
    }
    // Imports one e-invoice file and returns the closing message.
    QString importOne(const QByteArray &xml, bool validate = true)
    {
        put(QStringLiteral("one.xml"), xml);
        port.messages.clear();
        ws.importKsef(in(QStringLiteral("one.xml")), validate);
        return port.messages.isEmpty() ? QString() : port.messages.last().text;
    }

    TempHome home;
    RecordingPort port;
    Workspace ws{&port};
};

TEST_F(Ksef, TheSamplesGoEndToEndToAValidJpkFile)
{
    putSamples();
    ASSERT_TRUE(ws.importKsef(in()));
    EXPECT_EQ(t().mt_FAK_.storedCount(), 4);
    EXPECT_EQ(t().mt_POZ_.storedCount(), 6);
    // the header took the seller of the first invoice
    EXPECT_EQ(c().text(QStringLiteral("ed_NIP_Text")), QStringLiteral("5261040828"));
    EXPECT_EQ(c().text(QStringLiteral("ed_PelnaNazwa_Text")), QStringLiteral("Hurtownia Mazowsze Sp. z o.o."));
    EXPECT_EQ(c().text(QStringLiteral("ed_Ulica_Text")), QStringLiteral("Marszałkowska"));
    EXPECT_EQ(c().text(QStringLiteral("ed_NrDomu_Text")), QStringLiteral("12"));
    EXPECT_EQ(c().text(QStringLiteral("ed_NrLokalu_Text")), QStringLiteral("3"));
    EXPECT_EQ(c().text(QStringLiteral("ed_KodPocztowy_Text")), QStringLiteral("00-001"));
    EXPECT_EQ(c().text(QStringLiteral("ed_Miejscowosc_Text")), QStringLiteral("Warszawa"));

    // the ordinary invoice
    const QString fv = QStringLiteral("FV/12/03/2026");
    EXPECT_EQ(fak(fv, "RodzajFaktury").toString(), QStringLiteral("VAT"));
    EXPECT_EQ(fak(fv, "P_1").toDate(), QDate(2026, 3, 2));
    EXPECT_EQ(fak(fv, "P_3A").toString(), QStringLiteral("Restauracja \"Pod Lipami\" Sp. z o.o."));
    EXPECT_EQ(fak(fv, "P_3B").toString(), QStringLiteral("Rynek 3, 97-200 Tomaszów Mazowiecki"));
    EXPECT_EQ(fak(fv, "P_3D").toString(), QStringLiteral("ul. Marszałkowska 12/3, 00-001 Warszawa"));
    EXPECT_EQ(fak(fv, "P_13_1").toDouble(), 1000.0);
    EXPECT_EQ(fak(fv, "P_14_2").toDouble(), 16.0);
    EXPECT_EQ(fak(fv, "P_15").toDouble(), 1446.0);
    EXPECT_EQ(fak(fv, "P_16"), QVariant(false));
    EXPECT_EQ(fak(fv, "P_19"), QVariant(false));
    EXPECT_EQ(fak(fv, "P_106E_3"), QVariant(false));
    EXPECT_EQ(line(fv, 1, "P_7").toString(), QStringLiteral("Mąka pszenna typ 650, 25 kg"));
    EXPECT_EQ(line(fv, 1, "P_8B").toDouble(), 2.5);
    EXPECT_EQ(line(fv, 1, "P_12").toString(), QStringLiteral("8"));
    // the correction
    const QString kor = QStringLiteral("KOR/3/03/2026");
    EXPECT_EQ(fak(kor, "RodzajFaktury").toString(), QStringLiteral("KOREKTA"));
    EXPECT_EQ(fak(kor, "PrzyczynaKorekty").toString(), QStringLiteral("Błędna ilość towaru"));
    EXPECT_EQ(fak(kor, "NrFaKorygowanej").toString(), fv);
    // the line as it stood before the correction goes in as its storno, the corrected line as it is
    EXPECT_EQ(line(kor, 0, "P_8B").toDouble(), -2.5);
    EXPECT_EQ(line(kor, 0, "P_9A").toDouble(), 80.0);
    EXPECT_EQ(line(kor, 0, "P_11").toDouble(), -200.0);
    EXPECT_EQ(line(kor, 1, "P_11").toDouble(), 160.0);
    // the advance invoice and its order
    const QString zal = QStringLiteral("ZAL/1/03/2026");
    EXPECT_EQ(fak(zal, "RodzajFaktury").toString(), QStringLiteral("ZAL"));
    ASSERT_EQ(t().mt_ZAM_.storedCount(), 1);
    EXPECT_EQ(t().mt_ZAM_.stringAt(0, t().mt_ZAM_.fieldIndex(QStringLiteral("P_2AZ"))), zal);
    EXPECT_EQ(t().mt_ZAM_.floatAt(0, t().mt_ZAM_.fieldIndex(QStringLiteral("WartoscZamowienia"))), 12300.0);
    ASSERT_EQ(t().mt_ZPOZ_.storedCount(), 1);
    EXPECT_EQ(t().mt_ZPOZ_.stringAt(0, t().mt_ZPOZ_.fieldIndex(QStringLiteral("P_7Z"))),
              QStringLiteral("Zabudowa kuchenna"));
    EXPECT_EQ(t().mt_ZPOZ_.floatAt(0, t().mt_ZPOZ_.fieldIndex(QStringLiteral("P_11VatZ"))), 2300.0);

    // the closing message counts what had no field, by name
    const QString message = port.messages.at(0).text;
    EXPECT_TRUE(message.contains(QStringLiteral("Zaimportowano faktur: 4"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("Podmiot2/JST: 3"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("Fa/TypKorekty: 1"))) << message.toStdString();

    // generated and validated with the period, office and address parts e-invoices do not carry
    c().setDate(QStringLiteral("ed_DataOd_Date"), QDate(2025, 12, 1));
    c().setDate(QStringLiteral("ed_DataDo_Date"), QDate(2026, 3, 31));
    for (const auto &[key, value] : {std::pair{"ed_KodUrzedu_Text", "1471"},
                                     {"ed_Wojewodztwo_Text", "mazowieckie"},
                                     {"ed_Powiat_Text", "Warszawa"},
                                     {"ed_Gmina_Text", "Warszawa"}})
        c().setText(QString::fromLatin1(key), QString::fromUtf8(value));
    c().setText(QStringLiteral("fn_JPK_Text"), home.file(QStringLiteral("JPK_KSeF.xml")));
    ASSERT_TRUE(ws.generateJpk()) << port.messages.last().text.toStdString();
    EXPECT_TRUE(ws.validateFile(home.file(QStringLiteral("JPK_KSeF.xml")))) << port.messages.last().text.toStdString();
    const QByteArray jpk = home.read(QStringLiteral("JPK_KSeF.xml"));
    EXPECT_TRUE(jpk.contains("<RodzajFaktury>KOREKTA</RodzajFaktury>"));
    EXPECT_TRUE(jpk.contains("<P_2AZ>ZAL/1/03/2026</P_2AZ>"));
}

TEST_F(Ksef, TheFa2InvoiceEqualsItsFa3Twin)
{
    putSamples();
    ASSERT_TRUE(ws.importKsef(in()));
    const QString fa2 = QStringLiteral("FV/40/12/2025");
    const QString fa3 = QStringLiteral("FV/12/03/2026");
    const QStringList differ = {QStringLiteral("P_1"), QStringLiteral("P_2A"), QStringLiteral("P_6")};
    const int r2 = invoiceRow(fa2);
    const int r3 = invoiceRow(fa3);
    ASSERT_GE(r2, 0);
    ASSERT_GE(r3, 0);
    for (int f = 0; f < t().mt_FAK_.fieldCount(); ++f) {
        const QString name = t().mt_FAK_.fields().at(f).name;
        if (!differ.contains(name)) {
            EXPECT_EQ(t().mt_FAK_.valueAt(r2, f), t().mt_FAK_.valueAt(r3, f)) << name.toStdString();
        }
    }
    ASSERT_EQ(t().mt_POZ_.rowsWithKey(fa2).size(), t().mt_POZ_.rowsWithKey(fa3).size());
    for (int k = 0; k < 2; ++k)
        for (const char *field : {"P_7", "P_8A", "P_8B", "P_9A", "P_11", "P_12"})
            EXPECT_EQ(line(fa2, k, field), line(fa3, k, field)) << field;
}

TEST_F(Ksef, EachBuyerIdentifierGoesToItsFields)
{
    const QByteArray nip = "<NIP>7732204596</NIP>";
    struct Case
    {
        const char *what;
        QByteArray identification;
        QVariant prefix;
        QVariant number;
    };
    const Case cases[] = {
        {"Polish NIP", nip, QVariant(), QStringLiteral("7732204596")},
        {"EU VAT number", "<KodUE>DE</KodUE><NrVatUE>811907980</NrVatUE>", QStringLiteral("DE"),
         QStringLiteral("811907980")},
        {"other identifier", "<KodKraju>US</KodKraju><NrID>98-7654321</NrID>", QVariant(),
         QStringLiteral("98-7654321")},
        {"none", "<BrakID>1</BrakID>", QVariant(), QVariant()},
    };
    int n = 0;
    for (const Case &k : cases) {
        const QString number = QStringLiteral("FV/ID/%1").arg(++n);
        QByteArray xml = variant(nip + "\n      <Nazwa>Restauracja", k.identification + "\n      <Nazwa>Restauracja");
        xml.replace("<P_2>FV/12/03/2026</P_2>", QByteArray("<P_2>" + number.toUtf8() + "</P_2>"));
        const QString message = importOne(xml);
        ASSERT_TRUE(message.contains(QStringLiteral("Zaimportowano faktur: 1"))) << k.what << message.toStdString();
        EXPECT_EQ(fak(number, "P_5A"), k.prefix) << k.what;
        EXPECT_EQ(fak(number, "P_5B"), k.number) << k.what;
    }
}

TEST_F(Ksef, RateCodesBecomeTheJpkRates)
{
    const std::pair<const char *, const char *> cases[] = {{"23", "23"},   {"8", "8"},     {"5", "5"},   {"0 KR", "0"},
                                                           {"0 WDT", "0"}, {"0 EX", "0"},  {"zw", "zw"}, {"oo", "oo"},
                                                           {"np I", "np"}, {"np II", "np"}};
    int n = 0;
    for (const auto &[code, rate] : cases) {
        const QString number = QStringLiteral("FV/R/%1").arg(++n);
        QByteArray xml = variant("<P_12>8</P_12>", QByteArray("<P_12>" + QByteArray(code) + "</P_12>"));
        xml.replace("<P_2>FV/12/03/2026</P_2>", QByteArray("<P_2>" + number.toUtf8() + "</P_2>"));
        importOne(xml);
        EXPECT_EQ(line(number, 1, "P_12").toString(), QString::fromLatin1(rate)) << code;
    }
    // the FA(2) codes are the JPK's own
    EXPECT_EQ(KsefMapping::rate(QStringLiteral("np")), QStringLiteral("np"));
}

TEST_F(Ksef, AmountsWithoutAJpkFieldOfTheirOwnAddUpIntoTheirCounterpart)
{
    const QByteArray amounts = "<P_13_6_1>10.00</P_13_6_1><P_13_6_2>20.00</P_13_6_2><P_13_6_3>30.00</P_13_6_3>"
                               "<P_13_7>7.00</P_13_7><P_13_8>1.00</P_13_8><P_13_9>2.00</P_13_9>"
                               "<P_13_10>100.00</P_13_10><P_13_11>5.00</P_13_11>\n    <P_15>";
    const QString message = importOne(variant("<P_15>", amounts), false);
    const QString fv = QStringLiteral("FV/12/03/2026");
    EXPECT_EQ(fak(fv, "P_13_6").toDouble(), 60.0);
    EXPECT_EQ(fak(fv, "P_13_7").toDouble(), 7.0);
    EXPECT_EQ(fak(fv, "P_13_5").toDouble(), 3.0);
    EXPECT_EQ(fak(fv, "P_13_4").toDouble(), 100.0);
    EXPECT_TRUE(message.contains(QStringLiteral("Fa/P_13_11: 1"))) << message.toStdString();
}

TEST_F(Ksef, AnnotationsAndKindsFollowTheJpk)
{
    const QByteArray exempt = "<Zwolnienie>\n        <P_19>1</P_19>\n        <P_19A>art. 43 ust. 1 pkt 37</P_19A>";
    const QByteArray vehicle = "<NoweSrodkiTransportu><P_22>1</P_22><P_42_5>2</P_42_5><NowySrodekTransportu>"
                               "<P_22A>2026-01-15</P_22A><P_NrWierszaNST>1</P_NrWierszaNST><P_22B>1200</P_22B>"
                               "</NowySrodekTransportu></NoweSrodkiTransportu>";
    QByteArray xml = variant("<Zwolnienie>\n        <P_19N>1</P_19N>", exempt);
    xml.replace("<NoweSrodkiTransportu>\n        <P_22N>1</P_22N>\n      </NoweSrodkiTransportu>", vehicle);
    xml.replace("<P_PMarzyN>1</P_PMarzyN>", "<P_PMarzy>1</P_PMarzy><P_PMarzy_3_2>1</P_PMarzy_3_2>");
    xml.replace("<RodzajFaktury>VAT</RodzajFaktury>", "<RodzajFaktury>ROZ</RodzajFaktury>");
    xml.insert(xml.indexOf("<FaWiersz>"), "<FakturaZaliczkowa><NrFaZaliczkowej>ZAL/1/03/2026</NrFaZaliczkowej>"
                                          "</FakturaZaliczkowa><FakturaZaliczkowa><NrFaZaliczkowej>ZAL/2/03/2026"
                                          "</NrFaZaliczkowej></FakturaZaliczkowa>");
    importOne(xml, false);
    const QString fv = QStringLiteral("FV/12/03/2026");
    EXPECT_EQ(fak(fv, "P_19"), QVariant(true));
    EXPECT_EQ(fak(fv, "P_19A").toString(), QStringLiteral("art. 43 ust. 1 pkt 37"));
    EXPECT_EQ(fak(fv, "P_22"), QVariant(true));
    EXPECT_EQ(fak(fv, "P_22A").toDate(), QDate(2026, 1, 15));
    EXPECT_EQ(fak(fv, "P_22B").toString(), QStringLiteral("1200"));
    EXPECT_EQ(fak(fv, "P_106E_3"), QVariant(true));
    EXPECT_EQ(fak(fv, "P_106E_3A").toString(), QStringLiteral("procedura marży - dzieła sztuki"));
    EXPECT_EQ(fak(fv, "RodzajFaktury").toString(), QStringLiteral("VAT"));
    EXPECT_EQ(fak(fv, "NrFaZaliczkowej").toString(), QStringLiteral("ZAL/1/03/2026, ZAL/2/03/2026"));

    const std::pair<const char *, const char *> kinds[] = {
        {"VAT", "VAT"},         {"UPR", "VAT"},         {"ROZ", "VAT"}, {"KOR", "KOREKTA"},
        {"KOR_ZAL", "KOREKTA"}, {"KOR_ROZ", "KOREKTA"}, {"ZAL", "ZAL"}};
    for (const auto &[fa, jpk] : kinds)
        EXPECT_EQ(KsefMapping::kind(QString::fromLatin1(fa)), QString::fromLatin1(jpk)) << fa;
}

TEST_F(Ksef, SkippedFilesAreCountedAndNamed)
{
    putSamples();
    // another seller, a schema error, a file that is no XML, a hostile one, another XML, not .xml
    put(QStringLiteral("other.xml"),
        variant("<NIP>5261040828</NIP>", "<NIP>1132853869</NIP>").replace("FV/12/03/2026", "FV/OTHER"));
    put(QStringLiteral("bad_rate.xml"),
        variant("<P_12>8</P_12>", "<P_12>24</P_12>").replace("FV/12/03/2026", "FV/BAD"));
    put(QStringLiteral("broken.xml"), sample("fa3_vat.xml").left(500));
    put(QStringLiteral("entities.xml"), "<?xml version=\"1.0\"?>\n<!DOCTYPE Faktura [<!ENTITY a \"aaaa\">]>\n"
                                        "<Faktura xmlns=\"http://crd.gov.pl/wzor/2025/06/25/13775/\">&a;</Faktura>");
    put(QStringLiteral("jpk.xml"), "<JPK xmlns=\"http://jpk.mf.gov.pl/wzor/2022/02/17/02171/\"/>");
    put(QStringLiteral("notes.txt"), "not an invoice");
    c().setText(QStringLiteral("ed_NIP_Text"), QStringLiteral("526-104-08-28"));
    ASSERT_TRUE(ws.importKsef(in()));
    EXPECT_EQ(t().mt_FAK_.storedCount(), 4);
    EXPECT_EQ(invoiceRow(QStringLiteral("FV/OTHER")), -1);
    const QString message = port.messages.last().text;
    EXPECT_TRUE(message.contains(QStringLiteral("Wczytano plików: 10"))) << message.toStdString();
    EXPECT_TRUE(message.contains(
        QStringLiteral("Pominięto: 6 (inny sprzedawca: 1, już w tabeli: 0, błędne: 3, nie e-faktury: 2)")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("bad_rate.xml: wiersz"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("entities.xml: Plik zawiera deklaracje DTD"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("broken.xml: wiersz"))) << message.toStdString();

    // the same folder again adds nothing
    port.messages.clear();
    ASSERT_TRUE(ws.importKsef(in()));
    EXPECT_EQ(t().mt_FAK_.storedCount(), 4);
    EXPECT_TRUE(port.messages.last().text.contains(QStringLiteral("już w tabeli: 4")))
        << port.messages.last().text.toStdString();
    // each skipped one named: the duplicates by file and number, the other documents by file
    const QString again = port.messages.last().text;
    EXPECT_TRUE(again.contains(QStringLiteral("fa3_vat.xml (FV/12/03/2026)"))) << again.toStdString();
    EXPECT_TRUE(again.contains(QStringLiteral("Pliki, które nie są e-fakturami:"))) << again.toStdString();
    EXPECT_TRUE(again.contains(QStringLiteral("notes.txt"))) << again.toStdString();
    EXPECT_TRUE(again.contains(QStringLiteral("jpk.xml"))) << again.toStdString();
}

TEST_F(Ksef, NothingReadableIsAFailure)
{
    put(QStringLiteral("jpk.xml"), "<JPK/>");
    EXPECT_FALSE(ws.importKsef(in()));
    EXPECT_EQ(port.failureCount(), 1);
    EXPECT_EQ(t().mt_FAK_.storedCount(), 0);
    EXPECT_FALSE(ws.importKsef(home.file(QStringLiteral("nowhere"))));
}

TEST_F(Ksef, APackageIsReadFromInsideAndAFolderOnlyAsDeepAsAsked)
{
    // a package with the samples in a folder of its own, and a text file
    const QString package = home.file(QStringLiteral("paczka.zip"));
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(package).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    std::vector<QByteArray> keep;
    for (const char *name : {"fa3_vat.xml", "fa3_kor.xml", "fa3_zal.xml", "fa2_vat.xml"})
        keep.push_back(sample(name));
    keep.push_back("README");
    const char *names[] = {"faktury/fa3_vat.xml", "faktury/fa3_kor.xml", "faktury/fa3_zal.xml", "faktury/fa2_vat.xml",
                           "README.txt"};
    zip_dir_add(archive, "faktury", ZIP_FL_ENC_UTF_8);
    for (size_t i = 0; i < keep.size(); ++i) {
        zip_source_t *source = zip_source_buffer(archive, keep[i].constData(), zip_uint64_t(keep[i].size()), 0);
        ASSERT_GE(zip_file_add(archive, names[i], source, ZIP_FL_ENC_UTF_8), 0);
    }
    ASSERT_EQ(zip_close(archive), 0);
    ASSERT_TRUE(ws.importKsef(package));
    EXPECT_EQ(t().mt_FAK_.storedCount(), 4);
    EXPECT_TRUE(port.messages.last().text.contains(QStringLiteral("nie e-faktury: 1")))
        << port.messages.last().text.toStdString();

    // a folder: its subfolder only when asked
    ws.tables().mt_POZ_.empty();
    ws.tables().mt_FAK_.empty();
    QDir(in()).mkdir(QStringLiteral("marzec"));
    put(QStringLiteral("fa3_vat.xml"), sample("fa3_vat.xml"));
    put(QStringLiteral("marzec/fa3_kor.xml"), sample("fa3_kor.xml"));
    ASSERT_TRUE(ws.importKsef(in()));
    EXPECT_EQ(t().mt_FAK_.storedCount(), 1);
    ASSERT_TRUE(ws.importKsef(in(), true, true));
    EXPECT_EQ(t().mt_FAK_.storedCount(), 2);
}

TEST(KsefMappingDocument, ListsEveryRowOfTheTable)
{
    QFile doc(QStringLiteral(TAVRIX_TEST_DATA "/../../docs/ksef-mapping.md"));
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(doc.readAll());
    for (const KsefMapping::Row &row : KsefMapping::rows()) {
        const QString field =
            *row.field ? QStringLiteral("`%1`").arg(QString::fromLatin1(row.field)) : QStringLiteral("—");
        const QString cells =
            QStringLiteral("| `%1` | %2 | %3 |").arg(QString::fromLatin1(row.path), tableName(row.table), field);
        EXPECT_TRUE(text.contains(cells)) << cells.toStdString();
    }
}

} // namespace
