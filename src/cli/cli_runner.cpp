#include "cli_runner.h"

#include "app/program_files.h"

#include "app/json_exchange.h"
#include "app/workspace.h"
#include "validate/schema_download.h"
#include "console_port.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QFile>
#include <cstdio>
#include <functional>

// The example files are a resource of this static library: they must be registered by hand.
static void initDemoResources()
{
    Q_INIT_RESOURCE(demo);
}

namespace {

// The download window of the command line: progress on stderr.
class ConsoleDownload : public DownloadView
{
public:
    void setUp(const QString &caption, const QString &, const QString &address) override
    {
        std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), address.toUtf8().constData());
    }
    void begins(qint64) override {}
    bool progress(const QString &, qint64) override { return true; }
    void over(const QString &text) override { std::fprintf(stderr, "%s\n", text.toUtf8().constData()); }
};

struct Step
{
    QString name;
    QStringList args;
};

struct StepDef
{
    const char *name;
    int minArgs;
    int maxArgs;
};

const StepDef kSteps[] = {
    {"set", 1, 1},
    {"import-json", 1, 1},
    {"export-json", 1, 1},
    {"validate", 1, 1},
    {"generate", 0, 1},
    {"load", 1, 1},
    {"import", 1, 1},
    {"import-header", 1, 1},
    {"import-invoices", 1, 1},
    {"import-orders", 1, 1},
    {"import-app", 0, 0},
    {"load-xsd", 0, 0},
    {"sum", 2, 2},
    {"load-map", 2, 2},
    {"save-map", 2, 2},
    {"set-template", 1, 1},
    {"check", 0, 0},
    {"check-file", 1, 1},
    {"report", 1, 1},
};

const StepDef *findStep(const QString &name)
{
    for (const StepDef &def : kSteps)
        if (name == QLatin1String(def.name))
            return &def;
    return nullptr;
}

void printErr(const QString &text)
{
    std::fputs((QStringLiteral("tavrix-jpk: ") + text + u'\n').toUtf8().constData(), stderr);
}

int usageError(const QString &text)
{
    printErr(text);
    std::fputs(commandLineUsage().toUtf8().constData(), stderr);
    return 2;
}

