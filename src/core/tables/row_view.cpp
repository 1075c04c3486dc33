#include "tables/row_view.h"

#include "tables/display_text.h"
#include "tables/document_table.h"

#include <QElapsedTimer>
#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <exception>
#include <limits>
#include <thread>

namespace RowView {

namespace {

// The Polish alphabet; other letters of the Latin script sort beside their base letter.
constexpr char16_t kAlphabet[] = u"aąbcćdeęfghijklłmnńoópqrsśtuvwxyzźż";
constexpr unsigned char kLetterBase = 0x80;
constexpr unsigned char kOtherScript = 0xF0;
constexpr unsigned char kDigitRun = 0x40;
const QString kPunctuation = QStringLiteral("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~");

int letterWeight(char16_t lower)
{
    for (int i = 0; kAlphabet[i]; ++i)
        if (kAlphabet[i] == lower)
            return i;
    return -1;
}

// The weight of a letter, its base letter's when it is not in the alphabet (é as e); -1 for
// a letter of another script.
int weightOf(QChar c)
{
    const QChar lower = c.toLower();
    int w = letterWeight(lower.unicode());
    if (w >= 0)
        return w;
    const QString decomposed = lower.decomposition();
    if (!decomposed.isEmpty())
        w = letterWeight(decomposed.at(0).toLower().unicode());
    return w;
}

} // namespace

void appendCollationKey(QStringView text, std::string &out)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 0x80) {
            // a run of digits: its length without leading zeros, then the digits
            qsizetype end = i;
            while (end < n && text[end].unicode() >= u'0' && text[end].unicode() <= u'9')
                ++end;
            qsizetype first = i;
            while (first < end - 1 && text[first] == u'0')
                ++first;
            out.push_back(char(kDigitRun + std::min<qsizetype>(end - first, 0x3F)));
            for (qsizetype d = first; d < end; ++d)
                out.push_back(char(text[d].unicode()));
            i = end;
            continue;
        }
        ++i;
        if (c.isSpace()) {
            out.push_back(char(0x01));
        } else if (const qsizetype p = c.unicode() < 0x80 ? kPunctuation.indexOf(c) : -1; p >= 0) {
            out.push_back(char(0x02 + p));
        } else if (const int w = c.isLetter() ? weightOf(c) : -1; w >= 0) {
            out.push_back(char(kLetterBase + 2 * w));
        } else {
            // anything else after the Polish letters, in the order of its code
            out.push_back(char(kOtherScript));
            out.push_back(char(c.unicode() >> 8));
            out.push_back(char(c.unicode() & 0xFF));
        }
    }
}

std::string collationKey(QStringView text)
{
    std::string key;
    appendCollationKey(text, key);
    return key;
}

quint64 foldedHash(QStringView text)
{
    text = text.trimmed();
    quint64 h = 1469598103934665603ULL;
    for (const QChar c : text) {
        char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z')
            u = char16_t(u + 32);
        else if (u >= 0x80)
            u = c.toLower().unicode();
        h = (h ^ u) * 1099511628211ULL;
    }
    return h;
}

namespace {

// Lets the pump run every so many milliseconds, not at every record; always at the first step,
// so that a walk can be stopped before it starts whatever the machine's speed.
class Pacer
{
public:
    explicit Pacer(const Pump &pump) : m_pump(pump) {}
    void step(qint64 done, qint64 total)
    {
        if (m_pump && (!m_clock.isValid() || m_clock.elapsed() >= 20)) {
            m_pump(done, total);
            m_clock.start();
        }
    }

private:
    const Pump &m_pump;
    QElapsedTimer m_clock;
};

bool isEmptyAt(const DocumentTable &table, int row, const FieldDef &def, int field)
{
    if (table.isNullAt(row, field))
        return true;
    return def.type == FieldType::String && table.stringViewAt(row, field).trimmed().isEmpty();
}

// A number, a day or a truth value the way the filter compares them.
bool readValue(FieldType type, const QString &text, double *value)
{
    const QString t = text.trimmed();
    switch (type) {
    case FieldType::Date: {
        const QDate d = DisplayText::readDate(t);
        if (!d.isValid())
            return false;
        *value = double(d.toJulianDay());
        return true;
    }
    case FieldType::Boolean: {
        const QString l = t.toLower();
        if (l == u"tak" || l == u"1" || l == u"true") {
            *value = 1;
            return true;
        }
        if (l == u"nie" || l == u"0" || l == u"false") {
            *value = 0;
            return true;
        }
        return false;
    }
    case FieldType::Integer:
    case FieldType::Float:
        return DisplayText::readNumber(t, value);
    case FieldType::String:
        break;
    }
    return false;
}

double numericAt(const DocumentTable &table, int row, int field, FieldType type)
{
    switch (type) {
    case FieldType::Float:
        return table.floatAt(row, field);
    case FieldType::Integer:
        return double(table.intAt(row, field));
    case FieldType::Date:
        return double(table.dayAt(row, field));
    case FieldType::Boolean:
        return table.valueAt(row, field).toBool() ? 1 : 0;
    case FieldType::String:
        break;
    }
    return 0;
}

} // namespace

