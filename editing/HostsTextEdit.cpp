#include "editing/HostsTextEdit.h"

#include "win32/UniqueHandle.h"

bool CHostsTextEdit::PreTranslateMessage(const MSG& message)
{
    if (message.message != WM_KEYDOWN)
        return false;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    if (message.wParam == 'F' && control && m_pKeyHandler)
    {
        m_pKeyHandler->OnFind();
        return true;
    }
    if (message.wParam == VK_F3 && m_pKeyHandler)
    {
        m_pKeyHandler->OnFindNext();
        return true;
    }
    if (message.wParam == 'A' && control)
    {
        SendMessageW(m_hwnd, EM_SETSEL, 0, GetWindowTextLengthW(m_hwnd));
        SendMessageW(m_hwnd, EM_SCROLLCARET, 0, 0);
    }
    return false;
}

void CHostsTextEdit::GrowLimit(size_t length)
{
    const size_t limit = static_cast<size_t>(SendMessageW(m_hwnd, EM_GETLIMITTEXT, 0, 0));
    if (length >= limit)
        SendMessageW(m_hwnd, EM_SETLIMITTEXT, length * 2, 0);
}

std::wstring CHostsTextEdit::GetText() const
{
    const int length = GetWindowTextLengthW(m_hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(m_hwnd, &text[0], length + 1)));
    return text;
}

void CHostsTextEdit::SetText(const std::wstring& text)
{
    GrowLimit(text.size());
    SetWindowTextW(m_hwnd, text.c_str());
}

void CHostsTextEdit::EmptyWithRoomFor(size_t length)
{
    GrowLimit(length);
    SetText(std::wstring());
    CLocalMemory buffer(LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, (length + 1) * sizeof(wchar_t)));
    if (!buffer)
        return;
    // A multi-line edit takes the buffer and owns it; the one it gives up is its caller's to
    // free. (Asking for the handle again would make the new buffer the caller's too.)
    const CLocalMemory old(reinterpret_cast<HLOCAL>(SendMessageW(m_hwnd, EM_GETHANDLE, 0, 0)));
    SendMessageW(m_hwnd, EM_SETHANDLE, reinterpret_cast<WPARAM>(buffer.Release()), 0);
}

void CHostsTextEdit::InsertAt(DWORD offset, const std::wstring& text)
{
    // A selection set walks the control's lines: only when the caret is elsewhere.
    DWORD start = 0;
    DWORD end = 0;
    GetSel(start, end);
    if (start != offset || end != offset)
        SetSel(offset, offset);
    SendMessageW(m_hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void CHostsTextEdit::ClearHistory()
{
    SendMessageW(m_hwnd, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(m_hwnd, EM_SETMODIFY, FALSE, 0);
}

void CHostsTextEdit::GetSel(DWORD& start, DWORD& end) const
{
    start = end = 0;
    SendMessageW(m_hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
}

void CHostsTextEdit::SetSel(DWORD start, DWORD end)
{
    SendMessageW(m_hwnd, EM_SETSEL, start, end);
}