// Runs one step; returns an empty string on success, otherwise why it failed.
QString runStep(Workspace &workspace, const Step &step)
{
    if (step.name == u"set") {
        const QString &arg = step.args.at(0);
        const qsizetype eq = arg.indexOf(u'=');
        QString error;
        if (!workspace.controls().setFromText(arg.left(eq), arg.mid(eq + 1), &error))
            return error;
        return QString();
    }
    if (step.name == u"import-json")
        return JsonExchange::importFile(workspace, step.args.at(0));
    if (step.name == u"export-json")
        return JsonExchange::exportFile(workspace, step.args.at(0));
    if (step.name == u"generate") {
        if (!step.args.isEmpty())
            workspace.controls().setText(QStringLiteral("fn_JPK_Text"), step.args.at(0));
        if (workspace.act_Generuj_JPKExecute())
            return QString();
        if (workspace.lastGenerateHadNoName())
            return QStringLiteral("the output file name (fn_JPK_Text) is empty");
        return QStringLiteral("no JPK file was written");
    }
    struct ImportStep
    {
        const char *step, *action, *caption;
    };
    const ImportStep imports[] = {{"import", "act_Importuj", "Importuj Dane"},
                                  {"import-header", "Act_ImportNaglowek", "Importuj Naglowek"},
                                  {"import-invoices", "Act_ImportujFaktury", "Importuj Faktury"},
                                  {"import-orders", "act_ImportujZamowienia", "Importuj zamówienia"}};
    for (const ImportStep &is : imports) {
        if (step.name != QLatin1String(is.step))
            continue;
        // the window offers each import command only in its file layout
        if (!workspace.isEnabled(QString::fromLatin1(is.action)))
            return QStringLiteral("\"%1\" is not available with the chosen file layout (rb_WspolnyPlik, rb_nag_OsobnyPlik, "
                                  "rb_sp_BrakPliku, chb_Imp_Application)")
                .arg(QString::fromUtf8(is.caption));
        const QString &file = step.args.at(0);
        if (step.name == u"import") {
            workspace.act_ImportujExecute(file);
            return QString();
        }
        const bool ok = step.name == u"import-header"     ? workspace.Act_ImportNaglowekExecute(file)
                        : step.name == u"import-invoices" ? workspace.Act_ImportujFakturyExecute(file)
                                                          : workspace.act_ImportujZamowieniaExecute(file);
        return ok ? QString() : QStringLiteral("%1 was not imported completely").arg(file);
    }
    if (step.name == u"import-app") {
        if (!workspace.isEnabled(QStringLiteral("act_ImportujZAplikacji")))
            return QStringLiteral("\"Importuj z aplikacji\" needs a common file (rb_WspolnyPlik_Checked=TRUE) and "
                                  "chb_Imp_Application_Checked=TRUE");
        return workspace.act_ImportujZAplikacjiExecute() ? QString() : QStringLiteral("the application was not called");
    }
    if (step.name == u"load-xsd") {
        ConsoleDownload view;
        QString text;
        const bool ok = SchemaDownload::b_LoadXSDClick(workspace.port(), &view, workspace.homeDir(), workspace.Memo_JPK(), &text);
        if (!text.isEmpty())
            std::fputs(text.toUtf8().constData(), stdout);
        return ok ? QString() : QStringLiteral("the schema's descriptions could not be loaded");
    }
    if (step.name == u"sum")
        return workspace.sumColumn(step.args.at(0), step.args.at(1));
    if (step.name == u"load-map" || step.name == u"save-map") {
        const int kind = MappingTables::kindOf(step.args.at(0));
        if (kind < 0 || kind == MappingTables::DEF)
            return QStringLiteral("no mapping table \"%1\" with file buttons (SG_NAG, tab_FAK, tab_POS, tab_ZAM, tab_ZPOS)")
                .arg(step.args.at(0));
        const auto k = MappingTables::Kind(kind);
        const bool ok = step.name == u"load-map" ? workspace.maps().loadFile(k, step.args.at(1), workspace.port())
                                                 : workspace.maps().saveFile(k, step.args.at(1), workspace.port());
        return ok ? QString() : QStringLiteral("%1 failed").arg(step.args.at(1));
    }
    if (step.name == u"load") {
        if (!QFile::exists(step.args.at(0)))
            return QStringLiteral("%1: no such file").arg(step.args.at(0));
        workspace.loadJpk(step.args.at(0));
        return QString();
    }
    if (step.name == u"set-template") {
        QFile file(step.args.at(0));
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("%1: %2").arg(step.args.at(0), file.errorString());
        workspace.setMemo_JPK(QString::fromUtf8(file.readAll()));
        return QString();
    }
    if (step.name == u"check" || step.name == u"check-file") {
        QString error;
        const CheckResult *result = nullptr;
        if (step.name == u"check") {
            result = &workspace.checkData();
        } else {
            if (!workspace.checkFile(step.args.at(0), &error))
                return error;
            result = &workspace.lastCheck();
        }
        auto *console = static_cast<ConsolePort *>(workspace.port());
        for (const Finding &f : result->findings)
            console->check(f.text());
        console->info(QStringLiteral("Kontrola"),
                      QStringLiteral("Błędy: %1, ostrzeżenia: %2").arg(result->errors()).arg(result->warnings()));
        // the checks of the data fail the step on a błąd; a file's schema errors are its findings
        if (step.name == u"check" && result->errors() > 0)
            return QStringLiteral("%1 error(s) found").arg(result->errors());
        return QString();
    }
    if (step.name == u"report") {
        QString error;
        return workspace.writeCheckReport(step.args.at(0), &error) ? QString() : error;
    }
    if (step.name == u"validate")
        return workspace.WeryfikujPlikJPK(step.args.at(0)) ? QString()
                                                           : QStringLiteral("%1 was not confirmed valid").arg(step.args.at(0));
    return QStringLiteral("unknown step \"%1\"").arg(step.name);
}

