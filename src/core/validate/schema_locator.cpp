#include "validate/schema_locator.h"

#include "base/safe_file.h"
#include "base/user_port.h"
#include "base/xml_scan.h"
#include "base/xml_services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>
#include <curl/curl.h>
#include <libxml/catalog.h>
#include <libxml/parserInternals.h>

namespace {

thread_local int g_networkScopes = 0;
thread_local UserPort *g_port = nullptr; // the innermost scope's port, for "Przerwij"
xmlExternalEntityLoader g_defaultLoader = nullptr;

bool isRemote(const QString &url)
{
    return url.startsWith(u"http://", Qt::CaseInsensitive) || url.startsWith(u"https://", Qt::CaseInsensitive) ||
           url.startsWith(u"ftp://", Qt::CaseInsensitive);
}

xmlParserInputPtr loadLocal(const QString &file, const char *originalUrl, const char *id, xmlParserCtxtPtr ctxt)
{
    const QByteArray path = QFile::encodeName(file);
    xmlParserInputPtr input = g_defaultLoader(path.constData(), id, ctxt);
    if (input && originalUrl) {
        // relative addresses inside the loaded schema resolve against its own address
        xmlFree(const_cast<char *>(input->filename));
        input->filename = reinterpret_cast<const char *>(xmlStrdup(reinterpret_cast<const xmlChar *>(originalUrl)));
    }
    return input;
}

bool endsWithXsd(const QString &address)
{
    const QString path = isRemote(address) ? QUrl(address).path() : address;
    return path.endsWith(QStringLiteral(".xsd"), Qt::CaseInsensitive);
}

xmlParserInputPtr tavrixLoader(const char *url, const char *id, xmlParserCtxtPtr ctxt)
{
    const QString address = QString::fromUtf8(url ? url : "");
    SchemaLocator &locator = SchemaLocator::instance();
    if (g_networkScopes == 0) {
        if (!isRemote(address))
            return g_defaultLoader(url, id, ctxt);
        const QString local = locator.resolve(address);
        return local.isEmpty() ? nullptr : loadLocal(local, url, id, ctxt);
    }
    // While a schema is compiled, only schemas are loaded: an address that does not name an
    // .xsd document (a DTD, an external entity, any other file) is refused, and so is a
    // document that is not a plain XML Schema.
    if (!endsWithXsd(address)) {
        locator.refuse(
            QStringLiteral("%1: only .xsd schema documents are loaded while a schema is compiled").arg(address));
        return nullptr;
    }
    const QString local = isRemote(address)                                   ? locator.resolve(address)
                          : address.startsWith(u"file:", Qt::CaseInsensitive) ? QUrl(address).toLocalFile()
                                                                              : address;
    if (local.isEmpty())
        return nullptr;
    if (const Result<> schema = SchemaLocator::checkSchemaFile(local); !schema) {
        locator.refuse(QStringLiteral("%1: %2").arg(address, schema.reason()));
        return nullptr;
    }
    return isRemote(address) ? loadLocal(local, url, id, ctxt) : g_defaultLoader(url, id, ctxt);
}

size_t writeToFile(char *data, size_t size, size_t count, void *user)
{
    auto *file = static_cast<SafeFile *>(user);
    return file->write(data, qsizetype(size * count)) ? size * count : 0;
}

// libcurl asks about once a second even while the server is silent: the window stays alive
// and "Przerwij" ends the wait (the cancel itself is raised once libxml2 has returned)
int onTransferTick(void *, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    if (!g_port)
        return 0;
    g_port->processEvents();
    return g_port->cancelRequested() ? 1 : 0;
}

} // namespace

SchemaLocator &SchemaLocator::instance()
{
    static SchemaLocator locator;
    return locator;
}

SchemaLocator::SchemaLocator()
{
    xmlInitParser();
    curl_global_init(CURL_GLOBAL_DEFAULT);
    g_defaultLoader = xmlGetExternalEntityLoader();
    xmlSetExternalEntityLoader(tavrixLoader);
    m_cacheDir = defaultCacheDir();
}

SchemaLocator::~SchemaLocator()
{
    for (xmlCatalogPtr c : m_catalogs)
        xmlFreeCatalog(c);
    m_catalogs.clear();
}

QString SchemaLocator::defaultCacheDir()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    return QDir(base).filePath(QStringLiteral("tavrix-jpk/schemas"));
}

void SchemaLocator::configure(const QStringList &catalogFiles, const QString &cacheDir)
{
    if (catalogFiles != m_catalogFiles) {
        m_catalogFiles = catalogFiles;
        loadCatalogs();
    }
    const QString dir = cacheDir.isEmpty() ? defaultCacheDir() : cacheDir;
    if (dir != m_cacheDir)
        m_failedAddresses.clear();
    m_cacheDir = dir;
}

void SchemaLocator::loadCatalogs()
{
    for (xmlCatalogPtr c : m_catalogs)
        xmlFreeCatalog(c);
    m_catalogs.clear();
    for (const QString &file : std::as_const(m_catalogFiles)) {
        if (!QFile::exists(file))
            continue;
        if (xmlCatalogPtr c = xmlLoadACatalog(QFile::encodeName(file).constData()))
            m_catalogs.push_back(c);
    }
}

