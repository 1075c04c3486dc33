#include "app/json_exchange.h"
#include "app/workspace.h"
#include "base/controls.h"
#include "ksef/ksef_mapping.h"
#include "ksef/polish_address.h"
#include "support/recording_port.h"
#include "support/shipped_schemas.h"
#include "support/temp_home.h"
#include "tables/document_tables.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zip.h>

namespace {

using Msg = RecordingPort::Message;

QByteArray sample(const char *name)
{
    QFile f(QStringLiteral(TAVRIX_TEST_DATA "/ksef/") + QString::fromLatin1(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An e-invoice somebody else wrote (tests/data/ksef/public, see its PROVENANCE.txt).
QByteArray written(const char *name)
{
    const QByteArray path = QByteArray("public/") + QByteArray(name);
    const QByteArray xml = sample(path.constData());
    EXPECT_FALSE(xml.isEmpty()) << name;
    return xml;
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

    // Empty tables and an empty header, as a new user starts.
    void startAfresh()
    {
        for (DocumentTable *table : {&t().mt_POZ_, &t().mt_ZPOZ_, &t().mt_ZAM_, &t().mt_FAK_})
            table->empty();
        for (const QString &field : Controls::headerFieldNames()) {
            const QString key = Controls::headerControlKey(field);
            if (key.endsWith(QStringLiteral("_Date")))
                c().setDate(key, zeroDate());
            else
                c().setText(key, QString());
        }
    }
    // The net sums of an invoice's lines by the JPK_FA(4) field of their rate.
    QHash<QString, double> lineNetByRate(const QString &number)
    {
        static const QHash<QString, QString> field = {
            {QStringLiteral("23"), QStringLiteral("P_13_1")}, {QStringLiteral("22"), QStringLiteral("P_13_1")},
            {QStringLiteral("8"), QStringLiteral("P_13_2")},  {QStringLiteral("7"), QStringLiteral("P_13_2")},
            {QStringLiteral("5"), QStringLiteral("P_13_3")},  {QStringLiteral("oo"), QStringLiteral("P_13_4")},
            {QStringLiteral("np"), QStringLiteral("P_13_5")}, {QStringLiteral("0"), QStringLiteral("P_13_6")},
            {QStringLiteral("zw"), QStringLiteral("P_13_7")}};
        QHash<QString, double> sums;
        const DocumentTable &poz = t().mt_POZ_;
        for (int row : poz.rowsWithKey(number))
            sums[field.value(poz.stringAt(row, poz.fieldIndex(QStringLiteral("P_12"))))] +=
                poz.floatAt(row, poz.fieldIndex(QStringLiteral("P_11")));
        return sums;
    }
    // A correction's lines add up to its net amounts, rate by rate.
    void expectLinesSumToTheNetAmounts(const QString &number)
    {
        const QHash<QString, double> sums = lineNetByRate(number);
        ASSERT_FALSE(sums.isEmpty()) << number.toStdString();
        for (auto it = sums.cbegin(); it != sums.cend(); ++it)
            EXPECT_NEAR(it.value(), fak(number, it.key().toLatin1().constData()).toDouble(), 0.005)
                << number.toStdString() << " " << it.key().toStdString();
    }
    // The header parts an e-invoice does not carry, the period around the invoices; the file
    // generated and checked against the JPK_FA(4) schema. The validation's message.
    bool generateAndValidate(const QDate &from, const QDate &to, QString *message)
    {
        c().setDate(QStringLiteral("ed_DataOd_Date"), from);
        c().setDate(QStringLiteral("ed_DataDo_Date"), to);
        for (const auto &[key, value] : {std::pair{"ed_KodUrzedu_Text", "1471"},
                                         {"ed_Wojewodztwo_Text", "mazowieckie"},
                                         {"ed_Powiat_Text", "Warszawa"},
                                         {"ed_Gmina_Text", "Warszawa"},
                                         {"ed_NrDomu_Text", "1"},
                                         {"ed_Miejscowosc_Text", "Warszawa"},
                                         {"ed_KodPocztowy_Text", "00-001"}})
            if (c().text(QString::fromLatin1(key)).isEmpty())
                c().setText(QString::fromLatin1(key), QString::fromUtf8(value));
        const QString file = home.file(QStringLiteral("JPK_public.xml"));
        QFile::remove(file);
        c().setText(QStringLiteral("fn_JPK_Text"), file);
        if (!ws.generateJpk()) {
            *message = port.messages.last().text;
            return false;
        }
        const bool valid = ws.validateFile(file);
        *message = port.messages.last().text;
        return valid;
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

// The files are read on two threads and go into the tables in their order: the tables, the
// header and the closing message are those of one thread, file for file (duplicates, refused
// files and other documents included).
TEST_F(Ksef, TwoThreadsGiveWhatOneThreadGives)
{
    const char *samples[] = {"fa3_vat.xml", "fa3_kor.xml", "fa3_zal.xml", "fa2_vat.xml"};
    static const QRegularExpression number(QStringLiteral("<P_2>[^<]*</P_2>"));
    for (int k = 0; k < 150; ++k) {
        QString xml = QString::fromUtf8(sample(samples[k % 4]));
        // every fifth file repeats a number met before: which one is the duplicate depends on the order
        const QString own = k % 5 == 4 ? QStringLiteral("DUP/%1").arg(k / 20) : QStringLiteral("NR/%1").arg(k);
        xml.replace(number, QStringLiteral("<P_2>%1</P_2>").arg(own));
        if (k % 17 == 3)
            xml.truncate(xml.size() / 2); // cut short: refused with its line
        if (k % 23 == 5)
            xml = QStringLiteral("<inny>dokument</inny>");
        put(QStringLiteral("%1.xml").arg(k, 3, 10, QChar(u'0')), xml.toUtf8());
    }
    // and e-invoices somebody else wrote, of other sellers and kinds, among them
    for (const QString &name :
         QDir(QStringLiteral(TAVRIX_TEST_DATA "/ksef/public")).entryList({QStringLiteral("*.xml")}))
        put(QStringLiteral("050_") + name, written(name.toLatin1().constData()));
    struct Run
    {
        QByteArray tables;
        QString message;
    };
    auto importWith = [&](const char *threads) {
        qputenv("TAVRIX_THREADS", threads);
        startAfresh();
        t().resetCounters(); // the orders numbered from 1 again
        port.messages.clear();
        ws.importKsef(in());
        qunsetenv("TAVRIX_THREADS");
        const QString out = home.file(QStringLiteral("tabele.json"));
        const Result<> written = JsonExchange::exportFile(ws, out);
        EXPECT_TRUE(written) << written.reason().toStdString();
        QFile f(out);
        return Run{f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(),
                   port.messages.isEmpty() ? QString() : port.messages.last().text};
    };
    const Run one = importWith("1");
    const Run two = importWith("2");
    EXPECT_GT(t().mt_FAK_.storedCount(), 90);
    EXPECT_TRUE(one.message.contains(QStringLiteral("już w tabeli: "))) << one.message.toStdString();
    EXPECT_EQ(one.message.toStdString(), two.message.toStdString());
    EXPECT_TRUE(one.tables == two.tables) << "the tables differ between one thread and two";
}

// "Przerwij" and a failure while the helper thread prepares files: the command stops, the helper
// is waited for, and the tables are as they were.
TEST_F(Ksef, AStopWhileTheHelperWorksLeavesTheTablesAsTheyWere)
{
    static const QRegularExpression number(QStringLiteral("<P_2>[^<]*</P_2>"));
    for (int k = 0; k < 400; ++k) {
        QString xml = QString::fromUtf8(sample("fa3_vat.xml"));
        xml.replace(number, QStringLiteral("<P_2>NR/%1</P_2>").arg(k));
        put(QStringLiteral("%1.xml").arg(k, 3, 10, QChar(u'0')), xml.toUtf8());
    }
    struct Case
    {
        const char *what;
        std::function<void()> during; // at the 100th time the import lets events run
        QString message;
    };
    const Case cases[] = {
        {"Przerwij", [&] { port.requestCancel(); },
         QStringLiteral("Przerwano: Importuj e-faktury (KSeF). Tabele pozostały bez zmian.")},
        {"out of memory", [] { throw std::bad_alloc(); },
         QStringLiteral(
             "Importuj e-faktury (KSeF): za mało pamięci, polecenie przerwano. Tabele pozostały bez zmian.")},
    };
    qputenv("TAVRIX_THREADS", "2");
    for (const Case &cs : cases) {
        startAfresh();
        port.messages.clear();
        int calls = 0;
        port.onProcessEvents = [&] {
            if (++calls == 100)
                cs.during();
        };
        EXPECT_FALSE(ws.importKsef(in(), false)) << cs.what;
        port.onProcessEvents = nullptr;
        EXPECT_GE(calls, 100) << cs.what;
        EXPECT_EQ(t().mt_FAK_.storedCount(), 0) << cs.what;
        EXPECT_EQ(t().mt_POZ_.storedCount(), 0) << cs.what;
        ASSERT_FALSE(port.messages.isEmpty()) << cs.what;
        EXPECT_EQ(port.messages.last().text.toStdString(), cs.message.toStdString()) << cs.what;
    }
    qunsetenv("TAVRIX_THREADS");
    // and the next import runs as ever
    startAfresh();
    EXPECT_TRUE(ws.importKsef(in(), false));
    EXPECT_EQ(t().mt_FAK_.storedCount(), 400);
}

TEST_F(Ksef, ExamplesOthersWroteGoToTheValuesTheirAnnotationsGive)
{
    QString message;
    // the tax authority's FA(2) example 11: an advance invoice corrected; its order lines come
    // as "before" and "after" pairs, and the order's value does not change
    startAfresh();
    message = importOne(written("fa2_przyklad_11_kor_zal.xml"));
    ASSERT_TRUE(message.contains(QStringLiteral("Zaimportowano faktur: 1"))) << message.toStdString();
    const QString korZal = QStringLiteral("FK2022/03/5");
    EXPECT_EQ(fak(korZal, "RodzajFaktury").toString(), QStringLiteral("KOREKTA"));
    EXPECT_EQ(fak(korZal, "NrFaKorygowanej").toString(), QStringLiteral("FZ2022/02/150"));
    EXPECT_EQ(fak(korZal, "P_13_1").toDouble(), -15993.6);
    EXPECT_EQ(fak(korZal, "P_14_2").toDouble(), 1457.19);
    const DocumentTable &zpoz = t().mt_ZPOZ_;
    ASSERT_EQ(zpoz.storedCount(), 4);
    const int net = zpoz.fieldIndex(QStringLiteral("P_11NettoZ")), vat = zpoz.fieldIndex(QStringLiteral("P_11VatZ"));
    EXPECT_EQ(zpoz.floatAt(0, net), -300000.0); // the order line before the correction, as its storno
    EXPECT_EQ(zpoz.floatAt(0, vat), -69000.0);
    EXPECT_EQ(zpoz.floatAt(0, zpoz.fieldIndex(QStringLiteral("P_8BZ"))), -1.0);
    EXPECT_EQ(zpoz.floatAt(0, zpoz.fieldIndex(QStringLiteral("P_9AZ"))), 300000.0);
    EXPECT_EQ(zpoz.floatAt(1, net), 341666.67);
    double orderChange = 0;
    for (int row = 0; row < zpoz.storedCount(); ++row)
        orderChange += zpoz.floatAt(row, net) + zpoz.floatAt(row, vat);
    EXPECT_NEAR(orderChange, 0.0, 0.005); // the rate changed, the order's value did not
    EXPECT_EQ(zpoz.stringAt(0, zpoz.fieldIndex(QStringLiteral("P_7Z"))),
              QStringLiteral("mieszkanie 50m^2mieszkanie 50m^2mieszkanie 50m^2mieszkanie 50m^2"));
    EXPECT_EQ(c().text(QStringLiteral("ed_Ulica_Text")), QStringLiteral("Sadowa"));
    EXPECT_EQ(c().text(QStringLiteral("ed_NrDomu_Text")), QStringLiteral("1"));
    EXPECT_EQ(c().text(QStringLiteral("ed_NrLokalu_Text")), QStringLiteral("3"));
    EXPECT_EQ(c().text(QStringLiteral("ed_Miejscowosc_Text")), QStringLiteral("Kraków"));
    // a file of line-less invoices cannot pass the schema: said before it is written
    EXPECT_FALSE(generateAndValidate(QDate(2022, 3, 1), QDate(2022, 3, 31), &message));
    EXPECT_TRUE(std::any_of(port.messages.cbegin(), port.messages.cend(), [](const Msg &m) {
        return m.text.contains(QStringLiteral("żadna z 1 faktur nie ma wierszy (FakturaWiersz)"));
    }));

    // a correction with a "before" line, six-decimal quantities and a line date; the file breaks
    // the FA(3) schema elsewhere (a payment term), so it is refused with the reason unless the
    // check is off
    startAfresh();
    message = importOne(written("fa3_korekta_przed_po.xml"));
    EXPECT_TRUE(message.contains(QStringLiteral("one.xml: wiersz 141"))) << message.toStdString();
    EXPECT_EQ(t().mt_FAK_.storedCount(), 0);
    message = importOne(written("fa3_korekta_przed_po.xml"), false);
    const QString kor = QStringLiteral("29903413");
    EXPECT_EQ(line(kor, 0, "P_8B").toDouble(), -400.5);
    EXPECT_EQ(line(kor, 0, "P_11").toDouble(), -30000.6);
    EXPECT_EQ(line(kor, 0, "P_11A").toDouble(), -10000.0);
    EXPECT_EQ(line(kor, 0, "P_9A").toDouble(), 200.0);
    EXPECT_EQ(line(kor, 1, "P_11").toDouble(), 30000.6);
    expectLinesSumToTheNetAmounts(kor);
    EXPECT_EQ(fak(kor, "P_5A").toString(), QStringLiteral("PL"));
    EXPECT_EQ(fak(kor, "P_5B").toString(), QStringLiteral("1234560670"));
    EXPECT_EQ(fak(kor, "P_6").toDate(), QDate(2023, 10, 23)); // the invoice's own date; the line's is counted
    EXPECT_TRUE(message.contains(QStringLiteral("Fa/FaWiersz/P_6A: 1"))) << message.toStdString();
    EXPECT_TRUE(generateAndValidate(QDate(2023, 10, 1), QDate(2023, 10, 31), &message)) << message.toStdString();
    const QByteArray jpk = home.read(QStringLiteral("JPK_public.xml"));
    EXPECT_TRUE(jpk.contains("<P_8B>-400.50</P_8B>")) << jpk.constData();

    // an exchange-rate correction of an EUR invoice: the line before and after, in euro
    startAfresh();
    importOne(written("fa3_korekta_kursu_eur.xml"), false);
    const QString eur = QStringLiteral("001/01/26/K");
    EXPECT_EQ(fak(eur, "KodWaluty").toString(), QStringLiteral("EUR"));
    EXPECT_EQ(fak(eur, "P_14_1W").toDouble(), 0.66);
    EXPECT_EQ(fak(eur, "PrzyczynaKorekty").toString(), QStringLiteral("Błędny kurs."));
    EXPECT_EQ(line(eur, 0, "P_11").toDouble(), -800.0);
    EXPECT_EQ(line(eur, 1, "P_11").toDouble(), 800.0);
    expectLinesSumToTheNetAmounts(eur);
    // one address line holding all of it
    EXPECT_EQ(c().text(QStringLiteral("ed_Ulica_Text")), QStringLiteral("Test-Wilcza"));
    EXPECT_EQ(c().text(QStringLiteral("ed_NrDomu_Text")), QStringLiteral("1"));
    EXPECT_EQ(c().text(QStringLiteral("ed_KodPocztowy_Text")), QStringLiteral("33-300"));
    EXPECT_EQ(c().text(QStringLiteral("ed_Miejscowosc_Text")), QStringLiteral("Nowy Sącz"));
    EXPECT_TRUE(generateAndValidate(QDate(2026, 2, 1), QDate(2026, 2, 28), &message)) << message.toStdString();

    // an invoice issued by a tax representative
    startAfresh();
    message = importOne(written("fa3_przedstawiciel_podatkowy.xml"));
    const QString rep = QStringLiteral("FV/1/02/2026");
    EXPECT_EQ(fak(rep, "P_21"), QVariant(true));
    EXPECT_EQ(fak(rep, "P_21A").toString(), QStringLiteral("Upoważniona Sp. k."));
    EXPECT_EQ(fak(rep, "P_21B").toString(), QStringLiteral("ul. Autoryzacyjna 3, 00-003 Warszawa"));
    EXPECT_EQ(fak(rep, "P_21C").toString(), QStringLiteral("3333333333"));
    EXPECT_FALSE(fak(rep, "P_20").toBool());
    EXPECT_FALSE(message.contains(QStringLiteral("PodmiotUpowazniony"))) << message.toStdString();
    EXPECT_EQ(c().text(QStringLiteral("ed_Ulica_Text")), QStringLiteral("Przykładowa"));
    EXPECT_EQ(c().text(QStringLiteral("ed_NrDomu_Text")), QStringLiteral("1"));
    EXPECT_EQ(c().text(QStringLiteral("ed_KodPocztowy_Text")), QStringLiteral("00-001"));
    EXPECT_EQ(c().text(QStringLiteral("ed_Miejscowosc_Text")), QStringLiteral("Warszawa"));
    // the closing message asks for exactly what the header still lacks
    EXPECT_TRUE(
        message.contains(QStringLiteral("uzupełnij: kod urzędu, okres od, okres do, województwo, powiat, gmina.")))
        << message.toStdString();
    EXPECT_TRUE(generateAndValidate(QDate(2026, 2, 1), QDate(2026, 2, 28), &message)) << message.toStdString();
    EXPECT_TRUE(home.read(QStringLiteral("JPK_public.xml")).contains("<P_21>true</P_21>"));

    // a final invoice after two advance invoices: one by its own number, one by its KSeF number
    startAfresh();
    importOne(written("fa3_rozliczeniowa.xml"));
    EXPECT_EQ(fak(QStringLiteral("abc/test/1234"), "NrFaZaliczkowej").toString(),
              QStringLiteral("5451824119-20251202-0100A0E87267-21, ABC/TEST/DEF"));
    EXPECT_TRUE(generateAndValidate(QDate(2025, 12, 1), QDate(2025, 12, 31), &message)) << message.toStdString();
}

TEST_F(Ksef, TheAdvanceInvoiceMetUnderItsKsefNameGivesItsOwnNumber)
{
    // a package downloaded from KSeF names each file by its KSeF number
    put(QStringLiteral("5451824119-20251202-0100A0E87267-21.xml"),
        variant("<P_2>FV/12/03/2026</P_2>", "<P_2>ZAL/7/2025</P_2>")
            .replace("<NIP>5261040828</NIP>", "<NIP>5451824119</NIP>")
            .replace("<RodzajFaktury>VAT</RodzajFaktury>", "<RodzajFaktury>ZAL</RodzajFaktury>"));
    put(QStringLiteral("rozliczeniowa.xml"), written("fa3_rozliczeniowa.xml"));
    ASSERT_TRUE(ws.importKsef(in()));
    EXPECT_EQ(fak(QStringLiteral("abc/test/1234"), "NrFaZaliczkowej").toString(),
              QStringLiteral("ZAL/7/2025, ABC/TEST/DEF"));
}

TEST_F(Ksef, AnnotationsTheJpkNamesComeThroughWhole)
{
    const QString fv = QStringLiteral("FV/12/03/2026");
    struct Case
    {
        const char *what;
        QByteArray from, to;
        std::function<void()> check;
    };
    const QString longName = QStringLiteral("Usługa ") + QStringLiteral("ą").repeated(300);
    const Case cases[] = {
        {"reverse charge without its tax", "<P_15>", "<P_13_10>500.00</P_13_10>\n    <P_15>",
         [&] {
             EXPECT_EQ(fak(fv, "P_13_4").toDouble(), 500.0);
             EXPECT_EQ(fak(fv, "P_14_4"), QVariant(0.0));
         }},
        {"OSS: its tax and rate", "<P_15>", "<P_13_5>100.00</P_13_5>\n    <P_14_5>13.50</P_14_5>\n    <P_15>",
         [&] {
             EXPECT_EQ(fak(fv, "P_13_5").toDouble(), 100.0);
             EXPECT_EQ(fak(fv, "P_14_5").toDouble(), 13.5);
         }},
        {"a period instead of a date of sale", "<P_6>2026-03-01</P_6>",
         "<OkresFa><P_6_Od>2026-02-01</P_6_Od><P_6_Do>2026-02-28</P_6_Do></OkresFa>",
         [&] { EXPECT_EQ(fak(fv, "P_6").toDate(), QDate(2026, 2, 28)); }},
        {"no date of sale at all", "<P_6>2026-03-01</P_6>", "", [&] { EXPECT_TRUE(fak(fv, "P_6").isNull()); }},
        {"a quantity of three decimals", "<P_8B>2.5</P_8B>", "<P_8B>2.561</P_8B>",
         [&] { EXPECT_EQ(line(fv, 1, "P_8B").toDouble(), 2.561); }},
        {"a bailiff", "<Fa>",
         "<PodmiotUpowazniony><DaneIdentyfikacyjne><NIP>1111111111</NIP><Nazwa>Komornik Sądowy Jan Nowak"
         "</Nazwa></DaneIdentyfikacyjne><Adres><KodKraju>PL</KodKraju><AdresL1>ul. Sądowa 2</AdresL1>"
         "<AdresL2>00-950 Warszawa</AdresL2></Adres><RolaPU>2</RolaPU></PodmiotUpowazniony>\n  <Fa>",
         [&] {
             EXPECT_EQ(fak(fv, "P_20"), QVariant(true));
             EXPECT_EQ(fak(fv, "P_20A").toString(), QStringLiteral("Komornik Sądowy Jan Nowak"));
             EXPECT_EQ(fak(fv, "P_20B").toString(), QStringLiteral("ul. Sądowa 2, 00-950 Warszawa"));
             EXPECT_TRUE(fak(fv, "P_21C").isNull());
         }},
        {"a line name longer than the JPK allows", "<P_7>Olej rzepakowy 5 l</P_7>",
         QByteArray("<P_7>") + longName.toUtf8() + "</P_7>",
         [&] { EXPECT_EQ(line(fv, 0, "P_7").toString(), longName.left(256)); }},
    };
    for (const Case &k : cases) {
        startAfresh();
        const QString message = importOne(variant(k.from, k.to));
        ASSERT_TRUE(message.contains(QStringLiteral("Zaimportowano faktur: 1"))) << k.what << message.toStdString();
        k.check();
        QString validation;
        EXPECT_TRUE(generateAndValidate(QDate(2026, 2, 1), QDate(2026, 3, 31), &validation))
            << k.what << ": " << validation.toStdString();
        const QByteArray jpk = home.read(QStringLiteral("JPK_public.xml"));
        if (QByteArray(k.what).startsWith("a quantity")) {
            EXPECT_TRUE(jpk.contains("<P_8B>2.561</P_8B>")) << k.what;
        }
        if (QByteArray(k.what).startsWith("a line name")) {
            EXPECT_TRUE(message.contains(QStringLiteral("FV/12/03/2026, P_7: „Usługa ąąą"))) << message.toStdString();
        }
    }

    // an OSS line's rate is a number with its decimals, and texts the schema allows stay whole
    startAfresh();
    QByteArray xml = variant("<P_12>23</P_12>", "<P_12>23</P_12>\n      <P_12_XII>13.5</P_12_XII>");
    xml.replace("<RodzajFaktury>VAT</RodzajFaktury>",
                "<RodzajFaktury>KOR</RodzajFaktury><PrzyczynaKorekty>rabat za pierwsze półrocze 2026</PrzyczynaKorekty>"
                "<DaneFaKorygowanej><DataWystFaKorygowanej>2026-01-10</DataWystFaKorygowanej><NrFaKorygowanej>"
                "FV2026/01/0001</NrFaKorygowanej><NrKSeFN>1</NrKSeFN></DaneFaKorygowanej><DaneFaKorygowanej>"
                "<DataWystFaKorygowanej>2026-02-10</DataWystFaKorygowanej><NrFaKorygowanej>FV2026/02/0002"
                "</NrFaKorygowanej><NrKSeFN>1</NrKSeFN></DaneFaKorygowanej>"
                "<OkresFaKorygowanej>pierwsze półrocze 2026</OkresFaKorygowanej>");
    const QString message = importOne(xml);
    ASSERT_TRUE(message.contains(QStringLiteral("Zaimportowano faktur: 1"))) << message.toStdString();
    EXPECT_EQ(line(fv, 0, "P_12_XII"), QVariant(13.5));
    EXPECT_EQ(fak(fv, "OkresFaKorygowanej").toString(), QStringLiteral("pierwsze półrocze 2026"));
    EXPECT_EQ(fak(fv, "NrFaKorygowanej").toString(), QStringLiteral("FV2026/01/0001, FV2026/02/0002"));
    EXPECT_FALSE(message.contains(QStringLiteral("Skrócono"))) << message.toStdString();
    QString validation;
    EXPECT_TRUE(generateAndValidate(QDate(2026, 3, 1), QDate(2026, 3, 31), &validation)) << validation.toStdString();
    EXPECT_TRUE(home.read(QStringLiteral("JPK_public.xml")).contains("<P_12_XII>13.50</P_12_XII>"));
}

TEST_F(Ksef, TheLinesCommonDateIsTheDateOfSale)
{
    QByteArray xml = variant("<P_6>2026-03-01</P_6>", "");
    xml.replace("<NrWierszaFa>1</NrWierszaFa>", "<NrWierszaFa>1</NrWierszaFa><P_6A>2026-02-27</P_6A>");
    xml.replace("<NrWierszaFa>2</NrWierszaFa>", "<NrWierszaFa>2</NrWierszaFa><P_6A>2026-02-27</P_6A>");
    importOne(xml);
    EXPECT_EQ(fak(QStringLiteral("FV/12/03/2026"), "P_6").toDate(), QDate(2026, 2, 27));
    // lines of different dates give none, and say so
    startAfresh();
    xml.replace("<NrWierszaFa>2</NrWierszaFa><P_6A>2026-02-27", "<NrWierszaFa>2</NrWierszaFa><P_6A>2026-02-28");
    const QString message = importOne(xml);
    EXPECT_TRUE(fak(QStringLiteral("FV/12/03/2026"), "P_6").isNull());
    EXPECT_TRUE(message.contains(QStringLiteral("Fa/FaWiersz/P_6A: 2"))) << message.toStdString();
}

TEST_F(Ksef, ACheckAskedForThatCannotRunFailsTheImport)
{
    ShippedSchemasAway away;
    QFile::remove(home.file(QStringLiteral("schemas")));
    put(QStringLiteral("fa3_vat.xml"), sample("fa3_vat.xml"));
    EXPECT_FALSE(ws.importKsef(in()));
    EXPECT_EQ(t().mt_FAK_.storedCount(), 0);
    EXPECT_TRUE(port.messages.last().text.contains(QStringLiteral("nie można sprawdzić ze schemą")))
        << port.messages.last().text.toStdString();
    // asked not to check, it goes in and the message says the files were not checked
    EXPECT_TRUE(ws.importKsef(in(), false));
    EXPECT_EQ(t().mt_FAK_.storedCount(), 1);
    EXPECT_TRUE(port.messages.last().text.contains(QStringLiteral("nie były sprawdzane ze schemą")))
        << port.messages.last().text.toStdString();
}

TEST_F(Ksef, AFileOrFolderThatCannotBeReadIsNamedAndFailsTheStep)
{
    put(QStringLiteral("a_ok.xml"), sample("fa3_vat.xml"));
    // a link whose file is gone cannot be read by anyone, the superuser included
    QFile::link(in(QStringLiteral("gone.xml")), in(QStringLiteral("b_link.xml")));
    const bool root = geteuid() == 0; // the superuser reads what permissions close
    if (!root) {
        put(QStringLiteral("c_closed.xml"), sample("fa3_kor.xml"));
        QDir(in()).mkdir(QStringLiteral("zamkniety"));
        put(QStringLiteral("zamkniety/d.xml"), sample("fa3_zal.xml"));
        QFile::setPermissions(in(QStringLiteral("c_closed.xml")), QFileDevice::Permissions());
        QFile::setPermissions(in(QStringLiteral("zamkniety")), QFileDevice::Permissions());
    }
    const bool ok = ws.importKsef(in(), true, true);
    if (!root) {
        QFile::setPermissions(in(QStringLiteral("zamkniety")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::setPermissions(in(QStringLiteral("c_closed.xml")), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(t().mt_FAK_.storedCount(), 1); // what could be read went in
    const QString message = port.messages.last().text;
    EXPECT_TRUE(message.contains(QStringLiteral("b_link.xml: "))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("Nie dało się odczytać: %1").arg(root ? 1 : 3)))
        << message.toStdString();
    if (!root) {
        EXPECT_TRUE(message.contains(QStringLiteral("c_closed.xml: brak prawa do odczytu pliku")))
            << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("zamkniety: brak prawa do odczytu folderu")))
            << message.toStdString();
    }
}

TEST(PolishAddressParts, CommonFormsComeApart)
{
    struct Case
    {
        QStringList lines;
        PolishAddress expected;
    };
    const Case cases[] = {
        {{QStringLiteral("ul. Kwiatowa 1 m. 2"), QStringLiteral("00-001 Warszawa")},
         {QStringLiteral("Kwiatowa"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("00-001"),
          QStringLiteral("Warszawa")}},
        {{QStringLiteral("ul. Marszałkowska 12/3"), QStringLiteral("00-001 Warszawa")},
         {QStringLiteral("Marszałkowska"), QStringLiteral("12"), QStringLiteral("3"), QStringLiteral("00-001"),
          QStringLiteral("Warszawa")}},
        {{QStringLiteral("al. Jerozolimskie 123A lok. 4"), QStringLiteral("02-017 Warszawa")},
         {QStringLiteral("al. Jerozolimskie"), QStringLiteral("123A"), QStringLiteral("4"), QStringLiteral("02-017"),
          QStringLiteral("Warszawa")}},
        {{QStringLiteral("pl. Bankowy 2")},
         {QStringLiteral("pl. Bankowy"), QStringLiteral("2"), QString(), QString(), QString()}},
        {{QStringLiteral("ul. X 5, 00-950 Warszawa")},
         {QStringLiteral("X"), QStringLiteral("5"), QString(), QStringLiteral("00-950"), QStringLiteral("Warszawa")}},
        {{QStringLiteral("00-950 Warszawa, ul. 3 Maja 5/7")},
         {QStringLiteral("3 Maja"), QStringLiteral("5"), QStringLiteral("7"), QStringLiteral("00-950"),
          QStringLiteral("Warszawa")}},
        {{QStringLiteral("Rynek 3"), QStringLiteral("97-200 Tomaszów Mazowiecki")},
         {QStringLiteral("Rynek"), QStringLiteral("3"), QString(), QStringLiteral("97-200"),
          QStringLiteral("Tomaszów Mazowiecki")}},
        {{QStringLiteral("ul. Kwiatowa 1 Mazowiecka")},
         {QStringLiteral("Kwiatowa"), QStringLiteral("1"), QString(), QString(), QString()}},
        {{QStringLiteral("TEST 167"), QStringLiteral("2132 TS TEST")},
         {QStringLiteral("TEST"), QStringLiteral("167"), QString(), QString(), QString()}},
    };
    for (const Case &k : cases) {
        const PolishAddress a = parsePolishAddress(k.lines);
        const std::string what = k.lines.join(QStringLiteral(" | ")).toStdString();
        EXPECT_EQ(a.street, k.expected.street) << what;
        EXPECT_EQ(a.house, k.expected.house) << what;
        EXPECT_EQ(a.flat, k.expected.flat) << what;
        EXPECT_EQ(a.postalCode, k.expected.postalCode) << what;
        EXPECT_EQ(a.town, k.expected.town) << what;
    }
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
