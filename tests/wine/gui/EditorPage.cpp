#include "EditorPage.h"

void EditorPage::SetUp()
{
    ASSERT_TRUE(m_norvik.dll && m_norvik.Init && m_norvik.Activate && m_norvik.Deactivate && m_norvik.CloseHostEditor &&
                m_norvik.SaveHosts && m_norvik.IsHostsChanged && m_norvik.GetFirstFormControl &&
                m_norvik.GetLastFormControl)
        << "norvik.dll or one of its exports not found in the working folder";
    ASSERT_TRUE(m_dataBasePath.Set(REG_SZ, m_folder.Path()));
    m_host.settingsFolder = m_folder.Path() + L"\\";
}

void EditorPage::TearDown()
{
    EXPECT_FALSE(HangWatchdogFired()) << "a window stayed open for a minute: the watchdog closed it";
    if (!m_norvik.CloseHostEditor || !m_norvik.Init)
        return;
    m_norvik.CloseHostEditor();
    // A new Init drops the form and its window before the next test makes its own.
    m_norvik.Init(nullptr, nullptr);
    PumpPending();
}

std::string ManyEntries(int count)
{
    std::string text;
    text.reserve(static_cast<size_t>(count) * 30);
    for (int i = 0; i < count; ++i)
        text += "0.0.0.0 ad" + std::to_string(i) + ".example.com\r\n";
    return text;
}

namespace
{
BOOL CALLBACK MatchProgressDialog(HWND hwnd, LPARAM out)
{
    wchar_t caption[64] = {};
    GetWindowTextW(hwnd, caption, 64);
    if (std::wstring(caption) != L"Please wait..." || !GetDlgItem(hwnd, IDC_PROGRESS_CANCEL))
        return TRUE;
    *reinterpret_cast<HWND*>(out) = hwnd;
    return FALSE;
}
} // namespace

HWND FindProgressDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &MatchProgressDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND EditorPage::OpenFor(CTestEditorHost* host, bool waitForLoad)
{
    return m_norvik.Init(host, host) ? ActivatePage(waitForLoad) : nullptr;
}

HWND EditorPage::ActivatePage(bool waitForLoad)
{
    const RECT page = m_window.PageRect();
    m_page = m_norvik.Activate(m_window.Hwnd(), page.left, page.top, page.right, page.bottom);
    m_toolbar = m_page ? FindToolbar(m_page) : nullptr;
    if (m_page && waitForLoad && !WaitForLoad())
    {
        ADD_FAILURE() << "the load did not end";
        return nullptr;
    }
    return m_page;
}

CWindowSpy EditorPage::WhenProgressShows(std::function<void(HWND dialog)> whileShown) const
{
    const HWND dialog = FindProgressDialog();
    return CWindowSpy(GetDlgItem(dialog, IDC_PROGRESS_CAPTION),
                      [dialog, whileShown = std::move(whileShown)](UINT message, WPARAM, LPARAM) {
                          if (message == WM_SETTEXT)
                              whileShown(dialog);
                      });
}

bool EditorPage::WaitForLoad()
{
    return PumpUntil([this] { return IsButtonEnabled(m_toolbar, ID_REFRESH); });
}

int EditorPage::TableRows() const
{
    return static_cast<int>(SendMessageW(Table(), LVM_GETITEMCOUNT, 0, 0));
}

std::wstring EditorPage::Cell(int row, int column) const
{
    wchar_t text[512] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(Table(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

bool EditorPage::Ticked(int row) const
{
    const UINT state = static_cast<UINT>(SendMessageW(Table(), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

std::vector<bool> EditorPage::TickedRows() const
{
    std::vector<bool> rows;
    for (int row = 0; row < TableRows(); ++row)
        rows.push_back(Ticked(row));
    return rows;
}

std::vector<int> EditorPage::SelectedRows() const
{
    std::vector<int> rows;
    for (int row = -1; (row = static_cast<int>(SendMessageW(Table(), LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;)
        rows.push_back(row);
    return rows;
}

void EditorPage::SetRowState(int row, UINT state, UINT mask) const
{
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(Table(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void EditorPage::SelectOnly(int row) const
{
    SetRowState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    SetRowState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void EditorPage::ToggleRow(int row)
{
    SelectOnly(row);
    SetFocus(Table());
    PressKey(VK_SPACE);
}

std::vector<std::wstring> EditorPage::Hosts() const
{
    std::vector<std::wstring> hosts;
    for (int row = 0; row < TableRows(); ++row)
        hosts.push_back(Cell(row, 2));
    return hosts;
}

int EditorPage::FocusedRow() const
{
    return static_cast<int>(SendMessageW(Table(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

std::wstring EditorPage::TextViewText() const
{
    const int length = GetWindowTextLengthW(TextEdit());
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(TextEdit(), &text[0], length + 1)));
    return text;
}

std::vector<UINT> EditorPage::EnabledButtons() const
{
    std::vector<UINT> enabled;
    for (UINT id :
         {ID_REFRESH, ID_SAVE_CHANGES, ID_DISCARD_CHANGES, ID_ADD_RECORD, ID_DELETE_RECORD, ID_EDIT_RECORD,
          ID_VIEW_AS_TABLE, ID_VIEW_AS_TEXT, ID_SEARCH, ID_REVERT_TO_DEFAULT, ID_RESET_SKIN, ID_SELECT_SKIN, ID_ABOUT})
    {
        if (IsButtonEnabled(m_toolbar, id))
            enabled.push_back(id);
    }
    return enabled;
}

std::string EditorPage::FileBytes() const
{
    return testfiles::ReadBytes(HostsPath()).value_or("<missing>");
}
