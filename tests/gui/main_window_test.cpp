#include "app/workspace.h"
#include "document_grid.h"
#include "document_model.h"
#include "import/import_driver.h"
#include "invoice_form.h"
#include "main_window.h"
#include "support/recording_port.h"
#include "support/temp_home.h"
#include "widget_user_port.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {

using Msg = RecordingPort::Message;

QStringList visiblePages(MainWindow &w)
{
    QStringList names;
    for (int i = 0; i < w.pages()->count(); ++i)
        if (w.pages()->isTabVisible(i))
            names << w.pages()->widget(i)->objectName();
    return names;
}

TEST(MainWindow, PagesMenusAndCaptions)
{
    TempHome home;
    RecordingPort port;
    MainWindow w({}, home.path(), &port);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tavrix JPK_FA(4).XML"));
    // 855×600 at least where the screen has the room; the offscreen screen has 800×600, less
    // than the window's own size: the window opens within it all the same, title bar and all
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    if (room.width() >= 855 && room.height() >= 700) {
        EXPECT_EQ(w.minimumSize(), QSize(855, 600));
    }
    EXPECT_LE(w.width(), room.width());
    EXPECT_LE(w.height() + 30, room.height());
    EXPECT_TRUE(room.contains(w.geometry().topLeft()));
    QStringList captions;
    for (int i = 0; i < w.pages()->count(); ++i)
        captions << w.pages()->tabText(i);
    EXPECT_EQ(captions,
              QStringList({QStringLiteral("TAVRIX, Naglowek, Podmiot"), QStringLiteral("Faktury"),
                           QStringLiteral("Zamówienia (dla zaliczek)"), QStringLiteral("Ustawienia importu nagłówka"),
                           QStringLiteral("Ustawienia importu faktur"), QStringLiteral("... i pozycji faktur"),
                           QStringLiteral("Ustawienie importu Zaliczek"), QStringLiteral("... i pozycji zaliczek"),
                           QStringLiteral("Ogóle ustawienia pliku importu"), QStringLiteral("Schemat XML"),
                           QStringLiteral("Opis pól:"), QStringLiteral("Kontrola")}));
    EXPECT_FALSE(w.isPageVisible(QStringLiteral("ts_XML")));
    const QList<QAction *> menus = w.menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    QStringList file;
    for (QAction *a : menus.at(0)->menu()->actions())
        file << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(file,
              QStringList({QStringLiteral("Importuj Dane"), QStringLiteral("Importuj Naglowek"),
                           QStringLiteral("Importuj Faktury"), QStringLiteral("Importuj zamówienia"),
                           QStringLiteral("Importuj e-faktury (KSeF)"), QStringLiteral("Załaduj dane z pliku JPK*.XML"),
                           QStringLiteral("Weryfikuj gotowy JPK-FA(4).XML"), QStringLiteral("-"),
                           QStringLiteral("Generuj JPK"), QStringLiteral("-"), QStringLiteral("Zakończ pracę")}));
    // the import commands follow the file layout
    EXPECT_FALSE(w.action(QStringLiteral("act_Importuj"))->isEnabled());
    EXPECT_TRUE(w.action(QStringLiteral("Act_ImportujFaktury"))->isEnabled());
    w.workspace().controls().setChecked(QStringLiteral("rb_WspolnyPlik_Checked"), true);
    EXPECT_TRUE(w.action(QStringLiteral("act_Importuj"))->isEnabled());
    EXPECT_FALSE(w.action(QStringLiteral("Act_ImportujFaktury"))->isEnabled());
    EXPECT_TRUE(w.optionWidget(QStringLiteral("edx_Nag_Start_Text"))->isEnabled());
    EXPECT_FALSE(w.optionWidget(QStringLiteral("edx_Nag_Koniec_Text"))->isEnabled());
}

