#include "base/xml_shape.h"

#include <QByteArray>
#include <gtest/gtest.h>

namespace {

QByteArray attributes(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += " a" + QByteArray::number(i) + "='x'";
    return text;
}

struct Outcome
{
    bool passed;
    int line;
};

// The same bytes whole, and a byte at a time: the scan's state survives any chunk boundary.
Outcome scan(const QByteArray &text)
{
    XmlShapeGuard whole;
    const bool passed = whole.pass(text.constData(), text.size());
    XmlShapeGuard bytewise;
    bool bytewisePassed = true;
    for (qsizetype i = 0; i < text.size() && bytewisePassed; ++i)
        bytewisePassed = bytewise.pass(text.constData() + i, 1);
    EXPECT_EQ(bytewisePassed, passed) << text.left(80).constData();
    if (!passed) {
        EXPECT_EQ(bytewise.tagOffset(), whole.tagOffset()) << text.left(80).constData();
    }
    return {passed, passed ? 0 : XmlShapeGuard::lineAt(text.constData(), text.size(), whole.tagOffset())};
}

TEST(XmlShape, AttributesAreCountedInStartTagsOnly)
{
    const int limit = XmlShapeGuard::kMaxAttributes;
    const QByteArray oneValue = "a=\"" + QByteArray("b=c ").repeated(10'000) + "\"";
    struct Case
    {
        const char *what;
        QByteArray text;
        Outcome expected;
    };
    const Case cases[] = {
        {"at the limit", "<r" + attributes(limit) + "/>", {true, 0}},
        {"one past it, on line 3", "<?xml version='1.0'?>\n<r>\n<e" + attributes(limit + 1) + "/></r>", {false, 3}},
        {"line breaks inside tags and values count",
         "<r\n a='x\ny'\n>\n<e" + attributes(limit + 1) + "/></r>",
         {false, 5}},
        {"each tag has its own count", QByteArray("<e" + attributes(limit) + "/>").repeated(3), {true, 0}},
        {"'=' in quoted values, the other quote inside",
         "<r a=\"it's = x > y\" b='say \"=\"'" + attributes(limit - 2) + "/>",
         {true, 0}},
        {"'=' in text, end tags and a comment",
         "<r>" + QByteArray("a=b ").repeated(1000) + "<!-- " + QByteArray("x=1 ").repeated(1000) + " --></r>",
         {true, 0}},
        {"a comment ending in '--->' then a crowded tag",
         "<r><!-- - -- --->" + QByteArray("<e") + attributes(limit + 1) + "/></r>",
         {false, 1}},
        {"CDATA with '>' and ']]' inside",
         "<r><![CDATA[ a=1 ]] > ]>" + QByteArray("=").repeated(1000) + "]]></r>",
         {true, 0}},
        {"a processing instruction with '=' and '>'",
         "<?pi a=1 > b=2 " + QByteArray("=").repeated(1000) + "?><r/>",
         {true, 0}},
        {"a declaration", "<!DOCTYPE r SYSTEM 'x=y'><r" + attributes(limit + 1) + "/>", {false, 1}},
        {"quotes in a start tag's values keep '>'", "<r a='>'" + attributes(limit) + "/>", {false, 1}},
        {"'=' in values does not count", "<r " + oneValue + "/>", {true, 0}},
    };
    for (const Case &c : cases) {
        const Outcome o = scan(c.text);
        EXPECT_EQ(o.passed, c.expected.passed) << c.what;
        EXPECT_EQ(o.line, c.expected.line) << c.what;
    }
}

TEST(XmlShape, ARefusalStaysAndSaysWhere)
{
    XmlShapeGuard guard;
    EXPECT_TRUE(guard.refusal(1).isEmpty());
    const QByteArray text = "<r>\n\n<e" + attributes(300) + "/>";
    EXPECT_FALSE(guard.pass(text.constData(), text.size()));
    EXPECT_FALSE(guard.pass("<ok/>", 5)) << "a refused document stays refused";
    EXPECT_EQ(guard.tagOffset(), 5);
    EXPECT_EQ(
        guard.refusal(3),
        QStringLiteral("Element w wierszu 3 ma więcej niż 256 atrybutów – żaden plik JPK ani e-faktura tylu nie ma; "
                       "pliku nie wczytano."));
}

} // namespace
