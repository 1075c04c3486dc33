#include "document_grid.h"

#include "base/settings_file.h"
#include "base/user_port.h"
#include "document_model.h"
#include "pick_list_delegate.h"
#include "tables/document_table.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

DocumentGrid::DocumentGrid(const QString &name, DocumentTable *table, const QStringList &hidden, UserPort *port,
                           QWidget *parent)
    : QTableView(parent), m_model(new DocumentModel(table, hidden, this)), m_table(table), m_port(port)
{
    setObjectName(name);
    setModel(m_model);
    setItemDelegate(new PickListDelegate(m_model, this));
    // a range of cells can be selected (and copied); the current record is the ▶ row
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setHighlightSections(false);
    // rows of one height: the view places a million of them without asking for each
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setFixedWidth(22);
    // wide enough for the column's title, at least for a short value; then for the content
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const QString title = m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        setColumnWidth(c, std::clamp(fontMetrics().horizontalAdvance(title) + 18, 50, 260));
    }
    fitColumnsToContent();
    connect(m_model, &QAbstractItemModel::modelReset, this, &DocumentGrid::fitColumnsToContent);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first) {
        if (first < kSampleRows)
            fitColumnsToContent();
    });
    // the title arrow opens the column chooser
    auto *chooser = new QPushButton(QStringLiteral("▾"), this);
    chooser->setFlat(true);
    chooser->setToolTip(QStringLiteral("Select columns"));
    setCornerButtonEnabled(false);
    connect(chooser, &QPushButton::clicked, this, &DocumentGrid::chooseColumns);
    chooser->setGeometry(0, 0, 22, horizontalHeader()->sizeHint().height());
    horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(horizontalHeader(), &QHeaderView::customContextMenuRequested, this, &DocumentGrid::chooseColumns);

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        if (!m_syncing && !m_model->isRemoving() && current.isValid() && m_model->positionOfRow(current.row()) >= 0)
            m_table->moveTo(m_model->positionOfRow(current.row()));
    });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        if (current.isValid())
            m_lastColumn = current.column();
    });
    // a click on a column's title sorts by it (the column is not selected)
    disconnect(horizontalHeader(), SIGNAL(sectionPressed(int)), this, SLOT(selectColumn(int)));
    disconnect(horizontalHeader(), SIGNAL(sectionEntered(int)), this, SLOT(_q_selectColumn(int)));
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &DocumentGrid::headerClicked);
    connect(m_model, &DocumentModel::viewEnded, this, &DocumentGrid::viewEnded);
    // the number of an invoice or an order is found by an index, kept in step with the table
    if (table->kind() == TableKind::FAK || table->kind() == TableKind::ZAM)
        m_numberField =
            table->fieldIndex(table->kind() == TableKind::FAK ? QStringLiteral("P_2A") : QStringLiteral("P_2AZ"));
    if (m_numberField >= 0) {
        connect(table, &DocumentTable::reset, this, [this] { m_numberIndex.invalidate(); });
        connect(table, &DocumentTable::rowsAppended, this, [this](int first, int last) {
            for (int p = first; p <= last && m_numberIndex.isBuilt(); ++p)
                m_numberIndex.noteRow(m_table->presentedRow(p));
        });
        connect(table, &DocumentTable::rowChanged, this,
                [this](int position) { m_numberIndex.noteRow(m_table->presentedRow(position)); });
    }
    // while a row goes, the view moves its current index on its own: the table's current
    // record (the next one) decides, not the view's guess
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &DocumentGrid::syncCurrent);
    connect(m_model, &DocumentModel::valueRefused, this,
            [this](const QString &message) { m_port->error(QStringLiteral("Błędna wartość"), message); });
    // a command started: an open editor closes without storing (the tables are frozen)
    connect(table, &DocumentTable::frozenChanged, this, [this](bool frozen) {
        if (!frozen || state() != QAbstractItemView::EditingState)
            return;
        const auto editors = viewport()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        for (QWidget *editor : editors)
            if (editor->isVisible())
                closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    });
    connect(table, &DocumentTable::currentChanged, this, &DocumentGrid::syncCurrent);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DocumentGrid::syncCurrent);
}

void DocumentGrid::fitColumnsToContent()
{
    // the title and a sample of rows (the first ones and those around the current record);
    // columns only grow, so a width the user chose stays, and none grows past the cap
    const int rows = m_model->rowCount();
    QList<int> sample;
    for (int r = 0; r < std::min(rows, kSampleRows); ++r)
        sample << r;
    const int pos = m_model->rowOfPosition(m_table->position());
    for (int r = std::max(kSampleRows, pos - 10); r < std::min(rows, pos + 10); ++r)
        sample << r;
    const QFontMetrics metrics(font());
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (isColumnHidden(c))
            continue;
        int wanted = 0;
        for (int r : std::as_const(sample))
            wanted = std::max(
                wanted, metrics.horizontalAdvance(m_model->data(m_model->index(r, c), Qt::DisplayRole).toString()));
        wanted = std::min(wanted + 14, kMaxColumnWidth);
        if (wanted > columnWidth(c))
            setColumnWidth(c, wanted);
    }
}

