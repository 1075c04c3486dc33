// The window over a million invoices and more: how long it takes to open the invoice list, to
// jump to the last record ("▶|"), to scroll a page and to delete an invoice; to find an invoice
// by its number (the index built once, then look-ups), to sort the list by an amount, to filter
// it by a piece of the buyer's name and to clear the filter; and "Sprawdź dane". Each with the
// longest time the window went without handling its events (a timer ticking every 5 ms counts
// the gaps). Medians of RUNS runs, offscreen.
//   bench_gui [INVOICES] [RUNS] [LINES_PER_INVOICE] [KONTROLA: 1 or 0, default 1]
#include "app/workspace.h"
#include "check_page.h"
#include "document_grid.h"
#include "document_model.h"
#include "main_window.h"
#include "silent_port.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The benchmark's port lets the window's events run, as the window's own port does.
class PumpingPort : public SilentPort
{
public:
    void processEvents() override { QApplication::processEvents(); }
};

// The longest stretch without the event loop, while `work` runs.
class Stall
{
public:
    Stall()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, m_since.nsecsElapsed() / 1e6);
            m_since.restart();
        });
    }
    // Runs the work; gives its time in ms, and the longest gap in `stall`.
    double run(const std::function<void()> &work, double *stall)
    {
        m_longest = 0;
        m_timer.start();
        m_since.start();
        QElapsedTimer total;
        total.start();
        work();
        const double ms = total.nsecsElapsed() / 1e6;
        m_longest = std::max(m_longest, m_since.nsecsElapsed() / 1e6);
        m_timer.stop();
        *stall = m_longest;
        return ms;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    double m_longest = 0;
};

