#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// importLines: the decoded lines of one input file, kept as read (untrimmed, empty lines
// included). One decoded text and the offsets of its lines, not one string per line.
class LineList
{
public:
    enum class CodePage
    {
        Windows1250,
        Utf8,
        Ibm852
    };

    // Reads and decodes a whole file; returns an empty string on success, otherwise why it
    // failed (naming the file).
    QString read(const QString &path, CodePage codePage);
    void setText(const QString &text); // cuts a decoded text into lines
    void clear();

    int count() const { return int(m_starts.size()); }
    QStringView line(int i) const;

private:
    QString m_text;
    std::vector<qsizetype> m_starts;
    std::vector<qsizetype> m_ends;
};
