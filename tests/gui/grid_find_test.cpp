// Finding records as a user does: the search bar (Ctrl+F, Enter, F3, Shift+F3), a click on a
// column's title, the filter field with "N z M" and the sums of what is shown, the lines of the
// filtered invoices, copying cells into a spreadsheet, and a long sort stopped by "Przerwij".
#include "app/workspace.h"
#include "check_page.h"
#include "document_grid.h"
#include "document_model.h"
#include "document_navigator.h"
#include "grid_finder.h"
#include "main_window.h"
#include "support/recording_port.h"
#include "support/temp_home.h"
#include "tables/display_text.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// Types a text key by key, Polish letters included (QTest's key clicks take ASCII only).
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

const char *const kBuyers[] = {"Kowalski Jan", "Żabka Polska sp. z o.o.", "Łukasz Ćwik", "adam nowak"};

class GridFind : public ::testing::Test
{
protected:
    void SetUp() override
    {
        w = std::make_unique<MainWindow>(QStringList{}, home.path(), &port);
        w->show();
    }
    DocumentTables &t() { return w->workspace().tables(); }

    // n invoices FV/i/2023 (buyer by i % 4, amount (i * 37) % 1000 + 0.5), two lines each
    void fill(int n, bool withLines = true)
    {
        t().suspendViews();
        for (int i = 1; i <= n; ++i) {
            DocumentTable &fak = t().mt_FAK_;
            fak.beginAppend();
            const QString number = QStringLiteral("FV/%1/2023").arg(i);
            fak.setNew(QStringLiteral("P_2A"), number);
            fak.setNew(QStringLiteral("P_3A"), QString::fromUtf8(kBuyers[i % 4]));
            fak.setNew(QStringLiteral("P_15"), double((i * 37) % 1000) + 0.5);
            fak.setNew(QStringLiteral("P_1"), QDate(2023, 8, 1 + i % 28));
            fak.commitAppend();
            for (int l = 0; withLines && l < 2; ++l) {
                DocumentTable &poz = t().mt_POZ_;
                poz.beginAppend();
                poz.setNew(QStringLiteral("P_2B"), number);
                poz.setNew(QStringLiteral("P_7"), QStringLiteral("towar %1").arg(l));
                poz.setNew(QStringLiteral("P_11"), 10.0 * (l + 1));
                poz.commitAppend();
            }
        }
        t().resumeViews();
        w->pages()->setCurrentWidget(w->page(QStringLiteral("ts_Faktury")));
        w->showGrid(grid());
        QApplication::processEvents();
    }
    DocumentGrid *grid(const char *name = "grid_FAK") { return w->grid(QString::fromLatin1(name)); }
    GridFinder *finder(const char *name = "grid_FAK") { return GridFinder::of(grid(name)); }
    int column(const char *field, const char *name = "grid_FAK")
    {
        return grid(name)->documentModel()->columnOfField(QString::fromLatin1(field));
    }
    QString cell(int row, const char *field, const char *name = "grid_FAK")
    {
        DocumentModel *m = grid(name)->documentModel();
        return m->data(m->index(row, column(field, name)), Qt::DisplayRole).toString();
    }
    QString number() { return t().mt_FAK_.value(QStringLiteral("P_2A")).toString(); }
    // a click on a column's title
    void clickTitle(int col)
    {
        QHeaderView *header = grid()->horizontalHeader();
        grid()->scrollTo(grid()->model()->index(0, col));
        QApplication::processEvents();
        const int x = header->sectionViewportPosition(col) + header->sectionSize(col) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        QApplication::processEvents();
    }
    // the filter field of the grid's bar, for a column: typed and confirmed with Enter
    void typeFilter(int col, const QString &condition, const char *name = "grid_FAK")
    {
        DocumentGrid *g = grid(name);
        g->setCurrentIndex(g->model()->index(std::max(0, g->currentIndex().row()), col));
        g->setFocus();
        QTest::keyClick(g, Qt::Key_F, Qt::ControlModifier);
        QLineEdit *field = finder(name)->filterField();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        typeText(field, condition);
        QTest::keyClick(field, Qt::Key_Return);
        QApplication::processEvents();
    }

    TempHome home;
    RecordingPort port;
    std::unique_ptr<MainWindow> w;
};

