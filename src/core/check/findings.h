#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <map>
#include <vector>

// What "Kontrola" finds: each finding names its check, its level, the record (the invoice
// and, for a line, its number among the invoice's lines) and the field, with a message in
// plain Polish.
struct Finding
{
    enum class Level
    {
        Error,
        Warning
    }; // błąd, ostrzeżenie
    Level level = Level::Error;
    QString code;        // "K01" … "K11", "XSD" for a schema error
    QString kind;        // "Faktura", "FakturaWiersz", "Zamowienie", "ZamowienieWiersz", "Naglowek"
    int record = 0;      // the record's number in its table (or file), from 1; 0 for the header
    QString invoice;     // P_2A, or P_2B / P_2AZ for lines and orders
    int line = 0;        // the line's number among its invoice's (order's) lines, from 1; 0 for none
    QString field;       // the element or field
    QString description; // what the field is, from the schema's documentation ("stawka podatku")
    QString value;
    QString message;  // the reason, in plain Polish
    int fileLine = 0; // for a schema error, its line in the file

    static QString levelText(Level level)
    {
        return level == Level::Error ? QStringLiteral("błąd") : QStringLiteral("ostrzeżenie");
    }
    // "Faktura FV/12/08/2023, pole P_12 (stawka podatku) w wierszu 3"
    QString where() const;
    // "K05 błąd: Faktura FV/1, pole P_15: …" as the command line prints it
    QString text() const;
};
// Its texts and numbers move as bytes: a list of a million findings grows without copying each.
Q_DECLARE_TYPEINFO(Finding, Q_RELOCATABLE_TYPE);

// The figures compared with the VAT register: per rate, the net and the tax (and the tax in
// PLN for other currencies), for each kind of invoice and each currency, with the counts.
// Amounts are kept in grosze: sums of a million invoices stay exact.
struct RateTotals
{
    qint64 net = 0;
    qint64 tax = 0;
    qint64 taxPln = 0; // P_14_xW of invoices in other currencies, P_14_x of those in PLN
};

struct Totals
{
    static QStringList rates()
    {
        return {QStringLiteral("23/22%"),      QStringLiteral("8/7%"), QStringLiteral("5%"), QStringLiteral("4/3%, oo"),
                QStringLiteral("poza krajem"), QStringLiteral("0%"),   QStringLiteral("zw")};
    }
    static QStringList kinds() { return {QStringLiteral("VAT"), QStringLiteral("KOREKTA"), QStringLiteral("ZAL")}; }
    // One kind of invoice in one currency.
    struct Group
    {
        QString kind;
        QString currency;
        int count = 0;
        std::map<QString, RateTotals> byRate;
    };
    std::vector<Group> groups; // by kind, then PLN, then the other currencies by code
    const Group *find(const QString &kind, const QString &currency) const
    {
        for (const Group &g : groups)
            if (g.kind == kind && g.currency == currency)
                return &g;
        return nullptr;
    }
    int count(const QString &kind) const
    {
        int n = 0;
        for (const Group &g : groups)
            n += g.kind == kind ? g.count : 0;
        return n;
    }
};

// The last findings and totals, as the report writes them.
struct CheckResult
{
    QString source; // "dane" (the tables) or the checked file
    QList<Finding> findings;
    Totals totals;
    bool hasTotals = false;
    quint64 dataRevision = 0; // the data's revision when they were checked
    int errorCount = -1;      // counted as the findings were made (-1: count them when asked)
    int errors() const;
    int warnings() const;
};
