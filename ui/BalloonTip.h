#pragma once

#include "win32/UniqueHandle.h"

#include <commctrl.h>

#include <string>

struct WindowHandleTraits
{
    using Type = HWND;
    static Type Empty() { return nullptr; }
    // An owned popup may already have gone with its owner.
    static void Close(Type hwnd)
    {
        if (::IsWindow(hwnd))
            ::DestroyWindow(hwnd);
    }
};
using CWindowHandle = CUniqueHandle<WindowHandleTraits>;

// A balloon tooltip shown on request at a point of the screen (one tracking tool), with a
// title and an icon; the owner decides when it appears and when it goes.
class CBalloonTip
{
public:
    // Made hidden, owned by `owner`.
    bool Create(HWND owner);
    void Destroy() { m_tip.Reset(); }
    bool IsCreated() const { return m_tip.IsValid(); }
    HWND Hwnd() const { return m_tip.Get(); }

    // `icon` is one of the TTI_* values.
    void SetTitle(int icon, const std::wstring& title) const;
    void SetText(const std::wstring& text) const;
    // The point (screen coordinates) the balloon's stem touches.
    void SetPosition(POINT point) const;
    void Show() const;
    void Hide() const;
    bool IsShown() const;

private:
    TTTOOLINFOW ToolInfo() const;

    CWindowHandle m_tip;
    HWND m_owner = nullptr;
};
