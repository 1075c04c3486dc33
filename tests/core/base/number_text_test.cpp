#include "base/characters.h"
#include "base/number_text.h"

#include <gtest/gtest.h>

namespace {

// Amounts as the schema's type holds them (16 integer digits, 2 decimals): the double's own
// shortest text, rounded once.
TEST(NumberText, AmountsToTheLastDigit)
{
    struct Case
    {
        double value;
        int decimals;
        const char *text;
    };
    const Case cases[] = {
        {12345678901234.56, 2, "12345678901234.56"},
        {99999999999999.98, 2, "99999999999999.98"},
        {-99999999999999.98, 2, "-99999999999999.98"},
        {0.004999999999999999, 2, "0.00"}, // once rounded, not twice
        {0.005, 2, "0.01"},                // an exact half as typed goes away from zero
        {1.005, 2, "1.01"},
        {-0.004, 2, "0.00"}, // no "-0.00"
        {2.5, 0, "3"},
        {1.234567, 6, "1.234567"},
        {2.561, 6, "2.561000"},
        {0.1 + 0.2, 2, "0.30"},
        {1e-7, 2, "0.00"},
        {123456789012345678.0, 2, "123456789012345680.00"},
        {9.995, 2, "10.00"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NumberText::fixed(c.value, c.decimals).toStdString(), c.text) << c.value;
    EXPECT_TRUE(NumberText::fixed(std::numeric_limits<double>::infinity(), 2).isEmpty());
    // a control sum of many amounts keeps its grosze
    long double sum = 100000000000000.0L;
    sum += 12345678901234.54;
    EXPECT_EQ(NumberText::fixed(sum, 2), QStringLiteral("112345678901234.54"));
}

TEST(Characters, CountAndCutByCodePoints)
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // one character, two UTF-16 units
    const QString text = QStringLiteral("ab") + emoji + QStringLiteral("c") + emoji;
    EXPECT_EQ(Characters::count(text), 5);
    EXPECT_EQ(Characters::first(text, 3).toString(), QStringLiteral("ab") + emoji);
    EXPECT_EQ(Characters::first(text, 2).toString(), QStringLiteral("ab")); // never half of one
    EXPECT_EQ(Characters::first(text, 10).toString(), text);
    EXPECT_FALSE(Characters::longerThan(text, 5));
    EXPECT_TRUE(Characters::longerThan(text, 4));
    // a lone surrogate counts as one
    EXPECT_EQ(Characters::count(QString(QString(QChar(0xD800)) + QStringLiteral("x"))), 2);
}

} // namespace

#include "app/workspace.h"
#include "support/recording_port.h"
#include "tables/pod_array.h"

namespace {

// Sizes past what memory can hold are refused, never wrapped around.
TEST(PodArray, SizesPastTheAddressSpaceAreRefused)
{
    PodArray<quint64> a;
    const quint64 one = 1;
    a.append(&one, 1);
    EXPECT_THROW(a.append(&one, std::numeric_limits<size_t>::max() / 4), std::bad_alloc);
    EXPECT_THROW(a.resize(std::numeric_limits<size_t>::max() / 2, 0), std::bad_alloc);
    EXPECT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0], 1u);
    a.resize(100000, 7);
    EXPECT_EQ(a[99999], 7u);
}

// An exception a command lets out ends it at the Workspace with its reason in Polish and the
// tables as they were.
TEST(Workspace, AnExceptionEndsTheCommandWithTheTablesAsTheyWere)
{
    RecordingPort port;
    Workspace ws(&port);
    ws.tables().mt_FAK_.append();
    ws.tables().mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/1"));
    ws.tables().mt_FAK_.post();
    EXPECT_FALSE(ws.runLong(QStringLiteral("Importuj Dane"), true, [&] {
        DocumentTable &fak = ws.tables().mt_FAK_;
        fak.beginAppend();
        fak.setNew(QStringLiteral("P_2A"), QStringLiteral("FV/2"));
        fak.commitAppend();
        throw std::length_error("kolumna tekstów tabeli przekroczyłaby 4 Gi znaków");
        return true;
    }));
    EXPECT_EQ(port.messages.last().text,
              QStringLiteral("Importuj Dane: polecenie przerwał błąd: kolumna tekstów tabeli przekroczyłaby 4 Gi "
                             "znaków. Tabele pozostały bez zmian."));
    EXPECT_EQ(ws.tables().mt_FAK_.storedCount(), 1);
    EXPECT_FALSE(ws.isBusy());
}

} // namespace