// The example of the repository, end to end: its settings and its sales export are imported
// in a folder of their own, the JPK file is generated into the current folder and validated.
int runDemo(ConsolePort &port, const QString &programDir)
{
    initDemoResources();
    QTemporaryDir home;
    if (!home.isValid()) {
        printErr(QStringLiteral("cannot create a temporary folder"));
        return 1;
    }
    const QString settings = home.filePath(QStringLiteral("JPK_FA3_Ustawienia.ini"));
    const QString data = home.filePath(QStringLiteral("sprzedaz_2023_08.txt"));
    if (!QFile::copy(QStringLiteral(":/demo/JPK_FA3_Ustawienia.ini"), settings)
        || !QFile::copy(QStringLiteral(":/demo/sprzedaz_2023_08.txt"), data)) {
        printErr(QStringLiteral("the example files are missing from the program"));
        return 1;
    }
    QFile::setPermissions(settings, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // the schema and its catalog travel with the program (beside it, or where it was installed)
    const QString schema = ProgramFiles::mainSchema(programDir);
    if (!schema.isEmpty())
        QFile::copy(schema, home.filePath(QString::fromLatin1(ProgramFiles::kMainSchema)));
    const QStringList catalogs = ProgramFiles::schemaCatalogs(programDir);
    if (!catalogs.isEmpty())
        QFile::link(QFileInfo(catalogs.first()).absolutePath(), home.filePath(QStringLiteral("schemas")));

    Workspace workspace(&port);
    workspace.start({}, home.path());
    std::fputs("Przykład: import pliku sprzedaz_2023_08.txt (Windows-1250, wspólny plik z nagłówkiem, fakturami i "
               "zamówieniem)\n", stdout);
    workspace.act_ImportujExecute(data);
    const QString out = QDir::current().absoluteFilePath(QStringLiteral("JPK_FA4_demo.xml"));
    workspace.controls().setText(QStringLiteral("fn_JPK_Text"), out);
    workspace.controls().setChecked(QStringLiteral("chb_Weryfikuj_Checked"), true);
    if (!workspace.act_Generuj_JPKExecute()) {
        printErr(QStringLiteral("the example JPK file was not written"));
        return 1;
    }
    std::fputs((QStringLiteral("Plik JPK_FA(4): ") + workspace.controls().text(QStringLiteral("fn_JPK_Text")) + u'\n')
                   .toUtf8()
                   .constData(),
               stdout);
    return port.errorCount() == 0 ? 0 : 1;
}

} // namespace

QString commandLineUsage()
{
    return QStringLiteral(
        "usage: tavrix-jpk [--home DIR] [-cnf:NN] [-k] [-xml] [--yes|--no] [--messages FILE] [--save] [--keep-going] [--quiet] STEP...\n"
        "       tavrix-jpk --demo   (imports the built-in example, writes JPK_FA4_demo.xml here and validates it)\n"
        "       tavrix-jpk --version | --help\n"
        "options:\n"
        "  --home DIR           the program's folder (settings file, schema, ustawienia.xml)\n"
        "  --yes, --no          the answer to every question (default: no)\n"
        "  --messages FILE      append every message as a JSON line to FILE\n"
        "  --save               store the settings file at the end, as closing the window does\n"
        "  --keep-going         run every step even after one failed\n"
        "  --quiet              no progress line (it is shown only when stderr is a terminal)\n"
        "  --version            print the version\n"
        "steps:\n"
        "  set KEY=VALUE        set a control or header field (settings-file key, e.g. ed_NIP_Text=5261040828)\n"
        "  import-json FILE     append the header fields and records of a JSON file to the tables\n"
        "  export-json FILE     write the header fields and all records of the four tables as JSON\n"
        "  generate [FILE]      write the JPK_FA(4) file (\"Generuj JPK\"), FILE as the output name\n"
        "  import FILE          \"Importuj Dane\": a common file with header, invoices and orders\n"
        "  import-header FILE   \"Importuj Naglowek\": a header file of its own\n"
        "  import-invoices FILE \"Importuj Faktury\": an invoice file of its own\n"
        "  import-orders FILE   \"Importuj zamówienia\": an order file of its own\n"
        "  import-app           \"Importuj z aplikacji\": run the user's application, then import its exchange file\n"
        "  load-xsd             \"Wczytaj ...\" on \"Opis pól:\": the schema re-indented to stdout\n"
        "  sum GRID FIELD       \"Suma wg kolumny.\" of a column of grid_FAK, grid_POZ, grid_ZAM or grid_ZPOZ\n"
        "  load-map GRID FILE   \"Wczytaj\" of a mapping table (SG_NAG, tab_FAK, tab_POS, tab_ZAM, tab_ZPOS)\n"
        "  save-map GRID FILE   \"Zachowaj\" of a mapping table\n"
        "  load FILE            load a JPK_FA(1)-(4) file into the header fields and tables\n"
        "  set-template FILE    use the text of FILE (UTF-8) as the JPK template\n"
        "  validate FILE        check an XML file against its schema (\"Weryfikuj gotowy JPK-FA(4).XML\")\n"
        "  check                \"Sprawdź dane\": the checks beyond the schema (K01-K11) on the tables; fails on a błąd\n"
        "  check-file FILE      \"Sprawdź plik\": every schema error of FILE, by record, with a Polish reason\n"
        "  report FILE          the last findings and the totals per rate as FILE.json or FILE.html\n"
        "exit status: 0 every step succeeded; 1 a step failed (a failure message or an error was shown,\n"
        "  or the command did not finish); 2 a usage error\n");
}

