#include "ui/DpiFont.h"
#include "ui/SubclassedWindow.h"
#include "win32/Event.h"
#include "win32/ScopeExit.h"

#include "CaseTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace
{
// ---- CEvent ----

enum class EventStep
{
    Set,
    Reset,
    IsSet,
};

struct EventCase : NamedCase
{
    EventReset reset;
    bool initiallySet;
    std::vector<std::pair<EventStep, bool>> steps; // each step and what it returns
};

using EventStates = CaseTest<EventCase>;

TEST_P(EventStates, FollowEachStep)
{
    const EventCase& c = GetParam();
    const CEvent event(c.reset, c.initiallySet);
    ASSERT_TRUE(event);
    for (size_t i = 0; i < c.steps.size(); ++i)
    {
        const auto [step, expected] = c.steps[i];
        const bool got = step == EventStep::Set     ? event.Set()
                         : step == EventStep::Reset ? event.Reset()
                                                    : event.IsSet();
        EXPECT_EQ(expected, got) << "step " << i;
    }
}

using S = EventStep;
// clang-format off
CASE_TABLE(Events, EventStates,
           EventCase{{"ManualStaysSetUntilReset"},
                     EventReset::Manual,
                     false,
                     {{S::IsSet, false}, {S::Set, true}, {S::IsSet, true}, {S::IsSet, true}, {S::Set, true},
                      {S::Reset, true}, {S::IsSet, false}, {S::Reset, true}, {S::IsSet, false}}},
           EventCase{{"ManualStartsSet"}, EventReset::Manual, true, {{S::IsSet, true}, {S::IsSet, true}}},
           EventCase{{"AutomaticWaitTakesTheSignal"},
                     EventReset::Automatic,
                     false,
                     {{S::IsSet, false}, {S::Set, true}, {S::Set, true}, {S::IsSet, true}, {S::IsSet, false}}},
           EventCase{{"AutomaticStartsSet"}, EventReset::Automatic, true, {{S::IsSet, true}, {S::IsSet, false}}},
           EventCase{{"ResetBeforeAnyWait"},
                     EventReset::Automatic,
                     true,
                     {{S::Reset, true}, {S::IsSet, false}}});
// clang-format on

TEST(Event, EmptyFailsEverything)
{
    CEvent made(EventReset::Manual, true);
    const CEvent event = std::move(made);
    EXPECT_TRUE(event.IsSet()); // the handle moved with it
    const CEvent none;
    // NOLINTNEXTLINE(bugprone-use-after-move): the moved-from event is what is checked.
    for (const CEvent* empty : std::initializer_list<const CEvent*>{&made, &none})
    {
        EXPECT_FALSE(*empty);
        EXPECT_EQ(nullptr, empty->Get());
        EXPECT_FALSE(empty->Set());
        EXPECT_FALSE(empty->Reset());
        EXPECT_FALSE(empty->Wait(0));
        EXPECT_FALSE(empty->IsSet());
    }
}

TEST(Event, SetWakesAWaiterOnAnotherThread)
{
    const CEvent go(EventReset::Automatic);
    const CEvent done(EventReset::Manual);
    bool woke = false;
    std::thread waiter([&] {
        woke = go.Wait();
        done.Set();
    });
    EXPECT_FALSE(done.Wait(0));
    EXPECT_TRUE(go.Set());
    // Bounded only so that a fault fails instead of hanging.
    EXPECT_TRUE(done.Wait(30000));
    waiter.join();
    EXPECT_TRUE(woke);
    EXPECT_FALSE(go.IsSet()); // the waiter took the signal
}

// ---- CScopeExit ----

struct ScopeExitCase : NamedCase
{
    void (*within)(CScopeExit<std::function<void()>>& guard); // runs inside the guarded scope
    int runsInside; // runs seen at the scope's last line; kLeftByException when it never got there
    int runs;       // runs seen after the scope
};

using ScopeExits = CaseTest<ScopeExitCase>;
constexpr int kLeftByException = -2;

TEST_P(ScopeExits, RunOnceUnlessReleased)
{
    const ScopeExitCase& c = GetParam();
    int runs = 0;
    int runsInside = -1;
    try
    {
        auto guard = ScopeExit(std::function<void()>([&runs] { ++runs; }));
        c.within(guard);
        runsInside = runs;
    }
    catch (const std::runtime_error&)
    {
        runsInside = kLeftByException;
    }
    EXPECT_EQ(c.runsInside, runsInside);
    EXPECT_EQ(c.runs, runs);
}

// clang-format off
CASE_TABLE(Guards, ScopeExits,
           ScopeExitCase{{"RunsAtTheEnd"}, [](auto&) {}, 0, 1},
           ScopeExitCase{{"ReleasedNeverRuns"}, [](auto& guard) { guard.Release(); }, 0, 0},
           ScopeExitCase{{"RunEarlyRunsOnce"},
                         [](auto& guard) {
                             guard.Run();
                             guard.Run();
                         },
                         1, 1},
           ScopeExitCase{{"RunAfterReleaseDoesNothing"},
                         [](auto& guard) {
                             guard.Release();
                             guard.Run();
                         },
                         0, 0},
           ScopeExitCase{{"RunsWhenAnExceptionLeaves"},
                         [](auto&) { throw std::runtime_error("leaving"); },
                         kLeftByException, 1});
// clang-format on

// ---- CSubclassedWindow ----

constexpr UINT kAsk = WM_APP + 1;   // the probe answers it
constexpr UINT kOther = WM_APP + 2; // the probe leaves it to the window
constexpr UINT kThrow = WM_APP + 3; // the probe sets an answer, then throws
constexpr LRESULT kOwnAnswer = 7;
constexpr LRESULT kOwnOther = 8;
constexpr LRESULT kProbeAnswer = 42;

LRESULT CALLBACK OwnProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kAsk)
        return kOwnAnswer;
    if (message == kOther)
        return kOwnOther;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A message-only window of a class of our own.
