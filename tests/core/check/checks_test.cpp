#include "app/workspace.h"
#include "check/check_report.h"
#include "check/data_checks.h"
#include "check/schema_findings.h"
#include "support/recording_port.h"
#include "support/temp_home.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A month with one correct invoice and its line; each case puts in one fault.
class Kontrola : public ::testing::Test
{
public:
    void SetUp() override
    {
        ws.start({}, home.path());
        Controls &c = ws.controls();
        c.setDate(QStringLiteral("ed_DataOd_Date"), QDate(2023, 8, 1));
        c.setDate(QStringLiteral("ed_DataDo_Date"), QDate(2023, 8, 31));
        const char *header[][2] = {{"ed_KodUrzedu_Text", "1471"},          {"ed_NIP_Text", "5261040828"},
                                   {"ed_PelnaNazwa_Text", "Hurtownia"},    {"ed_KodKraju_Text", "PL"},
                                   {"ed_Wojewodztwo_Text", "mazowieckie"}, {"ed_Powiat_Text", "Warszawa"},
                                   {"ed_Gmina_Text", "Warszawa"},          {"ed_NrDomu_Text", "12"},
                                   {"ed_Miejscowosc_Text", "Warszawa"},    {"ed_KodPocztowy_Text", "00-001"}};
        for (const auto &h : header)
            c.setText(QString::fromLatin1(h[0]), QString::fromLatin1(h[1]));
    }
    DocumentTable &fak() { return ws.tables().mt_FAK_; }
    void invoice(const QString &number, std::initializer_list<std::pair<const char *, QVariant>> changes = {})
    {
        fak().append();
        const std::pair<const char *, QVariant> base[] = {{"P_2A", number},
                                                          {"P_1", QDate(2023, 8, 2)},
                                                          {"P_3C", QStringLiteral("Hurtownia")},
                                                          {"P_3D", QStringLiteral("ul. Długa 1, 00-001 Warszawa")},
                                                          {"P_4B", QStringLiteral("5261040828")},
                                                          {"P_5B", QStringLiteral("1132853869")},
                                                          {"P_13_1", 100.0},
                                                          {"P_14_1", 23.0},
                                                          {"P_15", 123.0},
                                                          {"RodzajFaktury", QStringLiteral("VAT")},
                                                          {"KodWaluty", QStringLiteral("PLN")}};
        for (const auto &[field, value] : base)
            fak().setValue(QString::fromLatin1(field), value);
        for (const auto &[field, value] : changes)
            fak().setValue(QString::fromLatin1(field), value);
        fak().post();
    }
    void line(const QString &number, double quantity = 2, double price = 50, double net = 100, const char *rate = "23")
    {
        DocumentTable &poz = ws.tables().mt_POZ_;
        poz.append();
        poz.setValue(QStringLiteral("P_2B"), number);
        poz.setValue(QStringLiteral("P_8B"), quantity);
        poz.setValue(QStringLiteral("P_9A"), price);
        poz.setValue(QStringLiteral("P_11"), net);
        poz.setValue(QStringLiteral("P_12"), QString::fromLatin1(rate));
        poz.post();
    }
    void lineWith(const QString &number, std::initializer_list<std::pair<const char *, QVariant>> fields)
    {
        DocumentTable &poz = ws.tables().mt_POZ_;
        poz.append();
        poz.setValue(QStringLiteral("P_2B"), number);
        for (const auto &[field, value] : fields)
            poz.setValue(QString::fromLatin1(field), value);
        poz.post();
    }
    void order(const QString &number, const QVariant &value = QVariant())
    {
        DocumentTable &zam = ws.tables().mt_ZAM_;
        zam.append();
        zam.setValue(QStringLiteral("P_2AZ"), number);
        zam.setValue(QStringLiteral("WartoscZamowienia"), value);
        zam.post();
    }
    // A line of the order just added (or of none).
    void orderLine(double net, double vat, bool ofTheLastOrder = true)
    {
        DocumentTable &zpoz = ws.tables().mt_ZPOZ_;
        zpoz.append();
        if (!ofTheLastOrder)
            zpoz.setValue(QStringLiteral("idx_zal"), QVariant());
        zpoz.setValue(QStringLiteral("P_11NettoZ"), net);
        zpoz.setValue(QStringLiteral("P_11VatZ"), vat);
        zpoz.post();
    }

    TempHome home;
    RecordingPort port;
    Workspace ws{&port};
};

