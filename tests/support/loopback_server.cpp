#include "support/loopback_server.h"

LoopbackServer::LoopbackServer(const QString &root)
{
    m_process.setWorkingDirectory(root);
    m_process.start(QStringLiteral("python3"),
                    {QStringLiteral("-u"), QStringLiteral("-c"),
                     QStringLiteral("import http.server,socketserver,time\n"
                                    "class Q(http.server.SimpleHTTPRequestHandler):\n"
                                    "    def log_message(self,*a): pass\n"
                                    "    def do_GET(self):\n"
                                    "        print('GET '+self.path,flush=True)\n"
                                    "        if self.path.startswith('/redirect/'):\n"
                                    "            self.send_response(302)\n"
                                    "            self.send_header('Location','/'+self.path[10:])\n"
                                    "            self.send_header('Content-Length','0')\n"
                                    "            self.end_headers()\n"
                                    "            return\n"
                                    "        if self.path.startswith('/broken/'):\n"
                                    "            self.send_response(200)\n"
                                    "            self.send_header('Content-Length','100000')\n"
                                    "            self.end_headers()\n"
                                    "            self.wfile.write(b'<?xml version=\"1.0\"?>')\n"
                                    "            self.wfile.flush()\n"
                                    "            self.connection.close()\n"
                                    "            return\n"
                                    "        if self.path.startswith('/hangup/'):\n"
                                    "            self.connection.close()\n"
                                    "            return\n"
                                    "        if self.path.startswith('/silent/'):\n"
                                    "            time.sleep(600)\n"
                                    "            return\n"
                                    "        return super().do_GET()\n"
                                    "socketserver.ThreadingTCPServer.daemon_threads=True\n"
                                    "s=socketserver.ThreadingTCPServer(('127.0.0.1',0),Q)\n"
                                    "print(s.server_address[1],flush=True)\n"
                                    "s.serve_forever()\n")});
    if (m_process.waitForReadyRead(10000))
        m_port = m_process.readLine().trimmed().toInt();
}

QStringList LoopbackServer::requests()
{
    while (m_process.waitForReadyRead(200)) {
    }
    m_seen += QString::fromUtf8(m_process.readAllStandardOutput());
    QStringList paths;
    for (const QString &line : m_seen.split(u'\n', Qt::SkipEmptyParts))
        if (line.startsWith(QStringLiteral("GET ")))
            paths << line.mid(4).trimmed();
    return paths;
}

LoopbackServer::~LoopbackServer()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}
