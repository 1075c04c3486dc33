#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include "base/result.h"

// A file written so that the old one stays whole until the new one is complete: the bytes
// go to a temporary file beside it and replace the old file only when every write, the last
// one included, went through. QSaveFile alone is not enough: it buffers small writes, and
// Qt 6.4's commit() can rename a temporary file whose final flush failed (a full disk then
// leaves an empty file and reports success). Here every write reaches the system at once
// (the device is unbuffered, the buffer is ours) and its result is checked.
class SafeFile
{
public:
    explicit SafeFile(const QString &path);
    ~SafeFile(); // without commit() nothing replaces the old file
    SafeFile(const SafeFile &) = delete;
    SafeFile &operator=(const SafeFile &) = delete;

    bool open();
    bool write(QByteArrayView bytes);
    bool write(const char *data, qsizetype size) { return write(QByteArrayView(data, size)); }
    // Writes what is left, then replaces the old file; false keeps the old file.
    bool commit();
    void cancel();
    bool failed() const { return !m_error.isEmpty(); }
    // The system's reason for the first failure ("No space left on device").
    QString errorString() const { return m_error; }

private:
    bool flushBuffer();

    QSaveFile m_file;
    QByteArray m_buffer;
    QString m_error;
    bool m_open = false;
};

// The whole of bytes as the file's new content; on failure the old file stays and the reason
// reads "path: why".
Result<> writeFileSafely(const QString &path, QByteArrayView bytes);

// The sizes past which a file the program reads is no file of its kind: a template or a mapping
// table is a few kilobytes, an e-invoice well under a megabyte, a JSON export of a million
// invoices about a gigabyte.
inline constexpr qint64 kMaxSmallFile = 16 * 1024 * 1024;
inline constexpr qint64 kMaxJsonFile = qint64(1) << 30;

// The whole of a file of at most `cap` bytes, read through the cap whatever size the file
// claims (a device such as /dev/zero never fills the memory); the reason ("path: …") when it
// cannot be read or is larger.
Result<QByteArray> readFileCapped(const QString &path, qint64 cap);
