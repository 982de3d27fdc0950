#pragma once

#include "editing/TextKeyHandler.h"

#include <windows.h>

#include <string>

// The text view: the form's multi-line edit, with its search keys and a limit that grows.
class CHostsTextEdit
{
public:
    void Attach(HWND edit) { m_hwnd = edit; }
    HWND Hwnd() const { return m_hwnd; }
    void SetKeyHandler(ITextKeyHandler* handler) { m_pKeyHandler = handler; }

    // Ctrl+F and F3 go to the key handler (taken); Ctrl+A selects everything (not taken).
    bool PreTranslateMessage(const MSG& message);
    // Doubles the limit once the text has reached it, so that typing never stops at it.
    void GrowLimit(size_t length);
    std::wstring GetText() const;
    // The whole text at once, the limit grown first so that none of it is cut.
    void SetText(const std::wstring& text);
    // Empties the control into a buffer that holds `length` characters: filled piece by piece,
    // a buffer grown to each piece would be copied whole at every piece.
    void EmptyWithRoomFor(size_t length);
    // `text` at `offset` (the end of what is in), as an edit that cannot be undone.
    void InsertAt(DWORD offset, const std::wstring& text);
    // Nothing to undo and nothing modified: the state a new text starts in.
    void ClearHistory();
    // Selection offsets in characters, full width (not cut to 16 bits).
    void GetSel(DWORD& start, DWORD& end) const;
    void SetSel(DWORD start, DWORD end);

private:
    HWND m_hwnd = nullptr;
    ITextKeyHandler* m_pKeyHandler = nullptr;
};
