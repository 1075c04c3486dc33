#pragma once

#include <QToolButton>
#include <QWidget>

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

private:
    DocumentTable *m_table;
    QList<QToolButton *> m_buttons;
};
