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
#include "document_grid.h"
#include "document_model.h"
#include "document_navigator.h"

#include "app/option_rules.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
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
    m_workspace->setOutputFolder(m_workspace->homeDir());
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
        // the navigator of the grid's table steps in the grid's order
        for (DocumentNavigator *n : findChildren<DocumentNavigator *>())
            if (n->table() == g->documentModel()->table())
                n->followGrid(g->documentModel());
        // sorting, filtering and searching a large table: frozen tables, the gauge, "Przerwij"
        g->setTaskRunner([this](const QString &what, const std::function<void()> &work) {
            const bool done = m_workspace->runViewTask(what, work);
            updateEnables();
            return done;
        });
    }
    restoreWindowPlacement();
    fitIntoScreen();
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

void MainWindow::showGrid(DocumentGrid *grid)
{
    // every tab on the way to the grid is brought forward
    for (QWidget *w = grid->parentWidget(); w; w = w->parentWidget())
        if (auto *tabs = qobject_cast<QTabWidget *>(w))
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->widget(i)->isAncestorOf(grid))
                    tabs->setCurrentIndex(i);
}

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
        // only the reason goes away with it: a command's closing word shown since stays
        if (why.isEmpty() && statusBar()->currentMessage() == m_importReason)
            statusBar()->clearMessage();
        else if (!why.isEmpty())
            statusBar()->showMessage(why);
        m_importReason = why;
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

void MainWindow::fitIntoScreen()
{
    // The window opens within the screen's free area (a 1024×640 screen, 125 % on 1366×768):
    // its size and its least size give way to the room there is, less the frame's title bar.
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    constexpr int kFrame = 40;
    const QRect room = screen->availableGeometry();
    const QSize most(room.width(), std::max(room.height() - kFrame, 200));
    setMinimumSize(minimumSize().boundedTo(most));
    if (width() > most.width() || height() > most.height())
        resize(size().boundedTo(most));
    if (!room.contains(geometry().topLeft()))
        move(room.topLeft());
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

void MainWindow::storeSettings()
{
    if (m_stored)
        return;
    m_workspace->storeSettings();
    m_stored = true;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Before a key reaches the focused widget as a shortcut, the widget is asked whether it
    // wants the key for itself (a line edit wants Ctrl+E, Ctrl+Shift+Z, Ctrl+Z): a key that is
    // one of the window's enabled commands is answered "no" for it, in this window only.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *widget = qobject_cast<QWidget *>(watched);
        auto *key = static_cast<QKeyEvent *>(event);
        if (widget && widget->window() == this && key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
            const QKeySequence pressed(key->keyCombination());
            for (const QAction *action : std::as_const(m_actions)) {
                if (action->isEnabled() && action->shortcut() == pressed) {
                    event->ignore();
                    return true;
                }
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_workspace->setClosing(true); // a wait for the user's application ends
    storeSettings();
    event->accept();
}
