#include "import/line_list.h"

#include <QFile>
#include <QStringDecoder>

QString LineList::read(const QString &path, CodePage codePage)
{
    clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    const char *name = "windows-1250";
    QString pageName = QStringLiteral("Windows 1250");
    if (codePage == CodePage::Utf8) {
        name = "UTF-8";
        pageName = QStringLiteral("UTF-8");
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
    } else if (codePage == CodePage::Ibm852) {
        name = "IBM852";
        pageName = QStringLiteral("DOS-CP852");
    }
    // a character of code 0 ends the text
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    QStringDecoder decoder(name, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return QStringLiteral("%1: the code page %2 is not available").arg(path, pageName);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        const qsizetype bad = text.indexOf(QChar(QChar::ReplacementCharacter));
        const qsizetype line = bad < 0 ? -1 : QStringView(text).left(bad).count(u'\n') + 1;
        return QStringLiteral("%1: the file holds bytes that are not text in the code page %2 (line %3)")
            .arg(path, pageName)
            .arg(line);
    }
    setText(text);
    return QString();
}

void LineList::setText(const QString &text)
{
    clear();
    m_text = text;
    const qsizetype n = m_text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = m_text.at(i);
        if (c == u'\r' || c == u'\n') {
            m_starts.push_back(start);
            m_ends.push_back(i);
            if (c == u'\r' && i + 1 < n && m_text.at(i + 1) == u'\n')
                ++i;
            start = i + 1;
        }
    }
    // a line break at the very end adds no empty line; an empty text has no lines
    if (start < n) {
        m_starts.push_back(start);
        m_ends.push_back(n);
    }
}

void LineList::clear()
{
    m_text.clear();
    m_starts.clear();
    m_ends.clear();
}

QStringView LineList::line(int i) const
{
    if (i < 0 || i >= count())
        return QStringView();
    return QStringView(m_text).mid(m_starts[size_t(i)], m_ends[size_t(i)] - m_starts[size_t(i)]);
}
