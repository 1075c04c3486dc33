#include "base/program_files.h"
#include "cli_runner.h"
#include "main_window.h"
#include "widget_user_port.h"

#include <QApplication>

namespace {

// Without a display the program runs its command line instead of failing.
bool haveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

QString takeOption(QStringList &args, const QString &name)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0 || at + 1 >= args.size())
        return QString();
    const QString value = args.at(at + 1);
    args.remove(at, 2);
    return value;
}

QString homeOption(QStringList &args, const QString &fallback)
{
    const QString home = takeOption(args, QStringLiteral("--home"));
    return home.isEmpty() ? fallback : home;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!haveDisplay()) {
        QCoreApplication app(argc, argv);
        QStringList args = app.arguments();
        args.removeFirst();
        return runCommandLine(args, ProgramFiles::defaultHome());
    }
    QApplication app(argc, argv);
    WidgetUserPort::installPolishTranslations();
    QStringList args = app.arguments();
    args.removeFirst();
    const QString home = homeOption(args, ProgramFiles::defaultHome());
    const QString shots = takeOption(args, QStringLiteral("--screenshots"));
    const QString importFirst = takeOption(args, QStringLiteral("--import"));
    const QString size = takeOption(args, QStringLiteral("--size"));
    int status = 0;
    {
        MainWindow window(args, home);
        window.show();
        if (!importFirst.isEmpty())
            window.workspace().importCommonFile(importFirst);
        if (!size.isEmpty())
            window.resize(size.section(u'x', 0, 0).toInt(), size.section(u'x', 1, 1).toInt());
        if (!shots.isEmpty()) {
            window.checkPage()->checkData(); // the "Kontrola" page shows the example's findings
            return window.renderPages(shots) ? 0 : 1;
        }
        status = app.exec();
        window.storeSettings();
        // the settings file is written once, in one piece, when the program ends
        if (const Result<> saved = window.workspace().writeSettingsFile(); !saved)
            WidgetUserPort().failure(applicationTitle(),
                                     QStringLiteral("Nie udało się zapisać ustawień programu:\r") + saved.reason());
    }
    return status;
}
