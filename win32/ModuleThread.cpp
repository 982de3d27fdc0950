#include "win32/ModuleThread.h"

namespace
{
HMODULE ModuleOfThisCode()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModuleOfThisCode), &module);
    return module;
}

bool CodeLivesInDll()
{
    const HMODULE module = ModuleOfThisCode();
    return module && module != GetModuleHandleW(nullptr);
}
} // namespace

CKernelHandle StartModuleThread(LPTHREAD_START_ROUTINE procedure, void* argument)
{
    HMODULE reference = nullptr;
    if (CodeLivesInDll() && !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                                reinterpret_cast<LPCWSTR>(&ModuleOfThisCode), &reference))
        return CKernelHandle();
    CKernelHandle thread(CreateThread(nullptr, 0, procedure, argument, 0, nullptr));
    if (!thread && reference)
        FreeLibrary(reference);
    return thread;
}

void ExitModuleThread()
{
    if (CodeLivesInDll())
        FreeLibraryAndExitThread(ModuleOfThisCode(), 0);
}

void PinModule()
{
    HMODULE module = nullptr;
    if (CodeLivesInDll())
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&ModuleOfThisCode), &module);
}
