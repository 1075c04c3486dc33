#include "base/text_codec.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCodec, Windows1250BytesAndWhatThePageLacks)
{
    struct Case
    {
        QString text;
        QByteArray bytes;
    };
    const Case cases[] = {
        {QStringLiteral("Łódź, żółć, Ślęża"), "\xA3\xF3"
                                              "d\x9F, \xBF\xF3\xB3\xE6, \x8Cl\xEA\xBF"
                                              "a"},
        {QStringLiteral("„cudzysłów” – 100 €"), "\x84"
                                                "cudzys\xB3\xF3w\x94 \x96 100 \x80"},
        {QStringLiteral("ß ä ü"), "\xDF \xE4 \xFC"},                        // in the page
        {QStringLiteral("Ø ñ 中"), "? ? ?"},                                // not in it: one "?" each
        {QString::fromUcs4(U"a\U0001F600b"), "a?b"},                        // a surrogate pair is one character
        {QStringLiteral("x") + QChar(0xD800) + QStringLiteral("y"), "x?y"}, // a lone surrogate too
        {QStringLiteral("\t\r\n"), "\t\r\n"},
    };
    for (const Case &c : cases) {
        const QByteArray bytes = TextCodec::toWindows1250(c.text);
        EXPECT_EQ(bytes, c.bytes) << c.text.toStdString();
        EXPECT_FALSE(bytes.contains('\x1A')) << "never the substitute control character";
    }
}

} // namespace
