#include "base/safe_file.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

constexpr qsizetype kBufferSize = 1 << 18;

} // namespace

namespace {

// The file that is really written: a link to a file is followed (the link stays a link).
QString realTarget(const QString &path)
{
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : path;
}

} // namespace

SafeFile::SafeFile(const QString &path) : m_file(realTarget(path)) {}

SafeFile::~SafeFile()
{
    cancel();
}

bool SafeFile::open()
{
    m_error.clear();
    // only a regular file is replaced: a rename over a device, a pipe or a socket would put a
    // file in its place (as root, /dev/null's)
    const QFileInfo target(m_file.fileName());
    if (target.exists() && !target.isFile()) {
        m_error = target.isDir() ? QStringLiteral("to folder, a nie plik")
                                 : QStringLiteral("to nie jest zwykły plik (urządzenie, potok albo gniazdo) – "
                                                  "program zapisuje tylko zwykłe pliki");
        return false;
    }
    m_open = m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (!m_open)
        m_error = m_file.errorString();
    m_buffer.reserve(kBufferSize);
    return m_open;
}

bool SafeFile::flushBuffer()
{
    qsizetype done = 0;
    while (done < m_buffer.size() && m_error.isEmpty()) {
        const qint64 n = m_file.write(m_buffer.constData() + done, m_buffer.size() - done);
        if (n <= 0)
            m_error = m_file.errorString().isEmpty() ? QStringLiteral("write error") : m_file.errorString();
        else
            done += n;
    }
    m_buffer.clear();
    return m_error.isEmpty();
}

bool SafeFile::write(QByteArrayView bytes)
{
    if (!m_open || !m_error.isEmpty())
        return false;
    if (m_buffer.size() + bytes.size() > kBufferSize && !flushBuffer())
        return false;
    if (bytes.size() >= kBufferSize) {
        m_buffer = bytes.toByteArray();
        return flushBuffer();
    }
    m_buffer.append(bytes);
    return true;
}

bool SafeFile::commit()
{
    if (!m_open)
        return false;
    if (!flushBuffer() || m_file.error() != QFileDevice::NoError) {
        if (m_error.isEmpty())
            m_error = m_file.errorString();
        cancel();
        return false;
    }
    m_open = false;
    if (!m_file.commit()) {
        m_error =
            m_file.errorString().isEmpty() ? QStringLiteral("the file could not be replaced") : m_file.errorString();
        return false;
    }
    return true;
}

void SafeFile::cancel()
{
    if (!m_open)
        return;
    m_open = false;
    m_buffer.clear();
    m_file.cancelWriting();
    m_file.commit(); // after cancelWriting() this only removes the temporary file
}

Result<> writeFileSafely(const QString &path, QByteArrayView bytes)
{
    SafeFile file(path);
    if (file.open() && file.write(bytes) && file.commit())
        return {};
    return Failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
}

Result<QByteArray> readFileCapped(const QString &path, qint64 cap)
{
    QFile file(path);
    if (QFileInfo(path).isDir())
        return Failure(QStringLiteral("%1: to folder, a nie plik").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return Failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
    QByteArray bytes;
    constexpr qint64 kChunk = 1 << 20;
    while (true) {
        const qint64 room = std::min(kChunk, cap + 1 - bytes.size());
        const QByteArray piece = file.read(room);
        if (file.error() != QFileDevice::NoError)
            return Failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
        bytes.append(piece);
        if (bytes.size() > cap)
            return Failure(QStringLiteral("%1: plik jest za duży (więcej niż %2 MiB) – to nie jest plik tego rodzaju")
                               .arg(path, QString::number(cap >> 20)));
        if (piece.isEmpty())
            return bytes;
    }
}
