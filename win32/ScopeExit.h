#pragma once

#include <utility>

// Runs a function when the scope ends, however it ends, unless released first:
//   auto restore = ScopeExit([&] { SetCursor(previous); });
// The function runs from a destructor, so it must not throw.
template <class Function>
class CScopeExit
{
public:
    explicit CScopeExit(Function function) : m_function(std::move(function)) {}
    ~CScopeExit() { Run(); }
    CScopeExit(const CScopeExit&) = delete;
    CScopeExit& operator=(const CScopeExit&) = delete;

    // Runs it now, and never again.
    void Run()
    {
        if (std::exchange(m_armed, false))
            m_function();
    }
    // It will not run.
    void Release() { m_armed = false; }

private:
    Function m_function;
    bool m_armed = true;
};

template <class Function>
[[nodiscard]] CScopeExit<Function> ScopeExit(Function function)
{
    return CScopeExit<Function>(std::move(function));
}
