#include "check/data_checks.h"

#include "base/user_port.h"
#include "tables/display_text.h"
#include "tables/document_tables.h"

#include <QHash>
#include <cmath>
#include <vector>

QString Finding::where() const
{
    // a line is named by its invoice and its number there
    QString text = kind == u"Naglowek"                                          ? QStringLiteral("Nagłówek")
                   : kind == u"FakturaWiersz" && line > 0 && !invoice.isEmpty() ? QStringLiteral("Faktura")
                                                                                : kind;
    if (!invoice.isEmpty())
        text += u' ' + invoice;
    else if (record > 0)
        text += QStringLiteral(" (pozycja %1)").arg(record);
    if (!field.isEmpty())
        text += QStringLiteral(", pole ") + field +
                (description.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(description));
    if (line > 0)
        text += QStringLiteral(" w wierszu %1").arg(line);
    return text;
}

QString Finding::text() const
{
    return QStringLiteral("%1 %2: %3: %4").arg(code, levelText(level), where(), message);
}

int CheckResult::errors() const
{
    int n = 0;
    for (const Finding &f : findings)
        n += f.level == Finding::Level::Error ? 1 : 0;
    return n;
}

int CheckResult::warnings() const
{
    return int(findings.size()) - errors();
}

namespace {

// The net, tax and tax-in-PLN fields of each rate column of an invoice, and the line rates
// that belong to it.
struct RateColumn
{
    const char *net, *tax, *taxPln;
    QStringList lineRates;
    double percents[2]; // the tax a net amount carries (0: none to compare)
};

const std::vector<RateColumn> &rateColumns()
{
    static const std::vector<RateColumn> columns = {
        {"P_13_1", "P_14_1", "P_14_1W", {QStringLiteral("23"), QStringLiteral("22")}, {23, 22}},
        {"P_13_2", "P_14_2", "P_14_2W", {QStringLiteral("8"), QStringLiteral("7")}, {8, 7}},
        {"P_13_3", "P_14_3", "P_14_3W", {QStringLiteral("5")}, {5, 5}},
        {"P_13_4", "P_14_4", "P_14_4W", {QStringLiteral("4"), QStringLiteral("3"), QStringLiteral("oo")}, {0, 0}},
        {"P_13_5", "P_14_5", nullptr, {QStringLiteral("np")}, {0, 0}},
        {"P_13_6", nullptr, nullptr, {QStringLiteral("0")}, {0, 0}},
        {"P_13_7", nullptr, nullptr, {QStringLiteral("zw")}, {0, 0}},
    };
    return columns;
}

QString amount(double v)
{
    return DisplayText::number(v, 2, true);
}

// Field indexes looked up once.
struct Fields
{
    explicit Fields(const DocumentTable &t) : table(t) {}
    int operator()(const char *name) const { return name ? table.fieldIndex(QString::fromLatin1(name)) : -1; }
    const DocumentTable &table;
};

class Checker
{
public:
    Checker(const DocumentTables &tables, const DataChecks::Header &header, UserPort *port)
        : m_port(port), h(header), fak(tables.mt_FAK_), poz(tables.mt_POZ_), zam(tables.mt_ZAM_), zpoz(tables.mt_ZPOZ_)
    {
    }

    QList<Finding> run()
    {
        indexRecords();
        checkHeader();
        if (m_port) {
            m_port->progressUnit(QStringLiteral("faktur"));
            m_port->progressShow(0, fak.storedCount());
        }
        for (int row = 0; row < fak.storedCount(); ++row) {
            checkInvoice(row);
            if (m_port && (row & 0xff) == 0xff) { // the port lets events run only every few ms
                m_port->progressPosition(row + 1);
                m_port->pump();
            }
        }
        if (m_port)
            m_port->progressHide();
        checkLines();
        checkOrders();
        return m_findings;
    }

private:
    void add(Finding::Level level, const char *code, const QString &kind, int record, const QString &invoice, int line,
             const QString &field, const QString &value, const QString &message)
    {
        Finding f;
        f.level = level;
        f.code = QString::fromLatin1(code);
        f.kind = kind;
        f.record = record;
        f.invoice = invoice;
        f.line = line;
        f.field = field;
        f.value = value;
        f.message = message;
        m_findings.append(f);
    }
    void invoiceFinding(Finding::Level level, const char *code, int row, const QString &field, const QString &value,
                        const QString &message)
    {
        add(level, code, QStringLiteral("Faktura"), row + 1, fak.stringAt(row, iP_2A), 0, field, value, message);
    }

