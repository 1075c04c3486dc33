#pragma once

#include <QWidget>

class DocumentGrid;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTableView;

// The bar over a grid: search (Ctrl+F, F3, Shift+F3), and for a grid of documents the filter
// of the current column, the count of records shown ("N z M") and the grid's own rules
// ("the lines of the filtered invoices"). Hidden until wanted; it stays while a filter is on.
class GridFinder : public QWidget
{
    Q_OBJECT
public:
    // The grid with its bar above it, in one widget that takes the grid's place.
    static QWidget *wrap(QTableView *view, QWidget *parent);
    static GridFinder *of(QTableView *view);

    GridFinder(QTableView *view, QWidget *parent);
    QLineEdit *searchField() const { return m_search; }
    QLineEdit *filterField() const { return m_filter; }
    QLabel *summary() const { return m_summary; }
    QCheckBox *keepBox() const { return m_keep; }

    void openSearch();
    void openFilter(int column, const QString &value);
    // Next (or previous) match of the search field's text; false when there is none.
    bool findNext(bool backwards);
    // The filter field's condition for the current column; false when refused.
    bool applyFilter();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    void say(const QString &text, bool bad = false);
    bool findInModel(const QString &text, bool backwards, bool currentColumnOnly);
    int filterColumn() const;

    QTableView *m_view;
    DocumentGrid *m_grid; // null for a grid that is not of documents (the findings)
    QLineEdit *m_search;
    QCheckBox *m_columnOnly;
    QLineEdit *m_filter = nullptr;
    QLabel *m_filterTitle = nullptr;
    QCheckBox *m_keep = nullptr;
    QLabel *m_summary;
    QLabel *m_message;
    int m_filterColumnShown = -1;
};
