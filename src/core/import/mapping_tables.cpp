#include "import/mapping_tables.h"

#include "base/safe_file.h"
#include "base/settings_file.h"
#include "base/user_port.h"
#include "tables/document_tables.h"

#include <QFile>
#include <QSaveFile>

namespace {
const QString kFilter = QStringLiteral("Pliki TabeliPołaczenia (*.ccv)");
}

MappingTables::MappingTables()
    : m_grids{MappingGrid(QStringLiteral("SG_NAG"), 3, 1),   MappingGrid(QStringLiteral("tab_FAK"), 6, 3),
              MappingGrid(QStringLiteral("tab_POS"), 6, 3),  MappingGrid(QStringLiteral("tab_ZAM"), 6, 3),
              MappingGrid(QStringLiteral("tab_ZPOS"), 6, 3), MappingGrid(QStringLiteral("SG_DEFAULT"), 2, 1)}
{
}

int MappingTables::kindOf(const QString &gridName)
{
    const char *names[] = {"SG_NAG", "tab_FAK", "tab_POS", "tab_ZAM", "tab_ZPOS", "SG_DEFAULT"};
    for (int k = 0; k < KindCount; ++k)
        if (gridName.compare(QLatin1String(names[k]), Qt::CaseInsensitive) == 0)
            return k;
    return -1;
}

QString MappingTables::storedKey(Kind kind)
{
    const char *keys[] = {"NAG", "FAK", "POZ", "ZAM", "ZPOZ", "DEF"};
    return QString::fromLatin1(keys[kind]);
}

bool MappingTables::isEditKey(QChar character)
{
    const char16_t c = character.unicode();
    return c == u'#' || c == u'(' || c == u')' || (c >= u'0' && c <= u'9') || c == u'@' || (c >= u'A' && c <= u'Z') ||
           (c >= u'a' && c <= u'z') || c == u'|';
}

void MappingTables::keyTyped(Kind kind, QChar character)
{
    if (!m_save[kind])
        m_save[kind] = isEditKey(character);
}

void MappingTables::buildDefaults(const DocumentTables &tables)
{
    BuildRecordMap(tables.mt_FAK_, m_grids[FAK], 0);
    BuildRecordMap(tables.mt_POZ_, m_grids[POS], 0);
    BuildRecordMap(tables.mt_ZAM_, m_grids[ZAM], 1);
    BuildRecordMap(tables.mt_ZPOZ_, m_grids[ZPOS], 1);
    BuildSubstMap(m_grids[DEF]);
    BuildHeaderMap(m_grids[NAG]);
    for (bool &flag : m_save)
        flag = false;
}

void MappingTables::restoreFromSettings(const SettingsFile &settings, const QString &section)
{
    for (Kind kind : {NAG, FAK, POS, DEF, ZAM, ZPOS})
        if (const auto value = settings.value(section, storedKey(kind)))
            m_grids[kind].restoreStoredValue(*value);
}

void MappingTables::storeInSettings(SettingsFile &settings, const QString &section)
{
    for (Kind kind : {NAG, FAK, POS, ZAM, ZPOS, DEF}) {
        if (!m_save[kind])
            continue;
        settings.setValue(section, storedKey(kind), m_grids[kind].storedValue());
        m_save[kind] = false;
    }
}

bool MappingTables::loadFile(Kind kind, const QString &path, UserPort *port)
{
    const Result<QByteArray> bytes = readFileCapped(path, kMaxSmallFile);
    if (!bytes) {
        port->error(applicationTitle(),
                    QStringLiteral("Nie można otworzyć pliku połączenia %1:\r%2").arg(path, bytes.reason()));
        return false;
    }
    m_grids[kind].readGridStream(*bytes);
    m_save[kind] = true;
    return true;
}

bool MappingTables::saveFile(Kind kind, const QString &path, UserPort *port) const
{
    SafeFile file(path);
    if (file.open() && file.write(m_grids[kind].writeGridStream()) && file.commit())
        return true;
    port->error(applicationTitle(),
                QStringLiteral("Nie można zapisać pliku połączenia %1:\r%2").arg(path, file.errorString()));
    return false;
}

void MappingTables::chooseAndLoad(Kind kind, UserPort *port)
{
    if (const auto path =
            port->chooseOpenFile(QStringLiteral("Wskarz plik połączenia"), kFilter, QStringLiteral("ccv")))
        loadFile(kind, *path, port);
}

void MappingTables::chooseAndSave(Kind kind, UserPort *port) const
{
    if (const auto path =
            port->chooseSaveFile(QStringLiteral("Wybierz plik połączenia"), kFilter, QStringLiteral("ccv")))
        saveFile(kind, *path, port);
}

