#pragma once

// The balloon tip a dialog owns, and what the dialog asked of it.

#include "win32/UniqueHandle.h"

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

// What the dialog asked of tooltip windows, seen by a hook on this thread's sent messages.
struct TipRequests
{
    std::vector<std::pair<WPARAM, std::wstring>> titles;
    std::vector<POINT> positions;
    // Each show (true) or hide (false), and when it was asked for.
    std::vector<std::pair<bool, ULONGLONG>> activations;

    size_t Shows() const;
};

struct HookTraits
{
    using Type = HHOOK;
    static Type Empty() { return nullptr; }
    static void Close(Type hook) { UnhookWindowsHookEx(hook); }
};

// Records the requests for as long as it lives; one at a time.
class CTipSpy
{
public:
    CTipSpy();
    ~CTipSpy();
    CTipSpy(const CTipSpy&) = delete;
    CTipSpy& operator=(const CTipSpy&) = delete;
    const TipRequests& Requests() const { return m_requests; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);

    TipRequests m_requests;
    CUniqueHandle<HookTraits> m_hook;
};

std::wstring ClassName(HWND hwnd);
// The tooltip window the dialog owns, if any.
HWND FindTip(HWND dialog);
bool TipShown(HWND dialog);
TTTOOLINFOW FirstTool(HWND tip);
std::wstring TipText(HWND tip);
// The title as the tip reports it. Wine's tooltips do not answer TTM_GETTITLE; there the
// title the tip was last given stands in.
std::wstring TipTitle(HWND tip, const TipRequests& requests);
