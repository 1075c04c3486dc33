#pragma once

#include <QString>
#include <QTemporaryDir>

// A small file system of its own (tmpfs), filled to the last byte on request, so that a test
// sees what a user with a full disk sees. Mounting needs the rights of root; where the test
// runs without them, available() is false and the test says so.
class FullDisk
{
public:
    explicit FullDisk(int kilobytes = 4096);
    ~FullDisk();
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    bool available() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    // Writes a filler file until the file system refuses another byte.
    void fill();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};
