#include <windows.h>

// Until the editor form exists the module has no unsaved changes to report.
extern "C" __declspec(dllexport) int IsHostsChanged()
{
    return 0;
}
