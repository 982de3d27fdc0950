#include "controls/TextProgressCtrl.h"

#include "controls/ProgressBarMath.h"
#include "ui/MemoryDc.h"

#include <utility>

namespace
{
constexpr UINT_PTR kMarqueeTimer = 1;

// One direction for every bar of the module; only the GUI thread turns it.
int g_nMarqueeDirection = 1;

COLORREF Effective(COLORREF stored, int systemColor)
{
    return stored == CLR_DEFAULT ? GetSysColor(systemColor) : stored;
}

CProgressBarMath::Rect ToMathRect(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

bool IsEmpty(const CProgressBarMath::Rect& r)
{
    return r.left >= r.right || r.top >= r.bottom;
}

void Fill(HDC dc, const std::optional<CProgressBarMath::Rect>& part, COLORREF color)
{
    if (!part || IsEmpty(*part))
        return;
    const RECT rect{part->left, part->top, part->right, part->bottom};
    const CBrush brush(CreateSolidBrush(color));
    FillRect(dc, &rect, brush.Get());
}

// The whole text, but only the pixels inside `part` and the inner rectangle.
void DrawTextIn(HDC dc, const std::optional<CProgressBarMath::Rect>& part, COLORREF color, const RECT& inner,
                CProgressBarMath::Point origin, const std::wstring& text)
{
    if (!part || IsEmpty(*part))
        return;
    // Clipping in logical units: the DC of WM_PRINTCLIENT may have an origin of its own.
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, part->left, part->top, part->right, part->bottom);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    ExtTextOutW(dc, origin.x, origin.y, ETO_CLIPPED, &inner, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    RestoreDC(dc, saved);
}
} // namespace

CTextProgressCtrl::~CTextProgressCtrl()
{
    Detach();
}

void CTextProgressCtrl::Detach()
{
    if (!GetHwnd())
        return;
    // The common control must not get ticks it never asked for.
    KillTimer(GetHwnd(), kMarqueeTimer);
    CSubclassedWindow::Detach();
}

bool CTextProgressCtrl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message)
    {
    case WM_NCDESTROY:
        Detach();
        return false;
    case WM_SETFONT:
        // The rotated copy is made again from the new font at the next vertical paint.
        m_fontVertical.Reset();
        return false;
    default:
        break;
    }
    const std::optional<LRESULT> answer = Answer(message, wParam, lParam);
    result = answer.value_or(0);
    return answer.has_value();
}