TEST(MainWindow, ConfigurationPagesHiddenUnlessMinusK)
{
    TempHome home;
    home.write(QStringLiteral("JPK_FA3_Ustawienia.ini"), "[Form_ImportJPK]\r\nchb_zaslon_Checked=TRUE\r\n");
    RecordingPort port;
    {
        MainWindow w({}, home.path(), &port);
        w.applyActivationRule();
        // "Kontrola" is a page of the data, not of the configuration
        EXPECT_EQ(visiblePages(w), QStringList({QStringLiteral("ts_Naglowek"), QStringLiteral("ts_Faktury"),
                                                QStringLiteral("ts_Zamowienia"), QStringLiteral("ts_XML"),
                                                QStringLiteral("ts_Kontrola")}));
    }
    for (const QString &k : {QStringLiteral("-k"), QStringLiteral("/K")}) {
        MainWindow w({k}, home.path(), &port);
        w.applyActivationRule();
        EXPECT_EQ(visiblePages(w).size(), 11) << k.toStdString();
        EXPECT_FALSE(w.isPageVisible(QStringLiteral("ts_XML")));
    }
    MainWindow x({QStringLiteral("-xml")}, home.path(), &port);
    x.workspace().controls().setChecked(QStringLiteral("chb_zaslon_Checked"), false);
    x.applyActivationRule();
    EXPECT_TRUE(x.isPageVisible(QStringLiteral("ts_XML")));
    EXPECT_TRUE(x.isPageVisible(QStringLiteral("ts_Config")));
}

TEST(MainWindow, GridLayoutSurvivesACloseAndANewStart)
{
    TempHome home;
    RecordingPort port;
    {
        MainWindow w({}, home.path(), &port);
        DocumentGrid *g = w.grid(QStringLiteral("grid_FAK"));
        const int waluta = g->documentModel()->columnOfField(QStringLiteral("KodWaluty"));
        const int numer = g->documentModel()->columnOfField(QStringLiteral("P_2A"));
        g->setColumnHidden(waluta, true);
        g->horizontalHeader()->moveSection(g->horizontalHeader()->visualIndex(numer), 0);
        g->setColumnWidth(numer, 222);
        w.close();
        w.storeSettings();
        ASSERT_TRUE(w.workspace().writeSettingsFile());
    }
    SettingsFile ini;
    ASSERT_TRUE(ini.load(home.file(QStringLiteral("JPK_FA3_Ustawienia.ini"))));
    const QString section = QStringLiteral("Form_ImportJPK\\TForm_ImportJPKgrid_FAK");
    EXPECT_TRUE(ini.value(section, QStringLiteral("grid_FAK.KodWaluty"))->endsWith(QStringLiteral(",-1")));
    EXPECT_EQ(ini.value(section, QStringLiteral("grid_FAK.P_2A")), QStringLiteral("0,222"));
    EXPECT_FALSE(ini.hasKey(section, QStringLiteral("grid_FAK.P_14_5")));

    MainWindow again({}, home.path(), &port);
    DocumentGrid *g = again.grid(QStringLiteral("grid_FAK"));
    const int waluta = g->documentModel()->columnOfField(QStringLiteral("KodWaluty"));
    const int numer = g->documentModel()->columnOfField(QStringLiteral("P_2A"));
    EXPECT_TRUE(g->isColumnHidden(waluta));
    EXPECT_EQ(g->horizontalHeader()->visualIndex(numer), 0);
    EXPECT_EQ(g->columnWidth(numer), 222);
}

TEST(MainWindow, ColumnChooserRefusesToHideEverything)
{
    TempHome home;
    RecordingPort port;
    MainWindow w({}, home.path(), &port);
    DocumentGrid *g = w.grid(QStringLiteral("grid_ZAM"));
    EXPECT_EQ(g->documentModel()->columnCount(), 2); // idx has no column
    EXPECT_FALSE(g->applyColumnChoice({false, false}));
    EXPECT_EQ(port.messages.last(), (Msg{QStringLiteral("info"), QStringLiteral("Select columns"),
                                         QStringLiteral("At least one column must be visible!")}));
    EXPECT_FALSE(g->isColumnHidden(0));
    EXPECT_TRUE(g->applyColumnChoice({false, true}));
    EXPECT_TRUE(g->isColumnHidden(0));
}

