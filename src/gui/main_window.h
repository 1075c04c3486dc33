#pragma once

#include "app/workspace.h"
#include "widget_user_port.h"

#include <QHash>
#include <QMainWindow>

class QAction;
class QLabel;
class QProgressBar;
class QTabWidget;

// TForm_ImportJPK: the main window, showing one Workspace.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    MainWindow(const QStringList &args, const QString &homeDir, QWidget *parent = nullptr);
    ~MainWindow() override;

    Workspace &workspace() { return *m_workspace; }
    QAction *action(const QString &name) const { return m_actions.value(name); }
    QTabWidget *pages() const { return m_pages; }
    // Renders the window with each visible page to DIR/NN_name.png (for looking at the layout).
    bool renderPages(const QString &dir);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildActions();
    void buildPages();
    void applyActivationRule();
    void applyTabAppearance();
    void act_AboutExecute();

    WidgetUserPort m_port;
    Workspace *m_workspace;
    QTabWidget *m_pages = nullptr;
    QProgressBar *m_gauge = nullptr;
    QLabel *m_status = nullptr;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QWidget *> m_pageByName;
    bool m_stored = false;
};
