#include "page_context.h"

#include "page_includes.h"

QWidget *row(QWidget *parent, std::initializer_list<QWidget *> widgets, bool stretch)
{
    auto *w = new QWidget(parent);
    auto *l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    for (QWidget *x : widgets)
        l->addWidget(x);
    if (stretch)
        l->addStretch(1);
    return w;
}

QPushButton *actionButton(PageContext &ctx, const char *action, QWidget *parent)
{
    QAction *a = ctx.actions->value(QString::fromLatin1(action));
    auto *button = new QPushButton(a->text(), parent);
    QObject::connect(button, &QPushButton::clicked, a, &QAction::trigger);
    QObject::connect(a, &QAction::changed, button, [button, a] {
        button->setEnabled(a->isEnabled());
        button->setVisible(a->isVisible());
    });
    return button;
}

QWidget *mappingBox(PageContext &ctx, const QString &title, int kind)
{
    auto *box = new QGroupBox(title);
    auto *l = new QVBoxLayout(box);
    auto k = MappingTables::Kind(kind);
    auto *view = new MappingGridView(ctx.workspace->maps(), k, box);
    (*ctx.mapViews) << view;
    l->addWidget(view, 1);
    auto *buttons = new QHBoxLayout;
    if (k != MappingTables::DEF) {
        auto *load = new QPushButton(utf8Text("Wczytaj"), box);
        auto *save = new QPushButton(utf8Text("Zachowaj"), box);
        QObject::connect(load, &QPushButton::clicked, box, [workspace = ctx.workspace, k, view] {
            workspace->loadMap(k);
            view->reload();
        });
        QObject::connect(save, &QPushButton::clicked, box, [workspace = ctx.workspace, k] { workspace->saveMap(k); });
        buttons->addWidget(load);
        buttons->addWidget(save);
    }
    const char *newCaption = k == MappingTables::NAG   ? "Domyślne"
                             : k == MappingTables::DEF ? "Wyczyść"
                                                       : "Nowy wzorzec";
    auto *fresh = new QPushButton(utf8Text(newCaption), box);
    if (k == MappingTables::NAG)
        (*ctx.named).insert(QStringLiteral("b_New_NAG"), fresh);
    QObject::connect(fresh, &QPushButton::clicked, box, [workspace = ctx.workspace, k, view] {
        workspace->newMap(k);
        view->reload();
    });
    buttons->addWidget(fresh);
    buttons->addStretch(1);
    l->addLayout(buttons);
    return box;
}
