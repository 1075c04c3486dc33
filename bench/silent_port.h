#pragma once

#include "base/user_port.h"

#include <cstdio>

// A UserPort for benchmarks: answers Yes, prints messages to stderr, shows no progress.
class SilentPort : public UserPort
{
public:
    void info(const QString &, const QString &t) override { std::fprintf(stderr, "%s\n", qPrintable(t)); }
    void error(const QString &, const QString &t) override { std::fprintf(stderr, "%s\n", qPrintable(t)); }
    bool question(const QString &, const QString &) override { return true; }
    std::optional<QString> chooseOpenFile(const QString &, const QString &, const QString &) override { return {}; }
    std::optional<QString> chooseSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    void progressShow(int, int) override {}
    void progressPosition(int) override {}
    void progressHide() override {}
    void setBusy(bool) override {}
    void processEvents() override {}
};