bool Condition::matches(const DocumentTable &table, int row) const
{
    const FieldDef &def = table.fields().at(field);
    switch (kind) {
    case Kind::Empty:
        return isEmptyAt(table, row, def, field);
    case Kind::NotEmpty:
        return !isEmptyAt(table, row, def, field);
    case Kind::Contains:
        return table.stringViewAt(row, field).contains(needle, Qt::CaseInsensitive);
    case Kind::Equals:
        return table.stringViewAt(row, field).trimmed().compare(needle, Qt::CaseInsensitive) == 0;
    case Kind::Range: {
        if (table.isNullAt(row, field))
            return false;
        const double v = numericAt(table, row, field, type);
        // amounts compare to the millionth: 0.1 + 0.2 is 0.3 to a user
        const double eps = type == FieldType::Float ? 5e-7 : 0;
        if (hasLow && (lowOpen ? v <= low + eps : v < low - eps))
            return false;
        if (hasHigh && (highOpen ? v >= high - eps : v > high + eps))
            return false;
        return true;
    }
    }
    return false;
}

Result<Condition> parseCondition(const FieldDef &def, int fieldIndex, const QString &written)
{
    Condition c;
    c.field = fieldIndex;
    c.type = def.type;
    const QString text = written.trimmed();
    c.text = text;
    const QString lower = text.toLower();
    if (lower == u"puste" || lower == u"(puste)") {
        c.kind = Condition::Kind::Empty;
        return c;
    }
    if (lower == u"niepuste" || lower == u"(niepuste)") {
        c.kind = Condition::Kind::NotEmpty;
        return c;
    }
    if (def.type == FieldType::String) {
        if (text.startsWith(u'=')) {
            c.kind = Condition::Kind::Equals;
            c.needle = text.mid(1).trimmed();
        } else {
            c.kind = Condition::Kind::Contains;
            c.needle = text;
        }
        return c;
    }
    const QString name = def.label.isEmpty() ? def.name : QStringLiteral("%1 (%2)").arg(def.name, def.label);
    auto refuse = [&] {
        const QString example = def.type == FieldType::Date      ? QStringLiteral("01.08.2023..31.08.2023")
                                : def.type == FieldType::Boolean ? QStringLiteral("tak albo nie")
                                                                 : QStringLiteral("100..200, >1000, <=0");
        return Failure(QStringLiteral("„%1” nie jest warunkiem dla pola %2; oczekiwane np. %3, puste, niepuste.")
                           .arg(text, name, example));
    };
    c.kind = Condition::Kind::Range;
    const qsizetype dots = text.indexOf(QStringLiteral(".."));
    if (dots >= 0) {
        const QString a = text.left(dots).trimmed(), b = text.mid(dots + 2).trimmed();
        c.hasLow = !a.isEmpty();
        c.hasHigh = !b.isEmpty();
        if ((!c.hasLow && !c.hasHigh) || (c.hasLow && !readValue(def.type, a, &c.low)) ||
            (c.hasHigh && !readValue(def.type, b, &c.high)))
            return refuse();
        return c;
    }
    struct Op
    {
        const char *sign;
        bool low, open;
    };
    for (const Op op : {Op{">=", true, false}, Op{"<=", false, false}, Op{">", true, true}, Op{"<", false, true},
                        Op{"=", true, false}}) {
        const QString sign = QString::fromLatin1(op.sign);
        if (!text.startsWith(sign))
            continue;
        double v = 0;
        if (!readValue(def.type, text.mid(sign.size()), &v))
            return refuse();
        if (sign == u"=") {
            c.hasLow = c.hasHigh = true;
            c.low = c.high = v;
        } else if (op.low) {
            c.hasLow = true;
            c.low = v;
            c.lowOpen = op.open;
        } else {
            c.hasHigh = true;
            c.high = v;
            c.highOpen = op.open;
        }
        return c;
    }
    double v = 0;
    if (!readValue(def.type, text, &v))
        return refuse();
    c.hasLow = c.hasHigh = true;
    c.low = c.high = v;
    return c;
}

