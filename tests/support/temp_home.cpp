#include "support/temp_home.h"

#include <QFile>
#include <QStringEncoder>

void TempHome::write(const QString &name, const QByteArray &bytes) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray TempHome::read(const QString &name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray cp1250(const QString &text)
{
    QStringEncoder encoder("windows-1250");
    return encoder.encode(text);
}

QString generatorScript()
{
    return QStringLiteral(TAVRIX_TOOLS "/make_export.py");
}
