// The window as a user drives it: cell editors, the form at its designed sizes, navigators,
// grids over many rows, the first start and the checks of "Importuj z aplikacji".
#include "app/workspace.h"
#include "document_grid.h"
#include "document_model.h"
#include "document_navigator.h"
#include "invoice_form.h"
#include "main_window.h"
#include "support/recording_port.h"
#include "support/temp_home.h"
#include "widget_user_port.h"
#include "window_helpers.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class WindowUse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        w = std::make_unique<MainWindow>(QStringList{}, home.path(), &port);
        w->show();
    }
    DocumentTables &t() { return w->workspace().tables(); }
    DocumentNavigator *navigatorOf(DocumentTable *table) { return ::navigatorOf(w.get(), table); }
    // Opens a grid cell's editor, types into it (or leaves it) and confirms with Enter.
    void typeIntoCell(DocumentGrid *grid, const QModelIndex &index, const QString *text)
    {
        grid->setCurrentIndex(index);
        grid->edit(index);
        QLineEdit *editor = nullptr;
        for (QLineEdit *e : grid->viewport()->findChildren<QLineEdit *>())
            if (e->isVisible())
                editor = e;
        ASSERT_TRUE(editor) << "the cell editor is a line edit";
        if (text) {
            editor->selectAll();
            QTest::keyClick(editor, Qt::Key_Delete);
            QTest::keyClicks(editor, *text);
        }
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents(); // the closed editor goes
    }

    TempHome home;
    RecordingPort port;
    std::unique_ptr<MainWindow> w;
};

TEST_F(WindowUse, TypingIntoACellKeepsWhatItDoesNotTouch)
{
    DocumentTable &lines = t().mt_POZ_;
    lines.append();
    lines.setValue(QStringLiteral("P_8B"), 1.234567);
    lines.setValue(QStringLiteral("P_9A"), 10.125);
    lines.post();
    w->pages()->setCurrentWidget(w->page(QStringLiteral("ts_Faktury")));
    DocumentGrid *grid = w->grid(QStringLiteral("grid_POZ"));
    const DocumentModel *model = grid->documentModel();
    const QModelIndex quantity = model->index(0, model->columnOfField(QStringLiteral("P_8B")));
    const QModelIndex price = model->index(0, model->columnOfField(QStringLiteral("P_9A")));
    auto stored = [&](const char *field) { return lines.valueAt(0, lines.fieldIndex(QString::fromLatin1(field))); };

    typeIntoCell(grid, quantity, nullptr); // opened and confirmed: once 1.23
    EXPECT_EQ(stored("P_8B"), QVariant(1.234567));
    const QString typed = QStringLiteral("2,125"); // once 2.12
    typeIntoCell(grid, price, &typed);
    EXPECT_EQ(stored("P_9A"), QVariant(2.125));
    const QString nothing;
    typeIntoCell(grid, price, &nothing); // an emptied number cell is null
    EXPECT_FALSE(stored("P_9A").isValid());
}

