// Filling and walking the document tables: the cost every import, load and generation pays
// per record.
#include "silent_port.h"
#include "tables/document_tables.h"

#include <benchmark/benchmark.h>

namespace {

void fill(DocumentTables &t, int invoices, int lines)
{
    t.suspendViews();
    for (int i = 0; i < invoices; ++i) {
        const QString number = QStringLiteral("FV/%1/08/2023").arg(i);
        t.mt_FAK_.append();
        t.mt_FAK_.setValue(QStringLiteral("P_2A"), number);
        t.mt_FAK_.setValue(QStringLiteral("P_3A"), QStringLiteral("Przedsiębiorstwo Handlowe Żuraw Sp. z o.o."));
        t.mt_FAK_.setValue(QStringLiteral("P_1"), QDate(2023, 8, 1 + i % 28));
        t.mt_FAK_.setValue(QStringLiteral("P_15"), 123.45 + i);
        t.mt_FAK_.post();
        for (int j = 0; j < lines; ++j) {
            t.mt_POZ_.append();
            t.mt_POZ_.setValue(QStringLiteral("P_7"), QStringLiteral("Usługa serwisowa"));
            t.mt_POZ_.setValue(QStringLiteral("P_11"), 10.0 * j);
            t.mt_POZ_.post();
        }
    }
    t.resumeViews();
}

void BM_FillTables(benchmark::State &state)
{
    const int invoices = int(state.range(0));
    for (auto _ : state) {
        SilentPort port;
        DocumentTables t(&port);
        fill(t, invoices, 3);
        benchmark::DoNotOptimize(t.mt_POZ_.storedCount());
    }
    state.SetItemsProcessed(state.iterations() * invoices * 4);
}
BENCHMARK(BM_FillTables)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_WalkLinkedLines(benchmark::State &state)
{
    SilentPort port;
    DocumentTables t(&port);
    fill(t, int(state.range(0)), 3);
    t.linkLinesToInvoices();
    const int p11 = t.mt_POZ_.fieldIndex(QStringLiteral("P_11"));
    for (auto _ : state) {
        double sum = 0;
        t.suspendViews();
        for (t.mt_FAK_.first(); !t.mt_FAK_.atEnd(); t.mt_FAK_.next())
            for (t.mt_POZ_.first(); !t.mt_POZ_.atEnd(); t.mt_POZ_.next())
                sum += t.mt_POZ_.floatAt(t.mt_POZ_.bookmark(), p11);
        t.resumeViews();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WalkLinkedLines)->Arg(100000)->Unit(benchmark::kMillisecond);

// Deleting one invoice with its lines, from the middle of the table: the cost must not grow
// with the table (compare the 10k and the 1M figure).
void BM_DeleteInvoice(benchmark::State &state)
{
    SilentPort port;
    DocumentTables t(&port);
    fill(t, int(state.range(0)), 3);
    t.linkLinesToInvoices();
    for (auto _ : state) {
        if (t.mt_FAK_.recordCount() < 2) {
            state.SkipWithError("the table ran out of invoices");
            break;
        }
        t.mt_FAK_.moveTo(t.mt_FAK_.recordCount() / 2);
        benchmark::DoNotOptimize(t.mt_FAK_.remove());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DeleteInvoice)->Arg(10000)->Arg(1000000)->Iterations(2000)->Unit(benchmark::kMicrosecond);

// Counting the stored rows after the deletions drops them: once, for all of them.
void BM_DropDeletedRows(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        SilentPort port;
        DocumentTables t(&port);
        fill(t, int(state.range(0)), 3);
        t.linkLinesToInvoices();
        for (int i = 0; i < 1000; ++i) {
            t.mt_FAK_.moveTo(i * 7);
            t.mt_FAK_.remove();
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(t.mt_FAK_.storedCount() + t.mt_POZ_.storedCount());
    }
}
BENCHMARK(BM_DropDeletedRows)->Arg(1000000)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
