#include "support/recording_port.h"

void RecordingPort::info(const QString &caption, const QString &text)
{
    messages.append({QStringLiteral("info"), caption, text});
    if (onMessage)
        onMessage(messages.last());
}

void RecordingPort::error(const QString &caption, const QString &text)
{
    messages.append({QStringLiteral("error"), caption, text});
}

bool RecordingPort::question(const QString &caption, const QString &text)
{
    messages.append({QStringLiteral("question"), caption, text});
    if (m_answers.empty())
        return defaultAnswer;
    const bool answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::optional<QString> RecordingPort::chooseOpenFile(const QString &, const QString &, const QString &)
{
    if (m_files.empty())
        return std::nullopt;
    QString file = m_files.front();
    m_files.pop_front();
    return file;
}

std::optional<QString> RecordingPort::chooseSaveFile(const QString &a, const QString &b, const QString &c)
{
    return chooseOpenFile(a, b, c);
}
