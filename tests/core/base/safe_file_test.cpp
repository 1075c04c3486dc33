#include "base/safe_file.h"
#include "support/temp_home.h"

#include <QDir>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

// Files may grow to `bytes` only while it lives: every write past it fails as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

TEST(SafeFile, AFailedWriteKeepsTheOldFileAndTellsTheSystemsReason)
{
    TempHome home;
    const QString path = home.file(QStringLiteral("plik.xml"));
    home.write(QStringLiteral("plik.xml"), "stary");
    struct Case
    {
        const char *what;
        qsizetype size; // bytes written through the buffer
    };
    // a small write stays in the buffer until commit(): its failure must still be seen there
    const Case cases[] = {{"a small write", 10}, {"a large write", 3 << 20}};
    for (const Case &c : cases) {
        QString error;
        {
            FileSizeLimit limit(4);
            const Result<> written = writeFileSafely(path, QByteArray(c.size, 'x'));
            EXPECT_FALSE(written) << c.what;
            error = written.reason();
        }
        EXPECT_EQ(home.read(QStringLiteral("plik.xml")), "stary") << c.what;
        EXPECT_TRUE(error.startsWith(path + QStringLiteral(": "))) << error.toStdString();
        EXPECT_TRUE(error.endsWith(qt_error_string(EFBIG))) << c.what << ": " << error.toStdString();
    }
    // nothing else is left beside it
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files), QStringList{QStringLiteral("plik.xml")});

    const Result<> written = writeFileSafely(path, "nowy");
    ASSERT_TRUE(written) << written.reason().toStdString();
    EXPECT_EQ(home.read(QStringLiteral("plik.xml")), "nowy");
}

TEST(SafeFile, StreamedWritesArriveWholeAndInOrder)
{
    TempHome home;
    SafeFile file(home.file(QStringLiteral("a.txt")));
    ASSERT_TRUE(file.open());
    QByteArray expected;
    for (int i = 0; i < 20000; ++i) {
        const QByteArray part = QByteArray::number(i) + (i % 7 ? "," : QByteArray(70000, 'y'));
        expected += part;
        ASSERT_TRUE(file.write(part));
    }
    ASSERT_TRUE(file.commit()) << file.errorString().toStdString();
    EXPECT_EQ(home.read(QStringLiteral("a.txt")), expected);
}

} // namespace