void MappingTables::rebuild(Kind kind, const DocumentTables &tables, UserPort *port)
{
    const char *questions[] = {
        "Wymazać bieżący i utworzyć nowy wzorzec Tabeli połączeń Nagłówka ?",
        "Wymazać bieżący i utworzyć nowy wzorzec Tabeli połączeń Faktur ?",
        "Wymazać bieżący i utworzyć nowy wzorzec Tabeli połączeń pozycji faktury ?",
        "Wymazać bieżący i utworzyć nowy wzorzec Tabeli połączeń Zamówień ?",
        "Wymazać bieżący i utworzyć nowy wzorzec Tabeli połączeń pozycji Zamówienia ?",
        "Wymazać bieżący i utworzyć nowy wzorzec Tabeli Podstawień ?",
    };
    if (!port->question(QStringLiteral("Nowy wzorzec"), QString::fromUtf8(questions[kind])))
        return;
    const DocumentTables &t = tables;
    switch (kind) {
    case NAG:
        BuildHeaderMap(m_grids[NAG]); // the flag is not set
        break;
    case FAK:
        BuildRecordMap(t.mt_FAK_, m_grids[FAK], 0);
        m_save[FAK] = true;
        break;
    case POS:
        BuildRecordMap(t.mt_POZ_, m_grids[POS], 0);
        m_save[POS] = true;
        break;
    case ZAM:
        BuildRecordMap(t.mt_ZAM_, m_grids[ZAM], 1);
        m_save[ZAM] = true;
        break;
    case ZPOS:
        BuildRecordMap(t.mt_ZPOZ_, m_grids[ZPOS], 1);
        m_save[ZPOS] = true;
        break;
    case DEF:
        BuildSubstMap(m_grids[DEF]); // the flag is not set
        break;
    case KindCount:
        break;
    }
}

QString MappingTables::helpText()
{
    // two lines keep their trailing space
    static const QString text =
        QString::fromUtf8("Objaśnienie do Tabel Połączeń:\n"
                          "\n"
                          "[#pozycji]\n"
                          "  - to kolejny numer pola z wczytywanego wiersza (od 1)\n"
                          "  - pozostawinie pustego pola lub wpisanie cyfry 0 - znaczy się nie ma skąd \n"
                          "pobrać danych\n"
                          "\n"
                          "[Wartość domyślna]\n"
                          " Wstawiana automatycznie - jeżeli [#pozycja] jest pusta,\n"
                          " lub odczytana wartość tego pola(#pozyji).AsString jest pusta.\n"
                          " Wartość ta może być zwykłym tekstem lub funkcją:\n"
                          "  #(nn) - w to miejsce zostanie wstawiona wartość z\n"
                          "          pola #nn z tablicy wartości podstawialnych\n"
                          "  #(@nn) - w to miejsce zostanie wstawiona wartość z pola(@nn).AsString\n"
                          "  #(@nn:T) - w to miejsce zostanie wstawiona wartość z wiersza\n"
                          "             tabeli podstawień wynikająca w wartości pola(@nn).AsInteger\n"
                          "  #(@nn:[p1=w1|p2=w2|p3=w3|...]) - jeżeli wartość z pola \n"
                          "            (@nn).AsString =  p1.AsString\n"
                          "             to postawiona będzie wartość w1.AsString,\n"
                          "            i odpowienio p2 to w2,  itd ...\n"
                          "przykłady pola:\n"
                          "  Adres #(@11), ulica #(@12)  // mieszanka tekstu i wartości pól 11 i 12\n"
                          "  Brak adresu                 // zwykły tekst\n"
                          "  #(3)                        // wartość 3 wiersz tabeli podstawień\n"
                          "  (brak)                      // złykły tekst\n"
                          "  #(@3) to właśnie #(@3:T)  // (wartość pola nr3)+\"to właśnie \"+wartość\n"
                          "                                  z tabeli podstawienia z wiersza wynikającego\n"
                          "                                  z numeru wg wartości pola\n"
                          "\n"
                          "[warunek IF]\n"
                          "Sprawdany przed wypełnieniem pola:\n"
                          "składnia:\n"
                          "  @IF(Nr|Wartosc) lub @IF(Nr|Wartosc|Akcja)\n"
                          "to spełnienie warunku:\n"
                          " Jeżeli pole(Nr).AsString = \"Wartosc\" to pole zostanie wypełnione.\n"
                          " Jeżeli występuje parametr \"Akcja\" to w zależności od parametru przy\n"
                          " spełnieniu warunku nastąpi:\n"
                          "IGNORE : wypełnienie pola zostanie zignorowane\n"
                          "ABORT  : zostanie przerwane wypełnianie dla całgo wiersza\n"
                          "DEF    : w pole zostanie wstawiona wartość z \"Wartości domyślnej\"\n"
                          "Funkcja odwrotna tej samej składni to @IFN()\n"
                          "\n"
                          "pzykład:\n"
                          "@IF(14||ABORT) - co oznacza, że jeżeli pole(14) jest puste zostanie\n"
                          "                 przerwane wypełnienie całego wiersz\n"
                          "@(IF(8|-|DEF)  - jeżeli pole(8) = \"-\" to wstawiona zostanie wartość z\n"
                          "                 pozycji DEF np. \"(brak NIP)\"\n"
                          "@(IF(9|-|IGNORE) jeżeli pole(9) = \"-\" to nie wypełniaj\n"
                          "\n"
                          "Uwaga - wielkość liter ma znaczenie.\n");
    return text;
}
