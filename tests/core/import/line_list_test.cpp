#include "import/line_list.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

namespace {

using Page = LineList::CodePage;

QStringList linesOf(const LineList &list)
{
    QStringList lines;
    for (int i = 0; i < list.count(); ++i)
        lines << list.line(i);
    return lines;
}

TEST(LineList, LineBreaksAndCodePages)
{
    struct Case
    {
        const char *what;
        QByteArray bytes;
        Page page;
        QStringList lines;
    };
    const Case cases[] = {
        {"LF, CR LF and a lone CR each end a line",
         "a\nb\r\nc\rd",
         Page::Utf8,
         {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}},
        {"empty lines stay, a break at the end adds none",
         "\n\nx\r\n\r\n",
         Page::Utf8,
         {QString(), QString(), QStringLiteral("x"), QString()}},
        {"CR LF throughout, and a last line without a break",
         "a;1\r\n\r\nb;2\r\nc",
         Page::Windows1250,
         {QStringLiteral("a;1"), QString(), QStringLiteral("b;2"), QStringLiteral("c")}},
        {"a CR before CR LF is a line break of its own",
         "a\r\r\nb\r\n",
         Page::Utf8,
         {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {"a CR at the very end ends the last line", "a\r\nb\r", Page::Utf8, {QStringLiteral("a"), QStringLiteral("b")}},
        {"spaces are kept", "  a ;b  \n", Page::Utf8, {QStringLiteral("  a ;b  ")}},
        {"an empty file has no lines", "", Page::Windows1250, {}},
        {"a UTF-8 byte order mark is no text", "\xEF\xBB\xBFŁódź\n", Page::Utf8, {QStringLiteral("Łódź")}},
        {"Windows-1250",
         "\xA3\xF3"
         "d\x9F;\x8C"
         "l\xEA\xBF"
         "a\r\n",
         Page::Windows1250,
         {QStringLiteral("Łódź;Ślęża")}},
        {"DOS 852",
         "\x9D\xA2"
         "d\xAB\n",
         Page::Ibm852,
         {QStringLiteral("Łódź")}},
    };
    TempHome home;
    for (const Case &c : cases) {
        home.write(QStringLiteral("in.txt"), c.bytes);
        LineList list;
        const Result<> read = list.read(home.file(QStringLiteral("in.txt")), c.page);
        EXPECT_TRUE(read) << c.what << ": " << read.reason().toStdString();
        EXPECT_EQ(linesOf(list), c.lines) << c.what;
    }
}

TEST(LineList, FindComparesWholeLinesInTheFilesCodePage)
{
    TempHome home;
    home.write(QStringLiteral("in.txt"), "[Faktury]\r\nFAK;1\r\n[Faktury_Koniec]\r\n[Zamówienia]\r\n[Faktury]\r\n");
    LineList list;
    ASSERT_TRUE(list.read(home.file(QStringLiteral("in.txt")), Page::Utf8));
    EXPECT_EQ(list.find(QStringLiteral("[Faktury]"), 0), 0);
    EXPECT_EQ(list.find(QStringLiteral("[Faktury]"), 1), 4);
    EXPECT_EQ(list.find(QStringLiteral("[Zamówienia]"), 0), 3);
    EXPECT_EQ(list.find(QStringLiteral("[Faktury"), 0), -1) << "a part of a line is no match";
    EXPECT_EQ(list.find(QStringLiteral("[Brak]"), 0), -1);
}

TEST(LineList, TextThatIsNotTextIsRefusedNamingTheFileAndLine)
{
    struct Case
    {
        const char *what;
        QByteArray bytes;
        Page page;
        const char *says;
    };
    const Case cases[] = {
        {"a NUL byte", QByteArray("a\nb\nc\0d\ne", 9), Page::Windows1250, "wiersz 3 zawiera znak o kodzie 0"},
        {"bytes that are no UTF-8", "ok\nok\n\xC3\x28 zle\n", Page::Utf8,
         "nie są tekstem w stronie kodowej UTF-8 (wiersz 3)"},
    };
    TempHome home;
    for (const Case &c : cases) {
        home.write(QStringLiteral("in.txt"), c.bytes);
        LineList list;
        const QString why = list.read(home.file(QStringLiteral("in.txt")), c.page).reason();
        EXPECT_TRUE(why.startsWith(home.file(QStringLiteral("in.txt")))) << c.what << ": " << why.toStdString();
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.says))) << c.what << ": " << why.toStdString();
        EXPECT_EQ(list.count(), 0) << c.what;
    }
    LineList missing;
    EXPECT_TRUE(missing.read(home.file(QStringLiteral("brak.txt")), Page::Utf8)
                    .reason()
                    .startsWith(home.file(QStringLiteral("brak.txt"))));
}

} // namespace
