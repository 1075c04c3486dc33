#include "check/data_checks.h"

#include "base/user_port.h"
#include "tables/display_text.h"
#include "tables/document_tables.h"

#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
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
    if (errorCount >= 0)
        return errorCount;
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
    double percents[2]; // the rates whose tax the column carries (0: none to compute)
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
constexpr size_t kReverseCharge = 3, kExempt = 6;

QString amount(double v)
{
    return DisplayText::number(v, 2, true, DisplayText::polish());
}

// An amount in grosze: every amount of the file has two decimals, so sums compare exactly.
// The tiny nudge takes a product like 2.5 × 0.33 = 0.8249999… to the 0.83 a person computes.
qint64 grosze(double v)
{
    const double scaled = v * 100.0;
    return std::llround(scaled + (scaled >= 0 ? 1e-7 : -1e-7));
}

// The text as the schema's token type reads it: no spaces at the ends, runs of spaces as one.
bool needsCollapsing(QStringView text)
{
    if (text.isEmpty())
        return false;
    if (text.front().isSpace() || text.back().isSpace())
        return true;
    for (qsizetype i = 1; i < text.size(); ++i)
        if (text[i].isSpace() && (text[i - 1].isSpace() || text[i] != u' '))
            return true;
    return false;
}

// A NIP no firm has: ten equal digits pass the checksum, and so do a few others people type.
bool placeholderNip(QStringView nip)
{
    QString digits;
    for (QChar c : nip)
        if (c.isDigit())
            digits += c;
    if (digits.size() != 10)
        return false;
    return digits.count(digits.front()) == 10 || digits == u"0123456789";
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

    QList<Finding> run(int *errors)
    {
        // one gauge over every walk of the check, in thousandths
        m_total = 3 * qint64(fak.storedCount()) + 4 * qint64(poz.storedCount()) + 2 * qint64(zam.storedCount()) +
                  zpoz.storedCount();
        m_clock.start();
        if (m_port) {
            m_port->progressUnit(QStringLiteral("‰"));
            m_port->progressShow(0, 1000);
        }
        indexRecords();
        checkHeader();
        for (int row = 0; row < fak.storedCount(); ++row) {
            checkInvoice(row);
            breathe();
        }
        checkLines();
        checkOrders();
        checkNumberingGaps();
        if (m_port)
            m_port->progressHide();
        if (errors)
            *errors = m_errors;
        return m_findings;
    }

private:
    // A step of any walk: every ~30 ms the window's events run, the gauge moves, and "Przerwij"
    // stops the check.
    void breathe()
    {
        if (!m_port || (++m_done & 0x3ff) != 0 || m_clock.elapsed() < 30)
            return;
        m_port->progressPosition(int(std::min<qint64>(1000, m_done * 1000 / std::max<qint64>(m_total, 1))));
        m_port->pump();
        m_clock.restart();
    }

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
        m_findings.append(std::move(f));
        m_errors += level == Finding::Level::Error ? 1 : 0;
    }
    void invoiceFinding(Finding::Level level, const char *code, int row, const QString &field, const QString &value,
                        const QString &message)
    {
        add(level, code, QStringLiteral("Faktura"), row + 1, fak.stringAt(row, iP_2A), 0, field, value, message);
    }
    void headerFinding(Finding::Level level, const char *code, const QString &field, const QString &value,
                       const QString &message)
    {
        add(level, code, QStringLiteral("Naglowek"), 0, QString(), 0, field, value, message);
    }

    // An invoice number as the file will hold it (the schema collapses spaces), as a view
    // that stays valid for the whole check.
    QStringView numberKey(const DocumentTable &table, int row, int field)
    {
        const QStringView text = table.stringViewAt(row, field);
        if (!needsCollapsing(text))
            return text;
        m_collapsed.push_back(text.toString().simplified());
        return m_collapsed.back();
    }

    void indexRecords()
    {
        const Fields f(fak), p(poz), z(zam), zp(zpoz);
        // every field is looked up once: a million invoices ask for them many million times
        for (const RateColumn &rc : rateColumns())
            m_rate.push_back({f(rc.net), f(rc.tax), f(rc.taxPln)});
        for (const char *name : {"P_13_1", "P_13_2", "P_13_3", "P_13_4", "P_13_5", "P_13_6", "P_13_7", "P_14_1",
                                 "P_14_2", "P_14_3", "P_14_4", "P_14_5"})
            m_sum.push_back(f(name));
        for (const char *name : {"KodWaluty", "P_1", "P_2A", "P_3C", "P_3D", "P_15", "RodzajFaktury"})
            m_required.push_back({name, f(name)});
        iP_1 = f("P_1");
        iP_4B = f("P_4B");
        iP_5A = f("P_5A");
        iP_5B = f("P_5B");
        iP_15 = f("P_15");
        iP_17 = f("P_17");
        iP_19 = f("P_19");
        iP_19A = f("P_19A");
        iP_19B = f("P_19B");
        iP_19C = f("P_19C");
        iMarginTravel = f("P_106E_2");
        iMargin = f("P_106E_3");
        iRodzaj = f("RodzajFaktury");
        iPrzyczyna = f("PrzyczynaKorekty");
        iNrKor = f("NrFaKorygowanej");
        iOkresKor = f("OkresFaKorygowanej");
        iNrZal = f("NrFaZaliczkowej");
        iWaluta = f("KodWaluty");
        iP_8B = p("P_8B");
        iP_9A = p("P_9A");
        iP_9B = p("P_9B");
        iP_10 = p("P_10");
        iP_11 = p("P_11");
        iP_11A = p("P_11A");
        iP_12 = p("P_12");
        // the rate column of each line, worked out once
        m_lineColumn.resize(size_t(poz.storedCount()), -1);
        for (int row = 0; row < poz.storedCount(); ++row) {
            breathe();
            const QStringView rate = poz.stringViewAt(row, iP_12);
            for (size_t c = 0; c < rateColumns().size() && m_lineColumn[size_t(row)] < 0; ++c)
                for (const QString &r : rateColumns()[c].lineRates)
                    if (rate == r)
                        m_lineColumn[size_t(row)] = qint8(c);
        }
        iP_2A = f("P_2A");
        iP_2B = p("P_2B");
        iP_2AZ = z("P_2AZ");
        iWartoscZam = z("WartoscZamowienia");
        iIdx = z("idx");
        iIdxZal = zp("idx_zal");
        iP_11NettoZ = zp("P_11NettoZ");
        iP_11VatZ = zp("P_11VatZ");
        // invoices by number (views into the table: nothing is copied), the first of each number
        const int invoices = fak.storedCount();
        m_invoiceByNumber.reserve(invoices);
        m_firstOf.assign(size_t(invoices), -1);
        for (int row = 0; row < invoices; ++row) {
            breathe();
            const QStringView number = numberKey(fak, row, iP_2A);
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
            breathe();
            const auto it = m_invoiceByNumber.constFind(numberKey(poz, row, iP_2B));
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
            if (breathe(); m_lineInvoice[size_t(row)] >= 0)
                m_lineRows[size_t(fill[size_t(m_lineInvoice[size_t(row)])]++)] = row;
        for (int row = 0; row < zam.storedCount(); ++row) {
            breathe();
            m_orderOf.insert(numberKey(zam, row, iP_2AZ), row);
            if (!zam.isNullAt(row, iIdx))
                m_orderIds.insert(zam.intAt(row, iIdx), row);
        }
    }

    void checkHeader()
    {
        if (!h.nip.isEmpty() && !DataChecks::nipValid(h.nip))
            headerFinding(Finding::Level::Error, "K01", QStringLiteral("NIP"), h.nip,
                          QStringLiteral("NIP podmiotu %1 ma błędną sumę kontrolną").arg(h.nip));
        else if (placeholderNip(h.nip))
            headerFinding(Finding::Level::Error, "K01", QStringLiteral("NIP"), h.nip,
                          QStringLiteral("NIP podmiotu %1 to wypełniacz, nie numer firmy").arg(h.nip));
        m_periodUsable = h.from.isValid() && h.to.isValid() && h.from <= h.to;
        if (h.from.isValid() && h.to.isValid() && h.from > h.to)
            headerFinding(Finding::Level::Error, "K02", QStringLiteral("DataOd"), h.from.toString(Qt::ISODate),
                          QStringLiteral("początek okresu %1 jest po jego końcu %2")
                              .arg(h.from.toString(Qt::ISODate), h.to.toString(Qt::ISODate)));
        for (const QString &name : h.missing)
            headerFinding(Finding::Level::Warning, "K11", name, QString(),
                          QStringLiteral("pole %1 nagłówka jest wymagane przez schemat, a jest puste").arg(name));
    }

    // The lines of an invoice: those of the first invoice of its number.
    struct Lines
    {
        const int *rows = nullptr;
        int count = 0;
    };
    Lines linesOf(int row) const
    {
        const int owner = m_firstOf[size_t(row)];
        if (owner < 0)
            return {};
        return {m_lineRows.data() + m_lineStart[size_t(owner)],
                m_lineStart[size_t(owner) + 1] - m_lineStart[size_t(owner)]};
    }
    bool isTrue(int row, int field) const { return !fak.isNullAt(row, field) && fak.valueAt(row, field).toBool(); }
    bool filled(int row, int field) const { return !fak.stringViewAt(row, field).trimmed().isEmpty(); }

    void checkInvoice(int row)
    {
        const Lines lines = linesOf(row);
        checkTaxNumbers(row);
        checkIssueDate(row);
        checkDuplicate(row);
        checkTotal(row);
        checkTaxes(row, lines);
        checkLineSums(row, lines);
        checkCorrection(row);
        checkCurrency(row);
        checkRequired(row, lines);
    }

    // K01: the seller's NIP always (and it is the taxpayer's, unless the buyer bills itself),
    // the buyer's when it is Polish
    void checkTaxNumbers(int row)
    {
        const QStringView seller = fak.stringViewAt(row, iP_4B);
        if (!seller.isEmpty() && !DataChecks::nipValid(seller))
            invoiceFinding(Finding::Level::Error, "K01", row, QStringLiteral("P_4B"), seller.toString(),
                           QStringLiteral("NIP sprzedawcy %1 ma błędną sumę kontrolną").arg(seller));
        else if (placeholderNip(seller))
            invoiceFinding(Finding::Level::Error, "K01", row, QStringLiteral("P_4B"), seller.toString(),
                           QStringLiteral("NIP sprzedawcy %1 to wypełniacz, nie numer firmy").arg(seller));
        else if (!seller.isEmpty() && DataChecks::nipValid(h.nip) && !isTrue(row, iP_17) &&
                 DataChecks::nipDigits(seller) != DataChecks::nipDigits(h.nip))
            invoiceFinding(Finding::Level::Warning, "K01", row, QStringLiteral("P_4B"), seller.toString(),
                           QStringLiteral("NIP sprzedawcy %1 nie jest NIP-em podmiotu z nagłówka %2 "
                                          "(a faktura nie jest samofakturowaniem, P_17)")
                               .arg(seller, h.nip));
        const QStringView prefix = fak.stringViewAt(row, iP_5A);
        const QStringView buyer = fak.stringViewAt(row, iP_5B);
        // a Polish NIP: with the prefix PL, or without a prefix and ten digits
        const bool polish = prefix == u"PL" || (prefix.isEmpty() && DataChecks::nipDigits(buyer).size() == 10);
        if (buyer.isEmpty() || !polish)
            return;
        if (!DataChecks::nipValid(buyer))
            invoiceFinding(Finding::Level::Warning, "K01", row, QStringLiteral("P_5B"), buyer.toString(),
                           QStringLiteral("NIP nabywcy %1 ma błędną sumę kontrolną").arg(buyer));
        else if (placeholderNip(buyer))
            invoiceFinding(Finding::Level::Warning, "K01", row, QStringLiteral("P_5B"), buyer.toString(),
                           QStringLiteral("NIP nabywcy %1 to wypełniacz, nie numer firmy").arg(buyer));
    }

    // K02: the issue date within the period, and not after today
    void checkIssueDate(int row)
    {
        if (fak.isNullAt(row, iP_1))
            return;
        const QDate issued = fak.valueAt(row, iP_1).toDate();
        if (m_periodUsable && (issued < h.from || issued > h.to))
            invoiceFinding(
                Finding::Level::Error, "K02", row, QStringLiteral("P_1"), issued.toString(Qt::ISODate),
                QStringLiteral("data wystawienia %1 leży poza okresem %2 – %3")
                    .arg(issued.toString(Qt::ISODate), h.from.toString(Qt::ISODate), h.to.toString(Qt::ISODate)));
        else if (h.today.isValid() && issued > h.today)
            invoiceFinding(Finding::Level::Warning, "K02", row, QStringLiteral("P_1"), issued.toString(Qt::ISODate),
                           QStringLiteral("data wystawienia %1 jest późniejsza niż dzisiejsza %2")
                               .arg(issued.toString(Qt::ISODate), h.today.toString(Qt::ISODate)));
    }

    // K03: numbers are unique as the file holds them (the second and every later one is reported)
    void checkDuplicate(int row)
    {
        const int first = m_firstOf[size_t(row)];
        if (first >= 0 && first != row)
            invoiceFinding(Finding::Level::Error, "K03", row, QStringLiteral("P_2A"), fak.stringAt(row, iP_2A),
                           QStringLiteral("numer faktury powtarza się (pierwsza: pozycja %1 listy)").arg(first + 1));
    }

    // Margin invoices carry only their total (art. 106e ust. 3); a final invoice after advances
    // carries what is left to pay (art. 106f ust. 3): neither adds up from its rate columns.
    bool sumsApply(int row) const
    {
        return !isTrue(row, iMargin) && !isTrue(row, iMarginTravel) && !filled(row, iNrZal);
    }

    // K05: the total is the net plus the tax, to the grosz
    void checkTotal(int row)
    {
        if (fak.isNullAt(row, iP_15) || !sumsApply(row))
            return;
        qint64 sum = 0;
        for (const int field : m_sum)
            if (!fak.isNullAt(row, field))
                sum += grosze(fak.floatAt(row, field));
        const double total = fak.floatAt(row, iP_15);
        if (grosze(total) != sum)
            invoiceFinding(Finding::Level::Error, "K05", row, QStringLiteral("P_15"), amount(total),
                           QStringLiteral("kwota ogółem %1 różni się od sumy kwot netto i podatku %2")
                               .arg(amount(total), amount(double(sum) / 100)));
    }

    // K06: each tax is its rate applied to the net sum, or the sum of the lines' taxes, rounded
    // to the grosz; reverse charge carries 0; exempt sales say why they are exempt
    void checkTaxes(int row, const Lines &lines)
    {
        const bool correction = fak.stringViewAt(row, iRodzaj) == u"KOREKTA";
        for (size_t c = 0; c < rateColumns().size(); ++c) {
            const RateColumn &rc = rateColumns()[c];
            if (!rc.tax || rc.percents[0] == 0)
                continue;
            const int net = m_rate[c].net, tax = m_rate[c].tax;
            if (fak.isNullAt(row, net) || fak.isNullAt(row, tax))
                continue;
            // the rates the lines of this column carry; none: either of the column's
            std::vector<double> percents;
            for (int i = 0; i < lines.count; ++i) {
                const int l = lines.rows[i];
                if (m_lineColumn[size_t(l)] != qint8(c))
                    continue;
                const double percent = poz.stringViewAt(l, iP_12).toDouble();
                if (std::find(percents.begin(), percents.end(), percent) == percents.end())
                    percents.push_back(percent);
            }
            if (percents.empty())
                percents.assign(std::begin(rc.percents), std::end(rc.percents));
            const qint64 n = grosze(fak.floatAt(row, net)), v = grosze(fak.floatAt(row, tax));
            bool agrees = false;
            for (double percent : percents) {
                qint64 fromLines = 0, fromGrossLines = 0;
                for (int i = 0; i < lines.count; ++i) {
                    const int l = lines.rows[i];
                    if (m_lineColumn[size_t(l)] != qint8(c))
                        continue;
                    fromLines += grosze(poz.floatAt(l, iP_11) * percent / 100.0);
                    fromGrossLines += grosze(poz.floatAt(l, iP_11A) * percent / (100.0 + percent));
                }
                const qint64 accepted[] = {
                    grosze(double(n) / 100 * percent / 100.0),                 // the rate on the net sum
                    fromLines,                                                 // the lines' rounded taxes
                    grosze(double(n + v) / 100 * percent / (100.0 + percent)), // computed from the gross sum
                    fromGrossLines,                                            // the gross lines' taxes
                };
                for (qint64 a : accepted)
                    // a correction's tax is the difference of two rounded taxes: a grosz either way
                    agrees = agrees || v == a || (correction && std::llabs(v - a) <= 1);
            }
            if (!agrees) {
                QStringList shown;
                for (double percent : percents)
                    shown << QStringLiteral("%1%").arg(percent);
                invoiceFinding(Finding::Level::Warning, "K06", row, QString::fromLatin1(rc.tax),
                               amount(double(v) / 100),
                               QStringLiteral("podatek %1 nie odpowiada kwocie netto %2 (stawka %3)")
                                   .arg(amount(double(v) / 100), amount(double(n) / 100), shown.join(u'/')));
            }
        }
        // reverse charge: the buyer pays the tax, the invoice says 0 (the taxi flat rate has one)
        bool taxi = false, reverse = false;
        for (int i = 0; i < lines.count; ++i) {
            const int l = lines.rows[i];
            if (m_lineColumn[size_t(l)] == qint8(kReverseCharge)) {
                const QStringView rate = poz.stringViewAt(l, iP_12);
                (rate == u"oo" ? reverse : taxi) = true;
            }
        }
        const int p14_4 = m_rate[kReverseCharge].tax;
        if (reverse && !taxi && !fak.isNullAt(row, p14_4) && grosze(fak.floatAt(row, p14_4)) != 0)
            invoiceFinding(Finding::Level::Warning, "K06", row, QStringLiteral("P_14_4"),
                           amount(fak.floatAt(row, p14_4)),
                           QStringLiteral("przy odwrotnym obciążeniu (stawka oo) podatek P_14_4 wynosi 0, a jest %1")
                               .arg(amount(fak.floatAt(row, p14_4))));
        // exempt sales: P_19 and the legal basis of the exemption
        bool exempt = !fak.isNullAt(row, m_rate[kExempt].net) && grosze(fak.floatAt(row, m_rate[kExempt].net)) != 0;
        for (int i = 0; i < lines.count && !exempt; ++i)
            exempt = m_lineColumn[size_t(lines.rows[i])] == qint8(kExempt);
        if (exempt && !isTrue(row, iP_19))
            invoiceFinding(Finding::Level::Error, "K06", row, QStringLiteral("P_19"), QString(),
                           QStringLiteral("sprzedaż zwolniona (zw, P_13_7) bez znacznika zwolnienia P_19"));
        else if (exempt && !filled(row, iP_19A) && !filled(row, iP_19B) && !filled(row, iP_19C))
            invoiceFinding(Finding::Level::Error, "K06", row, QStringLiteral("P_19A"), QString(),
                           QStringLiteral("sprzedaż zwolniona bez podstawy zwolnienia (P_19A, P_19B albo P_19C)"));
    }

    // K07: the lines add up to the net amounts per rate, to the grosz; lines priced gross
    // (P_11A without P_11) to the net plus the tax
    void checkLineSums(int row, const Lines &lines)
    {
        if (lines.count == 0 || !sumsApply(row) || fak.stringViewAt(row, iRodzaj) == u"ZAL")
            return;
        qint64 netSums[8] = {}, grossSums[8] = {};
        int netLines[8] = {}, grossLines[8] = {};
        for (int i = 0; i < lines.count; ++i) {
            const int l = lines.rows[i];
            const int c = m_lineColumn[size_t(l)];
            if (c < 0)
                continue;
            if (!poz.isNullAt(l, iP_11)) {
                netSums[c] += grosze(poz.floatAt(l, iP_11));
                ++netLines[c];
            } else if (!poz.isNullAt(l, iP_11A)) {
                grossSums[c] += grosze(poz.floatAt(l, iP_11A));
                ++grossLines[c];
            }
        }
        for (size_t c = 0; c < rateColumns().size(); ++c) {
            const RateColumn &rc = rateColumns()[c];
            const int net = m_rate[c].net, tax = m_rate[c].tax;
            if (netLines[c] + grossLines[c] == 0 && fak.isNullAt(row, net))
                continue;
            const qint64 n = grosze(fak.floatAt(row, net));
            if (grossLines[c] > 0 && netLines[c] == 0) {
                const qint64 gross = n + (tax >= 0 ? grosze(fak.floatAt(row, tax)) : 0);
                if (gross != grossSums[c])
                    invoiceFinding(Finding::Level::Warning, "K07", row, QString::fromLatin1(rc.net),
                                   amount(double(n) / 100),
                                   QStringLiteral("suma wartości brutto wierszy ze stawką %1 (%2) różni się od kwoty "
                                                  "netto i podatku faktury (%3)")
                                       .arg(rc.lineRates.join(u'/'), amount(double(grossSums[c]) / 100),
                                            amount(double(gross) / 100)));
                continue;
            }
            if (grossLines[c] > 0)
                continue; // lines of both kinds: no sum to compare
            if (n != netSums[c])
                invoiceFinding(
                    Finding::Level::Warning, "K07", row, QString::fromLatin1(rc.net), amount(double(n) / 100),
                    QStringLiteral("suma wartości netto wierszy ze stawką %1 (%2) różni się od kwoty %3 faktury (%4)")
                        .arg(rc.lineRates.join(u'/'), amount(double(netSums[c]) / 100), QString::fromLatin1(rc.net),
                             amount(double(n) / 100)));
        }
    }

    // K08: a correction says what it corrects; an advance invoice has its order; other
    // invoices carry no correction fields
    void checkCorrection(int row)
    {
        const QStringView kind = fak.stringViewAt(row, iRodzaj);
        const QStringView number = fak.stringViewAt(row, iP_2A);
        if (kind == u"KOREKTA") {
            if (!filled(row, iNrKor))
                invoiceFinding(Finding::Level::Error, "K08", row, QStringLiteral("NrFaKorygowanej"), QString(),
                               filled(row, iOkresKor)
                                   ? QStringLiteral("korekta zbiorcza za okres bez numeru faktury korygowanej "
                                                    "(schemat wymaga NrFaKorygowanej także przy okresie)")
                                   : QStringLiteral("faktura korygująca bez numeru faktury korygowanej"));
            return;
        }
        if (kind == u"ZAL" && !m_orderOf.contains(numberKey(fak, row, iP_2A)))
            invoiceFinding(Finding::Level::Error, "K08", row, QStringLiteral("P_2A"), number.toString(),
                           QStringLiteral("faktura zaliczkowa bez zamówienia"));
        for (const int field : {iPrzyczyna, iNrKor, iOkresKor})
            if (filled(row, field)) {
                const QString name = fak.fields().at(field).name;
                invoiceFinding(Finding::Level::Warning, "K08", row, name, fak.stringAt(row, field),
                               QStringLiteral("faktura rodzaju %1 ma pole korekty %2")
                                   .arg(kind.isEmpty() ? QStringLiteral("VAT") : kind.toString(), name));
            }
    }

    // K09: tax in PLN on invoices in other currencies, of the same sign; none on PLN invoices
    void checkCurrency(int row)
    {
        const QStringView currency = fak.stringViewAt(row, iWaluta);
        const bool foreign = !currency.isEmpty() && currency != u"PLN";
        for (size_t c = 0; c < rateColumns().size(); ++c) {
            const RateColumn &rc = rateColumns()[c];
            if (!rc.tax || !rc.taxPln)
                continue;
            const int tax = m_rate[c].tax, pln = m_rate[c].pln;
            const double v = fak.floatAt(row, tax), w = fak.floatAt(row, pln);
            if (!foreign) {
                if (!fak.isNullAt(row, pln))
                    invoiceFinding(Finding::Level::Warning, "K09", row, QString::fromLatin1(rc.taxPln), amount(w),
                                   QStringLiteral("faktura w złotych ma podatek przeliczony na złote %1 – to pole jest "
                                                  "tylko dla faktur w walucie obcej")
                                       .arg(QString::fromLatin1(rc.taxPln)));
                continue;
            }
            if (!fak.isNullAt(row, tax) && v != 0 && fak.isNullAt(row, pln))
                invoiceFinding(Finding::Level::Error, "K09", row, QString::fromLatin1(rc.taxPln), QString(),
                               QStringLiteral("faktura w walucie %1 ma podatek %2 bez kwoty w złotych (%3)")
                                   .arg(currency, QString::fromLatin1(rc.tax), QString::fromLatin1(rc.taxPln)));
            else if (!fak.isNullAt(row, pln) && ((v > 0 && w < 0) || (v < 0 && w > 0)))
                invoiceFinding(Finding::Level::Error, "K09", row, QString::fromLatin1(rc.taxPln), amount(w),
                               QStringLiteral("podatek w złotych %1 ma inny znak niż podatek %2 w walucie %3")
                                   .arg(amount(w), amount(v), currency));
        }
    }

    // K11: what the schema requires of every invoice; lines, unless the invoice may go without
    void checkRequired(int row, const Lines &lines)
    {
        for (const auto &[name, field] : m_required) {
            const bool missing =
                fak.fields().at(field).type == FieldType::String ? !filled(row, field) : fak.isNullAt(row, field);
            if (missing)
                invoiceFinding(
                    Finding::Level::Error, "K11", row, QString::fromLatin1(name), QString(),
                    QStringLiteral("pole %1 jest wymagane przez schemat, a jest puste").arg(QString::fromLatin1(name)));
        }
        for (size_t c = 0; c < 4; ++c) { // P_13_1 … P_13_4 come with their tax
            const int net = m_rate[c].net, tax = m_rate[c].tax;
            if (!fak.isNullAt(row, net) && fak.isNullAt(row, tax))
                invoiceFinding(
                    Finding::Level::Error, "K11", row, QString::fromLatin1(rateColumns()[c].tax), QString(),
                    QStringLiteral("kwota netto %1 wymaga kwoty podatku %2 (schemat)")
                        .arg(QString::fromLatin1(rateColumns()[c].net), QString::fromLatin1(rateColumns()[c].tax)));
        }
        if (lines.count > 0)
            return;
        // lines are optional for advance invoices, their corrections and corrections of a period
        const QStringView kind = fak.stringViewAt(row, iRodzaj);
        const bool optional =
            kind == u"ZAL" ||
            (kind == u"KOREKTA" && (filled(row, iOkresKor) || m_orderOf.contains(numberKey(fak, row, iP_2A))));
        if (!optional)
            invoiceFinding(Finding::Level::Warning, "K11", row, QStringLiteral("P_2A"), fak.stringAt(row, iP_2A),
                           QStringLiteral("faktura nie ma wierszy"));
    }

    // K10: quantity × price − discount is the line's value, to the grosz (net and gross)
    void checkLines()
    {
        std::vector<int> numberInInvoice(size_t(fak.storedCount()), 0);
        int unknownLines = 0;
        for (int row = 0; row < poz.storedCount(); ++row) {
            breathe();
            const int owner = m_lineInvoice[size_t(row)];
            const int line = owner >= 0 ? ++numberInInvoice[size_t(owner)] : ++unknownLines;
            const QStringView number = poz.stringViewAt(row, iP_2B);
            if (owner < 0)
                add(Finding::Level::Error, "K04", QStringLiteral("FakturaWiersz"), row + 1, number.toString(), line,
                    QStringLiteral("P_2B"), number.toString(),
                    number.isEmpty() ? QStringLiteral("wiersz nie wskazuje faktury")
                                     : QStringLiteral("wiersz wskazuje fakturę %1, której nie ma").arg(number));
            if (poz.isNullAt(row, iP_8B))
                continue;
            const double quantity = poz.floatAt(row, iP_8B), discount = poz.floatAt(row, iP_10);
            const struct
            {
                int price, value;
                const char *words;
            } pairs[] = {{iP_9A, iP_11, "netto"}, {iP_9B, iP_11A, "brutto"}};
            for (const auto &pair : pairs) {
                if (poz.isNullAt(row, pair.price) || poz.isNullAt(row, pair.value))
                    continue;
                const double expected = quantity * poz.floatAt(row, pair.price) - discount;
                const double value = poz.floatAt(row, pair.value);
                if (grosze(value) != grosze(expected))
                    add(Finding::Level::Warning, "K10", QStringLiteral("FakturaWiersz"), row + 1, number.toString(),
                        line, poz.fields().at(pair.value).name, amount(value),
                        QStringLiteral("wartość %1 %2 różni się od ilości × ceny jednostkowej %1%3 (%4)")
                            .arg(QString::fromLatin1(pair.words), amount(value),
                                 discount != 0 ? QStringLiteral(" − opustu") : QString(), amount(expected)));
            }
        }
    }

    // K04: orders belong to advance invoices (or their corrections), order lines to orders,
    // and an advance invoice's order is worth what its lines are
    void checkOrders()
    {
        std::vector<qint64> lineSums(size_t(zam.storedCount()), 0);
        std::vector<int> lineCounts(size_t(zam.storedCount()), 0);
        QHash<qint64, int> numberInOrder;
        for (int row = 0; row < zpoz.storedCount(); ++row) {
            breathe();
            const bool none = zpoz.isNullAt(row, iIdxZal);
            const qint64 id = none ? -1 : zpoz.intAt(row, iIdxZal);
            const int line = ++numberInOrder[id];
            const auto order = none ? m_orderIds.cend() : m_orderIds.constFind(id);
            if (order == m_orderIds.cend()) {
                add(Finding::Level::Error, "K04", QStringLiteral("ZamowienieWiersz"), row + 1, QString(), line,
                    QStringLiteral("idx_zal"), none ? QString() : QString::number(id),
                    QStringLiteral("wiersz zamówienia nie należy do żadnego zamówienia"));
                continue;
            }
            lineSums[size_t(*order)] += grosze(zpoz.floatAt(row, iP_11NettoZ)) + grosze(zpoz.floatAt(row, iP_11VatZ));
            ++lineCounts[size_t(*order)];
        }
        for (int row = 0; row < zam.storedCount(); ++row) {
            breathe();
            const QStringView key = numberKey(zam, row, iP_2AZ);
            const QString number = zam.stringAt(row, iP_2AZ);
            const auto invoice = m_invoiceByNumber.constFind(key);
            if (invoice == m_invoiceByNumber.cend()) {
                add(Finding::Level::Error, "K04", QStringLiteral("Zamowienie"), row + 1, number, 0,
                    QStringLiteral("P_2AZ"), number,
                    number.isEmpty() ? QStringLiteral("zamówienie nie wskazuje faktury")
                                     : QStringLiteral("zamówienie wskazuje fakturę %1, której nie ma").arg(number));
                continue;
            }
            const QStringView kind = fak.stringViewAt(*invoice, iRodzaj);
            if (kind != u"ZAL" && kind != u"KOREKTA") {
                add(Finding::Level::Error, "K04", QStringLiteral("Zamowienie"), row + 1, number, 0,
                    QStringLiteral("P_2AZ"), number,
                    QStringLiteral("zamówienie wskazuje fakturę %1 rodzaju %2, a należy tylko do faktury zaliczkowej "
                                   "(ZAL) albo jej korekty")
                        .arg(number, kind.isEmpty() ? QStringLiteral("VAT") : kind.toString()));
                continue;
            }
            // an advance invoice's order: its value with the tax is its lines' (a correction's
            // lines are differences and stornos)
            if (kind == u"ZAL" && lineCounts[size_t(row)] > 0 && !zam.isNullAt(row, iWartoscZam) &&
                grosze(zam.floatAt(row, iWartoscZam)) != lineSums[size_t(row)])
                add(Finding::Level::Warning, "K04", QStringLiteral("Zamowienie"), row + 1, number, 0,
                    QStringLiteral("WartoscZamowienia"), amount(zam.floatAt(row, iWartoscZam)),
                    QStringLiteral("wartość zamówienia %1 różni się od sumy wartości netto i podatku jego wierszy (%2)")
                        .arg(amount(zam.floatAt(row, iWartoscZam)), amount(double(lineSums[size_t(row)]) / 100)));
        }
    }

    // K03: the numbers of a series with a hole in them (a warning: a number may have been
    // cancelled, or belong to another period)
    void checkNumberingGaps()
    {
        // a series: the numbers alike but for one group of digits ("FV/#/08/2023")
        QHash<QString, std::vector<qint64>> series;
        // sized at once: growing by doubling rehashes a million patterns in one go
        series.reserve(qsizetype(fak.storedCount()) * 2);
        static const QRegularExpression digits(QStringLiteral("\\d{1,9}"));
        for (int row = 0; row < fak.storedCount(); ++row) {
            breathe();
            if (m_firstOf[size_t(row)] != row)
                continue;
            const QString number = fak.stringAt(row, iP_2A).simplified();
            QRegularExpressionMatchIterator it = digits.globalMatch(number);
            while (it.hasNext()) {
                const QRegularExpressionMatch m = it.next();
                QString pattern = number;
                pattern.replace(m.capturedStart(), m.capturedLength(), QStringLiteral("#"));
                series[pattern].push_back(m.captured().toLongLong());
            }
        }
        // each series is let go once looked at: a million of them freed at the end would take
        // the window for a second
        for (auto it = series.begin(); it != series.end(); it = series.erase(it)) {
            breathe();
            std::vector<qint64> &values = it.value();
            if (values.size() < 3)
                continue;
            std::sort(values.begin(), values.end());
            if (std::adjacent_find(values.begin(), values.end()) != values.end())
                continue; // not the counter: the same value twice
            QStringList holes;
            qint64 missing = 0;
            for (size_t i = 1; i < values.size(); ++i) {
                const qint64 from = values[i - 1] + 1, to = values[i] - 1;
                if (to < from)
                    continue;
                missing += to - from + 1;
                if (holes.size() < 10)
                    holes << (from == to ? QString::number(from) : QStringLiteral("%1–%2").arg(from).arg(to));
            }
            // a counter with more holes than numbers is no series of this period
            if (missing == 0 || missing > qint64(values.size()))
                continue;
            add(Finding::Level::Warning, "K03", QStringLiteral("Faktura"), 0, QString(), 0, QStringLiteral("P_2A"),
                it.key(),
                QStringLiteral("w serii numerów %1 brakuje: %2%3")
                    .arg(it.key(), holes.join(QStringLiteral(", ")),
                         missing > 10 && holes.size() == 10 ? QStringLiteral(" …") : QString()));
        }
    }

    UserPort *m_port;
    const DataChecks::Header &h;
    const DocumentTable &fak, &poz, &zam, &zpoz;
    bool m_periodUsable = false;
    int iP_2A = -1, iP_2B = -1, iP_2AZ = -1, iIdx = -1, iIdxZal = -1, iWartoscZam = -1, iP_11NettoZ = -1,
        iP_11VatZ = -1;
    int iP_1 = -1, iP_4B = -1, iP_5A = -1, iP_5B = -1, iP_15 = -1, iP_17 = -1, iP_19 = -1, iP_19A = -1, iP_19B = -1,
        iP_19C = -1, iMargin = -1, iMarginTravel = -1, iRodzaj = -1, iPrzyczyna = -1, iNrKor = -1, iOkresKor = -1,
        iNrZal = -1, iWaluta = -1;
    int iP_8B = -1, iP_9A = -1, iP_9B = -1, iP_10 = -1, iP_11 = -1, iP_11A = -1, iP_12 = -1;
    struct RateFields
    {
        int net, tax, pln;
    };
    std::vector<RateFields> m_rate;
    std::vector<int> m_sum;
    std::vector<std::pair<const char *, int>> m_required;
    std::vector<qint8> m_lineColumn;           // the rate column of each line, -1 for none
    std::deque<QString> m_collapsed;           // numbers with their spaces collapsed (stable for the views)
    QHash<QStringView, int> m_invoiceByNumber; // number → its first row (views into the table)
    std::vector<int> m_firstOf;                // per invoice: the first row of its number, -1 for none
    std::vector<int> m_lineInvoice;            // per line: the invoice row it belongs to, -1 for none
    std::vector<int> m_lineStart, m_lineRows;  // the lines of invoice i: m_lineRows[m_lineStart[i] …]
    QHash<QStringView, int> m_orderOf;         // invoice number → order row
    QHash<qint64, int> m_orderIds;             // idx → order row
    QList<Finding> m_findings;
    qint64 m_done = 0, m_total = 0;
    int m_errors = 0;
    QElapsedTimer m_clock;
};

} // namespace

