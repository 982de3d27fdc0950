#pragma once

// norvik.dll loaded at run time with its exports looked up, for hosts that do not link to its
// import library. The module stays loaded for the life of the process.

#include "norvik/norvik.h"
#include "norvik/NorvikApi.h"

struct CNorvikModule
{
    HMODULE dll = nullptr;
    InitFunction Init = nullptr;
    ActivateFunction Activate = nullptr;
    VoidFunction Deactivate = nullptr;
    VoidFunction CloseHostEditor = nullptr;
    IntFunction SaveHosts = nullptr;
    IntFunction IsHostsChanged = nullptr;
    WindowFunction GetFirstFormControl = nullptr;
    WindowFunction GetLastFormControl = nullptr;
    // The C host table's Init (norvik/norvik.h); null from a module that lacks it.
    NorvikInitFunction NorvikInit = nullptr;

    // True when the DLL was loaded and exports the eight functions of the C++ interface.
    bool Load(const wchar_t* path = L"norvik.dll")
    {
        dll = LoadLibraryW(path);
        if (!dll)
            return false;
        Find(Init, "Init");
        Find(Activate, "Activate");
        Find(Deactivate, "Deactivate");
        Find(CloseHostEditor, "CloseHostEditor");
        Find(SaveHosts, "SaveHosts");
        Find(IsHostsChanged, "IsHostsChanged");
        Find(GetFirstFormControl, "GetFirstFormControl");
        Find(GetLastFormControl, "GetLastFormControl");
        Find(NorvikInit, "NorvikInit");
        return Init && Activate && Deactivate && CloseHostEditor && SaveHosts && IsHostsChanged &&
               GetFirstFormControl && GetLastFormControl;
    }

private:
    template <class Function>
    void Find(Function& function, const char* name) const
    {
        function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    }
};
