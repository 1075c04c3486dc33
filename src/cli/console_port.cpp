#include "console_port.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <unistd.h>

ConsolePort::ConsolePort() : m_progressOnTerminal(isatty(STDERR_FILENO) != 0) {}

bool ConsolePort::setMessagesFile(const QString &path)
{
    m_messages.setFileName(path);
    return m_messages.open(QIODevice::WriteOnly | QIODevice::Append);
}

void ConsolePort::record(const char *kind, const QString &caption, const QString &text, const char *answer)
{
    QString shown = caption + QStringLiteral(": ") + text;
    if (answer)
        shown += QStringLiteral(" -> ") + QString::fromLatin1(answer);
    // a lone CR ends a line in the window's boxes; on a terminal it would overwrite the line
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    std::fputs(shown.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    if (!m_messages.isOpen())
        return;
    QJsonObject object{{QStringLiteral("kind"), QString::fromLatin1(kind)},
                       {QStringLiteral("caption"), caption},
                       {QStringLiteral("text"), text}};
    if (answer)
        object.insert(QStringLiteral("answer"), QString::fromLatin1(answer));
    m_messages.write(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
    m_messages.flush();
}

void ConsolePort::info(const QString &caption, const QString &text)
{
    record("info", caption, text, nullptr);
}

void ConsolePort::error(const QString &caption, const QString &text)
{
    ++m_errors;
    record("error", caption, text, nullptr);
}

bool ConsolePort::question(const QString &caption, const QString &text)
{
    record("question", caption, text, m_answer ? "yes" : "no");
    return m_answer;
}

std::optional<QString> ConsolePort::takeFile()
{
    if (m_nextFile.isEmpty())
        return std::nullopt;
    const QString file = m_nextFile;
    m_nextFile.clear();
    return file;
}

std::optional<QString> ConsolePort::chooseOpenFile(const QString &, const QString &, const QString &)
{
    return takeFile();
}

std::optional<QString> ConsolePort::chooseSaveFile(const QString &, const QString &, const QString &)
{
    return takeFile();
}

void ConsolePort::progressShow(int minimum, int maximum)
{
    m_progressMin = minimum;
    m_progressMax = maximum;
    m_lastPercent = -1;
}

void ConsolePort::progressPosition(int position)
{
    if (!m_progressOnTerminal || m_progressMax <= m_progressMin)
        return;
    const int percent = int(100.0 * (position - m_progressMin) / (m_progressMax - m_progressMin));
    if (percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    std::fprintf(stderr, "\r%3d%%", percent);
    std::fflush(stderr);
}

void ConsolePort::progressHide()
{
    if (m_progressOnTerminal && m_lastPercent >= 0) {
        std::fputs("\r    \r", stderr);
        std::fflush(stderr);
    }
    m_lastPercent = -1;
}
