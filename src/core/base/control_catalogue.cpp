#include "base/controls.h"

// The catalogue of options: every key the settings file, the window and the command line know,
// its kind, its default and whether it is stored, in the order the settings file holds them;
// the pages; the header fields and the keys of their controls. What the options do when they
// change is in controls.cpp (the click rules) and app/option_rules.cpp (what each enables).

namespace {

using Def = Controls::Def;
using Kind = Controls::Kind;

Def text(const char *key, const char *def = "", bool stored = true)
{
    return Def{QString::fromLatin1(key), Kind::Text, QString::fromUtf8(def), stored, QString()};
}
Def check(const char *key, bool def, bool stored = true)
{
    return Def{QString::fromLatin1(key), Kind::Checked, def, stored, QString()};
}
Def radio(const char *key, bool def, const char *group, bool stored = true)
{
    return Def{QString::fromLatin1(key), Kind::Checked, def, stored, QString::fromLatin1(group)};
}
Def index(const char *key)
{
    return Def{QString::fromLatin1(key), Kind::ItemIndex, 0, true, QString()};
}

QList<Def> buildDefinitions()
{
    return {
        // The stored controls, in the order the settings file holds them.
        Def{QStringLiteral("PageControl_ActivePage"), Kind::Page, QStringLiteral("ts_Naglowek"), true, QString()},
        text("ed_KodUrzedu_Text"),
        index("cb_data_ItemIndex"),
        index("cb_koma_ItemIndex"),
        index("cb_PL_ItemIndex"),
        index("cb_separator_ItemIndex"),
        text("ed_Gmina_Text"),
        text("ed_KodKraju_Text"),
        text("ed_KodPocztowy_Text"),
        text("ed_KodUrzedu_TextHint"),
        text("ed_Miejscowosc_Text"),
        text("ed_NIP_Text"),
        text("ed_NrDomu_Text"),
        text("ed_NrLokalu_Text"),
        text("ed_PelnaNazwa_Text"),
        text("ed_Powiat_Text"),
        text("ed_Ulica_Text"),
        text("ed_Wojewodztwo_Text"),
        text("edx_Nag_Koniec_Text", "[Naglowek_Koniec]"),
        text("edx_Nag_Start_Text", "[Naglowek_Start]"),
        text("ed_FAK_EndBlok_Text", "[Faktury_Koniec]"),
        text("ed_FAK_StartBlok_Text", "[Faktury]"),
        text("ed_POZ_BLOK_END_Text", "[FakturaPozycje_Koniec]"),
        text("ed_POZ_BLOK_START_Text", "[FakturaPozycje]"),
        text("fn_JPK_Text"),
        radio("rb_nag_kolumny_Checked", false, "nag_layout"),
        radio("rb_nag_OsobnyPlik_Checked", false, "file_layout"),
        radio("rb_nag_wiersz_Checked", true, "nag_layout"),
        radio("rb_WspolnyPlik_Checked", false, "file_layout"),
        radio("rb_sp_BrakPliku_Checked", true, "file_layout"),
        check("chb_nag_OdDrugiegoWiersza_Checked", false),
        check("chb_FAK_OdDrugiegoWiersza_Checked", false),
        text("edx_Wyroznik_Text", "*JPK_FK(4)*"),
        check("chb_wyroznik_Checked", false),
        check("chb_zaslon_Checked", false),
        check("chb_FAK_append_Checked", false),
        check("chb_Imp_Application_Checked", false),
        text("fn_Imp_Aplikacja_FileName"),
        text("fn_Imp_PlikWymiany_FileName"),
        text("edx_FALSE_Text", "NIE;FALSE;false;F;0;"),
        text("edx_TRUE_Text", "TAK;TRUE;true;T;1;"),
        radio("rb_POZ_OsobnyBlok_Checked", false, "poz_place"),
        radio("rb_POZ_PodFaktura_Checked", true, "poz_place"),
        radio("rb_PozBezposrednioPod_Checked", true, "poz_start"),
        radio("rb_PozEnd_Faktura_Checked", false, "poz_end"),
        radio("rb_PozEnd_FL_Checked", true, "poz_end"),
        radio("rb_PozEnd_InnyStart_Checked", false, "poz_end"),
        radio("rb_PozPoNaglowku_Checked", false, "poz_start"),
        text("ed_POZ_BeginIf_Text", "POZ"),
        text("ed_POZ_Naglowek_Text", "[Pozycje]"),
        check("chb_FAK_BeginIf_Checked", false),
        check("chb_FAK_Naglowek_Checked", false),
        text("ed_FAK_BeginIf_Text", "FAK"),
        text("ed_FAK_Naglowek_Text", "[Faktura]"),
        check("chb_FloatZeroExNull_Checked", false),
        radio("rb_PozEnd_FakId_Checked", false, "poz_end"),
        check("chb_Weryfikuj_Checked", false),
        check("chb_ZAL_NieImportuj_Checked", false),
        check("chb_ZAM_append_Checked", false),
        check("chb_ZAM_BeginIf_Checked", false),
        check("chb_ZAM_Naglowek_Checked", false),
        check("chb_ZAM_OdDrugiegoWiersza_Checked", false),
        check("chb_ZPOZ_BeginIf_Checked", false),
        text("ed_ZAM_BeginIf_Text", "ZAM"),
        text("ed_ZAM_Naglowek_Text", "[Zamowienie]"),
        text("ed_ZAM_StartBlok_Text", "[Zamowienia]"),
        text("ed_ZAM_EndBlok_Text", "[Zamowienia_Koniec]"),
        text("ed_ZPOZ_BeginIf_Text", "POZ"),
        text("ed_ZPOZ_BLOK_END_Text", "[ZamowieniePozycje_Koniec]"),
        text("ed_ZPOZ_BLOK_START_Text", "[ZamowieniePozycje]"),
        text("ed_ZPOZ_Naglowek_Text", "[Pozycje]"),
        check("chb_page_multiline_Checked", true),
        check("chb_page_ragged_Checked", false),
        // The invoice-line filter is kept too, after the others so that their order stays.
        check("chb_POZ_BeginIf_Checked", false),

        // Not stored: back at their design values at every start.
        check("chb_Korekta_Checked", false, false),
        Def{QStringLiteral("ed_DataOd_Date"), Kind::Date, zeroDate(), false, QString()},
        Def{QStringLiteral("ed_DataDo_Date"), Kind::Date, zeroDate(), false, QString()},
        text("ed_DataWytworzeniaJPK_Text", "", false),
        text("ed_EUPLVATID_Text", "", false),
        text("ed_IMPLVATID_Text", "", false),
        radio("rb_ZPOZ_OsobnyBlok_Checked", false, "zpoz_place", false),
        radio("rb_ZPOZ_PodFaktura_Checked", true, "zpoz_place", false),
        radio("rb_ZPozBezposrednioPod_Checked", true, "zpoz_start", false),
        radio("rb_ZPozPoNaglowku_Checked", false, "zpoz_start", false),
        radio("rb_ZPozEnd_FL_Checked", true, "zpoz_end", false),
        radio("rb_ZPozEnd_InnyStart_Checked", false, "zpoz_end", false),
        radio("rb_ZPozEnd_Faktura_Checked", false, "zpoz_end", false),
        radio("rb_ZPozEnd_FakId_Checked", false, "zpoz_end", false),
        text("e_Params_Text", "-JPK_FK -od:%0:s -do:%1:s -plik:%2:s", false),
    };
}

} // namespace

