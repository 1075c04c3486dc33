#include "base/xml_text.h"

#include <gtest/gtest.h>

namespace {

TEST(XmlText, TheCharactersXmlAllows)
{
    struct Case
    {
        char32_t c;
        bool allowed;
    };
    const Case cases[] = {{0x9, true},     {0xA, true},     {0xD, true},     {0x0, false},   {0x1, false},
                          {0x1B, false},   {0x1F, false},   {0x20, true},    {0x7F, true},   {0xD7FF, true},
                          {0xD800, false}, {0xDFFF, false}, {0xE000, true},  {0xFFFD, true}, {0xFFFE, false},
                          {0xFFFF, false}, {0x10000, true}, {0x10FFFF, true}};
    for (const Case &c : cases)
        EXPECT_EQ(XmlText::allowed(c.c), c.allowed) << std::hex << unsigned(c.c);
}

TEST(XmlText, SafeAndEscapedAgree)
{
    struct Case
    {
        QString text;
        QByteArray escaped; // as libxml2 writes the element's text
        bool changed;
    };
    const QString pair = QString::fromUcs4(U"\U0001F600");
    const Case cases[] = {
        {QStringLiteral("FV/1/08/2023"), "FV/1/08/2023", false},
        {QStringLiteral("a<b>c&d\"e'f"), "a&lt;b&gt;c&amp;d\"e'f", false},
        {QStringLiteral("wiersz\r\ndrugi\tz tab"), "wiersz&#13;\ndrugi\tz tab", false},
        {QStringLiteral("Łódź"), "\xC5\x81\xC3\xB3\x64\xC5\xBA", false},
        {QStringLiteral("x") + pair, "x\xF0\x9F\x98\x80", false},
        {QStringLiteral("a") + QChar(0x1B) + QStringLiteral("[31mb") + QChar(0), "a[31mb", true},
        {QStringLiteral("lone ") + QChar(0xDC00) + QChar(0xD800), "lone ", true},
        {QString(QChar(0xFFFE)) + QChar(0xFFFF), "", true},
        {QString(), "", false},
    };
    for (const Case &c : cases) {
        QByteArray out = "<";
        bool changed = !c.changed;
        const bool any = XmlText::appendEscaped(out, c.text, &changed);
        EXPECT_EQ(out, "<" + c.escaped) << c.text.toStdString();
        EXPECT_EQ(any, !c.escaped.isEmpty()) << c.text.toStdString();
        EXPECT_EQ(changed, c.changed) << c.text.toStdString();
        bool safeChanged = !c.changed;
        const QString safe = XmlText::safe(c.text, &safeChanged);
        EXPECT_EQ(safeChanged, c.changed) << c.text.toStdString();
        QByteArray again;
        XmlText::appendEscaped(again, safe);
        EXPECT_EQ(again, c.escaped) << "the safe text escapes to the same bytes";
    }
}

} // namespace
