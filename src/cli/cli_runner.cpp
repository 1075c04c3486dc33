#include "cli_runner.h"

#include "console_port.h"

#include "app/workspace.h"
#include "base/program_files.h"
#include "base/safe_file.h"
#include "check/findings.h"
#include "import/mapping_tables.h"
#include "validate/schema_download.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
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

using Handler = std::function<Result<>(Workspace &, const QStringList &)>;

// One step of the command line: its name, its arguments, its help and what it does. The
// handler says why it failed, if it did.
struct StepDef
{
    const char *name;
    int minArgs;
    int maxArgs;
    const char *synopsis; // as --help shows it: "import FILE"
    const char *help;
    Handler run;
};

// An import command of the window, offered only in its file layout.
Handler importStep(const char *action, const char *caption, bool (Workspace::*separate)(const QString &))
{
    return [action, caption, separate](Workspace &ws, const QStringList &args) -> Result<> {
        if (!ws.isEnabled(QString::fromLatin1(action)))
            return Failure(QStringLiteral("\"%1\" is not available with the chosen file layout (rb_WspolnyPlik, "
                                          "rb_nag_OsobnyPlik, rb_sp_BrakPliku, chb_Imp_Application)")
                               .arg(QString::fromUtf8(caption)));
        if (!separate) {
            ws.importCommonFile(args.at(0));
            return {};
        }
        if (!(ws.*separate)(args.at(0)))
            return Failure(QStringLiteral("%1 was not imported completely").arg(args.at(0)));
        return {};
    };
}

// A "Wczytaj"/"Zachowaj" of a mapping table.
Handler mapStep(bool load)
{
    return [load](Workspace &ws, const QStringList &args) -> Result<> {
        const int kind = MappingTables::kindOf(args.at(0));
        if (kind < 0 || kind == MappingTables::DEF)
            return Failure(
                QStringLiteral(
                    "no mapping table \"%1\" with file buttons (SG_NAG, tab_FAK, tab_POS, tab_ZAM, tab_ZPOS)")
                    .arg(args.at(0)));
        const auto k = MappingTables::Kind(kind);
        const bool ok = load ? ws.loadMap(k, args.at(1)) : ws.saveMap(k, args.at(1));
        if (!ok)
            return Failure(QStringLiteral("%1 failed").arg(args.at(1)));
        return {};
    };
}

// "Sprawdź dane" and "Sprawdź plik": each finding printed and recorded as a message of kind "check".
void printFindings(Workspace &ws, const CheckResult &result)
{
    auto *console = static_cast<ConsolePort *>(ws.port());
    for (const Finding &f : result.findings)
        console->check(f.text());
    console->info(QStringLiteral("Kontrola"),
                  QStringLiteral("Błędy: %1, ostrzeżenia: %2").arg(result.errors()).arg(result.warnings()));
}

