// A host may close the page, free the module and destroy its window in any order: none may
// hang or leave code of the module running after it is gone. Each order runs in a process of
// its own that loads the module itself, so the unload is real.
#include "CaseTable.h"
#include "EditorHarness.h"
#include "resource.h"
#include "SavedRegistryValue.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace
{
const wchar_t kOrderVariable[] = L"NORVIK_UNLOAD_ORDER";

// Letters of the host's steps: C CloseHostEditor, F FreeLibrary, D DestroyWindow.
struct UnloadCase : NamedCase
{
    const wchar_t* order;
    bool staysLoaded; // the page went before it was closed: the module cannot go safely any more
};
using ModuleUnload = CaseTest<UnloadCase>;

TEST_P(ModuleUnload, NeitherHangsNorLeavesCodeRunning)
{
    ASSERT_TRUE(SetEnvironmentVariableW(kOrderVariable, GetParam().order));
    const std::wstring expect = GetParam().staysLoaded ? L"1" : L"0";
    ASSERT_TRUE(SetEnvironmentVariableW(L"NORVIK_UNLOAD_STAYS", expect.c_str()));
    EXPECT_TRUE(RunTestInChildProcess("ModuleUnloadChild", "DISABLED_RunsTheOrderItIsGiven"));
}

CASE_TABLE(Orders, ModuleUnload, UnloadCase{{"CloseFreeDestroy"}, L"CFD", false},
           UnloadCase{{"CloseDestroyFree"}, L"CDF", false}, UnloadCase{{"FreeDestroy"}, L"FD", true},
           UnloadCase{{"DestroyFree"}, L"DF", true}, UnloadCase{{"DestroyCloseFree"}, L"DCF", true});
} // namespace

TEST(ModuleUnloadChild, DISABLED_RunsTheOrderItIsGiven)
{
    const std::wstring order = testfiles::EnvironmentValue(kOrderVariable);
    ASSERT_FALSE(order.empty());
    testfiles::CTempFolder folder;
    ASSERT_TRUE(testfiles::WriteBytes(folder / L"hosts", "127.0.0.1 localhost\r\n10.0.0.1 box\r\n"));
    CSavedRegistryValue dataBasePath(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
                                     L"DataBasePath");
    ASSERT_TRUE(dataBasePath.Set(REG_SZ, folder.Path()));
    CTestEditorHost host;
    host.settingsFolder = folder.Path() + L"\\";

    CNorvikModule norvik;
    ASSERT_TRUE(norvik.Load());
    const HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"unload host", WS_POPUP | WS_VISIBLE, 0, 0,
                                        760, 560, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    ASSERT_TRUE(norvik.Init(&host, &host));
    const HWND page = norvik.Activate(window, 10, 40, 710, 500);
    ASSERT_TRUE(page);
    const HWND toolbar = FindToolbar(page);
    ASSERT_TRUE(PumpUntil([toolbar] { return IsButtonEnabled(toolbar, ID_REFRESH); }));

    for (const wchar_t step : order)
    {
        if (step == L'C')
            norvik.CloseHostEditor();
        else if (step == L'F')
            FreeLibrary(norvik.dll);
        else if (step == L'D')
            DestroyWindow(window);
        PumpPending();
    }
    EXPECT_FALSE(IsWindow(page));
    // Every top-level window hears this: one with a procedure in an unloaded module would crash.
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &answer);
    PumpPending();
    const bool loaded = GetModuleHandleW(L"norvik.dll") != nullptr;
    EXPECT_EQ(testfiles::EnvironmentValue(L"NORVIK_UNLOAD_STAYS") == L"1", loaded);
}
