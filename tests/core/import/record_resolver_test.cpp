#include "base/controls.h"
#include "import/mapping_grid.h"
#include "import/mapping_tables.h"
#include "import/record_resolver.h"
#include "support/recording_port.h"
#include "tables/document_tables.h"

#include <gtest/gtest.h>

namespace {

// Field 3 is "5", field 4 "PL", field 5 empty; entry 5 is "Polska", entry 3 "brak".
const QString kLine = QStringLiteral("POZ;Śruby;5;PL;;x;y;z;q;w");

class Resolver : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BuildRecordMap(t.mt_POZ_, map, 0);
        BuildSubstMap(subst);
        subst.setCell(1, 5, QStringLiteral("Polska"));
        subst.setCell(1, 3, QStringLiteral("brak"));
        format = ImportFormat::fromControls(controls);
        format.separator = u';';
    }
    // One mapping row for P_7 (row 2) with the given cells; returns what P_7 received.
    QVariant resolve(const QString &number, const QString &expression, const QString &condition, bool *added = nullptr)
    {
        map.setCell(3, 2, number);
        map.setCell(4, 2, expression);
        map.setCell(5, 2, condition);
        RecordResolver r(map, t.mt_POZ_, QStringLiteral("pozycji faktur"), subst, &port);
        const int before = t.mt_POZ_.storedCount();
        const bool ok = r.importRecordLine(kLine, format);
        if (added)
            *added = ok;
        if (!ok || t.mt_POZ_.storedCount() == before)
            return QStringLiteral("<nothing>");
        return t.mt_POZ_.valueAt(t.mt_POZ_.storedCount() - 1, 1);
    }

    RecordingPort port;
    DocumentTables t{&port};
    Controls controls;
    ImportFormat format;
    MappingGrid map{QStringLiteral("tab_POS"), 6, 3};
    MappingGrid subst{QStringLiteral("SG_DEFAULT"), 2, 1};
};

