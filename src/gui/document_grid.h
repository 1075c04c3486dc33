#pragma once

#include <QTableView>

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

signals:
    void menuOpened(DocumentGrid *grid);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

    // Widens the columns to their content (title, and a sample of rows), up to a cap.
    void fitColumnsToContent();

private:
    static constexpr int kSampleRows = 50;
    static constexpr int kMaxColumnWidth = 300;
    void syncCurrent();

    DocumentModel *m_model;
    DocumentTable *m_table;
    UserPort *m_port;
    bool m_syncing = false;
    QAction *m_sumAction = nullptr;
    int m_menuColumn = -1;
};
