#pragma once

// What the GUI tests share: the real norvik.dll loaded as a host loads it, a host object of
// our own, a top-level window to embed the page in, message pumping, and a watcher that reads
// and answers the message boxes the editor shows.

#include "norvik/NorvikModule.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class CTestEditorHost : public IEditorHost, public IEditorFocusHandler
{
public:
    void ApplySkin(const std::wstring& skinFile) override
    {
        appliedSkins.push_back(skinFile);
        if (whenSkinApplied)
            whenSkinApplied();
    }
    std::wstring GetSettingsFolder() override { return settingsFolder; }
    std::wstring GetVersionText() override { return versionText; }
    std::map<std::wstring, std::wstring> GetModuleVersions() override { return moduleVersions; }
    void FocusPrevious() override
    {
        ++focusPreviousCalls;
        if (whenFocusLeaves)
            whenFocusLeaves();
    }

    std::wstring settingsFolder;
    std::wstring versionText = L"Version 1.2.3";
    std::map<std::wstring, std::wstring> moduleVersions = {{L"host.exe", L"1.0"}, {L"norvik.dll", L"1.0.0"}};
    std::vector<std::wstring> appliedSkins;
    int focusPreviousCalls = 0;
    // What the host does from inside its callbacks (it may call the exports).
    std::function<void()> whenSkinApplied;
    std::function<void()> whenFocusLeaves;
};

// A test waited a minute for something that never came, and the watchdog closed what was open.
bool HangWatchdogFired();

// norvik.dll from the working folder, loaded once for the whole run.
const CNorvikModule& NorvikExports();

// Processes this thread's messages until `done` holds or `timeoutMs` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Processes what is waiting now.
void PumpPending();

// A message box the editor showed, as read from its window.
struct SeenMessageBox
{
    std::wstring caption;
    std::wstring text;
    UINT flags = 0; // buttons and icon, as MB_* flags
    HWND hwnd = nullptr;
};

// Sees every message box of the process (on any thread) as it is activated, and answers it
// with the next queued answer; with no answer queued it is left open for the test.
class CMessageBoxWatcher
{
public:
    CMessageBoxWatcher();
    ~CMessageBoxWatcher();
    CMessageBoxWatcher(const CMessageBoxWatcher&) = delete;
    CMessageBoxWatcher& operator=(const CMessageBoxWatcher&) = delete;

    void QueueAnswer(int command);
    // Forgets the boxes seen and the answers not used.
    void Reset();
    std::vector<SeenMessageBox> Seen() const;
    size_t Count() const;
    // Answers a box that was left open.
    static void Answer(const SeenMessageBox& box, int command);
    // Called for every other dialog window as it is activated (a file dialog, the About box).
    void OnOtherDialog(std::function<void(HWND)> handler);

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    void OnActivate(HWND hwnd);
    void OnDestroy(HWND hwnd);

    HHOOK m_hook = nullptr;
    mutable std::mutex m_lock;
    std::vector<int> m_answers;
    std::vector<SeenMessageBox> m_seen;
    std::set<HWND> m_open; // boxes seen and not yet destroyed
    std::function<void(HWND)> m_otherDialog;
};

// A top-level window with one control of its own before the page, as a host has. One serves
// the whole run: without a window manager Wine waits about two seconds for each top-level
// window to go.
class CHostWindow
{
public:
    static CHostWindow& Get();
    CHostWindow(const CHostWindow&) = delete;
    CHostWindow& operator=(const CHostWindow&) = delete;

    HWND Hwnd() const { return m_hwnd; }
    HWND OwnField() const { return m_field; }
    RECT PageRect() const { return {10, 40, 710, 500}; }

private:
    CHostWindow();
    HWND m_hwnd = nullptr;
    HWND m_field = nullptr;
};

// Runs this test program again in a child process with `arguments`; returns its exit code,
// or ~0u when it could not start or did not end within a minute.
DWORD RunThisProgram(const std::wstring& arguments);
// Runs the one test `suite.name` (disabled or not) alone in a child process. Succeeds only when
// the child's report shows that exactly this test ran and passed: a name that matches nothing
// fails.
::testing::AssertionResult RunTestInChildProcess(const std::string& suite, const std::string& name);

// Shows `handler` every message a window of this thread receives, once the window has handled
// it, for as long as the spy lives.
class CWindowSpy
{
public:
    using Handler = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;
    CWindowSpy(HWND window, Handler handler);
    ~CWindowSpy();
    CWindowSpy(CWindowSpy&&) noexcept = default;
    CWindowSpy& operator=(CWindowSpy&&) = delete;
    CWindowSpy(const CWindowSpy&) = delete;
    CWindowSpy& operator=(const CWindowSpy&) = delete;

    // False when the window could not be watched.
    bool IsSet() const { return m_state && m_state->set; }

private:
    struct State
    {
        HWND window;
        Handler handler;
        bool set;
    };
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR state);
    std::unique_ptr<State> m_state; // where the subclass points, whatever moves the spy
};

// The editor's toolbar inside the page, and its buttons.
HWND FindToolbar(HWND page);
bool IsButtonEnabled(HWND toolbar, UINT id);
bool IsButtonChecked(HWND toolbar, UINT id);
// A click on the button as the mouse gives it; what the command does runs in PumpPending.
void ClickButton(HWND toolbar, UINT id);

// A control's rectangle in dialog units, as the template gives it, in the dialog's pixels.
// Position and size are converted apart, as the dialog manager does, so rounding agrees.
RECT DialogUnits(HWND dialog, int x, int y, int width, int height);
// A control's rectangle in its dialog's client coordinates.
RECT RectInDialog(HWND control);

// The whole screen as a 24-bit BMP file named `name` in the folder NORVIK_SCREENSHOTS names,
// once this thread's windows have painted, waiting at most `settleMs` for the messages that
// paint them; without `pump`, no message is taken first (a picture of work in progress).
// scripts/screenshots.sh turns the files into PNG files.
void SaveScreen(const char* name, DWORD settleMs = 300, bool pump = true);

// Makes `window` the foreground window, as a click on it would; false when it did not become
// one. Keys from SendInput go to the foreground window.
bool BringToFront(HWND window);

// Real key strokes through the input queue, as a user types them; nothing is pumped, so a
// modal loop can take them. `modifiers` are held down around the key.
void SendKeys(WORD key, const std::vector<WORD>& modifiers = {});
// Characters as the keyboard delivers them, whatever the layout (VK_PACKET).
void SendText(const std::wstring& text);
// A key stroke to the window with the keyboard focus, brought to the front first (a failure
// when it cannot be), and the messages it causes handled as the host's loop handles them.
void PressKey(WORD key, const std::vector<WORD>& modifiers = {});
