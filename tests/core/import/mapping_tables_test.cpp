#include "app/workspace.h"
#include "base/settings_file.h"
#include "import/mapping_tables.h"
#include "support/recording_port.h"
#include "support/temp_home.h"
#include "tables/document_tables.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

TEST(MappingGrid, SubstitutionTableAsBuilt)
{
    MappingGrid grid(QStringLiteral("SG_DEFAULT"), 2, 1);
    BuildSubstMap(grid);
    QByteArray expected = QByteArray("#def") + '\0' + "podstaw" + '\1';
    QString stored = QStringLiteral("#defűpodstaw˙");
    for (int r = 1; r <= 40; ++r) {
        expected += QByteArray::number(r) + '\0' + '\1';
        stored += QString::number(r) + QStringLiteral("ű˙");
    }
    EXPECT_EQ(grid.writeGridStream(), expected);
    EXPECT_EQ(grid.storedValue(), stored);
}

TEST(MappingGrid, RecordTablesAsBuilt)
{
    RecordingPort port;
    DocumentTables t(&port);
    MappingGrid fak(QStringLiteral("tab_FAK"), 6, 3), zam(QStringLiteral("tab_ZAM"), 6, 3);
    BuildRecordMap(t.mt_FAK_, fak, 0);
    BuildRecordMap(t.mt_ZAM_, zam, 1);
    EXPECT_EQ(fak.rowCount(), 58);
    EXPECT_EQ(fak.cell(0, 0), QStringLiteral("Nazwa pola"));
    EXPECT_EQ(fak.cell(5, 0), QStringLiteral("warunek IF"));
    EXPECT_EQ(fak.cell(0, 3), QStringLiteral("P_2A"));
    EXPECT_EQ(fak.cell(1, 3), QStringLiteral("NumerFaktury"));
    EXPECT_EQ(fak.cell(2, 3), QStringLiteral("String[256]"));
    EXPECT_EQ(fak.cell(2, 2), QStringLiteral("Date"));
    EXPECT_EQ(fak.cell(2, 30), QStringLiteral("Boolean"));
    EXPECT_EQ(fak.columnWidths(), QList<int>({110, 270, 65, 50, 140, 180}));
    EXPECT_EQ(zam.rowCount(), 4);
    EXPECT_EQ(zam.cell(0, 1), QString()); // idx is not listed
    EXPECT_EQ(zam.cell(0, 2), QStringLiteral("P_2AZ"));
    EXPECT_EQ(zam.cell(2, 3), QStringLiteral("Float"));
    MappingGrid nag(QStringLiteral("SG_NAG"), 3, 1);
    BuildHeaderMap(nag);
    EXPECT_EQ(nag.rowCount(), 15);
    EXPECT_EQ(nag.cell(0, 14), QStringLiteral("KodPocztowy"));
    EXPECT_EQ(nag.cell(1, 14), QStringLiteral("14"));
}

TEST(MappingGrid, SavedAndReloadedTableIsIdentical)
{
    RecordingPort port;
    DocumentTables t(&port);
    MappingGrid grid(QStringLiteral("tab_POS"), 6, 3);
    BuildRecordMap(t.mt_POZ_, grid, 0);
    grid.setCell(3, 2, QStringLiteral("2"));
    grid.setCell(4, 3, QStringLiteral("Kraj: #(@4) – zażółć"));
    grid.setCell(5, 4, QStringLiteral("@IF(5||ABORT)"));
    MappingGrid again(QStringLiteral("tab_POS"), 6, 3);
    BuildRecordMap(t.mt_POZ_, again, 0);
    again.setCell(4, 5, QStringLiteral("leftover"));
    again.readGridStream(grid.writeGridStream());
    EXPECT_EQ(again.cell(4, 5), QString());
    EXPECT_TRUE(again == grid);
    MappingGrid fromStored(QStringLiteral("tab_POS"), 6, 3);
    fromStored.restoreStoredValue(grid.storedValue());
    EXPECT_TRUE(fromStored == grid);
    // "ű" inside a cell splits it when it comes back from the settings file
    grid.setCell(4, 1, QStringLiteral("aűb"));
    fromStored.restoreStoredValue(grid.storedValue());
    EXPECT_EQ(fromStored.cell(4, 1), QStringLiteral("a"));
    EXPECT_EQ(fromStored.cell(5, 1), QStringLiteral("b"));
}

