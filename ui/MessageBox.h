#pragma once

#include <windows.h>

// A modal message box with the module's look (comctl32 version 6).
int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags);
