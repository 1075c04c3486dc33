#include "base/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ProgramFiles {

namespace {
std::optional<QString> g_shippedOverride;
}

void setShippedSchemas(const std::optional<QString> &dir)
{
    g_shippedOverride = dir;
}

QString installedSchemas()
{
    if (g_shippedOverride)
        return *g_shippedOverride;
    if (!QCoreApplication::instance())
        return QString();
    // the build places them beside the executables, the install in its share folder: found
    // whatever the program folder (--home) is
    const QDir exe(QCoreApplication::applicationDirPath());
    for (const QString &candidate : {QStringLiteral("schemas"), QStringLiteral("../share/tavrix-jpk/schemas")}) {
        const QString dir = exe.absoluteFilePath(candidate);
        if (QFile::exists(QDir(dir).filePath(QStringLiteral("catalog.xml"))))
            return QDir::cleanPath(dir);
    }
    return QString();
}

QStringList schemaCatalogs(const QString &home)
{
    QStringList catalogs;
    const QString own = QDir(home).filePath(QStringLiteral("schemas/catalog.xml"));
    if (QFile::exists(own))
        catalogs << own;
    const QString installed = installedSchemas();
    if (!installed.isEmpty())
        catalogs << QDir(installed).filePath(QStringLiteral("catalog.xml"));
    return catalogs;
}

QString mainSchema(const QString &home)
{
    const QString beside = QDir(home).filePath(QString::fromLatin1(kMainSchema));
    if (QFile::exists(beside))
        return beside;
    const QString installed = installedSchemas();
    const QString there = installed.isEmpty() ? QString() : QDir(installed).filePath(QString::fromLatin1(kMainSchema));
    return !there.isEmpty() && QFile::exists(there) ? there : QString();
}

QString ksefSchema(const QString &home, const QString &fileName)
{
    const QString beside = QDir(home).filePath(QStringLiteral("schemas/ksef/") + fileName);
    if (QFile::exists(beside))
        return beside;
    const QString installed = installedSchemas();
    const QString there =
        installed.isEmpty() ? QString() : QDir(installed).filePath(QStringLiteral("ksef/") + fileName);
    return !there.isEmpty() && QFile::exists(there) ? there : QString();
}

QString defaultHome()
{
    const QString exe = QCoreApplication::applicationDirPath();
    if (QFileInfo(exe).isWritable())
        return exe;
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath();
    const QString home = QDir(data).filePath(QStringLiteral("tavrix-jpk"));
    QDir().mkpath(home);
    return home;
}

} // namespace ProgramFiles
