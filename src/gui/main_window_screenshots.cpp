#include "main_window.h"

#include "document_grid.h"
#include "document_model.h"
#include "grid_finder.h"
#include "tables/document_table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

// Pictures of every visible page, for the guide and for looking at the window as a user does.

bool MainWindow::renderPages(const QString &dir)
{
    QDir().mkpath(dir);
    applyActivationRule();
    bool ok = true;
    for (int i = 0; i < m_pages->count(); ++i) {
        if (!m_pages->isTabVisible(i))
            continue;
        m_pages->setCurrentIndex(i);
        // the description page is shown with the schema loaded when it is at hand
        if (auto *load = m_pages->widget(i)->findChild<QPushButton *>(QStringLiteral("b_LoadXSD"));
            load && load->isVisible() &&
            QFile::exists(QDir(m_workspace->homeDir()).filePath(QStringLiteral("Schemat_JPK_FA(4)_v1-0.xsd"))))
            load->click();
        QCoreApplication::processEvents();
        const QString name =
            QStringLiteral("%1_%2.png").arg(i + 1, 2, 10, QLatin1Char('0')).arg(m_pages->widget(i)->objectName());
        ok = grab().save(QDir(dir).filePath(name)) && ok;
    }
    return renderFinding(dir) && ok;
}

bool MainWindow::renderFinding(const QString &dir)
{
    // the invoice list with its bar: a number found, then a buyer's invoices by amount
    DocumentGrid *grid = m_grids.value(QStringLiteral("grid_FAK"));
    DocumentTable *table = grid->documentModel()->table();
    if (table->recordCount() < 2)
        return true;
    m_pages->setCurrentWidget(m_pageByName.value(QStringLiteral("ts_Faktury")));
    showGrid(grid);
    GridFinder *finder = GridFinder::of(grid);
    const int last = table->presentedRow(table->recordCount() - 1);
    finder->openSearch();
    finder->searchField()->setText(table->stringAt(last, table->fieldIndex(QStringLiteral("P_2A"))));
    finder->findNext(false);
    QCoreApplication::processEvents();
    bool ok = grab().save(QDir(dir).filePath(QStringLiteral("90_szukaj_numeru.png")));
    const int buyer = grid->documentModel()->columnOfField(QStringLiteral("P_3A"));
    const QString name = table->stringAt(table->presentedRow(0), table->fieldIndex(QStringLiteral("P_3A")));
    grid->setCurrentIndex(grid->documentModel()->index(0, buyer));
    finder->openFilter(buyer, name.section(u' ', 0, 0));
    finder->applyFilter();
    grid->sortByColumn(grid->documentModel()->columnOfField(QStringLiteral("P_15")), Qt::DescendingOrder);
    QCoreApplication::processEvents();
    ok = grab().save(QDir(dir).filePath(QStringLiteral("91_filtr_i_sortowanie.png"))) && ok;
    grid->clearFilters();
    grid->clearSort();
    return ok;
}
