#pragma once

// The editor's dialogs are modal: a command that opens one returns only once it has ended. A
// script of steps, run by a timer of this thread that the dialog's own message loop
// dispatches, drives the dialog in between, with real keys where a user would press them.

#include "CaseTable.h"
#include "EditorHarness.h"
#include "win32/UniqueHandle.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>

std::wstring WindowText(HWND hwnd);
std::wstring ItemText(HWND dialog, int id);
bool ItemEnabled(HWND dialog, int id);
// Open and not ended: a modal dialog hides as it ends.
bool IsShown(HWND hwnd);
std::pair<DWORD, DWORD> EditSelection(HWND edit);
// Keys go to the focus of the foreground window.
void FocusForTyping(HWND dialog, HWND control);

// A table of named cases over a fixture of its own (CaseTest is over a plain test).
template <class Fixture, class Case>
class CaseFixture : public Fixture, public ::testing::WithParamInterface<Case>
{
};

struct ThreadTimerTraits
{
    using Type = UINT_PTR;
    static Type Empty() { return 0; }
    static void Close(Type timer) { KillTimer(nullptr, timer); }
};

// Steps for the next dialog that opens with a control `markerId`, run in order once it shows.
// A step that waits is run again until it holds; one that never holds fails the test and
// cancels the dialog, so nothing hangs. A dialog that ends before its script does fails it.
class CDialogScript
{
public:
    CDialogScript(CMessageBoxWatcher& watcher, int markerId);
    ~CDialogScript();
    CDialogScript(const CDialogScript&) = delete;
    CDialogScript& operator=(const CDialogScript&) = delete;

    CDialogScript& Do(std::function<void(HWND)> action);
    CDialogScript& WaitFor(const std::string& what, std::function<bool(HWND)> condition, DWORD timeoutMs = 5000);
    // Types `text` over the whole content of edit `id` (an empty text deletes it), until the
    // edit shows `shown`.
    CDialogScript& Type(int id, const std::wstring& text, const std::wstring& shown);
    CDialogScript& Type(int id, const std::wstring& text) { return Type(id, text, text); }
    // Enter, as a user presses it, with the default button `button` enabled; the dialog takes it
    // after the script has ended.
    CDialogScript& PressEnter(int button = IDOK);
    // Enter while `button` is disabled, from the edit that has the focus: it must do nothing.
    // A Tab behind it proves that Enter was handled once the focus has moved on, and the
    // dialog must still be open then. The focus is left on the next control.
    CDialogScript& EnterIgnored(int button = IDOK);
    // The Cancel button, the close box; both always work.
    CDialogScript& Cancel();
    CDialogScript& CloseBox();
    // Cancel unless the steps before have ended the dialog.
    CDialogScript& CancelIfOpen();

    // Runs `open`, which brings up the dialog and returns once it has ended; succeeds when the
    // dialog came, ran the whole script and is gone.
    ::testing::AssertionResult Run(const std::function<void()>& open);

    HWND Dialog() const { return m_dialog; }
    bool Opened() const { return m_dialog != nullptr; }
    bool Finished() const { return Opened() && m_steps.empty(); }

private:
    struct Step
    {
        std::function<bool(HWND)> run;
        std::string what;
        DWORD timeoutMs = 0;
        bool mayFindItEnded = false;
        ULONGLONG started = 0;
    };

    void OnDialog(HWND dialog);
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void RunSteps();

    static inline CDialogScript* s_current = nullptr;
    CMessageBoxWatcher& m_watcher;
    const int m_markerId;
    std::deque<Step> m_steps;
    HWND m_dialog = nullptr;
    bool m_shown = false;
    bool m_busy = false;
    CUniqueHandle<ThreadTimerTraits> m_timer;
};
