#include "check/check_report.h"

#include "base/safe_file.h"
#include "tables/display_text.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <map>

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

QByteArray compact(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// How many findings of each code and level, in the order the codes first appear.
struct CodeCount
{
    QString code;
    Finding::Level level;
    qsizetype count = 0;
};
std::vector<CodeCount> countsByCode(const CheckResult &result)
{
    std::vector<CodeCount> counts;
    std::map<std::pair<QString, int>, size_t> at;
    for (const Finding &f : result.findings) {
        const auto key = std::make_pair(f.code, int(f.level));
        const auto it = at.find(key);
        if (it == at.end()) {
            at.emplace(key, counts.size());
            counts.push_back({f.code, f.level, 1});
        } else {
            ++counts[it->second].count;
        }
    }
    return counts;
}

} // namespace

bool json(const CheckResult &result, const Sink &out)
{
    QJsonObject head{{QStringLiteral("zrodlo"), result.source},
                     {QStringLiteral("bledy"), result.errors()},
                     {QStringLiteral("ostrzezenia"), result.warnings()}};
    QByteArray text = compact(head);
    text.chop(1); // the object goes on
    text += ",\n\"ustalenia\": [\n";
    if (!out(text))
        return false;
    QByteArray chunk;
    for (qsizetype i = 0; i < result.findings.size(); ++i) {
        const Finding &f = result.findings.at(i);
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
        chunk += compact(o);
        chunk += i + 1 < result.findings.size() ? ",\n" : "\n";
        if (chunk.size() > (1 << 20)) {
            if (!out(chunk))
                return false;
            chunk.clear();
        }
    }
    chunk += "]";
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
        chunk += ",\n\"sumy\": ";
        chunk += QJsonDocument(totals).toJson(QJsonDocument::Indented);
    }
    chunk += "}\n";
    return out(chunk);
}

