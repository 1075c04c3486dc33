#include "cli_runner.h"

#include "app/json_exchange.h"
#include "app/workspace.h"
#include "console_port.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <functional>

namespace {

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
    {"load-map", 2, 2},
    {"save-map", 2, 2},
    {"set-template", 1, 1},
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
    if (step.name == u"validate")
        return workspace.WeryfikujPlikJPK(step.args.at(0)) ? QString()
                                                           : QStringLiteral("%1 was not confirmed valid").arg(step.args.at(0));
    return QStringLiteral("unknown step \"%1\"").arg(step.name);
}

} // namespace

QString commandLineUsage()
{
    return QStringLiteral(
        "usage: tavrix-jpk [--home DIR] [-cnf:NN] [-k] [-xml] [--yes|--no] [--messages FILE] [--save] STEP...\n"
        "steps:\n"
        "  set KEY=VALUE        set a control or header field (settings-file key, e.g. ed_NIP_Text=5261040828)\n"
        "  import-json FILE     append the header fields and records of a JSON file to the tables\n"
        "  export-json FILE     write the header fields and all records of the four tables as JSON\n"
        "  generate [FILE]      write the JPK_FA(4) file (\"Generuj JPK\"), FILE as the output name\n"
        "  load-map GRID FILE   \"Wczytaj\" of a mapping table (SG_NAG, tab_FAK, tab_POS, tab_ZAM, tab_ZPOS)\n"
        "  save-map GRID FILE   \"Zachowaj\" of a mapping table\n"
        "  load FILE            load a JPK_FA(1)-(4) file into the header fields and tables\n"
        "  set-template FILE    use the text of FILE (UTF-8) as the JPK template\n"
        "  validate FILE        check an XML file against its schema (\"Weryfikuj gotowy JPK-FA(4).XML\")\n");
}

int runCommandLine(const QStringList &args, const QString &defaultHome)
{
    ConsolePort port;
    QString home = defaultHome;
    QStringList windowArgs;
    bool save = false;
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
        } else if (arg == u"--save") {
            save = true;
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
    if (steps.isEmpty() && !save)
        return usageError(QStringLiteral("no step given"));

    if (!messagesPath.isEmpty() && !port.setMessagesFile(messagesPath)) {
        printErr(QStringLiteral("cannot write the messages file %1").arg(messagesPath));
        return 1;
    }
    if (!QDir(home).exists()) {
        printErr(QStringLiteral("the program folder %1 does not exist").arg(home));
        return 1;
    }

    Workspace workspace(&port);
    workspace.start(windowArgs, home);
    int status = 0;
    for (const Step &step : std::as_const(steps)) {
        const QString error = runStep(workspace, step);
        if (!error.isEmpty()) {
            printErr(step.name + QStringLiteral(": ") + error);
            status = 1;
            break;
        }
    }
    if (save) {
        workspace.storeSettings();
        workspace.writeSettingsFile();
    }
    return status;
}
