#pragma once

// The eight functions norvik.dll exports, for hosts that link to it or look them up with
// GetProcAddress. All are called on the host's GUI thread.

#include "norvik/EditorHost.h"

#include <windows.h>

#ifdef NORVIK_BUILDING_MODULE
#define NORVIK_API extern "C" __declspec(dllexport)
#else
#define NORVIK_API extern "C" __declspec(dllimport)
#endif

// Creates the editor (no window yet); true when it could be created. Either pointer may be null.
NORVIK_API bool Init(IEditorHost* host, IEditorFocusHandler* focusHandler);
// The first call creates the editor's window in `parent` at the rectangle (parent client
// coordinates) and starts loading the hosts file; later calls show the page again.
NORVIK_API HWND Activate(HWND parent, int left, int top, int right, int bottom);
// The page is hidden: unsaved edits are dropped without asking.
NORVIK_API void Deactivate();
// The page is closed: waits for a running save and stops the background reader.
NORVIK_API void CloseHostEditor();
// Saves as the Save changes command does; 1 on success.
NORVIK_API int SaveHosts();
// 1 when there are unsaved changes (0 while loading).
NORVIK_API int IsHostsChanged();
// The editor's first and last enabled tab stops, for the host's own Tab handling.
NORVIK_API HWND GetFirstFormControl();
NORVIK_API HWND GetLastFormControl();

using InitFunction = bool (*)(IEditorHost*, IEditorFocusHandler*);
using ActivateFunction = HWND (*)(HWND, int, int, int, int);
using VoidFunction = void (*)();
using IntFunction = int (*)();
using WindowFunction = HWND (*)();