const QList<Controls::Def> &Controls::definitions()
{
    static const QList<Def> defs = buildDefinitions();
    return defs;
}

int Controls::indexOf(const QString &key)
{
    static const QHash<QString, int> byKey = [] {
        QHash<QString, int> h;
        const QList<Def> &defs = definitions();
        for (int i = 0; i < defs.size(); ++i) {
            h.insert(defs.at(i).key, i);
            h.insert(defs.at(i).key.toLower(), i);
        }
        return h;
    }();
    // keys mostly come as defined; other letter cases are found too
    const auto exact = byKey.constFind(key);
    if (exact != byKey.cend())
        return *exact;
    return byKey.value(key.toLower(), -1);
}

const Controls::Def *Controls::find(const QString &key)
{
    const int i = indexOf(key);
    return i < 0 ? nullptr : &definitions().at(i);
}

QStringList Controls::pageNames()
{
    return {QStringLiteral("ts_Naglowek"),     QStringLiteral("ts_Faktury"),     QStringLiteral("ts_Zamowienia"),
            QStringLiteral("ts_Konfigurator"), QStringLiteral("ts_imp_fak"),     QStringLiteral("ts_imp_fak_poz"),
            QStringLiteral("ts_imp_zal"),      QStringLiteral("ts_imp_zal_poz"), QStringLiteral("ts_Config"),
            QStringLiteral("ts_XML"),          QStringLiteral("ts_Help")};
}

QStringList Controls::headerFieldNames()
{
    return {QStringLiteral("DataOd"),
            QStringLiteral("DataDo"),
            QStringLiteral("KodUrzedu"),
            QStringLiteral("NIP"),
            QStringLiteral("PelnaNazwa"),
            QStringLiteral("EUPLVATID"),
            QStringLiteral("IMPLVATID"),
            QStringLiteral("KodKraju"),
            QStringLiteral("Wojewodztwo"),
            QStringLiteral("Powiat"),
            QStringLiteral("Gmina"),
            QStringLiteral("Ulica"),
            QStringLiteral("NrDomu"),
            QStringLiteral("NrLokalu"),
            QStringLiteral("Miejscowosc"),
            QStringLiteral("KodPocztowy"),
            QStringLiteral("DataWytworzeniaJPK")};
}

QString Controls::headerControlKey(const QString &name)
{
    for (const QString &field : headerFieldNames()) {
        if (field.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (field == u"DataOd" || field == u"DataDo")
            return QStringLiteral("ed_") + field + QStringLiteral("_Date");
        return QStringLiteral("ed_") + field + QStringLiteral("_Text");
    }
    return QString();
}
