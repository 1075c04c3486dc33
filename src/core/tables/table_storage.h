#pragma once

// The storage of the document tables, shared by the files of DocumentTable: the typed column
// and its arena, and the row bitmaps. Not for use outside the tables.
#include "tables/document_table.h"
#include "tables/pod_array.h"

#include <QDate>
#include <limits>
#include <vector>

inline constexpr qint32 kNullDate = std::numeric_limits<qint32>::min();
inline constexpr qint64 kNullInt = std::numeric_limits<qint64>::min();
inline constexpr int kBlockBits = 12; // the deleted-row counts are kept per 4096 rows
inline constexpr int kWordsPerBlock = (1 << kBlockBits) / 64;
inline const std::vector<int> kNoRows;

// Whether row r is marked in a bitmap of one bit a row (rows past its end are not).
inline bool isMarked(const std::vector<quint64> &marked, size_t r)
{
    return r / 64 < marked.size() && (marked[r / 64] >> (r % 64)) & 1U;
}

// The first marked row (the rows before it stay where they are), or `rows` when none is.
inline size_t firstMarked(const std::vector<quint64> &marked, size_t rows)
{
    for (size_t w = 0; w < marked.size(); ++w)
        if (marked[w])
            return std::min(rows, w * 64 + size_t(qCountTrailingZeroBits(marked[w])));
    return rows;
}

// How many of the first `rows` rows are marked.
inline size_t countMarked(const std::vector<quint64> &marked, size_t rows)
{
    size_t n = 0;
    for (size_t w = 0; w < marked.size() && w * 64 < rows; ++w) {
        quint64 bits = marked[w];
        if (rows - w * 64 < 64)
            bits &= (quint64(1) << (rows - w * 64)) - 1;
        n += size_t(qPopulationCount(bits));
    }
    return n;
}

// Keeps the elements whose row is not marked; the order stays.
template <typename T> inline void dropMarked(PodArray<T> &values, const std::vector<quint64> &marked)
{
    size_t kept = firstMarked(marked, values.size());
    for (size_t r = kept; r < values.size(); ++r)
        if (!isMarked(marked, r))
            values[kept++] = values[r];
    values.resize(kept, T());
}

// Typed storage of one field: no heap object per cell. A field nobody filled keeps no
// storage at all. Strings live in one character arena per column; a replaced or deleted
// string leaves garbage that is compacted when it grows.
struct DocumentTable::Column
{
    FieldType type = FieldType::String;
    size_t rows = 0;
    bool used = false;
    PodArray<double> floats;
    PodArray<quint8> floatNull;
    PodArray<qint32> dates; // Julian day
    PodArray<qint8> bools;  // -1 null
    PodArray<qint64> ints;
    PodArray<char16_t> chars;
    // a string's place in the arena and its length: 6 bytes a cell (a field holds at most
    // 256 characters, an arena at most 4 Gi of them)
    PodArray<quint32> start;
    PodArray<qint16> length; // -1 null
    size_t garbage = 0;

    void resizeStorage(size_t n)
    {
        switch (type) {
        case FieldType::Float:
            floats.resize(n, 0.0);
            floatNull.resize(n, 1);
            break;
        case FieldType::Date:
            dates.resize(n, kNullDate);
            break;
        case FieldType::Boolean:
            bools.resize(n, -1);
            break;
        case FieldType::Integer:
            ints.resize(n, kNullInt);
            break;
        case FieldType::String:
            for (size_t r = n; r < length.size(); ++r)
                if (length[r] > 0)
                    garbage += size_t(length[r]);
            start.resize(n, 0);
            length.resize(n, -1);
            break;
        }
    }

    void resize(size_t n)
    {
        if (used)
            resizeStorage(n);
        rows = n;
    }

    void allocate()
    {
        if (used)
            return;
        used = true;
        resizeStorage(rows);
    }

    void clear()
    {
        const FieldType kind = type;
        *this = Column();
        type = kind;
    }

