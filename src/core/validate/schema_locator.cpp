#include "validate/schema_locator.h"

#include "jpk/xml_services.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>
#include <curl/curl.h>
#include <libxml/catalog.h>
#include <libxml/parserInternals.h>

namespace {

thread_local int g_networkScopes = 0;
xmlExternalEntityLoader g_defaultLoader = nullptr;

bool isRemote(const QString &url)
{
    return url.startsWith(u"http://", Qt::CaseInsensitive) || url.startsWith(u"https://", Qt::CaseInsensitive)
           || url.startsWith(u"ftp://", Qt::CaseInsensitive);
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

xmlParserInputPtr tavrixLoader(const char *url, const char *id, xmlParserCtxtPtr ctxt)
{
    const QString address = QString::fromUtf8(url ? url : "");
    if (!isRemote(address))
        return g_defaultLoader(url, id, ctxt);
    const QString local = SchemaLocator::instance().resolve(address);
    if (local.isEmpty())
        return nullptr;
    return loadLocal(local, url, id, ctxt);
}

size_t writeToFile(char *data, size_t size, size_t count, void *user)
{
    auto *file = static_cast<QSaveFile *>(user);
    return size_t(file->write(data, qint64(size * count)));
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
    m_cacheDir = cacheDir.isEmpty() ? defaultCacheDir() : cacheDir;
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
        m_lastFailure = QStringLiteral("%1: not in the schema catalog or cache, and no download is allowed here").arg(url);
        return QString();
    }
    QDir().mkpath(m_cacheDir);
    const QString why = download(url, cached);
    if (!why.isEmpty()) {
        m_lastFailure = why;
        return QString();
    }
    return cached;
}

QString SchemaLocator::download(const QString &url, const QString &target)
{
    if (!url.startsWith(u"http://", Qt::CaseInsensitive) && !url.startsWith(u"https://", Qt::CaseInsensitive))
        return QStringLiteral("%1: only http and https addresses can be downloaded").arg(url);
    if (!hostAllowed(url))
        return QStringLiteral("%1: the network is switched off (TAVRIX_NO_NETWORK)").arg(url);
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("%1: %2").arg(target, file.errorString());
    CURL *curl = curl_easy_init();
    if (!curl)
        return QStringLiteral("%1: the HTTP client could not start").arg(url);
    char errorText[CURL_ERROR_SIZE] = {};
    const QByteArray address = url.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 120L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &file);
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    if (code != CURLE_OK) {
        file.cancelWriting();
        return QStringLiteral("%1: %2").arg(url, QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(code)));
    }
    if (!file.commit())
        return QStringLiteral("%1: %2").arg(target, file.errorString());
    return QString();
}

SchemaLocator::NetworkScope::NetworkScope()
{
    ++g_networkScopes;
}

SchemaLocator::NetworkScope::~NetworkScope()
{
    --g_networkScopes;
}
