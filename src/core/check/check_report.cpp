#include "check/check_report.h"

#include "base/safe_file.h"
#include "tables/display_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace CheckReport {

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
        QJsonObject totals;
        for (const QString &kind : Totals::kinds()) {
            QJsonObject rates;
            const auto byKind = result.totals.byKind.find(kind);
            for (const QString &rate : Totals::rates()) {
                RateTotals r;
                if (byKind != result.totals.byKind.end() && byKind->second.count(rate))
                    r = byKind->second.at(rate);
                rates.insert(rate, QJsonObject{{QStringLiteral("netto"), r.net},
                                               {QStringLiteral("podatek"), r.tax},
                                               {QStringLiteral("podatek_pln"), r.taxPln}});
            }
            const auto count = result.totals.counts.find(kind);
            totals.insert(
                kind, QJsonObject{{QStringLiteral("liczba"), count == result.totals.counts.end() ? 0 : count->second},
                                  {QStringLiteral("stawki"), rates}});
        }
        root.insert(QStringLiteral("sumy"), totals);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray html(const CheckResult &result)
{
    const QLocale pl(QLocale::Polish, QLocale::Poland);
    auto esc = [](const QString &s) { return s.toHtmlEscaped(); };
    QString out = QStringLiteral(
        "<!DOCTYPE html>\n<html lang=\"pl\">\n<head>\n<meta charset=\"utf-8\">\n<title>Kontrola "
        "JPK_FA(4)</title>\n<style>\n"
        "body{font-family:sans-serif;margin:1.5em;color:#222}table{border-collapse:collapse;margin:1em 0}"
        "th,td{border:1px solid #bbb;padding:3px 8px;text-align:left}th{background:#e8eef5}"
        "td.n{text-align:right;white-space:nowrap}tr.blad td:first-child{color:#b00020;font-weight:bold}"
        "tr.ostrzezenie td:first-child{color:#9a6700}\n</style>\n</head>\n<body>\n");
    out += QStringLiteral("<h1>Kontrola JPK_FA(4)</h1>\n<p>Źródło: %1<br>Błędy: %2, ostrzeżenia: %3</p>\n")
               .arg(esc(result.source))
               .arg(result.errors())
               .arg(result.warnings());
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
        for (const QString &kind : Totals::kinds()) {
            const auto count = result.totals.counts.find(kind);
            out += QStringLiteral("<h3>%1 (faktur: %2)</h3>\n<table>\n<tr><th>stawka</th><th>netto</th><th>podatek</th>"
                                  "<th>podatek w PLN</th></tr>\n")
                       .arg(esc(kind))
                       .arg(count == result.totals.counts.end() ? 0 : count->second);
            const auto byKind = result.totals.byKind.find(kind);
            for (const QString &rate : Totals::rates()) {
                RateTotals r;
                if (byKind != result.totals.byKind.end() && byKind->second.count(rate))
                    r = byKind->second.at(rate);
                out +=
                    QStringLiteral(
                        "<tr><td>%1</td><td class=\"n\">%2</td><td class=\"n\">%3</td><td class=\"n\">%4</td></tr>\n")
                        .arg(esc(rate), DisplayText::number(r.net, 2, true, pl),
                             DisplayText::number(r.tax, 2, true, pl), DisplayText::number(r.taxPln, 2, true, pl));
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
