#include "ui/Dialog.h"

#include "ui/ActivationContext.h"
#include "ui/ExceptionBarrier.h"

#include <algorithm>

CDialog::~CDialog()
{
    Destroy();
}

bool CDialog::Create(HMODULE module, HWND parent)
{
    CActivationScope scope;
    m_modal = false;
    const HWND hwnd =
        CreateDialogParamW(module, MAKEINTRESOURCEW(m_templateId), parent, &DialogProc, reinterpret_cast<LPARAM>(this));
    // A dialog whose initialisation failed has destroyed itself already.
    return hwnd && IsWindow(hwnd);
}

INT_PTR CDialog::DoModal(HMODULE module, HWND parent)
{
    CActivationScope scope;
    m_modal = true;
    return DialogBoxParamW(module, MAKEINTRESOURCEW(m_templateId), parent, &DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::Destroy()
{
    if (m_hwnd && !m_modal)
        DestroyWindow(m_hwnd);
}

void CDialog::UpdateData(bool toControls)
{
    const bool outer = !m_exchanging;
    m_exchanging = true;
    DoDataExchange(toControls);
    if (outer)
        m_exchanging = false;
}

bool CDialog::OnCommand(WORD id, WORD code, HWND /*control*/)
{
    if (code != BN_CLICKED)
        return false;
    if (id == IDOK)
    {
        OnOK();
        return true;
    }
    if (id == IDCANCEL)
    {
        OnCancel();
        return true;
    }
    return false;
}

bool CDialog::OnNotify(NMHDR* /*header*/, LRESULT& /*result*/)
{
    return false;
}

bool CDialog::OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/)
{
    return false;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::ExchangeText(int id, std::wstring& value, bool toControls)
{
    const HWND control = Item(id);
    if (!toControls)
        value = CWindow::GetText(control);
    else if (CWindow::GetText(control) != value)
        SetWindowTextW(control, value.c_str());
}

void CDialog::ExchangeRadio(int firstId, int count, int& value, bool toControls)
{
    if (!toControls)
        value = -1;
    for (int i = 0; i < count; ++i)
    {
        if (toControls)
            CheckDlgButton(m_hwnd, firstId + i, value == i ? BST_CHECKED : BST_UNCHECKED);
        else if (IsDlgButtonChecked(m_hwnd, firstId + i) == BST_CHECKED)
            value = i;
    }
}

void CDialog::CentreOverOwner()
{
    const HWND owner = GetWindow(m_hwnd, GW_OWNER);
    if (!owner)
        return;
    RECT ownerRect;
    RECT own;
    GetWindowRect(owner, &ownerRect);
    GetWindowRect(m_hwnd, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int left = ownerRect.left + (ownerRect.right - ownerRect.left - width) / 2;
    int top = ownerRect.top + (ownerRect.bottom - ownerRect.top - height) / 2;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor))
    {
        const RECT& work = monitor.rcWork;
        left = std::max(static_cast<int>(work.left), std::min(left, static_cast<int>(work.right) - width));
        top = std::max(static_cast<int>(work.top), std::min(top, static_cast<int>(work.bottom) - height));
    }
    SetWindowPos(m_hwnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDialog::EndDialog(INT_PTR result)
{
    if (m_modal)
        ::EndDialog(m_hwnd, result);
    else
        DestroyWindow(m_hwnd);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG)
    {
        self = reinterpret_cast<CDialog*>(lParam);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    }
    else
    {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;
    // Everything the dialog creates while handling a message gets comctl32 version 6.
    CActivationScope scope;
    return CatchAtBoundary(INT_PTR(FALSE), [&] { return self->Dispatch(message, wParam, lParam); });
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    switch (message)
    {
    case WM_INITDIALOG:
        if (!OnInitDialog())
        {
            // A window that failed to initialise must not stay around half-built.
            if (m_modal)
                ::EndDialog(m_hwnd, -1);
            else
                DestroyWindow(m_hwnd);
            return FALSE;
        }
        return TakesFocusAtStart() ? TRUE : FALSE;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
        if (OnNotify(reinterpret_cast<NMHDR*>(lParam), result))
        {
            SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result);
            return TRUE;
        }
        return FALSE;
    case WM_NCDESTROY:
        OnDestroy();
        SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
        m_hwnd = nullptr;
        return FALSE;
    default:
        if (OnMessage(message, wParam, lParam, result))
        {
            SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result);
            return TRUE;
        }
        return FALSE;
    }
}
