#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh program folder for one test.
class TempHome
{
public:
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;

private:
    QTemporaryDir m_dir;
};

// Windows-1250 bytes of a text.
QByteArray cp1250(const QString &text);

// The project's synthetic export generator (tools/make_export.py): an export in the layout of
// the program's example, its settings file and, with --expect, the records it must give.
QString generatorScript();
