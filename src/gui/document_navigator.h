#pragma once

#include <QToolButton>
#include <QWidget>

class DocumentModel;
class DocumentTable;

// The navigator of a table: first, prior, next, last, insert, delete, edit, post, cancel,
// refresh; the ten buttons side by side in a row that never hides one of them.
class DocumentNavigator : public QWidget
{
    Q_OBJECT
public:
    DocumentNavigator(DocumentTable *table, QWidget *parent = nullptr);
    QList<QToolButton *> buttons() const { return m_buttons; }
    DocumentTable *table() const { return m_table; }
    // The grid whose order (sort, filter) first, prior, next and last follow.
    void followGrid(const DocumentModel *model) { m_model = model; }

private:
    // The record `step` rows from the current one in the grid's order (first / last: 0 / -1
    // from either end).
    void move(int step);
    void moveToEnd(bool last);

    DocumentTable *m_table;
    const DocumentModel *m_model = nullptr;
    QList<QToolButton *> m_buttons;
};
