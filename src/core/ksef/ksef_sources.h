#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// The e-invoice files of one source: a single .xml file, a folder of them (its subfolders
// too when asked) or a .zip package, read one file at a time; a package is read from
// inside, never unpacked to disk.
namespace KsefSources {

// No e-invoice comes near this; a larger file is refused unread.
inline constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

// One file of a source. An empty `error` means `bytes` holds the whole file.
struct Document
{
    QString name; // as the user knows it: the path, or "package.zip: entry.xml"
    QByteArray bytes;
    QString error;
};

// Reads every file and hands it to `take`, which returns false to stop; `begin` is told
// first how many files may come (for the gauge). `skipped` gets the names of the files that
// are not .xml (they are not read). Returns an empty string, or why the source itself could not be
// read.
QString read(const QString &path, bool recursive, QStringList *skipped, const std::function<void(qint64)> &begin,
             const std::function<bool(const Document &)> &take);

} // namespace KsefSources
