#pragma once

#include "tables/row_view.h"

#include <QMap>
#include <QTableView>
#include <functional>

class DocumentModel;
class DocumentTable;
class SettingsFile;
class UserPort;

// A grid over one document table: in-place editing, pick lists, the column chooser, the
// current record kept in step with the table, and its column layout in the settings file.
class DocumentGrid : public QTableView
{
    Q_OBJECT
public:
    DocumentGrid(const QString &name, DocumentTable *table, const QStringList &hidden, UserPort *port,
                 QWidget *parent = nullptr);

    DocumentModel *documentModel() const { return m_model; }
    // "Select columns": tick the visible ones; hiding every column is refused.
    void chooseColumns();
    // Applies a column choice (for the dialog and for tests); false when every column would hide.
    bool applyColumnChoice(const QList<bool> &visible);

    // The settings section and its keys: "grid_FAK.KodWaluty" = "position,width" (-1: hidden).
    QString settingsSection() const;
    void storeLayout(SettingsFile &settings) const;
    void restoreLayout(const SettingsFile &settings);

    // The window's "Suma wg kolumny." command, offered by the context menu.
    void setSumAction(QAction *action) { m_sumAction = action; }
    // The column the command sums: the one the context menu was opened on, else the current one.
    int sumColumn() const;

    // Runs a long look at the table (sort, filter, search) as the window runs one: frozen
    // tables, a gauge and "Przerwij". Without one the work runs at once.
    using TaskRunner = std::function<bool(const QString &what, const std::function<void()> &work)>;
    void setTaskRunner(TaskRunner runner) { m_runner = std::move(runner); }

    // The grid's order: a header click sorts by its column, again descending, a third time
    // the table's own order (column -1). The table's records do not move.
    void sortByColumn(int column, Qt::SortOrder order);
    void clearSort() { sortByColumn(-1, Qt::AscendingOrder); }
    int sortedColumn() const { return m_sortColumn; }
    // A column's condition (an empty text removes it); why not, in the user's words.
    Result<> setColumnFilter(int column, const QString &condition);
    QString columnFilter(int column) const { return m_filters.value(column).text; }
    void clearFilters();
    bool isFiltered() const { return !m_filters.isEmpty() || m_keepOn; }
    // A rule of another grid's making that a record must also meet ("the lines of the filtered
    // invoices"): made fresh at every filtering; off until switched on.
    void setKeepRule(const QString &caption, std::function<std::function<bool(int row)>()> rule);
    QString keepCaption() const { return m_keepCaption; }
    void setKeepOn(bool on);
    bool keepOn() const { return m_keepOn; }
    // Orders and filters again, as they stand (after another grid's filter changed).
    void refreshView();
    // "N z M" and the conditions, for the search bar.
    QString viewSummary() const;

    // The next record (or the one before) whose value holds the text, in the current column
    // or in all; an invoice's or order's number is found by an index. False: none.
    bool findNext(const QString &text, bool backwards, bool currentColumnOnly);
    // The selected cells, or with `whole` every shown record, as tab-separated text with the
    // column titles (a spreadsheet puts it in columns).
    QString copyText(bool whole);
    void copyToClipboard(bool whole);
    // The record at a presented position is made current and shown (if the view shows it).
    void showPosition(int position, int column);

signals:
    void menuOpened(DocumentGrid *grid);
    // The order, the filter or the records shown changed.
    void viewChanged();
    // Ctrl+F: the search bar over the grid opens.
    void searchWanted();
    void filterWanted(int column, const QString &value);
    void statusText(const QString &text);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    // Widens the columns to their content (title, and a sample of rows), up to a cap.
    void fitColumnsToContent();

private:
    static constexpr int kSampleRows = 50;
    static constexpr int kMaxColumnWidth = 300;
    // Below this many records a view is made at once, without the gauge.
    static constexpr int kQuickRecords = 100000;
    void syncCurrent();
    bool runTask(const QString &what, const std::function<void(const RowView::Pump &)> &work);
    bool applyView(const QString &what);
    void viewEnded();
    void headerClicked(int column);
    std::vector<RowView::Condition> searchConditions(const QString &text, int onlyColumn) const;
    bool findByNumber(const QString &text, bool backwards, int from, bool *done);
    void goToRow(int row, int column);

    DocumentModel *m_model;
    DocumentTable *m_table;
    UserPort *m_port;
    bool m_syncing = false;
    QAction *m_sumAction = nullptr;
    int m_menuColumn = -1;
    int m_lastColumn = -1; // the column of the last current cell
    TaskRunner m_runner;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QMap<int, RowView::Condition> m_filters; // by column
    QString m_keepCaption;
    std::function<std::function<bool(int)>()> m_keepRule;
    bool m_keepOn = false;
    // an invoice's or an order's number, found at once
    int m_numberField = -1;
    RowView::TextIndex m_numberIndex;
};
