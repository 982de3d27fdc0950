#pragma once

// What keeps a benchmark run from waiting forever: a watchdog thread that ends the process
// when an awaited step does not come in time and answers the page's message boxes, and the
// process's memory figures it prints on the way out.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

inline constexpr int kGaveUp = 4;

// Seconds on the performance counter.
inline double Now()
{
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline constexpr double kMegabyte = 1024.0 * 1024.0;

struct Memory
{
    double peak = 0;    // MB, peak working set of the process so far
    double current = 0; // MB, working set now
};

inline Memory ReadMemory()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    Memory memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
    {
        memory.peak = static_cast<double>(counters.PeakWorkingSetSize) / kMegabyte;
        memory.current = static_cast<double>(counters.WorkingSetSize) / kMegabyte;
    }
    return memory;
}

// The page's message boxes come from its load thread or, during a save, from this thread's
// modal loop: neither returns to the benchmark while the box is up, so another thread looks
// for them.
struct SeenBox
{
    std::wstring caption;
    std::wstring text;
};

inline std::wstring WindowText(HWND hwnd)
{
    wchar_t text[2048] = {};
    DWORD_PTR copied = 0;
    // The box's thread may be busy: never wait for it without a limit.
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied))
        return std::wstring();
    return std::wstring(text, std::min<DWORD_PTR>(copied, 2047));
}

inline BOOL CALLBACK CollectBox(HWND hwnd, LPARAM boxes)
{
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    wchar_t className[16] = {};
    GetClassNameW(hwnd, className, 16);
    // A message box is a dialog with its text in the static 0xFFFF.
    if (process == GetCurrentProcessId() && std::wstring(className) == L"#32770" && IsWindowVisible(hwnd) &&
        GetDlgItem(hwnd, 0xFFFF))
        reinterpret_cast<std::vector<HWND>*>(boxes)->push_back(hwnd);
    return TRUE;
}

// Ends the process when what the benchmark waits for does not happen in time, and reads and
// answers message boxes: OK where there is one, otherwise Cancel or No.
class CWatchdog
{
public:
    CWatchdog() : m_thread([this] { Run(); }) {}
    ~CWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    CWatchdog(const CWatchdog&) = delete;
    CWatchdog& operator=(const CWatchdog&) = delete;

    void Expect(const char* what, std::chrono::seconds limit)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_what = what;
        m_limit = limit;
        m_deadline = std::chrono::steady_clock::now() + limit;
    }
    void Met() { Expect(nullptr, std::chrono::seconds(0)); }
    // Answers a question with Yes (and leaves it out of Boxes) while set; when it last did, in
    // seconds of the performance counter.
    // `before` runs on the watchdog's thread just before each Yes.
    void AnswerYes(bool yes, std::function<void()> before = nullptr)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_beforeYes = std::move(before);
        m_yes = yes;
    }
    double AnsweredYesAt() const { return m_yesAt; }

    std::vector<SeenBox> Boxes() const
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_boxes;
    }

private:
    void Run()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        while (!m_stop)
        {
            m_changed.wait_for(lock, std::chrono::milliseconds(100));
            if (m_stop)
                break;
            lock.unlock();
            AnswerBoxes();
            lock.lock();
            if (m_what && std::chrono::steady_clock::now() > m_deadline)
            {
                std::printf("gave up after %lld s waiting for %s\n", static_cast<long long>(m_limit.count()), m_what);
                std::printf("peak working set: %.1f MB\n", ReadMemory().peak);
                std::printf("result: outcome=gave-up\n");
                std::fflush(stdout);
                TerminateProcess(GetCurrentProcess(), kGaveUp);
            }
        }
    }

    void AnswerBoxes()
    {
        std::vector<HWND> boxes;
        EnumWindows(&CollectBox, reinterpret_cast<LPARAM>(&boxes));
        for (HWND box : boxes)
        {
            const bool yes = m_yes && GetDlgItem(box, IDYES);
            if (m_answered.insert(box).second && !yes)
            {
                SeenBox seen{WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))};
                std::lock_guard<std::mutex> lock(m_lock);
                m_boxes.push_back(seen);
            }
            const int answer = yes ? IDYES : GetDlgItem(box, IDOK) ? IDOK : GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDNO;
            if (yes)
            {
                {
                    std::lock_guard<std::mutex> lock(m_lock);
                    if (m_beforeYes)
                        m_beforeYes();
                }
                m_yesAt = Now();
            }
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        }
    }

    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_stop = false;
    const char* m_what = nullptr;
    std::chrono::seconds m_limit{0};
    std::chrono::steady_clock::time_point m_deadline;
    std::vector<SeenBox> m_boxes;
    std::set<HWND> m_answered; // the watchdog thread's own
    std::atomic<bool> m_yes{false};
    std::function<void()> m_beforeYes;
    std::atomic<double> m_yesAt{0};
    std::thread m_thread; // last: starts when the rest is ready
};
