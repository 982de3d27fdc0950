#pragma once

// What a host hands to norvik.dll. Host and module must be built with the same compiler and
// C++ runtime (the same MinGW-w64 g++ and libstdc++ for both): std::wstring and std::map
// cross the boundary, and the module calls these objects through their virtual tables in
// exactly this slot order.

#include <map>
#include <string>

class IEditorHost
{
public:
    // Slots 0 and 1: present, never called by the module.
    virtual void Reserved0() {}
    virtual void Reserved1() {}
    // Slot 2: apply this skin file to the host's windows; empty means the default look.
    virtual void ApplySkin(const std::wstring& skinFile) = 0;
    // Slot 3: a folder for the module's settings, ending in a backslash.
    virtual std::wstring GetSettingsFolder() = 0;
    // Slot 4: the version shown in the About dialog.
    virtual std::wstring GetVersionText() = 0;
    // Slot 5: file name to version, listed in the About dialog in map order.
    virtual std::map<std::wstring, std::wstring> GetModuleVersions() = 0;

protected:
    ~IEditorHost() = default;
};

class IEditorFocusHandler
{
public:
    // Slot 0: Shift+Tab left the editor's first control; move the focus to the host's previous one.
    virtual void FocusPrevious() = 0;

protected:
    ~IEditorFocusHandler() = default;
};
