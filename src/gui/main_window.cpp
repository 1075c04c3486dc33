#include "main_window.h"

#include "control_binder.h"
#include "date_picker.h"
#include "document_grid.h"
#include "document_model.h"
#include "download_window.h"
#include "invoice_form.h"
#include "mapping_grid_view.h"

#include "app/option_rules.h"
#include "import/external_app.h"
#include "import/record_resolver.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <string_view>

namespace {

struct PageDef
{
    const char *name;
    const char *caption;
    bool config;
};

const PageDef kPages[] = {
    {"ts_Naglowek", "TAVRIX, Naglowek, Podmiot", false},
    {"ts_Faktury", "Faktury", false},
    {"ts_Zamowienia", "Zamówienia (dla zaliczek)", false},
    {"ts_Konfigurator", "Ustawienia importu nagłówka", true},
    {"ts_imp_fak", "Ustawienia importu faktur", true},
    {"ts_imp_fak_poz", "... i pozycji faktur", true},
    {"ts_imp_zal", "Ustawienie importu Zaliczek", true},
    {"ts_imp_zal_poz", "... i pozycji zaliczek", true},
    {"ts_Config", "Ogóle ustawienia pliku importu", true},
    {"ts_XML", "Schemat XML", false},
    {"ts_Help", "Opis pól:", true},
};

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

QWidget *row(QWidget *parent, std::initializer_list<QWidget *> widgets, bool stretch = true)
{
    auto *w = new QWidget(parent);
    auto *l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    for (QWidget *x : widgets)
        l->addWidget(x);
    if (stretch)
        l->addStretch(1);
    return w;
}

} // namespace

MainWindow::MainWindow(const QStringList &args, const QString &homeDir, UserPort *port, QWidget *parent)
    : QMainWindow(parent), m_widgetPort(this), m_port(port ? port : &m_widgetPort),
      m_workspace(new Workspace(m_port, this))
{
    setObjectName(QStringLiteral("Form_ImportJPK"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tavrix-jpk-256.png")));
    setMinimumSize(855, 600);
    resize(855, 718);

    // the creation of the window: command line, settings, default tables, restored options
    m_workspace->start(args, homeDir);
    // the title names the configuration the window works with (-cnf:NN)
    setWindowTitle(m_workspace->commandLine().cnfGiven
                       ? QStringLiteral("Tavrix JPK_FA(4).XML – konfiguracja %1").arg(m_workspace->commandLine().cnf)
                       : QStringLiteral("Tavrix JPK_FA(4).XML"));
    m_widgetPort.setFolderMemory(&m_workspace->settings(), QStringLiteral("Form_ImportJPK\\Foldery"));
    m_workspace->storeWindowPlacement = [this](SettingsFile &s) { storeWindowPlacement(s); };
    m_workspace->storeGridLayouts = [this](SettingsFile &s) {
        for (const char *name : {"grid_FAK", "grid_POZ", "grid_ZAM", "grid_ZPOZ"})
            m_grids.value(QString::fromLatin1(name))->storeLayout(s);
    };

    m_binder = new ControlBinder(m_workspace->controls(), this);
    buildActions();
    buildPages();

    m_status->setText(m_workspace->statusText());
    for (DocumentGrid *g : std::as_const(m_grids)) {
        g->restoreLayout(m_workspace->settings());
        g->setSumAction(m_actions.value(QStringLiteral("act_SumaWgKolumny")));
        connect(g, &DocumentGrid::menuOpened, this, [this](DocumentGrid *grid) { m_menuGrid = grid; });
    }
    restoreWindowPlacement();
    applyTabAppearance();
    const QString active = m_workspace->controls().text(QStringLiteral("PageControl_ActivePage"));
    if (QWidget *page = m_pageByName.value(active))
        m_pages->setCurrentWidget(page);

    connect(m_binder, &ControlBinder::changed, this, [this](const QString &key) {
        if (key == u"chb_page_multiline_Checked" || key == u"chb_page_ragged_Checked")
            applyTabAppearance();
        updateEnables();
    });
    connect(m_workspace, &Workspace::busyChanged, this, &MainWindow::updateEnables);
    connect(&m_workspace->tables(), &DocumentTables::countersChanged, this, &MainWindow::refreshCounters);
    connect(&m_workspace->tables(), &DocumentTables::lineLinkChanged, this, &MainWindow::updateEnables);
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int index) {
        if (QWidget *page = m_pages->widget(index))
            m_workspace->controls().setText(QStringLiteral("PageControl_ActivePage"), page->objectName());
    });
    updateEnables();
    refreshCounters();
}

MainWindow::~MainWindow() = default;

QWidget *MainWindow::optionWidget(const QString &key) const
{
    QWidget *w = m_binder->widget(key);
    return w ? w : m_named.value(key);
}

bool MainWindow::isPageVisible(const QString &name) const
{
    return m_pages->isTabVisible(m_pages->indexOf(m_pageByName.value(name)));
}

void MainWindow::runCommand(const QString &name, const std::function<void()> &work)
{
    QAction *action = m_actions.value(name);
    if (action)
        action->setEnabled(false);
    work();
    updateEnables();
}

