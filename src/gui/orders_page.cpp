#include "orders_page.h"

#include "page_includes.h"

OrdersPage::OrdersPage(PageContext &ctx, QWidget *parent) : Page(ctx, parent)
{
    QWidget *page = this;
    auto *layout = new QVBoxLayout(page);
    DocumentTables &t = m_ctx.workspace->tables();
    auto *counter = new QLabel(page);
    counter->setObjectName(QStringLiteral("Label_poz_zam"));
    (*m_ctx.counters).insert(counter->objectName(), counter);
    QPushButton *importButton = actionButton(m_ctx, "act_ImportujZamowienia", page);
    QPushButton *erase = actionButton(m_ctx, "act_Erase_ZAM", page);
    auto *sumOrders = new QPushButton(utf8Text("Ʃ Wartość Zamówień"), page);
    sumOrders->setObjectName(QStringLiteral("Button_WartoscZamowien"));
    connect(sumOrders, &QPushButton::clicked, this,
            [this] { m_ctx.sumButton(QStringLiteral("grid_ZAM"), QStringLiteral("WartoscZamowienia")); });
    layout->addWidget(row(page, {new DocumentNavigator(&t.mt_ZAM_, page), counter, importButton, erase, sumOrders}));
    auto *zam = new DocumentGrid(QStringLiteral("grid_ZAM"), &t.mt_ZAM_, {QStringLiteral("idx")}, m_ctx.port, page);
    (*m_ctx.grids).insert(zam->objectName(), zam);
    layout->addWidget(GridFinder::wrap(zam, page), 2);
    auto *lineCounter = new QLabel(page);
    lineCounter->setObjectName(QStringLiteral("Label_poz_zza"));
    (*m_ctx.counters).insert(lineCounter->objectName(), lineCounter);
    auto *sumOrderLines = new QPushButton(utf8Text("Ʃ Wartość Wierszy"), page);
    sumOrderLines->setObjectName(QStringLiteral("Button_SumaWierszyZaliczek"));
    connect(sumOrderLines, &QPushButton::clicked, this,
            [this] { m_ctx.sumButton(QStringLiteral("grid_ZPOZ"), QStringLiteral("P_11NettoZ")); });
    layout->addWidget(row(page, {new DocumentNavigator(&t.mt_ZPOZ_, page), lineCounter, sumOrderLines}));
    auto *zpoz =
        new DocumentGrid(QStringLiteral("grid_ZPOZ"), &t.mt_ZPOZ_, {QStringLiteral("idx_zal")}, m_ctx.port, page);
    (*m_ctx.grids).insert(zpoz->objectName(), zpoz);
    keepDetailsOfShown(zam, QStringLiteral("idx"), zpoz, QStringLiteral("idx_zal"),
                       utf8Text("tylko wiersze przefiltrowanych zamówień"));
    layout->addWidget(GridFinder::wrap(zpoz, page), 3);
}
