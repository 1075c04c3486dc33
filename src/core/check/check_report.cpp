#include "check/check_report.h"

#include "base/safe_file.h"
#include "tables/display_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace CheckReport {

namespace {

// An amount in grosze as the JSON number people read: 41084191.99, not 41084191.98999959.
QJsonValue decimal(qint64 grosze)
{
    return QJsonValue(double(grosze) / 100.0);
}

QString amount(qint64 grosze)
{
    return DisplayText::number(double(grosze) / 100.0, 2, true, DisplayText::polish());
}

} // namespace

QByteArray json(const CheckResult &result)
{
    QJsonArray findings;
    for (const Finding &f : result.findings) {
        QJsonObject o{{QStringLiteral("poziom"), Finding::levelText(f.level)},
                      {QStringLiteral("kod"), f.code},
                      {QStringLiteral("rodzaj"), f.kind},
                      {QStringLiteral("rekord"), f.record},
                      {QStringLiteral("faktura"), f.invoice},
                      {QStringLiteral("wiersz"), f.line},
                      {QStringLiteral("pole"), f.field},
                      {QStringLiteral("opis_pola"), f.description},
                      {QStringLiteral("wartosc"), f.value},
                      {QStringLiteral("komunikat"), QString(f.where() + QStringLiteral(": ") + f.message)}};
        if (f.fileLine > 0)
            o.insert(QStringLiteral("linia_pliku"), f.fileLine);
        findings.append(o);
    }
    QJsonObject root{{QStringLiteral("zrodlo"), result.source},
                     {QStringLiteral("bledy"), result.errors()},
                     {QStringLiteral("ostrzezenia"), result.warnings()},
                     {QStringLiteral("ustalenia"), findings}};
    if (result.hasTotals) {
        // per kind its count and, per currency, the figures of each rate (exact: from grosze)
        QJsonObject totals;
        for (const QString &kind : Totals::kinds()) {
            QJsonObject currencies;
            for (const Totals::Group &g : result.totals.groups) {
                if (g.kind != kind)
                    continue;
                QJsonObject rates;
                for (const QString &rate : Totals::rates()) {
                    const auto r = g.byRate.find(rate);
                    const RateTotals t = r == g.byRate.end() ? RateTotals() : r->second;
                    rates.insert(rate, QJsonObject{{QStringLiteral("netto"), decimal(t.net)},
                                                   {QStringLiteral("podatek"), decimal(t.tax)},
                                                   {QStringLiteral("podatek_pln"), decimal(t.taxPln)}});
                }
                currencies.insert(g.currency,
                                  QJsonObject{{QStringLiteral("liczba"), g.count}, {QStringLiteral("stawki"), rates}});
            }
            totals.insert(kind, QJsonObject{{QStringLiteral("liczba"), result.totals.count(kind)},
                                            {QStringLiteral("waluty"), currencies}});
        }
        root.insert(QStringLiteral("sumy"), totals);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray html(const CheckResult &result)
{
    auto esc = [](const QString &s) { return s.toHtmlEscaped(); };
    QString out = QStringLiteral(
        "<!DOCTYPE html>\n<html lang=\"pl\">\n<head>\n<meta charset=\"utf-8\">\n<title>Kontrola "
        "JPK_FA(4)</title>\n<style>\n"
        "body{font-family:sans-serif;margin:1.5em;color:#222}table{border-collapse:collapse;margin:1em 0}"
        "th,td{border:1px solid #bbb;padding:3px 8px;text-align:left}th{background:#e8eef5}"
        "td.n{text-align:right;white-space:nowrap}tr.blad td:first-child{color:#b00020;font-weight:bold}"
        "tr.ostrzezenie td:first-child{color:#9a6700}\n</style>\n</head>\n<body>\n");
    // the file's name may hold "%1": one arg() for all, never a chain
    out += QStringLiteral("<h1>Kontrola JPK_FA(4)</h1>\n<p>Źródło: %1<br>Błędy: %2, ostrzeżenia: %3</p>\n")
               .arg(esc(result.source), QString::number(result.errors()), QString::number(result.warnings()));
    out += QStringLiteral("<h2>Ustalenia</h2>\n<table>\n<tr><th>poziom</th><th>kod</th><th>rodzaj</th><th>faktura</th>"
                          "<th>wiersz</th><th>pole</th><th>komunikat</th></tr>\n");
    for (const Finding &f : result.findings) {
        out += QStringLiteral("<tr class=\"%1\"><td>%2</td><td>%3</td><td>%4</td><td>%5</td><td "
                              "class=\"n\">%6</td><td>%7</td><td>%8</td></tr>\n")
                   .arg(f.level == Finding::Level::Error ? QStringLiteral("blad") : QStringLiteral("ostrzezenie"),
                        Finding::levelText(f.level), esc(f.code), esc(f.kind), esc(f.invoice),
                        f.line > 0 ? QString::number(f.line) : QString(), esc(f.field),
                        esc(f.where() + QStringLiteral(": ") + f.message));
    }
    if (result.findings.isEmpty())
        out += QStringLiteral("<tr><td colspan=\"7\">Brak ustaleń.</td></tr>\n");
    out += QStringLiteral("</table>\n");
    if (result.hasTotals) {
        out += QStringLiteral("<h2>Sumy według stawek</h2>\n");
        for (const Totals::Group &g : result.totals.groups) {
            out += QStringLiteral("<h3>%1, %2 (faktur: %3)</h3>\n<table>\n<tr><th>stawka</th><th>netto</th>"
                                  "<th>podatek</th><th>podatek w PLN</th></tr>\n")
                       .arg(esc(g.kind), esc(g.currency), QString::number(g.count));
            for (const QString &rate : Totals::rates()) {
                const auto r = g.byRate.find(rate);
                const RateTotals t = r == g.byRate.end() ? RateTotals() : r->second;
                out += QStringLiteral("<tr><td>%1</td><td class=\"n\">%2</td><td class=\"n\">%3</td>"
                                      "<td class=\"n\">%4</td></tr>\n")
                           .arg(esc(rate), amount(t.net), amount(t.tax), amount(t.taxPln));
            }
            out += QStringLiteral("</table>\n");
        }
    }
    out += QStringLiteral("</body>\n</html>\n");
    return out.toUtf8();
}

bool write(const CheckResult &result, const QString &path, QString *error)
{
    const QString lower = path.toLower();
    QByteArray bytes;
    if (lower.endsWith(QStringLiteral(".json")))
        bytes = json(result);
    else if (lower.endsWith(QStringLiteral(".html")) || lower.endsWith(QStringLiteral(".htm")))
        bytes = html(result);
    else {
        *error = QStringLiteral("%1: raport zapisuje się jako .json albo .html").arg(path);
        return false;
    }
    return writeFileSafely(path, bytes, error);
}

} // namespace CheckReport
