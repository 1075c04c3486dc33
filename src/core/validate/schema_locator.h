#pragma once

#include "base/result.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

class UserPort;
struct _xmlCatalog;

// Finds the schemas a validation needs. Every address libxml2 asks for is resolved in
// this order: the XML catalogs given (the program folder's schemas/catalog.xml), then the
// schema cache folder (filled by earlier downloads), then the network over http or https.
// The network is used only while a schema is being compiled, never while a document is read.
class SchemaLocator
{
public:
    static SchemaLocator &instance();

    void configure(const QStringList &catalogFiles, const QString &cacheDir);
    QString cacheDir() const { return m_cacheDir; }
    static QString defaultCacheDir();
    // The cache file of an address.
    QString cacheFileFor(const QString &url) const;

    // Marks a schema compilation for its lifetime: network fetches are allowed, and only
    // schema documents are loaded. With a port, a download lets events run and ends at
    // "Przerwij" (the port's cancel request).
    class NetworkScope
    {
    public:
        explicit NetworkScope(UserPort *port = nullptr);
        ~NetworkScope();
        NetworkScope(const NetworkScope &) = delete;
        NetworkScope &operator=(const NetworkScope &) = delete;

    private:
        UserPort *m_outerPort;
    };

    // Why the last address could not be loaded (empty when it could).
    QString lastFailure() const { return m_lastFailure; }
    void clearFailure() { m_lastFailure.clear(); }

    // Downloads an http or https address into target through a temporary file, or says why
    // it could not.
    static Result<> download(const QString &url, const QString &target);
    // The limits of every download: a server that does not take the connection within
    // kConnectSeconds, sends nothing for kStallSeconds or has not sent the whole file within
    // kTotalSeconds is given up (a schema is a few hundred KiB).
    static constexpr long kConnectSeconds = 10;
    static constexpr long kStallSeconds = 15;
    static constexpr long kTotalSeconds = 60;
    // Sets those limits on a libcurl handle.
    static void limitTransfer(void *curl);
    // An address that could not be fetched is not asked for again until this is called (at the
    // start of each command) or the cache folder changes: one command waits for a server once.
    void forgetFailedAddresses() { m_failedAddresses.clear(); }
    // With TAVRIX_NO_NETWORK set only loopback hosts are reached (the test suite sets it).
    static bool hostAllowed(const QString &url);

    // Resolves an address to a local file, fetching it when allowed; empty when it cannot.
    QString resolve(const QString &url);
    // Why a file may not be used as a schema: not well-formed, a DOCTYPE (no DTD and no entity
    // is ever loaded for a schema), or a root other than xs:schema.
    static Result<> checkSchemaFile(const QString &file);
    // Notes why an address was refused (the first reason is kept).
    void refuse(const QString &why);

private:
    SchemaLocator();
    ~SchemaLocator();
    void loadCatalogs();

    QStringList m_catalogFiles;
    QString m_cacheDir;
    QString m_lastFailure;
    QHash<QString, QString> m_failedAddresses; // address -> why it could not be fetched
    std::vector<_xmlCatalog *> m_catalogs;
};