TEST(MappingGrid, ReadingAStreamKeepsTheLayoutsColumnsAndDropsAnUnfinishedRow)
{
    MappingGrid grid(QStringLiteral("x"), 2, 1);
    grid.readGridStream(QByteArray("a") + '\0' + "b" + '\0' + "c" + '\1' + "d" + '\1' + "e" + '\0' + "tail");
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.columnCount(), 2) << "a cell beyond the layout does not widen the table";
    EXPECT_EQ(grid.cell(1, 0), QStringLiteral("b"));
    EXPECT_EQ(grid.cell(2, 0), QString());
    EXPECT_EQ(grid.cell(0, 1), QStringLiteral("d"));
}

TEST(MappingGrid, AHostileStreamStaysSmall)
{
    // 8,000 cell ends and then 8,000 row ends: once this made a table 8,000 columns wide
    // whose saved stream was 64 MB; rows stop at what a mapping table can hold (20 MB of row
    // ends once took 11.7 s and 2 GB)
    MappingGrid grid(QStringLiteral("tab_FAK"), 6, 3);
    grid.readGridStream(QByteArray(8000, '\0') + QByteArray(20 * 1024 * 1024, '\1'));
    EXPECT_EQ(grid.columnCount(), 6);
    EXPECT_EQ(grid.rowCount(), 1000);
    EXPECT_EQ(grid.writeGridStream().size(), 1000 * (5 + 1));
}

TEST(MappingTables, EditKeys)
{
    for (QChar c : QStringLiteral("#()0123456789@AZaz|"))
        EXPECT_TRUE(MappingTables::isEditKey(c)) << int(c.unicode());
    for (QChar c : QStringLiteral(" -:[]=ąŻ\b;,."))
        EXPECT_FALSE(MappingTables::isEditKey(c)) << int(c.unicode());
    MappingTables maps;
    maps.keyTyped(MappingTables::FAK, u'-');
    EXPECT_FALSE(maps.saveFlag(MappingTables::FAK));
    maps.keyTyped(MappingTables::FAK, u'1');
    EXPECT_TRUE(maps.saveFlag(MappingTables::FAK));
    maps.keyTyped(MappingTables::FAK, u'-');
    EXPECT_TRUE(maps.saveFlag(MappingTables::FAK));
}

TEST(MappingTables, GeneratorSettingsRestoreAndOnlyTheEditedTableIsStored)
{
    TempHome home;
    QProcess gen;
    gen.start(QStringLiteral("python3"),
              {generatorScript(), home.path(), QStringLiteral("--invoices"), QStringLiteral("3")});
    ASSERT_TRUE(gen.waitForFinished(60000) && gen.exitCode() == 0);
    SettingsFile before;
    ASSERT_TRUE(before.load(home.file(QStringLiteral("JPK_FA3_Ustawienia.ini"))));

    RecordingPort port;
    {
        Workspace ws(&port);
        ws.start({}, home.path());
        MappingTables &m = ws.maps();
        EXPECT_EQ(m.grid(MappingTables::FAK).cell(3, 3), QStringLiteral("2"));    // P_2A is field 2
        EXPECT_EQ(m.grid(MappingTables::FAK).cell(4, 1), QStringLiteral("#(1)")); // KodWaluty
        EXPECT_EQ(m.grid(MappingTables::FAK).cell(5, 11), QStringLiteral("@IF(13|-|IGNORE)"));
        EXPECT_EQ(m.grid(MappingTables::POS).cell(3, 2), QStringLiteral("2"));
        EXPECT_EQ(m.grid(MappingTables::ZAM).cell(3, 2), QStringLiteral("2"));
        EXPECT_EQ(m.grid(MappingTables::ZPOS).cell(3, 8), QStringLiteral("8"));
        EXPECT_EQ(m.grid(MappingTables::DEF).cell(1, 1), QStringLiteral("PLN"));
        EXPECT_EQ(m.grid(MappingTables::NAG).cell(0, 14), QStringLiteral("KodPocztowy"));
        for (int k = 0; k < MappingTables::KindCount; ++k)
            EXPECT_FALSE(m.saveFlag(MappingTables::Kind(k)));
        m.grid(MappingTables::POS).setCell(4, 9, QStringLiteral("23"));
        m.keyTyped(MappingTables::POS, u'2');
        ws.storeSettings();
        ASSERT_TRUE(ws.writeSettingsFile());
    }
    SettingsFile after;
    ASSERT_TRUE(after.load(home.file(QStringLiteral("JPK_FA3_Ustawienia.ini"))));
    const QString section = QStringLiteral("Form_ImportJPK");
    for (const char *key : {"NAG", "FAK", "ZAM", "ZPOZ", "DEF"})
        EXPECT_EQ(after.value(section, QString::fromLatin1(key)), before.value(section, QString::fromLatin1(key)))
            << key;
    EXPECT_NE(after.value(section, QStringLiteral("POZ")), before.value(section, QStringLiteral("POZ")));
    EXPECT_TRUE(after.value(section, QStringLiteral("POZ"))->contains(QStringLiteral("ű23ű")));
}

