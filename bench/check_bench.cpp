// "Kontrola" over N invoices with K lines each: the checks and the totals, wall time per run
// (median of RUNS) and the findings they give.
//   bench_check [INVOICES] [LINES] [RUNS]
#include "app/workspace.h"
#include "check/data_checks.h"
#include "silent_port.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int invoices = argc > 1 ? atoi(argv[1]) : 1000000;
    const int lines = argc > 2 ? atoi(argv[2]) : 3;
    const int runs = argc > 3 ? atoi(argv[3]) : 3;
    SilentPort port;
    Workspace ws(&port);
    DocumentTables &t = ws.tables();
    QElapsedTimer fillTime;
    fillTime.start();
    t.suspendViews();
    for (int i = 1; i <= invoices; ++i) {
        const QString number = QStringLiteral("FV/%1/08/2023").arg(i);
        DocumentTable &f = t.mt_FAK_;
        f.append();
        f.setValue(QStringLiteral("KodWaluty"), QStringLiteral("PLN"));
        f.setValue(QStringLiteral("P_1"), QDate(2023, 8, 1 + i % 28));
        f.setValue(QStringLiteral("P_2A"), number);
        f.setValue(QStringLiteral("P_3C"), QStringLiteral("Hurtownia Sp. z o.o."));
        f.setValue(QStringLiteral("P_3D"), QStringLiteral("ul. Długa 1, 00-001 Warszawa"));
        f.setValue(QStringLiteral("P_4B"), QStringLiteral("5261040828"));
        f.setValue(QStringLiteral("P_5B"), QStringLiteral("1132853869"));
        f.setValue(QStringLiteral("P_13_1"), 100.0 * lines);
        f.setValue(QStringLiteral("P_14_1"), 23.0 * lines);
        f.setValue(QStringLiteral("P_15"), 123.0 * lines);
        f.setValue(QStringLiteral("RodzajFaktury"), QStringLiteral("VAT"));
        f.post();
        for (int j = 0; j < lines; ++j) {
            DocumentTable &p = t.mt_POZ_;
            p.append();
            p.setValue(QStringLiteral("P_2B"), number);
            p.setValue(QStringLiteral("P_8B"), 2.0);
            p.setValue(QStringLiteral("P_9A"), 50.0);
            p.setValue(QStringLiteral("P_11"), 100.0);
            p.setValue(QStringLiteral("P_12"), QStringLiteral("23"));
            p.post();
        }
    }
    t.resumeViews();
    std::fprintf(stderr, "filled %d invoices, %d lines in %.1f s\n", invoices, invoices * lines,
                 fillTime.elapsed() / 1000.0);
    DataChecks::Header header;
    header.from = QDate(2023, 8, 1);
    header.to = QDate(2023, 8, 31);
    header.nip = QStringLiteral("5261040828");
    std::vector<double> times;
    qsizetype findings = 0;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer timer;
        timer.start();
        findings = DataChecks::run(t, header).size();
        const Totals totals = DataChecks::totals(t);
        times.push_back(timer.elapsed() / 1000.0);
        Q_UNUSED(totals);
    }
    std::sort(times.begin(), times.end());
    std::printf("check %d invoices, %d lines: median %.2f s (runs: %d), findings: %lld\n", invoices, invoices * lines,
                times[times.size() / 2], runs, static_cast<long long>(findings));
    return 0;
}
