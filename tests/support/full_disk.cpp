#include "support/full_disk.h"

#include <QFile>
#include <QProcess>

FullDisk::FullDisk(int kilobytes)
{
    if (!m_dir.isValid())
        return;
    QProcess mount;
    mount.start(QStringLiteral("mount"),
                {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                 QStringLiteral("size=%1k").arg(kilobytes), QStringLiteral("tmpfs"), m_dir.path()});
    m_mounted = mount.waitForFinished(10000) && mount.exitStatus() == QProcess::NormalExit && mount.exitCode() == 0;
}

FullDisk::~FullDisk()
{
    if (!m_mounted)
        return;
    QProcess umount;
    umount.start(QStringLiteral("umount"), {QStringLiteral("-l"), m_dir.path()});
    umount.waitForFinished(10000);
}

void FullDisk::fill()
{
    QFile filler(file(QStringLiteral("filler.bin")));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray block(64 * 1024, 'x');
    while (filler.write(block) == block.size()) {
    }
    const QByteArray byte(1, 'x');
    while (filler.write(byte) == 1) {
    }
}