class CMessageWindow
{
public:
    CMessageWindow()
    {
        static const ATOM atom = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = OwnProc;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"NorvikSubclassProbe";
            return RegisterClassW(&windowClass);
        }();
        m_hwnd = CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    }
    ~CMessageWindow() { Destroy(); }
    CMessageWindow(const CMessageWindow&) = delete;
    CMessageWindow& operator=(const CMessageWindow&) = delete;

    HWND Hwnd() const { return m_hwnd; }
    void Destroy()
    {
        if (m_hwnd)
            DestroyWindow(std::exchange(m_hwnd, nullptr));
    }
    LRESULT Send(UINT message) const { return SendMessageW(m_hwnd, message, 0, 0); }

private:
    HWND m_hwnd = nullptr;
};

class CProbe : public CSubclassedWindow
{
public:
    using CSubclassedWindow::Attach;
    using CSubclassedWindow::Detach;
    HWND Hwnd() const { return SubclassedHwnd(); }
    bool m_sawNcDestroy = false;

private:
    bool OnMessage(UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& result) override
    {
        if (message == WM_NCDESTROY)
            m_sawNcDestroy = true;
        if (message == kThrow)
        {
            result = kProbeAnswer;
            throw std::runtime_error("probe failed");
        }
        if (message != kAsk)
            return false;
        result = kProbeAnswer;
        return true;
    }
};

struct SubclassEndCase : NamedCase
{
    void (*end)(std::optional<CProbe>& probe, CMessageWindow& window); // after the probe attached
    LRESULT answer;    // the window's answer to kAsk afterwards; 0 once it is gone
    bool attached;     // a probe still there still holds the window
    bool sawNcDestroy; // the probe saw the window's last message
};

using SubclassEnds = CaseTest<SubclassEndCase>;

