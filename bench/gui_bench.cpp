// The window over a million invoices: how long it takes to open the invoice list, to jump to
// the last record ("▶|"), and to scroll a page, each the median of RUNS runs (offscreen).
//   bench_gui [INVOICES] [RUNS]
#include "app/workspace.h"
#include "document_grid.h"
#include "document_model.h"
#include "main_window.h"
#include "silent_port.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int invoices = argc > 1 ? atoi(argv[1]) : 1000000;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;
    QTemporaryDir home;
    SilentPort port;
    MainWindow w({}, home.path(), &port);
    w.resize(839, 718);
    w.show();
    DocumentTables &t = w.workspace().tables();
    QElapsedTimer fill;
    fill.start();
    t.suspendViews();
    for (int i = 1; i <= invoices; ++i) {
        t.mt_FAK_.append();
        t.mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/%1/08/2023").arg(i));
        t.mt_FAK_.setValue(QStringLiteral("P_15"), 123.45 + i % 1000);
        t.mt_FAK_.post();
    }
    t.resumeViews();
    std::fprintf(stderr, "filled %d invoices in %.1f s\n", invoices, fill.elapsed() / 1000.0);
    w.pages()->setCurrentWidget(w.page(QStringLiteral("ts_Faktury")));
    DocumentGrid *grid = w.grid(QStringLiteral("grid_FAK"));
    auto *tabs = qobject_cast<QTabWidget *>(grid->parentWidget()->parentWidget());
    std::vector<double> open, last, page, erase;
    for (int r = 0; r < runs; ++r) {
        tabs->setCurrentIndex(0);
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        tabs->setCurrentWidget(grid); // the list of a million invoices opens
        grid->repaint();
        open.push_back(timer.nsecsElapsed() / 1e6);
        t.mt_FAK_.first();
        QApplication::processEvents();
        timer.restart();
        t.mt_FAK_.moveTo(t.mt_FAK_.recordCount() - 1); // "▶|"
        grid->repaint();
        last.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        grid->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub); // a page up
        grid->repaint();
        page.push_back(timer.nsecsElapsed() / 1e6);
        // one invoice deleted from the middle, with the grid showing the list
        t.linkLinesToInvoices();
        t.mt_FAK_.moveTo(t.mt_FAK_.recordCount() / 2);
        QApplication::processEvents();
        timer.restart();
        t.mt_FAK_.remove();
        grid->repaint();
        erase.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf(
        "grid over %d invoices: open %.1f ms, jump to the last %.1f ms, scroll a page %.1f ms, delete one invoice "
        "%.1f ms (medians of %d)\n",
        invoices, median(open), median(last), median(page), median(erase), runs);
    std::printf("rows presented: %d, current: %d\n", grid->documentModel()->rowCount(), grid->currentIndex().row());
    return 0;
}