    void indexRecords()
    {
        const Fields f(fak), p(poz), z(zam), zp(zpoz);
        // every field is looked up once: a million invoices ask for them many million times
        for (const RateColumn &rc : rateColumns())
            m_rate.push_back({f(rc.net), f(rc.tax), f(rc.taxPln)});
        static const char *sumFields[] = {"P_13_1", "P_13_2", "P_13_3", "P_13_4", "P_13_5", "P_13_6",
                                          "P_13_7", "P_14_1", "P_14_2", "P_14_3", "P_14_4", "P_14_5"};
        for (const char *name : sumFields)
            m_sum.push_back(f(name));
        iP_1 = f("P_1");
        iP_4B = f("P_4B");
        iP_5A = f("P_5A");
        iP_5B = f("P_5B");
        iP_15 = f("P_15");
        iRodzaj = f("RodzajFaktury");
        iPrzyczyna = f("PrzyczynaKorekty");
        iNrKor = f("NrFaKorygowanej");
        iWaluta = f("KodWaluty");
        iP_11 = p("P_11");
        iP_12 = p("P_12");
        // the rate column of each line, worked out once
        m_lineColumn.resize(size_t(poz.storedCount()), -1);
        for (int row = 0; row < poz.storedCount(); ++row) {
            const QStringView rate = poz.stringViewAt(row, iP_12);
            for (size_t c = 0; c < rateColumns().size() && m_lineColumn[size_t(row)] < 0; ++c)
                for (const QString &r : rateColumns()[c].lineRates)
                    if (rate == r)
                        m_lineColumn[size_t(row)] = qint8(c);
        }
        iP_2A = f("P_2A");
        iP_2B = p("P_2B");
        iP_2AZ = z("P_2AZ");
        iIdx = z("idx");
        iIdxZal = zp("idx_zal");
        // invoices by number (views into the table: nothing is copied), the first of each number
        const int invoices = fak.storedCount();
        m_invoiceByNumber.reserve(invoices);
        m_firstOf.assign(size_t(invoices), -1);
        for (int row = 0; row < invoices; ++row) {
            const QStringView number = fak.stringViewAt(row, iP_2A);
            if (number.isEmpty())
                continue;
            const auto it = m_invoiceByNumber.constFind(number);
            m_firstOf[size_t(row)] = it == m_invoiceByNumber.cend() ? row : *it;
            if (it == m_invoiceByNumber.cend())
                m_invoiceByNumber.insert(number, row);
        }
        // the lines of each invoice, in their order, as one array (no list per invoice)
        const int lines = poz.storedCount();
        m_lineInvoice.assign(size_t(lines), -1);
        m_lineStart.assign(size_t(invoices) + 1, 0);
        for (int row = 0; row < lines; ++row) {
            const auto it = m_invoiceByNumber.constFind(poz.stringViewAt(row, iP_2B));
            if (it != m_invoiceByNumber.cend()) {
                m_lineInvoice[size_t(row)] = *it;
                ++m_lineStart[size_t(*it) + 1];
            }
        }
        for (int i = 0; i < invoices; ++i)
            m_lineStart[size_t(i) + 1] += m_lineStart[size_t(i)];
        m_lineRows.resize(size_t(m_lineStart.back()));
        std::vector<int> fill(m_lineStart.begin(), m_lineStart.end() - 1);
        for (int row = 0; row < lines; ++row)
            if (m_lineInvoice[size_t(row)] >= 0)
                m_lineRows[size_t(fill[size_t(m_lineInvoice[size_t(row)])]++)] = row;
        for (int row = 0; row < zam.storedCount(); ++row) {
            m_orderOf.insert(zam.stringViewAt(row, iP_2AZ), row);
            if (!zam.isNullAt(row, iIdx))
                m_orderIds.insert(zam.intAt(row, iIdx), row);
        }
    }

