#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class DocumentTable;

// A mapping table: a grid of text cells with a fixed header row and fixed leftmost columns.
class MappingGrid
{
public:
    MappingGrid(const QString &name, int columns, int fixedColumns);

    QString name() const { return m_name; }
    int rowCount() const { return int(m_rows.size()); }
    int columnCount() const { return m_columns; }
    int fixedColumns() const { return m_fixed; }
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text); // grows the grid as needed
    void setRowCount(int rows);
    void clearCells();
    QList<int> columnWidths() const { return m_widths; }
    void setColumnWidths(const QList<int> &widths) { m_widths = widths; }

    // The grid stream: Windows-1250 cells, 0x00 between cells, 0x01 after each row.
    QByteArray writeGridStream() const;
    void readGridStream(const QByteArray &stream);
    // The settings-file form of the stream: 0x00 as "ű", 0x01 as "˙".
    QString storedValue() const;
    void restoreStoredValue(const QString &value);

    // Same size and the same text in every cell.
    bool operator==(const MappingGrid &other) const;

private:
    QString m_name;
    int m_columns;
    int m_layoutColumns; // the columns of the table's layout
    int m_fixed;
    QList<QStringList> m_rows;
    QList<int> m_widths;
};

// The builders of the default layouts.
void BuildRecordMap(const DocumentTable &table, MappingGrid &grid, int firstField);
void BuildHeaderMap(MappingGrid &grid);
void BuildSubstMap(MappingGrid &grid);

// The header element names of the header table, in their order.
QStringList headerMapNames();
