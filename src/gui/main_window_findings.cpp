#include "main_window.h"

#include "document_grid.h"
#include "document_model.h"

#include <QTabWidget>

// From a finding of Kontrola to its record: the page, the record and the field's column.

void MainWindow::showFinding(const QString &kind, int record, const QString &invoice, int line, const QString &field)
{
    DocumentTables &t = m_workspace->tables();
    if (!m_workspace->isBusy())
        t.dropDeletedRows(); // the finding names records as the check counted them
    const bool orders = kind == u"Zamowienie" || kind == u"ZamowienieWiersz";
    DocumentTable &table = orders ? t.mt_ZAM_ : t.mt_FAK_;
    const int key = table.fieldIndex(orders ? QStringLiteral("P_2AZ") : QStringLiteral("P_2A"));
    // the record by its number, else by its place
    int row = -1;
    if (!invoice.isEmpty()) {
        for (int r = 0; r < table.storedCount() && row < 0; ++r)
            if (table.stringAt(r, key) == invoice)
                row = r;
    } else if ((kind == u"Faktura" || kind == u"Zamowienie") && record > 0 && record <= table.storedCount()) {
        row = record - 1;
    }
    if (orders) {
        m_pages->setCurrentWidget(m_pageByName.value(QStringLiteral("ts_Zamowienia")));
    } else {
        m_pages->setCurrentWidget(m_pageByName.value(QStringLiteral("ts_Faktury")));
        showGrid(m_grids.value(QStringLiteral("grid_FAK")));
    }
    if (row >= 0)
        table.moveTo(row);
    // the field's column is made current, in the grid of the record that holds it
    DocumentGrid *grid = m_grids.value(orders ? QStringLiteral("grid_ZAM") : QStringLiteral("grid_FAK"));
    DocumentTable *detail = orders ? &t.mt_ZPOZ_ : &t.mt_POZ_;
    DocumentGrid *detailGrid = m_grids.value(orders ? QStringLiteral("grid_ZPOZ") : QStringLiteral("grid_POZ"));
    if (line > 0 && (kind == u"FakturaWiersz" || kind == u"ZamowienieWiersz")) {
        if (detail == &t.mt_POZ_ && !t.lineLinkOn())
            t.linkLinesToInvoices();
        detail->moveTo(line - 1);
        grid = detailGrid;
    }
    const int column = grid->documentModel()->columnOfField(field);
    const int position = grid->documentModel()->table()->position();
    if (position >= 0) {
        // a record the grid's filter hides is shown: the filter goes
        if (grid->documentModel()->rowOfPosition(position) < 0)
            grid->clearFilters();
        grid->showPosition(position, std::max(column, 0));
    }
    grid->setFocus();
}
