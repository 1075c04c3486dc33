#pragma once

#include "base/user_port.h"

#include <cstdio>

// A user port where no one watches: it shows nothing (or echoes the texts to stderr), keeps the
// last text, counts the error boxes and answers every question with one answer. For the
// schema check's own preparation, the benchmarks and the fuzz targets.
class QuietPort : public UserPort
{
public:
    explicit QuietPort(bool answer = true, bool echo = false) : m_answer(answer), m_echo(echo) {}

    void info(const QString &, const QString &text) override { keep(text); }
    void error(const QString &, const QString &text) override
    {
        ++errors;
        keep(text);
    }
    bool question(const QString &, const QString &) override { return m_answer; }
    std::optional<QString> chooseOpenFile(const QString &, const QString &, const QString &) override { return {}; }
    std::optional<QString> chooseSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    void progressShow(int, int) override {}
    void progressPosition(int) override {}
    void progressHide() override {}
    void setBusy(bool) override {}
    void processEvents() override {}

    QString last;
    int errors = 0;

private:
    void keep(const QString &text)
    {
        last = text;
        if (m_echo)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    bool m_answer;
    bool m_echo;
};
