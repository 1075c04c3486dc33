#include "fuzz_support.h"

#include "app/workspace.h"
#include "base/xml_services.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

QCoreApplication *g_app = nullptr;

} // namespace

void fuzzInitialize(int *argc, char ***argv)
{
    if (!g_app)
        g_app = new QCoreApplication(*argc, *argv); // lives as long as the fuzzer
    qputenv("TAVRIX_NO_NETWORK", "1");
}

const QTemporaryDir &fuzzHome()
{
    static QTemporaryDir dir;
    return dir;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void generateWellFormed(Workspace &ws)
{
    const QString out = QDir(fuzzHome().path()).filePath(QStringLiteral("out.xml"));
    ws.controls().setText(QStringLiteral("fn_JPK_Text"), out);
    if (ws.generateJpk()) {
        XmlRootInfo root;
        XmlError error;
        FUZZ_CHECK(Xml::scanFile(out, &root, &error), "a written file is well-formed");
    }
}
