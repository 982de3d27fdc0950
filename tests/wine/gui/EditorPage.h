#pragma once

// The fixture most GUI tests share: one editor page in the host window, over a hosts file in a
// folder of the test's own, with message boxes watched.

#include "EditorHarness.h"
#include "resource.h"
#include "SavedRegistryValue.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

// `count` lines of one entry each: 600,000 make about 17 MB.
std::string ManyEntries(int count);
// The editor's "Please wait..." dialog, shown or not; null before an Init.
HWND FindProgressDialog();

class EditorPage : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    std::wstring HostsPath() const { return m_folder / L"hosts"; }
    // Init and Activate; with `waitForLoad`, until the first load has ended (null, and a
    // failure of the test, when it does not).
    HWND Open(bool waitForLoad = true) { return OpenFor(&m_host, waitForLoad); }
    // The same for another host object, or none (null).
    HWND OpenFor(CTestEditorHost* host, bool waitForLoad = true);
    // Activate alone, after an Init of the test's own.
    HWND ActivatePage(bool waitForLoad = true);
    // Until the toolbar shows that no load runs.
    bool WaitForLoad();
    // A spy on the progress dialog of the form Init made. The load thread shows the dialog and
    // then sets its caption through this thread, before it asks the reader for the file: it
    // waits until `whileShown` has returned.
    CWindowSpy WhenProgressShows(std::function<void(HWND dialog)> whileShown) const;

    HWND Table() const { return GetDlgItem(m_page, IDC_HOSTS_TABLE); }
    HWND TextEdit() const { return GetDlgItem(m_page, IDC_HOSTS_TEXT); }
    HWND ReadOnlyBox() const { return GetDlgItem(m_page, IDC_READ_ONLY); }
    int TableRows() const;
    // A cell's text as the table shows it.
    std::wstring Cell(int row, int column) const;
    // The Enabled checkbox of a row: ticked or not.
    bool Ticked(int row) const;
    std::vector<bool> TickedRows() const;
    std::vector<int> SelectedRows() const;
    // Sets the `mask` bits of a row's state (row -1: of every row) to those in `state`.
    void SetRowState(int row, UINT state, UINT mask) const;
    // Selects and focuses this row alone.
    void SelectOnly(int row) const;
    // Selects the row and flips it with Space, as a user does.
    void ToggleRow(int row);
    // The Host column, top to bottom.
    std::vector<std::wstring> Hosts() const;
    int FocusedRow() const;
    std::wstring TextViewText() const;
    std::vector<UINT> EnabledButtons() const;
    std::string FileBytes() const;

    const CNorvikModule& m_norvik = NorvikExports();
    testfiles::CTempFolder m_folder;
    CSavedRegistryValue m_dataBasePath{HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
                                       L"DataBasePath"};
    // The host window first: made while the process-wide hook is set, it costs Wine seconds.
    CHostWindow& m_window = CHostWindow::Get();
    CMessageBoxWatcher m_boxes;
    CTestEditorHost m_host;
    HWND m_page = nullptr;
    HWND m_toolbar = nullptr;
};
