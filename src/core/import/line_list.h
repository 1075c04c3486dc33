#pragma once

#include "base/result.h"

#include <QByteArray>
#include <QString>
#include <vector>

// importLines: the lines of one input file, kept as read (untrimmed, empty lines included).
// The file's bytes are kept, not a decoded copy: a line is decoded when it is asked for, so
// a large export costs its own size in memory once.
class LineList
{
public:
    enum class CodePage
    {
        Windows1250,
        Utf8,
        Ibm852
    };

    // Reads a whole file and checks that all of it is text in the code page, or says why not
    // (naming the file).
    Result<> read(const QString &path, CodePage codePage);
    void clear();

    int count() const { return int(m_starts.size()); }
    QString line(int i) const;
    // The same into a string the caller keeps from line to line: once it has grown to the
    // longest line, reading a line allocates nothing.
    void readLine(int i, QString *into) const;
    // The first line from `from` on that equals text, or -1.
    int find(const QString &text, int from) const;

private:
    void cutLines();
    QByteArrayView bytesOf(int i) const;

    QByteArray m_bytes;
    CodePage m_codePage = CodePage::Utf8;
    const char16_t *m_table = nullptr; // a single-byte code page's characters, byte by byte
    std::vector<qsizetype> m_starts;   // a line ends where the next one starts, less its line break
};
