#pragma once

#include "app/workspace.h"
#include "check_page.h"
#include "widget_user_port.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

class ControlBinder;
class DocumentGrid;
class InvoiceForm;
class MappingGridView;
class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

// TForm_ImportJPK: the main window, showing one Workspace.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // port: the window's message boxes, or a stand-in (tests).
    MainWindow(const QStringList &args, const QString &homeDir, UserPort *port = nullptr, QWidget *parent = nullptr);
    ~MainWindow() override;

    Workspace &workspace() { return *m_workspace; }
    QAction *action(const QString &name) const { return m_actions.value(name); }
    QTabWidget *pages() const { return m_pages; }
    QWidget *page(const QString &name) const { return m_pageByName.value(name); }
    bool isPageVisible(const QString &name) const;
    DocumentGrid *grid(const QString &name) const { return m_grids.value(name); }
    // The page and the tab that hold a grid come forward.
    void showGrid(DocumentGrid *grid);
    InvoiceForm *invoiceForm() const { return m_form; }
    CheckPage *checkPage() const { return m_checkPage; }
    QLabel *counter(const QString &name) const { return m_counters.value(name); }
    QWidget *optionWidget(const QString &key) const;

    // Renders the window with each visible page to DIR/NN_name.png (for looking at the layout).
    bool renderPages(const QString &dir);
    // The invoice list with its search bar and with a filter and a sort, as 9N_name.png.
    bool renderFinding(const QString &dir);
    // Stores the settings as closing the window does (idempotent).
    void storeSettings();
    void applyActivationRule();

protected:
    // The window's keys work wherever the focus is: a text field does not keep Ctrl+E or
    // Ctrl+Shift+Z for itself.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildActions();
    void buildPages();
    void updateEnables();
    void applyTabAppearance();
    void refreshCounters();
    void restoreWindowPlacement();
    void fitIntoScreen();
    void storeWindowPlacement(SettingsFile &settings) const;
    void act_AboutExecute();
    void act_SumaWgKolumnyExecute();
    void importThroughApplication();
    // A finding of "Kontrola" double-clicked: its record current, its field's column current.
    void showFinding(const QString &kind, int record, const QString &invoice, int line, const QString &field);

public:
    // A "Ʃ" button: its grid gets the focus and its column, then the column is summed.
    void sumButton(const QString &grid, const QString &field);
    // "Suma wg kolumny." over the records a grid shows.
    void sumShown(DocumentGrid *grid, int column);

private:
    void runCommand(const QString &name, const std::function<void()> &work);
    void importKsef();

    WidgetUserPort m_widgetPort;
    UserPort *m_port;
    QPointer<DocumentGrid> m_menuGrid; // the grid whose context menu runs a command
    QString m_importReason;
    CheckPage *m_checkPage = nullptr; // why the main import command is greyed, as the status bar tells
    Workspace *m_workspace;
    ControlBinder *m_binder = nullptr;
    QTabWidget *m_pages = nullptr;
    QProgressBar *m_gauge = nullptr;
    QAction *m_gaugeAction = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_configLabel = nullptr;
    InvoiceForm *m_form = nullptr;
    QTabWidget *m_invoiceTabs = nullptr;
    QPlainTextEdit *m_template = nullptr;
    QPushButton *m_connect = nullptr;
    QPushButton *m_disconnect = nullptr;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QWidget *> m_pageByName;
    QHash<QString, DocumentGrid *> m_grids;
    QHash<QString, QLabel *> m_counters;
    QList<MappingGridView *> m_mapViews;
    QHash<QString, QWidget *> m_named; // other widgets the enable rules reach
    bool m_stored = false;
};
