#include "fuzz_support.h"

#include "app/workspace.h"
#include "base/xml_scan.h"
#include "base/xml_services.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <algorithm>

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

void checkTableLimits(Workspace &ws)
{
    DocumentTables &t = ws.tables();
    for (DocumentTable *table : {&t.mt_FAK_, &t.mt_POZ_, &t.mt_ZAM_, &t.mt_ZPOZ_}) {
        const QList<FieldDef> &fields = table->fields();
        for (int f = 0; f < fields.size(); ++f) {
            if (fields.at(f).type != FieldType::String)
                continue;
            for (int r = 0; r < table->storedCount(); ++r) {
                const QStringView text = table->stringViewAt(r, f);
                // a surrogate pair is one character of the field
                const qsizetype characters =
                    text.size() - std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLowSurrogate(); });
                FUZZ_CHECK(characters <= fields.at(f).size, "no text is longer than its field");
            }
        }
    }
}
