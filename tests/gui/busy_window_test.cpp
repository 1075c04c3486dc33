// The window while a long command runs: clicks that arrive through the command's own event
// pumping change nothing, "Przerwij" leaves the tables or the old file as they were; and edits
// through the form and the grids that mean what the user did.
#include "app/workspace.h"
#include "document_grid.h"
#include "document_model.h"
#include "document_navigator.h"
#include "invoice_form.h"
#include "main_window.h"
#include "support/recording_port.h"
#include "support/temp_home.h"
#include "window_helpers.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

constexpr int kInvoices = 300;
constexpr int kLinesEach = 3;

class BusyWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // the core's refusal is what these tests look at, not its debug assertion
        DocumentTable::assertOnFrozenChange = false;
        port.defaultAnswer = true;
        w = std::make_unique<MainWindow>(QStringList{}, home.path(), &port);
        w->show();
        Controls &c = w->workspace().controls();
        c.setText(QStringLiteral("ed_NIP_Text"), QStringLiteral("5261040828"));
        c.setText(QStringLiteral("ed_PelnaNazwa_Text"), QStringLiteral("Firma"));
        c.setDate(QStringLiteral("ed_DataOd_Date"), QDate(2023, 8, 1));
        c.setDate(QStringLiteral("ed_DataDo_Date"), QDate(2023, 8, 31));
        c.setText(QStringLiteral("fn_JPK_Text"), home.file(QStringLiteral("JPK_FA4.xml")));
    }
    void TearDown() override { DocumentTable::assertOnFrozenChange = true; }

    DocumentTables &t() { return w->workspace().tables(); }
    DocumentNavigator *navigatorOf(DocumentTable *table) { return ::navigatorOf(w.get(), table); }
    void addInvoices(int count, const QString &prefix)
    {
        for (int i = 1; i <= count; ++i) {
            const QString number = QStringLiteral("%1/%2").arg(prefix).arg(i);
            t().mt_FAK_.append();
            t().mt_FAK_.setValue(QStringLiteral("P_1"), QDate(2023, 8, 2));
            t().mt_FAK_.setValue(QStringLiteral("P_2A"), number);
            t().mt_FAK_.setValue(QStringLiteral("P_15"), 123.0);
            ASSERT_TRUE(t().mt_FAK_.post());
            for (int l = 0; l < kLinesEach; ++l) {
                t().mt_POZ_.append();
                t().mt_POZ_.setValue(QStringLiteral("P_2B"), number);
                t().mt_POZ_.setValue(QStringLiteral("P_7"), QStringLiteral("towar %1").arg(l));
                t().mt_POZ_.setValue(QStringLiteral("P_11"), 41.0);
                ASSERT_TRUE(t().mt_POZ_.post());
            }
        }
    }
    // The count an element holds and how many records of a kind the file has.
    static int controlValue(const QByteArray &file, const char *name)
    {
        const QRegularExpression re(QStringLiteral("<[^>]*%1>([0-9]+)<").arg(QString::fromLatin1(name)));
        return re.match(QString::fromUtf8(file)).captured(1).toInt();
    }
    static int records(const QByteArray &file, const char *name)
    {
        return int(QString::fromUtf8(file).count(
            QRegularExpression(QStringLiteral("<(tns:)?%1[ >]").arg(QString::fromLatin1(name)))));
    }
    QStringList numbers()
    {
        QStringList out;
        DocumentTable &fak = t().mt_FAK_;
        fak.dropDeletedRows();
        for (int r = 0; r < fak.storedCount(); ++r)
            out << fak.stringAt(r, fak.fieldIndex(QStringLiteral("P_2A")));
        return out;
    }

    TempHome home;
    RecordingPort port;
    std::unique_ptr<MainWindow> w;
};

