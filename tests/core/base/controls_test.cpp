#include "base/controls.h"
#include "base/settings_file.h"

#include <gtest/gtest.h>

namespace {

const QString kSection = QStringLiteral("Form_ImportJPK");

TEST(Controls, StoredKeysInTheirOrderWithTheirDefaults)
{
    QStringList stored;
    for (const Controls::Def &def : Controls::definitions())
        if (def.stored)
            stored << def.key;
    ASSERT_EQ(stored.size(), 74);
    EXPECT_EQ(stored.first(), QStringLiteral("PageControl_ActivePage"));
    EXPECT_EQ(stored.at(32), QStringLiteral("edx_Wyroznik_Text"));
    EXPECT_EQ(stored.at(72), QStringLiteral("chb_page_ragged_Checked"));
    // the invoice-line filter comes after the others so that their order stays
    EXPECT_EQ(stored.at(73), QStringLiteral("chb_POZ_BeginIf_Checked"));

    Controls controls;
    SettingsFile ini;
    controls.store(ini, kSection);
    EXPECT_EQ(ini.keys(kSection), stored);
    EXPECT_EQ(ini.value(kSection, QStringLiteral("edx_TRUE_Text")), QStringLiteral("TAK;TRUE;true;T;1;"));
    EXPECT_EQ(ini.value(kSection, QStringLiteral("rb_nag_wiersz_Checked")), QStringLiteral("TRUE"));
    EXPECT_EQ(ini.value(kSection, QStringLiteral("cb_PL_ItemIndex")), QStringLiteral("0"));
    EXPECT_EQ(ini.value(kSection, QStringLiteral("chb_page_multiline_Checked")), QStringLiteral("TRUE"));
    EXPECT_EQ(ini.value(kSection, QStringLiteral("fn_JPK_Text")), QString());
}

TEST(Controls, RadioButtonsOfAGroupExcludeEachOther)
{
    Controls c;
    c.setChecked(QStringLiteral("rb_WspolnyPlik_Checked"), true);
    EXPECT_TRUE(c.checked(QStringLiteral("rb_WspolnyPlik_Checked")));
    EXPECT_FALSE(c.checked(QStringLiteral("rb_sp_BrakPliku_Checked")));
    EXPECT_FALSE(c.checked(QStringLiteral("rb_nag_OsobnyPlik_Checked")));
    // another group is not touched
    EXPECT_TRUE(c.checked(QStringLiteral("rb_nag_wiersz_Checked")));
    // clearing one selects no other
    c.setChecked(QStringLiteral("rb_WspolnyPlik_Checked"), false);
    EXPECT_FALSE(c.checked(QStringLiteral("rb_sp_BrakPliku_Checked")));
}

struct FallBackCase
{
    const char *box;
    const char *radio;
    const char *emptyLine;
};

TEST(Controls, ClearingAFilterMovesItsEndOptionBackToTheEmptyLine)
{
    const FallBackCase cases[] = {
        {"chb_FAK_BeginIf_Checked", "rb_PozEnd_FakId_Checked", "rb_PozEnd_FL_Checked"},
        {"chb_FAK_Naglowek_Checked", "rb_PozEnd_Faktura_Checked", "rb_PozEnd_FL_Checked"},
        {"chb_POZ_BeginIf_Checked", "rb_PozEnd_InnyStart_Checked", "rb_PozEnd_FL_Checked"},
        {"chb_ZAM_BeginIf_Checked", "rb_ZPozEnd_FakId_Checked", "rb_ZPozEnd_FL_Checked"},
        {"chb_ZAM_Naglowek_Checked", "rb_ZPozEnd_Faktura_Checked", "rb_ZPozEnd_FL_Checked"},
        {"chb_ZPOZ_BeginIf_Checked", "rb_ZPozEnd_InnyStart_Checked", "rb_ZPozEnd_FL_Checked"},
    };
    for (const FallBackCase &fc : cases) {
        Controls c;
        const QString box = QString::fromLatin1(fc.box), radio = QString::fromLatin1(fc.radio);
        c.setChecked(box, true);
        c.setChecked(radio, true);
        EXPECT_FALSE(c.checked(QString::fromLatin1(fc.emptyLine))) << fc.box;
        c.setChecked(box, false);
        EXPECT_FALSE(c.checked(radio)) << fc.box;
        EXPECT_TRUE(c.checked(QString::fromLatin1(fc.emptyLine))) << fc.box;
    }
}

TEST(Controls, LeavingTheCommonFileClearsTheApplicationBox)
{
    Controls c;
    c.setChecked(QStringLiteral("rb_WspolnyPlik_Checked"), true);
    c.setChecked(QStringLiteral("chb_Imp_Application_Checked"), true);
    c.setChecked(QStringLiteral("rb_nag_OsobnyPlik_Checked"), true);
    EXPECT_FALSE(c.checked(QStringLiteral("chb_Imp_Application_Checked")));
}

TEST(Controls, RestoreAppliesPresentKeysAndSkipsValuesOfTheWrongForm)
{
    SettingsFile ini;
    ini.loadFromBytes("[Form_ImportJPK]\r\n"
                      "cb_separator_ItemIndex=two\r\n"
                      "cb_koma_ItemIndex=1\r\n"
                      "chb_FAK_append_Checked=yes\r\n"
                      "chb_wyroznik_Checked=perhaps\r\n"
                      "PageControl_ActivePage=ts_Nowhere\r\n"
                      "rb_WspolnyPlik_Checked=TRUE\r\n"
                      "rb_sp_BrakPliku_Checked=FALSE\r\n"
                      "ed_NIP_Text=5261040828\r\n"
                      "ed_DataOd_Date=2023-08-01\r\n"
                      "chb_POZ_BeginIf_Checked=TRUE\r\n");
    Controls c;
    c.restore(ini, kSection);
    EXPECT_EQ(c.itemIndex(QStringLiteral("cb_separator_ItemIndex")), 0);
    EXPECT_EQ(c.itemIndex(QStringLiteral("cb_koma_ItemIndex")), 1);
    EXPECT_TRUE(c.checked(QStringLiteral("chb_FAK_append_Checked")));
    EXPECT_FALSE(c.checked(QStringLiteral("chb_wyroznik_Checked")));
    EXPECT_EQ(c.text(QStringLiteral("PageControl_ActivePage")), QStringLiteral("ts_Naglowek"));
    EXPECT_TRUE(c.checked(QStringLiteral("rb_WspolnyPlik_Checked")));
    EXPECT_FALSE(c.checked(QStringLiteral("rb_sp_BrakPliku_Checked")));
    EXPECT_EQ(c.text(QStringLiteral("ed_NIP_Text")), QStringLiteral("5261040828"));
    EXPECT_TRUE(c.checked(QStringLiteral("chb_POZ_BeginIf_Checked")));
    // dates are not stored: a key in the file does not bring one back
    EXPECT_EQ(c.date(QStringLiteral("ed_DataOd_Date")), zeroDate());
}

TEST(Controls, SetFromTextByKind)
{
    Controls c;
    EXPECT_TRUE(c.setFromText(QStringLiteral("ed_dataod_date"), QStringLiteral("2023-08-01")));
    EXPECT_EQ(c.date(QStringLiteral("ed_DataOd_Date")), QDate(2023, 8, 1));
    EXPECT_TRUE(c.setFromText(QStringLiteral("ed_DataOd_Date"), QString()));
    EXPECT_EQ(c.date(QStringLiteral("ed_DataOd_Date")), zeroDate());
    EXPECT_TRUE(c.setFromText(QStringLiteral("rb_ZPozEnd_FakId_Checked"), QStringLiteral("TRUE")));
    EXPECT_FALSE(c.checked(QStringLiteral("rb_ZPozEnd_FL_Checked")));
    EXPECT_TRUE(c.setFromText(QStringLiteral("e_Params_Text"), QStringLiteral("-od:%0:s")));

    const Result<> unknown = c.setFromText(QStringLiteral("ed_Nothing_Text"), QStringLiteral("x"));
    EXPECT_FALSE(unknown);
    EXPECT_EQ(unknown.reason(), QStringLiteral("unknown control \"ed_Nothing_Text\""));
    EXPECT_FALSE(c.setFromText(QStringLiteral("cb_PL_ItemIndex"), QStringLiteral("one")));
    EXPECT_FALSE(c.setFromText(QStringLiteral("ed_DataDo_Date"), QStringLiteral("31.08.2023")));
    EXPECT_FALSE(c.setFromText(QStringLiteral("chb_Korekta_Checked"), QStringLiteral("sure")));
}

} // namespace
