#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class FindingsModel;
class QSortFilterProxyModel;
class QTimer;
class QTableView;
class QTableWidget;
class UserPort;
class Workspace;
struct CheckResult;

// "Kontrola": the checks beyond the schema on the tables ("Sprawdź dane"), every schema error
// of a chosen file ("Sprawdź plik"), the findings in a table that sorts and filters, and the
// totals per rate below it. A double click asks the window to show the finding's record.
class CheckPage : public QWidget
{
    Q_OBJECT
public:
    CheckPage(Workspace *workspace, UserPort *port, QWidget *parent = nullptr);

    QTableView *findingsView() const { return m_view; }
    QTableWidget *totalsView() const { return m_totals; }
    QLineEdit *filter() const { return m_filter; }
    // Shown over the findings when the data changed after "Sprawdź dane".
    QLabel *outdatedNote() const { return m_outdated; }
    void checkData();
    bool checkFile(const QString &path);

signals:
    // kind ("Faktura", "FakturaWiersz", …), the record's number, its invoice, its line, the field
    void showRecord(const QString &kind, int record, const QString &invoice, int line, const QString &field);

private:
    void show(const CheckResult &result);
    void activated(const QModelIndex &index);
    // The findings through the proxy (filtered or sorted) or straight.
    void useProxy(bool on);
    void applyFilter();

    Workspace *m_workspace;
    UserPort *m_port;
    FindingsModel *m_model;
    QSortFilterProxyModel *m_proxy;
    QTableView *m_view;
    QLineEdit *m_filter;
    QLabel *m_summary;
    QTableWidget *m_totals;
    QLabel *m_outdated;
    QTimer *m_filterDelay;
};