bool html(const CheckResult &result, const Sink &out)
{
    // the data's own text, escaped, without the characters that could hide or reorder what the
    // page shows (NUL, ESC and the other controls, DEL, bidirectional overrides)
    auto esc = [](const QString &s) {
        QString clean;
        clean.reserve(s.size());
        for (const QChar c : s) {
            const char16_t u = c.unicode();
            if ((u < 0x20 && u != u'\t' && u != u'\n') || u == 0x7F || (u >= 0x202A && u <= 0x202E) ||
                (u >= 0x2066 && u <= 0x2069))
                continue;
            clean += c;
        }
        return clean.toHtmlEscaped();
    };
    QString page = QStringLiteral(
        "<!DOCTYPE html>\n<html lang=\"pl\">\n<head>\n<meta charset=\"utf-8\">\n<title>Kontrola "
        "JPK_FA(4)</title>\n<style>\n"
        "body{font-family:sans-serif;margin:1.5em;color:#222}table{border-collapse:collapse;margin:1em 0}"
        "th,td{border:1px solid #bbb;padding:3px 8px;text-align:left}th{background:#e8eef5}"
        "td.n{text-align:right;white-space:nowrap}tr.blad td:first-child{color:#b00020;font-weight:bold}"
        "tr.ostrzezenie td:first-child{color:#9a6700}\n</style>\n</head>\n<body>\n");
    // the file's name may hold "%1": one arg() for all, never a chain
    page += QStringLiteral("<h1>Kontrola JPK_FA(4)</h1>\n<p>Źródło: %1<br>Błędy: %2, ostrzeżenia: %3</p>\n")
                .arg(esc(result.source), QString::number(result.errors()), QString::number(result.warnings()));
    // the summary first: what kinds of findings, how many of each
    const std::vector<CodeCount> counts = countsByCode(result);
    if (!counts.empty()) {
        page += QStringLiteral("<h2>Podsumowanie</h2>\n<table>\n<tr><th>poziom</th><th>kod</th><th>liczba</th></tr>\n");
        for (const CodeCount &c : counts)
            page += QStringLiteral("<tr class=\"%1\"><td>%2</td><td>%3</td><td class=\"n\">%4</td></tr>\n")
                        .arg(c.level == Finding::Level::Error ? QStringLiteral("blad") : QStringLiteral("ostrzezenie"),
                             Finding::levelText(c.level), esc(c.code), QString::number(c.count));
        page += QStringLiteral("</table>\n");
    }
    page += QStringLiteral("<h2>Ustalenia</h2>\n<table>\n<tr><th>poziom</th><th>kod</th><th>rodzaj</th><th>faktura</th>"
                           "<th>wiersz</th><th>pole</th><th>komunikat</th></tr>\n");
    std::map<std::pair<QString, int>, qsizetype> shown;
    for (const Finding &f : result.findings) {
        qsizetype &n = shown[{f.code, int(f.level)}];
        if (++n > kShownPerCode)
            continue;
        page += QStringLiteral("<tr class=\"%1\"><td>%2</td><td>%3</td><td>%4</td><td>%5</td><td "
                               "class=\"n\">%6</td><td>%7</td><td>%8</td></tr>\n")
                    .arg(f.level == Finding::Level::Error ? QStringLiteral("blad") : QStringLiteral("ostrzezenie"),
                         Finding::levelText(f.level), esc(f.code), esc(f.kind), esc(f.invoice),
                         f.line > 0 ? QString::number(f.line) : QString(), esc(f.field),
                         esc(f.where() + QStringLiteral(": ") + f.message));
        if (page.size() > (1 << 19)) {
            if (!out(page.toUtf8()))
                return false;
            page.clear();
        }
    }
    if (result.findings.isEmpty())
        page += QStringLiteral("<tr><td colspan=\"7\">Brak ustaleń.</td></tr>\n");
    page += QStringLiteral("</table>\n");
    for (const CodeCount &c : counts)
        if (c.count > kShownPerCode)
            page +=
                QStringLiteral("<p>Kod %1 (%2): pokazano pierwsze %3 z %4 ustaleń; wszystkie są w raporcie JSON.</p>\n")
                    .arg(esc(c.code), Finding::levelText(c.level), QString::number(kShownPerCode),
                         QString::number(c.count));
    if (result.hasTotals) {
        page += QStringLiteral("<h2>Sumy według stawek</h2>\n");
        for (const Totals::Group &g : result.totals.groups) {
            page += QStringLiteral("<h3>%1, %2 (faktur: %3)</h3>\n<table>\n<tr><th>stawka</th><th>netto</th>"
                                   "<th>podatek</th><th>podatek w PLN</th></tr>\n")
                        .arg(esc(g.kind), esc(g.currency), QString::number(g.count));
            for (const QString &rate : Totals::rates()) {
                const auto r = g.byRate.find(rate);
                const RateTotals t = r == g.byRate.end() ? RateTotals() : r->second;
                page += QStringLiteral("<tr><td>%1</td><td class=\"n\">%2</td><td class=\"n\">%3</td>"
                                       "<td class=\"n\">%4</td></tr>\n")
                            .arg(esc(rate), amount(t.net), amount(t.tax), amount(t.taxPln));
            }
            page += QStringLiteral("</table>\n");
        }
    }
    page += QStringLiteral("</body>\n</html>\n");
    return out(page.toUtf8());
}

Result<> write(const CheckResult &result, const QString &path)
{
    const QString lower = path.toLower();
    const bool asJson = lower.endsWith(QStringLiteral(".json"));
    if (!asJson && !lower.endsWith(QStringLiteral(".html")) && !lower.endsWith(QStringLiteral(".htm")))
        return Failure(QStringLiteral("%1: raport zapisuje się jako .json albo .html").arg(path));
    SafeFile file(path);
    const Sink sink = [&file](QByteArrayView bytes) { return file.write(bytes); };
    if (!file.open() || !(asJson ? json(result, sink) : html(result, sink)) || !file.commit()) {
        const QString reason = QStringLiteral("%1: %2").arg(path, file.errorString());
        file.cancel();
        return Failure(reason);
    }
    return {};
}

} // namespace CheckReport
