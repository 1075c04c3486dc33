#include "base/user_port.h"
#include "support/recording_port.h"
#include "tables/document_tables.h"
#include "tables/row_view.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

using namespace RowView;

// Texts as a Polish reader orders them: the alphabet with its own letters, case aside, numbers
// inside texts as numbers.
TEST(PolishOrder, TextsSortAsAPolishReaderExpects)
{
    const struct
    {
        const char *before, *after;
    } cases[] = {
        {"a", "ą"},
        {"ą", "b"},
        {"c", "ć"},
        {"ć", "d"},
        {"l", "ł"},
        {"ł", "m"},
        {"n", "ń"},
        {"ń", "o"},
        {"o", "ó"},
        {"ó", "p"},
        {"p", "q"},
        {"q", "r"},
        {"s", "ś"},
        {"ś", "t"},
        {"z", "ź"},
        {"ź", "ż"},
        {"Lublin", "Łódź"}, // ł after l, whatever follows
        {"zebra", "Żabka"},
        {"Ábel", "Adam"},
        {"élan", "ewa"}, // other accents beside their letter
        {"FV/2/2023", "FV/10/2023"},
        {"FV/007", "FV/8"},
        {"9", "10"},
        {"", "a"},
        {"Kowalski Jan", "Kowalska-Nowak"}, // space before letters
        {"1abc", "abc"},                    // digits before letters
    };
    for (const auto &c : cases) {
        const std::string a = collationKey(QString::fromUtf8(c.before));
        const std::string b = collationKey(QString::fromUtf8(c.after));
        // "Kowalski Jan" vs "Kowalska": a comes before i, so the space does not decide there
        if (QString::fromUtf8(c.before).startsWith(u"Kowalski"))
            EXPECT_GT(a, b) << c.before << " / " << c.after;
        else
            EXPECT_LT(a, b) << c.before << " / " << c.after;
    }
    EXPECT_EQ(collationKey(u"Żółw"), collationKey(u"żÓŁW"));
    EXPECT_EQ(collationKey(u"FV/007"), collationKey(u"FV/7"));
}

class Views : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
        // number, buyer, date, amount (null where empty)
        const struct
        {
            const char *number, *buyer, *date;
            double amount;
        } rows[] = {
            {"FV/10/2023", "Żabka sp. z o.o.", "2023-08-05", 100.0},
            {"FV/2/2023", "Łukasz Ćwik", "2023-08-01", -20.5},
            {"FV/1/2023", "adam", "", 1e13 + 0.01},
            {"FV/3/2023", "", "2023-07-31", 100.0},
            {"fv/20/2023", "Zenon", "2023-08-31", 0.0},
        };
        for (const auto &r : rows) {
            fak.append();
            fak.setValue(QStringLiteral("P_2A"), QString::fromUtf8(r.number));
            fak.setValue(QStringLiteral("P_3A"), QString::fromUtf8(r.buyer));
            if (*r.date)
                fak.setValue(QStringLiteral("P_1"), QDate::fromString(QString::fromLatin1(r.date), Qt::ISODate));
            if (QString::fromUtf8(r.number) != u"FV/3/2023")
                fak.setValue(QStringLiteral("P_15"), r.amount);
            fak.post();
        }
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    int field(const char *name) const { return fak.fieldIndex(QString::fromLatin1(name)); }
    QStringList numbers(const std::vector<int> &positions) const
    {
        QStringList out;
        for (int p : positions)
            out << fak.stringAt(fak.presentedRow(p), field("P_2A"));
        return out;
    }
    std::vector<int> all() const
    {
        std::vector<int> p(size_t(fak.recordCount()));
        for (size_t i = 0; i < p.size(); ++i)
            p[i] = int(i);
        return p;
    }
    QStringList sorted(const char *name, bool descending) const
    {
        std::vector<int> p = all();
        sortPositions(fak, field(name), descending, p, {});
        return numbers(p);
    }
    QStringList filtered(const char *name, const char *condition) const
    {
        const int f = field(name);
        const Result<Condition> c = parseCondition(fak.fields().at(f), f, QString::fromUtf8(condition));
        if (!c)
            return {QStringLiteral("refused: ") + c.reason()};
        return numbers(filterPositions(fak, {*c}, {}, {}));
    }

    RecordingPort port;
    DocumentTables t{&port};
    DocumentTable &fak = t.mt_FAK_;
};

