// A grid's own order, filter, search and copy: the table's records and their order stay.
#include "document_grid.h"

#include "base/user_port.h"
#include "document_model.h"
#include "tables/document_table.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <algorithm>

namespace {

constexpr size_t kStride = size_t(1) << 18; // elements between two pumps of a plain walk

// Positions 0..n-1.
std::vector<int> allPositions(int n, const RowView::Pump &pump)
{
    // grown piece by piece: the pages of forty megabytes are not all touched at once
    const size_t total = size_t(std::max(n, 0));
    std::vector<int> p;
    p.reserve(total);
    while (p.size() < total) {
        const size_t to = std::min(total, p.size() + kStride);
        for (size_t i = p.size(); i < to; ++i)
            p.push_back(int(i));
        if (pump)
            pump(qint64(to), qint64(total));
    }
    return p;
}

// For each of `total` positions its index in `positions`, -1 for none; made in pieces, the
// window breathing between them.
std::vector<int> inverseOf(const std::vector<int> &positions, int total, const RowView::Pump &pump)
{
    constexpr size_t kPiece = size_t(1) << 16;
    std::vector<int> inverse;
    inverse.reserve(size_t(std::max(total, 0)));
    while (inverse.size() < size_t(std::max(total, 0))) {
        inverse.insert(inverse.end(), std::min(kPiece, size_t(total) - inverse.size()), -1);
        if (pump)
            pump(qint64(total), qint64(total)); // the gauge stays full; the window breathes
    }
    for (size_t i = 0; i < positions.size(); ++i) {
        inverse[size_t(positions[i])] = int(i);
        if (pump && (i + 1) % kPiece == 0)
            pump(qint64(total), qint64(total));
    }
    return inverse;
}

// A cell for a spreadsheet: in quotes when it holds a tab, a line break or a quote.
QString tsvCell(const QString &text)
{
    if (!text.contains(u'\t') && !text.contains(u'\n') && !text.contains(u'\r') && !text.contains(u'"'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace

bool DocumentGrid::runTask(const QString &what, const std::function<void(const RowView::Pump &)> &work)
{
    // a few records: at once, no gauge
    if (!m_runner || m_table->recordCount() <= kQuickRecords) {
        work({});
        return true;
    }
    return m_runner(what, [&] {
        m_port->progressShow(0, 1000);
        m_port->progressUnit(QStringLiteral("‰"));
        const RowView::Pump pump = [this](qint64 done, qint64 total) {
            m_port->progressPosition(total > 0 ? int(done * 1000 / total) : 0);
            m_port->pump();
        };
        work(pump);
        m_port->progressHide();
    });
}

bool DocumentGrid::applyView(const QString &what)
{
    std::vector<RowView::Condition> conditions;
    for (const RowView::Condition &c : std::as_const(m_filters))
        conditions.push_back(c);
    const bool filtering = !conditions.empty() || m_keepOn;
    if (!filtering && m_sortColumn < 0) {
        m_model->clearView();
        emit viewChanged();
        return true;
    }
    std::vector<int> positions, rowOf;
    const bool done = runTask(what, [&](const RowView::Pump &pump) {
        // filtering is the first half of the gauge when a sort follows
        RowView::Pump half;
        if (pump)
            half = [&](qint64 d, qint64 t) { pump(m_sortColumn >= 0 ? d / 2 : d, t); };
        const std::function<bool(int)> keep = m_keepOn && m_keepRule ? m_keepRule() : std::function<bool(int)>();
        positions = filtering ? RowView::filterPositions(*m_table, conditions, keep, half)
                              : allPositions(m_table->recordCount(), half);
        if (m_sortColumn >= 0) {
            RowView::Pump second;
            if (pump)
                second = [&](qint64 d, qint64 t) { pump(t / 2 + d / 2, t); };
            RowView::sortPositions(*m_table, m_model->fieldOfColumn(m_sortColumn), m_sortOrder == Qt::DescendingOrder,
                                   positions, second);
        }
        // the grid row of each position, made here too: the window waits for none of it
        rowOf = inverseOf(positions, m_table->recordCount(), pump);
    });
    if (!done)
        return false;
    m_model->setView(std::move(positions), std::move(rowOf));
    // the current record stays current when shown, else the first shown one becomes current
    if (m_model->rowOfPosition(m_table->position()) < 0 && m_model->shownCount() > 0)
        m_table->moveTo(m_model->positionOfRow(0));
    syncCurrent();
    emit viewChanged();
    return true;
}

void DocumentGrid::refreshView()
{
    applyView(QStringLiteral("Filtr"));
}

void DocumentGrid::viewEnded()
{
    // a detail grid's records change with its master: its view is made again at once; a
    // large table changed wholesale (an import, a load) loses its view, and says so
    if (m_table->recordCount() <= kQuickRecords) {
        const TaskRunner runner = std::exchange(m_runner, {});
        applyView(QString());
        m_runner = runner;
        return;
    }
    m_filters.clear();
    m_keepOn = false;
    m_sortColumn = -1;
    horizontalHeader()->setSortIndicatorShown(false);
    emit viewChanged();
    emit statusText(QStringLiteral("Dane tabeli zmieniły się: filtr i sortowanie zdjęte."));
}

void DocumentGrid::headerClicked(int column)
{
    // ascending, descending, then the table's own order
    if (column != m_sortColumn)
        sortByColumn(column, Qt::AscendingOrder);
    else if (m_sortOrder == Qt::AscendingOrder)
        sortByColumn(column, Qt::DescendingOrder);
    else
        sortByColumn(-1, Qt::AscendingOrder);
}

void DocumentGrid::sortByColumn(int column, Qt::SortOrder order)
{
    const int oldColumn = m_sortColumn;
    const Qt::SortOrder oldOrder = m_sortOrder;
    m_sortColumn = column;
    m_sortOrder = order;
    if (!applyView(QStringLiteral("Sortowanie"))) {
        m_sortColumn = oldColumn;
        m_sortOrder = oldOrder;
    }
    horizontalHeader()->setSortIndicatorShown(m_sortColumn >= 0);
    if (m_sortColumn >= 0)
        horizontalHeader()->setSortIndicator(m_sortColumn, m_sortOrder);
}

Result<> DocumentGrid::setColumnFilter(int column, const QString &text)
{
    if (column < 0 || column >= m_model->columnCount())
        return Failure(QStringLiteral("Brak kolumny do filtrowania."));
    const QMap<int, RowView::Condition> before = m_filters;
    if (text.trimmed().isEmpty()) {
        m_filters.remove(column);
    } else {
        const int field = m_model->fieldOfColumn(column);
        Result<RowView::Condition> condition = RowView::parseCondition(m_table->fields().at(field), field, text);
        if (!condition)
            return Failure(condition.reason());
        m_filters.insert(column, *condition);
    }
    if (!applyView(QStringLiteral("Filtr"))) {
        m_filters = before;
        return Failure(QStringLiteral("Filtr nie został zmieniony."));
    }
    return {};
}

void DocumentGrid::clearFilters()
{
    m_filters.clear();
    m_keepOn = false;
    applyView(QStringLiteral("Filtr"));
}

void DocumentGrid::setKeepRule(const QString &caption, std::function<std::function<bool(int)>()> rule)
{
    m_keepCaption = caption;
    m_keepRule = std::move(rule);
}

void DocumentGrid::setKeepOn(bool on)
{
    if (on == m_keepOn)
        return;
    m_keepOn = on;
    if (!applyView(QStringLiteral("Filtr")))
        m_keepOn = !on;
}

QString DocumentGrid::viewSummary() const
{
    const QLocale locale;
    QStringList parts;
    for (auto it = m_filters.cbegin(); it != m_filters.cend(); ++it)
        parts << QStringLiteral("%1: %2").arg(m_model->headerData(it.key(), Qt::Horizontal, Qt::DisplayRole).toString(),
                                              it->text);
    if (m_keepOn)
        parts << m_keepCaption;
    QString text =
        QStringLiteral("%1 z %2").arg(locale.toString(m_model->shownCount()), locale.toString(m_model->totalCount()));
    if (!parts.isEmpty())
        text += QStringLiteral(" · filtr: ") + parts.join(QStringLiteral("; "));
    return text;
}

void DocumentGrid::goToRow(int row, int column)
{
    const int position = m_model->positionOfRow(row);
    if (position < 0)
        return;
    m_table->moveTo(position);
    const QModelIndex target = m_model->index(row, std::max(column, 0));
    setCurrentIndex(target);
    scrollTo(target);
}

void DocumentGrid::showPosition(int position, int column)
{
    const int row = m_model->rowOfPosition(position);
    if (row >= 0)
        goToRow(row, column);
}

std::vector<RowView::Condition> DocumentGrid::searchConditions(const QString &text, int onlyColumn) const
{
    // a text field holds the text; a number, a date or a truth value equals what was typed
    std::vector<RowView::Condition> conditions;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if ((onlyColumn >= 0 && c != onlyColumn) || (onlyColumn < 0 && isColumnHidden(c)))
            continue;
        const int field = m_model->fieldOfColumn(c);
        const FieldDef &def = m_table->fields().at(field);
        RowView::Condition condition;
        condition.field = field;
        condition.type = def.type;
        if (def.type == FieldType::String) {
            condition.kind = RowView::Condition::Kind::Contains;
            condition.needle = text.trimmed();
        } else {
            const Result<RowView::Condition> parsed = RowView::parseCondition(def, field, text);
            if (!parsed || parsed->kind != RowView::Condition::Kind::Range || !parsed->hasLow || !parsed->hasHigh)
                continue;
            condition = *parsed;
        }
        conditions.push_back(condition);
    }
    return conditions;
}

bool DocumentGrid::findByNumber(const QString &text, bool backwards, int from, bool *done)
{
    *done = false;
    if (m_numberIndex.wantsBuild() && !runTask(QStringLiteral("Indeks numerów"), [&](const RowView::Pump &pump) {
            m_numberIndex.build(*m_table, m_numberField, pump);
        }))
        return false;
    const std::vector<int> rows = m_numberIndex.rowsOf(*m_table, text);
    if (rows.empty())
        return false;
    std::vector<int> shown;
    for (int stored : rows)
        if (const int row = m_model->rowOfPosition(m_table->positionOfStoredRow(stored)); row >= 0)
            shown.push_back(row);
    *done = true;
    if (shown.empty()) {
        emit statusText(QStringLiteral("„%1” jest w tabeli, ale filtr jej nie pokazuje.").arg(text.trimmed()));
        return false;
    }
    std::sort(shown.begin(), shown.end());
    int target = shown.front();
    if (backwards) {
        target = shown.back();
        for (auto it = shown.rbegin(); it != shown.rend(); ++it)
            if (*it < from) {
                target = *it;
                break;
            }
    } else {
        for (int row : shown)
            if (row > from) {
                target = row;
                break;
            }
    }
    goToRow(target, m_model->columnOfField(m_table->fields().at(m_numberField).name));
    return true;
}

bool DocumentGrid::findNext(const QString &text, bool backwards, bool currentColumnOnly)
{
    if (text.trimmed().isEmpty())
        return false;
    const int from = m_model->rowOfPosition(m_table->position());
    const int column = currentIndex().isValid() ? currentIndex().column() : -1;
    const int numberColumn = m_numberField >= 0 ? m_model->columnOfField(m_table->fields().at(m_numberField).name) : -1;
    // the whole number of an invoice (or order): the index answers at once
    if (numberColumn >= 0 && (!currentColumnOnly || column == numberColumn)) {
        bool answered = false;
        if (findByNumber(text, backwards, from, &answered))
            return true;
        if (answered)
            return false;
    }
    const std::vector<RowView::Condition> conditions = searchConditions(text, currentColumnOnly ? column : -1);
    const int rows = m_model->shownCount();
    if (conditions.empty() || rows == 0) {
        emit statusText(QStringLiteral("Nie znaleziono „%1”.").arg(text.trimmed()));
        return false;
    }
    int found = -1, foundColumn = column;
    const bool finished = runTask(QStringLiteral("Szukaj"), [&](const RowView::Pump &pump) {
        QElapsedTimer clock;
        clock.start();
        for (int step = 1; step <= rows && found < 0; ++step) {
            const int row =
                ((from < 0 ? (backwards ? 0 : -1) : from) + (backwards ? -step : step) % rows + rows) % rows;
            if (pump && (step & 1023) == 0 && clock.elapsed() >= 30) {
                pump(step, rows);
                clock.restart();
            }
            const int stored = m_table->presentedRow(m_model->positionOfRow(row));
            for (const RowView::Condition &c : conditions)
                if (c.matches(*m_table, stored)) {
                    found = row;
                    foundColumn = m_model->columnOfField(m_table->fields().at(c.field).name);
                    break;
                }
        }
    });
    if (!finished)
        return false;
    if (found < 0) {
        emit statusText(QStringLiteral("Nie znaleziono „%1”.").arg(text.trimmed()));
        return false;
    }
    goToRow(found, foundColumn);
    return true;
}

QString DocumentGrid::copyText(bool whole)
{
    // the visible columns in the order they are shown
    QList<int> columns;
    for (int visual = 0; visual < m_model->columnCount(); ++visual) {
        const int c = horizontalHeader()->logicalIndex(visual);
        if (!isColumnHidden(c))
            columns << c;
    }
    int firstRow = 0, lastRow = m_model->shownCount() - 1;
    if (!whole) {
        const QModelIndexList cells = selectionModel()->selectedIndexes();
        if (cells.isEmpty() && !currentIndex().isValid())
            return QString();
        const QModelIndexList used = cells.isEmpty() ? QModelIndexList{currentIndex()} : cells;
        firstRow = lastRow = used.first().row();
        QList<int> chosen;
        for (const QModelIndex &i : used) {
            firstRow = std::min(firstRow, i.row());
            lastRow = std::max(lastRow, i.row());
            if (!chosen.contains(i.column()))
                chosen << i.column();
        }
        QList<int> kept;
        for (int c : std::as_const(columns))
            if (chosen.contains(c))
                kept << c;
        columns = kept;
    }
    QString out;
    QStringList titles;
    for (int c : std::as_const(columns))
        titles << tsvCell(m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    out += titles.join(u'\t') + QStringLiteral("\r\n");
    const bool done = runTask(QStringLiteral("Kopiuj"), [&](const RowView::Pump &pump) {
        QElapsedTimer clock;
        clock.start();
        QStringList cells;
        for (int row = firstRow; row <= lastRow; ++row) {
            if (pump && (row & 1023) == 0 && clock.elapsed() >= 30) {
                pump(row - firstRow, lastRow - firstRow + 1);
                clock.restart();
            }
            cells.clear();
            const int stored = m_table->presentedRow(m_model->positionOfRow(row));
            for (int c : std::as_const(columns)) {
                const int field = m_model->fieldOfColumn(c);
                const FieldDef &def = m_table->fields().at(field);
                const QVariant value = m_table->valueAt(stored, field);
                // amounts without grouping, as a spreadsheet reads them; the rest as shown
                cells << tsvCell(def.type == FieldType::Float ? DocumentModel::editText(def, value)
                                                              : DocumentModel::displayText(def, value));
            }
            out += cells.join(u'\t') + QStringLiteral("\r\n");
        }
    });
    return done ? out : QString();
}

void DocumentGrid::copyToClipboard(bool whole)
{
    const QString text = copyText(whole);
    if (text.isEmpty())
        return;
    QApplication::clipboard()->setText(text);
    emit statusText(QStringLiteral("Skopiowano wierszy: %1.").arg(QLocale().toString(text.count(u'\n') - 1)));
}

void DocumentGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copyToClipboard(false);
        return;
    }
    if (event->matches(QKeySequence::Find)) {
        emit searchWanted();
        return;
    }
    QTableView::keyPressEvent(event);
}
