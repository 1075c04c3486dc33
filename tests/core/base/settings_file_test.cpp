#include "base/settings_file.h"
#include "support/temp_home.h"

#include <QFile>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

TEST(SettingsFile, ReadingRules)
{
    SettingsFile ini;
    ini.loadFromBytes("orphan=1\r\n"
                      "; a comment\r\n"
                      "  [ Form_ImportJPK ]  \r\n"
                      "   ed_NIP_Text =  526 104 08 28  \r\n"
                      "lonely key\r\n"
                      "\r\n"
                      "Empty=\n"
                      "Eq=a=b\r"
                      "[Other]\r\n"
                      "x=1\r\n");
    EXPECT_EQ(ini.sections(), QStringList({QStringLiteral("Form_ImportJPK"), QStringLiteral("Other")}));
    EXPECT_EQ(ini.value(QStringLiteral("form_importjpk"), QStringLiteral("ED_NIP_TEXT")),
              QStringLiteral("526 104 08 28"));
    EXPECT_EQ(ini.value(QStringLiteral("Form_ImportJPK"), QStringLiteral("lonely key")), QString());
    EXPECT_EQ(ini.value(QStringLiteral("Form_ImportJPK"), QStringLiteral("Empty")), QString());
    EXPECT_EQ(ini.value(QStringLiteral("Form_ImportJPK"), QStringLiteral("Eq")), QStringLiteral("a=b"));
    EXPECT_FALSE(ini.hasKey(QStringLiteral("Form_ImportJPK"), QStringLiteral("orphan")));
    EXPECT_FALSE(ini.hasKey(QStringLiteral("Form_ImportJPK"), QStringLiteral("; a comment")));
}

TEST(SettingsFile, WritesSectionsKeysAndUnknownLinesBack)
{
    SettingsFile ini;
    ini.loadFromBytes("[A]\r\nkept=1\r\nbare\r\n[B]\r\ny=2\r\n");
    ini.setValue(QStringLiteral("a"), QStringLiteral("KEPT"), QStringLiteral("3"));
    ini.setValue(QStringLiteral("A"), QStringLiteral("new"), QStringLiteral("x"));
    ini.setValue(QStringLiteral("C"), QStringLiteral("z"), QStringLiteral("ż"));
    EXPECT_EQ(ini.toBytes(), cp1250(QStringLiteral("[A]\r\nkept=3\r\nbare\r\nnew=x\r\n\r\n"
                                                   "[B]\r\ny=2\r\n\r\n[C]\r\nz=ż\r\n\r\n")));
    ini.eraseSection(QStringLiteral("b"));
    EXPECT_EQ(ini.sections(), QStringList({QStringLiteral("A"), QStringLiteral("C")}));
}

struct EncodingCase
{
    const char *name;
    QByteArray bom;
    SettingsFile::Encoding encoding;
};

class SettingsEncoding : public ::testing::TestWithParam<EncodingCase>
{
};

QByteArray encodeAs(SettingsFile::Encoding encoding, const QString &text)
{
    switch (encoding) {
    case SettingsFile::Encoding::Utf8Bom:
        return text.toUtf8();
    case SettingsFile::Encoding::Utf16LeBom: {
        QStringEncoder e(QStringConverter::Utf16LE);
        return e.encode(text);
    }
    case SettingsFile::Encoding::Utf16BeBom: {
        QStringEncoder e(QStringConverter::Utf16BE);
        return e.encode(text);
    }
    case SettingsFile::Encoding::Windows1250:
        return cp1250(text);
    }
    return {};
}