    void checkHeader()
    {
        if (!h.nip.isEmpty() && !DataChecks::nipValid(h.nip))
            add(Finding::Level::Error, "K01", QStringLiteral("Naglowek"), 0, QString(), 0, QStringLiteral("NIP"), h.nip,
                QStringLiteral("NIP podmiotu %1 ma błędną sumę kontrolną").arg(h.nip));
        for (const QString &name : h.missing)
            add(Finding::Level::Warning, "K11", QStringLiteral("Naglowek"), 0, QString(), 0, name, QString(),
                QStringLiteral("pole %1 nagłówka jest wymagane przez schemat, a jest puste").arg(name));
    }

    void checkInvoice(int row)
    {
        const QStringView number = fak.stringViewAt(row, iP_2A);
        // K01: the seller's NIP always, the buyer's when it is Polish
        const QStringView seller = fak.stringViewAt(row, iP_4B);
        if (!seller.isEmpty() && !DataChecks::nipValid(seller))
            invoiceFinding(Finding::Level::Error, "K01", row, QStringLiteral("P_4B"), seller.toString(),
                           QStringLiteral("NIP sprzedawcy %1 ma błędną sumę kontrolną").arg(seller));
        const QStringView buyerPrefix = fak.stringViewAt(row, iP_5A);
        const QStringView buyer = fak.stringViewAt(row, iP_5B);
        if (!buyer.isEmpty() && (buyerPrefix.isEmpty() || buyerPrefix == u"PL") && !DataChecks::nipValid(buyer))
            invoiceFinding(Finding::Level::Warning, "K01", row, QStringLiteral("P_5B"), buyer.toString(),
                           QStringLiteral("NIP nabywcy %1 ma błędną sumę kontrolną").arg(buyer));
        // K02: the issue date within the period
        if (!fak.isNullAt(row, iP_1) && h.from.isValid() && h.to.isValid()) {
            const QDate issued = fak.valueAt(row, iP_1).toDate();
            if (issued < h.from || issued > h.to)
                invoiceFinding(
                    Finding::Level::Error, "K02", row, QStringLiteral("P_1"), issued.toString(Qt::ISODate),
                    QStringLiteral("data wystawienia %1 leży poza okresem %2 – %3")
                        .arg(issued.toString(Qt::ISODate), h.from.toString(Qt::ISODate), h.to.toString(Qt::ISODate)));
        }
        // K03: numbers are unique (the second and every later one is reported)
        const int first = m_firstOf[size_t(row)];
        if (first >= 0 && first != row)
            invoiceFinding(Finding::Level::Error, "K03", row, QStringLiteral("P_2A"), number.toString(),
                           QStringLiteral("numer faktury powtarza się (pierwsza: pozycja %1 listy)").arg(first + 1));
        // K05: the total is the net plus the tax
        double sum = 0;
        int summed = 0;
        for (const int field : m_sum) {
            if (!fak.isNullAt(row, field)) {
                sum += fak.floatAt(row, field);
                ++summed;
            }
        }
        if (!fak.isNullAt(row, iP_15) || summed > 0) {
            const double total = fak.floatAt(row, iP_15);
            if (std::fabs(total - sum) > 0.01 * std::max(summed, 1) + 1e-9)
                invoiceFinding(Finding::Level::Error, "K05", row, QStringLiteral("P_15"), amount(total),
                               QStringLiteral("kwota ogółem %1 różni się od sumy kwot netto i podatku %2")
                                   .arg(amount(total), amount(sum)));
        }
        // K06: each tax agrees with its net amount and rate
        // the lines of an invoice are those of the first invoice of its number
        const int owner = first >= 0 ? first : -1;
        const int *lines = owner >= 0 ? m_lineRows.data() + m_lineStart[size_t(owner)] : nullptr;
        const int lineCount = owner >= 0 ? m_lineStart[size_t(owner) + 1] - m_lineStart[size_t(owner)] : 0;
        for (size_t c = 0; c < rateColumns().size(); ++c) {
            const RateColumn &rc = rateColumns()[c];
            if (!rc.tax || rc.percents[0] == 0)
                continue;
            const int net = m_rate[c].net, tax = m_rate[c].tax;
            if (fak.isNullAt(row, net) || fak.isNullAt(row, tax))
                continue;
            const double n = fak.floatAt(row, net), v = fak.floatAt(row, tax);
            const double tolerance = 0.01 * std::max(lineCount, 1) + 1e-9;
            bool agrees = false;
            for (double percent : rc.percents)
                agrees = agrees || std::fabs(v - n * percent / 100.0) <= tolerance;
            if (!agrees)
                invoiceFinding(Finding::Level::Warning, "K06", row, QString::fromLatin1(rc.tax), amount(v),
                               QStringLiteral("podatek %1 nie odpowiada kwocie netto %2 (%3)")
                                   .arg(amount(v), amount(n),
                                        rc.percents[0] == rc.percents[1]
                                            ? QStringLiteral("%1%").arg(rc.percents[0])
                                            : QStringLiteral("%1% lub %2%").arg(rc.percents[0]).arg(rc.percents[1])));
        }
        // K07: the lines add up to the net amounts per rate
        if (lineCount > 0) {
            double lineSums[8] = {};
            int counts[8] = {};
            for (int i = 0; i < lineCount; ++i) {
                const int l = lines[i];
                const int c = m_lineColumn[size_t(l)];
                if (c >= 0) {
                    lineSums[c] += poz.floatAt(l, iP_11);
                    ++counts[c];
                }
            }
            for (size_t c = 0; c < rateColumns().size(); ++c) {
                const RateColumn &rc = rateColumns()[c];
                const double lineSum = lineSums[c];
                const int counted = counts[c];
                const int net = m_rate[c].net;
                if (counted == 0 && fak.isNullAt(row, net))
                    continue;
                const double n = fak.floatAt(row, net);
                if (std::fabs(n - lineSum) > 0.01 * std::max(counted, 1) + 1e-9)
                    invoiceFinding(
                        Finding::Level::Warning, "K07", row, QString::fromLatin1(rc.net), amount(n),
                        QStringLiteral(
                            "suma wartości netto wierszy ze stawką %1 (%2) różni się od kwoty %3 faktury (%4)")
                            .arg(rc.lineRates.join(u'/'), amount(lineSum), QString::fromLatin1(rc.net), amount(n)));
            }
        }
        // K08: a correction says why and what; an advance invoice has its order
        const QStringView kind = fak.stringViewAt(row, iRodzaj);
        if (kind == u"KOREKTA") {
            if (fak.stringViewAt(row, iPrzyczyna).trimmed().isEmpty())
                invoiceFinding(Finding::Level::Error, "K08", row, QStringLiteral("PrzyczynaKorekty"), QString(),
                               QStringLiteral("faktura korygująca bez przyczyny korekty"));
            if (fak.stringViewAt(row, iNrKor).trimmed().isEmpty())
                invoiceFinding(Finding::Level::Error, "K08", row, QStringLiteral("NrFaKorygowanej"), QString(),
                               QStringLiteral("faktura korygująca bez numeru faktury korygowanej"));
        } else if (kind == u"ZAL" && !m_orderOf.contains(number)) {
            invoiceFinding(Finding::Level::Error, "K08", row, QStringLiteral("P_2A"), number.toString(),
                           QStringLiteral("faktura zaliczkowa bez zamówienia"));
        }
        // K09: tax in PLN on invoices in other currencies
        const QStringView currency = fak.stringViewAt(row, iWaluta);
        if (!currency.isEmpty() && currency != u"PLN") {
            for (size_t c = 0; c < rateColumns().size(); ++c) {
                const RateColumn &rc = rateColumns()[c];
                if (!rc.tax || !rc.taxPln)
                    continue;
                const int tax = m_rate[c].tax, pln = m_rate[c].pln;
                if (!fak.isNullAt(row, tax) && fak.floatAt(row, tax) != 0 && fak.isNullAt(row, pln))
                    invoiceFinding(Finding::Level::Error, "K09", row, QString::fromLatin1(rc.taxPln), QString(),
                                   QStringLiteral("faktura w walucie %1 ma podatek %2 bez kwoty w złotych (%3)")
                                       .arg(currency, QString::fromLatin1(rc.tax), QString::fromLatin1(rc.taxPln)));
            }
        }
        // K11: an invoice without lines
        if (lineCount == 0)
            invoiceFinding(Finding::Level::Warning, "K11", row, QStringLiteral("P_2A"), number.toString(),
                           QStringLiteral("faktura nie ma wierszy"));
    }