TEST_P(SubclassEnds, LeaveTheWindowItsOwnAnswers)
{
    const SubclassEndCase& c = GetParam();
    CMessageWindow window;
    ASSERT_TRUE(window.Hwnd());
    std::optional<CProbe> probe(std::in_place);
    ASSERT_TRUE(probe->Attach(window.Hwnd()));
    EXPECT_EQ(window.Hwnd(), probe->Hwnd());
    EXPECT_EQ(kOwnOther, window.Send(kOther));
    c.end(probe, window);
    EXPECT_EQ(c.answer, window.Send(kAsk));
    if (probe)
    {
        EXPECT_EQ(c.attached ? window.Hwnd() : nullptr, probe->Hwnd());
        EXPECT_EQ(c.sawNcDestroy, probe->m_sawNcDestroy);
    }
    probe.reset();
    if (window.Hwnd())
    {
        EXPECT_EQ(kOwnAnswer, window.Send(kAsk));
    }
}

// clang-format off
CASE_TABLE(Ends, SubclassEnds,
           SubclassEndCase{{"StillAttached"}, [](auto&, auto&) {}, kProbeAnswer, true, false},
           SubclassEndCase{{"Detached"}, [](auto& probe, auto&) { probe->Detach(); }, kOwnAnswer, false, false},
           SubclassEndCase{{"ObjectDestroyedFirst"}, [](auto& probe, auto&) { probe.reset(); }, kOwnAnswer, false,
                           false},
           SubclassEndCase{{"WindowDestroyedFirst"}, [](auto&, auto& window) { window.Destroy(); }, 0, false, true},
           SubclassEndCase{{"DetachedThenWindowDestroyed"},
                           [](auto& probe, auto& window) {
                               probe->Detach();
                               window.Destroy();
                           },
                           0, false, false});
// clang-format on

TEST(SubclassedWindow, AttachesToOneWindowAtATime)
{
    CMessageWindow first;
    CMessageWindow second;
    CProbe probe;
    EXPECT_FALSE(probe.Attach(nullptr));
    ASSERT_TRUE(probe.Attach(first.Hwnd()));
    EXPECT_FALSE(probe.Attach(second.Hwnd()));
    EXPECT_EQ(first.Hwnd(), probe.Hwnd());
    EXPECT_EQ(kOwnAnswer, second.Send(kAsk));
    // Two probes on one window are two entries: each lets go of its own.
    CProbe other;
    ASSERT_TRUE(other.Attach(first.Hwnd()));
    probe.Detach();
    EXPECT_EQ(kProbeAnswer, first.Send(kAsk));
    other.Detach();
    EXPECT_EQ(kOwnAnswer, first.Send(kAsk));
    // Once let go of, it can take another.
    EXPECT_TRUE(probe.Attach(second.Hwnd()));
    EXPECT_EQ(kProbeAnswer, second.Send(kAsk));
}

// Answers this thread's message boxes with OK and keeps their texts.
class CMessageBoxAnswerer
{
public:
    CMessageBoxAnswerer() { s_hook = SetWindowsHookExW(WH_CBT, &CbtProc, nullptr, GetCurrentThreadId()); }
    ~CMessageBoxAnswerer()
    {
        UnhookWindowsHookEx(s_hook);
        s_boxes.clear();
        s_texts.clear();
    }
    CMessageBoxAnswerer(const CMessageBoxAnswerer&) = delete;
    CMessageBoxAnswerer& operator=(const CMessageBoxAnswerer&) = delete;

