#pragma once

#include <windows.h>

#include <string>

// The open-file dialog for a skin file; false when the user did not choose one. With several
// files chosen, the first one.
bool ChooseSkinFile(HWND owner, std::wstring& path);
