#include "import/external_app.h"

#include "app/user_port.h"
#include "app/workspace.h"
#include "import/import_driver.h"

#include <QFileInfo>
#include <QLocale>
#include <QProcess>

namespace ExternalApp {

QString DataDlaAplikacji(const QDate &date, int dateFormat)
{
    switch (dateFormat) {
    case 0:
        return date.toString(QStringLiteral("dd-MM-yyyy"));
    case 1:
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    case 2:
        return date.toString(QStringLiteral("ddMMyyyy"));
    case 3:
        return date.toString(QStringLiteral("yyyyMMdd"));
    default:
        return QLocale().toString(date, QLocale::ShortFormat);
    }
}

bool formatParams(const QString &templ, const QStringList &args, QString *result, QString *error)
{
    QString out;
    int next = 0;
    const qsizetype n = templ.size();
    auto fail = [&] {
        *error = QStringLiteral("Format '%1' invalid or incompatible with argument").arg(templ);
        return false;
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = templ.at(i);
        if (c != u'%') {
            out += c;
            continue;
        }
        if (i + 1 < n && templ.at(i + 1) == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        // % [index ":"] ["-"] [width] ["." precision] type
        qsizetype j = i + 1;
        auto number = [&](int *value) {
            const qsizetype from = j;
            while (j < n && templ.at(j).isDigit())
                ++j;
            if (j == from)
                return false;
            *value = templ.mid(from, j - from).toInt();
            return true;
        };
        int index = next;
        int value = 0;
        const qsizetype mark = j;
        if (number(&value) && j < n && templ.at(j) == u':')
            index = value, ++j;
        else
            j = mark;
        bool left = false;
        if (j < n && templ.at(j) == u'-')
            left = true, ++j;
        int width = 0, precision = -1;
        number(&width);
        if (j < n && templ.at(j) == u'.') {
            ++j;
            if (!number(&precision))
                return fail();
        }
        if (j >= n || templ.at(j).toLower() != u's' || index < 0 || index >= args.size())
            return fail();
        QString arg = args.at(index);
        if (precision >= 0)
            arg.truncate(precision);
        if (arg.size() < width)
            arg = left ? arg.leftJustified(width) : arg.rightJustified(width);
        out += arg;
        next = index + 1;
        i = j;
    }
    *result = out;
    return true;
}

bool UruchomIPoczekaj(Workspace &workspace, const QString &program, const QString &parameters)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(parameters.split(u' ', Qt::SkipEmptyParts));
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted(30000)) {
        workspace.port()->info(applicationTitle(), process.errorString());
        return false;
    }
    // the window keeps working while the application runs
    while (process.state() != QProcess::NotRunning && !workspace.isClosing()) {
        workspace.port()->processEvents();
        process.waitForFinished(20);
    }
    return true;
}

Check act_ImportujZAplikacjiExecute(Workspace &workspace)
{
    const Controls &c = workspace.controls();
    UserPort *port = workspace.port();
    const QString program = c.text(QStringLiteral("fn_Imp_Aplikacja_FileName"));
    const QString exchange = c.text(QStringLiteral("fn_Imp_PlikWymiany_FileName"));
    struct Test
    {
        bool failed;
        Check check;
        const char *message;
    };
    const Test tests[] = {
        {program.isEmpty(), Check::Application, "Uzupełnij ścieżkę dostępu do wywoływanej aplikacji"},
        {!QFileInfo(program).isFile(), Check::ApplicationMissing, "Niepoprawna ścieżka dostępu do aplikacji jaka ma zostać wywołana"},
        {exchange.isEmpty(), Check::ExchangeFile, "Wprowadź nazwę pliku wymiany danych"},
        {c.date(QStringLiteral("ed_DataOd_Date")) == zeroDate(), Check::DateFrom, "Uzupełnij \"Datę od\""},
        {c.date(QStringLiteral("ed_DataDo_Date")) == zeroDate(), Check::DateTo, "Uzupełnij \"Datę do\""},
    };
    for (const Test &t : tests) {
        if (t.failed) {
            port->info(applicationTitle(), QString::fromUtf8(t.message));
            return t.check;
        }
    }
    const bool wasBusy = workspace.isBusy();
    workspace.setBusy(true);
    const int format = c.itemIndex(QStringLiteral("cb_data_ItemIndex"));
    QString parameters, error;
    if (!formatParams(c.text(QStringLiteral("e_Params_Text")),
                      {DataDlaAplikacji(c.date(QStringLiteral("ed_DataOd_Date")), format),
                       DataDlaAplikacji(c.date(QStringLiteral("ed_DataDo_Date")), format), exchange},
                      &parameters, &error)) {
        workspace.setBusy(wasBusy);
        port->failure(applicationTitle(), QStringLiteral("Błąd wywołania polecenia %1,\r\n%2").arg(program, error));
        return Check::Passed;
    }
    UruchomIPoczekaj(workspace, program, parameters);
    ImportDriver driver(workspace);
    if (driver.WczytajPlikImportu(exchange))
        driver.ImportujWspolnyPlik();
    workspace.setBusy(wasBusy);
    return Check::Passed;
}

} // namespace ExternalApp