    bool IsValid() const { return s_hook != nullptr; }
    const std::vector<std::wstring>& Texts() const { return s_texts; }

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto hwnd = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        // Activated more than once under a window manager, it is still one box.
        if (code == HCBT_ACTIVATE && GetClassNameW(hwnd, className, 16) && std::wstring(className) == L"#32770" &&
            GetDlgItem(hwnd, 0xFFFF) && s_boxes.insert(hwnd).second)
            PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
        // Read as it goes: Wine may activate a box before its text is set.
        if (code == HCBT_DESTROYWND && s_boxes.erase(hwnd))
        {
            wchar_t text[256] = {};
            GetDlgItemTextW(hwnd, 0xFFFF, text, 256);
            s_texts.push_back(text);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline HHOOK s_hook = nullptr;
    static inline std::set<HWND> s_boxes;
    static inline std::vector<std::wstring> s_texts;
};

TEST(SubclassedWindow, ExceptionIsReportedAndAnswersWhatWasSet)
{
    CMessageWindow window;
    CProbe probe;
    ASSERT_TRUE(probe.Attach(window.Hwnd()));
    const CMessageBoxAnswerer boxes;
    ASSERT_TRUE(boxes.IsValid());
    // Nothing reaches the window's own procedure, nor leaves through the system's frames.
    EXPECT_EQ(kProbeAnswer, window.Send(kThrow));
    ASSERT_EQ(1u, boxes.Texts().size());
    EXPECT_EQ(L"The operation was stopped: probe failed", boxes.Texts()[0]);
    EXPECT_EQ(window.Hwnd(), probe.Hwnd());
    EXPECT_EQ(kProbeAnswer, window.Send(kAsk));
}
// ---- CDpiFont ----

struct DpiMove
{
    UINT dpi;
    bool systemFirst; // the system gives the page and its controls a font of that DPI first
    bool changed;     // what Follow says
    LONG height;      // the controls' font height afterwards
};

struct DpiFontCase : NamedCase
{
    std::vector<DpiMove> moves; // from 96 DPI, with controls at height -12
};

using DpiFonts = CaseTest<DpiFontCase>;

LONG FontHeight(HWND window)
{
    LOGFONTW face = {};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(face), &face);
    return face.lfHeight;
}

TEST_P(DpiFonts, FollowThePagesScreen)
{
    std::vector<CFont> fonts;
    const auto font = [&fonts](LONG height) {
        fonts.emplace_back(CreateFontW(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
        return reinterpret_cast<WPARAM>(fonts.back().Get());
    };
    const auto make = [](HWND parent) {
        return CreateWindowExW(0, L"STATIC", L"", parent ? WS_CHILD : WS_POPUP, 0, 0, 50, 20, parent, nullptr, nullptr,
                               nullptr);
    };
    const HWND page = make(nullptr);
    const auto destroy = ScopeExit([page] { DestroyWindow(page); });
    const HWND control = make(page);
    const HWND nested = make(control);
    const HWND own = make(page); // a control with a font of its own keeps it
    const WPARAM dialogFont = font(-12);
    for (const HWND window : {page, control, nested})
        SendMessageW(window, WM_SETFONT, dialogFont, FALSE);
    SendMessageW(own, WM_SETFONT, font(-20), FALSE);
    CDpiFont follower;
    follower.Attach(page, 96);
    for (const DpiMove& move : GetParam().moves)
    {
        if (move.systemFirst)
        {
            const WPARAM system = font(MulDiv(-12, static_cast<int>(move.dpi), 96));
            for (const HWND window : {page, control, nested})
                SendMessageW(window, WM_SETFONT, system, FALSE);
        }
        EXPECT_EQ(move.changed, follower.Follow(page, move.dpi)) << move.dpi;
        EXPECT_EQ(move.height, FontHeight(control)) << move.dpi;
        EXPECT_EQ(move.height, FontHeight(nested)) << move.dpi;
        EXPECT_EQ(-20, FontHeight(own)) << move.dpi;
    }
}

// clang-format off
CASE_TABLE(Moves, DpiFonts,
           DpiFontCase{{"SameDpiChangesNothing"}, {{96, false, false, -12}}},
           DpiFontCase{{"BackAndForthWithoutDrift"},
                       {{144, false, true, -18}, {120, false, true, -15}, {192, false, true, -24},
                        {96, false, true, -12}}},
           DpiFontCase{{"SystemRescaledFirst"}, {{144, true, false, -18}, {96, false, true, -12}}});
// clang-format on
} // namespace
