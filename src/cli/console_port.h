#pragma once

#include "base/user_port.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

// The command line's UserPort: prints every message, answers every question with the
// chosen answer (file names come with the steps, so no dialog is ever answered) and appends
// each message to a JSON-lines record when asked to.
class ConsolePort : public UserPort
{
public:
    ConsolePort();

    void setAnswer(bool yes) { m_answer = yes; }
    bool setMessagesFile(const QString &path, QString *error);
    // The text as a terminal may show it: controls (ESC above all), DEL and direction
    // overrides become "?"; line breaks and tabs stay.
    static QString printable(QString text);
    // Why a line could not be written to the messages file (empty when all went through).
    QString messagesError() const { return m_messagesError; }

    void info(const QString &caption, const QString &text) override;
    void error(const QString &caption, const QString &text) override;
    bool question(const QString &caption, const QString &text) override;
    // A finding of "Kontrola": printed, and a message of kind "check".
    void check(const QString &text) { record("check", QStringLiteral("Kontrola"), text, nullptr); }
    std::optional<QString> chooseOpenFile(const QString &title, const QString &filter,
                                          const QString &defaultExt) override;
    std::optional<QString> chooseSaveFile(const QString &title, const QString &filter,
                                          const QString &defaultExt) override;
    void progressShow(int minimum, int maximum) override;
    void progressUnit(const QString &unit) override { m_unit = unit; }
    void progressPosition(int position) override;
    void progressHide() override;
    void setBusy(bool) override {}
    // Ctrl+C (SIGINT) stops the running command as "Przerwij" does in the window.
    void processEvents() override;
    static void catchInterrupt();
    static bool interrupted();

    int errorCount() const { return m_errors; }
    // --quiet: no progress line even on a terminal.
    void setQuiet(bool quiet) { m_quiet = quiet; }
    // The progress line as it is printed: done of the total, rate and time left.
    static QString progressLine(qint64 done, qint64 total, double seconds, const QString &unit);

private:
    void record(const char *kind, const QString &caption, const QString &text, const char *answer);

    bool m_answer = false;
    QFile m_messages;
    QString m_messagesError;
    int m_errors = 0;
    bool m_progressOnTerminal = false;
    bool m_quiet = false;
    int m_progressMin = 0;
    int m_progressMax = 0;
    bool m_shown = false;
    QString m_unit;
    QElapsedTimer m_started; // since the progress was shown
    QElapsedTimer m_printed; // since the line was last printed
};
