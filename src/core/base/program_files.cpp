#include "base/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ProgramFiles {

QString installedSchemas()
{
    if (!QCoreApplication::instance())
        return QString();
    const QString dir =
        QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/tavrix-jpk/schemas"));
    return QFile::exists(QDir(dir).filePath(QStringLiteral("catalog.xml"))) ? QDir::cleanPath(dir) : QString();
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
