#include "ksef/ksef_mapping.h"

#include <QStringList>
#include <array>

namespace KsefMapping {

namespace {
using L = Level;
using H = How;
constexpr TableKind FAK = TableKind::FAK;
constexpr TableKind POZ = TableKind::POZ;
constexpr TableKind ZAM = TableKind::ZAM;
constexpr TableKind ZPOZ = TableKind::ZPOZ;
} // namespace

const std::vector<Row> &rows()
{
    static const std::vector<Row> table = {
        // the seller
        {L::Invoice, "Podmiot1/PrefiksPodatnika", FAK, "P_4A", H::Text, ""},
        {L::Invoice, "Podmiot1/DaneIdentyfikacyjne/NIP", FAK, "P_4B", H::Text, ""},
        {L::Invoice, "Podmiot1/DaneIdentyfikacyjne/Nazwa", FAK, "P_3C", H::Text, ""},
        {L::Invoice, "Podmiot1/Adres/AdresL1", FAK, "P_3D", H::Address, "AdresL1, AdresL2"},
        {L::Invoice, "Podmiot1/Adres/AdresL2", FAK, "P_3D", H::Address, "AdresL1, AdresL2"},
        {L::Invoice, "Podmiot1/Adres/KodKraju", FAK, "P_3D", H::Country, "dopisany do adresu, gdy nie PL"},
        // the buyer: a Polish NIP, an EU VAT number with its prefix, another identifier, or none
        {L::Invoice, "Podmiot2/DaneIdentyfikacyjne/NIP", FAK, "P_5B", H::Text, ""},
        {L::Invoice, "Podmiot2/DaneIdentyfikacyjne/KodUE", FAK, "P_5A", H::Text, "prefiks VAT UE"},
        {L::Invoice, "Podmiot2/DaneIdentyfikacyjne/NrVatUE", FAK, "P_5B", H::Text, "numer VAT UE bez prefiksu"},
        {L::Invoice, "Podmiot2/DaneIdentyfikacyjne/NrID", FAK, "P_5B", H::Text, "inny identyfikator podatkowy"},
        {L::Invoice, "Podmiot2/DaneIdentyfikacyjne/BrakID", FAK, "", H::Known, "brak identyfikatora: P_5B puste"},
        {L::Invoice, "Podmiot2/DaneIdentyfikacyjne/Nazwa", FAK, "P_3A", H::Text, ""},
        {L::Invoice, "Podmiot2/Adres/AdresL1", FAK, "P_3B", H::Address, "AdresL1, AdresL2"},
        {L::Invoice, "Podmiot2/Adres/AdresL2", FAK, "P_3B", H::Address, "AdresL1, AdresL2"},
        {L::Invoice, "Podmiot2/Adres/KodKraju", FAK, "P_3B", H::Country, "dopisany do adresu, gdy nie PL"},
        // the authorised party: an enforcement authority (RolaPU 1), a bailiff (2) or a tax representative (3)
        {L::Invoice, "PodmiotUpowazniony/RolaPU", FAK, "P_20", H::Authorized,
         "1, 2 → P_20 = true (organ egzekucyjny, komornik sądowy); 3 → P_21 = true (przedstawiciel podatkowy)"},
        {L::Invoice, "PodmiotUpowazniony/DaneIdentyfikacyjne/Nazwa", FAK, "P_20A", H::Authorized,
         "rola 1, 2 → P_20A; rola 3 → P_21A"},
        {L::Invoice, "PodmiotUpowazniony/Adres/AdresL1", FAK, "P_20B", H::Authorized,
         "rola 1, 2 → P_20B; rola 3 → P_21B; AdresL1, AdresL2"},
        {L::Invoice, "PodmiotUpowazniony/Adres/AdresL2", FAK, "P_20B", H::Authorized,
         "rola 1, 2 → P_20B; rola 3 → P_21B; AdresL1, AdresL2"},
        {L::Invoice, "PodmiotUpowazniony/Adres/KodKraju", FAK, "P_20B", H::Authorized,
         "dopisany do adresu, gdy nie PL"},
        {L::Invoice, "PodmiotUpowazniony/DaneIdentyfikacyjne/NIP", FAK, "P_21C", H::Authorized,
         "rola 3 → P_21C; NIP organu egzekucyjnego i komornika nie ma pola w JPK_FA(4)"},
        // the invoice
        {L::Invoice, "Fa/KodWaluty", FAK, "KodWaluty", H::Text, ""},
        {L::Invoice, "Fa/P_1", FAK, "P_1", H::Date, ""},
        {L::Invoice, "Fa/P_2", FAK, "P_2A", H::Text, "numer faktury; także P_2B jej wierszy i P_2AZ zamówienia"},
        {L::Invoice, "Fa/P_6", FAK, "P_6", H::Date, ""},
        {L::Invoice, "Fa/OkresFa/P_6_Do", FAK, "P_6", H::Date,
         "koniec okresu faktury: data dokonania lub zakończenia dostawy (w FA zamiast P_6)"},
        {L::Invoice, "Fa/P_13_1", FAK, "P_13_1", H::Amount, ""},
        {L::Invoice, "Fa/P_14_1", FAK, "P_14_1", H::Amount, ""},
        {L::Invoice, "Fa/P_14_1W", FAK, "P_14_1W", H::Amount, ""},
        {L::Invoice, "Fa/P_13_2", FAK, "P_13_2", H::Amount, ""},
        {L::Invoice, "Fa/P_14_2", FAK, "P_14_2", H::Amount, ""},
        {L::Invoice, "Fa/P_14_2W", FAK, "P_14_2W", H::Amount, ""},
        {L::Invoice, "Fa/P_13_3", FAK, "P_13_3", H::Amount, ""},
        {L::Invoice, "Fa/P_14_3", FAK, "P_14_3", H::Amount, ""},
        {L::Invoice, "Fa/P_14_3W", FAK, "P_14_3W", H::Amount, ""},
        {L::Invoice, "Fa/P_13_4", FAK, "P_13_4", H::Amount, "ryczałt dla taksówek: w JPK_FA(4) część P_13_4"},
        {L::Invoice, "Fa/P_13_10", FAK, "P_13_4", H::Amount,
         "odwrotne obciążenie (art. 17 ust. 1 pkt 7 i 8): w JPK_FA(4) część P_13_4"},
        {L::Invoice, "Fa/P_14_4", FAK, "P_14_4", H::Amount, ""},
        {L::Invoice, "Fa/P_14_4W", FAK, "P_14_4W", H::Amount, ""},
        {L::Invoice, "Fa/P_13_5", FAK, "P_13_5", H::Amount,
         "procedura szczególna (dział XII rozdz. 6a): sprzedaż poza terytorium kraju, część P_13_5"},
        {L::Invoice, "Fa/P_13_8", FAK, "P_13_5", H::Amount, "poza terytorium kraju: część P_13_5"},
        {L::Invoice, "Fa/P_13_9", FAK, "P_13_5", H::Amount,
         "usługi z art. 100 ust. 1 pkt 4 (poza krajem): część P_13_5"},
        {L::Invoice, "Fa/P_14_5", FAK, "P_14_5", H::Amount, ""},
        {L::Invoice, "Fa/P_13_6_1", FAK, "P_13_6", H::Amount, "stawka 0% krajowa: część P_13_6"},
        {L::Invoice, "Fa/P_13_6_2", FAK, "P_13_6", H::Amount, "stawka 0% WDT: część P_13_6"},
        {L::Invoice, "Fa/P_13_6_3", FAK, "P_13_6", H::Amount, "stawka 0% eksport: część P_13_6"},
        {L::Invoice, "Fa/P_13_7", FAK, "P_13_7", H::Amount, ""},
        {L::Invoice, "Fa/P_15", FAK, "P_15", H::Amount, ""},
        {L::Invoice, "Fa/Adnotacje/P_16", FAK, "P_16", H::Flag, ""},
        {L::Invoice, "Fa/Adnotacje/P_17", FAK, "P_17", H::Flag, ""},
        {L::Invoice, "Fa/Adnotacje/P_18", FAK, "P_18", H::Flag, ""},
        {L::Invoice, "Fa/Adnotacje/P_18A", FAK, "P_18A", H::Flag, ""},
        {L::Invoice, "Fa/Adnotacje/Zwolnienie/P_19", FAK, "P_19", H::Flag, ""},
        {L::Invoice, "Fa/Adnotacje/Zwolnienie/P_19A", FAK, "P_19A", H::Text, ""},
        {L::Invoice, "Fa/Adnotacje/Zwolnienie/P_19B", FAK, "P_19B", H::Text, ""},
        {L::Invoice, "Fa/Adnotacje/Zwolnienie/P_19C", FAK, "P_19C", H::Text, ""},
        {L::Invoice, "Fa/Adnotacje/Zwolnienie/P_19N", FAK, "P_19", H::FlagNo, "1 → false"},
        {L::Invoice, "Fa/Adnotacje/NoweSrodkiTransportu/P_22", FAK, "P_22", H::Flag, ""},
        {L::Invoice, "Fa/Adnotacje/NoweSrodkiTransportu/P_22N", FAK, "P_22", H::FlagNo, "1 → false"},
        {L::Invoice, "Fa/Adnotacje/NoweSrodkiTransportu/NowySrodekTransportu/P_22A", FAK, "P_22A", H::Date,
         "pierwszego pojazdu"},
        {L::Invoice, "Fa/Adnotacje/NoweSrodkiTransportu/NowySrodekTransportu/P_22B", FAK, "P_22B", H::Text,
         "pierwszego pojazdu"},
        {L::Invoice, "Fa/Adnotacje/NoweSrodkiTransportu/NowySrodekTransportu/P_22C", FAK, "P_22C", H::Text,
         "pierwszego pojazdu"},
        {L::Invoice, "Fa/Adnotacje/P_23", FAK, "P_23", H::Flag, ""},
        {L::Invoice, "Fa/Adnotacje/PMarzy/P_PMarzy", FAK, "", H::Known, "znacznik; rodzaj procedury niżej"},
        {L::Invoice, "Fa/Adnotacje/PMarzy/P_PMarzy_2", FAK, "P_106E_2", H::Flag, "biura podróży"},
        {L::Invoice, "Fa/Adnotacje/PMarzy/P_PMarzy_3_1", FAK, "P_106E_3", H::MarginKind,
         "true; P_106E_3A: \"procedura marży - towary używane\""},
        {L::Invoice, "Fa/Adnotacje/PMarzy/P_PMarzy_3_2", FAK, "P_106E_3", H::MarginKind,
         "true; P_106E_3A: \"procedura marży - dzieła sztuki\""},
        {L::Invoice, "Fa/Adnotacje/PMarzy/P_PMarzy_3_3", FAK, "P_106E_3", H::MarginKind,
         "true; P_106E_3A: \"procedura marży - przedmioty kolekcjonerskie i antyki\""},
        {L::Invoice, "Fa/Adnotacje/PMarzy/P_PMarzyN", FAK, "P_106E_3", H::FlagNo, "1 → P_106E_2 i P_106E_3 false"},
        {L::Invoice, "Fa/RodzajFaktury", FAK, "RodzajFaktury", H::Kind,
         "VAT, UPR, ROZ → VAT; KOR, KOR_ZAL, KOR_ROZ → KOREKTA; ZAL → ZAL"},
        {L::Invoice, "Fa/PrzyczynaKorekty", FAK, "PrzyczynaKorekty", H::Text, ""},
        {L::Invoice, "Fa/DaneFaKorygowanej/NrFaKorygowanej", FAK, "NrFaKorygowanej", H::Joined, "kilka: po przecinku"},
        {L::Invoice, "Fa/OkresFaKorygowanej", FAK, "OkresFaKorygowanej", H::Text, ""},
        {L::Invoice, "Fa/FakturaZaliczkowa/NrFaZaliczkowej", FAK, "NrFaZaliczkowej", H::Joined, "kilka: po przecinku"},
        {L::Invoice, "Fa/FakturaZaliczkowa/NrKSeFFaZaliczkowej", FAK, "NrFaZaliczkowej", H::AdvanceKsef,
         "numer KSeF faktury zaliczkowej; jej własny numer (P_2), gdy ta faktura jest w tym samym imporcie"},
        {L::Invoice, "Fa/FakturaZaliczkowa/NrKSeFZN", FAK, "", H::Known,
         "znacznik: faktura zaliczkowa wystawiona poza KSeF (jej numer obok)"},
        // the advance invoice's order
        {L::Invoice, "Fa/Zamowienie/WartoscZamowienia", ZAM, "WartoscZamowienia", H::Amount, ""},
        // a line of the invoice (FaWiersz)
        {L::Line, "NrWierszaFa", POZ, "", H::Known, "kolejność wierszy"},
        {L::Line, "StanPrzed", POZ, "", H::Before,
         "wiersz sprzed korekty jako storno: P_8B, P_10, P_11, P_11A ze znakiem przeciwnym"},
        {L::Line, "P_6A", POZ, "", H::LineDate, "P_6 faktury, gdy go nie ma, a wszystkie wiersze mają tę samą datę"},
        {L::Line, "P_7", POZ, "P_7", H::Text, ""},
        {L::Line, "P_8A", POZ, "P_8A", H::Text, ""},
        {L::Line, "P_8B", POZ, "P_8B", H::Amount, ""},
        {L::Line, "P_9A", POZ, "P_9A", H::Amount, ""},
        {L::Line, "P_9B", POZ, "P_9B", H::Amount, ""},
        {L::Line, "P_10", POZ, "P_10", H::Amount, ""},
        {L::Line, "P_11", POZ, "P_11", H::Amount, ""},
        {L::Line, "P_11A", POZ, "P_11A", H::Amount, ""},
        {L::Line, "P_12", POZ, "P_12", H::Rate, "0 KR, 0 WDT, 0 EX → 0; np I, np II → np"},
        {L::Line, "P_12_XII", POZ, "P_12_XII", H::Amount, "stawka OSS w procentach"},
        // a line of the order (ZamowienieWiersz)
        {L::OrderLine, "NrWierszaZam", ZPOZ, "", H::Known, "kolejność wierszy"},
        {L::OrderLine, "StanPrzedZ", ZPOZ, "", H::Before,
         "wiersz zamówienia sprzed korekty jako storno: P_8BZ, P_11NettoZ, P_11VatZ ze znakiem przeciwnym"},
        {L::OrderLine, "P_7Z", ZPOZ, "P_7Z", H::Text, ""},
        {L::OrderLine, "P_8AZ", ZPOZ, "P_8AZ", H::Text, ""},
        {L::OrderLine, "P_8BZ", ZPOZ, "P_8BZ", H::Amount, ""},
        {L::OrderLine, "P_9AZ", ZPOZ, "P_9AZ", H::Amount, ""},
        {L::OrderLine, "P_11NettoZ", ZPOZ, "P_11NettoZ", H::Amount, ""},
        {L::OrderLine, "P_11VatZ", ZPOZ, "P_11VatZ", H::Amount, ""},
        {L::OrderLine, "P_12Z", ZPOZ, "P_12Z", H::Rate, "0 KR, 0 WDT, 0 EX → 0; np I, np II → np"},
    };
    return table;
}

const Row *find(Level level, const QString &path)
{
    static const std::array<QHash<QString, const Row *>, 3> byPath = [] {
        std::array<QHash<QString, const Row *>, 3> h;
        for (const Row &row : rows())
            h[size_t(row.level)].insert(QString::fromLatin1(row.path), &row);
        return h;
    }();
    return byPath[size_t(level)].value(path, nullptr);
}

bool negatedInStorno(TableKind table, const QString &field)
{
    static const QStringList line = {QStringLiteral("P_8B"), QStringLiteral("P_10"), QStringLiteral("P_11"),
                                     QStringLiteral("P_11A")};
    static const QStringList orderLine = {QStringLiteral("P_8BZ"), QStringLiteral("P_11NettoZ"),
                                          QStringLiteral("P_11VatZ")};
    return (table == TableKind::POZ && line.contains(field)) || (table == TableKind::ZPOZ && orderLine.contains(field));
}

QString rate(const QString &code)
{
    if (code == u"0 KR" || code == u"0 WDT" || code == u"0 EX")
        return QStringLiteral("0");
    if (code == u"np I" || code == u"np II")
        return QStringLiteral("np");
    return code;
}

QString kind(const QString &code)
{
    if (code == u"VAT" || code == u"UPR" || code == u"ROZ")
        return QStringLiteral("VAT");
    if (code == u"KOR" || code == u"KOR_ZAL" || code == u"KOR_ROZ")
        return QStringLiteral("KOREKTA");
    if (code == u"ZAL")
        return QStringLiteral("ZAL");
    return QString();
}

QString marginWords(const QString &element)
{
    if (element.endsWith(u"_3_1"))
        return QStringLiteral("procedura marży - towary używane");
    if (element.endsWith(u"_3_2"))
        return QStringLiteral("procedura marży - dzieła sztuki");
    return QStringLiteral("procedura marży - przedmioty kolekcjonerskie i antyki");
}

} // namespace KsefMapping