std::optional<LRESULT> CTextProgressCtrl::Answer(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case PBM_SETRANGE:
        return SetRange(LOWORD(lParam), HIWORD(lParam));
    case PBM_SETPOS:
        return SetPos(static_cast<int>(wParam));
    case PBM_DELTAPOS:
        return SetPos(CProgressBarMath::AddPositions(m_nPos, static_cast<int>(wParam)));
    case PBM_SETSTEP:
        return std::exchange(m_nStep, static_cast<int>(wParam));
    case PBM_STEPIT:
        return SetPos(CProgressBarMath::StepIt(m_nPos, m_nStep, m_nMin, m_nMax));
    case PBM_SETRANGE32:
        return SetRange(static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_GETRANGE:
        if (lParam)
        {
            auto* range = reinterpret_cast<PBRANGE*>(lParam);
            range->iLow = m_nMin;
            range->iHigh = m_nMax;
        }
        return wParam ? m_nMin : m_nMax;
    case PBM_GETPOS:
        return m_nPos;
    case PBM_SETBARCOLOR:
        return SetColor(m_crBar, static_cast<COLORREF>(lParam));
    case PBM_SETMARQUEE:
        SetMarquee(wParam != 0, static_cast<UINT>(lParam));
        return static_cast<LRESULT>(wParam);
    case PBM_SETBKCOLOR:
        return SetColor(m_crBackground, static_cast<COLORREF>(lParam));
    case PBTM_GETBARCOLOR:
        return Effective(m_crBar, COLOR_HIGHLIGHT);
    case PBTM_GETBKCOLOR:
        return Effective(m_crBackground, COLOR_BTNFACE);
    case PBTM_SETTEXTCOLOR:
        return SetColor(m_crText, static_cast<COLORREF>(lParam));
    case PBTM_GETTEXTCOLOR:
        return Effective(m_crText, COLOR_WINDOWTEXT);
    case PBTM_SETBARTEXTCOLOR:
        return SetColor(m_crTextOnBar, static_cast<COLORREF>(lParam));
    case PBTM_GETBARTEXTCOLOR:
        return Effective(m_crTextOnBar, COLOR_WINDOW);
    case PBTM_SHOWPERCENT:
    {
        const BOOL previous = std::exchange(m_bShowPercent, static_cast<BOOL>(wParam));
        Repaint();
        return previous;
    }
    case PBTM_SETTEXTALIGN:
    {
        const int previous = std::exchange(m_nTextAlign, static_cast<int>(wParam));
        Repaint();
        return previous;
    }
    case PBTM_SETMARQUEESIZE:
        m_nMarqueePercent = static_cast<int>(wParam);
        Repaint();
        return m_nMarqueePercent;
    case WM_ERASEBKGND:
        // Painting covers every pixel; erasing first would only flicker.
        return TRUE;
    case WM_PAINT:
        return OnPaint(reinterpret_cast<HDC>(wParam));
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_TIMER:
        return OnTimer(wParam);
    default:
        return std::nullopt;
    }
}

LRESULT CTextProgressCtrl::SetPos(int nPos)
{
    const int previous = m_nPos;
    const bool marquee = (GetWindowLongPtrW(GetHwnd(), GWL_STYLE) & PBS_MARQUEE) != 0;
    const int upper = marquee ? CProgressBarMath::MarqueeEnd(m_nMax, m_nMarqueePercent) : m_nMax;
    m_nPos = CProgressBarMath::ClampPosition(nPos, m_nMin, upper);
    Repaint();
    return previous;
}

LRESULT CTextProgressCtrl::SetRange(int nMin, int nMax)
{
    const std::uint32_t previous = CProgressBarMath::PackRange(m_nMin, m_nMax);
    m_nMin = nMin;
    m_nMax = nMax;
    return previous;
}

void CTextProgressCtrl::SetMarquee(bool on, UINT period)
{
    m_bShowPercent = FALSE;
    const LONG_PTR style = GetWindowLongPtrW(GetHwnd(), GWL_STYLE);
    if (on)
    {
        SetWindowLongPtrW(GetHwnd(), GWL_STYLE, style | PBS_MARQUEE);
        SetTimer(GetHwnd(), kMarqueeTimer, period, nullptr);
    }
    else
    {
        KillTimer(GetHwnd(), kMarqueeTimer);
        SetWindowLongPtrW(GetHwnd(), GWL_STYLE, style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
    }
    Repaint();
}

LRESULT CTextProgressCtrl::OnTimer(UINT_PTR id)
{
    if (id != kMarqueeTimer)
        return 0;
    const int nPos = static_cast<int>(SendMessageW(GetHwnd(), PBM_GETPOS, 0, 0));
    if (g_nMarqueeDirection > 0 && nPos >= CProgressBarMath::MarqueeEnd(m_nMax, m_nMarqueePercent))
        g_nMarqueeDirection = -1;
    else if (g_nMarqueeDirection < 0 && nPos <= m_nMin)
        g_nMarqueeDirection = 1;
    SendMessageW(GetHwnd(), PBM_SETPOS, static_cast<WPARAM>(CProgressBarMath::AddPositions(nPos, g_nMarqueeDirection)),
                 0);
    return 0;
}

COLORREF CTextProgressCtrl::SetColor(COLORREF& field, COLORREF color)
{
    const COLORREF previous = std::exchange(field, color);
    Repaint();
    return previous;
}

void CTextProgressCtrl::Repaint() const
{
    RedrawWindow(GetHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

LRESULT CTextProgressCtrl::OnPaint(HDC dc)
{
    // Like the common controls, paint into a DC passed with the message.
    if (dc)
    {
        Paint(dc);
        return 0;
    }
    // Begun and ended even when nothing is painted, so that the window is validated.
    PAINTSTRUCT ps{};
    if (const HDC paintDc = BeginPaint(GetHwnd(), &ps))
        Paint(paintDc);
    EndPaint(GetHwnd(), &ps);
    return 0;
}

HFONT CTextProgressCtrl::GetTextFont() const
{
    auto font = reinterpret_cast<HFONT>(SendMessageW(GetHwnd(), WM_GETFONT, 0, 0));
    if (!font)
    {
        if (const HWND parent = GetParent(GetHwnd()))
            font = reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0));
    }
    return font;
}

std::wstring CTextProgressCtrl::GetText(double fraction) const
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(GetHwnd())), L'\0');
    if (!text.empty())
        text.resize(static_cast<size_t>(GetWindowTextW(GetHwnd(), text.data(), static_cast<int>(text.size()) + 1)));
    if (m_bShowPercent)
        text += std::to_wstring(CProgressBarMath::Percent(fraction)) + L'%';
    return text;
}