void MainWindow::buildActions()
{
    auto make = [this](const char *name, const char *caption) {
        auto *action = new QAction(QString::fromUtf8(caption), this);
        action->setObjectName(QString::fromLatin1(name));
        m_actions.insert(action->objectName(), action);
        return action;
    };
    Workspace &ws = *m_workspace;
    QAction *importAll = make("act_Importuj", "Importuj Dane");
    QAction *importHeader = make("Act_ImportNaglowek", "Importuj Naglowek");
    QAction *importInvoices = make("Act_ImportujFaktury", "Importuj Faktury");
    QAction *importOrders = make("act_ImportujZamowienia", "Importuj zamówienia");
    QAction *importApp = make("act_ImportujZAplikacji", "Importuj z aplikacji");
    QAction *load = make("act_LoadFromJPK", "Załaduj dane z pliku JPK*.XML");
    QAction *check = make("act_SprawdzPlikJPK", "Weryfikuj gotowy JPK-FA(4).XML");
    QAction *generate = make("act_Generuj_JPK", "Generuj JPK");
    QAction *quit = make("Act_Koniec", "Zakończ pracę");
    QAction *about = make("act_About", "o Programie");
    QAction *eraseFak = make("act_Erase_FAK", "Usuń wszystkie pozycje Faktur");
    QAction *eraseZam = make("act_Erase_ZAM", "Usuń wszystkie pozycje Zamówień");
    QAction *sum = make("act_SumaWgKolumny", "Suma wg kolumny.");
    QAction *showFolder = make("act_PokazWFolderze", "Pokaż w folderze");
    showFolder->setEnabled(false);
    showFolder->setToolTip(QStringLiteral("Otwiera folder z ostatnio utworzonym plikiem JPK"));
    connect(showFolder, &QAction::triggered, this,
            [showFolder] { QDesktopServices::openUrl(QUrl::fromLocalFile(showFolder->data().toString())); });
    // the main commands have their keys, shown in the menus
    const std::pair<QAction *, QKeySequence> keys[] = {
        {importAll, QKeySequence(Qt::CTRL | Qt::Key_I)},
        {importHeader, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H)},
        {importInvoices, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)},
        {importOrders, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        {load, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {check, QKeySequence(Qt::CTRL | Qt::Key_E)},
        {generate, QKeySequence(Qt::CTRL | Qt::Key_G)},
        {showFolder, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        {quit, QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {sum, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {about, QKeySequence(Qt::Key_F1)},
    };
    for (const auto &[action, key] : keys)
        action->setShortcut(key);
    addAction(sum); // its key works wherever the focus is
    connect(importApp, &QAction::triggered, this, [this] { importThroughApplication(); });
    connect(sum, &QAction::triggered, this, [this] { act_SumaWgKolumnyExecute(); });

    connect(importAll, &QAction::triggered, this,
            [this, &ws] { runCommand(QStringLiteral("act_Importuj"), [&ws] { ws.importCommonFile(); }); });
    connect(importHeader, &QAction::triggered, this,
            [this, &ws] { runCommand(QStringLiteral("Act_ImportNaglowek"), [&ws] { ws.importHeaderFile(); }); });
    connect(importInvoices, &QAction::triggered, this,
            [this, &ws] { runCommand(QStringLiteral("Act_ImportujFaktury"), [&ws] { ws.importInvoiceFile(); }); });
    connect(importOrders, &QAction::triggered, this,
            [this, &ws] { runCommand(QStringLiteral("act_ImportujZamowienia"), [&ws] { ws.importOrderFile(); }); });
    connect(load, &QAction::triggered, this,
            [this, &ws] { runCommand(QStringLiteral("act_LoadFromJPK"), [&ws] { ws.chooseAndLoadJpk(); }); });
    connect(check, &QAction::triggered, this,
            [this, &ws] { runCommand(QStringLiteral("act_SprawdzPlikJPK"), [&ws] { ws.chooseAndValidateFile(); }); });
    connect(generate, &QAction::triggered, this, [this, &ws] {
        runCommand(QStringLiteral("act_Generuj_JPK"), [this, &ws] {
            const bool written = ws.generateJpk();
            if (written) {
                // the file can be shown in its folder now
                QAction *showFolder = m_actions.value(QStringLiteral("act_PokazWFolderze"));
                showFolder->setData(QFileInfo(ws.controls().text(QStringLiteral("fn_JPK_Text"))).absolutePath());
                showFolder->setEnabled(true);
            }
            if (!written && ws.lastGenerateHadNoName()) {
                m_pages->setCurrentWidget(m_pageByName.value(QStringLiteral("ts_Naglowek")));
                if (QWidget *w = m_binder->widget(QStringLiteral("fn_JPK_Text")))
                    w->setFocus();
            }
        });
    });
    connect(quit, &QAction::triggered, this, &QWidget::close);
    connect(about, &QAction::triggered, this, &MainWindow::act_AboutExecute);
    connect(eraseFak, &QAction::triggered, this, [&ws] { ws.tables().eraseInvoices(); });
    connect(eraseZam, &QAction::triggered, this, [&ws] { ws.tables().eraseOrders(); });

    QMenu *file = menuBar()->addMenu(QStringLiteral("Plik"));
    file->addActions({importAll, importHeader, importInvoices, importOrders, load, check});
    file->addSeparator();
    file->addAction(generate);
    file->addSeparator();
    file->addAction(quit);
    QMenu *program = menuBar()->addMenu(QStringLiteral("Program"));
    program->addActions({about, quit});

    QToolBar *tools = addToolBar(QStringLiteral("Narzędzia"));
    tools->setObjectName(QStringLiteral("ToolBar"));
    tools->setMovable(false);
    tools->addAction(importAll);
    tools->addSeparator();
    tools->addActions({importHeader, importInvoices});
    tools->addSeparator();
    tools->addAction(generate);
    tools->addSeparator();
    m_gauge = new QProgressBar(tools);
    m_gauge->setMaximumWidth(220);
    m_gaugeAction = tools->addWidget(m_gauge);
    m_gaugeAction->setVisible(false);
    m_widgetPort.setGauge(m_gauge, m_gaugeAction);

    m_status = new QLabel(this);
    statusBar()->addWidget(m_status, 1);
    // the menus and the tool bar stay as they are; the folder of the written file is a
    // button of the status bar (and a key)
    auto *folderButton = new QToolButton(this);
    folderButton->setDefaultAction(showFolder);
    folderButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    folderButton->setAutoRaise(true);
    statusBar()->addPermanentWidget(folderButton);
    addAction(showFolder);
}

void MainWindow::buildPages()
{
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));
    int i = 0;
    for (const PageDef &def : kPages) {
        QWidget *page = nullptr;
        if (i == 0)
            page = buildHeaderPage();
        else if (i == 1)
            page = buildInvoicesPage();
        else if (i == 2)
            page = buildOrdersPage();
        else if (i == 3)
            page = buildHeaderImportPage();
        else if (i == 4)
            page = buildRecordImportPage(false);
        else if (i == 5)
            page = buildLinesImportPage(false);
        else if (i == 6)
            page = buildRecordImportPage(true);
        else if (i == 7)
            page = buildLinesImportPage(true);
        else if (i == 8)
            page = buildConfigPage();
        else if (i == 9)
            page = buildTemplatePage();
        else
            page = buildHelpPage();
        ++i;
        page->setObjectName(QString::fromLatin1(def.name));
        m_pageByName.insert(page->objectName(), page);
        m_pages->addTab(page, QString::fromUtf8(def.caption));
    }
    // "Kontrola": the checks beyond the schema, after the pages of the original window
    m_checkPage = new CheckPage(m_workspace, m_port, m_pages);
    m_checkPage->setObjectName(QStringLiteral("ts_Kontrola"));
    m_pageByName.insert(m_checkPage->objectName(), m_checkPage);
    m_pages->addTab(m_checkPage, QStringLiteral("Kontrola"));
    connect(m_checkPage, &CheckPage::showRecord, this, &MainWindow::showFinding);
    // the template page is shown only on request
    m_pages->setTabVisible(m_pages->indexOf(m_pageByName.value(QStringLiteral("ts_XML"))), false);
    setCentralWidget(m_pages);
}

QWidget *MainWindow::buildHeaderPage()
{
    auto *page = new QWidget;
    auto *outer = new QHBoxLayout(page);
    Controls &c = m_workspace->controls();

    auto *fields = new QGroupBox(S(" Nagłówek i Podmiot "), page);
    auto *form = new QFormLayout(fields);
    form->setLabelAlignment(Qt::AlignRight);
    for (const auto &[caption, key] :
         {std::pair{"Data Od", "ed_DataOd_Date"}, std::pair{"Data Do", "ed_DataDo_Date"}}) {
        auto *picker = new DatePicker(c, QString::fromLatin1(key), m_port, fields);
        m_named.insert(QString::fromLatin1(key), picker);
        form->addRow(S(caption), picker);
    }
    QLineEdit *created = m_binder->text(QStringLiteral("ed_DataWytworzeniaJPK_Text"), fields);
    created->setReadOnly(true);
    created->setToolTip(S("Podwójne kliknięcie wstawia bieżącą datę i czas"));
    created->installEventFilter(this);
    form->addRow(S("Data Wytworzenia JPK [UTC]"), created);
    struct Field
    {
        const char *key, *caption;
        int max;
    };
    const Field header[] = {{"ed_KodUrzedu_Text", "Kod Urzędu", 4},
                            {"ed_NIP_Text", "NIP", 0},
                            {"ed_PelnaNazwa_Text", "Pełna Nazwa", 70},
                            {"ed_EUPLVATID_Text", "EUPLVATID", 0},
                            {"ed_IMPLVATID_Text", "IMPLVATID", 0},
                            {"ed_KodKraju_Text", "Kod Kraju", 2},
                            {"ed_Wojewodztwo_Text", "Województwo", 36},
                            {"ed_Powiat_Text", "Powiat", 36},
                            {"ed_Gmina_Text", "Gmian", 36},
                            {"ed_Ulica_Text", "Ulica", 65},
                            {"ed_NrDomu_Text", "NrDomu", 6},
                            {"ed_NrLokalu_Text", "NrLokalu", 6},
                            {"ed_Miejscowosc_Text", "Miejscowość", 56},
                            {"ed_KodPocztowy_Text", "Kod poczowy", 8}};
    for (const Field &f : header)
        form->addRow(S(f.caption), m_binder->text(QString::fromLatin1(f.key), fields, f.max));
    QLineEdit *kod = qobject_cast<QLineEdit *>(m_binder->widget(QStringLiteral("ed_KodUrzedu_Text")));
    kod->setPlaceholderText(c.text(QStringLiteral("ed_KodUrzedu_TextHint")));
    outer->addWidget(fields, 3);

    auto *right = new QVBoxLayout;
    auto *output = new QGroupBox(S(" Nazwa wynikowa dla pliku JPK (XML) "), page);
    auto *ol = new QVBoxLayout(output);
    QLineEdit *fn = m_binder->text(QStringLiteral("fn_JPK_Text"), output);
    auto *browse = new QToolButton(output);
    browse->setText(QStringLiteral("…"));
    connect(browse, &QToolButton::clicked, this, [this, fn] {
        const QString file = QFileDialog::getSaveFileName(this, S("Nazwa wynikowa dla pliku JPK (XML)"), fn->text(),
                                                          S("Pliki XML (*.xml)"));
        if (!file.isEmpty())
            m_workspace->controls().setText(QStringLiteral("fn_JPK_Text"), m_workspace->correctedOutputName(file));
    });
    connect(fn, &QLineEdit::editingFinished, this, [this, fn] {
        if (fn->isModified()) {
            fn->setModified(false);
            m_workspace->controls().setText(QStringLiteral("fn_JPK_Text"),
                                            m_workspace->correctedOutputName(fn->text()));
        }
    });
    ol->addWidget(row(output, {fn, browse}, false));
    ol->addWidget(m_binder->check(QStringLiteral("chb_Korekta_Checked"), S("Generowany plik będzie korektą"), output));
    right->addWidget(output);

    auto *action = new QGroupBox(S(" Akcja "), page);
    auto *al = new QVBoxLayout(action);
    for (const char *name :
         {"act_Importuj", "Act_ImportNaglowek", "Act_ImportujFaktury", "act_Generuj_JPK", "act_ImportujZAplikacji"}) {
        QAction *a = m_actions.value(QString::fromLatin1(name));
        auto *button = new QPushButton(a->text(), action);
        button->setObjectName(QStringLiteral("b_") + a->objectName());
        connect(button, &QPushButton::clicked, a, &QAction::trigger);
        connect(a, &QAction::changed, button, [button, a] {
            button->setEnabled(a->isEnabled());
            button->setVisible(a->isVisible());
        });
        al->addWidget(button);
    }
    al->addWidget(m_binder->check(QStringLiteral("chb_Weryfikuj_Checked"), S("Zweryfukuj po wygenerowaniu"), action));
    right->addWidget(action);

    auto *tabs = new QGroupBox(S(" Ustawienie zakładek "), page);
    auto *tl = new QVBoxLayout(tabs);
    tl->addWidget(m_binder->check(QStringLiteral("chb_page_multiline_Checked"), S("- wieloliniowe"), tabs));
    tl->addWidget(m_binder->check(QStringLiteral("chb_page_ragged_Checked"), S("- okrojone"), tabs));
    right->addWidget(tabs);
    right->addStretch(1);
    outer->addLayout(right, 2);
    return page;
}

QWidget *MainWindow::buildInvoicesPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    DocumentTables &t = m_workspace->tables();
    auto *split = new QSplitter(Qt::Vertical, page);

    auto *top = new QWidget(split);
    auto *tl = new QVBoxLayout(top);
    tl->setContentsMargins(0, 0, 0, 0);
    auto *counter = new QLabel(top);
    counter->setObjectName(QStringLiteral("Label_poz_sp"));
    m_counters.insert(counter->objectName(), counter);
    auto *importButton = new QPushButton(m_actions.value(QStringLiteral("Act_ImportujFaktury"))->text(), top);
    connect(importButton, &QPushButton::clicked, m_actions.value(QStringLiteral("Act_ImportujFaktury")),
            &QAction::trigger);
    connect(m_actions.value(QStringLiteral("Act_ImportujFaktury")), &QAction::changed, importButton,
            [this, importButton] {
                importButton->setEnabled(m_actions.value(QStringLiteral("Act_ImportujFaktury"))->isEnabled());
            });
    auto *erase = new QPushButton(m_actions.value(QStringLiteral("act_Erase_FAK"))->text(), top);
    connect(erase, &QPushButton::clicked, m_actions.value(QStringLiteral("act_Erase_FAK")), &QAction::trigger);
    auto *sumInvoices = new QPushButton(S("Ʃ Wartość Faktur"), top);
    sumInvoices->setObjectName(QStringLiteral("Button_WartoscFaktur"));
    connect(sumInvoices, &QPushButton::clicked, this,
            [this] { sumButton(QStringLiteral("grid_FAK"), QStringLiteral("P_15")); });
    tl->addWidget(row(top, {new DocumentNavigator(&t.mt_FAK_, top), counter, importButton, erase, sumInvoices}));
    auto *inner = new QTabWidget(top);
    inner->setObjectName(QStringLiteral("PageControlFaktura"));
    m_invoiceTabs = inner;
    m_form = new InvoiceForm(&t.mt_FAK_, inner);
    inner->addTab(m_form, S("Faktura"));
    auto *fakGrid = new DocumentGrid(QStringLiteral("grid_FAK"), &t.mt_FAK_, {QStringLiteral("P_14_5")}, m_port, inner);
    m_grids.insert(fakGrid->objectName(), fakGrid);
    inner->addTab(fakGrid, S("Lista faktur"));
    inner->setCurrentIndex(0);
    tl->addWidget(inner, 1);

    auto *bottom = new QWidget(split);
    auto *bl = new QVBoxLayout(bottom);
    bl->setContentsMargins(0, 0, 0, 0);
    auto *lineCounter = new QLabel(bottom);
    lineCounter->setObjectName(QStringLiteral("Label_poz_za"));
    m_counters.insert(lineCounter->objectName(), lineCounter);
    m_connect = new QPushButton(S("Połącz z fakturami"), bottom);
    m_connect->setObjectName(QStringLiteral("b_POZ_Polacz"));
    m_disconnect = new QPushButton(S("Rozłącz"), bottom);
    m_disconnect->setObjectName(QStringLiteral("b_POZ_Rozlacz"));
    connect(m_connect, &QPushButton::clicked, this, [&t] { t.connectLines(); });
    connect(m_disconnect, &QPushButton::clicked, this, [&t] { t.disconnectLines(); });
    auto *sumLines = new QPushButton(S("Ʃ Wartość Wierszy"), bottom);
    sumLines->setObjectName(QStringLiteral("Button_WartoscWierszyFaktur"));
    connect(sumLines, &QPushButton::clicked, this,
            [this] { sumButton(QStringLiteral("grid_POZ"), QStringLiteral("P_11")); });
    bl->addWidget(
        row(bottom, {new DocumentNavigator(&t.mt_POZ_, bottom), lineCounter, m_connect, m_disconnect, sumLines}));
    auto *pozGrid = new DocumentGrid(QStringLiteral("grid_POZ"), &t.mt_POZ_, {}, m_port, bottom);
    m_grids.insert(pozGrid->objectName(), pozGrid);
    bl->addWidget(pozGrid, 1);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split);
    return page;
}

