#include "mapping_grid_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyledItemDelegate>

namespace {

// Editors report their typed characters to the view, which marks the table modified.
class TrackingDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        editor->installEventFilter(this->parent());
        return editor;
    }
};

} // namespace

MappingGridView::MappingGridView(MappingTables &maps, MappingTables::Kind kind, QWidget *parent)
    : QTableWidget(parent), m_maps(maps), m_kind(kind)
{
    setObjectName(maps.grid(kind).name());
    setItemDelegate(new TrackingDelegate(this));
    setTabKeyNavigation(true);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setStretchLastSection(true);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (!m_loading)
            m_maps.grid(m_kind).setCell(item->column(), item->row() + 1, item->text());
    });
    reload();
}

void MappingGridView::reload()
{
    m_loading = true;
    const MappingGrid &grid = m_maps.grid(m_kind);
    setColumnCount(grid.columnCount());
    setRowCount(std::max(0, grid.rowCount() - 1));
    QStringList headers;
    for (int c = 0; c < grid.columnCount(); ++c)
        headers << grid.cell(c, 0);
    setHorizontalHeaderLabels(headers);
    const QList<int> widths = grid.columnWidths();
    for (int c = 0; c < widths.size() && c < columnCount(); ++c)
        setColumnWidth(c, widths.at(c));
    for (int r = 1; r < grid.rowCount(); ++r) {
        for (int c = 0; c < grid.columnCount(); ++c) {
            auto *item = new QTableWidgetItem(grid.cell(c, r));
            if (c < grid.fixedColumns()) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(palette().window());
            }
            setItem(r - 1, c, item);
        }
    }
    m_loading = false;
}

void MappingGridView::keyPressEvent(QKeyEvent *event)
{
    if (!event->text().isEmpty())
        m_maps.keyTyped(m_kind, event->text().at(0));
    QTableWidget::keyPressEvent(event);
}

bool MappingGridView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        if (!text.isEmpty())
            m_maps.keyTyped(m_kind, text.at(0));
    }
    return QTableWidget::eventFilter(watched, event);
}
