#pragma once

#include "ui/GdiObject.h"
#include "ui/SubclassedWindow.h"

#include <commctrl.h>

#include <optional>
#include <string>

// Messages of our own, after the standard progress-bar ones.
constexpr UINT PBTM_GETBARCOLOR = WM_USER + 100;
constexpr UINT PBTM_GETBKCOLOR = WM_USER + 101;
constexpr UINT PBTM_SETTEXTCOLOR = WM_USER + 102;
constexpr UINT PBTM_GETTEXTCOLOR = WM_USER + 103;
constexpr UINT PBTM_SETBARTEXTCOLOR = WM_USER + 104;
constexpr UINT PBTM_GETBARTEXTCOLOR = WM_USER + 105;
constexpr UINT PBTM_SHOWPERCENT = WM_USER + 106;
constexpr UINT PBTM_SETTEXTALIGN = WM_USER + 107;
constexpr UINT PBTM_SETMARQUEESIZE = WM_USER + 108;

// A progress bar that writes its window text, followed by the percentage, across the bar;
// the text is drawn in a second colour where the bar lies under it. It takes over an existing
// progress-bar window and answers the progress-bar messages itself: the common control's own
// position, range and colours are never used. Colours set to CLR_DEFAULT follow the system colours.
class CTextProgressCtrl : private CSubclassedWindow
{
public:
    CTextProgressCtrl() = default;
    ~CTextProgressCtrl() override;

    // False when already attached or when the window cannot be subclassed.
    using CSubclassedWindow::Attach;
    // Hands the window back to the common control; also done when the window is destroyed.
    void Detach();
    HWND GetHwnd() const { return SubclassedHwnd(); }

private:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The answer to a message the control takes over; none for the others.
    std::optional<LRESULT> Answer(UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT SetPos(int nPos);
    LRESULT SetRange(int nMin, int nMax);
    void SetMarquee(bool on, UINT period);
    LRESULT OnTimer(UINT_PTR id);
    COLORREF SetColor(COLORREF& field, COLORREF color);
    void Repaint() const;

    LRESULT OnPaint(HDC dc);
    // Paints the whole client area into `target`, composed off-screen first.
    void Paint(HDC target);
    HFONT GetTextFont() const;
    std::wstring GetText(double fraction) const;

    BOOL m_bShowPercent = TRUE;
    CFont m_fontVertical;
    COLORREF m_crBar = CLR_DEFAULT;
    COLORREF m_crBackground = CLR_DEFAULT;
    COLORREF m_crText = CLR_DEFAULT;
    COLORREF m_crTextOnBar = CLR_DEFAULT;
    int m_nTextAlign = 1;
    int m_nPos = 0;
    int m_nStep = 10;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nMarqueePercent = 20;
};