QWidget *MainWindow::buildOrdersPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    DocumentTables &t = m_workspace->tables();
    auto *counter = new QLabel(page);
    counter->setObjectName(QStringLiteral("Label_poz_zam"));
    m_counters.insert(counter->objectName(), counter);
    auto *importButton = new QPushButton(m_actions.value(QStringLiteral("act_ImportujZamowienia"))->text(), page);
    connect(importButton, &QPushButton::clicked, m_actions.value(QStringLiteral("act_ImportujZamowienia")),
            &QAction::trigger);
    auto *erase = new QPushButton(m_actions.value(QStringLiteral("act_Erase_ZAM"))->text(), page);
    connect(erase, &QPushButton::clicked, m_actions.value(QStringLiteral("act_Erase_ZAM")), &QAction::trigger);
    auto *sumOrders = new QPushButton(S("Ʃ Wartość Zamówień"), page);
    sumOrders->setObjectName(QStringLiteral("Button_WartoscZamowien"));
    connect(sumOrders, &QPushButton::clicked, this,
            [this] { sumButton(QStringLiteral("grid_ZAM"), QStringLiteral("WartoscZamowienia")); });
    layout->addWidget(row(page, {new DocumentNavigator(&t.mt_ZAM_, page), counter, importButton, erase, sumOrders}));
    auto *zam = new DocumentGrid(QStringLiteral("grid_ZAM"), &t.mt_ZAM_, {QStringLiteral("idx")}, m_port, page);
    m_grids.insert(zam->objectName(), zam);
    layout->addWidget(zam, 2);
    auto *lineCounter = new QLabel(page);
    lineCounter->setObjectName(QStringLiteral("Label_poz_zza"));
    m_counters.insert(lineCounter->objectName(), lineCounter);
    auto *sumOrderLines = new QPushButton(S("Ʃ Wartość Wierszy"), page);
    sumOrderLines->setObjectName(QStringLiteral("Button_SumaWierszyZaliczek"));
    connect(sumOrderLines, &QPushButton::clicked, this,
            [this] { sumButton(QStringLiteral("grid_ZPOZ"), QStringLiteral("P_11NettoZ")); });
    layout->addWidget(row(page, {new DocumentNavigator(&t.mt_ZPOZ_, page), lineCounter, sumOrderLines}));
    auto *zpoz = new DocumentGrid(QStringLiteral("grid_ZPOZ"), &t.mt_ZPOZ_, {QStringLiteral("idx_zal")}, m_port, page);
    m_grids.insert(zpoz->objectName(), zpoz);
    layout->addWidget(zpoz, 3);
    return page;
}

