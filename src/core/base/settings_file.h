#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "base/result.h"

// The INI-style settings file of one configuration, held in memory for the whole run and
// written back in one piece at the end. Unknown sections and keys survive a round trip;
// the file keeps the encoding it was read in.
class SettingsFile
{
public:
    enum class Encoding
    {
        Windows1250,
        Utf8Bom,
        Utf16LeBom,
        Utf16BeBom
    };

    // Reads the file; a missing or unreadable file leaves an empty document (created anew
    // when saved). Returns whether a file was read.
    bool load(const QString &path);
    void loadFromBytes(const QByteArray &bytes);
    // Writes the whole document to path() in one piece through a temporary file. A file that
    // is read-only on disk (or no path at all) is left alone, which is no failure; a failed
    // write leaves the old file as it was and says why.
    Result<> save() const;

    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    Encoding encoding() const { return m_encoding; }

    bool hasSection(const QString &section) const;
    bool hasKey(const QString &section, const QString &key) const;
    std::optional<QString> value(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key, const QString &fallback) const;
    // Sets a value; a new key goes to the end of its section, a new section to the end of the file.
    void setValue(const QString &section, const QString &key, const QString &value);
    void eraseSection(const QString &section);
    QStringList sections() const;
    QStringList keys(const QString &section) const;

    QByteArray toBytes() const;

    // "TRUE"/"YES"/"Y" and "FALSE"/"NO"/"N" in any letter case, otherwise an integer
    // (non-zero is true); none for anything else.
    static std::optional<bool> parseBool(const QString &text);
    static std::optional<int> parseInt(const QString &text);
    static QString boolText(bool value) { return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

private:
    struct Entry
    {
        QString key;
        QString value;
        bool hasValue = true;
    };
    struct Section
    {
        QString name;
        QList<Entry> entries;
    };
    const Section *findSection(const QString &name) const;
    Section *findSection(const QString &name);

    QString m_path;
    Encoding m_encoding = Encoding::Windows1250;
    QList<Section> m_sections;
    QHash<QString, qsizetype> m_sectionIndex; // a section's name, case-folded → its place
    void indexSections();
};

// Trims characters of code 32 or less at both ends.
QString trimControl(const QString &text);
