#pragma once

// What every fuzz target shares: an application object (the core reads the locale and the
// program folder through it), a quiet user port that counts failures, a scratch folder, and
// the check that stops a run when an invariant does not hold.

#include "base/user_port.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

class FuzzPort : public UserPort
{
public:
    void info(const QString &, const QString &text) override { last = text; }
    void error(const QString &, const QString &text) override
    {
        ++errors;
        last = text;
    }
    bool question(const QString &, const QString &) override { return true; }
    std::optional<QString> chooseOpenFile(const QString &, const QString &, const QString &) override { return {}; }
    std::optional<QString> chooseSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    void progressShow(int, int) override {}
    void progressPosition(int) override {}
    void progressHide() override {}
    void setBusy(bool) override {}
    void processEvents() override {}

    int errors = 0;
    QString last;
};

// The program folder of the runs: created once, emptied by each target as it needs.
const QTemporaryDir &fuzzHome();
void fuzzInitialize(int *argc, char ***argv);
void writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// An invariant that does not hold is a finding: say which, and stop the run (libFuzzer keeps
// the input as a crash).
#define FUZZ_CHECK(condition, what)                                                                                    \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", what, __FILE__, __LINE__);                          \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)
