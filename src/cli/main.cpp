#include "base/program_files.h"
#include "cli_runner.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    return runCommandLine(args, ProgramFiles::defaultHome());
}