TEST_F(Resolver, DefaultValueExpressions)
{
    struct Case
    {
        const char *expression;
        QVariant expected;
    };
    const Case cases[] = {
        {"Kraj: #(@4)", QStringLiteral("Kraj: PL")},
        {"#(3)", QStringLiteral("brak")},
        {"#(@3:T)", QStringLiteral("Polska")},
        {"#(@3) to #(@3:T)", QStringLiteral("5 to Polska")},
        {"#(@4:[PL=Polska|DE=Niemcy])", QStringLiteral("Polska")},
        {"#(@4:[DE=Niemcy|zagranica])", QStringLiteral("zagranica")},
        {"#(@4:[DE=Niemcy])", QVariant()},
        {"#(@5:[=brak])", QStringLiteral("brak")},
        {"#(41)", QVariant()},
        {"#(0)", QVariant()},
        {"#(@99)", QVariant()},
        {"#(@)", QVariant()},
        {"(brak)", QStringLiteral("(brak)")},
        {"  Brak adresu  ", QStringLiteral("Brak adresu")},
        {"#(@3:X)", QStringLiteral("Polska")},
        {"", QVariant()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(resolve(QString(), QString::fromUtf8(c.expression), QString()), c.expected) << c.expression;
    EXPECT_TRUE(port.messages.isEmpty());
}

TEST_F(Resolver, AReferenceTakesTheFirstNumberOfTheTenCharactersAfterIt)
{
    // the number of a reference is the first among the ten characters after "#(", even past
    // its ")"; with none there it yields nothing, and an earlier row's expanded default (the
    // field -1) is never read back
    map.setCell(4, 1, QStringLiteral("Poprzednia"));
    struct Case
    {
        const char *expression;
        QVariant expected;
    };
    const Case cases[] = {
        {"#(@)", QVariant()},
        {"#(@:T)", QVariant()},
        {"#(@:[=a|b])", QVariant()},
        {"#( )", QVariant()},
        {"x#(@)y", QStringLiteral("xy")},
        {"#(@)3", QStringLiteral("53")},                  // field 3, then the text "3"
        {"#(@) - #(@3:T)", QStringLiteral("5 - Polska")}, // field 3 twice: its text, then its entry
        {"#(@)        #(@4)", QStringLiteral("PL")},      // nothing within ten characters
    };
    for (const Case &c : cases) {
        const QVariant got = resolve(QString(), QString::fromUtf8(c.expression), QString());
        EXPECT_EQ(got, c.expected) << c.expression << " gave " << got.toString().toStdString();
    }
}

TEST_F(Resolver, Conditions)
{
    struct Case
    {
        const char *number;
        const char *expression;
        const char *condition;
        QVariant expected;
        bool added;
    };
    const Case cases[] = {
        {"2", "", "@IF(5||ABORT)", QStringLiteral("<nothing>"), false},
        {"2", "", "@IFN(5||ABORT)", QStringLiteral("Śruby"), true},
        {"4", "", "@IF(4|PL|IGNORE)", QVariant(), true},
        {"4", "", "@IF(4|pl|IGNORE)", QStringLiteral("PL"), true},
        {"4", "#(@3:T)", "@IF(4|PL|DEF)", QStringLiteral("Polska"), true},
        {"4", "", "@IF(4|PL|DEF)", QVariant(), true},
        {"4", "", "@IF(4|PL)", QStringLiteral("PL"), true},
        {"4", "", "@IF(4|PL| IGNORE)", QStringLiteral("PL"), true},
        {"4", "", "@IF(4|PL|abort)", QStringLiteral("PL"), true},
        {"4", "", "@(IF(4|PL|IGNORE)", QVariant(), true},
        {"4", "", "@IFN(4|DE|IGNORE)", QVariant(), true},
        {"3", "", "", QStringLiteral("5"), true},
        {"5", "#(@4)", "", QStringLiteral("PL"), true}, // an empty field takes the default
        {" 4", "", "", QStringLiteral("PL"), true},
        {"x", "stała", "", QStringLiteral("stała"), true},
    };
    for (const Case &c : cases) {
        bool added = false;
        EXPECT_EQ(resolve(QString::fromLatin1(c.number), QString::fromUtf8(c.expression),
                          QString::fromUtf8(c.condition), &added),
                  c.expected)
            << c.condition << " " << c.expression;
        EXPECT_EQ(added, c.added) << c.condition;
    }
    EXPECT_TRUE(port.messages.isEmpty());
}

TEST_F(Resolver, ErrorsEndTheLineWithTheirMessage)
{
    struct Case
    {
        const char *number;
        const char *expression;
        const char *condition;
        const char *message;
    };
    const Case cases[] = {
        {"2", "", "IF(4|PL", "Błędna składnia warunku IF:\r[IF(4|PL]"},
        {"2", "", "@IF(x|PL|IGNORE)", "Błędna składnia warunku IF:\r[@IF(x|PL|IGNORE)]"},
        {"5", "#(@4", "", "Błędna składnia warunku DEF:\r[#(@4]"},
    };
    for (const Case &c : cases) {
        port.messages.clear();
        bool added = true;
        resolve(QString::fromLatin1(c.number), QString::fromUtf8(c.expression), QString::fromUtf8(c.condition), &added);
        EXPECT_FALSE(added);
        ASSERT_EQ(port.messages.size(), 1) << c.condition;
        EXPECT_EQ(port.messages.first().kind, QStringLiteral("info")) << "every message of a pass is an information";
        EXPECT_EQ(port.messages.first().text, QStringLiteral("Błąd podziału wiersza pozycji faktur:\r") + kLine +
                                                  QStringLiteral("\rKomunikat:") + QString::fromUtf8(c.message));
    }
    // a broken default is not reported when the field does not need it
    port.messages.clear();
    EXPECT_EQ(resolve(QStringLiteral("2"), QStringLiteral("#(@4"), QString()), QVariant(QStringLiteral("Śruby")));
    EXPECT_TRUE(port.messages.isEmpty());

    map.setCell(0, 5, QStringLiteral("P_99"));
    map.setCell(3, 5, QStringLiteral("2"));
    EXPECT_EQ(resolve(QStringLiteral("2"), QString(), QString()), QVariant(QStringLiteral("<nothing>")));
    EXPECT_EQ(port.messages.last().text.section(u'\r', -1), QStringLiteral("Komunikat:Brak szukanego pola [P_99] ???"));
    EXPECT_EQ(t.mt_POZ_.state(), DocumentTable::State::Browse);
}

TEST_F(Resolver, EmptyLineAddsNothingAndSaysNothing)
{
    RecordResolver r(map, t.mt_POZ_, QStringLiteral("pozycji faktur"), subst, &port);
    EXPECT_FALSE(r.importRecordLine(QString(), format));
    EXPECT_EQ(t.mt_POZ_.storedCount(), 0);
    EXPECT_TRUE(port.messages.isEmpty());
}

TEST(FirstNumberCases, Table)
{
    struct Case
    {
        const char *text;
        int expected;
    };
    const Case cases[] = {
        {"abc12x3", 12},       {"-3", 3}, {"", -1}, {"x", -1}, {"2147483647", 2147483647}, {"2147483648", -1},
        {"@IF(14||ABORT)", 14}};
    for (const Case &c : cases)
        EXPECT_EQ(FirstNumber(QString::fromLatin1(c.text)), c.expected) << c.text;
}

TEST(MappingHelpText, KeepsItsLinesAndTrailingSpaces)
{
    const QStringList lines = MappingTables::helpText().split(u'\n');
    EXPECT_EQ(lines.first(), QStringLiteral("Objaśnienie do Tabel Połączeń:"));
    EXPECT_TRUE(
        lines.contains(QStringLiteral("  - pozostawinie pustego pola lub wpisanie cyfry 0 - znaczy się nie ma skąd ")));
    EXPECT_TRUE(lines.contains(QStringLiteral("  #(@nn:[p1=w1|p2=w2|p3=w3|...]) - jeżeli wartość z pola ")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Uwaga - wielkość liter ma znaczenie.")));
}

} // namespace