TEST_F(WindowUse, TheFormFitsTheDesignedSizesWithVerticalScrollingOnly)
{
    w->pages()->setCurrentWidget(w->page(QStringLiteral("ts_Faktury")));
    t().mt_FAK_.append();
    t().mt_FAK_.setValue(QStringLiteral("P_15"), 1230.0);
    t().mt_FAK_.post();
    for (const QSize size : {QSize(855, 600), QSize(839, 718)}) {
        w->resize(size);
        QApplication::processEvents();
        auto *area = w->invoiceForm()->findChild<QScrollArea *>();
        ASSERT_TRUE(area);
        const int visibleWidth = area->viewport()->width();
        for (const char *field : {"P_15", "P_13_1", "P_2A", "P_106E_3A", "P_19B", "KodWaluty"}) {
            QWidget *control = w->invoiceForm()->control(QString::fromLatin1(field));
            ASSERT_TRUE(control) << field;
            const QRect r(control->mapTo(area->widget(), QPoint(0, 0)), control->size());
            EXPECT_LE(r.right(), visibleWidth) << field << " is cut off at " << size.width() << "x" << size.height();
            EXPECT_GT(r.width(), 40) << field;
        }
        for (const char *field : {"P_17", "P_18A"}) {
            QWidget *box = w->invoiceForm()->control(QString::fromLatin1(field));
            const QRect r(box->mapTo(area->widget(), QPoint(0, 0)), box->size());
            EXPECT_LE(r.left() + box->sizeHint().width(), visibleWidth) << field;
        }
        EXPECT_FALSE(area->horizontalScrollBar()->isVisible());
        // the unlabelled description stands beside its check box
        const QWidget *box = w->invoiceForm()->control(QStringLiteral("P_106E_3"));
        const QWidget *text = w->invoiceForm()->control(QStringLiteral("P_106E_3A"));
        EXPECT_NEAR(box->geometry().center().y(), text->geometry().center().y(), 6);
        EXPECT_LT(box->geometry().left(), text->geometry().left());
    }
    // ",0.00" the same way in the form and in the grid
    const auto *amount = qobject_cast<QLineEdit *>(w->invoiceForm()->control(QStringLiteral("P_15")));
    const DocumentModel *model = w->grid(QStringLiteral("grid_FAK"))->documentModel();
    EXPECT_EQ(amount->text(),
              model->data(model->index(0, model->columnOfField(QStringLiteral("P_15"))), Qt::DisplayRole).toString());
    EXPECT_EQ(amount->text(), QStringLiteral("1") + QLocale().groupSeparator() + QStringLiteral("230") +
                                  QLocale().decimalPoint() + QStringLiteral("00"));
}

TEST_F(WindowUse, NavigatorsShowEveryButtonAndPlusShowsTheNewRecord)
{
    w->resize(839, 718);
    w->pages()->setCurrentWidget(w->page(QStringLiteral("ts_Zamowienia")));
    QApplication::processEvents();
    QWidget *page = w->page(QStringLiteral("ts_Zamowienia"));
    const QList<DocumentNavigator *> navigators = page->findChildren<DocumentNavigator *>();
    ASSERT_EQ(navigators.size(), 2);
    for (DocumentNavigator *n : navigators) {
        ASSERT_EQ(n->buttons().size(), 10);
        for (QToolButton *b : n->buttons()) {
            EXPECT_TRUE(b->isVisible()) << b->text().toStdString();
            EXPECT_LE(b->mapTo(page, QPoint(b->width(), 0)).x(), page->width()) << b->text().toStdString();
        }
    }

    // "+" on the invoices: the form shows the new, empty record at once
    w->pages()->setCurrentWidget(w->page(QStringLiteral("ts_Faktury")));
    QApplication::processEvents();
    t().mt_FAK_.append();
    t().mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/1"));
    t().mt_FAK_.post();
    auto *number = qobject_cast<QLineEdit *>(w->invoiceForm()->control(QStringLiteral("P_2A")));
    EXPECT_EQ(number->text(), QStringLiteral("FV/1"));
    DocumentNavigator *invoices = navigatorOf(&t().mt_FAK_);
    QTest::mouseClick(invoices->buttons().at(4), Qt::LeftButton); // "+"
    EXPECT_EQ(t().mt_FAK_.state(), DocumentTable::State::Insert) << invoices->buttons().at(4)->text().toStdString();
    EXPECT_EQ(number->text(), QString());
    EXPECT_TRUE(number->isEnabled());
    QTest::mouseClick(invoices->buttons().at(8), Qt::LeftButton); // "✗"
    EXPECT_EQ(number->text(), QStringLiteral("FV/1"));
}

