#include "ksef/ksef_sources.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <zip.h>

namespace KsefSources {
namespace {

bool isXmlName(const QString &name)
{
    return name.endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive);
}

Document readFile(const QString &path)
{
    Document d{path, QByteArray(), QString()};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        d.error = QFileInfo(path).isReadable() ? file.errorString() : QStringLiteral("brak prawa do odczytu pliku");
        return d;
    }
    if (file.size() > kMaxFileSize) {
        d.error = QStringLiteral("plik jest za duży (%1 B, najwyżej %2 B)").arg(file.size()).arg(kMaxFileSize);
        return d;
    }
    d.bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        d.error = file.errorString();
    else if (d.bytes.size() > kMaxFileSize)
        d.error = QStringLiteral("plik jest za duży (najwyżej %1 B)").arg(kMaxFileSize);
    return d;
}

struct ZipCloser
{
    void operator()(zip_t *z) const { zip_discard(z); }
};
struct ZipFileCloser
{
    void operator()(zip_file_t *f) const { zip_fclose(f); }
};

QString zipError(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

std::unique_ptr<zip_t, ZipCloser> openZip(const QString &path, QString *error)
{
    int code = 0;
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code));
    if (!archive)
        *error = QStringLiteral("%1: %2").arg(path, zipError(code));
    return archive;
}

// The entry's bytes, read through libzip's decompression; never more than the limit, whatever
// the entry's header claims.
Document readEntry(zip_t *archive, zip_uint64_t index, const QString &name)
{
    Document d{name, QByteArray(), QString()};
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive, index, 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE) && st.size > quint64(kMaxFileSize)) {
        d.error = QStringLiteral("plik jest za duży (%1 B, najwyżej %2 B)").arg(st.size).arg(kMaxFileSize);
        return d;
    }
    std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen_index(archive, index, 0));
    if (!file) {
        d.error = QString::fromUtf8(zip_strerror(archive));
        return d;
    }
    char buffer[65536];
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
        if (n < 0) {
            d.error = QString::fromUtf8(zip_file_strerror(file.get()));
            return d;
        }
        if (n == 0)
            break;
        if (d.bytes.size() + n > kMaxFileSize) {
            d.error = QStringLiteral("plik jest za duży (najwyżej %1 B)").arg(kMaxFileSize);
            d.bytes.clear();
            return d;
        }
        d.bytes.append(buffer, qsizetype(n));
    }
    return d;
}

bool isPackage(const QString &path)
{
    return path.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive);
}

} // namespace

QString read(const QString &path, bool recursive, QStringList *skipped, const std::function<void(qint64)> &begin,
             const std::function<bool(const Document &)> &take)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("%1: nie ma takiego pliku ani folderu").arg(path);
    if (info.isDir()) {
        if (!info.isReadable() || !info.isExecutable())
            return QStringLiteral("%1: brak prawa do odczytu folderu").arg(path);
        // every file, readable or not (one that cannot be read is said, never passed over), and
        // the subfolders, to tell of one that cannot be entered
        QDirIterator it(path, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
        // a folder is read in name order, so a second run meets the files as the first did
        QStringList files, closed;
        while (it.hasNext()) {
            const QString entry = it.next();
            const QFileInfo entryInfo = it.fileInfo();
            if (!entryInfo.isDir())
                files << entry;
            else if (recursive && (!entryInfo.isReadable() || !entryInfo.isExecutable()))
                closed << entry;
        }
        files.sort();
        closed.sort();
        begin(files.size() + closed.size());
        for (const QString &folder : std::as_const(closed))
            if (!take(Document{folder, QByteArray(), QStringLiteral("brak prawa do odczytu folderu")}))
                return QString();
        for (const QString &file : std::as_const(files)) {
            if (!isXmlName(file)) {
                *skipped << file;
                continue;
            }
            if (!take(readFile(file)))
                break;
        }
        return QString();
    }
    if (isPackage(path)) {
        QString error;
        auto archive = openZip(path, &error);
        if (!archive)
            return error;
        const zip_int64_t entries = zip_get_num_entries(archive.get(), 0);
        begin(entries);
        for (zip_int64_t i = 0; i < entries; ++i) {
            const char *raw = zip_get_name(archive.get(), zip_uint64_t(i), ZIP_FL_ENC_GUESS);
            const QString entry = raw ? QString::fromUtf8(raw) : QString();
            if (entry.endsWith(u'/'))
                continue; // a folder inside the package
            if (!isXmlName(entry)) {
                *skipped << info.fileName() + QStringLiteral(": ") + entry;
                continue;
            }
            if (!take(readEntry(archive.get(), zip_uint64_t(i), info.fileName() + QStringLiteral(": ") + entry)))
                break;
        }
        return QString();
    }
    begin(1);
    if (!isXmlName(path)) {
        *skipped << path;
        return QString();
    }
    take(readFile(path));
    return QString();
}

} // namespace KsefSources