std::vector<int> filterPositions(const DocumentTable &table, const std::vector<Condition> &conditions,
                                 const std::function<bool(int row)> &keep, const Pump &pump)
{
    std::vector<int> shown;
    const int count = table.recordCount();
    Pacer pacer(pump);
    for (int position = 0; position < count; ++position) {
        if ((position & 1023) == 0)
            pacer.step(position, count);
        const int row = table.presentedRow(position);
        bool ok = true;
        for (const Condition &c : conditions)
            if (!c.matches(table, row)) {
                ok = false;
                break;
            }
        if (ok && keep && !keep(row))
            ok = false;
        if (ok)
            shown.push_back(position);
    }
    return shown;
}

namespace {

// What the helper thread compares: an order-keeping number, or a text's key (its first eight
// bytes as a number, the rest in the buffer), then the position it had.
struct Entry
{
    quint64 key;
    quint32 offset; // the text key in the buffer
    quint32 length;
    int position;
};

quint64 orderedBits(double d)
{
    const quint64 bits = std::bit_cast<quint64>(d);
    return (bits >> 63) ? ~bits : bits | (quint64(1) << 63);
}

quint64 prefixOf(const std::string &keys, size_t offset, size_t length)
{
    quint64 p = 0;
    for (size_t i = 0; i < 8; ++i)
        p = (p << 8) | (i < length ? quint64(quint8(keys[offset + i])) : 0);
    return p; // a key's bytes are never 0: the null key (0) stays below every value
}

struct Stopped
{
};

// Sorts on a helper thread while this one pumps: the gauge goes from `from` to `total` with
// the comparisons made (about n·log2(n)); a pump that throws stops the helper first.
template <typename T, typename Less>
void sortAside(std::vector<T> &values, Less less, const Pump &pump, qint64 from, qint64 total,
               const std::function<void()> &then = {})
{
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::atomic<qint64> compared{0};
    std::exception_ptr failed;
    // measured before the helper starts: once it runs, `values` is its own (it may free them)
    const double n = double(std::max<size_t>(values.size(), 2));
    const double expected = n * std::log2(n) * 1.2;
    std::thread helper([&] {
        qint64 local = 0;
        auto counting = [&](const T &a, const T &b) {
            if ((++local & 0xFFFF) == 0) {
                compared.store(local, std::memory_order_relaxed);
                if (stop.load(std::memory_order_relaxed))
                    throw Stopped{};
            }
            return less(a, b);
        };
        try {
            std::sort(values.begin(), values.end(), counting);
            if (then && !stop.load())
                then(); // what follows the sort and needs no table, on this side too
        } catch (const Stopped &) {
        } catch (...) {
            failed = std::current_exception();
        }
        done.store(true);
    });
    try {
        // the pump runs at least once, however soon the helper is done
        do {
            if (pump) {
                const double part = std::min(0.99, double(compared.load(std::memory_order_relaxed)) / expected);
                pump(from + qint64(part * double(total - from)), total);
            }
            if (!done.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(15));
        } while (!done.load());
    } catch (...) {
        stop.store(true);
        helper.join();
        throw;
    }
    helper.join();
    if (failed)
        std::rethrow_exception(failed);
}

} // namespace

