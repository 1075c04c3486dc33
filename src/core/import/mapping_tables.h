#pragma once

#include "import/mapping_grid.h"

class DocumentTables;
class SettingsFile;
class UserPort;

// The six mapping tables of the main window with their modification flags, their stored
// values in the settings file and the commands of the buttons below the grids.
class MappingTables
{
public:
    enum Kind
    {
        NAG,
        FAK,
        POS,
        ZAM,
        ZPOS,
        DEF,
        KindCount
    };

    MappingTables();

    MappingGrid &grid(Kind kind) { return m_grids[kind]; }
    const MappingGrid &grid(Kind kind) const { return m_grids[kind]; }
    // By the grid's name: "SG_NAG", "tab_FAK", "tab_POS", "tab_ZAM", "tab_ZPOS", "SG_DEFAULT".
    static int kindOf(const QString &gridName);
    static QString storedKey(Kind kind); // "NAG", "FAK", "POZ", "ZAM", "ZPOZ", "DEF"

    bool saveFlag(Kind kind) const { return m_save[kind]; }
    void setSaveFlag(Kind kind, bool on) { m_save[kind] = on; }
    // A typed character marks a table modified when it may belong to a mapping.
    static bool isEditKey(QChar character);
    void keyTyped(Kind kind, QChar character);

    // The help text shown beside the substitution table: what a default value, its functions
    // and an IF condition may say.
    static QString helpText();

    // The default layouts; every flag cleared.
    void buildDefaults(const DocumentTables &tables);
    void restoreFromSettings(const SettingsFile &settings, const QString &section);
    void storeInSettings(SettingsFile &settings, const QString &section);

    // "Wczytaj" / "Zachowaj" with a file already chosen; a failure is told to the user.
    bool loadFile(Kind kind, const QString &path, UserPort *port);
    bool saveFile(Kind kind, const QString &path, UserPort *port) const;
    // "Wczytaj" / "Zachowaj" asking for the file.
    void chooseAndLoad(Kind kind, UserPort *port);
    void chooseAndSave(Kind kind, UserPort *port) const;
    // "Nowy wzorzec", "Domyślne", "Wyczyść": asks, then rebuilds.
    void rebuild(Kind kind, const DocumentTables &tables, UserPort *port);

private:
    MappingGrid m_grids[KindCount];
    bool m_save[KindCount] = {};
};
