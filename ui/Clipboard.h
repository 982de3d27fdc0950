#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The clipboard, open for as long as the object lives. Another program may hold it for a
// moment (clipboard viewers read every change), so opening tries a few times.
class CClipboard
{
public:
    explicit CClipboard(HWND owner);
    ~CClipboard();
    CClipboard(const CClipboard&) = delete;
    CClipboard& operator=(const CClipboard&) = delete;

    bool IsOpen() const { return m_bOpen; }
    // Empties it and puts `text` on it as Unicode text.
    bool SetText(std::wstring_view text);
    // Its Unicode text, up to the first NUL; false when it holds none.
    bool GetText(std::wstring& text) const;

private:
    bool m_bOpen = false;
};
