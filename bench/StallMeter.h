#pragma once

// How long a window kept a user waiting: another thread sends it WM_NULL every 10 ms and keeps
// the longest time an answer took, as a click would have waited.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

class CStallMeter
{
public:
    explicit CStallMeter(HWND window) : m_window(window), m_thread([this] { Run(); }) {}
    ~CStallMeter()
    {
        m_stop = true;
        m_thread.join();
    }
    CStallMeter(const CStallMeter&) = delete;
    CStallMeter& operator=(const CStallMeter&) = delete;

    // The longest wait since the last call, in ms.
    double TakeLongest() { return static_cast<double>(m_longest.exchange(0)) / 1000.0; }

private:
    static long long Microseconds()
    {
        LARGE_INTEGER counter;
        LARGE_INTEGER frequency;
        QueryPerformanceCounter(&counter);
        QueryPerformanceFrequency(&frequency);
        // In floating point: the counter times a million runs past 64 bits after days of uptime.
        return static_cast<long long>(static_cast<double>(counter.QuadPart) * 1e6 /
                                      static_cast<double>(frequency.QuadPart));
    }

    void Run()
    {
        while (!m_stop)
        {
            const long long start = Microseconds();
            // In short waits, so that an end is never stuck behind a window nobody serves.
            DWORD_PTR result = 0;
            while (!m_stop && !SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_NORMAL, 50, &result))
            {
            }
            const long long waited = Microseconds() - start;
            long long longest = m_longest.load();
            while (waited > longest && !m_longest.compare_exchange_weak(longest, waited))
            {
            }
            Sleep(10);
        }
    }

    HWND m_window;
    std::atomic<bool> m_stop{false};
    std::atomic<long long> m_longest{0};
    std::thread m_thread;
};