QWidget *MainWindow::mappingBox(const QString &title, int kind)
{
    auto *box = new QGroupBox(title);
    auto *l = new QVBoxLayout(box);
    auto k = MappingTables::Kind(kind);
    auto *view = new MappingGridView(m_workspace->maps(), k, box);
    m_mapViews << view;
    l->addWidget(view, 1);
    auto *buttons = new QHBoxLayout;
    if (k != MappingTables::DEF) {
        auto *load = new QPushButton(S("Wczytaj"), box);
        auto *save = new QPushButton(S("Zachowaj"), box);
        connect(load, &QPushButton::clicked, this, [this, k, view] {
            m_workspace->loadMap(k);
            view->reload();
        });
        connect(save, &QPushButton::clicked, this, [this, k] { m_workspace->saveMap(k); });
        buttons->addWidget(load);
        buttons->addWidget(save);
    }
    const char *newCaption = k == MappingTables::NAG   ? "Domyślne"
                             : k == MappingTables::DEF ? "Wyczyść"
                                                       : "Nowy wzorzec";
    auto *fresh = new QPushButton(S(newCaption), box);
    if (k == MappingTables::NAG)
        m_named.insert(QStringLiteral("b_New_NAG"), fresh);
    connect(fresh, &QPushButton::clicked, this, [this, k, view] {
        m_workspace->newMap(k);
        view->reload();
    });
    buttons->addWidget(fresh);
    buttons->addStretch(1);
    l->addLayout(buttons);
    return box;
}

