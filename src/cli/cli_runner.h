#pragma once

#include <QStringList>

// Runs the command line `tavrix-jpk [--home DIR] [-cnf:NN] [--yes|--no] [--messages FILE]
// [--save] STEP...` and returns the exit status: 0 when every step succeeded, 1 when a step
// failed (its message says why), 2 for a usage error.
int runCommandLine(const QStringList &args, const QString &defaultHome);

// The usage text.
QString commandLineUsage();