TEST_F(WindowUse, TheLastOfManyRecordsIsShownAndMarked)
{
    DocumentTable &invoices = t().mt_FAK_;
    t().suspendViews();
    for (int i = 0; i < 20000; ++i) {
        invoices.append();
        invoices.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/%1/2023/ODDZIAŁ-PÓŁNOC").arg(i));
        invoices.post();
    }
    t().resumeViews();
    w->pages()->setCurrentWidget(w->page(QStringLiteral("ts_Faktury")));
    DocumentGrid *grid = w->grid(QStringLiteral("grid_FAK"));
    w->showGrid(grid);
    QApplication::processEvents();
    DocumentNavigator *navigator = navigatorOf(&invoices);
    QTest::mouseClick(navigator->buttons().at(3), Qt::LeftButton); // "▶|"
    QApplication::processEvents();
    EXPECT_EQ(grid->documentModel()->rowCount(), 20000) << "the scroll bar spans the whole table";
    EXPECT_EQ(grid->currentIndex().row(), 19999);
    // the record is marked by its ▶ and its selected cell (a range of cells can be selected)
    EXPECT_TRUE(grid->selectionModel()->isSelected(grid->currentIndex()));
    EXPECT_EQ(grid->model()->headerData(19999, Qt::Vertical).toString(), QStringLiteral("▶"));
    EXPECT_TRUE(grid->viewport()->rect().intersects(grid->visualRect(grid->currentIndex())))
        << "the last record is in sight";
    // Ctrl+Home and Ctrl+End reach both ends
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(invoices.position(), 0);
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(invoices.position(), 19999);
    // a long invoice number is readable without resizing
    const int column = grid->documentModel()->columnOfField(QStringLiteral("P_2A"));
    EXPECT_GE(grid->columnWidth(column),
              grid->fontMetrics().horizontalAdvance(QStringLiteral("FV/19999/2023/ODDZIAŁ-PÓŁNOC")));
}

TEST_F(WindowUse, TheContextMenuSumsAnEmptyGridWithTheWindowsCommand)
{
    w->pages()->setCurrentWidget(w->page(QStringLiteral("ts_Zamowienia")));
    QApplication::processEvents();
    DocumentGrid *grid = w->grid(QStringLiteral("grid_ZAM"));
    const int column = grid->documentModel()->columnOfField(QStringLiteral("WartoscZamowienia"));
    QAction *registered = w->action(QStringLiteral("act_SumaWgKolumny"));
    bool offered = false;
    QTimer::singleShot(0, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        offered = menu->actions().contains(registered);
        if (offered)
            registered->trigger();
        menu->close();
    });
    const QPoint at(grid->columnViewportPosition(column) + 5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &event);
    EXPECT_TRUE(offered) << "the menu runs the window's registered command";
    ASSERT_FALSE(port.messages.isEmpty());
    EXPECT_EQ(port.messages.last().text, QStringLiteral("Suma wg pola [Wartość zamówienia] = 0") +
                                             QLocale().decimalPoint() +
                                             QStringLiteral("00\rNazwaXML: <WartoscZamowienia/>"));
}

TEST_F(WindowUse, FirstStepsAndTheApplicationFields)
{
    // a first start: the greyed import command tells which option offers it, and where
    QAction *import = w->action(QStringLiteral("act_Importuj"));
    EXPECT_FALSE(import->isEnabled());
    EXPECT_TRUE(import->toolTip().contains(QStringLiteral("Ustawienia importu nagłówka")))
        << import->toolTip().toStdString();
    EXPECT_TRUE(import->toolTip().contains(QStringLiteral("Nagłowek i Faktury w jednym pliku")));
    EXPECT_EQ(w->statusBar()->currentMessage(), import->toolTip());
    w->workspace().controls().setChecked(QStringLiteral("rb_WspolnyPlik_Checked"), true);
    QApplication::processEvents();
    EXPECT_TRUE(import->isEnabled());
    EXPECT_TRUE(w->statusBar()->currentMessage().isEmpty());

    // the application and the exchange file have their browse buttons
    for (const char *key : {"fn_Imp_Aplikacja_FileName", "fn_Imp_PlikWymiany_FileName"})
        EXPECT_TRUE(w->findChild<QToolButton *>(QStringLiteral("browse_") + QString::fromLatin1(key))) << key;

    // the checks: page shown and field focused before the message
    w->workspace().controls().setChecked(QStringLiteral("chb_Imp_Application_Checked"), true);
    home.write(QStringLiteral("app.sh"), "#!/bin/sh\n");
    w->workspace().controls().setText(QStringLiteral("fn_Imp_Aplikacja_FileName"), home.file(QStringLiteral("app.sh")));
    w->workspace().controls().setText(QStringLiteral("fn_Imp_PlikWymiany_FileName"),
                                      home.file(QStringLiteral("x.txt")));
    QString pageAtMessage;
    QWidget *focusAtMessage = nullptr;
    port.onMessage = [&](const RecordingPort::Message &) {
        pageAtMessage = w->pages()->currentWidget()->objectName();
        focusAtMessage = w->focusWidget();
    };
    w->pages()->setCurrentWidget(w->page(QStringLiteral("ts_Faktury")));
    w->action(QStringLiteral("act_ImportujZAplikacji"))->trigger();
    EXPECT_EQ(port.messages.last().text, QStringLiteral("Uzupełnij \"Datę od\""));
    EXPECT_EQ(pageAtMessage, QStringLiteral("ts_Naglowek"));
    QWidget *dateFrom = w->optionWidget(QStringLiteral("ed_DataOd_Date"));
    ASSERT_TRUE(dateFrom);
    EXPECT_TRUE(focusAtMessage && (focusAtMessage == dateFrom || dateFrom->isAncestorOf(focusAtMessage)));
    port.onMessage = {};
}

