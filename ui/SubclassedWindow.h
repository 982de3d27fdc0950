#pragma once

#include <windows.h>

// Takes over the messages of an existing window (a common control) through comctl32's window
// subclassing. Every message goes first to OnMessage, inside the exception barrier; what it
// leaves goes on to the window's own procedure. WM_NCDESTROY is always passed on, and lets go
// of the window after OnMessage has seen it.
class CSubclassedWindow
{
public:
    CSubclassedWindow(const CSubclassedWindow&) = delete;
    CSubclassedWindow& operator=(const CSubclassedWindow&) = delete;

protected:
    CSubclassedWindow() = default;
    // Lets go of the window if it still exists.
    virtual ~CSubclassedWindow();

    // False when already attached, for no window, or when the window cannot be subclassed.
    bool Attach(HWND hwnd);
    // Hands every message back to the window's own procedure.
    void Detach();
    // The attached window; null before Attach and after Detach or WM_NCDESTROY.
    HWND SubclassedHwnd() const { return m_hwnd; }

    // True when the message was answered with `result`. An exception counts as answered:
    // `result` holds what was set before it.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    // The window's own answer, for a handler that works around it.
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);

    HWND m_hwnd = nullptr;
};
