// Import of a common file written by gen_jpk_input.py, step by step: reading the file into
// the line list, the header, the invoice pass, the order pass. Prints each step's median time
// over RUNS runs, lines per second of the passes, and the peak memory of the process.
//   bench_import DIR [RUNS]      (DIR holds dane.txt and JPK_FA3_Ustawienia.ini)
#include "app/workspace.h"
#include "import/import_driver.h"
#include "silent_port.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>

namespace {

long peakKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 2) {
        std::fprintf(stderr, "usage: bench_import DIR [RUNS]\n");
        return 2;
    }
    const QString dir = a.at(1);
    const int runs = a.size() > 2 ? a.at(2).toInt() : 3;
    QList<double> read, header, invoices, orders;
    int lines = 0, records = 0;
    for (int r = 0; r < runs; ++r) {
        SilentPort port;
        Workspace ws(&port);
        ws.start({}, dir);
        ImportDriver d(ws.context());
        QElapsedTimer t;
        t.start();
        if (!d.readImportFile(QDir(dir).filePath(QStringLiteral("dane.txt"))))
            return 1;
        read << t.nsecsElapsed() / 1e9;
        lines = d.importLines().count();
        t.restart();
        d.importHeaderBlock(2);
        header << t.nsecsElapsed() / 1e9;
        int fakStart = 0, zamStart = 0;
        for (int i = 0; i < lines; ++i) {
            if (d.importLines().line(i) == u"[Faktury]")
                fakStart = i + 1;
            if (d.importLines().line(i) == u"[Zamowienia]")
                zamStart = i + 1;
        }
        t.restart();
        d.importInvoiceBlock(fakStart);
        invoices << t.nsecsElapsed() / 1e9;
        t.restart();
        d.importOrderBlock(zamStart);
        orders << t.nsecsElapsed() / 1e9;
        records = ws.tables().mt_FAK_.storedCount() + ws.tables().mt_POZ_.storedCount();
    }
    std::printf("file: %d lines; invoices + invoice lines stored: %d\n", lines, records);
    std::printf("read    median %7.3f s\nheader  median %7.3f s\ninvoices median %7.3f s (%.0f lines/s)\n"
                "orders  median %7.3f s\npeak memory %ld KiB\n",
                median(read), median(header), median(invoices), records / median(invoices), median(orders), peakKiB());
    return 0;
}
