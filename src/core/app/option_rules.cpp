#include "app/option_rules.h"

#include "base/controls.h"
#include "import/pass_keys.h"

namespace OptionRules {

namespace {

bool on(const Controls &c, const char *key)
{
    return c.checked(QString::fromLatin1(key));
}

std::vector<Rule> build()
{
    using K = Rule::Kind;
    std::vector<Rule> r;
    auto add = [&r](const char *key, K kind, std::function<bool(const Controls &)> holds) {
        r.push_back({QString::fromLatin1(key), kind, std::move(holds)});
    };
    auto common = [](const Controls &c) { return c.isCommonFile(); };
    auto separate = [](const Controls &c) { return !c.isCommonFile(); };
    auto header = [](const Controls &c) { return !on(c, "rb_sp_BrakPliku_Checked"); };
    // the layout of the import file
    add("edx_Nag_Start_Text", K::Enabled, common);
    add("edx_Nag_Koniec_Text", K::Enabled,
        [](const Controls &c) { return c.isCommonFile() && on(c, "rb_nag_kolumny_Checked"); });
    for (const char *key :
         {"ed_FAK_StartBlok_Text", "ed_FAK_EndBlok_Text", "ed_ZAM_StartBlok_Text", "ed_ZAM_EndBlok_Text"})
        add(key, K::Enabled, common);
    for (const char *key : {"Lab_FAK_OdDrugiegoWiersza", "Lab_ZAM_OdDrugiegoWiersza",
                            "chb_FAK_OdDrugiegoWiersza_Checked", "chb_ZAM_OdDrugiegoWiersza_Checked"})
        add(key, K::Enabled, separate);
    add("HeaderLayoutPanel", K::Visible, header);
    add("SG_NAG", K::Enabled, header);
    add("b_New_NAG", K::Enabled, header);
    add("gb_Exe", K::Visible, common);
    add("chb_nag_OdDrugiegoWiersza_Checked", K::Enabled,
        [](const Controls &c) { return on(c, "rb_nag_wiersz_Checked"); });
    add("edx_Wyroznik_Text", K::Enabled, [](const Controls &c) { return on(c, "chb_wyroznik_Checked"); });
    // the record passes and their order twins
    for (const PassKeys *k : {&kInvoicePassKeys, &kOrderPassKeys}) {
        auto when = [](const char *key) { return [key](const Controls &c) { return on(c, key); }; };
        add(k->separateBlock, K::Enabled, [](const Controls &) { return false; }); // never offered
        add(k->blockStart, K::Enabled, when(k->separateBlock));
        add(k->blockEnd, K::Enabled, when(k->separateBlock));
        add(k->directlyUnder, K::Enabled, when(k->underRecord));
        add(k->afterHeading, K::Enabled, when(k->underRecord));
        add(k->headingText, K::Enabled,
            [k](const Controls &c) { return on(c, k->underRecord) && on(c, k->afterHeading); });
        add(k->recordFilterText, K::Enabled, when(k->recordFilter));
        add(k->endAtNumber, K::Enabled, when(k->recordFilter));
        add(k->recordHeadingText, K::Enabled, when(k->recordHeading));
        add(k->endAtRecord, K::Enabled, when(k->recordHeading));
        add(k->lineFilterText, K::Enabled, when(k->lineFilter));
        add(k->endAtOtherStart, K::Enabled, when(k->lineFilter));
    }
    return r;
}

} // namespace

const std::vector<Rule> &rules()
{
    static const std::vector<Rule> table = build();
    return table;
}

bool holds(const Controls &controls, const QString &key, Rule::Kind kind)
{
    for (const Rule &rule : rules())
        if (rule.kind == kind && rule.key == key)
            return rule.holds(controls);
    return true;
}

} // namespace OptionRules
