#include "document_navigator.h"

#include "tables/document_table.h"

#include <QHBoxLayout>
#include <functional>

DocumentNavigator::DocumentNavigator(DocumentTable *table, QWidget *parent) : QWidget(parent), m_table(table)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    struct Button
    {
        const char *text, *hint;
        std::function<void()> act;
    };
    const Button buttons[] = {
        {"|◀", "Pierwszy", [table] { table->first(); }},
        {"◀", "Poprzedni", [table] { table->moveTo(table->position() - 1); }},
        {"▶", "Następny", [table] { table->moveTo(table->position() + 1); }},
        {"▶|", "Ostatni", [table] { table->moveTo(table->recordCount() - 1); }},
        {"+", "Wstaw", [table] { table->append(); }},
        {"−", "Usuń", [table] { table->remove(); }},
        {"▲", "Edytuj", [table] { table->edit(); }},
        {"✓", "Zapisz", [table] { table->post(); }},
        {"✗", "Anuluj", [table] { table->cancel(); }},
        {"↻", "Odśwież",
         [table] {
             table->suspendViews();
             table->resumeViews();
         }},
    };
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("▶|")) + 10;
    for (const Button &b : buttons) {
        auto *button = new QToolButton(this);
        button->setText(QString::fromUtf8(b.text));
        button->setToolTip(QString::fromUtf8(b.hint));
        button->setAutoRaise(true);
        button->setFixedWidth(width);
        connect(button, &QToolButton::clicked, this, b.act);
        layout->addWidget(button);
        m_buttons << button;
    }
    // while a command runs the records can be browsed, not changed
    connect(table, &DocumentTable::frozenChanged, this, [this](bool frozen) {
        for (int i = 4; i <= 8; ++i) // insert, delete, edit, post, cancel
            m_buttons.at(i)->setEnabled(!frozen);
    });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}
