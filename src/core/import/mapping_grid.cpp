#include "import/mapping_grid.h"

#include "base/text_codec.h"
#include "tables/document_table.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

QByteArray toCp1250(const QString &text)
{
    return TextCodec::toWindows1250(text);
}

QString fromCp1250(const QByteArray &bytes)
{
    QStringDecoder decoder("windows-1250");
    return decoder.decode(bytes);
}

} // namespace

MappingGrid::MappingGrid(const QString &name, int columns, int fixedColumns)
    : m_name(name), m_columns(columns), m_layoutColumns(columns), m_fixed(fixedColumns)
{
}

QString MappingGrid::cell(int column, int row) const
{
    if (row < 0 || row >= m_rows.size() || column < 0)
        return QString();
    const QStringList &r = m_rows.at(row);
    return column < r.size() ? r.at(column) : QString();
}

void MappingGrid::setCell(int column, int row, const QString &text)
{
    if (row < 0 || column < 0)
        return;
    while (m_rows.size() <= row)
        m_rows.append(QStringList());
    if (column >= m_columns)
        m_columns = column + 1;
    QStringList &r = m_rows[row];
    while (r.size() <= column)
        r.append(QString());
    r[column] = text;
}

void MappingGrid::setRowCount(int rows)
{
    while (m_rows.size() < rows)
        m_rows.append(QStringList());
    while (m_rows.size() > rows)
        m_rows.removeLast();
}

void MappingGrid::clearCells()
{
    for (QStringList &r : m_rows)
        r.clear();
}

bool MappingGrid::operator==(const MappingGrid &other) const
{
    if (rowCount() != other.rowCount() || columnCount() != other.columnCount())
        return false;
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (cell(c, r) != other.cell(c, r))
                return false;
    return true;
}

QByteArray MappingGrid::writeGridStream() const
{
    QByteArray out;
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < m_columns; ++c) {
            if (c > 0)
                out.append('\0');
            out.append(toCp1250(cell(c, r)));
        }
        out.append('\1');
    }
    return out;
}

void MappingGrid::readGridStream(const QByteArray &stream)
{
    // a record table has a row per field (58 at most), the substitutions 41
    constexpr int kMaxStreamRows = 1000;
    const int rowsBefore = rowCount();
    int c = 0, r = 0;
    QByteArray buffer;
    for (char byte : stream) {
        if (r >= kMaxStreamRows)
            break; // no mapping table has so many rows: the rest is no table of ours
        if (byte == '\0' || byte == '\1') {
            // cells beyond the table's own columns are not taken: a stream never widens it
            if (c < m_layoutColumns)
                setCell(c, r, fromCp1250(buffer));
            buffer.clear();
            if (byte == '\0') {
                ++c;
            } else {
                ++r;
                c = 0;
            }
        } else {
            buffer.append(byte);
        }
    }
    // The row count becomes the number of complete rows read (a trailing row without its
    // end does not count), unless the grid had more rows: those keep their cells.
    if (rowsBefore <= r)
        setRowCount(r);
}

QString MappingGrid::storedValue() const
{
    QString text = fromCp1250(writeGridStream());
    text.replace(QChar(0), QChar(0x0171));
    text.replace(QChar(1), QChar(0x02D9));
    return text;
}

void MappingGrid::restoreStoredValue(const QString &value)
{
    if (value.isEmpty())
        return;
    QString text = value;
    text.replace(QChar(0x0171), QChar(0));
    text.replace(QChar(0x02D9), QChar(1));
    readGridStream(toCp1250(text));
}

void BuildRecordMap(const DocumentTable &table, MappingGrid &grid, int firstField)
{
    grid.clearCells();
    grid.setRowCount(table.fieldCount() + 1);
    grid.setColumnWidths({110, 270, 65, 50, 140, 180});
    const char *headers[] = {"Nazwa pola", "Opis pola", "Typ pola", "#pozycji", "wartość domyślna", "warunek IF"};
    for (int c = 0; c < 6; ++c)
        grid.setCell(c, 0, QString::fromUtf8(headers[c]));
    for (int i = firstField; i < table.fieldCount(); ++i) {
        const FieldDef &f = table.fields().at(i);
        grid.setCell(0, i + 1, f.name);
        grid.setCell(1, i + 1, f.label);
        grid.setCell(2, i + 1, fieldTypeText(f));
    }
}

QStringList headerMapNames()
{
    return {QStringLiteral("DataOd"),      QStringLiteral("DataDo"),     QStringLiteral("KodUrzedu"),
            QStringLiteral("NIP"),         QStringLiteral("PelnaNazwa"), QStringLiteral("KodKraju"),
            QStringLiteral("Wojewodztwo"), QStringLiteral("Powiat"),     QStringLiteral("Gmina"),
            QStringLiteral("Ulica"),       QStringLiteral("NrDomu"),     QStringLiteral("NrLokalu"),
            QStringLiteral("Miejscowosc"), QStringLiteral("KodPocztowy")};
}

void BuildHeaderMap(MappingGrid &grid)
{
    grid.clearCells();
    grid.setRowCount(15);
    grid.setColumnWidths({180, 60, 180});
    grid.setCell(0, 0, QStringLiteral("Opis"));
    grid.setCell(1, 0, QStringLiteral("#pozycji"));
    grid.setCell(2, 0, QStringLiteral("wartość domyślna"));
    const QStringList names = headerMapNames();
    for (int r = 1; r <= names.size(); ++r) {
        grid.setCell(0, r, names.at(r - 1));
        grid.setCell(1, r, QString::number(r));
    }
}

void BuildSubstMap(MappingGrid &grid)
{
    grid.clearCells();
    grid.setRowCount(41);
    grid.setColumnWidths({40, 360});
    grid.setCell(0, 0, QStringLiteral("#def"));
    grid.setCell(1, 0, QStringLiteral("podstaw"));
    for (int r = 1; r <= 40; ++r)
        grid.setCell(0, r, QString::number(r));
}