QWidget *MainWindow::buildHeaderImportPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *files = new QGroupBox(S(" Układ pliku importu "), page);
    auto *fl = new QVBoxLayout(files);
    fl->addWidget(
        m_binder->radio(QStringLiteral("rb_WspolnyPlik_Checked"), S("Nagłowek i Faktury w jednym pliku"), files));
    fl->addWidget(m_binder->radio(QStringLiteral("rb_nag_OsobnyPlik_Checked"), S("Import z osobnego pliku"), files));
    fl->addWidget(m_binder->radio(QStringLiteral("rb_sp_BrakPliku_Checked"), S("Brak danych do importu"), files));
    auto *markers = new QWidget(files);
    auto *ml = new QFormLayout(markers);
    ml->addRow(S("Identyfikator początku bloku"), m_binder->text(QStringLiteral("edx_Nag_Start_Text"), markers));
    ml->addRow(S("Identyfikator końca bloku"), m_binder->text(QStringLiteral("edx_Nag_Koniec_Text"), markers));
    fl->addWidget(markers);
    auto *panel = new QGroupBox(S("Zapis danych nagłówka:"), page);
    m_named.insert(QStringLiteral("HeaderLayoutPanel"), panel);
    auto *pl = new QVBoxLayout(panel);
    pl->addWidget(m_binder->radio(QStringLiteral("rb_nag_kolumny_Checked"),
                                  S("układ kolumn (pola w kolejnych wierszach)"), panel));
    pl->addWidget(m_binder->radio(QStringLiteral("rb_nag_wiersz_Checked"),
                                  S("układ wiersza (pola oddzielone separatorem)"), panel));
    pl->addWidget(m_binder->check(QStringLiteral("chb_nag_OdDrugiegoWiersza_Checked"),
                                  S("zignoruj pierwszy wiersz (opisowy)"), panel));
    layout->addWidget(row(page, {files, panel}));
    QWidget *map = mappingBox(S("Tabela połączenia Nagłówka"), MappingTables::NAG);
    m_named.insert(QStringLiteral("SG_NAG"), map);
    layout->addWidget(map, 1);
    return page;
}

QWidget *MainWindow::buildRecordImportPage(bool orders)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    const QString p = orders ? QStringLiteral("ZAM") : QStringLiteral("FAK");
    auto *group = new QGroupBox(orders ? S(" Import zamówień ") : S(" Import sprzedaży "), page);
    auto *g = new QGridLayout(group);
    g->addWidget(m_binder->check(QStringLiteral("chb_%1_append_Checked").arg(p),
                                 S("dołącz importowane dokumenty do listy"), group),
                 0, 0, 1, 2);
    auto *second = new QLabel(S("Dla import z osobnego pliku:"), group);
    m_named.insert(QStringLiteral("Lab_%1_OdDrugiegoWiersza").arg(p), second);
    g->addWidget(second, 1, 0);
    g->addWidget(m_binder->check(QStringLiteral("chb_%1_OdDrugiegoWiersza_Checked").arg(p),
                                 S("zignoruj pierwszy wiersz (opisowy)"), group),
                 1, 1);
    g->addWidget(m_binder->check(QStringLiteral("chb_%1_Naglowek_Checked").arg(p),
                                 orders ? S("wiersz każdego zamówienia poprzedzony jest")
                                        : S("wiersz każdej faktury poprzedzony jest"),
                                 group),
                 2, 0);
    g->addWidget(m_binder->text(QStringLiteral("ed_%1_Naglowek_Text").arg(p), group), 2, 1);
    g->addWidget(
        m_binder->check(QStringLiteral("chb_%1_BeginIf_Checked").arg(p), S("Wiesz musi rozpoczynac się od ..."), group),
        3, 0);
    g->addWidget(m_binder->text(QStringLiteral("ed_%1_BeginIf_Text").arg(p), group), 3, 1);
    g->addWidget(new QLabel(S("Identyfikator początku bloku"), group), 4, 0);
    g->addWidget(m_binder->text(QStringLiteral("ed_%1_StartBlok_Text").arg(p), group), 4, 1);
    g->addWidget(new QLabel(S("Identyfikator końca bloku"), group), 5, 0);
    g->addWidget(m_binder->text(QStringLiteral("ed_%1_EndBlok_Text").arg(p), group), 5, 1);
    if (orders)
        g->addWidget(
            m_binder->check(QStringLiteral("chb_ZAL_NieImportuj_Checked"), S("Nie importuj danych zaliczek"), group), 6,
            0, 1, 2);
    g->setColumnStretch(1, 1);
    layout->addWidget(group);
    layout->addWidget(mappingBox(orders ? S("Tabela połączenia wiersza danych Zamówienie")
                                        : S("Tabela połączenia wiersza danych Faktura"),
                                 orders ? MappingTables::ZAM : MappingTables::FAK),
                      1);
    return page;
}

QWidget *MainWindow::buildLinesImportPage(bool orders)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    // the order options are twins of the invoice ones, with their own names
    const QString blok = orders ? QStringLiteral("ZPOZ") : QStringLiteral("POZ");
    const QString r = orders ? QStringLiteral("ZPoz") : QStringLiteral("Poz");
    auto *group = new QGroupBox(orders ? S(" Import pozycji zamówień ") : S(" Import pozycji faktur "), page);
    auto *g = new QGridLayout(group);
    g->addWidget(m_binder->radio(QStringLiteral("rb_%1_OsobnyBlok_Checked").arg(blok),
                                 S("Pozycje jedna pod drugą w osobnym bloku"), group),
                 0, 0);
    auto *markers = new QWidget(group);
    auto *ml = new QFormLayout(markers);
    ml->setContentsMargins(0, 0, 0, 0);
    ml->addRow(S("Identyfikator początku bloku"),
               m_binder->text(QStringLiteral("ed_%1_BLOK_START_Text").arg(blok), markers));
    ml->addRow(S("Identyfikator końca bloku"),
               m_binder->text(QStringLiteral("ed_%1_BLOK_END_Text").arg(blok), markers));
    g->addWidget(markers, 0, 1, 2, 1);
    g->addWidget(m_binder->radio(QStringLiteral("rb_%1_PodFaktura_Checked").arg(blok),
                                 orders ? S("Pozycje pod wierszem Zamówienia") : S("Pozycje pod wierszem Faktury"),
                                 group),
                 2, 0);
    g->addWidget(
        m_binder->radio(QStringLiteral("rb_%1BezposrednioPod_Checked").arg(r), S("w pierszej linii pod"), group), 3, 0);
    g->addWidget(m_binder->radio(QStringLiteral("rb_%1PoNaglowku_Checked").arg(r), S("po nagłówku:"), group), 4, 0);
    g->addWidget(m_binder->text(QStringLiteral("ed_%1_Naglowek_Text").arg(blok), group), 4, 1);
    g->addWidget(m_binder->check(QStringLiteral("chb_%1_BeginIf_Checked").arg(blok),
                                 S("Wiersz musi rozpoczynac sie od ..."), group),
                 5, 0);
    g->addWidget(m_binder->text(QStringLiteral("ed_%1_BeginIf_Text").arg(blok), group), 5, 1);
    auto *end = new QGroupBox(S("Koniec listy pozycji:"), group);
    auto *el = new QHBoxLayout(end);
    el->addWidget(m_binder->radio(QStringLiteral("rb_%1End_FL_Checked").arg(r), S("pusta linia"), end));
    el->addWidget(m_binder->radio(QStringLiteral("rb_%1End_InnyStart_Checked").arg(r),
                                  S("inny od zadanego początek wiersza"), end));
    el->addWidget(m_binder->radio(QStringLiteral("rb_%1End_Faktura_Checked").arg(r),
                                  orders ? S("nagłowek zamówienia") : S("nagłowek faktury"), end));
    el->addWidget(m_binder->radio(
        QStringLiteral("rb_%1End_FakId_Checked").arg(r),
        orders ? S("identyfikator początkowy zamówienia") : S("identyfikator początkowy faktury"), end));
    g->addWidget(end, 6, 0, 1, 2);
    g->setColumnStretch(1, 1);
    layout->addWidget(group);
    layout->addWidget(mappingBox(orders ? S("Tabela połączenia wiersza pozycji Zamówienia")
                                        : S("Tabela połączenia wiersza pozycji Faktury"),
                                 orders ? MappingTables::ZPOS : MappingTables::POS),
                      1);
    return page;
}