    void dropRows(const std::vector<quint64> &marked)
    {
        if (used) {
            switch (type) {
            case FieldType::Float:
                dropMarked(floats, marked);
                dropMarked(floatNull, marked);
                break;
            case FieldType::Date:
                dropMarked(dates, marked);
                break;
            case FieldType::Boolean:
                dropMarked(bools, marked);
                break;
            case FieldType::Integer:
                dropMarked(ints, marked);
                break;
            case FieldType::String:
                for (size_t r = firstMarked(marked, length.size()); r < length.size(); ++r)
                    if (isMarked(marked, r) && length[r] > 0) {
                        garbage += size_t(length[r]);
                        length[r] = -1;
                    }
                dropMarked(start, marked);
                dropMarked(length, marked);
                // the texts of a few deleted records wait in the arena until they are many
                compactWhenWasteful();
                break;
            }
        }
        rows -= countMarked(marked, rows);
    }

    bool isNull(int row) const
    {
        if (!used)
            return true;
        switch (type) {
        case FieldType::Float:
            return floatNull[row] != 0;
        case FieldType::Date:
            return dates[row] == kNullDate;
        case FieldType::Boolean:
            return bools[row] < 0;
        case FieldType::Integer:
            return ints[row] == kNullInt;
        case FieldType::String:
            return length[row] < 0;
        }
        return true;
    }

    QStringView view(int row) const
    {
        const qint16 len = used ? length[row] : qint16(-1);
        return len <= 0 ? QStringView() : QStringView(chars.data() + start[row], len);
    }

    QString string(int row) const
    {
        const QStringView v = view(row);
        return v.isEmpty() ? QString() : v.toString();
    }

    QVariant get(int row) const
    {
        if (isNull(row))
            return QVariant();
        switch (type) {
        case FieldType::Float:
            return floats[row];
        case FieldType::Date:
            return QDate::fromJulianDay(dates[row]);
        case FieldType::Boolean:
            return bools[row] != 0;
        case FieldType::Integer:
            return ints[row];
        case FieldType::String:
            return string(row);
        }
        return QVariant();
    }

    void setNull(int row)
    {
        if (!used)
            return;
        switch (type) {
        case FieldType::Float:
            floatNull[row] = 1;
            floats[row] = 0.0;
            break;
        case FieldType::Date:
            dates[row] = kNullDate;
            break;
        case FieldType::Boolean:
            bools[row] = -1;
            break;
        case FieldType::Integer:
            ints[row] = kNullInt;
            break;
        case FieldType::String:
            if (length[row] > 0)
                garbage += size_t(length[row]);
            length[row] = -1;
            break;
        }
    }

    void setFloat(int row, double v)
    {
        allocate();
        floatNull[row] = 0;
        floats[row] = v;
    }
    void setDate(int row, qint32 julianDay)
    {
        allocate();
        dates[row] = julianDay;
    }
    void setBool(int row, bool v)
    {
        allocate();
        bools[row] = v ? 1 : 0;
    }
    void setInt(int row, qint64 v)
    {
        allocate();
        ints[row] = v;
    }
    void setString(int row, QStringView s)
    {
        allocate();
        if (length[row] > 0)
            garbage += size_t(length[row]);
        if (chars.size() + size_t(s.size()) > std::numeric_limits<quint32>::max())
            throw std::length_error("kolumna tekstów tabeli przekroczyłaby 4 Gi znaków; "
                                    "podziel dane na mniejsze części"); // a place is 32 bits
        start[row] = quint32(chars.size());
        length[row] = qint16(std::min<qsizetype>(s.size(), std::numeric_limits<qint16>::max()));
        chars.append(s.utf16(), size_t(s.size()));
        compactWhenWasteful();
    }

    // The arena is rewritten once half of it is texts no record holds.
    void compactWhenWasteful()
    {
        if (garbage > 4096 && garbage > chars.size() / 2)
            compact();
    }

    void compact()
    {
        PodArray<char16_t> packed;
        packed.reserve(chars.size() - garbage);
        for (size_t r = 0; r < start.size(); ++r) {
            if (length[r] <= 0)
                continue;
            const quint32 from = start[r];
            start[r] = quint32(packed.size());
            packed.append(chars.data() + from, size_t(length[r]));
        }
        chars.swap(packed);
        garbage = 0;
    }
};
