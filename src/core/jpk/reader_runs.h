#pragma once

#include "jpk/jpk_reader.h"

#include <QString>

// The record elements, by kind: invoices, invoice lines, orders (order lines are read inside
// their orders).
inline const QString kRecordKinds[3] = {QStringLiteral("Faktura"), QStringLiteral("FakturaWiersz"),
                                        QStringLiteral("Zamowienie")};

// Each kind is read as one run: its first element among the children of JPK and the
// same-named siblings that follow it directly. Invoices are read before lines and lines
// before orders; a run met before the runs it must follow waits for a further pass.
struct JpkReader::Runs
{
    enum class State
    {
        NotFound,
        InRun,
        Ended
    };
    // one kind of record through the passes
    struct Run
    {
        QString element;     // "Faktura", "FakturaWiersz", "Zamowienie"
        bool done = false;   // read whole in an earlier pass
        bool absent = false; // not in the file at all
        // this pass
        State state = State::NotFound;
        bool reading = false;
        QString name; // the run's element as written (with its prefix)
    };
    Run runs[3];

    Runs()
    {
        for (int k = 0; k < 3; ++k)
            runs[k].element = kRecordKinds[k];
    }
    bool allowed(int k) const
    {
        for (int j = 0; j < k; ++j)
            if (!runs[j].done && !runs[j].absent)
                return false;
        return true;
    }
    void startPass()
    {
        for (Run &run : runs) {
            run.state = State::NotFound;
            run.reading = false;
            run.name.clear();
        }
    }
    // One child of JPK that is not white space: the kind of record it is read as, or -1.
    int sibling(bool element, const QString &qname, const QString &local)
    {
        int kind = -1;
        for (int k = 0; k < 3; ++k) {
            Run &run = runs[k];
            if (run.state == State::InRun && qname != run.name) {
                run.state = State::Ended; // any other sibling ends a run
                if (run.reading)
                    run.done = true;
            }
            if (run.state == State::NotFound && element && local == run.element) {
                run.state = State::InRun;
                run.name = qname;
                run.reading = !run.done && allowed(k);
            }
            if (run.state == State::InRun && qname == run.name)
                kind = k;
        }
        return kind >= 0 && runs[kind].reading ? kind : -1;
    }
    // After a pass: whether another one is needed.
    bool endPass()
    {
        for (Run &run : runs) {
            if (run.reading)
                run.done = true;
            if (run.state == State::NotFound)
                run.absent = true;
        }
        for (const Run &run : runs)
            if (!run.done && !run.absent)
                return true;
        return false;
    }
};
