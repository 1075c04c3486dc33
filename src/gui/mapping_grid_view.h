#pragma once

#include "import/mapping_tables.h"

#include <QTableWidget>

// The editor of one mapping table: a fixed header row and fixed leftmost columns, Tab
// between cells; typed characters mark the table modified.
class MappingGridView : public QTableWidget
{
    Q_OBJECT
public:
    MappingGridView(MappingTables &maps, MappingTables::Kind kind, QWidget *parent = nullptr);

    // Shows the grid's cells again (after a load, a rebuild or a restore).
    void reload();
    MappingTables::Kind kind() const { return m_kind; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    MappingTables &m_maps;
    MappingTables::Kind m_kind;
    bool m_loading = false;
};
