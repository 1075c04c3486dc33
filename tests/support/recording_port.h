#pragma once

#include "base/user_port.h"

#include <QList>
#include <QString>
#include <deque>
#include <functional>

// A UserPort that records every message and answers questions and file dialogs from queues.
class RecordingPort : public UserPort
{
public:
    struct Message
    {
        QString kind; // "info", "error", "question"
        QString caption;
        QString text;
        bool operator==(const Message &) const = default;
    };

    void queueAnswer(bool yes) { m_answers.push_back(yes); }
    void queueFile(const QString &path) { m_files.push_back(path); }
    bool defaultAnswer = false;

    QList<Message> messages;
    int processEventsCalls = 0;
    QList<int> progress;

    void info(const QString &caption, const QString &text) override;
    void error(const QString &caption, const QString &text) override;
    bool question(const QString &caption, const QString &text) override;
    std::optional<QString> chooseOpenFile(const QString &, const QString &, const QString &) override;
    // a folder comes from the same queue as the files
    std::optional<QString> chooseFolder(const QString &) override { return chooseOpenFile({}, {}, {}); }
    std::optional<QString> chooseSaveFile(const QString &, const QString &, const QString &) override;
    void progressShow(int, int) override {}
    void progressPosition(int position) override { progress.append(position); }
    void progressHide() override {}
    void setBusy(bool) override {}
    void processEvents() override
    {
        ++processEventsCalls;
        if (onProcessEvents)
            onProcessEvents();
    }
    std::function<void()> onProcessEvents;
    std::function<void(const Message &)> onMessage; // called as each message is shown

private:
    std::deque<bool> m_answers;
    std::deque<QString> m_files;
};
