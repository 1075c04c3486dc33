#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QWidget>
#include <functional>
#include <initializer_list>

class ControlBinder;
class DocumentGrid;
class MappingGridView;
class QAction;
class QLabel;
class QPushButton;
class UserPort;
class Workspace;

// What the pages of the window share, handed to each page as it is built: the Workspace, the
// user port, the binder of options to widgets, and the window's registers of actions, named
// widgets, grids, counters and mapping-table views (the window finds them there by name).
struct PageContext
{
    Workspace *workspace = nullptr;
    UserPort *port = nullptr;
    ControlBinder *binder = nullptr;
    QHash<QString, QAction *> *actions = nullptr;
    QHash<QString, QWidget *> *named = nullptr;
    QHash<QString, DocumentGrid *> *grids = nullptr;
    QHash<QString, QLabel *> *counters = nullptr;
    QList<MappingGridView *> *mapViews = nullptr;
    // a "Ʃ" button: its grid gets the focus and its column, then the column is summed
    std::function<void(const QString &grid, const QString &field)> sumButton;
};

// A caption written in the source as UTF-8 (the sources keep the Polish letters as they are).
inline QString utf8Text(const char *text)
{
    return QString::fromUtf8(text);
}

// Widgets side by side in a row of their own (a stretch after them unless told otherwise).
QWidget *row(QWidget *parent, std::initializer_list<QWidget *> widgets, bool stretch = true);
// A mapping table with its buttons ("Wczytaj", "Zachowaj", "Nowy wzorzec" / "Domyślne" / "Wyczyść").
QWidget *mappingBox(PageContext &ctx, const QString &title, int kind);

// A page of the window: it keeps the context for its own slots.
class Page : public QWidget
{
public:
    Page(PageContext &ctx, QWidget *parent) : QWidget(parent), m_ctx(ctx) {}

protected:
    PageContext m_ctx;
};

// The detail grid's rule "only the lines of the records the master grid shows": a line is
// kept when its detailField equals the masterField of a record shown; the detail grid filters
// again whenever the master grid's view changes.
void keepDetailsOfShown(DocumentGrid *master, const QString &masterField, DocumentGrid *detail,
                        const QString &detailField, const QString &caption);

// A push button for a command of the window: its caption, a click runs the command, and it is
// enabled and shown as the command is.
QPushButton *actionButton(PageContext &ctx, const char *action, QWidget *parent);
