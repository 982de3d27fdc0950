/* norvik.dll for hosts built with any compiler or in any language: the nine exports with plain
 * C types, and NorvikInit, which takes the host's services as a table of function pointers.
 * C99 and C++ alike; needs nothing but <windows.h>. Every function of the module and of the
 * table uses the C calling convention (__cdecl), and all are called on the host's GUI thread.
 *
 * The table's rules, the same for every version of it:
 *  - `size` comes first and says how long the host's table is: a shorter one (a host built
 *    against an older header) is taken, and the callbacks it lacks count as absent; a longer
 *    one (a newer host) is taken, and what the module does not know is ignored. Shorter than
 *    NORVIK_HOST_SIZE_MIN (`size` and `context`), or null, the table is refused.
 *  - every callback may be null: no skin is applied, the settings live in memory only and no
 *    file is written (so too when the folder is empty), the version is empty, no module versions are listed, Shift+Tab from the
 *    page's first control leaves to nothing.
 *  - strings go out through buffers the module owns: a callback writes at most `capacity`
 *    characters, the last a NUL, and returns the length of the whole text without its NUL;
 *    when that is `capacity` or more, the module calls it again with a buffer that fits. No
 *    memory is freed on the other side, and nothing but these plain types crosses.
 *  - the table is copied by NorvikInit: it need not outlive the call; `context` must live as
 *    long as the editor. */
#ifndef NORVIK_NORVIK_H
#define NORVIK_NORVIK_H
/* Laid out by hand, the same for C and C++. */
/* clang-format off */

#include <windows.h>

#include <stddef.h>
#include <stdint.h>

#define NORVIK_CALL __cdecl
#if defined(NORVIK_BUILDING_MODULE)
#define NORVIK_C_EXPORT __declspec(dllexport)
#else
#define NORVIK_C_EXPORT __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
typedef bool NorvikBool;
class IEditorHost;
class IEditorFocusHandler;
#else
/* bool as the exports return it: one byte, 0 or 1. */
typedef unsigned char NorvikBool;
typedef struct IEditorHost IEditorHost;
typedef struct IEditorFocusHandler IEditorFocusHandler;
#endif

typedef struct NorvikHost
{
    uint32_t size;   /* sizeof(NorvikHost) as the host's header declares it */
    void* context;   /* handed back to every callback */
    /* Apply this skin file to the host's windows; an empty path means the default look. */
    void(NORVIK_CALL* applySkin)(void* context, const wchar_t* skinFile);
    /* A folder for the module's settings file, ending in a backslash. */
    uint32_t(NORVIK_CALL* getSettingsFolder)(void* context, wchar_t* buffer, uint32_t capacity);
    /* The version shown in the About dialog. */
    uint32_t(NORVIK_CALL* getVersionText)(void* context, wchar_t* buffer, uint32_t capacity);
    /* Item `index` of the file names and versions the About dialog lists: nonzero with both
     * texts written (each as for a string above, its whole length in `*nameLength` and
     * `*versionLength`), 0 when there is no such item. The module asks from 0 on. */
    int(NORVIK_CALL* getModuleVersion)(void* context, uint32_t index, wchar_t* name, uint32_t nameCapacity,
                                       uint32_t* nameLength, wchar_t* version, uint32_t versionCapacity,
                                       uint32_t* versionLength);
    /* Shift+Tab left the page's first control: move the focus to the host's previous one. */
    void(NORVIK_CALL* focusPrevious)(void* context);
} NorvikHost;

/* The shortest table the module takes: every callback may be missing. */
#define NORVIK_HOST_SIZE_MIN ((uint32_t)offsetof(NorvikHost, applySkin))

/* Creates the editor (no window yet) over the host's table: 1, or 0 when the table is refused
 * or the editor cannot be made now (a question of the page is up); then the editor there was
 * stays. A second call replaces the editor, as Init does. */
NORVIK_C_EXPORT int NORVIK_CALL NorvikInit(const NorvikHost* host);
/* The same with two C++ objects (norvik/EditorHost.h): only for hosts built with the module's
 * own compiler and C++ runtime. */
NORVIK_C_EXPORT NorvikBool NORVIK_CALL Init(IEditorHost* host, IEditorFocusHandler* focusHandler);
/* The first call creates the page in `parent` at the rectangle (parent client coordinates) and
 * starts loading the hosts file; later calls show it again (with the new parent after the host
 * moved the page into another window with SetParent). */
NORVIK_C_EXPORT HWND NORVIK_CALL Activate(HWND parent, int left, int top, int right, int bottom);
/* The page is hidden: unsaved edits are dropped without asking. */
NORVIK_C_EXPORT void NORVIK_CALL Deactivate(void);
/* The page is closed: waits for a running save and stops loading. Call it before the host's
 * window goes and before FreeLibrary. */
NORVIK_C_EXPORT void NORVIK_CALL CloseHostEditor(void);
/* Saves as the page's Save changes command does: 1 on success (or nothing to save). */
NORVIK_C_EXPORT int NORVIK_CALL SaveHosts(void);
/* 1 while there are unsaved changes (0 during a load). */
NORVIK_C_EXPORT int NORVIK_CALL IsHostsChanged(void);
/* The page's first and last enabled tab stops, for the host's own Tab handling. */
NORVIK_C_EXPORT HWND NORVIK_CALL GetFirstFormControl(void);
NORVIK_C_EXPORT HWND NORVIK_CALL GetLastFormControl(void);

/* For GetProcAddress, with no import library. */
typedef int(NORVIK_CALL* NorvikInitFunction)(const NorvikHost* host);
typedef HWND(NORVIK_CALL* NorvikActivateFunction)(HWND parent, int left, int top, int right, int bottom);
typedef void(NORVIK_CALL* NorvikVoidFunction)(void);
typedef int(NORVIK_CALL* NorvikIntFunction)(void);
typedef HWND(NORVIK_CALL* NorvikWindowFunction)(void);

#ifdef __cplusplus
}
#endif

/* clang-format on */
#endif
