#include "main_window.h"

#include "config_page.h"
#include "header_import_page.h"
#include "header_page.h"
#include "help_page.h"
#include "invoices_page.h"
#include "lines_import_page.h"
#include "orders_page.h"
#include "page_context.h"
#include "record_import_page.h"
#include "template_page.h"

#include "control_binder.h"
#include "date_picker.h"
#include "document_grid.h"
#include "document_model.h"
#include "download_window.h"
#include "invoice_form.h"
#include "mapping_grid_view.h"

#include "app/option_rules.h"
#include "import/external_app.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
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
    QAction *ksef = make("act_ImportujKSeF", "Importuj e-faktury (KSeF)");
    ksef->setToolTip(QStringLiteral("E-faktury FA(3) i FA(2): plik XML, folder lub paczka ZIP"));
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
        {ksef, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K)},
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
    connect(ksef, &QAction::triggered, this, &MainWindow::importKsef);
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
    file->addActions({importAll, importHeader, importInvoices, importOrders, ksef, load, check});
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
    // "Przerwij" (Esc) stops the running command: the tables stay as they were, an old file stays
    QAction *stop = make("act_Przerwij", "Przerwij");
    stop->setShortcut(QKeySequence(Qt::Key_Escape));
    stop->setShortcutContext(Qt::WindowShortcut);
    stop->setToolTip(QStringLiteral("Przerywa trwające polecenie (Esc); tabele i poprzedni plik pozostają bez zmian"));
    stop->setEnabled(false);
    stop->setVisible(false);
    connect(stop, &QAction::triggered, this, [this] { m_port->requestCancel(); });
    tools->addAction(stop);

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
    PageContext ctx;
    ctx.workspace = m_workspace;
    ctx.port = m_port;
    ctx.binder = m_binder;
    ctx.actions = &m_actions;
    ctx.named = &m_named;
    ctx.grids = &m_grids;
    ctx.counters = &m_counters;
    ctx.mapViews = &m_mapViews;
    ctx.sumButton = [this](const QString &grid, const QString &field) { sumButton(grid, field); };
    // each page is a class of its own; the window keeps what it reaches into
    auto *invoices = new InvoicesPage(ctx);
    m_form = invoices->form;
    m_invoiceTabs = invoices->invoiceTabs;
    m_connect = invoices->connectButton;
    m_disconnect = invoices->disconnectButton;
    auto *config = new ConfigPage(ctx);
    m_configLabel = config->configLabel;
    auto *templ = new TemplatePage(ctx);
    m_template = templ->templateEdit;
    QWidget *built[] = {new HeaderPage(ctx),
                        invoices,
                        new OrdersPage(ctx),
                        new HeaderImportPage(ctx),
                        new RecordImportPage(ctx, false),
                        new LinesImportPage(ctx, false),
                        new RecordImportPage(ctx, true),
                        new LinesImportPage(ctx, true),
                        config,
                        templ,
                        new HelpPage(ctx)};
    int i = 0;
    for (const PageDef &def : kPages) {
        QWidget *page = built[i++];
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

// "Importuj e-faktury (KSeF)": one file or package, or a folder (with its subfolders when ticked).
void MainWindow::importKsef()
{
    const QString title = QStringLiteral("Importuj e-faktury (KSeF)");
    QDialog box(this);
    box.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&box);
    auto *question =
        new QLabel(QStringLiteral("Skąd wczytać e-faktury FA(3) lub FA(2)?\n\nWejdą tylko faktury sprzedaży "
                                  "podatnika (NIP sprzedawcy jak w nagłówku); faktura, której numer jest "
                                  "już w tabeli, zostanie pominięta."),
                   &box);
    question->setWordWrap(true);
    question->setMinimumWidth(420);
    layout->addWidget(question);
    auto *deep = new QCheckBox(QStringLiteral("folder razem z podfolderami"), &box);
    auto *schema = new QCheckBox(QStringLiteral("sprawdź każdy plik ze schemą FA(3)/FA(2)"), &box);
    schema->setChecked(true);
    layout->addWidget(deep);
    layout->addWidget(schema);
    auto *buttons = new QDialogButtonBox(&box);
    QPushButton *file = buttons->addButton(QStringLiteral("Plik XML lub paczka ZIP…"), QDialogButtonBox::AcceptRole);
    QPushButton *folder = buttons->addButton(QStringLiteral("Folder z plikami XML…"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    QAbstractButton *clicked = nullptr;
    connect(buttons, &QDialogButtonBox::clicked, &box, [&](QAbstractButton *b) {
        clicked = b;
        box.done(b == file || b == folder ? QDialog::Accepted : QDialog::Rejected);
    });
    layout->setSizeConstraint(QLayout::SetFixedSize); // the wrapped question is shown whole
    box.exec();
    std::optional<QString> path;
    if (clicked == file)
        path = m_port->chooseOpenFile(title,
                                      QStringLiteral("E-faktury i paczki (*.xml *.XML *.zip *.ZIP);;"
                                                     "Wszystkie pliki [*.*] (*)"),
                                      QStringLiteral("KSEF"));
    else if (clicked == folder)
        path = m_port->chooseFolder(title);
    if (!path)
        return;
    const bool recursive = deep->isChecked();
    const bool validate = schema->isChecked();
    runCommand(QStringLiteral("act_ImportujKSeF"),
               [this, p = *path, recursive, validate] { m_workspace->importKsef(p, validate, recursive); });
}

void MainWindow::updateEnables()
{
    const Controls &c = m_workspace->controls();
    auto on = [&](const char *key) { return c.checked(QString::fromLatin1(key)); };
    for (const char *action : {"act_Importuj", "Act_ImportNaglowek", "Act_ImportujFaktury", "act_ImportujZamowienia",
                               "act_ImportujKSeF", "act_LoadFromJPK", "act_SprawdzPlikJPK", "act_Generuj_JPK"})
        m_actions.value(QString::fromLatin1(action))->setEnabled(m_workspace->isEnabled(QString::fromLatin1(action)));
    // while a command runs nothing changes the tables: every command that would is off, and
    // "Przerwij" is on
    const bool busy = m_workspace->isBusy();
    for (const char *action : {"act_Erase_FAK", "act_Erase_ZAM"})
        m_actions.value(QString::fromLatin1(action))->setEnabled(!busy);
    m_actions.value(QStringLiteral("act_Przerwij"))->setEnabled(busy);
    m_actions.value(QStringLiteral("act_Przerwij"))->setVisible(busy);
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
        m_connect->setEnabled(!busy && m_workspace->tables().canConnectLines());
        m_disconnect->setEnabled(!busy && m_workspace->tables().canDisconnectLines());
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
    if (!m_workspace->isBusy())
        t.dropDeletedRows(); // the finding names records as the check counted them
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
            t.linkLinesToInvoices();
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
