#include "import/external_app.h"
#include "support/recording_port.h"
#include "tables/column_sum.h"
#include "tables/document_tables.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

class Sums : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
    QString sum(DocumentTable &table, const char *field)
    {
        port.messages.clear();
        showColumnSum(table, table.fieldIndex(QString::fromLatin1(field)), &port);
        return port.messages.size() == 1 ? port.messages.first().text : QString();
    }
    RecordingPort port;
    DocumentTables t{&port};
};

TEST_F(Sums, AmountColumnsAndRefusals)
{
    EXPECT_EQ(sum(t.mt_FAK_, "P_15"), QStringLiteral("Suma wg pola [KwotaOgółem] = 0.00\rNazwaXML: <P_15/>"));
    for (double v : {1234.567, -0.004, 1000000.0, 0.0}) {
        t.mt_FAK_.append();
        t.mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/%1").arg(v));
        t.mt_FAK_.setValue(QStringLiteral("P_15"), v);
        t.mt_FAK_.post();
    }
    t.mt_FAK_.append();
    t.mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/null"));
    t.mt_FAK_.post();
    t.mt_FAK_.moveTo(1);
    EXPECT_EQ(sum(t.mt_FAK_, "P_15"), QStringLiteral("Suma wg pola [KwotaOgółem] = 1,001,234.56\rNazwaXML: <P_15/>"));
    EXPECT_EQ(t.mt_FAK_.position(), 1); // the current record stays
    EXPECT_EQ(sum(t.mt_FAK_, "P_2A"), QStringLiteral("Aktywna kolumna [NumerFaktury] nie jest klasy \"KWOTA\""));
    EXPECT_EQ(sum(t.mt_FAK_, "P_1"), QStringLiteral("Aktywna kolumna [DataWystawienia] nie jest klasy \"KWOTA\""));
    EXPECT_EQ(sum(t.mt_FAK_, "RodzajFaktury"),
              QStringLiteral("Aktywna kolumna [RodzajFaktury] nie jest klasy \"KWOTA\""));
    EXPECT_EQ(sumText(-1234.5), QStringLiteral("-1,234.50"));
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    EXPECT_EQ(sumText(-1234.5), QStringLiteral("-1") + QLocale().groupSeparator() + QStringLiteral("234,50"));
}

TEST_F(Sums, LinesOfTheCurrentInvoiceWhileLinked)
{
    for (const char *number : {"FV/1", "FV/2"}) {
        t.mt_FAK_.append();
        t.mt_FAK_.setValue(QStringLiteral("P_2A"), QString::fromLatin1(number));
        t.mt_FAK_.post();
        for (double q : {1.25, 2.5}) {
            t.mt_POZ_.append();
            t.mt_POZ_.setValue(QStringLiteral("P_8B"), q);
            t.mt_POZ_.setValue(QStringLiteral("P_11"), 10 * q);
            t.mt_POZ_.post();
        }
    }
    EXPECT_EQ(sum(t.mt_POZ_, "P_8B"), QStringLiteral("Suma wg pola [Ilość] = 7.50\rNazwaXML: <P_8B/>"));
    t.linkLinesToInvoices();
    EXPECT_EQ(sum(t.mt_POZ_, "P_11"),
              QStringLiteral("Suma wg pola [WartośćTransakcjiNetto] = 37.50\rNazwaXML: <P_11/>"));
}

TEST(ExternalApplication, ParameterTexts)
{
    struct Case
    {
        const char *templ;
        const char *expected; // nullptr: the template cannot be filled
    };
    const Case cases[] = {
        {"-JPK_FK -od:%0:s -do:%1:s -plik:%2:s", "-JPK_FK -od:01-08-2023 -do:31-08-2023 -plik:jpk dane.txt"},
        {"%s %s %s", "01-08-2023 31-08-2023 jpk dane.txt"},
        {"%1:s %s", "31-08-2023 jpk dane.txt"},
        {"100%% %2:s", "100% jpk dane.txt"},
        {"bez parametrów", "bez parametrów"},
        {"", ""},
        {"%-12s|%.2s", "01-08-2023  |31"},
        {"%3:s", nullptr},
        {"%d", nullptr},
        {"%0:s %s %s %s", nullptr},
        {"50%", nullptr},
        {"%2147483647s", nullptr}, // once 4 GB of spaces
        {"%99999999999s", nullptr},
        {"%.2147483647s", nullptr},
    };
    for (const Case &c : cases) {
        const Result<QString> result = ExternalApp::formatParams(
            QString::fromUtf8(c.templ),
            {QStringLiteral("01-08-2023"), QStringLiteral("31-08-2023"), QStringLiteral("jpk dane.txt")});
        EXPECT_EQ(result.ok(), c.expected != nullptr) << c.templ;
        if (c.expected)
            EXPECT_EQ(*result, QString::fromUtf8(c.expected)) << c.templ;
        else
            EXPECT_FALSE(result.reason().isEmpty()) << c.templ;
    }
    const QDate d(2023, 8, 31);
    EXPECT_EQ(ExternalApp::dateForApplication(d, 0), QStringLiteral("31-08-2023"));
    EXPECT_EQ(ExternalApp::dateForApplication(d, 1), QStringLiteral("2023-08-31"));
    EXPECT_EQ(ExternalApp::dateForApplication(d, 2), QStringLiteral("31082023"));
    EXPECT_EQ(ExternalApp::dateForApplication(d, 3), QStringLiteral("20230831"));
}

} // namespace