    void checkLines()
    {
        const Fields p(poz);
        const int iP_8B = p("P_8B"), iP_9A = p("P_9A");
        std::vector<int> numberInInvoice(size_t(fak.storedCount()), 0);
        int unknownLines = 0;
        for (int row = 0; row < poz.storedCount(); ++row) {
            const int owner = m_lineInvoice[size_t(row)];
            const int line = owner >= 0 ? ++numberInInvoice[size_t(owner)] : ++unknownLines;
            const bool needed =
                owner < 0 || (!poz.isNullAt(row, iP_8B) && !poz.isNullAt(row, iP_9A) && !poz.isNullAt(row, iP_11));
            if (!needed)
                continue;
            const QStringView number = poz.stringViewAt(row, iP_2B);
            if (owner < 0)
                add(Finding::Level::Error, "K04", QStringLiteral("FakturaWiersz"), row + 1, number.toString(), line,
                    QStringLiteral("P_2B"), number.toString(),
                    number.isEmpty() ? QStringLiteral("wiersz nie wskazuje faktury")
                                     : QStringLiteral("wiersz wskazuje fakturę %1, której nie ma").arg(number));
            if (!poz.isNullAt(row, iP_8B) && !poz.isNullAt(row, iP_9A) && !poz.isNullAt(row, iP_11)) {
                const double expected = poz.floatAt(row, iP_8B) * poz.floatAt(row, iP_9A);
                const double net = poz.floatAt(row, iP_11);
                if (std::fabs(net - expected) > 0.01 + 1e-9)
                    add(Finding::Level::Warning, "K10", QStringLiteral("FakturaWiersz"), row + 1, number.toString(),
                        line, QStringLiteral("P_11"), amount(net),
                        QStringLiteral("wartość netto %1 różni się od ilości × ceny jednostkowej netto (%2)")
                            .arg(amount(net), amount(expected)));
            }
        }
    }

