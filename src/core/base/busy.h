#pragma once

#include <functional>

// Whether the workspace is busy (an import, a generation, a check runs): no other such command
// starts meanwhile. The window greys its commands when it changes.
class BusyState
{
public:
    bool isBusy() const { return m_busy; }
    void set(bool busy)
    {
        if (busy == m_busy)
            return;
        m_busy = busy;
        if (changed)
            changed(busy);
    }
    std::function<void(bool)> changed;

private:
    bool m_busy = false;
};

// Marks the workspace busy for its lifetime and always gives back the state it found.
class BusyScope
{
public:
    explicit BusyScope(BusyState &state) : m_state(state), m_was(state.isBusy()) { state.set(true); }
    ~BusyScope() { m_state.set(m_was); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    BusyState &m_state;
    bool m_was;
};