void sortPositions(const DocumentTable &table, int field, bool descending, std::vector<int> &positions,
                   const Pump &pump)
{
    const FieldType type = table.fields().at(field).type;
    const bool text = type == FieldType::String;
    std::vector<Entry> entries;
    entries.reserve(positions.size());
    std::string keys;
    const qint64 total = qint64(positions.size());
    // the keys are read here, on the table's thread; the helper sorts only what it was given
    Pacer pacer(pump);
    for (size_t i = 0; i < positions.size(); ++i) {
        if ((i & 1023) == 0)
            pacer.step(qint64(i) / 2, total);
        const int row = table.presentedRow(positions[i]);
        Entry e{0, 0, 0, positions[i]};
        if (row >= 0 && !table.isNullAt(row, field)) {
            switch (type) {
            case FieldType::Float:
                e.key = orderedBits(table.floatAt(row, field));
                break;
            case FieldType::Integer:
                e.key = quint64(table.intAt(row, field)) ^ (quint64(1) << 63);
                break;
            case FieldType::Date:
                e.key = quint64(table.dayAt(row, field)) ^ (quint64(1) << 63);
                break;
            case FieldType::Boolean:
                e.key = table.valueAt(row, field).toBool() ? 2 : 1;
                break;
            case FieldType::String: {
                const size_t start = keys.size();
                appendCollationKey(table.stringViewAt(row, field), keys);
                e.offset = quint32(start);
                e.length = quint32(keys.size() - start);
                e.key = prefixOf(keys, start, e.length);
                break;
            }
            }
        }
        entries.push_back(e);
    }

    std::vector<int> sorted;
    auto valueLess = [&](const Entry &a, const Entry &b) {
        if (a.key != b.key)
            return a.key < b.key;
        if (!text || a.length <= 8 || b.length <= 8)
            return a.length < b.length;
        const size_t common = std::min(a.length, b.length) - 8;
        const int c = std::char_traits<char>::compare(keys.data() + a.offset + 8, keys.data() + b.offset + 8, common);
        return c != 0 ? c < 0 : a.length < b.length;
    };
    // equal values keep their positions' order, in either direction
    sortAside(
        entries,
        [&](const Entry &a, const Entry &b) {
            if (valueLess(a, b))
                return !descending;
            if (valueLess(b, a))
                return descending;
            return a.position < b.position;
        },
        pump, total / 2, total,
        [&] {
            // the order out, and the keys freed (a few hundred megabytes at ten million) while
            // the window runs
            sorted.resize(entries.size());
            for (size_t i = 0; i < entries.size(); ++i)
                sorted[i] = entries[i].position;
            std::vector<Entry>().swap(entries);
            std::string().swap(keys);
        });
    // stopped, the positions stay as they were; done, they take the new order at once
    positions.swap(sorted);
}

void TextIndex::invalidate()
{
    m_built = false;
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_recent.clear();
}

void TextIndex::noteRow(int row)
{
    if (m_built)
        m_recent.push_back(row);
}

void TextIndex::build(const DocumentTable &table, int field, const Pump &pump)
{
    invalidate();
    m_field = field;
    const int rows = table.storedCount();
    m_entries.reserve(size_t(rows));
    Pacer pacer(pump);
    for (int row = 0; row < rows; ++row) {
        if ((row & 1023) == 0)
            pacer.step(row, qint64(rows) * 2);
        m_entries.emplace_back(foldedHash(table.stringViewAt(row, field)), row);
    }
    sortAside(m_entries, std::less<>(), pump, rows, qint64(rows) * 2);
    m_built = true;
}

std::vector<int> TextIndex::rowsOf(const DocumentTable &table, QStringView text) const
{
    std::vector<int> rows;
    if (!m_built)
        return rows;
    const QStringView wanted = text.trimmed();
    const quint64 h = foldedHash(wanted);
    auto same = [&](int row) {
        return row < table.storedCount() && table.positionOfStoredRow(row) >= 0 &&
               table.stringViewAt(row, m_field).trimmed().compare(wanted, Qt::CaseInsensitive) == 0;
    };
    const auto range = std::equal_range(m_entries.begin(), m_entries.end(), std::pair<quint64, int>(h, -1),
                                        [](const auto &a, const auto &b) { return a.first < b.first; });
    for (auto it = range.first; it != range.second; ++it)
        if (same(it->second))
            rows.push_back(it->second);
    for (int row : m_recent)
        if (same(row))
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

} // namespace RowView