// Every click of the reproduction, queued into the writer's own event pumping.
TEST_F(BusyWindow, NothingChangesTheTablesWhileGenerateRuns)
{
    addInvoices(kInvoices, QStringLiteral("FV"));
    w->pages()->setCurrentWidget(w->page(QStringLiteral("ts_Faktury")));
    QApplication::processEvents();
    DocumentNavigator *lines = navigatorOf(&t().mt_POZ_);
    DocumentGrid *grid = w->grid(QStringLiteral("grid_FAK"));
    int calls = 0;
    bool checked = false;
    port.onProcessEvents = [&] {
        if (++calls != 3)
            return;
        checked = true;
        EXPECT_TRUE(t().mt_FAK_.isFrozen());
        // the commands that change the tables are off, and so is every long command
        for (const char *name : {"act_Erase_FAK", "act_Erase_ZAM", "act_Generuj_JPK", "act_LoadFromJPK",
                                 "act_ImportujKSeF", "act_Importuj"})
            EXPECT_FALSE(w->action(QString::fromLatin1(name))->isEnabled()) << name;
        EXPECT_TRUE(w->action(QStringLiteral("act_Przerwij"))->isEnabled());
        // to look at the window as it is while a command runs
        QApplication::processEvents(); // as the window's own port lets them run
        EXPECT_TRUE(w->action(QStringLiteral("act_Przerwij"))->isVisible());
        if (qEnvironmentVariableIsSet("TAVRIX_SHOT_DIR"))
            w->grab().save(qEnvironmentVariable("TAVRIX_SHOT_DIR") + QStringLiteral("/busy.png"));
        w->action(QStringLiteral("act_Erase_FAK"))->trigger();
        QTest::mouseClick(lines->buttons().at(5), Qt::LeftButton); // "−"
        EXPECT_FALSE(lines->buttons().at(4)->isEnabled());
        // the grid can be scrolled and read, not edited
        const QModelIndex cell = grid->documentModel()->index(2, 1);
        EXPECT_FALSE(grid->documentModel()->flags(cell) & Qt::ItemIsEditable);
        EXPECT_FALSE(grid->documentModel()->setData(cell, QStringLiteral("X"), Qt::EditRole));
        // a path the window closed is refused by the core as well
        t().eraseInvoices();
        EXPECT_FALSE(t().mt_POZ_.remove());
        t().mt_FAK_.append();
        EXPECT_EQ(t().mt_FAK_.state(), DocumentTable::State::Browse);
        // a second command (a key let through) is refused, not run inside the first
        EXPECT_FALSE(w->workspace().generateJpk());
        EXPECT_FALSE(w->workspace().loadJpk(home.file(QStringLiteral("JPK_FA4.xml"))));
    };
    EXPECT_TRUE(w->workspace().generateJpk());
    port.onProcessEvents = nullptr;
    ASSERT_TRUE(checked);
    EXPECT_FALSE(t().mt_FAK_.isFrozen());
    EXPECT_TRUE(w->action(QStringLiteral("act_Erase_FAK"))->isEnabled());

    const QByteArray file = home.read(QStringLiteral("JPK_FA4.xml"));
    EXPECT_EQ(records(file, "Faktura"), kInvoices);
    EXPECT_EQ(records(file, "FakturaWiersz"), kInvoices * kLinesEach);
    EXPECT_EQ(controlValue(file, "LiczbaFaktur"), kInvoices);
    EXPECT_EQ(controlValue(file, "LiczbaWierszyFaktur"), kInvoices * kLinesEach);
    EXPECT_EQ(t().mt_FAK_.recordCount(), kInvoices);
    EXPECT_EQ(t().mt_POZ_.storedCount(), kInvoices * kLinesEach);
    EXPECT_TRUE(port.messages.contains(RecordingPort::Message{
        QStringLiteral("info"), QStringLiteral("Tavrix JPK_FA(4).XML"),
        QStringLiteral("Trwa inne polecenie – „Generuj JPK” będzie dostępne po jego zakończeniu.")}));
}