QWidget *MainWindow::buildConfigPage()
{
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);
    auto *left = new QVBoxLayout;
    auto *format = new QGroupBox(S("Format danych w pliku: "), page);
    auto *fl = new QFormLayout(format);
    fl->addRow(S("Separator pól:"),
               m_binder->combo(QStringLiteral("cb_separator_ItemIndex"),
                               {S("#9 - tabulator"), S("| - pionowa linia"), S("; - semicolon"), S(", - koma")},
                               format));
    fl->addRow(S("Separator dziesiętny:"),
               m_binder->combo(QStringLiteral("cb_koma_ItemIndex"), {S(", - (przecinek)"), S(". - (kropka)")}, format));
    fl->addRow(S("Format daty:"),
               m_binder->combo(QStringLiteral("cb_data_ItemIndex"),
                               {S("DD-MM-RRRR"), S("RRRR-MM-DD"), S("DDMMRRRR"), S("RRRRMMDD")}, format));
    fl->addRow(S("Standard zanków :"), m_binder->combo(QStringLiteral("cb_PL_ItemIndex"),
                                                       {S("Windows 1250"), S("UFT-8"), S("DOS-CP852")}, format));
    fl->addRow(S("Prawda:"), m_binder->text(QStringLiteral("edx_TRUE_Text"), format));
    fl->addRow(S("Fałsz:"), m_binder->text(QStringLiteral("edx_FALSE_Text"), format));
    fl->addRow(
        m_binder->check(QStringLiteral("chb_FloatZeroExNull_Checked"), S("Float = 0.00  ustaw  <null>"), format));
    fl->addRow(m_binder->check(QStringLiteral("chb_wyroznik_Checked"), S("Pierwsza linia pliku zawiera:"), format),
               m_binder->text(QStringLiteral("edx_Wyroznik_Text"), format));
    left->addWidget(format);

    auto *exe = new QGroupBox(S(" Wywołanie 'aplikacji' "), page);
    m_named.insert(QStringLiteral("gb_Exe"), exe);
    auto *xl = new QFormLayout(exe);
    xl->addRow(
        m_binder->check(QStringLiteral("chb_Imp_Application_Checked"), S("Importuj poprzez wywołanie aplikacji"), exe));
    // each path with its browse button
    auto browsed = [this, exe](const char *key, const QString &title, const QString &filter, bool save) {
        QLineEdit *edit = m_binder->text(QString::fromLatin1(key), exe);
        auto *browse = new QToolButton(exe);
        browse->setText(QStringLiteral("…"));
        browse->setObjectName(QStringLiteral("browse_") + QString::fromLatin1(key));
        browse->setToolTip(title);
        connect(browse, &QToolButton::clicked, this, [this, edit, key, title, filter, save] {
            const QString file = save ? QFileDialog::getSaveFileName(this, title, edit->text(), filter, nullptr,
                                                                     QFileDialog::DontConfirmOverwrite)
                                      : QFileDialog::getOpenFileName(this, title, edit->text(), filter);
            if (!file.isEmpty())
                m_workspace->controls().setText(QString::fromLatin1(key), QDir::toNativeSeparators(file));
        });
        return row(exe, {edit, browse}, false);
    };
    // on this system a program is any executable file or script; the Part's filters follow
    xl->addRow(S("Aplikacja klienta:"),
               browsed("fn_Imp_Aplikacja_FileName", S("Aplikacja klienta"),
                       S("Programy i skrypty (*);;Aplikacje  (*.exe);;Aplikacje (*.BAT) (*.bat *.BAT);;Skrypty (*.sh)"),
                       false));
    // the exchange file need not exist yet: the application writes it
    xl->addRow(S("Plik wymiany danych:"), browsed("fn_Imp_PlikWymiany_FileName", S("Plik wymiany danych"),
                                                  S("Plik wymiany danych  (*.txt *.cvd)"), true));
    QLineEdit *params = m_binder->text(QStringLiteral("e_Params_Text"), exe);
    params->setToolTip(S("%0:s = DataOd; %1:s = DataDo; %2:s = PlikWyminay"));
    xl->addRow(S("Przekazane parametry:"), params);
    left->addWidget(exe);

    auto *config = new QGroupBox(S(" Konfiguracja "), page);
    auto *cl = new QVBoxLayout(config);
    m_configLabel = new QLabel(m_workspace->configLabelText(), config);
    cl->addWidget(m_configLabel);
    cl->addWidget(m_binder->check(QStringLiteral("chb_zaslon_Checked"), S("zasłoń zakładki konfiguracji"), config));
    cl->addWidget(new QLabel(S("Zakładki będą widoczne po uruchomieniu programu z opcją \"-k\""), config));
    left->addWidget(config);
    left->addStretch(1);
    layout->addLayout(left, 2);

    auto *right = new QVBoxLayout;
    right->addWidget(mappingBox(S("Tablica wartości \"podstawialnych\""), MappingTables::DEF), 1);
    right->addWidget(new QLabel(S("Nieco wyjaśnień:"), page));
    auto *memo = new QPlainTextEdit(MemoInfo(), page);
    memo->setObjectName(QStringLiteral("MemoInfo"));
    memo->setReadOnly(true);
    memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    right->addWidget(memo, 1);
    layout->addLayout(right, 3);
    return page;
}

QWidget *MainWindow::buildTemplatePage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    m_template = new QPlainTextEdit(m_workspace->jpkTemplate(), page);
    m_template->setObjectName(QStringLiteral("Memo_JPK"));
    m_template->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_template->setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(m_template, &QPlainTextEdit::textChanged, this,
            [this] { m_workspace->setJpkTemplate(m_template->toPlainText()); });
    layout->addWidget(m_template);
    return page;
}

QWidget *MainWindow::buildHelpPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *title = new QLabel(S("Opis pól wg pliku XSD:"), page);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto *loadButton = new QPushButton(S("Wczytaj ..."), page);
    loadButton->setObjectName(QStringLiteral("b_LoadXSD"));
    layout->addWidget(row(page, {title, loadButton}));
    auto *memo = new QPlainTextEdit(m_workspace->schemaPrompt(), page);
    memo->setObjectName(QStringLiteral("MemoXSD"));
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(memo, 1);
    connect(loadButton, &QPushButton::clicked, this, [this, memo, loadButton] {
        DownloadWindow window(this);
        QString text;
        memo->setUpdatesEnabled(false);
        const bool ok = m_workspace->loadSchemaDescriptions(&window, &text);
        if (!text.isEmpty())
            memo->setPlainText(text);
        if (ok)
            loadButton->hide(); // the schema is loaded once a run
        memo->setUpdatesEnabled(true);
    });
    return page;
}

