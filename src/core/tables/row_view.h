#pragma once

#include "base/result.h"
#include "tables/field_def.h"

#include <QDate>
#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class DocumentTable;

// How a grid finds, orders and narrows the records of a table without touching the table:
// every answer is a list of presented positions (or stored rows) in the grid's order, the
// table's own order stays what the writer walks.
namespace RowView {

// Called often during a long walk with how far it got; the window lets its events run and
// may stop the walk by throwing (CommandCancelled).
using Pump = std::function<void(qint64 done, qint64 total)>;

// A text's key in Polish alphabetical order, compared byte by byte: letters by the Polish
// alphabet whatever their case (a ą b c ć d e ę … ł … ń … ó … ś … ź ż), letters with other
// accents beside their base letter, a run of digits as a number ("FV/2" before "FV/10"),
// spaces and punctuation before digits and digits before letters.
std::string collationKey(QStringView text);
// Appends the key to `out` (one buffer for a whole column).
void appendCollationKey(QStringView text, std::string &out);

// One column's condition, as the user writes it in the filter field:
//   text            the value contains it, letter case aside (a text field); equals it (others)
//   =text           the value is exactly the text, letter case aside
//   a..b  >a  >=a  <a  <=a   a range of numbers or dates (ends included in "a..b")
//   puste / niepuste   the value is empty / is not
struct Condition
{
    enum class Kind
    {
        Contains,
        Equals,
        Range,
        Empty,
        NotEmpty
    };
    int field = -1;
    FieldType type = FieldType::String;
    Kind kind = Kind::Contains;
    QString text;   // the condition as written, for the window's list of filters
    QString needle; // Contains / Equals on a text field
    double low = 0, high = 0;
    bool hasLow = false, hasHigh = false;
    bool lowOpen = false, highOpen = false; // ">" and "<" leave the end out

    bool matches(const DocumentTable &table, int row) const;
};

// The condition a text makes for a field, or why the text is not one (in the user's words).
Result<Condition> parseCondition(const FieldDef &field, int fieldIndex, const QString &text);

// The presented positions (in table order) whose records meet every condition and `keep`
// (when given; it gets the stored row).
std::vector<int> filterPositions(const DocumentTable &table, const std::vector<Condition> &conditions,
                                 const std::function<bool(int row)> &keep, const Pump &pump);

// Puts presented positions in the order of a field's values: numbers as numbers, dates as
// dates, texts in Polish order, empty values first; equal values keep the order they had.
// `descending` reverses the values' order, not that of equal ones. The comparing runs on a
// helper thread while this one pumps.
void sortPositions(const DocumentTable &table, int field, bool descending, std::vector<int> &positions,
                   const Pump &pump);

// The rows of one text field found by their whole value at once (an invoice's number among
// millions): a sorted list of the values' hashes, built once and checked against the table
// at every look-up, so that a changed or deleted record is never answered wrongly. Records
// added or changed since the build are looked through one by one until there are many.
class TextIndex
{
public:
    bool isBuilt() const { return m_built; }
    void build(const DocumentTable &table, int field, const Pump &pump);
    void invalidate();
    // A stored row was added or changed: looked at by every look-up until the next build.
    void noteRow(int row);
    // Whether so many rows changed that a build is worth it.
    bool wantsBuild() const { return !m_built || m_recent.size() > kMaxRecent; }
    // The stored rows whose value is `text` (letter case aside, spaces around aside), in order.
    std::vector<int> rowsOf(const DocumentTable &table, QStringView text) const;
    int field() const { return m_field; }

private:
    static constexpr size_t kMaxRecent = 4096;
    std::vector<std::pair<quint64, int>> m_entries; // hash, stored row
    std::vector<int> m_recent;
    int m_field = -1;
    bool m_built = false;
};

// The hash TextIndex keeps: the same for texts that differ only in letter case and in the
// spaces around them.
quint64 foldedHash(QStringView text);

} // namespace RowView
