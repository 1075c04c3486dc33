#include "import/line_list.h"

#include "tables/pod_array.h"

#include <cstring>

#include <limits>

#include <QFile>
#include <QStringDecoder>
#include <array>

namespace {
const char *codecName(LineList::CodePage codePage)
{
    switch (codePage) {
    case LineList::CodePage::Utf8:
        return "UTF-8";
    case LineList::CodePage::Ibm852:
        return "IBM852";
    case LineList::CodePage::Windows1250:
        break;
    }
    return "windows-1250";
}

constexpr char16_t kNoCharacter = 0xFFFF;

// The characters of a single-byte code page, byte by byte, as the system's converter reads
// them (kNoCharacter for a byte that is no text); a table lookup then decodes a line.
const char16_t *byteTable(LineList::CodePage codePage)
{
    static const auto build = [](const char *name) {
        std::array<char16_t, 256> table{};
        for (int b = 0; b < 256; ++b) {
            QStringDecoder decoder(name, QStringConverter::Flag::Stateless);
            const char byte = char(b);
            const QString c = decoder.decode(QByteArrayView(&byte, 1));
            table[size_t(b)] = decoder.hasError() || c.size() != 1 ? kNoCharacter : c.at(0).unicode();
        }
        return table;
    };
    static const std::array<char16_t, 256> windows1250 = build("windows-1250");
    static const std::array<char16_t, 256> ibm852 = build("IBM852");
    switch (codePage) {
    case LineList::CodePage::Windows1250:
        return windows1250.data();
    case LineList::CodePage::Ibm852:
        return ibm852.data();
    case LineList::CodePage::Utf8:
        break;
    }
    return nullptr;
}

QString pageName(LineList::CodePage codePage)
{
    switch (codePage) {
    case LineList::CodePage::Utf8:
        return QStringLiteral("UTF-8");
    case LineList::CodePage::Ibm852:
        return QStringLiteral("DOS-CP852");
    case LineList::CodePage::Windows1250:
        break;
    }
    return QStringLiteral("Windows 1250");
}
} // namespace