// A row clicked while a load appends moves only the user's cursor: the old invoice keeps its
// values, the file's invoices get theirs.
TEST_F(BusyWindow, ARowClickDuringALoadChangesNoRecord)
{
    addInvoices(kInvoices, QStringLiteral("FV"));
    ASSERT_TRUE(w->workspace().generateJpk());
    w->workspace().controls().setText(QStringLiteral("chb_FAK_append_Checked"), QStringLiteral("TRUE"));
    t().mt_FAK_.empty();
    t().mt_POZ_.empty();
    addInvoices(5, QStringLiteral("STARA"));
    w->pages()->setCurrentWidget(w->page(QStringLiteral("ts_Faktury")));
    QApplication::processEvents();
    DocumentGrid *grid = w->grid(QStringLiteral("grid_FAK"));
    int clicks = 0;
    port.onProcessEvents = [&] {
        ++clicks;
        const int row = clicks % 5;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->documentModel()->index(row, 1)).center());
        QApplication::processEvents();
    };
    port.messages.clear();
    EXPECT_TRUE(w->workspace().loadJpk(home.file(QStringLiteral("JPK_FA4.xml"))));
    port.onProcessEvents = nullptr;
    EXPECT_GT(clicks, 0);
    const QStringList all = numbers();
    ASSERT_EQ(all.size(), 5 + kInvoices);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(all.at(i), QStringLiteral("STARA/%1").arg(i + 1));
    for (int i = 0; i < kInvoices; ++i)
        ASSERT_EQ(all.at(5 + i), QStringLiteral("FV/%1").arg(i + 1));
    // every line of the file reached its own invoice
    t().lineLinkOff();
    EXPECT_EQ(t().mt_POZ_.rowsWithKey(QStringLiteral("FV/7")).size(), size_t(kLinesEach));
    EXPECT_EQ(t().mt_POZ_.rowsWithKey(QStringLiteral("STARA/2")).size(), size_t(kLinesEach));
}