TEST_F(GridFind, CtrlFSearchesNumbersAndTextsAndF3GoesOn)
{
    fill(300);
    DocumentGrid *g = grid();
    g->setFocus();
    QTest::keyClick(g, Qt::Key_F, Qt::ControlModifier);
    QLineEdit *search = finder()->searchField();
    ASSERT_TRUE(finder()->isVisible());
    ASSERT_TRUE(search->hasFocus()) << "Ctrl+F puts the cursor in the search field";
    // an invoice's whole number, in any letter case: found by the index
    typeText(search, QStringLiteral("fv/250/2023"));
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(number(), QStringLiteral("FV/250/2023"));
    EXPECT_EQ(g->currentIndex().column(), column("P_2A"));
    EXPECT_TRUE(g->viewport()->rect().intersects(g->visualRect(g->currentIndex()))) << "the record is in sight";
    // a piece of a buyer's name: the next record holding it, F3 the one after, Shift+F3 back
    search->clear();
    typeText(search, QStringLiteral("ćwik"));
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(number(), QStringLiteral("FV/254/2023"));
    QTest::keyClick(search, Qt::Key_F3);
    EXPECT_EQ(number(), QStringLiteral("FV/258/2023"));
    g->setFocus();
    QTest::keyClick(g, Qt::Key_F3, Qt::ShiftModifier);
    QTest::keyClick(g, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(number(), QStringLiteral("FV/250/2023"));
    // an amount as the user types it, in the current column only
    g->setCurrentIndex(g->model()->index(g->currentIndex().row(), column("P_15")));
    finder()->findChild<QCheckBox *>()->setChecked(true);
    search->setText(QStringLiteral("37,5")); // FV/1: 37.5; FV/28: 1036 % 1000 + 0.5 = 36.5
    EXPECT_TRUE(finder()->findNext(false));
    EXPECT_EQ(number(), QStringLiteral("FV/1/2023"));
    // the last record wraps to the first match from the top
    search->setText(QStringLiteral("ćwik"));
    EXPECT_FALSE(finder()->findNext(false)) << "no buyer's name in the amount column";
    const QList<QLabel *> labels = finder()->findChildren<QLabel *>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(),
                            [](QLabel *l) { return l->text() == QStringLiteral("Nie znaleziono „ćwik”."); }));
    // Esc closes the bar; the grid has the focus again
    QTest::keyClick(search, Qt::Key_Escape);
    EXPECT_FALSE(finder()->isVisible());
    EXPECT_TRUE(g->hasFocus());
}

