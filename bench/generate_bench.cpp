// Generation of the JPK file from N invoices with K lines each: wall time per run and the
// memory the generation adds on top of the filled tables (it must not grow with N).
//   bench_generate [INVOICES] [LINES] [RUNS] [OUTFILE]
#include "app/workspace.h"
#include "silent_port.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

long statusKiB(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(strlen(key))).trimmed().split(' ').first().toLong();
    return 0;
}

// Forget the high-water mark so the next reading is the peak of what follows.
void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

void fill(DocumentTables &t, int invoices, int lines)
{
    t.suspendViews();
    const QString buyer = QStringLiteral("Przedsiębiorstwo Handlowe \"Żuraw\" Sp. z o.o.");
    for (int i = 1; i <= invoices; ++i) {
        const QString number = QStringLiteral("FV/%1/08/2023").arg(i);
        DocumentTable &f = t.mt_FAK_;
        f.append();
        f.setValue(QStringLiteral("KodWaluty"), QStringLiteral("PLN"));
        f.setValue(QStringLiteral("P_1"), QDate(2023, 8, 1 + i % 28));
        f.setValue(QStringLiteral("P_2A"), number);
        f.setValue(QStringLiteral("P_3A"), buyer);
        f.setValue(QStringLiteral("P_3B"), QStringLiteral("ul. Polna %1, Kraków").arg(i % 90));
        f.setValue(QStringLiteral("P_3C"), QStringLiteral("Tavrix Demo Sp. z o.o."));
        f.setValue(QStringLiteral("P_3D"), QStringLiteral("ul. Marszałkowska 12/3, 00-001 Warszawa"));
        f.setValue(QStringLiteral("P_4A"), QStringLiteral("PL"));
        f.setValue(QStringLiteral("P_4B"), QStringLiteral("5261040828"));
        f.setValue(QStringLiteral("P_5B"), QStringLiteral("1008063609"));
        f.setValue(QStringLiteral("P_6"), QDate(2023, 8, 1 + i % 28));
        f.setValue(QStringLiteral("P_13_1"), 100.0 + i % 1000);
        f.setValue(QStringLiteral("P_14_1"), 23.0 + i % 230);
        f.setValue(QStringLiteral("P_15"), 123.0 + i % 1230);
        f.setValue(QStringLiteral("RodzajFaktury"), QStringLiteral("VAT"));
        f.post();
        for (int j = 0; j < lines; ++j) {
            DocumentTable &p = t.mt_POZ_;
            p.append();
            p.setValue(QStringLiteral("P_2B"), number);
            p.setValue(QStringLiteral("P_7"), QStringLiteral("Usługa serwisowa nr %1").arg(j));
            p.setValue(QStringLiteral("P_8A"), QStringLiteral("szt."));
            p.setValue(QStringLiteral("P_8B"), 2.0);
            p.setValue(QStringLiteral("P_9A"), 50.0 + j);
            p.setValue(QStringLiteral("P_11"), 100.0 + 2 * j);
            p.setValue(QStringLiteral("P_12"), QStringLiteral("23"));
            p.post();
        }
    }
    t.resumeViews();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    const int invoices = a.size() > 1 ? a.at(1).toInt() : 100000;
    const int lines = a.size() > 2 ? a.at(2).toInt() : 3;
    const int runs = a.size() > 3 ? a.at(3).toInt() : 5;
    QTemporaryDir dir;
    const QString out = a.size() > 4 ? a.at(4) : dir.filePath(QStringLiteral("JPK_FA4.xml"));

    SilentPort port;
    Workspace ws(&port);
    ws.start({}, dir.path());
    ws.controls().setText(QStringLiteral("ed_NIP_Text"), QStringLiteral("5261040828"));
    QElapsedTimer fillTimer;
    fillTimer.start();
    fill(ws.tables(), invoices, lines);
    const double fillSeconds = fillTimer.elapsed() / 1000.0;
    const long tablesKiB = statusKiB("VmRSS:");

    QList<double> seconds;
    long growth = 0;
    for (int r = 0; r < runs; ++r) {
        QFile::remove(out);
        ws.controls().setText(QStringLiteral("fn_JPK_Text"), out);
        resetPeak();
        const long before = statusKiB("VmRSS:");
        QElapsedTimer timer;
        timer.start();
        if (!ws.generateJpk()) {
            std::fprintf(stderr, "generation failed\n");
            return 1;
        }
        seconds << timer.elapsed() / 1000.0;
        growth = std::max(growth, statusKiB("VmHWM:") - before);
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("invoices %d, lines %d: tables filled in %.2f s, RSS with tables %ld KiB\n", invoices, invoices * lines,
                fillSeconds, tablesKiB);
    std::printf("generate: median %.3f s (min %.3f, max %.3f, %d runs), peak memory added %ld KiB, file %lld bytes\n",
                seconds.at(seconds.size() / 2), seconds.first(), seconds.last(), runs, growth, QFile(out).size());
    return 0;
}
