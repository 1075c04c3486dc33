#include "app/workspace.h"
#include "jpk/jpk_template.h"
#include "support/recording_port.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

namespace {

TEST(Workspace, StartChoosesTheConfigurationFileAndRestores)
{
    TempHome home;
    home.write(QStringLiteral("JPK_FA4_Config05.ini"),
               cp1250(QStringLiteral("[Form_ImportJPK]\r\ned_Gmina_Text=Łódź\r\n")));
    home.write(QStringLiteral("JPK_FA3_Ustawienia.ini"),
               cp1250(QStringLiteral("[Form_ImportJPK]\r\ned_Gmina_Text=Kraków\r\n")));
    RecordingPort port;
    Workspace ws(&port);
    ws.start({QStringLiteral("-cnf:05")}, home.path());
    EXPECT_EQ(ws.controls().text(QStringLiteral("ed_Gmina_Text")), QStringLiteral("Łódź"));
    EXPECT_EQ(ws.statusText(), QStringLiteral("Zadana konfiguracja [05] | "));
    EXPECT_EQ(ws.configLabelText(), QStringLiteral("wywołano konfigurację -cnf:05"));
    EXPECT_EQ(ws.settingsPath(), home.file(QStringLiteral("JPK_FA4_Config05.ini")));

    Workspace plain(&port);
    plain.start({}, home.path());
    EXPECT_EQ(plain.controls().text(QStringLiteral("ed_Gmina_Text")), QStringLiteral("Kraków"));
    EXPECT_EQ(plain.statusText(), QString());
}

TEST(Workspace, OutputNameDefaultsUnlessAnEmptyOneIsStored)
{
    TempHome home;
    RecordingPort port;
    {
        Workspace ws(&port);
        ws.start({}, home.path());
        EXPECT_EQ(ws.controls().text(QStringLiteral("fn_JPK_Text")), QStringLiteral("JPK_FA4.XML"));
    }
    home.write(QStringLiteral("JPK_FA3_Ustawienia.ini"), "[Form_ImportJPK]\r\nfn_JPK_Text=\r\n");
    Workspace ws(&port);
    ws.start({}, home.path());
    EXPECT_EQ(ws.controls().text(QStringLiteral("fn_JPK_Text")), QString());
}

TEST(Workspace, StoreWritesFormVersionFirstThenTheControlsAndKeepsForeignKeys)
{
    TempHome home;
    home.write(QStringLiteral("JPK_FA3_Ustawienia.ini"),
               "[Form_ImportJPK]\r\nMyOwnKey=keep me\r\nNAG=x\r\n[Notes]\r\nA=1\r\n");
    RecordingPort port;
    Workspace ws(&port);
    ws.start({}, home.path());
    ws.controls().setText(QStringLiteral("ed_NIP_Text"), QStringLiteral("5261040828"));
    ws.storeSettings();
    ASSERT_TRUE(ws.writeSettingsFile());

    SettingsFile back;
    ASSERT_TRUE(back.load(home.file(QStringLiteral("JPK_FA3_Ustawienia.ini"))));
    const QStringList keys = back.keys(QStringLiteral("Form_ImportJPK"));
    EXPECT_EQ(keys.mid(0, 3),
              QStringList({QStringLiteral("MyOwnKey"), QStringLiteral("NAG"), QStringLiteral("FormVersion")}));
    EXPECT_EQ(keys.at(3), QStringLiteral("PageControl_ActivePage"));
    EXPECT_EQ(back.value(QStringLiteral("Form_ImportJPK"), QStringLiteral("MyOwnKey")), QStringLiteral("keep me"));
    EXPECT_EQ(back.value(QStringLiteral("Notes"), QStringLiteral("A")), QStringLiteral("1"));
    EXPECT_EQ(back.value(QStringLiteral("Form_ImportJPK"), QStringLiteral("ed_NIP_Text")),
              QStringLiteral("5261040828"));
}

TEST(Workspace, AboutText)
{
    EXPECT_EQ(Workspace::aboutText(), QStringLiteral("Program do generowania pliku JPK_FA4.XML\n"
                                                     "do wersji wg schematu: Schemat_JPK_FA(4)_v1-0.xsd\n"
                                                     "z danych tekstowych imortowanych z innych aplikacji\n"
                                                     "według sposobu określonego przez użytkownika.\n"
                                                     "Wersja programu: 2023.08.25.1"));
    // one version: the template made by the program carries the same
    EXPECT_TRUE(designTemplate().contains(QStringLiteral("<wersja>2023.08.25.1</wersja>")));
}

} // namespace
