#include "import/external_app.h"

#include "base/busy.h"
#include "base/controls.h"
#include "base/user_port.h"
#include "import/import_driver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <sys/types.h>

namespace ExternalApp {

QString dateForApplication(const QDate &date, int dateFormat)
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

namespace {

// Whether a detached process still runs. Its parent is the system's reaper now, which in a
// container may leave it a zombie: that counts as ended.
bool stillRunning(qint64 pid)
{
    if (::kill(pid_t(pid), 0) != 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return !(close >= 0 && close + 2 < line.size() && (line.at(close + 2) == 'Z' || line.at(close + 2) == 'X'));
}

// A width or precision beyond this is a mistake, not a wish for gigabytes of spaces.
constexpr int kMaxWidth = 1024;

// Fills one piece of a template; *next is the argument a placeholder without index takes,
// carried from piece to piece. Errors name the whole template.
Result<QString> fillPiece(const QString &templ, const QString &whole, const QStringList &args, int *nextArg)
{
    QString out;
    int next = *nextArg;
    const qsizetype n = templ.size();
    auto fail = [&] { return Failure(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(whole)); };
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
            bool ok = false;
            *value = templ.mid(from, j - from).toInt(&ok);
            if (!ok || *value > kMaxWidth)
                *value = -2; // too large: refused below
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
        if (width == -2 || precision == -2)
            return fail();
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
    *nextArg = next;
    return out;
}

} // namespace

Result<QString> formatParams(const QString &templ, const QStringList &args)
{
    int next = 0;
    return fillPiece(templ, templ, args, &next);
}

Result<QStringList> formatArguments(const QString &templ, const QStringList &args)
{
    // the template is split first: what the placeholders bring in stays one argument,
    // spaces and all
    int next = 0;
    QStringList out;
    for (const QString &piece : templ.split(u' ', Qt::SkipEmptyParts)) {
        const Result<QString> filled = fillPiece(piece, templ, args, &next);
        if (!filled)
            return Failure(filled.reason());
        out << *filled;
    }
    return out;
}

bool startAndWait(const WorkContext &workspace, const QString &program, const QStringList &arguments)
{
    // The application is the user's own: started detached, it lives on if the window closes
    // while waiting; only the waiting stops.
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        workspace.port->info(applicationTitle(), process.errorString());
        return false;
    }
    // the window keeps working while the application runs
    QElapsedTimer pause;
    while (stillRunning(pid) && !(workspace.closing && workspace.closing())) {
        workspace.port->pump(); // "Przerwij" stops the wait; the application runs on by itself
        pause.start();
        while (pause.elapsed() < 20 && !(workspace.closing && workspace.closing()))
            QThread::msleep(5);
    }
    return true;
}

Check importThroughApplication(const WorkContext &workspace, const std::function<void(Check)> &beforeMessage)
{
    const Controls &c = (*workspace.controls);
    UserPort *port = workspace.port;
    const QString program = c.text(QStringLiteral("fn_Imp_Aplikacja_FileName"));
    // a relative path is resolved once, here, and the file that was checked is the one started
    const QString resolved = program.isEmpty() ? QString() : QFileInfo(program).absoluteFilePath();
    const QString exchange = c.text(QStringLiteral("fn_Imp_PlikWymiany_FileName"));
    struct Test
    {
        bool failed;
        Check check;
        const char *message;
    };
    const Test tests[] = {
        {program.isEmpty(), Check::Application, "Uzupełnij ścieżkę dostępu do wywoływanej aplikacji"},
        {!QFileInfo(resolved).isFile(), Check::ApplicationMissing,
         "Niepoprawna ścieżka dostępu do aplikacji jaka ma zostać wywołana"},
        {exchange.isEmpty(), Check::ExchangeFile, "Wprowadź nazwę pliku wymiany danych"},
        {c.date(QStringLiteral("ed_DataOd_Date")) == zeroDate(), Check::DateFrom, "Uzupełnij \"Datę od\""},
        {c.date(QStringLiteral("ed_DataDo_Date")) == zeroDate(), Check::DateTo, "Uzupełnij \"Datę do\""},
    };
    for (const Test &t : tests) {
        if (t.failed) {
            if (beforeMessage)
                beforeMessage(t.check);
            port->failure(applicationTitle(), QString::fromUtf8(t.message));
            return t.check;
        }
    }
    BusyScope busy(*workspace.busy);
    const int format = c.itemIndex(QStringLiteral("cb_data_ItemIndex"));
    const Result<QStringList> arguments =
        formatArguments(c.text(QStringLiteral("e_Params_Text")),
                        {dateForApplication(c.date(QStringLiteral("ed_DataOd_Date")), format),
                         dateForApplication(c.date(QStringLiteral("ed_DataDo_Date")), format), exchange});
    if (!arguments) {
        port->failure(applicationTitle(),
                      QStringLiteral("Błąd wywołania polecenia %1,\r\n%2").arg(program, arguments.reason()));
        return Check::Passed;
    }
    startAndWait(workspace, resolved, *arguments);
    ImportDriver driver(workspace);
    if (driver.readImportFile(exchange))
        driver.importCommonBlocks();
    return Check::Passed;
}

} // namespace ExternalApp