void MainWindow::updateEnables()
{
    const Controls &c = m_workspace->controls();
    auto on = [&](const char *key) { return c.checked(QString::fromLatin1(key)); };
    for (const char *action : {"act_Importuj", "Act_ImportNaglowek", "Act_ImportujFaktury", "act_ImportujZamowienia",
                               "act_LoadFromJPK", "act_SprawdzPlikJPK", "act_Generuj_JPK"})
        m_actions.value(QString::fromLatin1(action))->setEnabled(m_workspace->isEnabled(QString::fromLatin1(action)));
    m_actions.value(QStringLiteral("act_ImportujZAplikacji"))->setVisible(on("chb_Imp_Application_Checked"));
    m_actions.value(QStringLiteral("act_ImportujZAplikacji"))
        ->setEnabled(m_workspace->isEnabled(QStringLiteral("act_ImportujZAplikacji")));
    // a greyed import command says which option offers it, and where
    QString why;
    for (const char *name : {"act_Importuj", "Act_ImportNaglowek", "Act_ImportujFaktury", "act_ImportujZAplikacji"}) {
        QAction *action = m_actions.value(QString::fromLatin1(name));
        const QString reason = m_workspace->disabledReason(QString::fromLatin1(name));
        action->setToolTip(reason.isEmpty() ? action->text().remove(u'&') : reason);
        action->setStatusTip(reason);
        if (why.isEmpty() && action->isVisible() && name != std::string_view("Act_ImportNaglowek") &&
            name != std::string_view("Act_ImportujFaktury"))
            why = reason;
    }
    if (why != m_importReason) {
        m_importReason = why;
        if (why.isEmpty())
            statusBar()->clearMessage();
        else
            statusBar()->showMessage(why);
    }

    // the options of the import pages, by the core's rules
    for (const OptionRules::Rule &rule : OptionRules::rules()) {
        const bool holds = rule.holds(c);
        if (rule.kind == OptionRules::Rule::Kind::Visible) {
            if (QWidget *panel = m_named.value(rule.key))
                panel->setVisible(holds);
        } else if (QWidget *w = m_binder->widget(rule.key)) {
            w->setEnabled(holds);
        } else if (QWidget *n = m_named.value(rule.key)) {
            n->setEnabled(holds);
        }
    }
    if (m_connect) {
        m_connect->setEnabled(m_workspace->tables().polaczEnabled());
        m_disconnect->setEnabled(m_workspace->tables().rozlaczEnabled());
    }
}

void MainWindow::refreshCounters()
{
    DocumentTables &t = m_workspace->tables();
    const QString texts[] = {t.invoiceCounterText(), t.invoiceLineCounterText(), t.orderCounterText(),
                             t.orderLineCounterText()};
    const char *names[] = {"Label_poz_sp", "Label_poz_za", "Label_poz_zam", "Label_poz_zza"};
    for (int i = 0; i < 4; ++i)
        if (QLabel *l = m_counters.value(QString::fromLatin1(names[i])))
            l->setText(texts[i]);
}

void MainWindow::applyTabAppearance()
{
    const Controls &c = m_workspace->controls();
    // Qt's tab bar keeps one row, and every caption stays whole and readable: with
    // "wieloliniowe" the row scrolls at the window's font; without it the captions take a
    // smaller font so that more of them fit, and the row scrolls for the rest
    const bool whole = c.checked(QStringLiteral("chb_page_multiline_Checked"));
    QFont font = this->font();
    if (!whole)
        font.setPointSizeF(font.pointSizeF() * 0.85);
    m_pages->tabBar()->setFont(font);
    m_pages->tabBar()->setUsesScrollButtons(true);
    m_pages->tabBar()->setElideMode(Qt::ElideNone);
    m_pages->tabBar()->setExpanding(!c.checked(QStringLiteral("chb_page_ragged_Checked")));
}

void MainWindow::applyActivationRule()
{
    const Controls &c = m_workspace->controls();
    auto show = [this](const char *name, bool visible) {
        m_pages->setTabVisible(m_pages->indexOf(m_pageByName.value(QString::fromLatin1(name))), visible);
    };
    if (c.checked(QStringLiteral("chb_zaslon_Checked")) && !m_workspace->commandLine().keepConfigPages) {
        for (const PageDef &def : kPages)
            if (def.config)
                show(def.name, false);
        show("ts_XML", true);
    } else if (m_workspace->commandLine().showTemplate) {
        show("ts_XML", true);
    }
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        applyActivationRule();
    QMainWindow::changeEvent(event);
}

void MainWindow::restoreWindowPlacement()
{
    const SettingsFile &s = m_workspace->settings();
    const QString section = Workspace::sectionName();
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize desktop = screen->virtualSize();
    const QString suffix = QStringLiteral("(%1x%2)").arg(desktop.width()).arg(desktop.height());
    auto value = s.value(section, QStringLiteral("NormPos") + suffix);
    if (!value)
        value = s.value(section, QStringLiteral("NormPos"));
    const auto ppi = s.value(section, QStringLiteral("PixelsPerInch"));
    if (!value || !ppi || ppi->toInt() != qRound(screen->logicalDotsPerInch()))
        return;
    const QStringList parts = value->split(u',');
    if (parts.size() != 4)
        return;
    const QRect r(QPoint(parts.at(0).toInt(), parts.at(1).toInt()),
                  QPoint(parts.at(2).toInt() - 1, parts.at(3).toInt() - 1));
    if (r.left() >= r.right() + 1)
        return;
    if (!QGuiApplication::screenAt(r.topLeft()) || !QGuiApplication::screenAt(r.bottomRight()))
        return;
    setGeometry(r);
}

void MainWindow::storeWindowPlacement(SettingsFile &s) const
{
    const QString section = Workspace::sectionName();
    QScreen *screen = QGuiApplication::primaryScreen();
    const QSize desktop = screen ? screen->virtualSize() : QSize();
    const QString suffix = QStringLiteral("(%1x%2)").arg(desktop.width()).arg(desktop.height());
    const QRect r = normalGeometry();
    const QString norm =
        QStringLiteral("%1,%2,%3,%4").arg(r.left()).arg(r.top()).arg(r.right() + 1).arg(r.bottom() + 1);
    s.setValue(section, QStringLiteral("Flags"), QStringLiteral("0"));
    s.setValue(section, QStringLiteral("PixelsPerInch"),
               QString::number(screen ? qRound(screen->logicalDotsPerInch()) : 96));
    s.setValue(section, QStringLiteral("MinMaxPos") + suffix, QStringLiteral("-1,-1,-1,-1"));
    s.setValue(section, QStringLiteral("MinMaxPos"), QStringLiteral("-1,-1,-1,-1"));
    s.setValue(section, QStringLiteral("NormPos") + suffix, norm);
    s.setValue(section, QStringLiteral("NormPos"), norm);
}

