#pragma once

#include "base/result.h"

#include <QString>

class UserPort;

// What the download window shows; the core tells it, the window or the command line shows it.
class DownloadView
{
public:
    virtual ~DownloadView();
    // UstawStream: the window's caption, heading and address.
    virtual void setUp(const QString &caption, const QString &heading, const QString &address) = 0;
    virtual void begins(qint64 expected) = 0;
    // Progress "Pobieranie=%d/%d"; returns false when the user has cancelled.
    virtual bool progress(const QString &text, qint64 bytes) = 0;
    virtual void over(const QString &text) = 0; // "Pobrano" or "Przerwano"
};

namespace SchemaDownload {

// schemaAddressOfTemplate: the address of the first template line holding
// noNamespaceSchemaLocation="…", or empty.
QString schemaAddressOfTemplate(const QString &templ);

// PobierzDoStrumienia into a file: the file is written through a temporary one and appears
// only when the whole download succeeded; a failure or cancellation leaves nothing behind.
bool downloadToFile(UserPort *port, DownloadView *view, const QString &heading, const QString &address,
                    const QString &target);

// Re-indents an XML text (two spaces a level), keeping the declaration, comments and texts.
// Fails, with the reason, when the text is no well-formed XML.
Result<QString> reformat(const QString &text);

// b_LoadXSD: the schema beside the program, fetched from the template's address when it is
// missing, read and re-indented. Returns the page's new text, or nothing when it stays.
bool loadDescriptions(UserPort *port, DownloadView *view, const QString &programDir, const QString &templ,
                      QString *pageText);

// The first text of the page: "Wczytaj dane z pliku: " and the schema's path.
QString prompt(const QString &programDir);

} // namespace SchemaDownload