TEST(MainWindow, DeletingAnInvoiceWithItsLines)
{
    TempHome home;
    RecordingPort port;
    MainWindow w({}, home.path(), &port);
    DocumentTables &t = w.workspace().tables();
    t.mt_FAK_.append();
    t.mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/1"));
    t.mt_FAK_.post();
    for (int i = 0; i < 3; ++i) {
        t.mt_POZ_.append();
        t.mt_POZ_.post();
    }
    EXPECT_EQ(w.counter(QStringLiteral("Label_poz_sp"))->text(), QStringLiteral("Pozycji : 1"));
    // with the link off the deletion is refused
    EXPECT_FALSE(t.mt_FAK_.remove());
    EXPECT_EQ(port.messages.last().text, QStringLiteral("Nie można usunąć faktury przy braku połączenia z pozycjami"));
    t.linkLinesToInvoices();
    EXPECT_EQ(w.counter(QStringLiteral("Label_poz_za"))->text(), QStringLiteral("pozycji : 3"));
    port.messages.clear();
    port.queueAnswer(true);
    EXPECT_TRUE(t.mt_FAK_.remove());
    EXPECT_EQ(port.messages.size(), 1);
    EXPECT_EQ(t.mt_FAK_.recordCount() + t.mt_POZ_.deletedRows(), 3);
    t.dropDeletedRows();
    EXPECT_EQ(t.mt_FAK_.storedCount() + t.mt_POZ_.storedCount(), 0);
    EXPECT_EQ(w.counter(QStringLiteral("Label_poz_sp"))->text(), QStringLiteral("Pozycji : 0"));
}