TEST_P(SettingsEncoding, KeepsTheEncodingAndMark)
{
    const EncodingCase &c = GetParam();
    const QString text = QStringLiteral("[Form_ImportJPK]\r\ned_PelnaNazwa_Text=Zakład Łąka\r\n\r\n");
    TempHome home;
    home.write(QStringLiteral("s.ini"), c.bom + encodeAs(c.encoding, text));

    SettingsFile ini;
    ASSERT_TRUE(ini.load(home.file(QStringLiteral("s.ini"))));
    EXPECT_EQ(ini.encoding(), c.encoding);
    EXPECT_EQ(ini.value(QStringLiteral("Form_ImportJPK"), QStringLiteral("ed_PelnaNazwa_Text")),
              QStringLiteral("Zakład Łąka"));
    ini.setValue(QStringLiteral("Form_ImportJPK"), QStringLiteral("ed_Gmina_Text"), QStringLiteral("Żółć"));
    ASSERT_TRUE(ini.save());
    const QString expected = QStringLiteral("[Form_ImportJPK]\r\ned_PelnaNazwa_Text=Zakład Łąka\r\n"
                                            "ed_Gmina_Text=Żółć\r\n\r\n");
    EXPECT_EQ(home.read(QStringLiteral("s.ini")), c.bom + encodeAs(c.encoding, expected));
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, SettingsEncoding,
    ::testing::Values(EncodingCase{"cp1250", QByteArray(), SettingsFile::Encoding::Windows1250},
                      EncodingCase{"utf8", QByteArray("\xEF\xBB\xBF"), SettingsFile::Encoding::Utf8Bom},
                      EncodingCase{"utf16le", QByteArray("\xFF\xFE"), SettingsFile::Encoding::Utf16LeBom},
                      EncodingCase{"utf16be", QByteArray("\xFE\xFF"), SettingsFile::Encoding::Utf16BeBom}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SettingsFile, ReadOnlyFileIsReadButNeverWritten)
{
    TempHome home;
    home.write(QStringLiteral("s.ini"), "[A]\r\nx=1\r\n");
    QFile::setPermissions(home.file(QStringLiteral("s.ini")), QFileDevice::ReadOwner | QFileDevice::ReadUser);
    SettingsFile ini;
    ASSERT_TRUE(ini.load(home.file(QStringLiteral("s.ini"))));
    EXPECT_EQ(ini.value(QStringLiteral("A"), QStringLiteral("x")), QStringLiteral("1"));
    ini.setValue(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("2"));
    // the user made it read-only to keep it as it is: it stays, and that is no failure to report
    EXPECT_TRUE(ini.save());
    EXPECT_EQ(home.read(QStringLiteral("s.ini")), QByteArray("[A]\r\nx=1\r\n"));
}

TEST(SettingsFile, WriteFailureLeavesNoFileAndReportsNothing)
{
    TempHome home;
    SettingsFile ini;
    ini.setPath(home.file(QStringLiteral("no/such/folder/s.ini")));
    ini.setValue(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("1"));
    EXPECT_FALSE(ini.save());
    EXPECT_FALSE(QFile::exists(ini.path()));
}

TEST(SettingsFile, ManySectionsAreFoundInLinearTime)
{
    // 100,000 sections: once quadratic (30,000 took 3.5 s, 300,000 never ended)
    QByteArray text;
    for (int i = 0; i < 100000; ++i)
        text += "[S" + QByteArray::number(i) + "]\r\nk=" + QByteArray::number(i) + "\r\n";
    SettingsFile file;
    file.loadFromBytes(text);
    EXPECT_EQ(file.sections().size(), 100000);
    EXPECT_EQ(file.value(QStringLiteral("s99999"), QStringLiteral("K"), QString()), QStringLiteral("99999"));
    file.eraseSection(QStringLiteral("S5"));
    EXPECT_FALSE(file.hasSection(QStringLiteral("S5")));
    EXPECT_EQ(file.value(QStringLiteral("S6"), QStringLiteral("k"), QString()), QStringLiteral("6"));
    file.setValue(QStringLiteral("Nowa"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_EQ(file.value(QStringLiteral("NOWA"), QStringLiteral("k"), QString()), QStringLiteral("v"));
}

TEST(SettingsFile, ValueForms)
{
    struct Case
    {
        const char *text;
        std::optional<bool> expected;
    };
    const Case cases[] = {{"TRUE", true},          {"true", true},    {"Yes", true}, {"y", true},  {"FALSE", false},
                          {"no", false},           {"N", false},      {"0", false},  {"-3", true}, {"1", true},
                          {"maybe", std::nullopt}, {"", std::nullopt}};
    for (const Case &c : cases)
        EXPECT_EQ(SettingsFile::parseBool(QString::fromLatin1(c.text)), c.expected) << c.text;
    EXPECT_EQ(SettingsFile::parseInt(QStringLiteral("12")), 12);
    EXPECT_EQ(SettingsFile::parseInt(QStringLiteral("x12")), std::nullopt);
}

} // namespace