TEST_F(Kontrola, EachFaultGivesExactlyItsFinding)
{
    struct Case
    {
        const char *what;
        std::function<void(Kontrola &)> build;
        QStringList expected; // "code level kind field"
    };
    const QString v = QStringLiteral("FV/1");
    const Case cases[] = {
        {"nothing wrong",
         [&](Kontrola &k) {
             k.invoice(v);
             k.line(v);
         },
         {}},
        {"seller NIP",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_4B", QStringLiteral("5261040829")}});
             k.line(v);
         },
         {QStringLiteral("K01 błąd Faktura P_4B")}},
        {"buyer NIP",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_5B", QStringLiteral("1132853860")}});
             k.line(v);
         },
         {QStringLiteral("K01 ostrzeżenie Faktura P_5B")}},
        {"a foreign buyer's number is not checked",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_5A", QStringLiteral("DE")}, {"P_5B", QStringLiteral("123456789")}});
             k.line(v);
         },
         {}},
        {"header NIP",
         [&](Kontrola &k) {
             k.ws.controls().setText(QStringLiteral("ed_NIP_Text"), QStringLiteral("1234567890"));
             k.invoice(v);
             k.line(v);
         },
         {QStringLiteral("K01 błąd Naglowek NIP")}},
        {"issue date",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_1", QDate(2023, 9, 1)}});
             k.line(v);
         },
         {QStringLiteral("K02 błąd Faktura P_1")}},
        {"a number twice",
         [&](Kontrola &k) {
             k.invoice(v);
             k.line(v);
             k.invoice(v);
         },
         {QStringLiteral("K03 błąd Faktura P_2A")}},
        {"a line of no invoice",
         [&](Kontrola &k) {
             k.invoice(v);
             k.line(v);
             k.line(QStringLiteral("FV/9"));
         },
         {QStringLiteral("K04 błąd FakturaWiersz P_2B")}},
        {"an order of no invoice",
         [&](Kontrola &k) {
             k.invoice(v);
             k.line(v);
             k.order(QStringLiteral("FV/9"));
         },
         {QStringLiteral("K04 błąd Zamowienie P_2AZ")}},
        {"the total",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_15", 124.0}});
             k.line(v);
         },
         {QStringLiteral("K05 błąd Faktura P_15")}},
        {"the tax against the rate",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_14_1", 25.0}, {"P_15", 125.0}});
             k.line(v);
         },
         {QStringLiteral("K06 ostrzeżenie Faktura P_14_1")}},
        {"lines against the net",
         [&](Kontrola &k) {
             k.invoice(v);
             k.line(v, 2, 45, 90);
         },
         {QStringLiteral("K07 ostrzeżenie Faktura P_13_1")}},
        {"a correction without the number of the invoice it corrects",
         [&](Kontrola &k) {
             k.invoice(v, {{"RodzajFaktury", QStringLiteral("KOREKTA")}});
             k.line(v);
         },
         {QStringLiteral("K08 błąd Faktura NrFaKorygowanej")}},
        {"an advance invoice without its order",
         [&](Kontrola &k) {
             k.invoice(v, {{"RodzajFaktury", QStringLiteral("ZAL")}});
             k.line(v);
         },
         {QStringLiteral("K08 błąd Faktura P_2A")}},
        {"tax in PLN",
         [&](Kontrola &k) {
             k.invoice(v, {{"KodWaluty", QStringLiteral("EUR")}});
             k.line(v);
         },
         {QStringLiteral("K09 błąd Faktura P_14_1W")}},
        {"quantity times price",
         [&](Kontrola &k) {
             k.invoice(v);
             k.line(v, 2, 60, 100);
         },
         {QStringLiteral("K10 ostrzeżenie FakturaWiersz P_11")}},
        {"an invoice without lines",
         [&](Kontrola &k) { k.invoice(v); },
         {QStringLiteral("K11 ostrzeżenie Faktura P_2A")}},
        {"an empty header field",
         [&](Kontrola &k) {
             k.ws.controls().setText(QStringLiteral("ed_KodUrzedu_Text"), QString());
             k.invoice(v);
             k.line(v);
         },
         {QStringLiteral("K11 ostrzeżenie Naglowek KodUrzedu")}},

        // correct documents of every kind: nothing to report
        {"a correction without its reason (the act no longer asks for one)",
         [&](Kontrola &k) {
             k.invoice(v, {{"RodzajFaktury", QStringLiteral("KOREKTA")}, {"NrFaKorygowanej", QStringLiteral("FV/7")}});
             k.line(v);
         },
         {}},
        {"a margin invoice carries only its total",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_13_1", QVariant()},
                           {"P_14_1", QVariant()},
                           {"P_15", 1230.0},
                           {"P_106E_3", true},
                           {"P_106E_3A", QStringLiteral("procedura marży - towary używane")}});
             k.lineWith(v,
                        {{"P_7", QStringLiteral("Rower używany")}, {"P_8B", 1.0}, {"P_9B", 1230.0}, {"P_11A", 1230.0}});
         },
         {}},
        {"an advance invoice has no lines",
         [&](Kontrola &k) {
             k.invoice(v, {{"RodzajFaktury", QStringLiteral("ZAL")}});
             k.order(v, 1230.0);
             k.orderLine(1000.0, 230.0);
         },
         {}},
        {"a correction of a period has no lines",
         [&](Kontrola &k) {
             k.invoice(v, {{"RodzajFaktury", QStringLiteral("KOREKTA")},
                           {"NrFaKorygowanej", QStringLiteral("FV/1/07/2023 – FV/90/07/2023")},
                           {"OkresFaKorygowanej", QStringLiteral("lipiec 2023")},
                           {"P_13_1", -100.0},
                           {"P_14_1", -23.0},
                           {"P_15", -123.0}});
         },
         {}},
        {"lines priced gross",
         [&](Kontrola &k) {
             k.invoice(v);
             k.lineWith(v, {{"P_8B", 3.0}, {"P_9B", 41.0}, {"P_11A", 123.0}, {"P_12", QStringLiteral("23")}});
         },
         {}},
        {"a final invoice after an advance: full lines, the rest to pay",
         [&](Kontrola &k) {
             k.invoice(v, {{"NrFaZaliczkowej", QStringLiteral("ZAL/1")}, {"P_15", 100.0}});
             k.line(v, 10, 100, 1000);
         },
         {}},
        {"a discount the price leaves out",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_13_1", 90.0}, {"P_14_1", 20.7}, {"P_15", 110.7}});
             k.lineWith(
                 v, {{"P_8B", 2.0}, {"P_9A", 50.0}, {"P_10", 10.0}, {"P_11", 90.0}, {"P_12", QStringLiteral("23")}});
         },
         {}},
        {"a buyer's number from outside the EU",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_5B", QStringLiteral("98-7654321")}});
             k.line(v);
         },
         {}},
        {"the tax as the sum of the lines' rounded taxes",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_13_1", 0.06}, {"P_14_1", 0.0}, {"P_15", 0.06}});
             for (int i = 0; i < 3; ++i)
                 k.line(v, 1, 0.02, 0.02);
         },
         {}},
        {"a correction: the line before as its storno, the line after",
         [&](Kontrola &k) {
             k.invoice(v, {{"RodzajFaktury", QStringLiteral("KOREKTA")},
                           {"NrFaKorygowanej", QStringLiteral("FV/7")},
                           {"P_13_1", -50.0},
                           {"P_14_1", -11.5},
                           {"P_15", -61.5}});
             k.line(v, -2, 50, -100);
             k.line(v, 1, 50, 50);
         },
         {}},
        {"an invoice in euro with its tax in PLN",
         [&](Kontrola &k) {
             k.invoice(v, {{"KodWaluty", QStringLiteral("EUR")}, {"P_14_1W", 98.9}});
             k.line(v);
         },
         {}},
        {"reverse charge",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_13_1", QVariant()},
                           {"P_14_1", QVariant()},
                           {"P_13_4", 100.0},
                           {"P_14_4", 0.0},
                           {"P_15", 100.0},
                           {"P_18", true}});
             k.line(v, 2, 50, 100, "oo");
         },
         {}},
        {"exempt sales with their basis",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_13_1", QVariant()},
                           {"P_14_1", QVariant()},
                           {"P_13_7", 100.0},
                           {"P_15", 100.0},
                           {"P_19", true},
                           {"P_19A", QStringLiteral("art. 43 ust. 1 pkt 37")}});
             k.line(v, 2, 50, 100, "zw");
         },
         {}},
        {"self-billing: the seller is not the taxpayer",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_4B", QStringLiteral("1132853869")}, {"P_17", true}});
             k.line(v);
         },
         {}},
        // faults the check used to miss
        {"the total off by a grosz",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_15", 123.01}});
             k.line(v);
         },
         {QStringLiteral("K05 błąd Faktura P_15")}},
        {"the lines off by a grosz among many",
         [&](Kontrola &k) {
             k.invoice(v);
             for (int i = 0; i < 9; ++i)
                 k.line(v, 1, 10, 10);
             k.line(v, 1, 10.01, 10.01);
         },
         {QStringLiteral("K07 ostrzeżenie Faktura P_13_1")}},
        {"the tax at 22% where the lines say 23%",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_14_1", 22.0}, {"P_15", 122.0}});
             k.line(v);
         },
         {QStringLiteral("K06 ostrzeżenie Faktura P_14_1")}},
        {"reverse charge with a tax",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_13_1", QVariant()}, {"P_14_1", QVariant()}, {"P_13_4", 100.0}, {"P_14_4", 23.0}});
             k.line(v, 2, 50, 100, "oo");
         },
         {QStringLiteral("K06 ostrzeżenie Faktura P_14_4")}},
        {"exempt sales without P_19",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_13_1", QVariant()}, {"P_14_1", QVariant()}, {"P_13_7", 100.0}, {"P_15", 100.0}});
             k.line(v, 2, 50, 100, "zw");
         },
         {QStringLiteral("K06 błąd Faktura P_19")}},
        {"exempt sales without their basis",
         [&](Kontrola &k) {
             k.invoice(
                 v,
                 {{"P_13_1", QVariant()}, {"P_14_1", QVariant()}, {"P_13_7", 100.0}, {"P_15", 100.0}, {"P_19", true}});
             k.line(v, 2, 50, 100, "zw");
         },
         {QStringLiteral("K06 błąd Faktura P_19A")}},
        {"the same number but for a trailing space",
         [&](Kontrola &k) {
             k.invoice(v);
             k.line(v);
             k.invoice(QStringLiteral("FV/1 "));
         },
         {QStringLiteral("K03 błąd Faktura P_2A")}},
        {"a placeholder buyer NIP",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_5B", QStringLiteral("1111111111")}});
             k.line(v);
         },
         {QStringLiteral("K01 ostrzeżenie Faktura P_5B")}},
        {"a placeholder seller NIP",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_4B", QStringLiteral("1111111111")}});
             k.line(v);
         },
         {QStringLiteral("K01 błąd Faktura P_4B")}},
        {"a seller other than the taxpayer",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_4B", QStringLiteral("1132853869")}});
             k.line(v);
         },
         {QStringLiteral("K01 ostrzeżenie Faktura P_4B")}},
        {"an order of an invoice that is no advance invoice",
         [&](Kontrola &k) {
             k.invoice(v);
             k.line(v);
             k.order(v);
         },
         {QStringLiteral("K04 błąd Zamowienie P_2AZ")}},
        {"an order line of no order",
         [&](Kontrola &k) {
             k.invoice(v);
             k.line(v);
             k.orderLine(100.0, 23.0, false);
         },
         {QStringLiteral("K04 błąd ZamowienieWiersz idx_zal")}},
        {"an order worth other than its lines",
         [&](Kontrola &k) {
             k.invoice(v, {{"RodzajFaktury", QStringLiteral("ZAL")}});
             k.order(v, 1000.0);
             k.orderLine(800.0, 184.0);
         },
         {QStringLiteral("K04 ostrzeżenie Zamowienie WartoscZamowienia")}},
        {"a VAT invoice with a correction's field",
         [&](Kontrola &k) {
             k.invoice(v, {{"PrzyczynaKorekty", QStringLiteral("rabat")}});
             k.line(v);
         },
         {QStringLiteral("K08 ostrzeżenie Faktura PrzyczynaKorekty")}},
        {"the tax in PLN of the other sign",
         [&](Kontrola &k) {
             k.invoice(v, {{"KodWaluty", QStringLiteral("EUR")}, {"P_14_1W", -98.9}});
             k.line(v);
         },
         {QStringLiteral("K09 błąd Faktura P_14_1W")}},
        {"a tax in PLN on a PLN invoice",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_14_1W", 23.0}});
             k.line(v);
         },
         {QStringLiteral("K09 ostrzeżenie Faktura P_14_1W")}},
        {"quantity times the gross price",
         [&](Kontrola &k) {
             k.invoice(v);
             k.lineWith(v, {{"P_8B", 2.0},
                            {"P_9A", 50.0},
                            {"P_11", 100.0},
                            {"P_9B", 61.5},
                            {"P_11A", 120.0},
                            {"P_12", QStringLiteral("23")}});
         },
         {QStringLiteral("K10 ostrzeżenie FakturaWiersz P_11A")}},
        {"no seller's address",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_3D", QVariant()}});
             k.line(v);
         },
         {QStringLiteral("K11 błąd Faktura P_3D")}},
        {"a net amount without its tax",
         [&](Kontrola &k) {
             k.invoice(v, {{"P_13_2", 50.0}, {"P_15", 173.0}});
             k.line(v);
             k.line(v, 1, 50, 50, "8");
         },
         {QStringLiteral("K11 błąd Faktura P_14_2")}},
        {"a period that ends before it begins: said once",
         [&](Kontrola &k) {
             k.ws.controls().setDate(QStringLiteral("ed_DataOd_Date"), QDate(2023, 8, 31));
             k.ws.controls().setDate(QStringLiteral("ed_DataDo_Date"), QDate(2023, 8, 1));
             k.invoice(v);
             k.line(v);
             k.invoice(QStringLiteral("FV/2"));
             k.line(QStringLiteral("FV/2"));
         },
         {QStringLiteral("K02 błąd Naglowek DataOd")}},
        {"an issue date after today",
         [&](Kontrola &k) {
             k.ws.controls().setDate(QStringLiteral("ed_DataOd_Date"), QDate(2099, 1, 1));
             k.ws.controls().setDate(QStringLiteral("ed_DataDo_Date"), QDate(2099, 1, 31));
             k.invoice(v, {{"P_1", QDate(2099, 1, 2)}});
             k.line(v);
         },
         {QStringLiteral("K02 ostrzeżenie Faktura P_1")}},
        {"a hole in a numbering series",
         [&](Kontrola &k) {
             for (const char *number : {"FV/1/08/2023", "FV/2/08/2023", "FV/4/08/2023"}) {
                 k.invoice(QString::fromLatin1(number));
                 k.line(QString::fromLatin1(number));
             }
         },
         {QStringLiteral("K03 ostrzeżenie Faktura P_2A")}},
    };
    for (const Case &c : cases) {
        ws.tables().mt_ZPOZ_.empty();
        ws.tables().mt_ZAM_.empty();
        ws.tables().mt_POZ_.empty();
        ws.tables().mt_FAK_.empty();
        SetUp();
        c.build(*this);
        QStringList got;
        for (const Finding &f : ws.checkData().findings)
            got << QStringLiteral("%1 %2 %3 %4").arg(f.code, Finding::levelText(f.level), f.kind, f.field);
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST_F(Kontrola, FindingsNameTheInvoiceTheLineAndTheField)
{
    invoice(QStringLiteral("FV/1"));
    line(QStringLiteral("FV/1"));
    line(QStringLiteral("FV/1"), 2, 60, 20, "8");
    const QList<Finding> &f = ws.checkData().findings;
    ASSERT_FALSE(f.isEmpty());
    const Finding &k10 = f.last();
    EXPECT_EQ(k10.code, QStringLiteral("K10"));
    EXPECT_EQ(k10.line, 2);
    EXPECT_EQ(k10.text(),
              QStringLiteral("K10 ostrzeżenie: Faktura FV/1, pole P_11 w wierszu 2: wartość netto 20,00 różni się "
                             "od ilości × ceny jednostkowej netto (120,00)"));
}

TEST_F(Kontrola, TotalsPerRateAndKind)
{
    invoice(QStringLiteral("FV/1"));
    invoice(QStringLiteral("FV/2"), {{"P_13_2", 50.0}, {"P_14_2", 4.0}, {"P_15", 177.0}});
    invoice(QStringLiteral("KOR/1"),
            {{"RodzajFaktury", QStringLiteral("KOREKTA")}, {"P_13_1", -10.0}, {"P_14_1", -2.3}});
    invoice(QStringLiteral("FV/3"), {{"KodWaluty", QStringLiteral("EUR")}, {"P_14_1W", 99.5}});
    const Totals t = ws.checkData().totals;
    EXPECT_EQ(t.count(QStringLiteral("VAT")), 3);
    EXPECT_EQ(t.count(QStringLiteral("KOREKTA")), 1);
    // per currency: the euro invoice apart, its tax in PLN beside it
    const Totals::Group *pln = t.find(QStringLiteral("VAT"), QStringLiteral("PLN"));
    const Totals::Group *eur = t.find(QStringLiteral("VAT"), QStringLiteral("EUR"));
    ASSERT_NE(pln, nullptr);
    ASSERT_NE(eur, nullptr);
    EXPECT_EQ(pln->count, 2);
    EXPECT_EQ(pln->byRate.at(QStringLiteral("23/22%")).net, 20000);
    EXPECT_EQ(pln->byRate.at(QStringLiteral("23/22%")).tax, 4600);
    EXPECT_EQ(pln->byRate.at(QStringLiteral("8/7%")).net, 5000);
    EXPECT_EQ(eur->byRate.at(QStringLiteral("23/22%")).net, 10000);
    EXPECT_EQ(eur->byRate.at(QStringLiteral("23/22%")).taxPln, 9950);
    EXPECT_EQ(t.find(QStringLiteral("KOREKTA"), QStringLiteral("PLN"))->byRate.at(QStringLiteral("23/22%")).tax, -230);

    // the report, as JSON and as a page readable offline
    {
        const Result<> done = ws.writeCheckReport(home.file(QStringLiteral("raport.json")));
        ASSERT_TRUE(done) << done.reason().toStdString();
    }
    const QJsonObject json = QJsonDocument::fromJson(home.read(QStringLiteral("raport.json"))).object();
    EXPECT_EQ(json.value(QStringLiteral("sumy"))
                  .toObject()
                  .value(QStringLiteral("VAT"))
                  .toObject()
                  .value(QStringLiteral("liczba"))
                  .toInt(),
              3);
    EXPECT_EQ(json.value(QStringLiteral("sumy"))
                  .toObject()
                  .value(QStringLiteral("VAT"))
                  .toObject()
                  .value(QStringLiteral("waluty"))
                  .toObject()
                  .value(QStringLiteral("EUR"))
                  .toObject()
                  .value(QStringLiteral("liczba"))
                  .toInt(),
              1);
    {
        const Result<> done = ws.writeCheckReport(home.file(QStringLiteral("raport.html")));
        ASSERT_TRUE(done) << done.reason().toStdString();
    }
    const QByteArray html = home.read(QStringLiteral("raport.html"));
    EXPECT_TRUE(html.startsWith("<!DOCTYPE html>"));
    EXPECT_TRUE(html.contains("KOREKTA, PLN (faktur: 1)"));
    EXPECT_TRUE(html.contains("VAT, EUR (faktur: 1)"));
    EXPECT_FALSE(html.contains("<script") || html.contains("http://") || html.contains("https://"));
    const Result<> txt = ws.writeCheckReport(home.file(QStringLiteral("raport.txt")));
    EXPECT_FALSE(txt);
    EXPECT_TRUE(txt.reason().contains(QStringLiteral(".json albo .html"))) << txt.reason().toStdString();
}

TEST(NipChecksum, Cases)
{
    const std::pair<const char *, bool> cases[] = {
        {"5261040828", true}, {"526-104-08-28", true}, {"526 104 08 28", true}, {"5261040829", false},
        {"526104082", false}, {"PL5261040828", false}, {"1234567890", false},   {"", false}};
    for (const auto &[nip, valid] : cases)
        EXPECT_EQ(DataChecks::nipValid(QString::fromLatin1(nip)), valid) << nip;
}

TEST(SchemaFindingsOfAFile, EveryErrorByRecordWithItsPolishReason)
{
    TempHome home;
    QFile::copy(QStringLiteral(TAVRIX_SCHEMAS "/Schemat_JPK_FA(4)_v1-0.xsd"),
                home.file(QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd")));
    QFile::link(QStringLiteral(TAVRIX_SCHEMAS), home.file(QStringLiteral("schemas")));
    QFile sample(QStringLiteral(TAVRIX_TEST_DATA "/jpk_fa4/rich_valid.xml"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    QByteArray text = sample.readAll();
    // three faults: the rate of FV/1's third line, the currency of FV/2, the date of FV/1
    const qsizetype third = text.indexOf("<P_12>zw</P_12>");
    text.replace(third, 15, "<P_12>24</P_12>");
    text.replace("<KodWaluty>EUR</KodWaluty>", "<KodWaluty>ZZZ</KodWaluty>");
    text.replace("<P_1>2023-07-03</P_1>", "<P_1>2023-13-03</P_1>");
    home.write(QStringLiteral("bledy.xml"), text);

    RecordingPort port;
    Workspace ws(&port);
    ws.start({}, home.path());
    {
        const Result<> done = ws.checkFile(home.file(QStringLiteral("bledy.xml")));
        ASSERT_TRUE(done) << done.reason().toStdString();
    }
    const QList<Finding> &f = ws.lastCheck().findings;
    ASSERT_EQ(f.size(), 3) << (f.isEmpty() ? std::string() : f.first().text().toStdString());
    QStringList texts;
    for (const Finding &x : f)
        texts << x.text();
    EXPECT_EQ(f.at(0).kind, QStringLiteral("Faktura"));
    EXPECT_EQ(f.at(0).invoice, QStringLiteral("FV/1/07/2023"));
    EXPECT_EQ(f.at(0).field, QStringLiteral("P_1"));
    EXPECT_EQ(f.at(1).invoice, QStringLiteral("FV/2/07/2023"));
    EXPECT_EQ(f.at(1).field, QStringLiteral("KodWaluty"));
    EXPECT_EQ(f.at(2).kind, QStringLiteral("FakturaWiersz"));
    EXPECT_EQ(f.at(2).line, 3);
    EXPECT_TRUE(f.at(2).text().startsWith(
        QStringLiteral("XSD błąd: Faktura FV/1/07/2023, pole P_12 (stawka podatku) w wierszu 3: "
                       "wartość 24 spoza dozwolonych: 23, 22, 8, 7, 5, 4, 3, 0, zw, oo, np")))
        << texts.join(u'\n').toStdString();
}

TEST(CheckReportOfMany, ASummaryOnTopTheFirstFindingsOfEachCodeAllInTheJson)
{
    TempHome home;
    CheckResult result;
    result.source = QStringLiteral("dane w tabelach");
    for (int i = 0; i < CheckReport::kShownPerCode + 500; ++i) {
        Finding f;
        f.code = QStringLiteral("K05");
        f.kind = QStringLiteral("Faktura");
        f.invoice = QStringLiteral("FV/%1").arg(i);
        f.field = QStringLiteral("P_15");
        f.message = QStringLiteral("kwota");
        result.findings.append(f);
    }
    Finding warning;
    warning.level = Finding::Level::Warning;
    warning.code = QStringLiteral("K10");
    warning.kind = QStringLiteral("FakturaWiersz");
    // the data's own text: controls and direction overrides never reach the page
    warning.invoice = QStringLiteral("FV/\x1b[31m1\u202Eodwrocone\x7f\x01");
    result.findings.append(warning);
    {
        const Result<> done = CheckReport::write(result, home.file(QStringLiteral("r.html")));
        ASSERT_TRUE(done) << done.reason().toStdString();
    }
    const QByteArray html = home.read(QStringLiteral("r.html"));
    const qsizetype summary = html.indexOf("<h2>Podsumowanie</h2>"), findings = html.indexOf("<h2>Ustalenia</h2>");
    ASSERT_GE(summary, 0);
    EXPECT_LT(summary, findings);
    EXPECT_TRUE(html.contains("<td>K05</td><td class=\"n\">1500</td>")) << html.left(2000).constData();
    EXPECT_EQ(html.count("<tr class=\"blad\"><td>błąd</td><td>K05</td><td>Faktura</td>"), CheckReport::kShownPerCode);
    EXPECT_TRUE(html.contains("pokazano pierwsze 1000 z 1500"));
    EXPECT_TRUE(html.contains("FV/[31m1odwrocone"));
    EXPECT_FALSE(html.contains('\x1b') || html.contains('\x7f') || html.contains('\x01') || html.contains("\u202E"));
    {
        const Result<> done = CheckReport::write(result, home.file(QStringLiteral("r.json")));
        ASSERT_TRUE(done) << done.reason().toStdString();
    }
    const QJsonObject json = QJsonDocument::fromJson(home.read(QStringLiteral("r.json"))).object();
    EXPECT_EQ(json.value(QStringLiteral("ustalenia")).toArray().size(), 1501);
    EXPECT_EQ(json.value(QStringLiteral("bledy")).toInt(), 1500);
}

TEST(SchemaFindingsOfAFile, ReasonsInPlainPolishWithTheSchemasOwnLimits)
{
    const QString ns = QStringLiteral("{http://jpk.mf.gov.pl/wzor/2022/02/17/02171/}");
    struct Case
    {
        QString message; // as libxml2 words it
        QString reason;
    };
    QString codes;
    for (int i = 200; i < 600; ++i)
        codes += QStringLiteral("'%1', ").arg(i, 4, 10, QLatin1Char('0'));
    codes.chop(2);
    const Case cases[] = {
        {QStringLiteral("Element '%1P_2A': [facet 'maxLength'] The value has a length of '257'; this exceeds the "
                        "allowed maximum length of '256'.")
             .arg(ns),
         QStringLiteral("wartość jest za długa: ma 257 znaków, a dozwolone jest najwyżej 256")},
        {QStringLiteral("Element '%1P_15': 'abc' is not a valid value of the atomic type '%1TKwotowy'.").arg(ns),
         QStringLiteral("wartość abc nie jest poprawna: oczekiwano – kwota, np. 1234.56")},
        {QStringLiteral("Element '%1P_16': 'tak' is not a valid value of the atomic type 'xs:boolean'.").arg(ns),
         QStringLiteral("wartość tak nie jest poprawna: oczekiwano – true albo false")},
        {QStringLiteral("Element '%1P_3A': This element is not expected. Expected is ( %1P_2A ).").arg(ns),
         QStringLiteral("w tym miejscu powinien być element P_2A, a jest P_3A: brak elementu P_2A albo elementy są "
                        "w złej kolejności")},
        {QStringLiteral("Element '%1P_16': This element is not expected. Expected is one of ( %1P_15, %1P_13_7 ).")
             .arg(ns),
         QStringLiteral("w tym miejscu powinien być jeden z elementów P_15, P_13_7, a jest P_16: brak wymaganego "
                        "elementu albo elementy są w złej kolejności")},
        {QStringLiteral("Element '%1KodUrzedu': [facet 'enumeration'] The value '9999' is not an element of the set "
                        "{%2}.")
             .arg(ns, codes),
         QStringLiteral("wartość 9999 spoza słownika dozwolonych wartości tego pola (400 pozycji)")},
        {QStringLiteral("Element '%1NIP': [facet 'pattern'] The value '12345' is not accepted by the pattern "
                        "'[1-9]((\\d[1-9])|([1-9]\\d))\\d{7}'.")
             .arg(ns),
         QStringLiteral("wartość 12345 nie ma wymaganej postaci")},
        {QStringLiteral("Element '%1P_13_1': [facet 'fractionDigits'] The value '1.234' has more fractional digits "
                        "than are allowed ('2').")
             .arg(ns),
         QStringLiteral("wartość 1.234 ma za dużo cyfr po przecinku (dozwolone najwyżej 2)")},
        {QStringLiteral("Element '%1P_8B': [facet 'minExclusive'] The value '0' must be greater than '0'.").arg(ns),
         QStringLiteral("wartość 0 musi być większa niż 0")},
        {QStringLiteral("Element '%1LiczbaFaktur': [facet 'minInclusive'] The value '-1' is less than the minimum "
                        "value allowed ('0').")
             .arg(ns),
         QStringLiteral("wartość -1 jest mniejsza niż dozwolone minimum 0")},
    };
    for (const Case &c : cases) {
        QString element, value;
        EXPECT_EQ(SchemaFindings::polishReason(c.message, &element, &value), c.reason)
            << c.message.left(120).toStdString();
    }
    // a value of megabytes is shown by its start
    QString element, value;
    const QString reason = SchemaFindings::polishReason(
        QStringLiteral("Element '%1P_15': '%2' is not a valid value of the atomic type '%1TKwotowy'.")
            .arg(ns, QString(1000000, u'9') + u'x'),
        &element, &value);
    EXPECT_LT(reason.size(), 400);
    EXPECT_LT(value.size(), 300);
    EXPECT_TRUE(value.endsWith(QStringLiteral("(1000001 znaków)"))) << value.right(40).toStdString();
}

TEST(SchemaFindingsOfAFile, ErrorsAfterADuplicatedMissingOrSwappedElementAreFoundToo)
{
    TempHome home;
    QFile::link(QStringLiteral(TAVRIX_SCHEMAS), home.file(QStringLiteral("schemas")));
    QFile sample(QStringLiteral(TAVRIX_TEST_DATA "/jpk_fa4/rich_valid.xml"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray valid = sample.readAll();
    struct Case
    {
        const char *what;
        QByteArray from, to;
    };
    // each breaks the order of FV/1 and then puts a wrong value further on (P_16 "tak")
    const Case cases[] = {
        {"a swapped pair", "<P_3A>Nabywca Sp. z o.o.</P_3A>\n    <P_3B>ul. Długa 5, 80-001 Gdańsk</P_3B>",
         "<P_3B>ul. Długa 5, 80-001 Gdańsk</P_3B>\n    <P_3A>Nabywca Sp. z o.o.</P_3A>"},
        {"a duplicated element", "<P_3C>Przykładowa Spółka z o.o.</P_3C>",
         "<P_3C>Przykładowa Spółka z o.o.</P_3C><P_3C>Drugi</P_3C>"},
        {"a missing element", "<P_2A>FV/1/07/2023</P_2A>", ""},
    };
    RecordingPort port;
    Workspace ws(&port);
    ws.start({}, home.path());
    for (const Case &c : cases) {
        QByteArray text = valid;
        const qsizetype at = text.indexOf(c.from);
        ASSERT_GE(at, 0) << c.what;
        text.replace(at, c.from.size(), c.to); // in FV/1 only
        const qsizetype first = text.indexOf("<P_16>false</P_16>");
        text.replace(first, 18, "<P_16>tak</P_16>");
        home.write(QStringLiteral("bledy.xml"), text);
        {
            const Result<> done = ws.checkFile(home.file(QStringLiteral("bledy.xml")));
            ASSERT_TRUE(done) << done.reason().toStdString();
        }
        QStringList fields;
        for (const Finding &f : ws.lastCheck().findings)
            fields << f.field;
        QStringList texts;
        for (const Finding &f : ws.lastCheck().findings)
            texts << f.text() + QString::number(f.fileLine);
        EXPECT_EQ(fields.size(), 2) << c.what << ": " << texts.join(u'\n').toStdString();
        EXPECT_TRUE(fields.contains(QStringLiteral("P_16"))) << c.what << ": " << fields.join(u' ').toStdString();
        for (const Finding &f : ws.lastCheck().findings)
            EXPECT_EQ(f.kind, QStringLiteral("Faktura")) << c.what << ": " << f.text().toStdString();
    }
}

TEST(SchemaFindingsOfAFile, ControlSumsThatLieAreFound)
{
    TempHome home;
    QFile::link(QStringLiteral(TAVRIX_SCHEMAS), home.file(QStringLiteral("schemas")));
    QFile sample(QStringLiteral(TAVRIX_TEST_DATA "/jpk_fa4/rich_valid.xml"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray valid = sample.readAll();
    RecordingPort port;
    Workspace ws(&port);
    ws.start({}, home.path());
    // the valid file: its sums are right
    home.write(QStringLiteral("dobry.xml"), valid);
    {
        const Result<> done = ws.checkFile(home.file(QStringLiteral("dobry.xml")));
        ASSERT_TRUE(done) << done.reason().toStdString();
    }
    EXPECT_TRUE(ws.lastCheck().findings.isEmpty()) << ws.lastCheck().findings.first().text().toStdString();
    // one more invoice counted, a grosz more in the lines' sum: valid for the schema, wrong for an office
    QByteArray text = valid;
    const QRegularExpression count(QStringLiteral("<LiczbaFaktur>(\\d+)</LiczbaFaktur>"));
    const QRegularExpressionMatch m = count.match(QString::fromUtf8(text));
    ASSERT_TRUE(m.hasMatch());
    text.replace(m.captured(0).toUtf8(),
                 QStringLiteral("<LiczbaFaktur>%1</LiczbaFaktur>").arg(m.captured(1).toInt() + 1).toUtf8());
    const QRegularExpression lines(QStringLiteral("<WartoscWierszyFaktur>([-0-9.]+)</WartoscWierszyFaktur>"));
    const QRegularExpressionMatch l = lines.match(QString::fromUtf8(text));
    ASSERT_TRUE(l.hasMatch());
    const QString wrong = QString::number(l.captured(1).toDouble() + 0.01, 'f', 2);
    text.replace(l.captured(0).toUtf8(),
                 QStringLiteral("<WartoscWierszyFaktur>%1</WartoscWierszyFaktur>").arg(wrong).toUtf8());
    home.write(QStringLiteral("sumy.xml"), text);
    {
        const Result<> done = ws.checkFile(home.file(QStringLiteral("sumy.xml")));
        ASSERT_TRUE(done) << done.reason().toStdString();
    }
    QStringList got;
    for (const Finding &f : ws.lastCheck().findings)
        got << QStringLiteral("%1 %2 %3").arg(f.code, f.kind, f.field);
    EXPECT_EQ(got, QStringList({QStringLiteral("K12 FakturaCtrl LiczbaFaktur"),
                                QStringLiteral("K12 FakturaWierszCtrl WartoscWierszyFaktur")}));
    EXPECT_EQ(ws.lastCheck().errors(), 2);
}

} // namespace
