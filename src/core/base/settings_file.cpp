#include "base/settings_file.h"

#include "base/safe_file.h"
#include "base/text_codec.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

QString trimControl(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    if (begin == 0 && end == text.size())
        return text;
    return text.mid(begin, end - begin);
}

bool SettingsFile::load(const QString &path)
{
    m_path = path;
    m_sections.clear();
    m_sectionIndex.clear();
    m_encoding = Encoding::Windows1250;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    loadFromBytes(file.readAll());
    return true;
}

void SettingsFile::loadFromBytes(const QByteArray &bytes)
{
    m_sections.clear();
    m_sectionIndex.clear();
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        m_encoding = Encoding::Utf8Bom;
        text = QString::fromUtf8(bytes.mid(3));
    } else if (bytes.startsWith("\xFF\xFE")) {
        m_encoding = Encoding::Utf16LeBom;
        QStringDecoder decoder(QStringConverter::Utf16LE);
        text = decoder(bytes.mid(2));
    } else if (bytes.startsWith("\xFE\xFF")) {
        m_encoding = Encoding::Utf16BeBom;
        QStringDecoder decoder(QStringConverter::Utf16BE);
        text = decoder(bytes.mid(2));
    } else {
        m_encoding = Encoding::Windows1250;
        QStringDecoder decoder("windows-1250");
        text = decoder.isValid() ? decoder.decode(bytes) : QString::fromLatin1(bytes);
    }

    Section *current = nullptr;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos <= n) {
        qsizetype end = pos;
        while (end < n && text.at(end) != u'\r' && text.at(end) != u'\n')
            ++end;
        const QString line = trimControl(text.mid(pos, end - pos));
        if (end < n && text.at(end) == u'\r' && end + 1 < n && text.at(end + 1) == u'\n')
            ++end;
        pos = end + 1;

        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name = trimControl(line.mid(1, line.size() - 2));
            current = findSection(name);
            if (!current) {
                m_sectionIndex.insert(name.toCaseFolded(), m_sections.size());
                m_sections.append(Section{name, {}});
                current = &m_sections.last();
            }
            continue;
        }
        if (!current)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        Entry entry;
        if (eq < 0) {
            entry.key = line;
            entry.hasValue = false;
        } else {
            entry.key = trimControl(line.left(eq));
            entry.value = trimControl(line.mid(eq + 1));
        }
        current->entries.append(entry);
    }
}

QByteArray SettingsFile::toBytes() const
{
    QString text;
    for (const Section &section : m_sections) {
        text += u'[' + section.name + u"]\r\n";
        for (const Entry &entry : section.entries) {
            text += entry.key;
            if (entry.hasValue)
                text += u'=' + entry.value;
            text += u"\r\n";
        }
        text += u"\r\n";
    }
    switch (m_encoding) {
    case Encoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case Encoding::Utf16LeBom: {
        QStringEncoder encoder(QStringConverter::Utf16LE);
        return QByteArray("\xFF\xFE") + QByteArray(encoder(text));
    }
    case Encoding::Utf16BeBom: {
        QStringEncoder encoder(QStringConverter::Utf16BE);
        return QByteArray("\xFE\xFF") + QByteArray(encoder(text));
    }
    case Encoding::Windows1250:
        break;
    }
    return TextCodec::toWindows1250(text);
}

Result<> SettingsFile::save() const
{
    // a settings file made read-only is how a user keeps it as it is: nothing is written, and
    // that is no failure
    if (m_path.isEmpty())
        return {};
    QFile existing(m_path);
    if (existing.exists() && !(existing.permissions() & QFileDevice::WriteOwner))
        return {};
    return writeFileSafely(m_path, toBytes());
}

// Sections are found through an index: a file of 300,000 sections loads in linear time.
void SettingsFile::indexSections()
{
    m_sectionIndex.clear();
    for (qsizetype i = 0; i < m_sections.size(); ++i)
        m_sectionIndex.insert(m_sections.at(i).name.toCaseFolded(), i);
}

const SettingsFile::Section *SettingsFile::findSection(const QString &name) const
{
    const auto it = m_sectionIndex.constFind(name.toCaseFolded());
    return it == m_sectionIndex.cend() ? nullptr : &m_sections.at(*it);
}

SettingsFile::Section *SettingsFile::findSection(const QString &name)
{
    const auto it = m_sectionIndex.constFind(name.toCaseFolded());
    return it == m_sectionIndex.cend() ? nullptr : &m_sections[*it];
}

bool SettingsFile::hasSection(const QString &section) const
{
    return findSection(section) != nullptr;
}

bool SettingsFile::hasKey(const QString &section, const QString &key) const
{
    return value(section, key).has_value();
}

std::optional<QString> SettingsFile::value(const QString &section, const QString &key) const
{
    const Section *s = findSection(section);
    if (!s)
        return std::nullopt;
    for (const Entry &entry : s->entries)
        if (entry.key.compare(key, Qt::CaseInsensitive) == 0)
            return entry.value;
    return std::nullopt;
}

QString SettingsFile::value(const QString &section, const QString &key, const QString &fallback) const
{
    return value(section, key).value_or(fallback);
}

void SettingsFile::setValue(const QString &section, const QString &key, const QString &value)
{
    Section *s = findSection(section);
    if (!s) {
        m_sectionIndex.insert(section.toCaseFolded(), m_sections.size());
        m_sections.append(Section{section, {}});
        s = &m_sections.last();
    }
    for (Entry &entry : s->entries) {
        if (entry.key.compare(key, Qt::CaseInsensitive) == 0) {
            entry.value = value;
            entry.hasValue = true;
            return;
        }
    }
    s->entries.append(Entry{key, value, true});
}

void SettingsFile::eraseSection(const QString &section)
{
    for (qsizetype i = 0; i < m_sections.size(); ++i) {
        if (m_sections.at(i).name.compare(section, Qt::CaseInsensitive) == 0) {
            m_sections.removeAt(i);
            indexSections();
            return;
        }
    }
}

QStringList SettingsFile::sections() const
{
    QStringList names;
    for (const Section &section : m_sections)
        names << section.name;
    return names;
}

QStringList SettingsFile::keys(const QString &section) const
{
    QStringList names;
    if (const Section *s = findSection(section))
        for (const Entry &entry : s->entries)
            names << entry.key;
    return names;
}

std::optional<bool> SettingsFile::parseBool(const QString &text)
{
    const QString t = text.toUpper();
    if (t == u"TRUE" || t == u"YES" || t == u"Y")
        return true;
    if (t == u"FALSE" || t == u"NO" || t == u"N")
        return false;
    if (const auto number = parseInt(text))
        return *number != 0;
    return std::nullopt;
}

std::optional<int> SettingsFile::parseInt(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}
