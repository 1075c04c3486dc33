#include "page_context.h"

#include "page_includes.h"

#include <memory>
#include <unordered_set>

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

void keepDetailsOfShown(DocumentGrid *master, const QString &masterField, DocumentGrid *detail,
                        const QString &detailField, const QString &caption)
{
    detail->setKeepRule(caption, [master, masterField, detail, detailField] {
        const DocumentModel *shown = master->documentModel();
        const DocumentTable *masters = shown->table();
        const int key = masters->fieldIndex(masterField);
        auto keys = std::make_shared<std::unordered_set<size_t>>();
        keys->reserve(size_t(shown->shownCount()));
        for (int r = 0; r < shown->shownCount(); ++r)
            keys->insert(
                qHash(DocumentTable::keyText(masters->valueAt(masters->presentedRow(shown->positionOfRow(r)), key))));
        const DocumentTable *lines = detail->documentModel()->table();
        const int link = lines->fieldIndex(detailField);
        return std::function<bool(int)>([keys, lines, link](int row) {
            return keys->count(qHash(DocumentTable::keyText(lines->valueAt(row, link)))) > 0;
        });
    });
    QObject::connect(master, &DocumentGrid::viewChanged, detail, [detail] {
        if (detail->keepOn())
            detail->refreshView();
    });
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
