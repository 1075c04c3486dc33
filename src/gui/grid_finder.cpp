#include "grid_finder.h"

#include "document_grid.h"
#include "document_model.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

QWidget *GridFinder::wrap(QTableView *view, QWidget *parent)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(view->objectName() + QStringLiteral("_panel"));
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto *finder = new GridFinder(view, panel);
    layout->addWidget(finder);
    view->setParent(panel);
    layout->addWidget(view, 1);
    // the keys work wherever the focus is inside the grid or its bar
    auto key = [panel](const QKeySequence &sequence, auto slot) {
        auto *shortcut = new QShortcut(sequence, panel);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        QObject::connect(shortcut, &QShortcut::activated, panel, slot);
    };
    key(QKeySequence::Find, [finder] { finder->openSearch(); });
    key(QKeySequence(Qt::Key_F3), [finder] { finder->findNext(false); });
    key(QKeySequence(Qt::SHIFT | Qt::Key_F3), [finder] { finder->findNext(true); });
    return panel;
}

GridFinder *GridFinder::of(QTableView *view)
{
    return view->parentWidget() ? view->parentWidget()->findChild<GridFinder *>(QString(), Qt::FindDirectChildrenOnly)
                                : nullptr;
}

GridFinder::GridFinder(QTableView *view, QWidget *parent)
    : QWidget(parent), m_view(view), m_grid(qobject_cast<DocumentGrid *>(view))
{
    setObjectName(view->objectName() + QStringLiteral("_finder"));
    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(2);
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Szukaj:"), this));
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("ed_Szukaj"));
    m_search->setPlaceholderText(QStringLiteral("numer, tekst, kwota albo data – Enter, F3"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    top->addWidget(m_search, 2);
    auto button = [this](const char *text, const char *hint) {
        auto *b = new QToolButton(this);
        b->setText(QString::fromUtf8(text));
        b->setToolTip(QString::fromUtf8(hint));
        b->setAutoRaise(true);
        return b;
    };
    QToolButton *previous = button("▲", "Poprzedni (Shift+F3)");
    QToolButton *next = button("▼", "Następny (F3)");
    top->addWidget(previous);
    top->addWidget(next);
    m_columnOnly = new QCheckBox(QStringLiteral("tylko bieżąca kolumna"), this);
    top->addWidget(m_columnOnly);
    m_message = new QLabel(this);
    top->addWidget(m_message, 1);
    QToolButton *close = button("✕", "Zamknij pasek (Esc)");
    top->addWidget(close);
    rows->addLayout(top);
    connect(m_search, &QLineEdit::returnPressed, this, [this] { findNext(false); });
    connect(next, &QToolButton::clicked, this, [this] { findNext(false); });
    connect(previous, &QToolButton::clicked, this, [this] { findNext(true); });
    connect(close, &QToolButton::clicked, this, [this] {
        hide();
        m_view->setFocus();
    });

    if (m_grid) {
        auto *bottom = new QHBoxLayout;
        m_filterTitle = new QLabel(this);
        bottom->addWidget(m_filterTitle);
        m_filter = new QLineEdit(this);
        m_filter->setObjectName(QStringLiteral("ed_Filtr"));
        m_filter->setPlaceholderText(QStringLiteral("tekst, =tekst, 100..200, >0, 01.08.2023..31.08.2023, puste"));
        m_filter->setClearButtonEnabled(true);
        m_filter->installEventFilter(this);
        bottom->addWidget(m_filter, 2);
        QToolButton *clear = button("Wyczyść filtry", "Wszystkie rekordy tabeli");
        clear->setObjectName(QStringLiteral("b_WyczyscFiltry"));
        bottom->addWidget(clear);
        if (!m_grid->keepCaption().isEmpty()) {
            m_keep = new QCheckBox(m_grid->keepCaption(), this);
            m_keep->setObjectName(QStringLiteral("chb_TylkoPrzefiltrowane"));
            bottom->addWidget(m_keep);
            connect(m_keep, &QCheckBox::toggled, this, [this](bool on) { m_grid->setKeepOn(on); });
        }
        m_summary = new QLabel(this);
        m_summary->setObjectName(QStringLiteral("Label_Pokazane"));
        bottom->addWidget(m_summary, 1);
        rows->addLayout(bottom);
        connect(m_filter, &QLineEdit::returnPressed, this, &GridFinder::applyFilter);
        connect(clear, &QToolButton::clicked, m_grid, &DocumentGrid::clearFilters);
        connect(m_grid, &DocumentGrid::viewChanged, this, &GridFinder::refresh);
        connect(m_grid, &DocumentGrid::searchWanted, this, &GridFinder::openSearch);
        connect(m_grid, &DocumentGrid::filterWanted, this, &GridFinder::openFilter);
        connect(m_grid, &DocumentGrid::statusText, this, [this](const QString &text) { say(text, true); });
        connect(m_grid->selectionModel(), &QItemSelectionModel::currentColumnChanged, this, &GridFinder::refresh);
        connect(m_grid->documentModel(), &QAbstractItemModel::rowsInserted, this, &GridFinder::refresh);
        connect(m_grid->documentModel(), &QAbstractItemModel::rowsRemoved, this, &GridFinder::refresh);
        connect(m_grid->documentModel(), &QAbstractItemModel::modelReset, this, &GridFinder::refresh);
    } else {
        m_summary = new QLabel(this);
        top->insertWidget(top->count() - 1, m_summary);
    }
    hide();
    refresh();
}

int GridFinder::filterColumn() const
{
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid())
        return current.column();
    return m_view->horizontalHeader()->logicalIndex(0);
}