TEST(DocumentModel, BehavesAsAModelWhileTheTableChanges)
{
    RecordingPort port;
    DocumentTables t(&port);
    DocumentModel model(&t.mt_POZ_, {});
    // the tester fetches more from inside its own reset handler and then faults itself, so
    // it watches the appends and the edits, and is made anew after a reset
    auto tester =
        std::make_unique<QAbstractItemModelTester>(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    t.mt_FAK_.append();
    t.mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/1"));
    t.mt_FAK_.post();
    for (int i = 0; i < 300; ++i) {
        t.mt_POZ_.append();
        t.mt_POZ_.setValue(QStringLiteral("P_8B"), 1.5);
        t.mt_POZ_.post();
    }
    EXPECT_EQ(model.rowCount(), 300);
    EXPECT_EQ(model.data(model.index(0, model.columnOfField(QStringLiteral("P_8B"))), Qt::DisplayRole).toString(),
              QLocale().toString(1.5, 'f', 6));
    EXPECT_EQ(model.headerData(model.columnOfField(QStringLiteral("P_8B")), Qt::Horizontal, Qt::ToolTipRole).toString(),
              QStringLiteral("P_8B"));
    EXPECT_EQ(model.headerData(model.columnOfField(QStringLiteral("P_8B")), Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Ilość"));
    ASSERT_TRUE(model.setData(model.index(0, model.columnOfField(QStringLiteral("P_7"))), QStringLiteral("Śruby"),
                              Qt::EditRole));
    EXPECT_EQ(t.mt_POZ_.stringAt(0, 1), QStringLiteral("Śruby"));
    port.queueAnswer(true);
    t.mt_POZ_.remove();
    EXPECT_EQ(model.rowCount(), 299);
    tester.reset();
    t.linkLinesToInvoices();
    tester = std::make_unique<QAbstractItemModelTester>(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 299);
    t.mt_FAK_.append();
    t.mt_FAK_.post();
    tester.reset();
}

TEST(DocumentModel, PresentsEveryRowAndRemovesAMiddleOneInOrder)
{
    RecordingPort port;
    DocumentTables t(&port);
    t.suspendViews();
    for (int i = 0; i < 5000; ++i) {
        t.mt_ZAM_.append();
        t.mt_ZAM_.setValue(QStringLiteral("P_2AZ"), QStringLiteral("Z/%1").arg(i));
        t.mt_ZAM_.post();
    }
    t.resumeViews();
    DocumentModel model(&t.mt_ZAM_, {});
    EXPECT_EQ(model.rowCount(), 5000) << "every record is a row: the last one can be shown at once";
    // the tester checks that the row is announced while it can still be read
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const int column = model.columnOfField(QStringLiteral("P_2AZ"));
    QString seenBefore;
    QObject::connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, [&](const QModelIndex &, int first, int) {
        seenBefore = model.data(model.index(first, column), Qt::DisplayRole).toString();
    });
    ASSERT_TRUE(t.mt_ZAM_.moveTo(2500));
    port.queueAnswer(true);
    ASSERT_TRUE(t.mt_ZAM_.remove());
    EXPECT_EQ(seenBefore, QStringLiteral("Z/2500")) << "the model was told before the row went";
    EXPECT_EQ(model.rowCount(), 4999);
    EXPECT_EQ(model.data(model.index(2500, column), Qt::DisplayRole).toString(), QStringLiteral("Z/2501"));
}

TEST(DocumentModel, EditorsKeepEveryDigitAndCellsCanBeEmptied)
{
    RecordingPort port;
    DocumentTables t(&port);
    DocumentModel model(&t.mt_POZ_, {});
    t.mt_POZ_.append();
    t.mt_POZ_.setValue(QStringLiteral("P_8B"), 1.234567891);
    t.mt_POZ_.setValue(QStringLiteral("P_9A"), 12300.0);
    t.mt_POZ_.setValue(QStringLiteral("P_11"), 1230.5);
    t.mt_POZ_.post();
    const QLocale locale;
    auto cell = [&](const char *field) { return model.index(0, model.columnOfField(QString::fromLatin1(field))); };
    auto stored = [&](const char *field) {
        return t.mt_POZ_.valueAt(0, t.mt_POZ_.fieldIndex(QString::fromLatin1(field)));
    };
    const QString sep = locale.decimalPoint();
    // a cell opened and confirmed unchanged keeps its value
    EXPECT_EQ(model.data(cell("P_8B"), Qt::EditRole).toString(),
              QStringLiteral("1") + sep + QStringLiteral("234567891"));
    ASSERT_TRUE(model.setData(cell("P_8B"), model.data(cell("P_8B"), Qt::EditRole), Qt::EditRole));
    EXPECT_EQ(stored("P_8B"), QVariant(1.234567891));
    // ",0.00" groups thousands always, as the form and the sum message do
    const QString group = locale.groupSeparator();
    EXPECT_EQ(model.data(cell("P_11"), Qt::DisplayRole).toString(),
              QStringLiteral("1") + group + QStringLiteral("230") + sep + QStringLiteral("50"));
    struct Case
    {
        const char *typed;
        QVariant expected;
    };
    const Case cases[] = {
        {"2,125", 2.125},    {"2.125", 2.125},      {"-3,5", -3.5},   {"+4", 4.0},
        {"1 234,5", 1234.5}, {"1.234,56", 1234.56}, {"", QVariant()},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(model.setData(cell("P_9A"), QString::fromUtf8(c.typed), Qt::EditRole)) << c.typed;
        EXPECT_EQ(stored("P_9A"), c.expected) << c.typed;
    }
    EXPECT_FALSE(model.setData(cell("P_9A"), QStringLiteral("12a"), Qt::EditRole));

    // a date cell can be emptied too; an unticked null boolean written as "false" shows unticked
    DocumentModel invoices(&t.mt_FAK_, {});
    t.mt_FAK_.append();
    t.mt_FAK_.setValue(QStringLiteral("P_1"), QDate(2023, 8, 2));
    t.mt_FAK_.post();
    const QModelIndex issued = invoices.index(0, invoices.columnOfField(QStringLiteral("P_1")));
    ASSERT_TRUE(invoices.setData(issued, QString(), Qt::EditRole));
    EXPECT_FALSE(t.mt_FAK_.valueAt(0, t.mt_FAK_.fieldIndex(QStringLiteral("P_1"))).isValid());
    ASSERT_TRUE(invoices.setData(issued, locale.toString(QDate(2023, 8, 3), QLocale::ShortFormat), Qt::EditRole));
    EXPECT_EQ(t.mt_FAK_.valueAt(0, t.mt_FAK_.fieldIndex(QStringLiteral("P_1"))), QVariant(QDate(2023, 8, 3)));
    EXPECT_EQ(invoices.data(invoices.index(0, invoices.columnOfField(QStringLiteral("P_16"))), Qt::CheckStateRole),
              QVariant(Qt::Unchecked));
    EXPECT_EQ(invoices.data(invoices.index(0, invoices.columnOfField(QStringLiteral("P_106E_3"))), Qt::CheckStateRole),
              QVariant(Qt::PartiallyChecked));
}

TEST(InvoiceForm, ShowsAndStoresTheCurrentInvoice)
{
    TempHome home;
    RecordingPort port;
    MainWindow w({}, home.path(), &port);
    DocumentTable &f = w.workspace().tables().mt_FAK_;
    f.append();
    f.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/7"));
    f.post();
    auto *box = qobject_cast<QCheckBox *>(w.invoiceForm()->control(QStringLiteral("P_106E_3")));
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isTristate());
    EXPECT_EQ(box->checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(qobject_cast<QCheckBox *>(w.invoiceForm()->control(QStringLiteral("P_106E_2")))->isTristate());
    box->setCheckState(Qt::Checked);
    EXPECT_EQ(f.value(QStringLiteral("P_106E_3")), QVariant(true));
    box->setCheckState(Qt::PartiallyChecked);
    EXPECT_FALSE(f.value(QStringLiteral("P_106E_3")).isValid());
    EXPECT_NE(w.invoiceForm()->control(QStringLiteral("P_14_5")), nullptr);
    EXPECT_EQ(w.invoiceForm()->control(QStringLiteral("P_22A")), nullptr);
}

TEST(LineFilter, IsKeptBetweenRunsAndUsedByThePass)
{
    TempHome home;
    RecordingPort port;
    {
        MainWindow w({}, home.path(), &port);
        auto *box = qobject_cast<QCheckBox *>(w.optionWidget(QStringLiteral("chb_POZ_BeginIf_Checked")));
        ASSERT_TRUE(box);
        EXPECT_FALSE(box->isChecked());
        EXPECT_FALSE(w.optionWidget(QStringLiteral("ed_POZ_BeginIf_Text"))->isEnabled());
        box->click();
        EXPECT_TRUE(w.optionWidget(QStringLiteral("ed_POZ_BeginIf_Text"))->isEnabled());
        EXPECT_TRUE(w.optionWidget(QStringLiteral("rb_PozEnd_InnyStart_Checked"))->isEnabled());
        w.close();
        w.storeSettings();
        ASSERT_TRUE(w.workspace().writeSettingsFile());
    }
    MainWindow w({}, home.path(), &port);
    EXPECT_TRUE(qobject_cast<QCheckBox *>(w.optionWidget(QStringLiteral("chb_POZ_BeginIf_Checked")))->isChecked());
    EXPECT_TRUE(w.optionWidget(QStringLiteral("ed_POZ_BeginIf_Text"))->isEnabled());
    // the pass reads the filter: a line that does not begin with "POZ" is no line row
    Workspace &ws = w.workspace();
    ws.controls().setItemIndex(QStringLiteral("cb_separator_ItemIndex"), 2);
    ws.maps().grid(MappingTables::FAK).setCell(3, 3, QStringLiteral("2"));
    ws.maps().grid(MappingTables::POS).setCell(3, 2, QStringLiteral("2"));
    home.write(QStringLiteral("f.txt"), "FAK;FV/1\nPOZ;A\nuwaga\nPOZ;B\n");
    ImportDriver d(ws.context());
    ASSERT_TRUE(d.readImportFile(home.file(QStringLiteral("f.txt"))));
    d.importInvoiceBlock(0);
    EXPECT_EQ(ws.tables().mt_POZ_.storedCount(), 2);

    TempHome fresh;
    fresh.write(QStringLiteral("JPK_FA3_Ustawienia.ini"), "[Form_ImportJPK]\r\nchb_FAK_BeginIf_Checked=TRUE\r\n");
    MainWindow clean({}, fresh.path(), &port);
    EXPECT_FALSE(qobject_cast<QCheckBox *>(clean.optionWidget(QStringLiteral("chb_POZ_BeginIf_Checked")))->isChecked());
}

} // namespace

namespace {

TEST(ColumnSums, ButtonOfTheInvoiceValues)
{
    TempHome home;
    RecordingPort port;
    MainWindow w({}, home.path(), &port);
    DocumentTable &f = w.workspace().tables().mt_FAK_;
    for (double v : {10.0, 2.5}) {
        f.append();
        f.setValue(QStringLiteral("P_15"), v);
        f.post();
    }
    f.first();
    w.show();
    w.sumButton(QStringLiteral("grid_FAK"), QStringLiteral("P_15"));
    ASSERT_FALSE(port.messages.isEmpty());
    EXPECT_TRUE(port.messages.last().text.startsWith(QStringLiteral("Suma wg pola [KwotaOgółem] = ")));
    EXPECT_TRUE(port.messages.last().text.endsWith(QStringLiteral("\rNazwaXML: <P_15/>")));
    EXPECT_EQ(f.position(), 0);
    w.sumButton(QStringLiteral("grid_POZ"), QStringLiteral("P_11"));
    EXPECT_TRUE(port.messages.last().text.endsWith(QStringLiteral("NazwaXML: <P_11/>")));
}

} // namespace

namespace {

TEST(MainWindow, InvalidDateIsRefusedAndTheOldOneKept)
{
    TempHome home;
    RecordingPort port;
    MainWindow w({}, home.path(), &port);
    auto *edit = w.findChild<QWidget *>(QStringLiteral("ed_DataOd"))->findChild<QLineEdit *>();
    ASSERT_TRUE(edit);
    edit->setText(QStringLiteral("2023-08-01"));
    emit edit->editingFinished();
    EXPECT_EQ(w.workspace().controls().date(QStringLiteral("ed_DataOd_Date")), QDate(2023, 8, 1));
    edit->setText(QStringLiteral("31.02.2023x"));
    emit edit->editingFinished();
    EXPECT_EQ(port.messages.last().text, QStringLiteral("Wprowadzona data \"31.02.2023x\" nie jest właściwą"));
    EXPECT_EQ(w.workspace().controls().date(QStringLiteral("ed_DataOd_Date")), QDate(2023, 8, 1));
    EXPECT_EQ(edit->text(), QStringLiteral("31.02.2023x")); // left for the user to mend
    // the forms people type
    for (const auto &[typed, date] :
         {std::pair{"5.8.2023", QDate(2023, 8, 5)}, std::pair{"06-08-2023", QDate(2023, 8, 6)}}) {
        edit->setText(QString::fromLatin1(typed));
        emit edit->editingFinished();
        EXPECT_EQ(w.workspace().controls().date(QStringLiteral("ed_DataOd_Date")), date) << typed;
    }
}

TEST(MainWindow, PlacementOfAnotherPixelDensityIsNotApplied)
{
    TempHome home;
    RecordingPort port;
    QRect designed;
    {
        MainWindow w({}, home.path(), &port);
        designed = w.geometry();
    }
    home.write(QStringLiteral("JPK_FA3_Ustawienia.ini"),
               "[Form_ImportJPK]\r\nPixelsPerInch=1234\r\nNormPos=10,10,910,710\r\n");
    MainWindow w({}, home.path(), &port);
    EXPECT_EQ(w.geometry().size(), designed.size());
}

TEST(MainWindow, AboutTellsTheVersion)
{
    TempHome home;
    RecordingPort port;
    MainWindow w({}, home.path(), &port);
    w.action(QStringLiteral("act_About"))->trigger();
    ASSERT_FALSE(port.messages.isEmpty());
    EXPECT_EQ(port.messages.last().caption, QStringLiteral("o Programie"));
    EXPECT_TRUE(port.messages.last().text.endsWith(QStringLiteral("Wersja programu: 2023.08.25.1")));
}

} // namespace

namespace {

// Qt's own dialogs speak Polish with the program, whatever the process locale.
TEST(MainWindow, QtsOwnButtonsArePolish)
{
    ASSERT_TRUE(WidgetUserPort::installPolishTranslations());
    QMessageBox box(QMessageBox::Question, QStringLiteral("Pytanie"), QStringLiteral("Tak czy nie?"),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(u'&'), QStringLiteral("Tak"));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove(u'&'), QStringLiteral("Nie"));
}

} // namespace
