#include "validate/schema_download.h"

#include "base/program_files.h"

#include "base/safe_file.h"
#include "base/user_port.h"
#include "base/xml_services.h"
#include "validate/schema_locator.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <curl/curl.h>
#include <libxml/parser.h>

DownloadView::~DownloadView() = default;

namespace {

const QString kSchemaName = QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd");

struct Transfer
{
    SafeFile *file;
    DownloadView *view;
    UserPort *port;
    qint64 expected = -1;
    bool begun = false;
    bool cancelled = false;
};

size_t writeBody(char *data, size_t size, size_t count, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    return t->file->write(data, qsizetype(size * count)) ? size * count : 0;
}

int onProgress(void *user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t)
{
    auto *t = static_cast<Transfer *>(user);
    if (!t->begun && total > 0) {
        t->begun = true;
        t->expected = total;
        t->view->begins(total);
    }
    t->port->processEvents();
    if (!t->view->progress(QStringLiteral("Pobieranie=%1/%2").arg(now).arg(t->expected > 0 ? t->expected : 0), now)) {
        t->cancelled = true;
        return 1; // closes the connection
    }
    return 0;
}

} // namespace

namespace SchemaDownload {

QString schemaAddressOfTemplate(const QString &templ)
{
    const QString key = QStringLiteral("noNamespaceSchemaLocation=\"");
    for (const QString &line : templ.split(u'\n')) {
        const qsizetype at = line.indexOf(key);
        if (at < 0)
            continue;
        const QString rest = line.mid(at + key.size(), 255);
        const qsizetype quote = rest.indexOf(u'"');
        return quote > 0 ? rest.left(quote) : QString();
    }
    return QString();
}

bool downloadToFile(UserPort *port, DownloadView *view, const QString &heading, const QString &address,
                    const QString &target)
{
    // the progress window opens only once there is a file to download into
    SafeFile file(target);
    if (!file.open()) {
        port->failure(applicationTitle(), QStringLiteral("Błąd pobierania ") + address + QStringLiteral("\r") +
                                              QStringLiteral("%1: %2").arg(target, file.errorString()));
        return false;
    }
    view->setUp(QStringLiteral("Pobieranie pliku ") + heading, heading, address);
    port->setBusy(true);
    Transfer t{&file, view, port};
    char errorText[CURL_ERROR_SIZE] = {};
    CURLcode code = CURLE_FAILED_INIT;
    long status = 0;
    QString failure;
    if (!SchemaLocator::hostAllowed(address)) {
        failure = QStringLiteral("the network is switched off (TAVRIX_NO_NETWORK)");
    } else if (CURL *curl = curl_easy_init()) {
        const QByteArray url = address.toUtf8();
        curl_slist *headers = nullptr;
        headers = curl_slist_append(headers, "Accept: text/html,*/*");
        headers = curl_slist_append(headers, "Content-Type: text/html; charset=ISO-8859-1");
        curl_easy_setopt(curl, CURLOPT_URL, url.constData());
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "iso-8859-2, identity");
        curl_easy_setopt(curl, CURLOPT_USERAGENT, "Mozilla/3.0 (compatible; Indy Library)");
        curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");
        curl_easy_setopt(curl, CURLOPT_PROXY, "");
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
        // no secure transport: an https address fails like any other download error
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
        SchemaLocator::limitTransfer(curl);
        curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeBody);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
        code = curl_easy_perform(curl);
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_cleanup(curl);
        curl_slist_free_all(headers);
        if (t.cancelled)
            failure = QStringLiteral("Przerwano przez użytkownika");
        else if (code != CURLE_OK)
            failure = QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(code));
        else if (status < 200 || status > 299) // a redirect is not followed: it is no schema
            failure = QStringLiteral("The requested URL returned error: %1").arg(status);
    } else {
        failure = QStringLiteral("the HTTP client could not start");
    }
    const bool ok = failure.isEmpty();
    view->over(ok ? QStringLiteral("Pobrano") : QStringLiteral("Przerwano"));
    port->setBusy(false);
    if (!ok) {
        file.cancel();
        port->failure(applicationTitle(),
                      QStringLiteral("Błąd pobierania z ") + address + QStringLiteral("\r") + failure);
        return false;
    }
    if (!file.commit()) {
        port->failure(applicationTitle(),
                      QStringLiteral("Błąd pobierania ") + address + QStringLiteral("\r") + file.errorString());
        return false;
    }
    port->processEvents();
    return true;
}

Result<QString> reformat(const QString &text)
{
    XmlError parseError;
    XmlDocPtr doc = Xml::parseText(text, &parseError);
    if (!doc)
        return Failure(parseError.reason + QStringLiteral(" (line %1)").arg(parseError.line));
    xmlChar *bytes = nullptr;
    int size = 0;
    // the text is shown as Unicode: dump as UTF-8, then put the source's own declaration back
    // (or none, when it had none): nothing is added to what the file says of itself
    xmlDocDumpFormatMemoryEnc(doc.get(), &bytes, &size, "UTF-8", 1);
    QString out = QString::fromUtf8(reinterpret_cast<const char *>(bytes), size);
    xmlFree(bytes);
    static const QRegularExpression declaration(QStringLiteral(R"(^\s*(<\?xml\s[^>]*\?>))"));
    const QRegularExpressionMatch own = declaration.match(text);
    if (out.startsWith(QStringLiteral("<?xml"))) {
        const qsizetype end = out.indexOf(u'\n');
        out = (own.hasMatch() ? own.captured(1) + u'\n' : QString()) + out.mid(end + 1);
    }
    return out;
}

QString prompt(const QString &programDir)
{
    return QStringLiteral("Wczytaj dane z pliku: ") + QDir::toNativeSeparators(QDir(programDir).filePath(kSchemaName));
}

bool loadDescriptions(UserPort *port, DownloadView *view, const QString &programDir, const QString &templ,
                      QString *pageText)
{
    // the program folder's own schema, else the one shipped with the program, else a download
    QString path = ProgramFiles::mainSchema(programDir);
    if (path.isEmpty()) {
        path = QDir(programDir).filePath(kSchemaName);
        const QString address = schemaAddressOfTemplate(templ);
        if (address.isEmpty() ||
            !downloadToFile(port, view, QStringLiteral("Pobieranie:") + kSchemaName, address, path)) {
            port->failure(applicationTitle(), QStringLiteral("Brak pliku : ") + path);
            return false;
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        port->info(applicationTitle(), QStringLiteral("%1: %2").arg(path, file.errorString()));
        return false;
    }
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    Result<QString> formatted = reformat(text);
    if (!formatted) {
        *pageText = text; // the file as read, unformatted
        port->info(applicationTitle(), formatted.reason());
        return false;
    }
    *pageText = std::move(*formatted);
    return true;
}

} // namespace SchemaDownload
