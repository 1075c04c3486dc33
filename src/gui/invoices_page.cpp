#include "invoices_page.h"

#include "page_includes.h"

InvoicesPage::InvoicesPage(PageContext &ctx, QWidget *parent) : Page(ctx, parent)
{
    QWidget *page = this;
    auto *layout = new QVBoxLayout(page);
    DocumentTables &t = m_ctx.workspace->tables();
    auto *split = new QSplitter(Qt::Vertical, page);

    auto *top = new QWidget(split);
    auto *tl = new QVBoxLayout(top);
    tl->setContentsMargins(0, 0, 0, 0);
    auto *counter = new QLabel(top);
    counter->setObjectName(QStringLiteral("Label_poz_sp"));
    (*m_ctx.counters).insert(counter->objectName(), counter);
    QPushButton *importButton = actionButton(m_ctx, "Act_ImportujFaktury", top);
    QPushButton *erase = actionButton(m_ctx, "act_Erase_FAK", top);
    auto *sumInvoices = new QPushButton(utf8Text("Ʃ Wartość Faktur"), top);
    sumInvoices->setObjectName(QStringLiteral("Button_WartoscFaktur"));
    connect(sumInvoices, &QPushButton::clicked, this,
            [this] { m_ctx.sumButton(QStringLiteral("grid_FAK"), QStringLiteral("P_15")); });
    tl->addWidget(row(top, {new DocumentNavigator(&t.mt_FAK_, top), counter, importButton, erase, sumInvoices}));
    auto *inner = new QTabWidget(top);
    inner->setObjectName(QStringLiteral("PageControlFaktura"));
    invoiceTabs = inner;
    form = new InvoiceForm(&t.mt_FAK_, m_ctx.port, inner);
    inner->addTab(form, utf8Text("Faktura"));
    auto *fakGrid =
        new DocumentGrid(QStringLiteral("grid_FAK"), &t.mt_FAK_, {QStringLiteral("P_14_5")}, m_ctx.port, inner);
    (*m_ctx.grids).insert(fakGrid->objectName(), fakGrid);
    inner->addTab(GridFinder::wrap(fakGrid, inner), utf8Text("Lista faktur"));
    inner->setCurrentIndex(0);
    tl->addWidget(inner, 1);

    auto *bottom = new QWidget(split);
    auto *bl = new QVBoxLayout(bottom);
    bl->setContentsMargins(0, 0, 0, 0);
    auto *lineCounter = new QLabel(bottom);
    lineCounter->setObjectName(QStringLiteral("Label_poz_za"));
    (*m_ctx.counters).insert(lineCounter->objectName(), lineCounter);
    connectButton = new QPushButton(utf8Text("Połącz z fakturami"), bottom);
    connectButton->setObjectName(QStringLiteral("b_POZ_Polacz"));
    disconnectButton = new QPushButton(utf8Text("Rozłącz"), bottom);
    disconnectButton->setObjectName(QStringLiteral("b_POZ_Rozlacz"));
    connect(connectButton, &QPushButton::clicked, this, [&t] { t.connectLines(); });
    connect(disconnectButton, &QPushButton::clicked, this, [&t] { t.disconnectLines(); });
    auto *sumLines = new QPushButton(utf8Text("Ʃ Wartość Wierszy"), bottom);
    sumLines->setObjectName(QStringLiteral("Button_WartoscWierszyFaktur"));
    connect(sumLines, &QPushButton::clicked, this,
            [this] { m_ctx.sumButton(QStringLiteral("grid_POZ"), QStringLiteral("P_11")); });
    bl->addWidget(row(
        bottom, {new DocumentNavigator(&t.mt_POZ_, bottom), lineCounter, connectButton, disconnectButton, sumLines}));
    auto *pozGrid = new DocumentGrid(QStringLiteral("grid_POZ"), &t.mt_POZ_, {}, m_ctx.port, bottom);
    (*m_ctx.grids).insert(pozGrid->objectName(), pozGrid);
    keepDetailsOfShown(fakGrid, QStringLiteral("P_2A"), pozGrid, QStringLiteral("P_2B"),
                       utf8Text("tylko wiersze przefiltrowanych faktur"));
    bl->addWidget(GridFinder::wrap(pozGrid, bottom), 1);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split);
}