TEST_F(GridFind, TitleClicksSortTheGridNotTheTable)
{
    fill(40);
    DocumentTable &fak = t().mt_FAK_;
    const int amount = column("P_15");
    clickTitle(amount);
    EXPECT_EQ(cell(0, "P_15"), QStringLiteral("36,50")) << "amounts as numbers, smallest first (FV/28)";
    for (int r = 1; r < 40; ++r)
        ASSERT_LE(grid()
                      ->documentModel()
                      ->data(grid()->model()->index(r - 1, amount), Qt::EditRole)
                      .toString()
                      .replace(u',', u'.')
                      .toDouble(),
                  grid()
                      ->documentModel()
                      ->data(grid()->model()->index(r, amount), Qt::EditRole)
                      .toString()
                      .replace(u',', u'.')
                      .toDouble())
            << r;
    EXPECT_EQ(grid()->horizontalHeader()->sortIndicatorSection(), amount);
    clickTitle(amount);
    EXPECT_EQ(cell(0, "P_15"), QStringLiteral("999,50")) << "again: largest first";
    // the table keeps its order: the writer's walk and the stored rows are as they were
    for (int r = 0; r < 40; ++r)
        ASSERT_EQ(fak.stringAt(fak.presentedRow(r), fak.fieldIndex(QStringLiteral("P_2A"))),
                  QStringLiteral("FV/%1/2023").arg(r + 1));
    // a click on a row of the sorted grid makes that record current; typing changes that one
    const QModelIndex first = grid()->model()->index(0, column("P_3A"));
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(first).center());
    EXPECT_EQ(fak.value(QStringLiteral("P_15")).toDouble(), 999.5);
    EXPECT_TRUE(grid()->model()->setData(first, QStringLiteral("Nowy Nabywca"), Qt::EditRole));
    EXPECT_EQ(fak.value(QStringLiteral("P_3A")).toString(), QStringLiteral("Nowy Nabywca"));
    EXPECT_EQ(cell(0, "P_3A"), QStringLiteral("Nowy Nabywca"));
    // the navigator steps in the grid's order: "▶" is the next largest amount, "▶|" the smallest
    DocumentNavigator *navigator = nullptr;
    for (DocumentNavigator *n : w->findChildren<DocumentNavigator *>())
        if (n->table() == &fak)
            navigator = n;
    ASSERT_TRUE(navigator);
    QTest::mouseClick(navigator->buttons().at(2), Qt::LeftButton);
    EXPECT_EQ(number(), cell(1, "P_2A"));
    QTest::mouseClick(navigator->buttons().at(3), Qt::LeftButton);
    EXPECT_EQ(fak.value(QStringLiteral("P_15")).toDouble(), 36.5);
    EXPECT_EQ(grid()->currentIndex().row(), 39);
    clickTitle(amount);
    EXPECT_FALSE(grid()->documentModel()->hasView()) << "a third click: the table's own order";
    EXPECT_EQ(cell(0, "P_2A"), QStringLiteral("FV/1/2023"));
    // buyers in Polish order: adam, Kowalski, Łukasz, Żabka
    clickTitle(column("P_3A"));
    QStringList seen;
    for (int r = 0; r < 40; ++r)
        if (seen.isEmpty() || seen.last() != cell(r, "P_3A"))
            seen << cell(r, "P_3A");
    EXPECT_EQ(seen,
              (QStringList{QStringLiteral("adam nowak"), QStringLiteral("Kowalski Jan"), QStringLiteral("Łukasz Ćwik"),
                           QStringLiteral("Nowy Nabywca"), QStringLiteral("Żabka Polska sp. z o.o.")}));
}

TEST_F(GridFind, TheFilterShowsNOfMAndTheSumsTotalWhatIsShown)
{
    fill(100);
    typeFilter(column("P_3A"), QStringLiteral("kowalski"));
    EXPECT_EQ(grid()->documentModel()->shownCount(), 25);
    EXPECT_TRUE(finder()->summary()->text().startsWith(QStringLiteral("25 z 100")))
        << finder()->summary()->text().toStdString();
    // a second column's condition narrows further: FV/4, FV/8, … from 1 to 20 August
    typeFilter(column("P_1"), QStringLiteral("01.08.2023..09.08.2023"));
    const int shown = grid()->documentModel()->shownCount();
    double expected = 0;
    for (int r = 0; r < shown; ++r) {
        const QString n = cell(r, "P_2A");
        const int i = n.section(u'/', 1, 1).toInt();
        ASSERT_EQ(i % 4, 0) << n.toStdString();
        ASSERT_LE(1 + i % 28, 9) << n.toStdString();
        expected += double((i * 37) % 1000) + 0.5;
    }
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 25);
    // "Σ Wartość Faktur" sums the shown invoices, and says so
    port.messages.clear();
    w->findChild<QPushButton *>(QStringLiteral("Button_WartoscFaktur"))->click();
    ASSERT_EQ(port.messages.size(), 1);
    const QString sum = port.messages.first().text;
    EXPECT_TRUE(sum.contains(QStringLiteral("= ") + DisplayText::number(expected, 2, true))) << sum.toStdString();
    EXPECT_TRUE(sum.endsWith(QStringLiteral("Suma rekordów pokazanych przez filtr: %1 z 100.").arg(shown)))
        << sum.toStdString();
    // a condition that is not one: said in the bar, the filter stays as it was
    typeFilter(column("P_15"), QStringLiteral("dużo"));
    EXPECT_EQ(grid()->documentModel()->shownCount(), shown);
    const QList<QLabel *> labels = finder()->findChildren<QLabel *>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(),
                            [](QLabel *l) { return l->text().startsWith(u"„dużo” nie jest warunkiem"); }));
    // "Wyczyść filtry": every record again
    finder()->findChild<QToolButton *>(QStringLiteral("b_WyczyscFiltry"))->click();
    EXPECT_EQ(grid()->documentModel()->shownCount(), 100);
    EXPECT_TRUE(finder()->summary()->text().startsWith(QStringLiteral("100 z 100")));
}

