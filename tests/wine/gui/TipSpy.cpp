#include "TipSpy.h"

#include <commctrl.h>

namespace
{
TipRequests* g_tipRequests = nullptr;

BOOL CALLBACK FindOwnedTip(HWND hwnd, LPARAM found)
{
    auto* result = reinterpret_cast<std::pair<HWND, HWND>*>(found);
    if (GetWindow(hwnd, GW_OWNER) == result->first && ClassName(hwnd) == TOOLTIPS_CLASSW)
    {
        result->second = hwnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

size_t TipRequests::Shows() const
{
    size_t shows = 0;
    for (const auto& activation : activations)
        shows += activation.first ? 1 : 0;
    return shows;
}

CTipSpy::CTipSpy() : m_hook(SetWindowsHookExW(WH_CALLWNDPROC, &Hook, nullptr, GetCurrentThreadId()))
{
    g_tipRequests = &m_requests;
}

CTipSpy::~CTipSpy()
{
    g_tipRequests = nullptr;
}

LRESULT CALLBACK CTipSpy::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && g_tipRequests && ClassName(message->hwnd) == TOOLTIPS_CLASSW)
    {
        if (message->message == TTM_SETTITLEW && message->lParam)
            g_tipRequests->titles.emplace_back(message->wParam, reinterpret_cast<const wchar_t*>(message->lParam));
        else if (message->message == TTM_TRACKPOSITION)
            g_tipRequests->positions.push_back(
                {static_cast<short>(LOWORD(message->lParam)), static_cast<short>(HIWORD(message->lParam))});
        else if (message->message == TTM_TRACKACTIVATE)
            g_tipRequests->activations.emplace_back(message->wParam != FALSE, GetTickCount64());
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::wstring ClassName(HWND hwnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

HWND FindTip(HWND dialog)
{
    std::pair<HWND, HWND> found(dialog, nullptr);
    EnumThreadWindows(GetCurrentThreadId(), &FindOwnedTip, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

bool TipShown(HWND dialog)
{
    const HWND tip = FindTip(dialog);
    return tip && IsWindowVisible(tip);
}

TTTOOLINFOW FirstTool(HWND tip)
{
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool));
    return tool;
}

std::wstring TipText(HWND tip)
{
    wchar_t text[1024] = {};
    TTTOOLINFOW tool = FirstTool(tip);
    tool.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
    return text;
}

std::wstring TipTitle(HWND tip, const TipRequests& requests)
{
    wchar_t title[256] = {};
    TTGETTITLE get = {};
    get.dwSize = sizeof(get);
    get.cch = 256;
    get.pszTitle = title;
    SendMessageW(tip, TTM_GETTITLE, 0, reinterpret_cast<LPARAM>(&get));
    if (title[0])
        return title;
    return requests.titles.empty() ? std::wstring() : requests.titles.back().second;
}
