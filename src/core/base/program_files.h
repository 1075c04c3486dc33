#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Where the program finds its own files. The program folder (--home, by default the folder of
// the executable) holds the settings, the schema beside the program and schemas/catalog.xml.
// The program also has the schemas it ships with, whatever the program folder: beside the
// executable in the build tree (bin/schemas), or in <prefix>/share/tavrix-jpk/schemas next to
// <prefix>/bin once installed; so it validates offline. The program folder's own come first.
namespace ProgramFiles {

inline constexpr char kMainSchema[] = "Schemat_JPK_FA(4)_v1-0.xsd";

// The schema catalogs that exist, the program folder's first.
QStringList schemaCatalogs(const QString &home);
// The JPK_FA(4) schema beside the program, else the installed one; empty when neither exists.
QString mainSchema(const QString &home);
// A schema of the e-invoice structures (schemas/ksef/<fileName>) beside the program, else
// the installed one; empty when neither exists.
QString ksefSchema(const QString &home, const QString &fileName);
// The folder of the shipped schemas (with catalog.xml): beside the executable, else the
// install's share folder; empty when neither exists.
QString installedSchemas();
// Tests of the download and cache roads take the shipped schemas away (an empty folder), or
// give them back (nullopt).
void setShippedSchemas(const std::optional<QString> &dir);
// The program folder when none is given: the executable's folder when it can be written to
// (a program unpacked anywhere), else the user's data folder (an installed program).
QString defaultHome();

} // namespace ProgramFiles
