#pragma once

// What every fuzz target shares: an application object (the core reads the locale and the
// program folder through it), a quiet user port that counts failures, a scratch folder, and
// the check that stops a run when an invariant does not hold.

#include "base/quiet_port.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

// The fuzz targets' port: quiet, keeps the last text, answers Yes.
using FuzzPort = QuietPort;

// The program folder of the runs: created once, emptied by each target as it needs.
const QTemporaryDir &fuzzHome();
void fuzzInitialize(int *argc, char ***argv);
void writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

class Workspace;
// Generates the JPK file of the tables, when they make one, and checks it is well-formed.
void generateWellFormed(Workspace &ws);
// The tables' limits hold whatever came in: no text is longer than its field.
void checkTableLimits(Workspace &ws);

// An invariant that does not hold is a finding: say which, and stop the run (libFuzzer keeps
// the input as a crash).
#define FUZZ_CHECK(condition, what)                                                                                    \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", what, __FILE__, __LINE__);                          \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)