void DocumentGrid::syncCurrent()
{
    const int pos = m_model->rowOfPosition(m_table->position());
    if (pos < 0 || pos >= m_model->rowCount())
        return;
    m_syncing = true;
    // a new view (sort, filter) keeps the column the user was in
    const int column = currentIndex().isValid() ? currentIndex().column() : std::max(0, m_lastColumn);
    const QModelIndex current = m_model->index(pos, column);
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
    // the current record is always in sight, the last of a million rows included
    scrollTo(current);
    m_syncing = false;
    viewport()->update();
    verticalHeader()->viewport()->update();
}

void DocumentGrid::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    // the column under the pointer, rows or no rows: an empty grid sums to zero
    m_menuColumn = columnAt(event->pos().x());
    if (m_menuColumn < 0)
        m_menuColumn = currentIndex().isValid() ? currentIndex().column() : horizontalHeader()->logicalIndex(0);
    if (m_sumAction)
        menu.addAction(m_sumAction); // the window's own command, as the menu bar runs it
    menu.addAction(QStringLiteral("Kopiuj zaznaczone\tCtrl+C"), this, [this] { copyToClipboard(false); });
    menu.addAction(QStringLiteral("Kopiuj całą tabelę (%1 rekordów)").arg(QLocale().toString(m_model->shownCount())),
                   this, [this] { copyToClipboard(true); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("Szukaj…\tCtrl+F"), this, &DocumentGrid::searchWanted);
    const int column = m_menuColumn;
    const QModelIndex under = indexAt(event->pos());
    if (column >= 0) {
        const QString title = m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        const QString value = under.isValid() ? m_model->data(under, Qt::EditRole).toString() : QString();
        menu.addAction(QStringLiteral("Filtruj wg kolumny „%1”…").arg(title), this,
                       [this, column, value] { emit filterWanted(column, value); });
    }
    if (isFiltered())
        menu.addAction(QStringLiteral("Wyczyść filtry"), this, &DocumentGrid::clearFilters);
    if (m_sortColumn >= 0)
        menu.addAction(QStringLiteral("Kolejność tabeli (bez sortowania)"), this, &DocumentGrid::clearSort);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Select columns"), this, &DocumentGrid::chooseColumns);
    emit menuOpened(this);
    menu.exec(event->globalPos());
    m_menuColumn = -1;
}

int DocumentGrid::sumColumn() const
{
    if (m_menuColumn >= 0)
        return m_menuColumn;
    if (currentIndex().isValid())
        return currentIndex().column();
    return horizontalHeader()->logicalIndex(0);
}

bool DocumentGrid::applyColumnChoice(const QList<bool> &visible)
{
    if (!visible.contains(true)) {
        m_port->info(QStringLiteral("Select columns"), QStringLiteral("At least one column must be visible!"));
        return false;
    }
    for (int c = 0; c < visible.size() && c < m_model->columnCount(); ++c)
        setColumnHidden(c, !visible.at(c));
    return true;
}

void DocumentGrid::chooseColumns()
{
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Select columns"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *area = new QScrollArea(&dialog);
    auto *inner = new QWidget(area);
    auto *list = new QVBoxLayout(inner);
    QList<QCheckBox *> boxes;
    for (int visual = 0; visual < m_model->columnCount(); ++visual) {
        const int c = horizontalHeader()->logicalIndex(visual);
        auto *box = new QCheckBox(m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), inner);
        box->setChecked(!isColumnHidden(c));
        box->setProperty("column", c);
        list->addWidget(box);
        boxes << box;
    }
    area->setWidget(inner);
    area->setWidgetResizable(true);
    layout->addWidget(area);
    auto *buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        QList<bool> visible(m_model->columnCount(), false);
        for (QCheckBox *box : boxes)
            visible[box->property("column").toInt()] = box->isChecked();
        if (applyColumnChoice(visible))
            dialog.accept();
    });
    dialog.resize(320, 420);
    dialog.exec();
}

QString DocumentGrid::settingsSection() const
{
    return QStringLiteral("Form_ImportJPK\\TForm_ImportJPK") + objectName();
}

void DocumentGrid::storeLayout(SettingsFile &settings) const
{
    const QString section = settingsSection();
    settings.eraseSection(section);
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const QString field = m_table->fields().at(m_model->fieldOfColumn(c)).name;
        const int width = isColumnHidden(c) ? -1 : columnWidth(c);
        settings.setValue(section, objectName() + u'.' + field,
                          QStringLiteral("%1,%2").arg(horizontalHeader()->visualIndex(c)).arg(width));
    }
}

void DocumentGrid::restoreLayout(const SettingsFile &settings)
{
    const QString section = settingsSection();
    QList<QPair<int, int>> wanted; // position, column
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const QString field = m_table->fields().at(m_model->fieldOfColumn(c)).name;
        const auto value = settings.value(section, objectName() + u'.' + field);
        int position = horizontalHeader()->visualIndex(c);
        if (value) {
            const QStringList parts = value->split(u',');
            bool okPos = false, okWidth = false;
            const int pos = parts.value(0).toInt(&okPos);
            const int width = parts.value(1).toInt(&okWidth);
            if (okWidth) {
                setColumnHidden(c, width == -1);
                if (width > 0)
                    setColumnWidth(c, width);
            }
            if (okPos)
                position = pos;
        }
        wanted.append({position, c});
    }
    std::stable_sort(wanted.begin(), wanted.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (int target = 0; target < wanted.size(); ++target) {
        const int c = wanted.at(target).second;
        horizontalHeader()->moveSection(horizontalHeader()->visualIndex(c), target);
    }
}