    void checkOrders()
    {
        for (int row = 0; row < zam.storedCount(); ++row) {
            const QString number = zam.stringAt(row, iP_2AZ);
            if (!m_invoiceByNumber.contains(QStringView(number)))
                add(Finding::Level::Error, "K04", QStringLiteral("Zamowienie"), row + 1, number, 0,
                    QStringLiteral("P_2AZ"), number,
                    number.isEmpty() ? QStringLiteral("zamówienie nie wskazuje faktury")
                                     : QStringLiteral("zamówienie wskazuje fakturę %1, której nie ma").arg(number));
        }
        QHash<qint64, int> numberInOrder;
        for (int row = 0; row < zpoz.storedCount(); ++row) {
            const bool none = zpoz.isNullAt(row, iIdxZal);
            const qint64 id = none ? -1 : zpoz.intAt(row, iIdxZal);
            const int line = ++numberInOrder[id];
            if (none || !m_orderIds.contains(id))
                add(Finding::Level::Error, "K04", QStringLiteral("ZamowienieWiersz"), row + 1, QString(), line,
                    QStringLiteral("idx_zal"), none ? QString() : QString::number(id),
                    QStringLiteral("wiersz zamówienia nie należy do żadnego zamówienia"));
        }
    }

    UserPort *m_port;
    const DataChecks::Header &h;
    const DocumentTable &fak, &poz, &zam, &zpoz;
    int iP_2A = -1, iP_2B = -1, iP_2AZ = -1, iIdx = -1, iIdxZal = -1;
    int iP_1 = -1, iP_4B = -1, iP_5A = -1, iP_5B = -1, iP_15 = -1, iRodzaj = -1, iPrzyczyna = -1, iNrKor = -1,
        iWaluta = -1, iP_11 = -1, iP_12 = -1;
    struct RateFields
    {
        int net, tax, pln;
    };
    std::vector<RateFields> m_rate;
    std::vector<int> m_sum;
    std::vector<qint8> m_lineColumn;           // the rate column of each line, -1 for none
    QHash<QStringView, int> m_invoiceByNumber; // number → its first row (views into the table)
    std::vector<int> m_firstOf;                // per invoice: the first row of its number, -1 for none
    std::vector<int> m_lineInvoice;            // per line: the invoice row it belongs to, -1 for none
    std::vector<int> m_lineStart, m_lineRows;  // the lines of invoice i: m_lineRows[m_lineStart[i] …]
    QHash<QStringView, int> m_orderOf;         // invoice number → order row
    QHash<qint64, int> m_orderIds;             // idx → order row
    QList<Finding> m_findings;
};

} // namespace

