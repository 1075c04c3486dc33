#pragma once

#include <QTableView>
#include <QToolBar>

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

signals:
    void sumRequested(DocumentGrid *grid, int field);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void syncCurrent();

    DocumentModel *m_model;
    DocumentTable *m_table;
    UserPort *m_port;
    bool m_syncing = false;
};

// The navigator of a table: first, prior, next, last, insert, delete, edit, post, cancel, refresh.
class DocumentNavigator : public QToolBar
{
    Q_OBJECT
public:
    DocumentNavigator(DocumentTable *table, QWidget *parent = nullptr);
};
