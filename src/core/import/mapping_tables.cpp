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
    QByteArray bytes;
    QString error;
    if (!readFileCapped(path, kMaxSmallFile, &bytes, &error)) {
        port->error(applicationTitle(), QStringLiteral("Nie można otworzyć pliku połączenia %1:\r%2").arg(path, error));
        return false;
    }
    m_grids[kind].readGridStream(bytes);
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