const std::vector<StepDef> &steps()
{
    static const std::vector<StepDef> table = {
        {"set", 1, 1, "set KEY=VALUE", "set a control or header field (settings-file key, e.g. ed_NIP_Text=5261040828)",
         [](Workspace &ws, const QStringList &args) -> Result<> {
             const QString &arg = args.at(0);
             const qsizetype eq = arg.indexOf(u'=');
             return ws.controls().setFromText(arg.left(eq), arg.mid(eq + 1));
         }},
        {"import-json", 1, 1, "import-json FILE", "append the header fields and records of a JSON file to the tables",
         [](Workspace &ws, const QStringList &args) -> Result<> { return ws.importJson(args.at(0)); }},
        {"export-json", 1, 1, "export-json FILE", "write the header fields and all records of the four tables as JSON",
         [](Workspace &ws, const QStringList &args) -> Result<> { return ws.exportJson(args.at(0)); }},
        {"generate", 0, 1, "generate [FILE]", "write the JPK_FA(4) file (\"Generuj JPK\"), FILE as the output name",
         [](Workspace &ws, const QStringList &args) -> Result<> {
             if (!args.isEmpty())
                 ws.controls().setText(QStringLiteral("fn_JPK_Text"), args.at(0));
             if (ws.generateJpk())
                 return {};
             if (ws.lastGenerateHadNoName())
                 return Failure(QStringLiteral("the output file name (fn_JPK_Text) is empty"));
             return Failure(QStringLiteral("no JPK file was written"));
         }},
        {"import", 1, 1, "import FILE", "\"Importuj Dane\": a common file with header, invoices and orders",
         importStep("act_Importuj", "Importuj Dane", nullptr)},
        {"import-header", 1, 1, "import-header FILE", "\"Importuj Naglowek\": a header file of its own",
         importStep("Act_ImportNaglowek", "Importuj Naglowek", &Workspace::importHeaderFile)},
        {"import-invoices", 1, 1, "import-invoices FILE", "\"Importuj Faktury\": an invoice file of its own",
         importStep("Act_ImportujFaktury", "Importuj Faktury", &Workspace::importInvoiceFile)},
        {"import-orders", 1, 1, "import-orders FILE", "\"Importuj zamówienia\": an order file of its own",
         importStep("act_ImportujZamowienia", "Importuj zamówienia", &Workspace::importOrderFile)},
        {"import-app", 0, 0, "import-app",
         "\"Importuj z aplikacji\": run the user's application, then import its exchange file",
         [](Workspace &ws, const QStringList &) -> Result<> {
             if (!ws.isEnabled(QStringLiteral("act_ImportujZAplikacji")))
                 return Failure(
                     QStringLiteral("\"Importuj z aplikacji\" needs a common file (rb_WspolnyPlik_Checked=TRUE) and "
                                    "chb_Imp_Application_Checked=TRUE"));
             if (!ws.importThroughApplication())
                 return Failure(QStringLiteral("the application was not called"));
             return {};
         }},
        {"load-xsd", 0, 0, "load-xsd", "\"Wczytaj ...\" on \"Opis pól:\": the schema re-indented to stdout",
         [](Workspace &ws, const QStringList &) -> Result<> {
             ConsoleDownload view;
             QString text;
             const bool ok = ws.loadSchemaDescriptions(&view, &text);
             if (!text.isEmpty())
                 std::fputs(text.toUtf8().constData(), stdout);
             if (!ok)
                 return Failure(QStringLiteral("the schema's descriptions could not be loaded"));
             return {};
         }},
        {"sum", 2, 2, "sum GRID FIELD", "\"Suma wg kolumny.\" of a column of grid_FAK, grid_POZ, grid_ZAM or grid_ZPOZ",
         [](Workspace &ws, const QStringList &args) -> Result<> { return ws.sumColumn(args.at(0), args.at(1)); }},
        {"load-map", 2, 2, "load-map GRID FILE",
         "\"Wczytaj\" of a mapping table (SG_NAG, tab_FAK, tab_POS, tab_ZAM, tab_ZPOS)", mapStep(true)},
        {"save-map", 2, 2, "save-map GRID FILE", "\"Zachowaj\" of a mapping table", mapStep(false)},
        {"load", 1, 1, "load FILE", "load a JPK_FA(1)-(4) file into the header fields and tables",
         [](Workspace &ws, const QStringList &args) -> Result<> {
             if (!QFile::exists(args.at(0)))
                 return Failure(QStringLiteral("%1: no such file").arg(args.at(0)));
             ws.loadJpk(args.at(0));
             return {};
         }},
        {"import-ksef", 1, 3, "import-ksef PATH [recursive] [no-schema]",
         "\"Importuj e-faktury (KSeF)\": FA(3)/FA(2) e-invoices from a .xml file, a folder (its subfolders "
         "with recursive) or a .zip package, appended to the tables; no-schema skips checking each file against its "
         "schema; fails when no e-invoice could be read",
         [](Workspace &ws, const QStringList &args) -> Result<> {
             bool recursive = false;
             bool validate = true;
             for (qsizetype k = 1; k < args.size(); ++k) {
                 if (args.at(k) == u"recursive")
                     recursive = true;
                 else if (args.at(k) == u"no-schema")
                     validate = false;
                 else
                     return Failure(
                         QStringLiteral("import-ksef: unknown word \"%1\" (recursive, no-schema)").arg(args.at(k)));
             }
             if (!ws.importKsef(args.at(0), validate, recursive))
                 return Failure(QStringLiteral("%1: no e-invoice could be read").arg(args.at(0)));
             return {};
         }},
        {"set-template", 1, 1, "set-template FILE", "use the text of FILE (UTF-8) as the JPK template",
         [](Workspace &ws, const QStringList &args) -> Result<> {
             const Result<QByteArray> bytes = readFileCapped(args.at(0), kMaxSmallFile);
             if (!bytes)
                 return Failure(bytes.reason());
             const QString text = QString::fromUtf8(*bytes);
             // a template the loader would refuse is refused here, before any file is made of it
             if (const Result<> usable = ws.checkTemplate(text); !usable)
                 return Failure(QStringLiteral("%1: %2").arg(args.at(0), usable.reason()));
             ws.setJpkTemplate(text);
             return {};
         }},
        {"validate", 1, 1, "validate FILE", "check an XML file against its schema (\"Weryfikuj gotowy JPK-FA(4).XML\")",
         [](Workspace &ws, const QStringList &args) -> Result<> {
             if (!ws.validateFile(args.at(0)))
                 return Failure(QStringLiteral("%1 was not confirmed valid").arg(args.at(0)));
             return {};
         }},
        {"check", 0, 0, "check",
         "\"Sprawdź dane\": the checks beyond the schema (K01-K11) on the tables; fails on a błąd",
         [](Workspace &ws, const QStringList &) -> Result<> {
             const CheckResult &result = ws.checkData();
             printFindings(ws, result);
             if (result.errors() > 0)
                 return Failure(QStringLiteral("%1 error(s) found").arg(result.errors()));
             return {};
         }},
        {"check-file", 1, 1, "check-file FILE",
         "\"Sprawdź plik\": every schema error of FILE and its control sums, by record, with a Polish reason; "
         "fails on a błąd",
         [](Workspace &ws, const QStringList &args) -> Result<> {
             if (const Result<> checked = ws.checkFile(args.at(0)); !checked) {
                 ws.port()->failure(QStringLiteral("Kontrola"), checked.reason()); // into the messages file too
                 return checked;
             }
             const CheckResult &result = ws.lastCheck();
             printFindings(ws, result); // the schema errors are the file's findings
             if (result.errors() > 0)
                 return Failure(QStringLiteral("%1 error(s) found").arg(result.errors()));
             return {};
         }},
        {"report", 1, 1, "report FILE", "the last findings and the totals per rate as FILE.json or FILE.html",
         [](Workspace &ws, const QStringList &args) -> Result<> { return ws.writeCheckReport(args.at(0)); }},
    };
    return table;
}

