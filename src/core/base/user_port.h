#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Thrown when the user stopped the running command ("Przerwij", Esc, Ctrl+C); the Workspace
// catches it, gives back the tables as they were and says so.
struct CommandCancelled
{
};

// The one way the core reaches the user: messages, questions, file choice, progress and
// letting pending events run. The window shows boxes and dialogs, the command line prints
// and answers from its flags, tests record every text.
class UserPort
{
public:
    virtual ~UserPort();

    // An information message box with the application's title as caption and an OK button.
    virtual void info(const QString &caption, const QString &text) = 0;
    virtual void error(const QString &caption, const QString &text) = 0;
    // A closing word that needs no answer ("Zaimportowano faktur: …"): the window shows it in
    // its status bar, without a box to close; elsewhere it is an information message.
    virtual void notice(const QString &caption, const QString &text) { info(caption, text); }
    // An information message that tells of a failure ("Brak bloku FAKTURY", "Błąd zapisu JPK
    // do: …"): shown exactly as info() shows it, and counted, so that the command line can tell
    // a command that failed from one that succeeded.
    void failure(const QString &caption, const QString &text)
    {
        ++m_failures;
        info(caption, text);
    }
    // Failure messages shown so far.
    int failureCount() const { return m_failures; }
    // A Yes/No question; anything but Yes counts as No.
    virtual bool question(const QString &caption, const QString &text) = 0;

    virtual std::optional<QString> chooseOpenFile(const QString &title, const QString &filter,
                                                  const QString &defaultExt) = 0;
    virtual std::optional<QString> chooseSaveFile(const QString &title, const QString &filter,
                                                  const QString &defaultExt) = 0;

    // A folder to read from; none by default (a port without dialogs).
    virtual std::optional<QString> chooseFolder(const QString &title)
    {
        (void)title;
        return std::nullopt;
    }

    virtual void progressShow(int minimum, int maximum) = 0;
    // What the progress counts ("wierszy", "rekordów", "KiB"); a front end may show it.
    virtual void progressUnit(const QString &unit) { (void)unit; }
    virtual void progressPosition(int position) = 0;
    virtual void progressHide() = 0;
    virtual void setBusy(bool busy) = 0;
    virtual void processEvents() = 0;

    // "Przerwij": the running command stops at its next step.
    void requestCancel() { m_cancel = true; }
    bool cancelRequested() const { return m_cancel; }
    void clearCancel() { m_cancel = false; }
    // Lets pending events run, then stops the command (CommandCancelled) when the user asked
    // to. Not from inside a C library's callback: there, check cancelRequested().
    void pump()
    {
        processEvents();
        if (m_cancel)
            throw CommandCancelled{};
    }

private:
    int m_failures = 0;
    bool m_cancel = false;
};

// The caption of information messages.
QString applicationTitle();
// The program speaks only Polish: what it shows (numbers, dates in messages, reports and the
// grids) is formatted in Polish whatever the process locale. Files never use a locale.
void usePolishForWhatIsShown();