Result<> LineList::read(const QString &path, CodePage codePage)
{
    clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
    // read to the byte: a growing buffer would hold half as much again of a large export
    const qint64 size = file.size();
    QByteArray bytes(size > 0 ? size : 0, Qt::Uninitialized);
    PodPages::adviseLarge(bytes.data(), size_t(bytes.size()));
    if (size > 0) {
        const qint64 got = file.read(bytes.data(), size);
        if (got < 0)
            return Failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
        bytes.truncate(got);
    }
    if (size == 0 && !file.atEnd())
        bytes = file.readAll(); // a device that tells no size
    if (file.error() != QFileDevice::NoError)
        return Failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (codePage == CodePage::Utf8 && bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    // a character of code 0 is no text: what stood after it would be lost without a word, so
    // the file is refused whole, with the line that holds it
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        return Failure(
            path + QStringLiteral(": wiersz ") +
            QString::number(QByteArrayView(bytes.constData(), nul).count('\n') + 1) +
            QStringLiteral(" zawiera znak o kodzie 0 – plik jest uszkodzony albo nie jest tekstem; dalszej części "
                           "pliku nie wczytano i nic nie zmieniono"));
    QStringDecoder check(codecName(codePage), QStringConverter::Flag::Stateless);
    if (!check.isValid())
        return Failure(QStringLiteral("%1: strona kodowa %2 jest niedostępna").arg(path, pageName(codePage)));
    const char16_t *table = byteTable(codePage);
    qsizetype bad = -1;
    if (table) {
        const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
        for (qsizetype i = 0; i < bytes.size() && bad < 0; ++i)
            if (table[data[i]] == kNoCharacter)
                bad = i;
    } else {
        // the whole text is decoded once, a piece at a time, only to find bytes that are no
        // text; pieces end at a line feed, which is never part of a character
        constexpr qsizetype kPiece = 1 << 20;
        for (qsizetype at = 0; at < bytes.size() && !check.hasError();) {
            qsizetype end = std::min(at + kPiece, bytes.size());
            const qsizetype feed = end < bytes.size() ? bytes.indexOf('\n', end) : -1;
            end = feed < 0 ? bytes.size() : feed + 1;
            const QString piece = check.decode(QByteArrayView(bytes.constData() + at, end - at));
            Q_UNUSED(piece);
            if (check.hasError())
                bad = at;
            at = end;
        }
    }
    if (bad >= 0) {
        QStringDecoder whole(codecName(codePage), QStringConverter::Flag::Stateless);
        const QString text = whole.decode(bytes);
        const qsizetype replaced = text.indexOf(QChar(QChar::ReplacementCharacter));
        const qsizetype line = replaced < 0 ? -1 : QStringView(text).left(replaced).count(u'\n') + 1;
        return Failure(path + QStringLiteral(": plik zawiera bajty, które nie są tekstem w stronie kodowej ") +
                       pageName(codePage) + QStringLiteral(" (wiersz ") + QString::number(line) + u')');
    }
    m_bytes = std::move(bytes);
    m_codePage = codePage;
    m_table = byteTable(codePage);
    cutLines();
    // lines are numbered with an int everywhere a pass reads them
    if (m_starts.size() > size_t(std::numeric_limits<int>::max())) {
        clear();
        return Failure(path + QStringLiteral(": plik ma więcej niż 2 147 483 647 wierszy; podziel go na mniejsze"));
    }
    return {};
}

// Line breaks are CR, LF or CR LF; in these code pages those bytes are never part of a
// character, so the lines are cut in the bytes.
void LineList::cutLines()
{
    const char *data = m_bytes.constData();
    const qsizetype n = m_bytes.size();
    qsizetype start = 0;
    // every CR followed by LF (or none at all): the lines end at the line feeds, counted first
    // so that the list is made once, to size
    const char *end = data + n;
    bool loneReturn = false;
    for (const char *at = data; (at = static_cast<const char *>(std::memchr(at, '\r', size_t(end - at)))); ++at) {
        if (at + 1 == end || at[1] != '\n') {
            loneReturn = true;
            break;
        }
    }
    if (!loneReturn) {
        size_t lines = 0;
        for (const char *at = data; (at = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at)))); ++at)
            ++lines;
        m_starts.reserve(lines + 1);
        for (const char *at = data; (at = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at))));) {
            m_starts.push_back(start);
            start = ++at - data;
        }
        if (start < n)
            m_starts.push_back(start);
        return;
    }
    for (qsizetype i = 0; i < n; ++i) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            m_starts.push_back(start);
            if (c == '\r' && i + 1 < n && data[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    // a line break at the very end adds no empty line; an empty text has no lines
    if (start < n)
        m_starts.push_back(start);
    m_starts.shrink_to_fit();
}

void LineList::clear()
{
    m_bytes.clear();
    m_starts.clear();
    m_starts.shrink_to_fit();
}

QByteArrayView LineList::bytesOf(int i) const
{
    const qsizetype start = m_starts[size_t(i)];
    qsizetype end = size_t(i) + 1 < m_starts.size() ? m_starts[size_t(i) + 1] : m_bytes.size();
    // the last line may have no break; the others end with CR, LF or CR LF
    if (end > start && m_bytes.at(end - 1) == '\n')
        --end;
    if (end > start && m_bytes.at(end - 1) == '\r')
        --end;
    return QByteArrayView(m_bytes.constData() + start, end - start);
}

void LineList::readLine(int i, QString *into) const
{
    if (i < 0 || i >= count()) {
        into->clear();
        return;
    }
    const QByteArrayView bytes = bytesOf(i);
    // a UTF-16 text is never longer than the bytes it was decoded from
    into->resize(bytes.size());
    if (!m_table) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        const QChar *end = utf8.appendToBuffer(into->data(), bytes);
        into->resize(end - into->constData());
        return;
    }
    char16_t *out = reinterpret_cast<char16_t *>(into->data());
    for (qsizetype k = 0; k < bytes.size(); ++k)
        out[k] = m_table[uchar(bytes[k])];
}

QString LineList::line(int i) const
{
    QString text;
    readLine(i, &text);
    return text;
}

int LineList::find(const QString &text, int from) const
{
    // the bytes of the text in the file's code page: a line equals the text when its bytes do
    QStringEncoder encoder(codecName(m_codePage), QStringConverter::Flag::Stateless);
    const QByteArray wanted = encoder.encode(text);
    if (encoder.hasError())
        return -1;
    for (int i = std::max(from, 0); i < count(); ++i)
        if (bytesOf(i) == wanted)
            return i;
    return -1;
}
