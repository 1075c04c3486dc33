#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <map>

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

// The figures compared with the VAT register: per rate, the net and the tax (and the tax in
// PLN for other currencies), for each kind of invoice, with the counts of each kind.
struct RateTotals
{
    double net = 0;
    double tax = 0;
    double taxPln = 0; // P_14_xW of invoices in other currencies
};

struct Totals
{
    static QStringList rates()
    {
        return {QStringLiteral("23/22%"),      QStringLiteral("8/7%"), QStringLiteral("5%"), QStringLiteral("4/3%, oo"),
                QStringLiteral("poza krajem"), QStringLiteral("0%"),   QStringLiteral("zw")};
    }
    static QStringList kinds() { return {QStringLiteral("VAT"), QStringLiteral("KOREKTA"), QStringLiteral("ZAL")}; }
    std::map<QString, std::map<QString, RateTotals>> byKind; // kind → rate → figures
    std::map<QString, int> counts;                           // kind → invoices
};

// The last findings and totals, as the report writes them.
struct CheckResult
{
    QString source; // "dane" (the tables) or the checked file
    QList<Finding> findings;
    Totals totals;
    bool hasTotals = false;
    int errors() const;
    int warnings() const;
};
