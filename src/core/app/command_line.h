#pragma once

#include <QString>
#include <QStringList>

// The window's command-line options: "-cnf:nn" (configuration), "-k" (keep the
// configuration pages visible) and "-xml" (show the template page).
struct CommandLine
{
    bool cnfGiven = false;
    QString cnf;                  // the configuration code, empty without "-cnf"
    bool keepConfigPages = false; // "-k"
    bool showTemplate = false;    // "-xml"

    // args without the program name. An option starts with "-" or "/"; names compare
    // without regard to case; the first matching argument wins.
    static CommandLine parse(const QStringList &args);

    // "JPK_FA3_Ustawienia.ini", or "JPK_FA4_Config" + code + ".ini" with "-cnf"; only the
    // file-name part of the composed name counts.
    QString settingsFileName() const;
    // The status bar text: "Zadana konfiguracja [code] | " with a code, empty otherwise.
    QString statusText() const;
};

// Whether arg is an option (starts with "-" or "/").
bool isOptionArgument(const QString &arg);