TEST_F(GridFind, TheLinesOfTheFilteredInvoices)
{
    fill(60);
    t().disconnectLines(); // the lines grid shows every line
    QApplication::processEvents();
    EXPECT_EQ(grid("grid_POZ")->documentModel()->shownCount(), 120);
    typeFilter(column("P_3A"), QStringLiteral("żabka"));
    const int invoices = grid()->documentModel()->shownCount();
    EXPECT_EQ(invoices, 15);
    QCheckBox *only = finder("grid_POZ")->keepBox();
    ASSERT_TRUE(only);
    only->setChecked(true);
    EXPECT_EQ(grid("grid_POZ")->documentModel()->shownCount(), 2 * invoices);
    for (int r = 0; r < 2 * invoices; ++r)
        ASSERT_EQ(cell(r, "P_2B", "grid_POZ").section(u'/', 1, 1).toInt() % 4, 1) << r;
    // the invoices' filter changes: the lines follow
    typeFilter(column("P_15"), QStringLiteral(">500"));
    EXPECT_EQ(grid("grid_POZ")->documentModel()->shownCount(), 2 * grid()->documentModel()->shownCount());
    // Σ of the lines is the sum of the lines shown: 10 + 20 a shown invoice
    port.messages.clear();
    w->findChild<QPushButton *>(QStringLiteral("Button_WartoscWierszyFaktur"))->click();
    ASSERT_EQ(port.messages.size(), 1);
    EXPECT_TRUE(
        port.messages.first().text.contains(QStringLiteral("%1 z 120").arg(2 * grid()->documentModel()->shownCount())));
}

TEST_F(GridFind, CopiedCellsLandInASpreadsheetsColumns)
{
    fill(5, false);
    t().mt_FAK_.moveTo(1);
    t().mt_FAK_.edit();
    t().mt_FAK_.setValue(QStringLiteral("P_3A"), QStringLiteral("Firma \"Tab\"\tz tabulatorem"));
    t().mt_FAK_.post();
    DocumentGrid *g = grid();
    // a range: two records, from the number to the buyer
    const QModelIndex from = g->model()->index(0, column("P_2A"));
    const QModelIndex to = g->model()->index(1, column("P_3A"));
    g->setCurrentIndex(from);
    g->selectionModel()->select(QItemSelection(from, to), QItemSelectionModel::ClearAndSelect);
    g->setFocus();
    QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.at(0), QStringLiteral("NumerFaktury\tNabywca"));
    EXPECT_EQ(lines.at(1), QStringLiteral("FV/1/2023\tŻabka Polska sp. z o.o."));
    EXPECT_EQ(lines.at(2), QStringLiteral("FV/2/2023\t\"Firma \"\"Tab\"\"\tz tabulatorem\""));
    // the whole filtered grid from the context menu, every visible column, amounts ungrouped
    typeFilter(column("P_15"), QStringLiteral(">100"));
    const int shown = g->documentModel()->shownCount();
    QTimer::singleShot(0, [] {
        QMenu *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        for (QAction *a : menu->actions())
            if (a->text().startsWith(u"Kopiuj całą tabelę"))
                a->trigger();
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, g->visualRect(from).center(),
                            g->viewport()->mapToGlobal(g->visualRect(from).center()));
    QApplication::sendEvent(g->viewport(), &event);
    const QStringList all = QApplication::clipboard()->text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(all.size(), shown + 1);
    EXPECT_EQ(all.at(0).count(u'\t') + 1, g->model()->columnCount());
    EXPECT_TRUE(all.at(1).contains(
        QStringLiteral("\t") +
        DocumentModel::editText(t().mt_FAK_.fields().at(t().mt_FAK_.fieldIndex(QStringLiteral("P_15"))), 111.5) +
        u'\t'))
        << all.at(1).toStdString();
}

