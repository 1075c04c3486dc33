#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    QStringList args;
    const char *file;
    const char *status;
    bool k;
    bool xml;
};

TEST(CommandLine, FormsOfTheOptions)
{
    const auto s = [](std::initializer_list<const char *> list) {
        QStringList out;
        for (const char *a : list)
            out << QString::fromLatin1(a);
        return out;
    };
    const Case cases[] = {
        {s({}), "JPK_FA3_Ustawienia.ini", "", false, false},
        {s({"-cnf:05"}), "JPK_FA4_Config05.ini", "Zadana konfiguracja [05] | ", false, false},
        {s({"-cnf05"}), "JPK_FA4_Config05.ini", "Zadana konfiguracja [05] | ", false, false},
        {s({"/CNF:05"}), "JPK_FA4_Config05.ini", "Zadana konfiguracja [05] | ", false, false},
        {s({"-cnf", "05"}), "JPK_FA4_Config05.ini", "Zadana konfiguracja [05] | ", false, false},
        {s({"-cnf", "-k"}), "JPK_FA4_Config.ini", "", true, false},
        {s({"-K"}), "JPK_FA3_Ustawienia.ini", "", true, false},
        {s({"/k"}), "JPK_FA3_Ustawienia.ini", "", true, false},
        {s({"-kx"}), "JPK_FA3_Ustawienia.ini", "", false, false},
        {s({"k"}), "JPK_FA3_Ustawienia.ini", "", false, false},
        {s({"-xml"}), "JPK_FA3_Ustawienia.ini", "", false, true},
        {s({"/XML", "-cnf:01", "-cnf:02"}), "JPK_FA4_Config01.ini", "Zadana konfiguracja [01] | ", false, true},
        {s({"-cnf:../../etc/x"}), "x.ini", "Zadana konfiguracja [../../etc/x] | ", false, false},
        {s({"plik.txt", "-cnf:7"}), "JPK_FA4_Config7.ini", "Zadana konfiguracja [7] | ", false, false},
    };
    for (const Case &c : cases) {
        const CommandLine line = CommandLine::parse(c.args);
        const QString label = c.args.join(u' ');
        EXPECT_EQ(line.settingsFileName(), QString::fromLatin1(c.file)) << label.toStdString();
        EXPECT_EQ(line.statusText(), QString::fromLatin1(c.status)) << label.toStdString();
        EXPECT_EQ(line.keepConfigPages, c.k) << label.toStdString();
        EXPECT_EQ(line.showTemplate, c.xml) << label.toStdString();
    }
}

} // namespace