// "Przerwij" during each long command: the old file or the tables stay as they were.
TEST_F(BusyWindow, CancelLeavesTheOldFileAndTheTables)
{
    addInvoices(kInvoices, QStringLiteral("FV"));
    ASSERT_TRUE(w->workspace().generateJpk());
    const QString jpk = home.file(QStringLiteral("JPK_FA4.xml"));
    QFile::copy(jpk, home.file(QStringLiteral("plik.xml")));
    home.write(QStringLiteral("JPK_FA4.xml"), "stary plik");

    struct Case
    {
        const char *what;
        std::function<bool()> run;
    };
    const Case cases[] = {
        {"Generuj JPK", [&] { return w->workspace().generateJpk(); }},
        {"Załaduj dane z pliku JPK*.XML",
         [&] { return w->workspace().loadJpk(home.file(QStringLiteral("plik.xml"))); }},
        {"Weryfikuj gotowy JPK-FA(4).XML",
         [&] { return w->workspace().validateFile(home.file(QStringLiteral("plik.xml"))); }},
        {"Sprawdź dane",
         [&] {
             w->workspace().checkData();
             return false;
         }},
    };
    // the schemas the validator reads, in the program folder
    const QDir shipped(QCoreApplication::applicationDirPath() + QStringLiteral("/schemas"));
    QDir(home.path()).mkpath(QStringLiteral("schemas"));
    for (const QString &name : shipped.entryList(QDir::Files))
        QFile::copy(shipped.filePath(name), home.file(QStringLiteral("schemas/") + name));
    QFile::copy(shipped.filePath(QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd")),
                home.file(QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd")));
    addInvoices(700, QStringLiteral("FX")); // enough for the check to let events run
    const int invoices = kInvoices + 700;
    ASSERT_TRUE(w->workspace().generateJpk());
    QFile::remove(home.file(QStringLiteral("plik.xml")));
    QFile::copy(jpk, home.file(QStringLiteral("plik.xml")));
    home.write(QStringLiteral("JPK_FA4.xml"), "stary plik");
    QFile::remove(home.file(QStringLiteral("ustawienia.xml")));
    for (const bool append : {false, true}) {
        w->workspace().controls().setText(QStringLiteral("chb_FAK_append_Checked"),
                                          append ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
        for (const Case &c : cases) {
            port.messages.clear();
            port.onProcessEvents = [&] { w->action(QStringLiteral("act_Przerwij"))->trigger(); };
            EXPECT_FALSE(c.run()) << c.what;
            port.onProcessEvents = nullptr;
            ASSERT_FALSE(port.messages.isEmpty()) << c.what;
            const QString expected =
                QStringLiteral("Przerwano: %1.").arg(QString::fromUtf8(c.what)) +
                (QString::fromUtf8(c.what).startsWith(u'Z') ? QStringLiteral(" Tabele pozostały bez zmian.")
                                                            : QString());
            EXPECT_EQ(port.messages.last().text.toStdString(), expected.toStdString()) << c.what;
            QFile::remove(home.file(QStringLiteral("ustawienia.xml"))); // the validator's own settings
            EXPECT_EQ(home.read(QStringLiteral("JPK_FA4.xml")), QByteArray("stary plik")) << c.what;
            QStringList left = QDir(home.path()).entryList(QDir::Files);
            for (const char *known :
                 {"JPK_FA4.xml", "Schemat_JPK_FA(4)_v1-0.xsd", "plik.xml", "JPK_FA3_Ustawienia.ini"})
                left.removeAll(QString::fromLatin1(known));
            EXPECT_EQ(left.join(u' ').toStdString(), std::string()) << c.what << ": no temporary file is left";
            EXPECT_EQ(t().mt_FAK_.storedCount(), invoices) << c.what;
            EXPECT_EQ(t().mt_POZ_.storedCount(), invoices * kLinesEach) << c.what;
            EXPECT_FALSE(t().mt_FAK_.isFrozen());
            EXPECT_FALSE(t().mt_FAK_.viewsSuspended()) << c.what;
            EXPECT_TRUE(t().lineLinkOn()) << c.what;
        }
    }
    // and the commands run again afterwards
    EXPECT_TRUE(w->workspace().generateJpk());
    EXPECT_EQ(controlValue(home.read(QStringLiteral("JPK_FA4.xml")), "LiczbaFaktur"), invoices);
}

TEST_F(BusyWindow, TheFormsCancelDropsTheEditsAndANewInvoiceHasItsDefaults)
{
    addInvoices(2, QStringLiteral("FV"));
    w->pages()->setCurrentWidget(w->page(QStringLiteral("ts_Faktury")));
    QApplication::processEvents();
    t().mt_FAK_.first();
    auto *number = qobject_cast<QLineEdit *>(w->invoiceForm()->control(QStringLiteral("P_2A")));
    auto *amount = qobject_cast<QLineEdit *>(w->invoiceForm()->control(QStringLiteral("P_15")));
    DocumentNavigator *nav = navigatorOf(&t().mt_FAK_);
    // an edit, then "✗": the stored record is as it was
    amount->setFocus();
    amount->selectAll();
    QTest::keyClicks(amount, QStringLiteral("999"));
    QTest::keyClick(amount, Qt::Key_Return);
    EXPECT_EQ(t().mt_FAK_.value(QStringLiteral("P_15")).toDouble(), 999.0);
    QTest::mouseClick(nav->buttons().at(8), Qt::LeftButton); // "✗"
    EXPECT_EQ(t().mt_FAK_.valueAt(0, t().mt_FAK_.fieldIndex(QStringLiteral("P_15"))).toDouble(), 123.0);
    EXPECT_EQ(amount->text(), QStringLiteral("123") + QLocale().decimalPoint() + QStringLiteral("00"));
    // "+": a new invoice starts in PLN as a VAT invoice, and shows as the last row at once
    QTest::mouseClick(nav->buttons().at(4), Qt::LeftButton);
    EXPECT_EQ(t().mt_FAK_.value(QStringLiteral("KodWaluty")).toString(), QStringLiteral("PLN"));
    EXPECT_EQ(t().mt_FAK_.value(QStringLiteral("RodzajFaktury")).toString(), QStringLiteral("VAT"));
    EXPECT_EQ(w->grid(QStringLiteral("grid_FAK"))->documentModel()->rowCount(), 3);
    EXPECT_EQ(w->counter(QStringLiteral("Label_poz_sp"))->text(), QStringLiteral("Pozycji : 3"));
    QTest::mouseClick(nav->buttons().at(8), Qt::LeftButton); // "✗": the new record goes
    EXPECT_EQ(w->grid(QStringLiteral("grid_FAK"))->documentModel()->rowCount(), 2);
    EXPECT_EQ(w->counter(QStringLiteral("Label_poz_sp"))->text(), QStringLiteral("Pozycji : 2"));
    EXPECT_EQ(t().mt_FAK_.storedCount(), 2);
    EXPECT_EQ(number->text(), QStringLiteral("FV/1"));
}

TEST_F(BusyWindow, EditorsRefuseWhatTheyCannotStoreWithAMessage)
{
    addInvoices(1, QStringLiteral("FV"));
    w->pages()->setCurrentWidget(w->page(QStringLiteral("ts_Faktury")));
    QApplication::processEvents();
    auto *date = qobject_cast<QLineEdit *>(w->invoiceForm()->control(QStringLiteral("P_1")));
    const int p1 = t().mt_FAK_.fieldIndex(QStringLiteral("P_1"));
    struct Case
    {
        const char *typed;
        QDate stored; // invalid: refused
    };
    const Case cases[] = {
        {"5.8.2023", QDate(2023, 8, 5)},
        {"06-08-2023", QDate(2023, 8, 6)},
        {"2023-08-07", QDate(2023, 8, 7)},
        {"32.8.2023", QDate()},
        {"sierpien", QDate()},
    };
    QDate last = QDate(2023, 8, 2);
    for (const Case &c : cases) {
        port.messages.clear();
        date->setFocus();
        date->selectAll();
        QTest::keyClicks(date, QString::fromUtf8(c.typed));
        QTest::keyClick(date, Qt::Key_Return);
        if (c.stored.isValid()) {
            EXPECT_TRUE(port.messages.isEmpty()) << c.typed;
            last = c.stored;
        } else {
            ASSERT_EQ(port.messages.size(), 1) << c.typed;
            EXPECT_EQ(port.messages.at(0).kind, QStringLiteral("error"));
            EXPECT_TRUE(port.messages.at(0).text.startsWith(QStringLiteral("„") + QString::fromUtf8(c.typed)))
                << port.messages.at(0).text.toStdString();
            EXPECT_EQ(date->text(), QString::fromUtf8(c.typed)) << "the typed text stays to be mended";
        }
        EXPECT_EQ(t().mt_FAK_.value(p1).toDate(), last) << c.typed;
    }
    // a number with a per cent sign, typed into a grid cell, is refused with a word
    DocumentGrid *grid = w->grid(QStringLiteral("grid_POZ"));
    DocumentModel *model = grid->documentModel();
    t().mt_POZ_.first();
    port.messages.clear();
    EXPECT_FALSE(model->setData(model->index(0, model->columnOfField(QStringLiteral("P_11"))), QStringLiteral("12,5%"),
                                Qt::EditRole));
    ASSERT_EQ(port.messages.size(), 1);
    EXPECT_TRUE(port.messages.at(0).text.contains(QStringLiteral("P_11")));
    EXPECT_EQ(t().mt_POZ_.value(QStringLiteral("P_11")).toDouble(), 41.0);
}

TEST_F(BusyWindow, RenamingAnInvoiceTakesItsLinesAndDeletingMakesTheNextCurrent)
{
    addInvoices(6, QStringLiteral("FV"));
    t().linkLinesToInvoices();
    t().mt_FAK_.moveTo(1);
    port.messages.clear();
    port.queueAnswer(true);
    t().mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/2-nowy"));
    ASSERT_TRUE(t().mt_FAK_.post());
    ASSERT_EQ(port.messages.size(), 1);
    EXPECT_TRUE(port.messages.at(0).text.contains(QStringLiteral("pozycji: 3")))
        << port.messages.at(0).text.toStdString();
    EXPECT_EQ(t().mt_POZ_.recordCount(), kLinesEach);
    EXPECT_TRUE(t().mt_POZ_.rowsWithKey(QStringLiteral("FV/2")).empty());
    // declined: the number stays, nothing is orphaned
    port.queueAnswer(false);
    t().mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/inny"));
    ASSERT_TRUE(t().mt_FAK_.post());
    EXPECT_EQ(t().mt_FAK_.value(QStringLiteral("P_2A")).toString(), QStringLiteral("FV/2-nowy"));
    EXPECT_EQ(t().mt_POZ_.recordCount(), kLinesEach);

    // deleting through the window: the next invoice becomes current, none is skipped
    w->pages()->setCurrentWidget(w->page(QStringLiteral("ts_Faktury")));
    QApplication::processEvents();
    DocumentGrid *grid = w->grid(QStringLiteral("grid_FAK"));
    grid->setCurrentIndex(grid->documentModel()->index(2, 1));
    EXPECT_EQ(t().mt_FAK_.position(), 2);
    port.queueAnswer(true);
    QTest::mouseClick(navigatorOf(&t().mt_FAK_)->buttons().at(5), Qt::LeftButton); // "−"
    EXPECT_EQ(t().mt_FAK_.value(QStringLiteral("P_2A")).toString(), QStringLiteral("FV/4"));
    EXPECT_EQ(grid->currentIndex().row(), 2);
}

} // namespace
