#include "main_window.h"

#include "control_binder.h"
#include "document_grid.h"
#include "document_model.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

// The window's actions: the menus, the toolbar and what each one runs.

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
                showFolder->setData(QFileInfo(ws.lastWrittenFile()).absolutePath());
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

    QMenu *file = menuBar()->addMenu(QStringLiteral("&Plik"));
    file->addActions({importAll, importHeader, importInvoices, importOrders, ksef, load, check});
    file->addSeparator();
    file->addAction(generate);
    file->addSeparator();
    file->addAction(quit);
    QMenu *program = menuBar()->addMenu(QStringLiteral("&Program"));
    program->addActions({about, quit});
    // F10 opens the menu bar, as in other desktop programs
    QAction *menuKey = new QAction(this);
    menuKey->setShortcut(QKeySequence(Qt::Key_F10));
    connect(menuKey, &QAction::triggered, this, [this, file] {
        menuBar()->setActiveAction(file->menuAction());
        file->setFocus();
    });
    addAction(menuKey);
    // the window's keys are kept from the text fields that would take them for their own
    qApp->installEventFilter(this);

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
    sumShown(grid, column);
}

void MainWindow::sumShown(DocumentGrid *grid, int column)
{
    // a filtered grid sums what it shows, and says so
    const DocumentModel *model = grid->documentModel();
    m_workspace->columnSum(*model->table(), model->fieldOfColumn(column),
                           grid->isFiltered() ? &model->view() : nullptr);
}

void MainWindow::sumButton(const QString &gridName, const QString &field)
{
    DocumentGrid *grid = m_grids.value(gridName);
    showGrid(grid);
    grid->setFocus();
    const int column = grid->documentModel()->columnOfField(field);
    const int row = std::max(0, grid->documentModel()->rowOfPosition(grid->documentModel()->table()->position()));
    grid->setCurrentIndex(grid->documentModel()->index(row, column));
    sumShown(grid, column);
}

void MainWindow::act_AboutExecute()
{
    m_port->info(QStringLiteral("o Programie"), Workspace::aboutText());
}