const StepDef *findStep(const QString &name)
{
    for (const StepDef &def : steps())
        if (name == QLatin1String(def.name))
            return &def;
    return nullptr;
}

void printErr(const QString &text)
{
    std::fputs((QStringLiteral("tavrix-jpk: ") + ConsolePort::printable(text) + u'\n').toUtf8().constData(), stderr);
}

int usageError(const QString &text)
{
    printErr(text);
    std::fputs(commandLineUsage().toUtf8().constData(), stderr);
    return 2;
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
    if (!QFile::copy(QStringLiteral(":/demo/JPK_FA3_Ustawienia.ini"), settings) ||
        !QFile::copy(QStringLiteral(":/demo/sprzedaz_2023_08.txt"), data)) {
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
               "zamówieniem)\n",
               stdout);
    workspace.importCommonFile(data);
    const QString out = QDir::current().absoluteFilePath(QStringLiteral("JPK_FA4_demo.xml"));
    workspace.controls().setText(QStringLiteral("fn_JPK_Text"), out);
    workspace.controls().setChecked(QStringLiteral("chb_Weryfikuj_Checked"), true);
    if (!workspace.generateJpk()) {
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
    QString text = QStringLiteral(
        "usage: tavrix-jpk [--home DIR] [-cnf:NN] [-k] [-xml] [--yes|--no] [--messages FILE] [--save] [--keep-going] "
        "[--quiet] STEP...\n"
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
        "steps:\n");
    for (const StepDef &def : steps())
        text += QStringLiteral("  %1 %2\n").arg(QString::fromUtf8(def.synopsis), -20).arg(QString::fromUtf8(def.help));
    text += QStringLiteral(
        "exit status: 0 every step succeeded; 1 a step failed (a failure message or an error was shown,\n"
        "  or the command did not finish); 2 a usage error; 130 stopped by Ctrl+C (the running command\n"
        "  gives back the tables as they were and never replaces an old file)\n");
    return text;
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
            std::fputs((QStringLiteral("tavrix-jpk ") + Workspace::programVersion() + u'\n').toUtf8().constData(),
                       stdout);
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
        if (QStringView(arg).mid(1).compare(u"cnf", Qt::CaseInsensitive) == 0 && i + 1 < rest.size() &&
            !isOptionArgument(rest.at(i + 1)) && !findStep(rest.at(i + 1)))
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
            return usageError(
                QStringLiteral("step \"%1\" needs %2 argument(s)").arg(name, QString::number(def->minArgs)));
        if (name == u"set" && !step.args.at(0).contains(u'='))
            return usageError(QStringLiteral("set takes KEY=VALUE, not \"%1\"").arg(step.args.at(0)));
        steps << step;
    }
    if (steps.isEmpty() && !save && !demo)
        return usageError(QStringLiteral("no step given"));

    QString messagesProblem;
    if (!messagesPath.isEmpty() && !port.setMessagesFile(messagesPath, &messagesProblem)) {
        printErr(QStringLiteral("cannot write the messages file %1: %2").arg(messagesPath, messagesProblem));
        return 1;
    }
    if (!QDir(home).exists()) {
        printErr(QStringLiteral("the program folder %1 does not exist").arg(home));
        return 1;
    }

    if (demo) {
        if (!answerGiven)
            port.setAnswer(true); // the example may replace its own earlier file
        return runDemo(port, QCoreApplication::applicationDirPath());
    }

    Workspace workspace(&port);
    workspace.start(windowArgs, home);
    ConsolePort::catchInterrupt();
    int status = 0;
    bool stopAfterThis = false;
    for (qsizetype k = 0; k < steps.size(); ++k) {
        const Step &step = steps.at(k);
        // One rule for every step: it failed when its command said so, or when it showed an
        // error box or a failure message on the way.
        const int errorsBefore = port.errorCount();
        const int failuresBefore = port.failureCount();
        const Result<> done = findStep(step.name)->run(workspace, step.args);
        QString error = done.reason();
        if (done && (port.errorCount() > errorsBefore || port.failureCount() > failuresBefore))
            error = QStringLiteral("the command ended in failure (see its message)");
        if (ConsolePort::interrupted()) {
            // Ctrl+C: the command stopped with the tables or the old file intact; no more steps
            printErr(step.name + QStringLiteral(": interrupted"));
            return 130;
        }
        if (!error.isEmpty()) {
            printErr(step.name + QStringLiteral(": ") + error);
            status = 1;
        }
        if (stopAfterThis)
            break; // the report of a check that found errors: written, and the run ends
        if (!error.isEmpty() && !keepGoing) {
            // a check that found errors still lets its report be written
            const bool reportFollows = (step.name == u"check" || step.name == u"check-file") && k + 1 < steps.size() &&
                                       steps.at(k + 1).name == u"report";
            if (!reportFollows)
                break;
            stopAfterThis = true;
        }
    }
    if (!port.messagesError().isEmpty()) {
        // a log that lost lines is a failed run: whoever reads it would read a torn record
        printErr(
            QStringLiteral("the messages file %1 could not be written: %2").arg(messagesPath, port.messagesError()));
        status = 1;
    }
    if (save) {
        workspace.storeSettings();
        if (const Result<> saved = workspace.writeSettingsFile(); !saved) {
            printErr(QStringLiteral("--save: ") + saved.reason());
            status = 1;
        }
    }
    return status;
}