TEST(MappingTables, ButtonsAskAndFilesFail)
{
    RecordingPort port;
    DocumentTables t(&port);
    MappingTables maps;
    maps.buildDefaults(t);
    maps.grid(MappingTables::FAK).setCell(3, 3, QStringLiteral("7"));
    port.queueAnswer(false);
    maps.rebuild(MappingTables::FAK, t, &port);
    EXPECT_EQ(maps.grid(MappingTables::FAK).cell(3, 3), QStringLiteral("7"));
    EXPECT_EQ(
        port.messages.last(),
        (RecordingPort::Message{QStringLiteral("question"), QStringLiteral("Nowy wzorzec"),
                                QStringLiteral("Wymazać bieżący i utworzyć nowy wzorzec Tabeli połączeń Faktur ?")}));
    port.queueAnswer(true);
    maps.rebuild(MappingTables::FAK, t, &port);
    EXPECT_EQ(maps.grid(MappingTables::FAK).cell(3, 3), QString());
    EXPECT_TRUE(maps.saveFlag(MappingTables::FAK));
    port.queueAnswer(true);
    maps.rebuild(MappingTables::NAG, t, &port);
    EXPECT_FALSE(maps.saveFlag(MappingTables::NAG));

    TempHome home;
    EXPECT_FALSE(maps.loadFile(MappingTables::POS, home.file(QStringLiteral("brak.ccv")), &port));
    EXPECT_TRUE(port.messages.last().text.contains(QStringLiteral("brak.ccv")));
    EXPECT_FALSE(maps.saveFlag(MappingTables::POS));
    ASSERT_TRUE(maps.saveFile(MappingTables::FAK, home.file(QStringLiteral("fak.ccv")), &port));
    ASSERT_TRUE(maps.loadFile(MappingTables::POS, home.file(QStringLiteral("fak.ccv")), &port));
    EXPECT_TRUE(maps.saveFlag(MappingTables::POS));
    EXPECT_EQ(maps.grid(MappingTables::POS).cell(0, 57), QStringLiteral("NrFaZaliczkowej"));
}

} // namespace

namespace {

TEST(Windows1250, ACharacterTheCodePageLacksBecomesAQuestionMark)
{
    // Qt's encoder puts the control character 0x1A in its place, which then reached the JPK file
    const QString text = QStringLiteral("Firma Ж Sp. – zażółć 😀");
    const QByteArray expected = QByteArray("Firma ? Sp. \x96 za\xbf\xf3\xb3\xe6 ?");
    MappingGrid grid(QStringLiteral("SG_NAG"), 3, 1);
    BuildHeaderMap(grid);
    grid.setCell(2, 5, text);
    EXPECT_TRUE(grid.writeGridStream().contains(expected));
    EXPECT_FALSE(grid.writeGridStream().contains('\x1A'));

    SettingsFile settings;
    settings.setValue(QStringLiteral("Form_ImportJPK"), QStringLiteral("ed_PelnaNazwa_Text"), text);
    settings.setValue(QStringLiteral("Form_ImportJPK"), QStringLiteral("NAG"), grid.storedValue());
    const QByteArray bytes = settings.toBytes();
    EXPECT_TRUE(bytes.contains(QByteArray("ed_PelnaNazwa_Text=" + expected + "\r\n")));
    EXPECT_FALSE(bytes.contains('\x1A'));
}

} // namespace