TEST_F(WindowUse, TabCaptionsStayReadableWithoutTheMultilineOption)
{
    w->resize(855, 600);
    w->workspace().controls().setChecked(QStringLiteral("chb_page_multiline_Checked"), false);
    QApplication::processEvents();
    QTabBar *bar = w->pages()->tabBar();
    EXPECT_EQ(bar->elideMode(), Qt::ElideNone);
    for (int i = 0; i < bar->count(); ++i) {
        if (!bar->isTabVisible(i))
            continue;
        EXPECT_GE(bar->tabRect(i).width(), bar->fontMetrics().horizontalAdvance(bar->tabText(i)))
            << bar->tabText(i).toStdString();
    }
}

} // namespace

namespace {

TEST(DesktopConventions, KeysTitleAndTheFolderOfTheWrittenFile)
{
    TempHome home;
    RecordingPort port;
    MainWindow w({QStringLiteral("-cnf:05")}, home.path(), &port);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tavrix JPK_FA(4).XML – konfiguracja 05"));
    for (const char *name : {"act_Importuj", "act_LoadFromJPK", "act_SprawdzPlikJPK", "act_Generuj_JPK", "Act_Koniec",
                             "act_SumaWgKolumny", "act_PokazWFolderze"})
        EXPECT_FALSE(w.action(QString::fromLatin1(name))->shortcut().isEmpty()) << name;
    EXPECT_EQ(w.action(QStringLiteral("act_Generuj_JPK"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));

    // after a generation the written file's folder can be opened
    QAction *show = w.action(QStringLiteral("act_PokazWFolderze"));
    EXPECT_FALSE(show->isEnabled());
    QDir(home.path()).mkdir(QStringLiteral("wyniki"));
    w.workspace().controls().setText(QStringLiteral("fn_JPK_Text"), home.file(QStringLiteral("wyniki/JPK_FA4.xml")));
    w.action(QStringLiteral("act_Generuj_JPK"))->trigger();
    ASSERT_TRUE(QFile::exists(home.file(QStringLiteral("wyniki/JPK_FA4.xml"))))
        << port.messages.last().text.toStdString();
    EXPECT_TRUE(show->isEnabled());
    EXPECT_EQ(show->data().toString(), QDir(home.file(QStringLiteral("wyniki"))).absolutePath());

    // file dialogs remember a folder per kind of file
    struct Case
    {
        const char *filter, *ext, *kind;
    };
    const Case cases[] = {
        {"Pliki JPK*.XML (*JPK*.XML *JPK*.xml);;Pliki XML (*.XML *.xml)", "XML", "xml"},
        {"Tekstowe pliki importu [TXT,CSV] (*.TXT *.txt *.CSV *.csv);;Wszystkie pliki [*.*] (*)", "",
         "Tekstowe_pliki_importu"},
        {"Pliki połączeń (*.ccv)", "ccv", "ccv"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(WidgetUserPort::kindOf(QString::fromUtf8(c.filter), QString::fromLatin1(c.ext)),
                  QString::fromLatin1(c.kind));
}

} // namespace

namespace {

TEST(KontrolaPage, FindingsSortFilterAndShowTheirRecord)
{
    TempHome home;
    RecordingPort port;
    MainWindow w({}, home.path(), &port);
    w.show();
    DocumentTable &fak = w.workspace().tables().mt_FAK_;
    for (const char *number : {"FV/1", "FV/2", "FV/3"}) {
        fak.append();
        fak.setValue(QStringLiteral("P_2A"), QString::fromLatin1(number));
        fak.setValue(QStringLiteral("P_15"), 10.0); // no net and no tax: K05
        fak.post();
    }
    w.pages()->setCurrentWidget(w.page(QStringLiteral("ts_Kontrola")));
    QTest::mouseClick(w.checkPage()->findChild<QPushButton *>(QStringLiteral("b_SprawdzDane")), Qt::LeftButton);
    QTableView *view = w.checkPage()->findingsView();
    const int all = view->model()->rowCount();
    EXPECT_GE(all, 6); // K05 and K11 for each invoice, K11 for the header fields
    // the filter keeps what matches, the sort orders by a column
    // (after a pause in the typing: a million findings are not filtered at every key)
    QTest::keyClicks(w.checkPage()->filter(), QStringLiteral("FV/2"));
    QTRY_VERIFY(view->model()->rowCount() < all);
    EXPECT_GE(view->model()->rowCount(), 2);
    w.checkPage()->filter()->clear();
    QTest::keyClick(w.checkPage()->filter(), Qt::Key_Return); // Enter: at once
    EXPECT_EQ(view->model()->rowCount(), all);
    // a click on the title of "kod" sorts by it
    QHeaderView *header = view->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + header->sectionSize(1) / 2, header->height() / 2));
    EXPECT_EQ(view->model()->index(0, 1).data().toString(), QStringLiteral("K05"));
    // a double click shows the invoice in "Faktury" with the field's column current
    int k05OfFv2 = -1;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (view->model()->index(r, 1).data() == QStringLiteral("K05") &&
            view->model()->index(r, 3).data() == QStringLiteral("FV/2"))
            k05OfFv2 = r;
    ASSERT_GE(k05OfFv2, 0);
    const QRect cell = view->visualRect(view->model()->index(k05OfFv2, 6));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center()); // as a mouse does: press first
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(w.pages()->currentWidget()->objectName(), QStringLiteral("ts_Faktury"));
    EXPECT_EQ(fak.position(), 1);
    DocumentGrid *grid = w.grid(QStringLiteral("grid_FAK"));
    EXPECT_EQ(grid->currentIndex().column(), grid->documentModel()->columnOfField(QStringLiteral("P_15")));
    // the totals below
    EXPECT_EQ(w.checkPage()->totalsView()->rowCount(), 7);
}

} // namespace

