#include "tables/field_def.h"

namespace {

const QString kMoney = QStringLiteral(",0.00");
const QString kQuantity = QStringLiteral("0.000000");
// The widths of the JPK_FA(4) schema: its texts (TZnakowyJPK) hold 256 characters, tax
// numbers (TNrIdentyfikacjiPodatkowej) 50; codes keep their own.
constexpr int kText = 256;
constexpr int kTaxNumber = 50;

FieldDef s(const char *name, int size, const char *label = nullptr)
{
    const QString n = QString::fromLatin1(name);
    return FieldDef{n, FieldType::String, size, label ? QString::fromUtf8(label) : n, QString(), false};
}
FieldDef d(const char *name, const char *label)
{
    return FieldDef{QString::fromLatin1(name), FieldType::Date, 0, QString::fromUtf8(label), QString(), false};
}
FieldDef f(const char *name, const char *label, const QString &format = kMoney)
{
    return FieldDef{QString::fromLatin1(name), FieldType::Float, 0, QString::fromUtf8(label), format, false};
}
FieldDef b(const char *name, const char *label, bool nullAsFalse = true)
{
    return FieldDef{QString::fromLatin1(name), FieldType::Boolean, 0, QString::fromUtf8(label), QString(), nullAsFalse};
}
FieldDef key(const char *name)
{
    const QString n = QString::fromLatin1(name);
    return FieldDef{n, FieldType::Integer, 0, n, QStringLiteral("hidden"), false};
}

} // namespace

const QList<FieldDef> &tableFields(TableKind kind)
{
    static const QList<FieldDef> fak = {
        s("KodWaluty", 3, "Waluta"),
        d("P_1", "DataWystawienia"),
        s("P_2A", kText, "NumerFaktury"),
        s("P_3A", kText, "Nabywca"),
        s("P_3B", kText, "AdresNabywcy"),
        s("P_3C", kText, "Sprzedawca"),
        s("P_3D", kText, "AdresSprzedawcy"),
        s("P_4A", 2, "pxNipSprzedawcy"),
        s("P_4B", kTaxNumber, "NipSprzedawcy"),
        s("P_5A", 2, "pxNipNabywcy"),
        s("P_5B", kTaxNumber, "NipNabywcy"),
        d("P_6", "DataDokonania"),
        f("P_13_1", "netto 22;23%"),
        f("P_14_1", "vat 22;23%"),
        f("P_14_1W", "vat 22;23% wPLN"),
        f("P_13_2", "netto 7;8%"),
        f("P_14_2", "vat 7,8%"),
        f("P_14_2W", "vat 7,8% wPLN"),
        f("P_13_3", "netto 5%"),
        f("P_14_3", "vat 5%"),
        f("P_14_3W", "vat 5% wPLN"),
        f("P_13_4", "netto o3; 4%T; oo"),
        f("P_14_4", "vat o3; 4%T,\"0\""),
        f("P_14_4W", "vat o3; 4%T,\"0\" wPLN"),
        f("P_13_5", "netto poza PL"),
        f("P_14_5", "kwOSS"),
        f("P_13_6", "netto 0%"),
        f("P_13_7", "netto ZW"),
        f("P_15", "KwotaOgółem"),
        b("P_16", "MetodaKasowa"),
        b("P_17", "Samofakturowanie"),
        b("P_18", "mOO"),
        b("P_18A", "MPP"),
        b("P_19", "ZwolnionaOdPodatku"),
        s("P_19A", kText, "TreśćPodstawyZwolnienia_A43u1_A113u1"),
        s("P_19B", kText, "TreśćPodstawyZwolnienia_Dyrektywy2006/112/WE"),
        s("P_19C", kText, "TreśćPodstawyZwolnienia_Inna"),
        b("P_20", "FakturaDłuznika_A106c"),
        s("P_20A", kText, "NazwaEgzekutora"),
        s("P_20B", kText, "AdresEgzekutora"),
        b("P_21", "FakturaPrzezPrzedstawiciela"),
        s("P_21A", kText, "Przedstawiciel"),
        s("P_21B", kText, "AdresPrzedstawiciela"),
        s("P_21C", kText, "NipPrzedstawiciela"),
        b("P_22", "WDnŚT"),
        d("P_22A", "WDnŚT_DataDopuszczenia"),
        s("P_22B", kText, "WDNŚT_Przebieg"),
        s("P_22C", kText, "WDNŚT_Roboczogodzin"),
        b("P_23", "TransakcjaTrójstronna"),
        b("P_106E_2", "MarżaWTurystyce_A106e_2"),
        b("P_106E_3", "MarżaSprzedaż_A106e_3", false),
        s("P_106E_3A", kText, "MarżaSprzedaż_A106e_3_Opis"),
        s("RodzajFaktury", 7),
        s("PrzyczynaKorekty", kText),
        s("NrFaKorygowanej", kText),
        s("OkresFaKorygowanej", kText),
        s("NrFaZaliczkowej", kText),
    };
    static const QList<FieldDef> poz = {
        s("P_2B", kText, "NumerFaktury"),
        s("P_7", kText, "NazwaTowaruLubUsługi"),
        s("P_8A", kText, "Miara"),
        f("P_8B", "Ilość", kQuantity),
        f("P_9A", "c.j.netto"),
        f("P_9B", "c.j.brutto"),
        f("P_10", "KwotaUpustówNieUwzględnionychWCenie"),
        f("P_11", "WartośćTransakcjiNetto"),
        f("P_11A", "WartośćTransakcjiBrutto_dla_A106e_7i8"),
        s("P_12", 2, "StawkaPodatku"),
        f("P_12_XII", "StawkaPodatku OSS", kQuantity),
    };
    static const QList<FieldDef> zam = {
        key("idx"),
        s("P_2AZ", kText, "NumerFakturyDoZamówienia"),
        f("WartoscZamowienia", "Wartość zamówienia"),
    };
    static const QList<FieldDef> zpoz = {
        key("idx_zal"),
        s("P_7Z", kText, "Nazwa(rodzaj)Towaru lub usługi"),
        s("P_8AZ", kText, "Miara"),
        f("P_8BZ", "Ilość", kQuantity),
        f("P_9AZ", "c.j.netto"),
        f("P_11NettoZ", "Wartość bez VAT"),
        f("P_11VatZ", "Kwota podatku"),
        s("P_12Z", 2, "StawkaPodatku"),
    };
    switch (kind) {
    case TableKind::FAK:
        return fak;
    case TableKind::POZ:
        return poz;
    case TableKind::ZAM:
        return zam;
    case TableKind::ZPOZ:
        return zpoz;
    }
    return fak;
}

QString tableName(TableKind kind)
{
    switch (kind) {
    case TableKind::FAK:
        return QStringLiteral("mt_FAK_");
    case TableKind::POZ:
        return QStringLiteral("mt_POZ_");
    case TableKind::ZAM:
        return QStringLiteral("mt_ZAM_");
    case TableKind::ZPOZ:
        return QStringLiteral("mt_ZPOZ_");
    }
    return QString();
}

int fieldDecimals(const FieldDef &field)
{
    return field.format == kQuantity ? 6 : 2;
}

QString fieldTypeText(const FieldDef &field)
{
    switch (field.type) {
    case FieldType::String:
        return QStringLiteral("String[%1]").arg(field.size);
    case FieldType::Date:
        return QStringLiteral("Date");
    case FieldType::Float:
        return QStringLiteral("Float");
    case FieldType::Boolean:
        return QStringLiteral("Boolean");
    case FieldType::Integer:
        return QStringLiteral("Integer");
    }
    return QString();
}