void CTextProgressCtrl::Paint(HDC target)
{
    if (m_nMin >= m_nMax)
        return;
    RECT client{};
    GetClientRect(GetHwnd(), &client);
    const CMemoryDc memory(target, client, GetSysColor(COLOR_BTNFACE));
    const HDC dc = memory.Get();

    const COLORREF crBar = Effective(m_crBar, COLOR_HIGHLIGHT);
    const COLORREF crBackground = Effective(m_crBackground, COLOR_BTNFACE);
    const COLORREF crText = Effective(m_crText, COLOR_WINDOWTEXT);
    const COLORREF crTextOnBar = Effective(m_crTextOnBar, COLOR_WINDOW);

    const HFONT font = GetTextFont();
    std::optional<CSelectObject> selectFont;
    if (font)
        selectFont.emplace(dc, font);

    RECT inner = client;
    DrawEdge(dc, &inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_FLAT);

    const LONG_PTR style = GetWindowLongPtrW(GetHwnd(), GWL_STYLE);
    const bool vertical = (style & PBS_VERTICAL) != 0;
    const bool marquee = (style & PBS_MARQUEE) != 0;
    const double fraction = CProgressBarMath::Fraction(m_nPos, m_nMin, m_nMax);
    if (vertical && !m_fontVertical)
    {
        LOGFONTW logFont{};
        GetObjectW(font ? font : GetCurrentObject(dc, OBJ_FONT), sizeof(logFont), &logFont);
        logFont.lfEscapement = 900;
        logFont.lfOrientation = 900;
        m_fontVertical.Reset(CreateFontIndirectW(&logFont));
    }

    const CProgressBarMath::Parts parts =
        CProgressBarMath::Split(ToMathRect(inner), fraction, vertical, marquee, m_nMarqueePercent);
    Fill(dc, parts.before, crBackground);
    Fill(dc, parts.bar, crBar);
    Fill(dc, parts.after, crBackground);

    const std::wstring text = GetText(fraction);
    if (text.empty())
        return;
    std::optional<CSelectObject> selectVertical;
    if (vertical && m_fontVertical)
        selectVertical.emplace(dc, m_fontVertical.Get());
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    const CProgressBarMath::Point origin =
        CProgressBarMath::TextOrigin(ToMathRect(inner), size.cx, size.cy, m_nTextAlign, vertical);
    DrawTextIn(dc, parts.before, crText, inner, origin, text);
    DrawTextIn(dc, parts.bar, crTextOnBar, inner, origin, text);
    DrawTextIn(dc, parts.after, crText, inner, origin, text);
}
