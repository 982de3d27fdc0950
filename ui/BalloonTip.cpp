#include "ui/BalloonTip.h"

#include "ui/ActivationContext.h"

namespace
{
const UINT_PTR kToolId = 1;
}

bool CBalloonTip::Create(HWND owner)
{
    // Balloons and titles need comctl32 version 6.
    CActivationScope scope;
    m_owner = owner;
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    m_tip.Reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_BALLOON,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance,
                                nullptr));
    if (!m_tip)
        return false;
    TTTOOLINFOW tool = ToolInfo();
    tool.lpszText = const_cast<wchar_t*>(L"");
    if (!SendMessageW(m_tip.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)))
    {
        m_tip.Reset();
        return false;
    }
    return true;
}

TTTOOLINFOW CBalloonTip::ToolInfo() const
{
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    // Tracking and absolute: shown only when asked, exactly where asked.
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = m_owner;
    tool.uId = kToolId;
    return tool;
}

void CBalloonTip::SetTitle(int icon, const std::wstring& title) const
{
    if (m_tip)
        SendMessageW(m_tip.Get(), TTM_SETTITLEW, static_cast<WPARAM>(icon), reinterpret_cast<LPARAM>(title.c_str()));
}

void CBalloonTip::SetText(const std::wstring& text) const
{
    if (!m_tip)
        return;
    TTTOOLINFOW tool = ToolInfo();
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(m_tip.Get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CBalloonTip::SetPosition(POINT point) const
{
    if (m_tip)
        SendMessageW(m_tip.Get(), TTM_TRACKPOSITION, 0, MAKELPARAM(point.x, point.y));
}

void CBalloonTip::Show() const
{
    if (!m_tip)
        return;
    TTTOOLINFOW tool = ToolInfo();
    SendMessageW(m_tip.Get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void CBalloonTip::Hide() const
{
    if (!m_tip)
        return;
    TTTOOLINFOW tool = ToolInfo();
    SendMessageW(m_tip.Get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

bool CBalloonTip::IsShown() const
{
    return m_tip && IsWindowVisible(m_tip.Get());
}