TEST_F(Views, SortByNumbersDatesAndTextsKeepsTheTablesOrder)
{
    const struct
    {
        const char *field;
        bool descending;
        const char *expected;
    } cases[] = {
        // empty first; equal amounts (FV/10 and... none) keep table order
        {"P_15", false, "FV/3/2023 FV/2/2023 fv/20/2023 FV/10/2023 FV/1/2023"},
        {"P_15", true, "FV/1/2023 FV/10/2023 fv/20/2023 FV/2/2023 FV/3/2023"},
        {"P_1", false, "FV/1/2023 FV/3/2023 FV/2/2023 FV/10/2023 fv/20/2023"},
        {"P_1", true, "fv/20/2023 FV/10/2023 FV/2/2023 FV/3/2023 FV/1/2023"},
        {"P_2A", false, "FV/1/2023 FV/2/2023 FV/3/2023 FV/10/2023 fv/20/2023"},
        {"P_3A", false, "FV/3/2023 FV/1/2023 FV/2/2023 fv/20/2023 FV/10/2023"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(sorted(c.field, c.descending).join(u' '), QString::fromLatin1(c.expected))
            << c.field << (c.descending ? " descending" : "");
    // the table itself did not move
    EXPECT_EQ(numbers(all()).join(u' '), QStringLiteral("FV/10/2023 FV/2/2023 FV/1/2023 FV/3/2023 fv/20/2023"));
}

TEST_F(Views, EqualValuesKeepTheirOrderBothWays)
{
    fak.empty();
    for (int i = 0; i < 3000; ++i) {
        fak.append();
        fak.setValue(QStringLiteral("P_2A"), QStringLiteral("X/%1").arg(i));
        fak.setValue(QStringLiteral("P_15"), double(i % 3));
        fak.post();
    }
    for (bool descending : {false, true}) {
        std::vector<int> p = all();
        sortPositions(fak, field("P_15"), descending, p, {});
        for (size_t i = 1; i < p.size(); ++i) {
            const double a = fak.floatAt(fak.presentedRow(p[i - 1]), field("P_15"));
            const double b = fak.floatAt(fak.presentedRow(p[i]), field("P_15"));
            ASSERT_TRUE(descending ? a >= b : a <= b) << i;
            if (a == b) {
                ASSERT_LT(p[i - 1], p[i]) << i;
            }
        }
    }
}

TEST_F(Views, FilterConditions)
{
    const struct
    {
        const char *field, *condition, *expected;
    } cases[] = {
        {"P_3A", "ŁUKASZ", "FV/2/2023"},
        {"P_3A", "z", "FV/10/2023 FV/2/2023 fv/20/2023"},
        {"P_3A", "=zenon", "fv/20/2023"},
        {"P_3A", "puste", "FV/3/2023"},
        {"P_3A", "niepuste", "FV/10/2023 FV/2/2023 FV/1/2023 fv/20/2023"},
        {"P_15", "100", "FV/10/2023"},
        {"P_15", "0..100", "FV/10/2023 fv/20/2023"},
        {"P_15", ">0", "FV/10/2023 FV/1/2023"},
        {"P_15", "<=0", "FV/2/2023 fv/20/2023"},
        {"P_15", "-20,5", "FV/2/2023"},
        {"P_15", "10 000 000 000 000,01", "FV/1/2023"}, // fourteen digits, to the cent
        {"P_15", "puste", "FV/3/2023"},
        {"P_15", "..0", "FV/2/2023 fv/20/2023"},
        {"P_1", "01.08.2023..31.08.2023", "FV/10/2023 FV/2/2023 fv/20/2023"},
        {"P_1", "<2023-08-01", "FV/3/2023"},
        {"P_1", "puste", "FV/1/2023"},
        {"P_15", "dużo",
         "refused: „dużo” nie jest warunkiem dla pola P_15 (KwotaOgółem); oczekiwane np. 100..200, "
         ">1000, <=0, puste, niepuste."},
        {"P_1", "sierpień",
         "refused: „sierpień” nie jest warunkiem dla pola P_1 (DataWystawienia); oczekiwane np. "
         "01.08.2023..31.08.2023, puste, niepuste."},
    };
    for (const auto &c : cases)
        EXPECT_EQ(filtered(c.field, c.condition).join(u' '), QString::fromUtf8(c.expected))
            << c.field << " " << c.condition;
}

TEST_F(Views, TheNumberIndexAnswersOnlyWhatTheTableHoldsNow)
{
    TextIndex index;
    index.build(fak, field("P_2A"), {});
    EXPECT_EQ(index.rowsOf(fak, u"fv/2/2023"), std::vector<int>{1});
    EXPECT_EQ(index.rowsOf(fak, u" FV/20/2023 "), std::vector<int>{4});
    EXPECT_TRUE(index.rowsOf(fak, u"FV/2").empty());
    // a changed number: the old one is no longer found, the new one is
    fak.moveTo(1);
    fak.edit();
    fak.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/777777/2023"));
    fak.post();
    index.noteRow(1);
    EXPECT_TRUE(index.rowsOf(fak, u"FV/2/2023").empty());
    EXPECT_EQ(index.rowsOf(fak, u"fv/777777/2023"), std::vector<int>{1});
    // an added record with a number already there: both
    fak.append();
    fak.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/10/2023"));
    fak.post();
    index.noteRow(fak.bookmark());
    EXPECT_EQ(index.rowsOf(fak, u"FV/10/2023"), (std::vector<int>{0, 5}));
    // a deleted record is not answered
    t.linkLinesToInvoices();
    fak.moveTo(0);
    port.queueAnswer(true); // "Usunąć fakturę z pozycjami ?"
    ASSERT_TRUE(fak.remove());
    EXPECT_EQ(index.rowsOf(fak, u"FV/10/2023"), std::vector<int>{5});
}

TEST_F(Views, AStoppedSortLeavesThePositionsAsTheyWere)
{
    for (int i = 0; i < 100000; ++i) {
        fak.append();
        fak.setValue(QStringLiteral("P_2A"), QStringLiteral("X/%1").arg(i));
        fak.setValue(QStringLiteral("P_15"), double((i * 7919) % 1000));
        fak.post();
    }
    // a pump that stops the walk of the keys (its first call), or the comparing (the second
    // half of the gauge): either way the positions are as they were and the index unbuilt
    const struct
    {
        const char *when;
        bool comparing;
    } cases[] = {{"in the keys' walk", false}, {"while comparing", true}};
    for (const auto &c : cases) {
        std::vector<int> p = all();
        const std::vector<int> before = p;
        int calls = 0;
        auto stopping = [&](qint64 done, qint64 total) {
            ++calls;
            if (!c.comparing || done >= total / 2)
                throw CommandCancelled{};
        };
        EXPECT_THROW(sortPositions(fak, field("P_15"), false, p, stopping), CommandCancelled) << c.when;
        EXPECT_EQ(p, before) << c.when;
        EXPECT_GE(calls, 1) << c.when;
        TextIndex index;
        EXPECT_THROW(index.build(fak, field("P_2A"), stopping), CommandCancelled) << c.when;
        EXPECT_FALSE(index.isBuilt()) << c.when;
    }
}

} // namespace
