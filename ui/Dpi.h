#pragma once

#include <windows.h>

// The dots per inch a window is drawn at: its monitor's for a per-monitor-aware host, the
// system's otherwise (on systems without per-window DPI, the screen's).
UINT WindowDpi(HWND window);
// A length laid out for 96 DPI, at `dpi`.
int ScaleToDpi(int length, UINT dpi);