namespace {

TEST(HeaderPage, ADoubleClickPutsTheTimeOfCreation)
{
    TempHome home;
    RecordingPort port;
    MainWindow w({}, home.path(), &port);
    w.show();
    auto *created = qobject_cast<QLineEdit *>(w.optionWidget(QStringLiteral("ed_DataWytworzeniaJPK_Text")));
    ASSERT_TRUE(created);
    EXPECT_TRUE(created->text().isEmpty());
    QTest::mouseDClick(created, Qt::LeftButton);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}$"))
                    .match(created->text())
                    .hasMatch())
        << created->text().toStdString();
}

TEST_F(WindowUse, EInvoicesComeInFromAFolderChosenOnPageOne)
{
    QDir(home.path()).mkdir(QStringLiteral("ksef"));
    for (const char *name : {"fa3_vat.xml", "fa3_kor.xml", "fa3_zal.xml", "fa2_vat.xml"})
        QFile::copy(QStringLiteral(TAVRIX_TEST_DATA "/ksef/") + QString::fromLatin1(name),
                    home.file(QStringLiteral("ksef/") + QString::fromLatin1(name)));
    port.queueFile(home.file(QStringLiteral("ksef")));
    auto *button = w->findChild<QPushButton *>(QStringLiteral("b_act_ImportujKSeF"));
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());
    // the source question: a folder
    bool asked = false;
    QTimer::singleShot(0, [&asked] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box)
            return;
        for (QAbstractButton *b : box->findChildren<QAbstractButton *>())
            if (b->text().startsWith(QStringLiteral("Folder"))) {
                asked = true;
                b->click();
            }
    });
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(asked);
    EXPECT_EQ(t().mt_FAK_.recordCount(), 4);
    EXPECT_EQ(t().mt_ZAM_.recordCount(), 1);
    ASSERT_FALSE(port.messages.isEmpty());
    EXPECT_TRUE(port.messages.last().text.contains(QStringLiteral("Zaimportowano faktur: 4")))
        << port.messages.last().text.toStdString();
    EXPECT_TRUE(button->isEnabled()); // the command is offered again once it ended
}

