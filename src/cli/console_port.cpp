#include "console_port.h"

#include <QFileInfo>

#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int)
{
    g_interrupted = 1;
    // a second Ctrl+C ends the process at once
    std::signal(SIGINT, SIG_DFL);
}
} // namespace

ConsolePort::ConsolePort() : m_progressOnTerminal(isatty(STDERR_FILENO) != 0) {}

void ConsolePort::catchInterrupt()
{
    std::signal(SIGINT, onInterrupt);
}

bool ConsolePort::interrupted()
{
    return g_interrupted != 0;
}

void ConsolePort::processEvents()
{
    if (g_interrupted)
        requestCancel();
}

QString ConsolePort::printable(QString text)
{
    // a file's name or a value may hold ESC and other controls: they never reach the terminal
    // (an escape sequence could rewrite the screen); the messages file keeps the text as it is
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\n' && u != u'\t') || u == 0x7F || (u >= 0x80 && u < 0xA0) ||
            (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069))
            c = u'?';
    }
    return text;
}

bool ConsolePort::setMessagesFile(const QString &path, QString *error)
{
    // like every output: a regular file (a link to one is followed), never a folder, device,
    // pipe or socket
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        *error = info.isDir() ? QStringLiteral("it is a folder")
                              : QStringLiteral("it is not a regular file (a device, a pipe or a socket)");
        return false;
    }
    m_messages.setFileName(path);
    // unbuffered: every line reaches the system at once, and its failure is seen at once
    if (!m_messages.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        *error = m_messages.errorString();
        return false;
    }
    return true;
}

void ConsolePort::record(const char *kind, const QString &caption, const QString &text, const char *answer)
{
    QString shown = caption + QStringLiteral(": ") + text;
    if (answer)
        shown += QStringLiteral(" -> ") + QString::fromLatin1(answer);
    // a lone CR ends a line in the window's boxes; on a terminal it would overwrite the line
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    shown = printable(shown);
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
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    if (m_messagesError.isEmpty() && m_messages.write(line) != line.size())
        m_messagesError = m_messages.errorString(); // the run fails with it at its end
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

// The command line has no file dialogs: a step names its files itself.
std::optional<QString> ConsolePort::chooseOpenFile(const QString &, const QString &, const QString &)
{
    return std::nullopt;
}

std::optional<QString> ConsolePort::chooseSaveFile(const QString &, const QString &, const QString &)
{
    return std::nullopt;
}

void ConsolePort::progressShow(int minimum, int maximum)
{
    m_progressMin = minimum;
    m_progressMax = maximum;
    m_started.start();
    m_printed.invalidate();
}

namespace {

QString grouped(qint64 n)
{
    QString digits = QString::number(n);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u' ');
    return digits;
}

QString clock(qint64 seconds)
{
    return seconds >= 3600 ? QStringLiteral("%1:%2:%3")
                                 .arg(seconds / 3600)
                                 .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
                                 .arg(seconds % 60, 2, 10, QChar(u'0'))
                           : QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
}

} // namespace

QString ConsolePort::progressLine(qint64 done, qint64 total, double seconds, const QString &unit)
{
    const int percent = total > 0 ? int(100 * done / total) : 0;
    const double rate = seconds > 0 ? done / seconds : 0;
    QString counts, speed;
    if (unit == u"KiB") {
        // sizes read as MB
        auto mb = [](double kib) { return QString::number(kib / 1024.0, 'f', 1); };
        counts = QStringLiteral("%1 / %2 MB").arg(mb(double(done)), mb(double(total)));
        speed = QStringLiteral("%1 MB/s").arg(mb(rate));
    } else {
        counts =
            QStringLiteral("%1 / %2%3").arg(grouped(done), grouped(total), unit.isEmpty() ? QString() : u' ' + unit);
        speed = QStringLiteral("%1/s").arg(grouped(qint64(rate)));
    }
    QString line = QStringLiteral("%1% %2 · %3").arg(percent, 3).arg(counts, speed);
    if (rate > 0 && done < total)
        line += QStringLiteral(" · pozostało %1").arg(clock(qint64((total - done) / rate + 0.5)));
    return line;
}

void ConsolePort::progressPosition(int position)
{
    // on a terminal only, at most ten times a second
    if (!m_progressOnTerminal || m_quiet || m_progressMax <= m_progressMin)
        return;
    if (m_printed.isValid() && m_printed.elapsed() < 100)
        return;
    m_printed.start();
    const QString line =
        progressLine(position - m_progressMin, m_progressMax - m_progressMin, m_started.elapsed() / 1000.0, m_unit);
    std::fprintf(stderr, "\r%s\x1b[K", line.toUtf8().constData());
    std::fflush(stderr);
    m_shown = true;
}

void ConsolePort::progressHide()
{
    if (m_shown) {
        std::fputs("\r\x1b[K", stderr);
        std::fflush(stderr);
    }
    m_shown = false;
    m_printed.invalidate();
}
