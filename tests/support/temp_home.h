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

// The synthetic export generator kept beside the repository, or empty when the clone stands
// alone; tests that need it skip then.
QString generatorScript();
#define TAVRIX_GENERATOR_OR_SKIP()                                                                                     \
    if (generatorScript().isEmpty())                                                                                   \
    GTEST_SKIP() << "the export generator (../shared/tools/gen_jpk_input.py) is not beside this clone"