// The window's keys work wherever the focus is: a text field that would keep Ctrl+E (end of
// line) or Ctrl+Shift+Z (redo) for itself gives them up; F10 opens the menu bar; the menus have
// their mnemonics.
TEST_F(WindowUse, TheWindowsKeysWorkFromATextFieldAndF10OpensTheMenu)
{
    QApplication::setActiveWindow(w.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    auto *field = qobject_cast<QLineEdit *>(w->optionWidget(QStringLiteral("ed_NIP_Text")));
    ASSERT_TRUE(field);
    w->pages()->setCurrentIndex(0);
    field->setFocus();
    ASSERT_TRUE(field->hasFocus());
    struct Case
    {
        const char *action;
        QKeyCombination key;
    };
    const Case cases[] = {
        {"act_SprawdzPlikJPK", Qt::CTRL | Qt::Key_E},
        {"act_ImportujZamowienia", Qt::CTRL | Qt::SHIFT | Qt::Key_Z},
        {"act_Importuj", Qt::CTRL | Qt::Key_I},
    };
    for (const Case &c : cases) {
        QAction *action = w->action(QString::fromLatin1(c.action));
        ASSERT_TRUE(action) << c.action;
        if (!action->isEnabled())
            continue; // not offered in this file layout: its key is the field's
        int triggered = 0;
        // the command itself is not run: only that the key reached it
        const QMetaObject::Connection seen =
            QObject::connect(action, &QAction::triggered, [&triggered] { ++triggered; });
        QTest::keyClick(field, c.key.key(), c.key.keyboardModifiers());
        QObject::disconnect(seen);
        EXPECT_EQ(triggered, 1) << c.action << ": the text field kept the key";
        port.messages.clear();
    }
    // the menus: mnemonics, and F10 makes the first one active
    QStringList menus;
    for (QAction *a : w->menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{QStringLiteral("&Plik"), QStringLiteral("&Program")}));
    QTest::keyClick(w.get(), Qt::Key_F10);
    ASSERT_TRUE(w->menuBar()->activeAction());
    EXPECT_EQ(w->menuBar()->activeAction()->text(), QStringLiteral("&Plik"));
    QTest::keyClick(w->menuBar(), Qt::Key_Escape);
}

// "Importuj Dane" ends with what came in, in the status bar: no box to close after every import.
TEST(WindowWords, TheImportSaysWhatCameInInTheStatusBar)
{
    TempHome home;
    const QString demo = QStringLiteral(TAVRIX_TEST_DATA "/../../data/demo/");
    ASSERT_TRUE(QFile::copy(demo + QStringLiteral("JPK_FA3_Ustawienia.ini"),
                            home.file(QStringLiteral("JPK_FA3_Ustawienia.ini"))));
    MainWindow w({}, home.path()); // the window's own port: messages as the user sees them
    w.show();
    w.workspace().importCommonFile(demo + QStringLiteral("sprzedaz_2023_08.txt"));
    EXPECT_EQ(w.statusBar()->currentMessage(),
              QStringLiteral("Zaimportowano faktur: %1, wierszy faktur: %2, zamówień: %3, wierszy zamówień: %4.")
                  .arg(w.workspace().tables().mt_FAK_.storedCount())
                  .arg(w.workspace().tables().mt_POZ_.storedCount())
                  .arg(w.workspace().tables().mt_ZAM_.storedCount())
                  .arg(w.workspace().tables().mt_ZPOZ_.storedCount()));
    EXPECT_GT(w.workspace().tables().mt_FAK_.storedCount(), 0);
}

} // namespace