TEST_F(GridFind, ALongSortShowsItsGaugeAndPrzerwijStopsIt)
{
    fill(150000, false);
    DocumentGrid *g = grid();
    int calls = 0;
    bool frozen = false;
    port.onProcessEvents = [&] {
        frozen = frozen || t().mt_FAK_.isFrozen();
        if (++calls == 3)
            w->action(QStringLiteral("act_Przerwij"))->trigger();
    };
    port.progress.clear();
    g->sortByColumn(column("P_3A"), Qt::AscendingOrder);
    EXPECT_TRUE(frozen) << "the tables are frozen for the user while the grid sorts";
    EXPECT_FALSE(t().mt_FAK_.isFrozen());
    EXPECT_FALSE(port.progress.isEmpty()) << "the gauge moves";
    EXPECT_FALSE(g->documentModel()->hasView()) << "stopped: the grid's order is as it was";
    EXPECT_EQ(g->sortedColumn(), -1);
    ASSERT_FALSE(port.messages.isEmpty());
    EXPECT_EQ(port.messages.last().text, QStringLiteral("Przerwano: Sortowanie."));
    // not stopped, the same sort ends, and the number index answers at once after it is built
    port.onProcessEvents = {};
    g->sortByColumn(column("P_15"), Qt::DescendingOrder);
    EXPECT_EQ(cell(0, "P_15"), QStringLiteral("999,50"));
    finder()->searchField()->setText(QStringLiteral("FV/149999/2023"));
    EXPECT_TRUE(finder()->findNext(false));
    EXPECT_EQ(number(), QStringLiteral("FV/149999/2023"));
    EXPECT_EQ(g->currentIndex().row(), g->documentModel()->rowOfPosition(149998));
    // the large table changed wholesale (as an import does): its sort and filter go, and the bar says so
    ASSERT_TRUE(g->setColumnFilter(column("P_3A"), QStringLiteral("adam")).ok());
    EXPECT_EQ(g->documentModel()->shownCount(), 37500);
    t().suspendViews();
    t().mt_FAK_.beginAppend();
    t().mt_FAK_.setNew(QStringLiteral("P_2A"), QStringLiteral("FV/150001/2023"));
    t().mt_FAK_.commitAppend();
    t().resumeViews();
    EXPECT_FALSE(g->documentModel()->hasView());
    EXPECT_FALSE(g->isFiltered());
    EXPECT_EQ(g->sortedColumn(), -1);
    EXPECT_EQ(g->documentModel()->shownCount(), 150001);
    const QList<QLabel *> labels = finder()->findChildren<QLabel *>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel *l) {
        return l->text() == QStringLiteral("Dane tabeli zmieniły się: filtr i sortowanie zdjęte.");
    }));
}

TEST_F(GridFind, KontrolaFindingsAreSearchedAndMarkedOldWhenTheDataChange)
{
    fill(30, false);
    w->pages()->setCurrentWidget(w->page(QStringLiteral("ts_Kontrola")));
    CheckPage *page = w->checkPage();
    QTest::mouseClick(page->findChild<QPushButton *>(QStringLiteral("b_SprawdzDane")), Qt::LeftButton);
    QTableView *view = page->findingsView();
    ASSERT_GT(view->model()->rowCount(), 30);
    EXPECT_FALSE(page->outdatedNote()->isVisible());
    // Ctrl+F over the findings: an invoice's number, F3 its next finding
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    GridFinder *bar = GridFinder::of(view);
    ASSERT_TRUE(bar && bar->isVisible());
    typeText(bar->searchField(), QStringLiteral("FV/17/2023"));
    QTest::keyClick(bar->searchField(), Qt::Key_Return);
    const QModelIndex found = view->currentIndex();
    ASSERT_TRUE(found.isValid());
    EXPECT_TRUE(view->model()->index(found.row(), 3).data().toString().contains(u"FV/17/2023") ||
                view->model()->index(found.row(), 6).data().toString().contains(u"FV/17/2023"));
    // a record changed after the check: the findings say they are old, a new check clears it
    t().mt_FAK_.moveTo(3);
    t().mt_FAK_.edit();
    t().mt_FAK_.setValue(QStringLiteral("P_15"), 1.0);
    t().mt_FAK_.post();
    EXPECT_TRUE(page->outdatedNote()->isVisible());
    QTest::mouseClick(page->findChild<QPushButton *>(QStringLiteral("b_SprawdzDane")), Qt::LeftButton);
    EXPECT_FALSE(page->outdatedNote()->isVisible());
    // a header field counts too
    w->workspace().controls().setText(QStringLiteral("ed_NIP_Text"), QStringLiteral("5260250274"));
    EXPECT_TRUE(page->outdatedNote()->isVisible());
}

} // namespace
