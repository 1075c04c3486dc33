#pragma once

#include "app/user_port.h"

class QWidget;
class QProgressBar;
class QAction;

// The window's UserPort: message boxes, file dialogs, the tool-bar gauge and the busy cursor.
class WidgetUserPort : public UserPort
{
public:
    explicit WidgetUserPort(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    // The tool-bar gauge and the tool-bar action that shows it.
    void setGauge(QProgressBar *gauge, QAction *shown)
    {
        m_gauge = gauge;
        m_gaugeShown = shown;
    }

    void info(const QString &caption, const QString &text) override;
    void error(const QString &caption, const QString &text) override;
    bool question(const QString &caption, const QString &text) override;
    std::optional<QString> chooseOpenFile(const QString &title, const QString &filter,
                                          const QString &defaultExt) override;
    std::optional<QString> chooseSaveFile(const QString &title, const QString &filter,
                                          const QString &defaultExt) override;
    void progressShow(int minimum, int maximum) override;
    void progressPosition(int position) override;
    void progressHide() override;
    void setBusy(bool busy) override;
    void processEvents() override;

private:
    QWidget *m_parent;
    QProgressBar *m_gauge = nullptr;
    QAction *m_gaugeShown = nullptr;
};