int runCommandLine(const QStringList &args, const QString &defaultHome)
{
    ConsolePort port;
    QString home = defaultHome;
    QStringList windowArgs;
    bool save = false;
    bool keepGoing = false;
    bool demo = false;
    bool answerGiven = false;
    QString messagesPath;
    // The program's own options may stand anywhere; the window's options stand before the steps.
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == u"--home" || arg == u"--messages") {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("%1 needs a value").arg(arg));
            (arg == u"--home" ? home : messagesPath) = args.at(++i);
        } else if (arg == u"--yes" || arg == u"--no") {
            port.setAnswer(arg == u"--yes");
            answerGiven = true;
        } else if (arg == u"--demo") {
            demo = true;
        } else if (arg == u"--save") {
            save = true;
        } else if (arg == u"--keep-going") {
            keepGoing = true;
        } else if (arg == u"--quiet") {
            port.setQuiet(true);
        } else if (arg == u"--version") {
            std::fputs((QStringLiteral("tavrix-jpk ") + Workspace::programVersion() + u'\n').toUtf8().constData(), stdout);
            return 0;
        } else if (arg == u"--help" || arg == u"-h") {
            std::fputs(commandLineUsage().toUtf8().constData(), stdout);
            return 0;
        } else if (arg.startsWith(u"--")) {
            return usageError(QStringLiteral("unknown option \"%1\"").arg(arg));
        } else {
            rest << arg;
        }
    }
    qsizetype i = 0;
    for (; i < rest.size(); ++i) {
        const QString &arg = rest.at(i);
        if (!isOptionArgument(arg))
            break;
        windowArgs << arg;
        // "-cnf 05": the code may follow as an argument of its own
        if (QStringView(arg).mid(1).compare(u"cnf", Qt::CaseInsensitive) == 0 && i + 1 < rest.size()
            && !isOptionArgument(rest.at(i + 1)) && !findStep(rest.at(i + 1)))
            windowArgs << rest.at(++i);
    }

    QList<Step> steps;
    while (i < rest.size()) {
        const QString name = rest.at(i++);
        const StepDef *def = findStep(name);
        if (!def)
            return usageError(QStringLiteral("unknown step \"%1\"").arg(name));
        Step step{name, {}};
        while (step.args.size() < def->maxArgs && i < rest.size() && !findStep(rest.at(i)))
            step.args << rest.at(i++);
        if (step.args.size() < def->minArgs)
            return usageError(QStringLiteral("step \"%1\" needs %2 argument(s)").arg(name).arg(def->minArgs));
        if (name == u"set" && !step.args.at(0).contains(u'='))
            return usageError(QStringLiteral("set takes KEY=VALUE, not \"%1\"").arg(step.args.at(0)));
        steps << step;
    }
    if (steps.isEmpty() && !save && !demo)
        return usageError(QStringLiteral("no step given"));

    if (!messagesPath.isEmpty() && !port.setMessagesFile(messagesPath)) {
        printErr(QStringLiteral("cannot write the messages file %1").arg(messagesPath));
        return 1;
    }
    if (!QDir(home).exists()) {
        printErr(QStringLiteral("the program folder %1 does not exist").arg(home));
        return 1;
    }

    if (demo) {
        if (!answerGiven)
            port.setAnswer(true);  // the example may replace its own earlier file
        return runDemo(port, QCoreApplication::applicationDirPath());
    }

    Workspace workspace(&port);
    workspace.start(windowArgs, home);
    int status = 0;
    for (const Step &step : std::as_const(steps)) {
        // One rule for every step: it failed when its command said so, or when it showed an
        // error box or a failure message on the way.
        const int errorsBefore = port.errorCount();
        const int failuresBefore = port.failureCount();
        QString error = runStep(workspace, step);
        if (error.isEmpty() && (port.errorCount() > errorsBefore || port.failureCount() > failuresBefore))
            error = QStringLiteral("the command ended in failure (see its message)");
        if (!error.isEmpty()) {
            printErr(step.name + QStringLiteral(": ") + error);
            status = 1;
            if (!keepGoing)
                break;
        }
    }
    if (save) {
        workspace.storeSettings();
        QString error;
        if (!workspace.writeSettingsFile(&error) && !error.isEmpty()) {
            printErr(QStringLiteral("--save: ") + error);
            status = 1;
        }
    }
    return status;
}
