#include "hosts/LoadProgressDialog.h"

#include "controls/TextProgressCtrl.h"
#include "resources/resource.h"

#include <commctrl.h>

namespace
{
// Posted to the dialog when a new progress text, range or position is waiting.
const UINT WM_PROGRESS_UPDATE = WM_APP + 1;
// A busy reader reports every 100 lines, and the GUI thread takes each notice as it comes:
// at most one notice per this many milliseconds, and each post is a call into the window
// system. The bar's last step and a new range always go at once.
const ULONGLONG kNoticeMs = 20;
} // namespace

CLoadProgressDialog::CLoadProgressDialog(HWND notifyWindow, std::wstring caption)
    : CDialog(IDD_LOAD_PROGRESS), m_notifyWindow(notifyWindow), m_strCaption(std::move(caption))
{
}

CLoadProgressDialog::~CLoadProgressDialog() = default;

bool CLoadProgressDialog::Create(HMODULE module)
{
    return CDialog::Create(module, nullptr);
}

bool CLoadProgressDialog::OnInitDialog()
{
    m_progressBar = Item(IDC_PROGRESS_BAR);
    m_textEdit = Item(IDC_PROGRESS_TEXT);
    m_captionStatic = Item(IDC_PROGRESS_CAPTION);
    m_progress = std::make_unique<CTextProgressCtrl>();
    m_progress->Attach(m_progressBar);
    return true;
}

void CLoadProgressDialog::Reset()
{
    m_nPos = 0;
    m_nRange = 0;
    {
        std::lock_guard<std::mutex> lock(m_textLock);
        m_strProgressText.clear();
    }
    Notify(true);
}

void CLoadProgressDialog::SetRange(int count)
{
    m_nRange = count;
    Notify(true);
}

void CLoadProgressDialog::SetPos(int index)
{
    m_nPos = index;
    Notify(index >= m_nRange);
}

void CLoadProgressDialog::Notify(bool now)
{
    if (!m_hwnd)
        return;
    const ULONGLONG tick = GetTickCount64();
    if (!now && tick - m_nLastNotice < kNoticeMs)
        return;
    if (!m_bPosted.exchange(true))
    {
        m_nLastNotice = tick;
        PostMessageW(m_hwnd, WM_PROGRESS_UPDATE, 0, 0);
    }
}

void CLoadProgressDialog::SetText(const std::wstring& text)
{
    // Into the text's own storage: after the first report no allocation.
    {
        std::lock_guard<std::mutex> lock(m_textLock);
        m_strProgressText.assign(text);
    }
    Notify(false);
}

std::wstring CLoadProgressDialog::GetProgressText() const
{
    std::lock_guard<std::mutex> lock(m_textLock);
    return m_strProgressText;
}

void CLoadProgressDialog::ShowCentered()
{
    if (!m_hwnd)
        return;
    if (m_notifyWindow && IsWindow(m_notifyWindow))
    {
        // Owned by the host's top-level window, so it stays above it.
        SetWindowLongPtrW(m_hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(GetAncestor(m_notifyWindow, GA_ROOT)));
        RECT notify;
        RECT own;
        GetWindowRect(m_notifyWindow, &notify);
        GetWindowRect(m_hwnd, &own);
        const int width = own.right - own.left;
        const int height = own.bottom - own.top;
        const int centreX = notify.left + (notify.right - notify.left) / 2;
        const int centreY = notify.top + (notify.bottom - notify.top) / 2;
        SetWindowPos(m_hwnd, nullptr, centreX - width / 2, centreY - height / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    else
    {
        ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    }
    SetWindowTextW(m_captionStatic, m_strCaption.c_str());
}

void CLoadProgressDialog::Hide()
{
    if (!m_hwnd)
        return;
    // The reader hides it while the GUI thread may be waiting for the reader: never block then.
    if (GetWindowThreadProcessId(m_hwnd, nullptr) == GetCurrentThreadId())
        ShowWindow(m_hwnd, SW_HIDE);
    else
        ShowWindowAsync(m_hwnd, SW_HIDE);
}

bool CLoadProgressDialog::OnCommand(WORD id, WORD code, HWND control)
{
    if (id == IDC_PROGRESS_CANCEL && code == BN_CLICKED)
    {
        if (m_notifyWindow)
            SendMessageW(m_notifyWindow, WM_COMMAND, MAKEWPARAM(ID_CANCEL_LOAD, BN_CLICKED), 0);
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

bool CLoadProgressDialog::OnMessage(UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& result)
{
    if (message != WM_PROGRESS_UPDATE)
        return false;
    // Cleared first: what is stored from now on posts again.
    m_bPosted = false;
    // The range first, so that the position is clamped against the new one.
    SendMessageW(m_progressBar, PBM_SETRANGE32, 0, m_nRange);
    SendMessageW(m_progressBar, PBM_SETPOS, static_cast<WPARAM>(m_nPos.load()), 0);
    SetWindowTextW(m_textEdit, GetProgressText().c_str());
    result = 0;
    return true;
}
