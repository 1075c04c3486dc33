#include "main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QPixmap>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

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

MainWindow::MainWindow(const QStringList &args, const QString &homeDir, QWidget *parent)
    : QMainWindow(parent), m_port(this), m_workspace(new Workspace(&m_port, this))
{
    setObjectName(QStringLiteral("Form_ImportJPK"));
    setWindowTitle(QStringLiteral("Tavrix JPK_FA(4).XML"));
    setMinimumSize(855, 600);
    resize(855, 718);

    buildActions();
    buildPages();

    m_workspace->start(args, homeDir);
    m_status->setText(m_workspace->statusText());
    applyTabAppearance();
    const QString active = m_workspace->controls().text(QStringLiteral("PageControl_ActivePage"));
    if (QWidget *page = m_pageByName.value(active))
        m_pages->setCurrentWidget(page);

    connect(&m_workspace->controls(), &Controls::changed, this, [this](const QString &key) {
        if (key == u"chb_page_multiline_Checked" || key == u"chb_page_ragged_Checked")
            applyTabAppearance();
    });
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int index) {
        if (QWidget *page = m_pages->widget(index))
            m_workspace->controls().setText(QStringLiteral("PageControl_ActivePage"), page->objectName());
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::buildActions()
{
    auto make = [this](const char *name, const char *caption, bool enabled) {
        auto *action = new QAction(QString::fromUtf8(caption), this);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(enabled);
        m_actions.insert(action->objectName(), action);
        return action;
    };
    // Commands whose work lives in later parts of the program stay disabled until it is there.
    QAction *importAll = make("act_Importuj", "Importuj Dane", false);
    QAction *importHeader = make("Act_ImportNaglowek", "Importuj Naglowek", false);
    QAction *importInvoices = make("Act_ImportujFaktury", "Importuj Faktury", false);
    QAction *importOrders = make("act_ImportujZamowienia", "Importuj zamówienia", false);
    QAction *importApp = make("act_ImportujZAplikacji", "Importuj z aplikacji", false);
    importApp->setVisible(false);
    QAction *load = make("act_LoadFromJPK", "Załaduj dane z pliku JPK*.XML", false);
    QAction *check = make("act_SprawdzPlikJPK", "Weryfikuj gotowy JPK-FA(4).XML", true);
    QAction *generate = make("act_Generuj_JPK", "Generuj JPK", false);
    QAction *quit = make("Act_Koniec", "Zakończ pracę", true);
    QAction *about = make("act_About", "o Programie", true);
    make("act_Erase_FAK", "Usuń wszystkie pozycje Faktur", true);
    make("act_Erase_ZAM", "Usuń wszystkie pozycje Zamówień", true);
    make("act_SumaWgKolumny", "Suma wg kolumny.", false);

    connect(quit, &QAction::triggered, this, &QWidget::close);
    connect(about, &QAction::triggered, this, &MainWindow::act_AboutExecute);
    connect(check, &QAction::triggered, this, [this] {
        QAction *self = m_actions.value(QStringLiteral("act_SprawdzPlikJPK"));
        self->setEnabled(false);
        m_workspace->act_SprawdzPlikJPKExecute();
        self->setEnabled(true);
    });
    connect(m_actions.value(QStringLiteral("act_Erase_FAK")), &QAction::triggered, this,
            [this] { m_workspace->tables().act_Erase_FAKExecute(); });
    connect(m_actions.value(QStringLiteral("act_Erase_ZAM")), &QAction::triggered, this,
            [this] { m_workspace->tables().act_Erase_ZAMExecute(); });

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
    m_gauge->setMaximumWidth(200);
    tools->addWidget(m_gauge)->setVisible(false);
    m_port.setGauge(m_gauge);

    m_status = new QLabel(this);
    statusBar()->addWidget(m_status, 1);
}

void MainWindow::buildPages()
{
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));
    for (const PageDef &def : kPages) {
        auto *page = new QWidget(m_pages);
        page->setObjectName(QString::fromLatin1(def.name));
        new QVBoxLayout(page);
        m_pageByName.insert(page->objectName(), page);
        m_pages->addTab(page, QString::fromUtf8(def.caption));
    }
    // The template page is shown only on request.
    m_pages->setTabVisible(m_pages->indexOf(m_pageByName.value(QStringLiteral("ts_XML"))), false);
    setCentralWidget(m_pages);
}

void MainWindow::applyTabAppearance()
{
    const Controls &c = m_workspace->controls();
    m_pages->tabBar()->setUsesScrollButtons(!c.checked(QStringLiteral("chb_page_multiline_Checked")));
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

void MainWindow::act_AboutExecute()
{
    QMessageBox::about(this, QStringLiteral("o Programie"), Workspace::aboutText());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_stored) {
        m_workspace->storeSettings();
        m_stored = true;
    }
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
        QCoreApplication::processEvents();
        const QString name = QStringLiteral("%1_%2.png").arg(i + 1, 2, 10, QLatin1Char('0')).arg(m_pages->widget(i)->objectName());
        ok = grab().save(QDir(dir).filePath(name)) && ok;
    }
    return ok;
}