void GridFinder::refresh()
{
    if (!m_grid)
        return;
    m_summary->setText(m_grid->viewSummary());
    if (m_keep) {
        const QSignalBlocker block(m_keep);
        m_keep->setChecked(m_grid->keepOn());
    }
    const int column = filterColumn();
    if (column != m_filterColumnShown || !m_filter->hasFocus()) {
        m_filterColumnShown = column;
        const QString title = column >= 0 ? m_grid->model()->headerData(column, Qt::Horizontal).toString() : QString();
        m_filterTitle->setText(QStringLiteral("Filtr „%1”:").arg(title));
        m_filter->setText(column >= 0 ? m_grid->columnFilter(column) : QString());
    }
    if (m_grid->isFiltered())
        show();
}

void GridFinder::say(const QString &text, bool bad)
{
    m_message->setText(text);
    m_message->setStyleSheet(bad ? QStringLiteral("color: #b00020") : QString());
    if (!text.isEmpty())
        show();
}

void GridFinder::openSearch()
{
    show();
    m_search->setFocus();
    m_search->selectAll();
}

void GridFinder::openFilter(int column, const QString &value)
{
    show();
    if (column >= 0 && m_view->currentIndex().isValid() && m_view->currentIndex().column() != column)
        m_view->setCurrentIndex(m_view->currentIndex().siblingAtColumn(column));
    refresh();
    if (!m_filter)
        return;
    if (m_grid->columnFilter(column).isEmpty() && !value.isEmpty())
        m_filter->setText(value);
    m_filter->setFocus();
    m_filter->selectAll();
}

bool GridFinder::findNext(bool backwards)
{
    const QString text = m_search->text();
    if (text.trimmed().isEmpty()) {
        openSearch();
        return false;
    }
    say(QString());
    const bool found = m_grid ? m_grid->findNext(text, backwards, m_columnOnly->isChecked())
                              : findInModel(text, backwards, m_columnOnly->isChecked());
    if (!found && m_message->text().isEmpty())
        say(QStringLiteral("Nie znaleziono „%1”.").arg(text.trimmed()), true);
    return found;
}

bool GridFinder::findInModel(const QString &text, bool backwards, bool currentColumnOnly)
{
    // a grid of a few thousand lines (the findings): its shown texts
    const QAbstractItemModel *model = m_view->model();
    const int rows = model->rowCount();
    const int columns = model->columnCount();
    const QModelIndex current = m_view->currentIndex();
    const int from = current.isValid() ? current.row() : (backwards ? 0 : -1);
    for (int step = 1; step <= rows; ++step) {
        const int row = ((from + (backwards ? -step : step)) % rows + rows) % rows;
        for (int c = 0; c < columns; ++c) {
            if ((currentColumnOnly && current.isValid() && c != current.column()) || m_view->isColumnHidden(c))
                continue;
            const QModelIndex cell = model->index(row, c);
            if (cell.data(Qt::DisplayRole).toString().contains(text.trimmed(), Qt::CaseInsensitive)) {
                m_view->setCurrentIndex(cell);
                m_view->scrollTo(cell);
                return true;
            }
        }
    }
    return false;
}

bool GridFinder::applyFilter()
{
    const int column = filterColumn();
    const Result<> applied = m_grid->setColumnFilter(column, m_filter->text());
    if (!applied) {
        say(applied.reason(), true);
        return false;
    }
    say(QString());
    refresh();
    return true;
}

bool GridFinder::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched == m_search && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & Qt::ShiftModifier)) {
            findNext(true);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            // the bar goes; a filter stays on (and keeps it shown)
            if (!m_grid || !m_grid->isFiltered())
                hide();
            m_view->setFocus();
            return true;
        }
        if (key->key() == Qt::Key_Down && watched == m_search) {
            m_view->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
