#include "document_navigator.h"

#include "document_model.h"
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
        {"|◀", "Pierwszy", [this] { moveToEnd(false); }},
        {"◀", "Poprzedni", [this] { move(-1); }},
        {"▶", "Następny", [this] { move(1); }},
        {"▶|", "Ostatni", [this] { moveToEnd(true); }},
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

void DocumentNavigator::move(int step)
{
    if (!m_model || !m_model->hasView()) {
        m_table->moveTo(m_table->position() + step);
        return;
    }
    const int row = m_model->rowOfPosition(m_table->position());
    const int target = row < 0 ? 0 : row + step;
    if (target >= 0 && target < m_model->shownCount())
        m_table->moveTo(m_model->positionOfRow(target));
}

void DocumentNavigator::moveToEnd(bool last)
{
    if (!m_model || !m_model->hasView()) {
        if (last)
            m_table->moveTo(m_table->recordCount() - 1);
        else
            m_table->first();
        return;
    }
    if (m_model->shownCount() > 0)
        m_table->moveTo(m_model->positionOfRow(last ? m_model->shownCount() - 1 : 0));
}
