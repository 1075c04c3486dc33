#include "app/option_rules.h"
#include "base/controls.h"

#include <gtest/gtest.h>

namespace {

using Kind = OptionRules::Rule::Kind;

TEST(OptionRules, WhatEachLayoutOffers)
{
    struct Case
    {
        std::vector<const char *> checked; // options ticked (radio buttons included)
        const char *key;
        Kind kind;
        bool holds;
    };
    const Case cases[] = {
        {{"rb_WspolnyPlik_Checked"}, "edx_Nag_Start_Text", Kind::Enabled, true},
        {{"rb_nag_OsobnyPlik_Checked"}, "edx_Nag_Start_Text", Kind::Enabled, false},
        {{"rb_WspolnyPlik_Checked", "rb_nag_kolumny_Checked"}, "edx_Nag_Koniec_Text", Kind::Enabled, true},
        {{"rb_WspolnyPlik_Checked", "rb_nag_wiersz_Checked"}, "edx_Nag_Koniec_Text", Kind::Enabled, false},
        {{"rb_nag_OsobnyPlik_Checked"}, "chb_FAK_OdDrugiegoWiersza_Checked", Kind::Enabled, true},
        {{"rb_WspolnyPlik_Checked"}, "chb_FAK_OdDrugiegoWiersza_Checked", Kind::Enabled, false},
        {{"rb_sp_BrakPliku_Checked"}, "HeaderLayoutPanel", Kind::Visible, false},
        {{"rb_sp_BrakPliku_Checked"}, "SG_NAG", Kind::Enabled, false},
        {{"rb_WspolnyPlik_Checked"}, "gb_Exe", Kind::Visible, true},
        {{"rb_nag_OsobnyPlik_Checked"}, "gb_Exe", Kind::Visible, false},
        {{"chb_wyroznik_Checked"}, "edx_Wyroznik_Text", Kind::Enabled, true},
        {{}, "edx_Wyroznik_Text", Kind::Enabled, false},
        // the twin passes
        {{"rb_POZ_PodFaktura_Checked", "rb_PozPoNaglowku_Checked"}, "ed_POZ_Naglowek_Text", Kind::Enabled, true},
        {{"rb_PozPoNaglowku_Checked", "rb_POZ_OsobnyBlok_Checked"}, "ed_POZ_Naglowek_Text", Kind::Enabled, false},
        {{"chb_ZPOZ_BeginIf_Checked"}, "ed_ZPOZ_BeginIf_Text", Kind::Enabled, true},
        {{"chb_ZPOZ_BeginIf_Checked"}, "rb_ZPozEnd_InnyStart_Checked", Kind::Enabled, true},
        {{"chb_ZAM_Naglowek_Checked"}, "rb_ZPozEnd_Faktura_Checked", Kind::Enabled, true},
        {{"rb_POZ_OsobnyBlok_Checked"}, "rb_POZ_OsobnyBlok_Checked", Kind::Enabled, false}, // never offered
        {{"rb_POZ_OsobnyBlok_Checked"}, "ed_POZ_BLOK_START_Text", Kind::Enabled, true},
        {{}, "ed_NIP_Text", Kind::Enabled, true}, // a control without a rule
    };
    for (const Case &c : cases) {
        Controls controls;
        for (const char *key : c.checked)
            controls.setChecked(QString::fromLatin1(key), true);
        EXPECT_EQ(OptionRules::holds(controls, QString::fromLatin1(c.key), c.kind), c.holds) << c.key;
    }
}

TEST(OptionRules, EveryRuleNamesAKnownControlOrPanel)
{
    const QStringList panels = {QStringLiteral("HeaderLayoutPanel"),
                                QStringLiteral("gb_Exe"),
                                QStringLiteral("SG_NAG"),
                                QStringLiteral("b_New_NAG"),
                                QStringLiteral("Lab_FAK_OdDrugiegoWiersza"),
                                QStringLiteral("Lab_ZAM_OdDrugiegoWiersza")};
    for (const OptionRules::Rule &rule : OptionRules::rules())
        EXPECT_TRUE(Controls::indexOf(rule.key) >= 0 || panels.contains(rule.key)) << rule.key.toStdString();
}

} // namespace
