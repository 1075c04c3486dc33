#include "check_page.h"

#include "app/workspace.h"
#include "base/user_port.h"
#include "check/findings.h"
#include "tables/display_text.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column
{
    Level,
    Code,
    Kind,
    Invoice,
    Line,
    Field,
    Message,
    ColumnCount
};

} // namespace

CheckPage::CheckPage(Workspace *workspace, UserPort *port, QWidget *parent)
    : QWidget(parent), m_workspace(workspace), m_port(port), m_model(new QStandardItemModel(0, ColumnCount, this)),
      m_proxy(new QSortFilterProxyModel(this))
{
    auto *layout = new QVBoxLayout(this);
    auto *buttons = new QHBoxLayout;
    auto *data = new QPushButton(QStringLiteral("Sprawdź dane"), this);
    data->setObjectName(QStringLiteral("b_SprawdzDane"));
    data->setToolTip(
        QStringLiteral("Kontrole K01–K11 na fakturach, wierszach i zamówieniach w tabelach oraz sumy według stawek"));
    auto *file = new QPushButton(QStringLiteral("Sprawdź plik"), this);
    file->setObjectName(QStringLiteral("b_SprawdzPlik"));
    file->setToolTip(QStringLiteral("Wszystkie błędy schematu wybranego pliku JPK, każdy przy swojej fakturze i polu"));
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("ed_FiltrKontroli"));
    m_filter->setPlaceholderText(QStringLiteral("Filtruj (np. K05, FV/12, P_12, błąd)"));
    m_filter->setClearButtonEnabled(true);
    m_summary = new QLabel(this);
    buttons->addWidget(data);
    buttons->addWidget(file);
    buttons->addWidget(m_filter, 1);
    buttons->addWidget(m_summary);
    layout->addLayout(buttons);

    m_model->setHorizontalHeaderLabels({QStringLiteral("poziom"), QStringLiteral("kod"), QStringLiteral("rodzaj"),
                                        QStringLiteral("faktura"), QStringLiteral("wiersz"), QStringLiteral("pole"),
                                        QStringLiteral("komunikat")});
    m_proxy->setSourceModel(m_model);
    m_proxy->setFilterKeyColumn(-1);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setSortRole(Qt::UserRole);
    auto *split = new QSplitter(Qt::Vertical, this);
    m_view = new QTableView(split);
    m_view->setObjectName(QStringLiteral("grid_Kontrola"));
    m_view->setModel(m_proxy);
    m_view->setSortingEnabled(true);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->setWordWrap(false);
    m_totals = new QTableWidget(split);
    m_totals->setObjectName(QStringLiteral("grid_SumyStawek"));
    m_totals->setEditTriggers(QAbstractItemView::NoEditTriggers);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);

    connect(data, &QPushButton::clicked, this, &CheckPage::checkData);
    connect(file, &QPushButton::clicked, this, [this] {
        if (const auto path = m_port->chooseOpenFile(
                QStringLiteral("Sprawdź plik JPK"),
                QStringLiteral("Pliki JPK*.XML (*JPK*.XML *JPK*.xml);;Pliki XML (*.XML *.xml)"), QStringLiteral("XML")))
            checkFile(*path);
    });
    connect(m_filter, &QLineEdit::textChanged, m_proxy, &QSortFilterProxyModel::setFilterFixedString);
    connect(m_view, &QTableView::doubleClicked, this, &CheckPage::activated);
}

void CheckPage::checkData()
{
    show(m_workspace->checkData());
}

bool CheckPage::checkFile(const QString &path)
{
    if (const Result<> checked = m_workspace->checkFile(path); !checked) {
        m_port->failure(applicationTitle(),
                        QStringLiteral("Nie można sprawdzić pliku %1\r%2").arg(path, checked.reason()));
        return false;
    }
    show(m_workspace->lastCheck());
    return true;
}

void CheckPage::show(const CheckResult &result)
{
    m_model->removeRows(0, m_model->rowCount());
    m_model->setRowCount(int(result.findings.size()));
    int row = 0;
    for (const Finding &f : result.findings) {
        auto item = [&](int column, const QString &text, const QVariant &sortKey) {
            auto *i = new QStandardItem(text);
            i->setData(sortKey, Qt::UserRole);
            m_model->setItem(row, column, i);
            return i;
        };
        QStandardItem *level = item(Level, Finding::levelText(f.level), f.level == Finding::Level::Error ? 0 : 1);
        level->setForeground(f.level == Finding::Level::Error ? QColor(0xb0, 0x00, 0x20) : QColor(0x9a, 0x67, 0x00));
        level->setData(f.kind, Qt::UserRole + 1);
        level->setData(f.record, Qt::UserRole + 2);
        level->setData(f.invoice, Qt::UserRole + 3);
        level->setData(f.line, Qt::UserRole + 4);
        level->setData(f.field, Qt::UserRole + 5);
        item(Code, f.code, f.code);
        item(Kind, f.kind, f.kind);
        item(Invoice, f.invoice, f.invoice);
        item(Line, f.line > 0 ? QString::number(f.line) : QString(), f.line);
        item(Field, f.field, f.field);
        item(Message, f.where() + QStringLiteral(": ") + f.message, f.message)->setToolTip(f.text());
        ++row;
    }
    m_view->resizeColumnsToContents();
    m_summary->setText(QStringLiteral("Błędy: %1, ostrzeżenia: %2")
                           .arg(QString::number(result.errors()), QString::number(result.warnings())));

    // the totals: a row per rate, for each kind its net, tax and tax in PLN
    m_totals->clear();
    m_totals->setVisible(result.hasTotals);
    if (!result.hasTotals)
        return;
    // a column triple per kind and currency
    const QStringList rates = Totals::rates();
    QStringList headers;
    for (const Totals::Group &g : result.totals.groups) {
        const QString group = QStringLiteral("%1 %2").arg(g.kind, g.currency);
        headers << QStringLiteral("%1 (%2) netto").arg(group, QString::number(g.count))
                << QStringLiteral("%1 podatek").arg(group) << QStringLiteral("%1 podatek PLN").arg(group);
    }
    m_totals->setColumnCount(int(headers.size()));
    m_totals->setRowCount(int(rates.size()));
    m_totals->setHorizontalHeaderLabels(headers);
    m_totals->setVerticalHeaderLabels(rates);
    for (size_t k = 0; k < result.totals.groups.size(); ++k) {
        const Totals::Group &g = result.totals.groups[k];
        for (int r = 0; r < rates.size(); ++r) {
            const auto found = g.byRate.find(rates.at(r));
            const RateTotals t = found == g.byRate.end() ? RateTotals() : found->second;
            const qint64 values[] = {t.net, t.tax, t.taxPln};
            for (int j = 0; j < 3; ++j) {
                auto *cell = new QTableWidgetItem(DisplayText::number(double(values[j]) / 100.0, 2, true));
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                m_totals->setItem(r, int(k) * 3 + j, cell);
            }
        }
    }
    m_totals->resizeColumnsToContents();
}

void CheckPage::activated(const QModelIndex &index)
{
    const QModelIndex first = m_proxy->mapToSource(index.siblingAtColumn(Level));
    const QStandardItem *item = m_model->itemFromIndex(first);
    if (!item)
        return;
    emit showRecord(item->data(Qt::UserRole + 1).toString(), item->data(Qt::UserRole + 2).toInt(),
                    item->data(Qt::UserRole + 3).toString(), item->data(Qt::UserRole + 4).toInt(),
                    item->data(Qt::UserRole + 5).toString());
}
