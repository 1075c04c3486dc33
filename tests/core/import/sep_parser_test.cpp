#include "base/controls.h"
#include "import/import_format.h"
#include "import/sep_parser.h"
#include "support/recording_port.h"
#include "tables/document_tables.h"

#include <gtest/gtest.h>

namespace {

QStringList split(QChar sep, const QString &line)
{
    FieldSplitter p;
    p.init(line, sep, u',', 0, false);
    QStringList fields;
    for (int i = 1; i <= p.count(); ++i)
        fields << p.stringAt(i, QStringLiteral("<default>"));
    return fields;
}

TEST(Splitter, BothModes)
{
    struct Case
    {
        QChar sep;
        const char *line;
        QStringList fields; // "<default>" marks an empty field
    };
    const QString E = QStringLiteral("<default>");
    const auto L = [](std::initializer_list<const char *> l) {
        QStringList out;
        for (const char *s : l)
            out << QString::fromUtf8(s);
        return out;
    };
    const Case cases[] = {
        {u';', "a;b;c", L({"a", "b", "c"})},
        {u';', ";a", L({"<default>", "a"})},
        {u';', "a;;b", L({"a", "<default>", "b"})},
        {u';', "a;", L({"a"})},
        {u';', "\"a;b\";c", L({"a;b", "c"})},
        {u';', "\"a\"\"b\";c", L({"a\"b", "c"})},
        {u';', "x;\"xyz\"", L({"x", "xyz"})},
        {u';', "ab\"c;d", L({"ab\"c", "d"})},
        {u';', "ab\"\"c", L({"ab\"c"})},
        {u';', "\"ab;cd", L({"ab;cd"})},
        {u';', "  \"ab\";c", L({"  \"ab\"", "c"})},
        {u';', "\"a\";", L({"a"})},
        {u';', "\"\";x", L({"<default>", "x"})},
        {u';', "", L({"<default>"})},
        {u'|', "FAK|\"Żuraw | Syn\"|12,50", L({"FAK", "Żuraw | Syn", "12,50"})},
        {u'\t', "\"a\"\tb", L({"\"a\"", "b"})},
        {u'\t', "a\tb\t", L({"a", "b", "<default>"})},
        {u'\t', "", L({"<default>"})},
        {QChar(0), "a;b|c", L({"a;b|c"})},
    };
    for (const Case &c : cases)
        EXPECT_EQ(split(c.sep, QString::fromUtf8(c.line)), c.fields) << c.line;
    Q_UNUSED(E);
}

TEST(Splitter, GetStrAndGetInt)
{
    FieldSplitter p;
    p.init(QStringLiteral(" a ;12.5;1 234;xyz;+7;2147483648;-2147483648;  ;"), u';', u',', 0, true);
    EXPECT_EQ(p.stringAt(1, QStringLiteral("d")), QStringLiteral("a"));
    EXPECT_EQ(p.stringAt(0, QStringLiteral(" d ")), QStringLiteral("d"));
    EXPECT_EQ(p.stringAt(-5, QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_EQ(p.stringAt(p.count() + 1, QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_EQ(p.stringAt(-1, QStringLiteral("d")), QString()); // the default value, even empty
    p.setFallback(QStringLiteral(" x "));
    EXPECT_EQ(p.stringAt(-1, QStringLiteral("d")), QStringLiteral("x"));
    EXPECT_EQ(p.stringAt(8, QStringLiteral("d")), QString()); // spaces are a value, trimmed to nothing
    struct IntCase
    {
        int n;
        int expected;
    };
    const IntCase ints[] = {{2, -1}, {3, -1}, {4, -1}, {5, 7}, {6, -1}, {7, -2147483647 - 1}, {8, -1}, {9, -1}};
    for (const IntCase &c : ints)
        EXPECT_EQ(p.intAt(c.n, -1), c.expected) << c.n;
}

TEST(Splitter, floatAt)
{
    struct Case
    {
        QChar decimal;
        const char *text;
        double expected;
    };
    const Case cases[] = {
        {u',', "1.234,56", 1234.56},
        {u',', "12,5 zł", 12.5},
        {u',', "1,234.56", 1.23456},
        {u',', "12-", -99},
        {u'.', "1,234.5", 1234.5},
        {u'.', "", -99},
        {u'.', "--5", -99},
        {u'.', "-", -99},
        {u'.', "-0.5", -0.5},
        {u'.', ".5", 0.5},
        {u'.', "5.", 5},
        {u'.', "+3", 3},
        {u'.', "\"1 000.00\"", 1000},
        {u',', "-1 234,5", -1234.5},
    };
    for (const Case &c : cases) {
        FieldSplitter p;
        p.init(QString::fromUtf8(c.text), u'\t', c.decimal, 0, true);
        EXPECT_DOUBLE_EQ(p.floatAt(1, -99), c.expected) << c.text;
    }
}

TEST(Splitter, GetDateAndItsErrors)
{
    struct Case
    {
        int format;
        const char *text;
        QDate expected;
        const char *error;
    };
    const QDate zero(1899, 12, 30);
    const QDate d(2023, 8, 25);
    const Case cases[] = {
        {0, "25-08-2023", d, nullptr},
        {0, "25.08.2023", d, nullptr},
        {0, "2023-08-25", {}, "Błąd określenia ROKU(8-25) wg [2023-08-25]"},
        {0, "31-02-2023", {}, "Błąd określenia DATY wg(31-02-2023)"},
        {0, "xx-08-2023", {}, "Błąd określenia DNIA(xx) wg [xx-08-2023]"},
        {0, "25-ab-2023", {}, "Błąd określenia MIESIĄCA(ab) wg [25-ab-2023]"},
        {0, "1-8-2023", zero, nullptr},
        {0, "25-08-23", zero, nullptr},
        {0, "", zero, nullptr},
        {0, "\"25-08-2023\"", d, nullptr},
        {1, "2023-08-25 12:30", d, nullptr},
        {2, "25082023", d, nullptr},
        {3, "20230825", d, nullptr},
        {-1, "2023-08-25", d, nullptr},
        {-1, "25-08-2023", d, nullptr},
        {0, "ab", zero, nullptr},
    };
    for (const Case &c : cases) {
        FieldSplitter p;
        p.init(QString::fromUtf8(c.text), u'\t', u',', c.format, true);
        try {
            const QDate got = p.dateAt(1, zero);
            EXPECT_EQ(c.error, nullptr) << c.text;
            EXPECT_EQ(got, c.expected) << c.text;
        } catch (const ImportError &e) {
            ASSERT_NE(c.error, nullptr) << c.text << ": " << e.message.toStdString();
            EXPECT_EQ(e.message, QString::fromUtf8(c.error));
        }
    }
}

TEST(AssignField, ByTypeWithBooleanWordsAndZeroAsNull)
{
    RecordingPort port;
    DocumentTables t(&port);
    Controls controls;
    ImportFormat format = ImportFormat::fromControls(controls);
    EXPECT_EQ(format.separator, QChar(u'\t'));
    EXPECT_EQ(format.decimal, QChar(u','));
    struct Case
    {
        const char *field;
        const char *text;
        bool zeroNull;
        QVariant expected;
    };
    const Case cases[] = {
        {"P_16", "NIE", false, false},
        {"P_16", "0", false, false},
        {"P_16", "F", false, false},
        {"P_16", "false", false, false},
        {"P_16", "TAK", false, true},
        {"P_16", "1", false, true},
        {"P_16", "T", false, true},
        {"P_16", "true", false, true},
        {"P_16", "AK", false, true},
        {"P_16", "E", false, false},
        {"P_16", "tak", false, QVariant()},
        {"P_16", "Y", false, QVariant()},
        {"P_15", "0,00", false, 0.0},
        {"P_15", "0,00", true, QVariant()},
        {"P_15", "12,5", true, 12.5},
        {"P_1", "25-08-2023", false, QDate(2023, 8, 25)},
        {"KodWaluty", "EURO", false, QStringLiteral("EUR")},
    };
    for (const Case &c : cases) {
        format.floatZeroNull = c.zeroNull;
        FieldSplitter p;
        p.init(QString::fromUtf8(c.text), format.separator, format.decimal, format.dateFormat, true);
        t.mt_FAK_.append();
        AssignField(p, 1, t.mt_FAK_, t.mt_FAK_.fieldIndex(QString::fromLatin1(c.field)), format);
        EXPECT_EQ(t.mt_FAK_.value(QString::fromLatin1(c.field)), c.expected) << c.field << " " << c.text;
        t.mt_FAK_.cancel();
    }
}

TEST(ImportFormat, FromTheControls)
{
    Controls c;
    struct Case
    {
        int separator, koma, date;
        QChar sep, dec;
        int dateFormat;
    };
    const Case cases[] = {{0, 0, 0, u'\t', u',', 0},
                          {1, 1, 1, u'|', u'.', 1},
                          {2, -1, 3, u';', u'.', 3},
                          {3, 0, -1, u',', u',', -1},
                          {-1, 5, 7, QChar(0), u'.', -1}};
    for (const Case &cs : cases) {
        c.setItemIndex(QStringLiteral("cb_separator_ItemIndex"), cs.separator);
        c.setItemIndex(QStringLiteral("cb_koma_ItemIndex"), cs.koma);
        c.setItemIndex(QStringLiteral("cb_data_ItemIndex"), cs.date);
        const ImportFormat f = ImportFormat::fromControls(c);
        EXPECT_EQ(f.separator, cs.sep);
        EXPECT_EQ(f.decimal, cs.dec);
        EXPECT_EQ(f.dateFormat, cs.dateFormat);
    }
}

} // namespace
