#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// An HTTP server on 127.0.0.1 for one test, run by python3's standard library; stops with
// the test. By default it serves the files of a folder; special paths misbehave on purpose:
// "/broken/..." announces more bytes than it sends and closes the connection;
// "/redirect/NAME" answers 302 with the location "/NAME"; "/hangup/..." closes the
// connection without a word; "/silent/..." never answers. Each request has a thread of its own.
class LoopbackServer
{
public:
    explicit LoopbackServer(const QString &root);
    ~LoopbackServer();
    int port() const { return m_port; }
    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(path); }
    // The paths asked for so far, in order.
    QStringList requests();

private:
    QProcess m_process;
    int m_port = 0;
    QString m_seen;
};