QString SchemaLocator::cacheFileFor(const QString &url) const
{
    QString name;
    name.reserve(url.size());
    for (QChar c : url)
        name += (c.isLetterOrNumber() && c.unicode() < 128) || c == u'.' || c == u'-' ? c : QChar(u'_');
    return QDir(m_cacheDir).filePath(name);
}

bool SchemaLocator::hostAllowed(const QString &url)
{
    if (qEnvironmentVariableIsEmpty("TAVRIX_NO_NETWORK"))
        return true;
    const QString host = QUrl(url).host();
    return host == u"localhost" || host.startsWith(u"127.") || host == u"::1";
}

QString SchemaLocator::resolve(const QString &url)
{
    const QByteArray u = url.toUtf8();
    for (xmlCatalogPtr c : m_catalogs) {
        const xmlChar *key = reinterpret_cast<const xmlChar *>(u.constData());
        XmlString found(xmlACatalogResolveURI(c, key));
        XmlString system(found.isNull() ? xmlACatalogResolveSystem(c, key) : nullptr);
        const QString target = !found.isNull() ? found.toString() : system.toString();
        if (!target.isEmpty()) {
            const QString file = target.startsWith(u"file:") ? QUrl(target).toLocalFile() : target;
            if (QFile::exists(file))
                return file;
        }
    }
    const QString cached = cacheFileFor(url);
    if (QFile::exists(cached))
        return cached;
    if (g_networkScopes == 0) {
        m_lastFailure =
            QStringLiteral("%1: not in the schema catalog or cache, and no download is allowed here").arg(url);
        return QString();
    }
    const auto failed = m_failedAddresses.constFind(url);
    if (failed != m_failedAddresses.cend()) {
        m_lastFailure = *failed;
        return QString();
    }
    QDir().mkpath(m_cacheDir);
    if (const Result<> fetched = download(url, cached); !fetched) {
        m_failedAddresses.insert(url, fetched.reason());
        m_lastFailure = fetched.reason();
        return QString();
    }
    return cached;
}

Result<> SchemaLocator::download(const QString &url, const QString &target)
{
    if (!url.startsWith(u"http://", Qt::CaseInsensitive) && !url.startsWith(u"https://", Qt::CaseInsensitive))
        return Failure(QStringLiteral("%1: only http and https addresses can be downloaded").arg(url));
    if (!hostAllowed(url))
        return Failure(QStringLiteral("%1: the network is switched off (TAVRIX_NO_NETWORK)").arg(url));
    // the download goes to a file of its own first: only a schema is ever put into the cache
    QTemporaryFile file(QDir(QFileInfo(target).absolutePath()).filePath(QStringLiteral("download-XXXXXX.xsd")));
    if (!file.open())
        return Failure(QStringLiteral("%1: %2").arg(target, file.errorString()));
    SafeFile body(file.fileName());
    if (!body.open())
        return Failure(QStringLiteral("%1: %2").arg(target, body.errorString()));
    CURL *curl = curl_easy_init();
    if (!curl)
        return Failure(QStringLiteral("%1: the HTTP client could not start").arg(url));
    char errorText[CURL_ERROR_SIZE] = {};
    const QByteArray address = url.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    // a redirect is not followed: the schema comes from the address asked for, or not at all
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    limitTransfer(curl);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onTransferTick);
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        body.cancel();
        return Failure(url + QStringLiteral(": Przerwano przez użytkownika"));
    }
    if (code != CURLE_OK) {
        body.cancel();
        return Failure(
            QStringLiteral("%1: %2").arg(url, QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(code))));
    }
    if (status < 200 || status > 299) {
        body.cancel();
        return Failure(QStringLiteral("%1: the server answered %2, not a schema").arg(url, QString::number(status)));
    }
    if (!body.commit())
        return Failure(QStringLiteral("%1: %2").arg(target, body.errorString()));
    if (const Result<> schema = checkSchemaFile(file.fileName()); !schema)
        return Failure(QStringLiteral("%1: %2").arg(url, schema.reason()));
    QFile::remove(target);
    if (!file.rename(target))
        return Failure(QStringLiteral("%1: %2").arg(target, file.errorString()));
    file.setAutoRemove(false);
    return {};
}

Result<> SchemaLocator::checkSchemaFile(const QString &file)
{
    XmlRootInfo root;
    XmlError error;
    if (!Xml::scanFile(file, &root, &error))
        return Failure(error.reason);
    if (root.hasDoctype)
        return Failure(QStringLiteral("a schema with a DOCTYPE declaration is not accepted"));
    if (root.localName != u"schema" || root.namespaceUri != u"http://www.w3.org/2001/XMLSchema")
        return Failure(QStringLiteral("the document is not an XML Schema"));
    return {};
}

void SchemaLocator::refuse(const QString &why)
{
    if (m_lastFailure.isEmpty())
        m_lastFailure = why;
}

void SchemaLocator::limitTransfer(void *handle)
{
    CURL *curl = static_cast<CURL *>(handle);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
    // under one byte a second for kStallSeconds: the server has stopped answering
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTotalSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
}

SchemaLocator::NetworkScope::NetworkScope(UserPort *port) : m_outerPort(g_port)
{
    ++g_networkScopes;
    if (port)
        g_port = port;
}

SchemaLocator::NetworkScope::~NetworkScope()
{
    --g_networkScopes;
    g_port = m_outerPort;
}