namespace DataChecks {

QString nipDigits(QStringView nip)
{
    QString digits;
    for (QChar c : nip)
        if (c.isDigit() && c.unicode() < 128)
            digits += c;
    return digits;
}

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

QList<Finding> run(const DocumentTables &tables, const Header &header, UserPort *port, int *errors)
{
    return Checker(tables, header, port).run(errors);
}

Totals totals(const DocumentTables &tables, UserPort *port)
{
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
    // (kind's place, currency) → figures, and each group's rate totals in the rates' order:
    // a million invoices cost no text made and no map looked up per rate
    std::map<std::pair<int, QString>, Totals::Group> groups;
    std::map<Totals::Group *, std::vector<RateTotals *>> rateSlots;
    Totals::Group *last = nullptr;
    std::vector<RateTotals *> *lastSlots = nullptr;
    QString lastKind, lastCurrency;
    const int rows = fak.storedCount();
    if (port) {
        port->progressUnit(QStringLiteral("faktur (sumy wg stawek)"));
        port->progressShow(0, rows);
    }
    QElapsedTimer clock;
    clock.start();
    for (int row = 0; row < rows; ++row) {
        if (port && (row & 1023) == 0 && clock.elapsed() >= 30) {
            port->progressPosition(row);
            port->pump();
            clock.restart();
        }
        const QStringView kindText = fak.stringViewAt(row, iRodzaj);
        const QStringView currencyText = fak.stringViewAt(row, iWaluta).trimmed();
        if (!last || kindText != lastKind || currencyText != lastCurrency) {
            lastKind = kindText.toString();
            lastCurrency = currencyText.toString();
            const QString kind =
                kindText == u"KOREKTA" || kindText == u"ZAL" ? kindText.toString() : QStringLiteral("VAT");
            const QString currency = currencyText.isEmpty() ? QStringLiteral("PLN") : currencyText.toString();
            const bool foreign = currency != u"PLN";
            // PLN first among the currencies of a kind
            last = &groups[{int(Totals::kinds().indexOf(kind)), foreign ? currency : QString()}];
            last->kind = kind;
            last->currency = currency;
            lastSlots = &rateSlots[last];
            if (lastSlots->empty())
                for (size_t i = 0; i < columns.size(); ++i)
                    lastSlots->push_back(&last->byRate[rates.at(qsizetype(i))]);
        }
        const bool foreign = last->currency != u"PLN";
        ++last->count;
        for (size_t i = 0; i < columns.size(); ++i) {
            RateTotals &r = *(*lastSlots)[i];
            r.net += grosze(fak.floatAt(row, columns[i].net));
            if (columns[i].tax >= 0)
                r.tax += grosze(fak.floatAt(row, columns[i].tax));
            if (columns[i].pln >= 0)
                r.taxPln += grosze(foreign ? fak.floatAt(row, columns[i].pln)
                                           : (columns[i].tax >= 0 ? fak.floatAt(row, columns[i].tax) : 0));
        }
    }
    if (port)
        port->progressHide();
    Totals result;
    for (auto &[key, group] : groups)
        result.groups.push_back(std::move(group));
    return result;
}

} // namespace DataChecks
