#pragma once

#include "base/user_port.h"

class QWidget;
class SettingsFile;
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
    void notice(const QString &caption, const QString &text) override;
    bool question(const QString &caption, const QString &text) override;
    std::optional<QString> chooseFolder(const QString &title) override;
    std::optional<QString> chooseOpenFile(const QString &title, const QString &filter,
                                          const QString &defaultExt) override;
    std::optional<QString> chooseSaveFile(const QString &title, const QString &filter,
                                          const QString &defaultExt) override;
    void progressShow(int minimum, int maximum) override;
    void progressPosition(int position) override;
    void progressHide() override;
    void setBusy(bool busy) override;
    void processEvents() override;

    // File dialogs start in the folder last used for the same kind of file (JPK files, import
    // files, mapping tables, …), kept in the settings file under this section.
    void setFolderMemory(SettingsFile *settings, const QString &section)
    {
        m_settings = settings;
        m_section = section;
    }
    // The kind of a file dialog: its default extension, or its first filter's name.
    static QString kindOf(const QString &filter, const QString &defaultExt);
    // Qt's own texts (the Yes/No buttons, the file dialogs) in Polish, from Qt's translations;
    // false when they are not installed.
    static bool installPolishTranslations();

private:
    QString lastFolder(const QString &kind) const;
    void rememberFolder(const QString &kind, const QString &file);

    QWidget *m_parent;
    SettingsFile *m_settings = nullptr;
    QString m_section;
    QProgressBar *m_gauge = nullptr;
    QAction *m_gaugeShown = nullptr;
};