void MainWindow::act_SumaWgKolumnyExecute()
{
    // the grid whose context menu is open, else the focused grid; and its column
    auto *grid = m_menuGrid ? m_menuGrid.data() : qobject_cast<DocumentGrid *>(QApplication::focusWidget());
    m_menuGrid = nullptr;
    if (!grid || !m_grids.values().contains(grid))
        return;
    const int column = grid->sumColumn();
    if (column < 0)
        return;
    m_workspace->columnSum(*grid->documentModel()->table(), grid->documentModel()->fieldOfColumn(column));
}

void MainWindow::sumButton(const QString &gridName, const QString &field)
{
    DocumentGrid *grid = m_grids.value(gridName);
    if (gridName == u"grid_FAK")
        m_invoiceTabs->setCurrentWidget(grid);
    grid->setFocus();
    const int column = grid->documentModel()->columnOfField(field);
    const int row = std::max(0, grid->documentModel()->table()->position());
    grid->setCurrentIndex(grid->documentModel()->index(row, column));
    m_workspace->columnSum(*grid->documentModel()->table(), grid->documentModel()->fieldOfColumn(column));
}

void MainWindow::importThroughApplication()
{
    QAction *self = m_actions.value(QStringLiteral("act_ImportujZAplikacji"));
    self->setEnabled(false);
    // a failed check: a beep, its page shown, its field focused, and then its message
    m_workspace->importThroughApplication([this](ExternalApp::Check check) {
        QString page, field;
        switch (check) {
        case ExternalApp::Check::Passed:
            return;
        case ExternalApp::Check::Application:
        case ExternalApp::Check::ApplicationMissing:
            page = QStringLiteral("ts_Config");
            field = QStringLiteral("fn_Imp_Aplikacja_FileName");
            break;
        case ExternalApp::Check::ExchangeFile:
            page = QStringLiteral("ts_Config");
            field = QStringLiteral("fn_Imp_PlikWymiany_FileName");
            break;
        case ExternalApp::Check::DateFrom:
            page = QStringLiteral("ts_Naglowek");
            field = QStringLiteral("ed_DataOd_Date");
            break;
        case ExternalApp::Check::DateTo:
            page = QStringLiteral("ts_Naglowek");
            field = QStringLiteral("ed_DataDo_Date");
            break;
        }
        QApplication::beep();
        const int index = m_pages->indexOf(m_pageByName.value(page));
        m_pages->setTabVisible(index, true);
        m_pages->setCurrentIndex(index);
        if (QWidget *w = optionWidget(field))
            w->setFocus();
    });
    updateEnables();
}

void MainWindow::showFinding(const QString &kind, int record, const QString &invoice, int line, const QString &field)
{
    DocumentTables &t = m_workspace->tables();
    const bool orders = kind == u"Zamowienie" || kind == u"ZamowienieWiersz";
    DocumentTable &table = orders ? t.mt_ZAM_ : t.mt_FAK_;
    const int key = table.fieldIndex(orders ? QStringLiteral("P_2AZ") : QStringLiteral("P_2A"));
    // the record by its number, else by its place
    int row = -1;
    if (!invoice.isEmpty()) {
        for (int r = 0; r < table.storedCount() && row < 0; ++r)
            if (table.stringAt(r, key) == invoice)
                row = r;
    } else if ((kind == u"Faktura" || kind == u"Zamowienie") && record > 0 && record <= table.storedCount()) {
        row = record - 1;
    }
    if (orders) {
        m_pages->setCurrentWidget(m_pageByName.value(QStringLiteral("ts_Zamowienia")));
    } else {
        m_pages->setCurrentWidget(m_pageByName.value(QStringLiteral("ts_Faktury")));
        m_invoiceTabs->setCurrentWidget(m_grids.value(QStringLiteral("grid_FAK")));
    }
    if (row >= 0)
        table.moveTo(row);
    // the field's column is made current, in the grid of the record that holds it
    DocumentGrid *grid = m_grids.value(orders ? QStringLiteral("grid_ZAM") : QStringLiteral("grid_FAK"));
    DocumentTable *detail = orders ? &t.mt_ZPOZ_ : &t.mt_POZ_;
    DocumentGrid *detailGrid = m_grids.value(orders ? QStringLiteral("grid_ZPOZ") : QStringLiteral("grid_POZ"));
    if (line > 0 && (kind == u"FakturaWiersz" || kind == u"ZamowienieWiersz")) {
        if (detail == &t.mt_POZ_ && !t.lineLinkOn())
            t.PolaczPozycjeZFakturami();
        detail->moveTo(line - 1);
        grid = detailGrid;
    }
    const int column = grid->documentModel()->columnOfField(field);
    const int position = grid->documentModel()->table()->position();
    if (position >= 0) {
        grid->setCurrentIndex(grid->documentModel()->index(position, std::max(column, 0)));
        grid->scrollTo(grid->currentIndex());
    }
    grid->setFocus();
}

void MainWindow::act_AboutExecute()
{
    m_port->info(QStringLiteral("o Programie"), Workspace::aboutText());
}

void MainWindow::storeSettings()
{
    if (m_stored)
        return;
    m_workspace->storeSettings();
    m_stored = true;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // a double click on "Data Wytworzenia JPK [UTC]" puts the current date and time into it
    if (event->type() == QEvent::MouseButtonDblClick &&
        watched == m_binder->widget(QStringLiteral("ed_DataWytworzeniaJPK_Text"))) {
        m_workspace->controls().setText(QStringLiteral("ed_DataWytworzeniaJPK_Text"), Workspace::timestampNow());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_workspace->setClosing(true); // a wait for the user's application ends
    storeSettings();
    event->accept();
}

bool MainWindow::renderPages(const QString &dir)
{
    QDir().mkpath(dir);
    applyActivationRule();
    bool ok = true;
    for (int i = 0; i < m_pages->count(); ++i) {
        if (!m_pages->isTabVisible(i))
            continue;
        m_pages->setCurrentIndex(i);
        // the description page is shown with the schema loaded when it is at hand
        if (auto *load = m_pages->widget(i)->findChild<QPushButton *>(QStringLiteral("b_LoadXSD"));
            load && load->isVisible() &&
            QFile::exists(QDir(m_workspace->homeDir()).filePath(QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd"))))
            load->click();
        QCoreApplication::processEvents();
        const QString name =
            QStringLiteral("%1_%2.png").arg(i + 1, 2, 10, QLatin1Char('0')).arg(m_pages->widget(i)->objectName());
        ok = grab().save(QDir(dir).filePath(name)) && ok;
    }
    return ok;
}