struct Figure
{
    explicit Figure(const char *name) : what(name) {}
    const char *what;
    std::vector<double> ms, stall;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int invoices = argc > 1 ? atoi(argv[1]) : 1000000;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;
    const int linesEach = argc > 3 ? atoi(argv[3]) : 0;
    const bool kontrola = argc > 4 ? atoi(argv[4]) != 0 : true;
    QTemporaryDir home;
    PumpingPort port;
    MainWindow w({}, home.path(), &port);
    w.resize(855, 600);
    w.show();
    DocumentTables &t = w.workspace().tables();
    QElapsedTimer fill;
    fill.start();
    t.suspendViews();
    const QString buyers[] = {QStringLiteral("Zakład Stolarski Jan Kowalski"),
                              QStringLiteral("Żabka Polska sp. z o.o."), QStringLiteral("Łukasz Ćwik"),
                              QStringLiteral("Hurtownia Nowak i Syn"), QStringLiteral("Restauracja Pod Lipami")};
    for (int i = 1; i <= invoices; ++i) {
        const QString number = QStringLiteral("FV/%1/08/2023").arg(i);
        t.mt_FAK_.beginAppend();
        t.mt_FAK_.setNew(QStringLiteral("P_2A"), number);
        t.mt_FAK_.setNew(QStringLiteral("P_3A"), QString(buyers[i % 5] + QStringLiteral(" %1").arg(i % 977)));
        t.mt_FAK_.setNew(QStringLiteral("P_1"), QDate(2023, 8, 1 + i % 31));
        t.mt_FAK_.setNew(QStringLiteral("P_15"), 123.45 + (i * 7919) % 100000);
        t.mt_FAK_.commitAppend();
        for (int l = 0; l < linesEach; ++l) {
            t.mt_POZ_.beginAppend();
            t.mt_POZ_.setNew(QStringLiteral("P_2B"), number);
            t.mt_POZ_.setNew(QStringLiteral("P_7"), QStringLiteral("towar"));
            t.mt_POZ_.setNew(QStringLiteral("P_11"), 10.0 * (l + 1));
            t.mt_POZ_.commitAppend();
        }
    }
    t.resumeViews();
    std::fprintf(stderr, "filled %d invoices (%d lines each) in %.1f s\n", invoices, linesEach,
                 fill.elapsed() / 1000.0);
    w.pages()->setCurrentWidget(w.page(QStringLiteral("ts_Faktury")));
    DocumentGrid *grid = w.grid(QStringLiteral("grid_FAK"));
    auto *tabs = w.findChild<QTabWidget *>(QStringLiteral("PageControlFaktura"));
    Stall stall;
    double gap = 0;
    Figure open{"open the list"}, last{"jump to the last"}, page{"scroll a page"}, erase{"delete one invoice"},
        build{"number index, built at the first search"}, lookup{"find an invoice by number"},
        sort{"sort by amount (descending)"}, unsort{"back to the table's order"},
        filter{"filter: buyer holds \"kowal\""}, clear{"clear the filter"}, check{"Kontrola: Sprawdź dane"};
    auto note = [&](Figure &f, const std::function<void()> &work) {
        f.ms.push_back(stall.run(work, &gap));
        f.stall.push_back(gap);
    };
    std::mt19937 random(7);
    for (int r = 0; r < runs; ++r) {
        tabs->setCurrentIndex(0);
        QApplication::processEvents();
        note(open, [&] {
            w.showGrid(grid); // the list of a million invoices opens
            grid->repaint();
        });
        t.mt_FAK_.first();
        QApplication::processEvents();
        note(last, [&] {
            t.mt_FAK_.moveTo(t.mt_FAK_.recordCount() - 1); // "▶|"
            grid->repaint();
        });
        note(page, [&] {
            grid->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub); // a page up
            grid->repaint();
        });
        // one invoice deleted from the middle, with the grid showing the list
        t.linkLinesToInvoices();
        t.mt_FAK_.moveTo(t.mt_FAK_.recordCount() / 2);
        QApplication::processEvents();
        note(erase, [&] {
            t.mt_FAK_.remove();
            grid->repaint();
        });
        QApplication::processEvents();
        // the first search builds the index; it is kept in step after that
        if (r == 0)
            note(build, [&] { grid->findNext(QStringLiteral("FV/1/08/2023"), false, false); });
        for (int k = 0; k < 20; ++k) {
            const QString number = QStringLiteral("FV/%1/08/2023").arg(1 + int(random() % unsigned(invoices / 3)));
            note(lookup, [&] {
                grid->findNext(number, false, false);
                grid->repaint();
            });
        }
        note(sort, [&] {
            grid->sortByColumn(grid->documentModel()->columnOfField(QStringLiteral("P_15")), Qt::DescendingOrder);
            grid->repaint();
        });
        note(unsort, [&] {
            grid->clearSort();
            grid->repaint();
        });
        note(filter, [&] {
            (void)grid->setColumnFilter(grid->documentModel()->columnOfField(QStringLiteral("P_3A")),
                                        QStringLiteral("kowal"));
            grid->repaint();
        });
        note(clear, [&] {
            grid->clearFilters();
            grid->repaint();
        });
    }
    if (kontrola) {
        w.pages()->setCurrentWidget(w.page(QStringLiteral("ts_Kontrola")));
        QApplication::processEvents();
        note(check, [&] {
            w.checkPage()->findChild<QPushButton *>(QStringLiteral("b_SprawdzDane"))->click();
            QApplication::processEvents();
        });
    }
    // the baseline of the same run: std::sort of the bare amounts, and a bare scan of the names
    std::vector<double> rawSort, rawScan;
    int rawHits = 0;
    const int amountField = t.mt_FAK_.fieldIndex(QStringLiteral("P_15"));
    const int buyerField = t.mt_FAK_.fieldIndex(QStringLiteral("P_3A"));
    for (int r = 0; r < runs; ++r) {
        std::vector<double> amounts(size_t(t.mt_FAK_.storedCount()));
        for (size_t i = 0; i < amounts.size(); ++i)
            amounts[i] = t.mt_FAK_.floatAt(int(i), amountField);
        QElapsedTimer timer;
        timer.start();
        std::sort(amounts.begin(), amounts.end(), std::greater<>());
        rawSort.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        int hits = 0;
        for (int row = 0; row < t.mt_FAK_.storedCount(); ++row)
            hits += t.mt_FAK_.stringViewAt(row, buyerField).contains(u"kowal", Qt::CaseInsensitive) ? 1 : 0;
        rawScan.push_back(timer.nsecsElapsed() / 1e6);
        rawHits = hits;
    }
    std::printf("grid over %d invoices, %d lines each (medians of %d runs; a look-up: of %d)\n", invoices, linesEach,
                runs, runs * 20);
    std::printf("%-42s %12s %14s\n", "step", "time, ms", "longest stall");
    for (const Figure *f : {&open, &last, &page, &erase, &build, &lookup, &sort, &unsort, &filter, &clear, &check})
        std::printf("%-42s %12.1f %12.1f ms\n", f->what, median(f->ms), median(f->stall));
    std::printf("%-42s %12.1f   (sort by amount: %.1f×)\n", "baseline: std::sort of the bare amounts", median(rawSort),
                median(sort.ms) / std::max(median(rawSort), 0.001));
    std::printf("%-42s %12.1f   (filter: %.1f×; %d found)\n", "baseline: bare scan of the names", median(rawScan),
                median(filter.ms) / std::max(median(rawScan), 0.001), rawHits);
    std::printf("rows shown: %d, findings: %d\n", grid->documentModel()->rowCount(),
                w.checkPage()->findingsView()->model()->rowCount());
    return 0;
}