namespace DataChecks {

bool nipValid(QStringView nip)
{
    QString digits;
    for (QChar c : nip) {
        if (c == u'-' || c == u' ')
            continue;
        if (!c.isDigit() || c.unicode() > 127)
            return false;
        digits += c;
    }
    if (digits.size() != 10)
        return false;
    static const int weights[] = {6, 5, 7, 2, 3, 4, 5, 6, 7};
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += weights[i] * (digits.at(i).unicode() - u'0');
    const int check = sum % 11;
    return check != 10 && check == digits.at(9).unicode() - u'0';
}

QList<Finding> run(const DocumentTables &tables, const Header &header, UserPort *port)
{
    return Checker(tables, header, port).run();
}

Totals totals(const DocumentTables &tables)
{
    Totals result;
    const DocumentTable &fak = tables.mt_FAK_;
    const Fields f(fak);
    const int iRodzaj = f("RodzajFaktury"), iWaluta = f("KodWaluty");
    const QStringList rates = Totals::rates();
    struct Columns
    {
        int net, tax, pln;
    };
    std::vector<Columns> columns;
    for (const RateColumn &rc : rateColumns())
        columns.push_back({f(rc.net), f(rc.tax), f(rc.taxPln)});
    for (int row = 0; row < fak.storedCount(); ++row) {
        QString kind = fak.stringAt(row, iRodzaj);
        if (kind != u"KOREKTA" && kind != u"ZAL")
            kind = QStringLiteral("VAT");
        ++result.counts[kind];
        const QStringView currency = fak.stringViewAt(row, iWaluta);
        const bool foreign = !currency.isEmpty() && currency != u"PLN";
        for (size_t i = 0; i < columns.size(); ++i) {
            RateTotals &r = result.byKind[kind][rates.at(qsizetype(i))];
            r.net += fak.floatAt(row, columns[i].net);
            if (columns[i].tax >= 0)
                r.tax += fak.floatAt(row, columns[i].tax);
            if (columns[i].pln >= 0)
                r.taxPln += foreign ? fak.floatAt(row, columns[i].pln)
                                    : (columns[i].tax >= 0 ? fak.floatAt(row, columns[i].tax) : 0);
        }
    }
    return result;
}

} // namespace DataChecks
