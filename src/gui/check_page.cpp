#include "check_page.h"

#include "app/workspace.h"
#include "base/user_port.h"
#include "check/findings.h"
#include "grid_finder.h"
#include "tables/display_text.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
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

// The findings as rows, made when drawn: a million findings cost their list, not a million
// items per column.
class FindingsModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setFindings(const QList<Finding> &findings)
    {
        beginResetModel();
        m_findings = findings;
        endResetModel();
    }
    const Finding &at(int row) const { return m_findings.at(row); }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_findings.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char *const titles[] = {"poziom", "kod", "rodzaj", "faktura", "wiersz", "pole", "komunikat"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
            return QString::fromLatin1(titles[section]);
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_findings.size())
            return {};
        const Finding &f = m_findings.at(index.row());
        const bool error = f.level == Finding::Level::Error;
        switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
            case Level:
                return Finding::levelText(f.level);
            case Code:
                return f.code;
            case Kind:
                return f.kind;
            case Invoice:
                return f.invoice;
            case Line:
                return f.line > 0 ? QString::number(f.line) : QString();
            case Field:
                return f.field;
            case Message:
                return QString(f.where() + QStringLiteral(": ") + f.message);
            }
            return {};
        case Qt::UserRole: // what the column sorts by
            switch (index.column()) {
            case Level:
                return error ? 0 : 1;
            case Line:
                return f.line;
            case Message:
                return f.message;
            default:
                return data(index, Qt::DisplayRole);
            }
        case Qt::ForegroundRole:
            if (index.column() == Level)
                return error ? QColor(0xb0, 0x00, 0x20) : QColor(0x9a, 0x67, 0x00);
            return {};
        case Qt::ToolTipRole:
            return index.column() == Message ? QVariant(f.text()) : QVariant();
        default:
            return {};
        }
    }

private:
    QList<Finding> m_findings;
};

CheckPage::CheckPage(Workspace *workspace, UserPort *port, QWidget *parent)
    : QWidget(parent), m_workspace(workspace), m_port(port), m_model(new FindingsModel(this)),
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
    m_outdated = new QLabel(QStringLiteral("Wyniki są nieaktualne: dane zmieniły się po sprawdzeniu. "
                                           "Kliknij „Sprawdź dane”, aby sprawdzić je ponownie."),
                            this);
    m_outdated->setObjectName(QStringLiteral("Label_Nieaktualne"));
    m_outdated->setStyleSheet(QStringLiteral("color: #b00020; font-weight: bold"));
    m_outdated->setWordWrap(true);
    m_outdated->hide();
    layout->addWidget(m_outdated);
    connect(workspace, &Workspace::dataCheckOutdated, this, [this] {
        if (m_workspace->lastCheck().hasTotals) // the findings shown are those of the data
            m_outdated->show();
    });

    m_proxy->setSourceModel(m_model);
    m_proxy->setFilterKeyColumn(-1);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setSortRole(Qt::UserRole);
    auto *split = new QSplitter(Qt::Vertical, this);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("grid_Kontrola"));
    split->addWidget(GridFinder::wrap(m_view, split));
    m_view->setModel(m_model); // the proxy comes in with a filter or a sort
    // the findings come in the records' order; a click on a title sorts (and not before: the
    // view's own sorting would sort every new result, a million findings at once)
    m_view->horizontalHeader()->setSortIndicatorShown(false);
    m_view->horizontalHeader()->setSectionsClickable(true);
    connect(m_view->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        QHeaderView *header = m_view->horizontalHeader();
        const Qt::SortOrder order = header->isSortIndicatorShown() && header->sortIndicatorSection() == column &&
                                            header->sortIndicatorOrder() == Qt::AscendingOrder
                                        ? Qt::DescendingOrder
                                        : Qt::AscendingOrder;
        header->setSortIndicatorShown(true);
        header->setSortIndicator(column, order);
        useProxy(true);
        m_proxy->sort(column, order);
    });
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->verticalHeader()->hide();
    // rows of one height: a million findings are placed without asking each for its height
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
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
    // the filter follows the typing after a pause: a million findings are not filtered per key
    m_filterDelay = new QTimer(this);
    m_filterDelay->setSingleShot(true);
    m_filterDelay->setInterval(250);
    connect(m_filter, &QLineEdit::textChanged, m_filterDelay, qOverload<>(&QTimer::start));
    connect(m_filterDelay, &QTimer::timeout, this, &CheckPage::applyFilter);
    connect(m_filter, &QLineEdit::returnPressed, this, [this] {
        m_filterDelay->stop();
        applyFilter();
    });
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
    // a new result comes in the records' order, straight from the findings: a proxy over a
    // million rows maps every one of them before the first is shown
    m_proxy->sort(-1);
    m_view->horizontalHeader()->setSortIndicatorShown(false);
    m_model->setFindings(result.findings);
    useProxy(!m_filter->text().isEmpty());
    m_outdated->hide();
    // widths from the first rows: a million findings are not measured one by one
    m_view->horizontalHeader()->setResizeContentsPrecision(200);
    m_view->resizeColumnsToContents();
    const int errors = result.errors(); // one walk over a million findings, not two
    m_summary->setText(QStringLiteral("Błędy: %1, ostrzeżenia: %2")
                           .arg(QString::number(errors), QString::number(result.findings.size() - errors)));

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

void CheckPage::useProxy(bool on)
{
    QAbstractItemModel *wanted = on ? static_cast<QAbstractItemModel *>(m_proxy) : m_model;
    if (m_view->model() == wanted)
        return;
    // the columns keep the widths they had (a new model would give the header new sections)
    QList<int> widths;
    for (int c = 0; c < ColumnCount; ++c)
        widths << m_view->columnWidth(c);
    const bool sorted = m_view->horizontalHeader()->isSortIndicatorShown();
    const int sortColumn = m_view->horizontalHeader()->sortIndicatorSection();
    const Qt::SortOrder order = m_view->horizontalHeader()->sortIndicatorOrder();
    m_view->setModel(wanted);
    for (int c = 0; c < ColumnCount; ++c)
        m_view->setColumnWidth(c, widths.at(c));
    m_view->horizontalHeader()->setSortIndicatorShown(sorted);
    m_view->horizontalHeader()->setSortIndicator(sortColumn, order);
}

void CheckPage::applyFilter()
{
    const bool sorted = m_view->horizontalHeader()->isSortIndicatorShown();
    m_proxy->setFilterFixedString(m_filter->text());
    useProxy(sorted || !m_filter->text().isEmpty());
}

void CheckPage::activated(const QModelIndex &index)
{
    const QModelIndex source = m_view->model() == m_proxy ? m_proxy->mapToSource(index) : index;
    if (!source.isValid())
        return;
    const Finding &f = m_model->at(source.row());
    emit showRecord(f.kind, f.record, f.invoice, f.line, f.field);
}
