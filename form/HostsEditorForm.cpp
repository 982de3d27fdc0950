#include "form/HostsEditorForm.h"

#include "about/HostsEditorAbout.h"
#include "editing/EntrySearch.h"
#include "editing/RecordDialog.h"
#include "form/FailureText.h"
#include "hosts/DefaultHostsFile.h"
#include "hosts/FileTimeText.h"
#include "hosts/HostsFileAccess.h"
#include "hosts/HostsFilePath.h"
#include "form/TabNavigation.h"
#include "paths/PathResolver.h"
#include "settings/SkinFileDialog.h"
#include "resources/resource.h"
#include "ui/ExceptionBarrier.h"
#include "ui/MessageBox.h"
#include "ui/ModuleThread.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace
{
const wchar_t kSettingsFileName[] = L"norvikcfg.bin";
const wchar_t kError[] = L"Error";
const wchar_t kConfirmation[] = L"Confirmation";
const wchar_t kConfirmationBlank[] = L"Confirmation ";
const uint64_t kLargeFile = 20480;
// Posted by the load thread: the text view takes the focus once the load is through.
const UINT WM_FOCUS_TEXT_VIEW = WM_APP + 1;

const std::vector<CommandButton>& ToolbarButtons()
{
    static const std::vector<CommandButton> buttons = {
        {ID_REFRESH, L"Refresh", 15013, 15014, false},
        {ID_SAVE_CHANGES, L"Save changes", 15028, 15029, true},
        {ID_DISCARD_CHANGES, L"Discard changes", 15021, 15022, false},
        {ID_ADD_RECORD, L"Add record", 15015, 15016, true},
        {ID_DELETE_RECORD, L"Delete record", 15019, 15020, false},
        {ID_EDIT_RECORD, L"Edit record", 15024, 15025, false},
        {ID_VIEW_AS_TABLE, L"View as table", 15032, 15033, true},
        {ID_VIEW_AS_TEXT, L"View as text", 15026, 15027, false},
        {ID_SEARCH, L"Search", 15030, 15031, true},
        {ID_REVERT_TO_DEFAULT, L"Revert to default hosts file", 15017, 15018, true},
        {ID_RESET_SKIN, L"Enable/disable skin", 15035, 15036, true},
        {ID_SELECT_SKIN, L"Select skin", 15037, 15038, false},
        {ID_ABOUT, L"About", 15034, 15034, true},
    };
    return buttons;
}

CKernelHandle NewEvent(bool manualReset, bool initiallySet)
{
    return CKernelHandle(CreateEventW(nullptr, manualReset, initiallySet, nullptr));
}
} // namespace

CHostsEditorForm::CHostsEditorForm(HMODULE module, IEditorHost* host, IEditorFocusHandler* focusHandler)
    : CDialog(IDD_HOSTS_EDITOR)
    , m_module(module)
    , m_hLoadFinished(NewEvent(false, false))
    , m_hLoadCancelled(NewEvent(false, false))
    , m_hSaveFinished(NewEvent(false, false))
    , m_hSaveGate(NewEvent(true, true))
    , m_pHost(host)
    , m_pFocusHandler(focusHandler)
{
    m_wndTable.SetKeyHandler(this);
    m_wndTable.SetClickHandler(this);
    m_editText.SetKeyHandler(this);
    m_findRecordDialog.SetTarget(this);
    m_findTextDialog.SetTarget(this);
    // The host promises a trailing backslash; nothing is added if it forgets.
    if (m_pHost)
        m_settings.m_strSettingsFile = m_pHost->GetSettingsFolder() + kSettingsFileName;
    m_settings.ReadSettings();
    if (m_settings.m_bSkinEnabled)
        UpdateSkin();

    CPathResolver resolver;
    resolver.Initialize(CPathResolver::GetDefaultUserName());
    m_strHostsPath = resolver.NormalizePath(GetHostsFilePath());

    m_hostsFile.SetSink(this);
    m_pProgressDialog = std::make_unique<CLoadProgressDialog>(nullptr, L"Hosts file loading progress...");
    if (!m_pProgressDialog->Create(module))
        m_pProgressDialog.reset();
}

CHostsEditorForm::~CHostsEditorForm()
{
    m_bTearingDown = true;
    m_bClosing = true;
    // The window goes first: its destruction stops the hosts file's threads.
    Destroy();
    m_hostsFile.Shutdown();
    WaitForLoadThread();
    m_pProgressDialog.reset();
}

bool CHostsEditorForm::CreateIn(HWND parent, const RECT& rect)
{
    // The host destroyed the last page, which ended the workers: this page gets new ones,
    // once the old page's load thread has finished with them.
    if (m_bModelShutDown)
    {
        WaitForLoadThread();
        m_hostsFile.Restart();
        m_bModelShutDown = false;
        m_bClosing = false;
    }
    if (!Create(m_module, parent))
        return false;
    MoveWindow(m_hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    m_commandBar.Layout();
    ShowWindow(m_hwnd, SW_SHOW);
    if (m_pProgressDialog)
        m_pProgressDialog->SetNotifyWindow(m_hwnd);
    StartLoad();
    return true;
}

bool CHostsEditorForm::OnInitDialog()
{
    if (!m_commandBar.Create(m_hwnd, m_module, L"Host editor", ToolbarButtons(), this))
        return false;
    const int barHeight = m_commandBar.Layout();

    m_editText.Attach(Item(IDC_HOSTS_TEXT));
    // The views start below the bar, whatever height the icons give it.
    RECT viewRect = CWindow(m_editText.Hwnd()).RectInParent();
    if (viewRect.top < barHeight)
        viewRect.top = barHeight;
    MoveWindow(m_editText.Hwnd(), viewRect.left, viewRect.top, viewRect.right - viewRect.left,
               viewRect.bottom - viewRect.top, FALSE);
    ShowWindow(m_editText.Hwnd(), SW_HIDE);
    if (!m_wndTable.Create(m_hwnd, IDC_HOSTS_TABLE, viewRect, m_editText.Hwnd(), &m_hostsFile))
        return false;

    FitModificationLine();
    m_layout.Attach(m_hwnd);
    m_layout.Add(m_editText.Hwnd(), {0, 0, 1, 1});
    m_layout.Add(m_wndTable.Hwnd(), {0, 0, 1, 1});
    m_layout.Add(Item(IDC_READ_ONLY), {0, 1, 0, 1});
    m_layout.Add(Item(IDC_LAST_MODIFIED_LABEL), {1, 1, 1, 1});
    m_layout.Add(Item(IDC_LAST_MODIFIED), {1, 1, 1, 1});
    CKeyPreprocessor::Register(m_hwnd, this);
    return true;
}

// The template's widths fit the font it was drawn with; in another the label would wrap and
// lose "modification:". Both keep their right edges, the label ends where the time begins.
void CHostsEditorForm::FitModificationLine()
{
    const CWindow value(Item(IDC_LAST_MODIFIED));
    const CWindow label(Item(IDC_LAST_MODIFIED_LABEL));
    // The widest time the line shows, and the blank the template puts before it.
    value.WidenLeftward(value.TextWidth(L" 00.00.0000 00:00:00") + 2);
    const RECT valueRect = value.RectInParent();
    const RECT labelRect = label.RectInParent();
    const int width = std::max<int>(label.TextWidth(CWindow::GetText(label.Hwnd())) + 2, labelRect.right - labelRect.left);
    SetWindowPos(label.Hwnd(), nullptr, valueRect.left - width, labelRect.top, width, labelRect.bottom - labelRect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CHostsEditorForm::DoDataExchange(bool toControls)
{
    const HWND readOnly = Item(IDC_READ_ONLY);
    const HWND lastModified = Item(IDC_LAST_MODIFIED);
    if (toControls)
    {
        // The text goes out only when it changed here and the text view is in use: it may
        // be megabytes, which an edit control takes seconds to lay out.
        if (m_bTextToShow && m_nViewMode == VIEW_TEXT)
        {
            m_editText.SetText(Text());
            m_bTextToShow = false;
            m_bTextUnread = false;
        }
        SendMessageW(readOnly, BM_SETCHECK, m_nReadOnly ? BST_CHECKED : BST_UNCHECKED, 0);
        SetWindowTextW(lastModified, m_strLastModified.c_str());
    }
    else
    {
        if (m_bTextUnread)
        {
            m_pText = std::make_shared<const std::wstring>(m_editText.GetText());
            m_bTextUnread = false;
            m_bTextCompared = false;
        }
        m_nReadOnly = SendMessageW(readOnly, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        m_strLastModified = CWindow::GetText(lastModified);
    }
}

void CHostsEditorForm::QueryCommandState(UINT id, CCommandState& state)
{
    if ((m_bLoading || m_bSaving) && id != ID_ABOUT)
    {
        state.enabled = false;
        return;
    }
    const bool usable = !m_bLoadFailed;
    const bool table = m_nViewMode == VIEW_TABLE;
    switch (id)
    {
    case ID_ADD_RECORD:
        state.enabled = usable && table;
        break;
    case ID_DELETE_RECORD:
    case ID_EDIT_RECORD:
        state.enabled = usable && m_hostsFile.GetEntryCount() > 0 && table;
        break;
    case ID_VIEW_AS_TABLE:
        state.enabled = usable;
        state.checked = table;
        break;
    case ID_VIEW_AS_TEXT:
        state.enabled = usable;
        state.checked = m_nViewMode == VIEW_TEXT;
        break;
    case ID_SAVE_CHANGES:
    case ID_DISCARD_CHANGES:
        state.enabled = usable && (IsContentModified() || IsReadOnlyModified());
        break;
    case ID_REVERT_TO_DEFAULT:
    case ID_SEARCH:
        state.enabled = usable;
        break;
    case ID_RESET_SKIN:
        state.enabled = !m_settings.m_bSkinResetPending && !m_settings.m_strSkinFile.empty();
        break;
    case ID_SELECT_SKIN:
        state.enabled = !m_settings.m_bSkinResetPending;
        break;
    default:
        break;
    }
}

bool CHostsEditorForm::OnCommand(WORD id, WORD code, HWND control)
{
    if (id == ID_CANCEL_LOAD)
    {
        m_bCancelClicked = true;
        m_hostsFile.Cancel();
        return true;
    }
    if (control && control == m_commandBar.Hwnd())
    {
        RunCommand(id);
        UpdateCommandStates();
        return true;
    }
    if (id == IDC_READ_ONLY && code == BN_CLICKED)
    {
        UpdateCommandStates();
        return true;
    }
    if (id == IDC_HOSTS_TEXT && code == EN_CHANGE)
    {
        if (!IsExchangingData())
            OnTextChanged();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

void CHostsEditorForm::OnTextChanged()
{
    m_bTextUnread = true;
    m_editText.GrowLimit(static_cast<size_t>(GetWindowTextLengthW(m_editText.Hwnd())));
    if (!m_bLoading)
        UpdateCommandStates();
}

const std::wstring& CHostsEditorForm::Text() const
{
    static const std::wstring empty;
    return m_pText ? *m_pText : empty;
}

void CHostsEditorForm::SetText(std::shared_ptr<const std::wstring> text)
{
    m_pText = std::move(text);
    m_bTextToShow = true;
    m_bTextCompared = false;
}

void CHostsEditorForm::OnAbout()
{
    if (!m_pHost)
        return;
    const std::map<std::wstring, std::wstring> modules = m_pHost->GetModuleVersions();
    const std::wstring version = m_pHost->GetVersionText();
    CHostsEditorAbout about(version, modules);
    RunModal(about);
}

void CHostsEditorForm::UpdateSkin()
{
    if (m_pHost)
        m_pHost->ApplySkin(m_settings.m_bSkinEnabled ? m_settings.m_strSkinFile : std::wstring());
}

void CHostsEditorForm::OnSelectSkin()
{
    std::wstring path;
    if (!ChooseSkinFile(m_hwnd, path))
        return;
    // Compared as spelled: another letter case is another choice.
    if (path == m_settings.m_strSkinFile)
        return;
    m_settings.m_bSkinEnabled = true;
    m_settings.m_strSkinFile = path;
    m_settings.WriteSettings();
    UpdateSkin();
}

void CHostsEditorForm::OnResetSkin()
{
    Message(L"Skin will be reset to default after application restart", L"Information", MB_OK | MB_ICONINFORMATION);
    m_settings.m_bSkinResetPending = true;
}

void CHostsEditorForm::RunCommand(UINT id)
{
    switch (id)
    {
    case ID_REFRESH:
        Refresh();
        break;
    case ID_SAVE_CHANGES:
        Save();
        break;
    case ID_DISCARD_CHANGES:
        Discard();
        break;
    case ID_VIEW_AS_TABLE:
        OnViewAsTable();
        break;
    case ID_VIEW_AS_TEXT:
        OnViewAsText();
        break;
    case ID_REVERT_TO_DEFAULT:
        RevertToDefault();
        break;
    case ID_ABOUT:
        OnAbout();
        break;
    case ID_ADD_RECORD:
        AddRecord();
        break;
    case ID_DELETE_RECORD:
        DeleteRecords();
        break;
    case ID_EDIT_RECORD:
        EditRecord();
        break;
    case ID_SEARCH:
        ShowFindDialog();
        break;
    case ID_SELECT_SKIN:
        OnSelectSkin();
        break;
    case ID_RESET_SKIN:
        OnResetSkin();
        break;
    default:
        break;
    }
}

bool CHostsEditorForm::OnNotify(NMHDR* header, LRESULT& result)
{
    if (m_commandBar.OnNotify(header))
        return true;
    return m_wndTable.OnNotify(header, result);
}

bool CHostsEditorForm::OnMessage(UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& result)
{
    if (message == WM_SIZE)
    {
        m_commandBar.Layout();
        m_layout.Apply();
        result = 0;
        return true;
    }
    if (message == WM_FOCUS_TEXT_VIEW)
    {
        FocusTextView();
        result = 0;
        return true;
    }
    return false;
}

void CHostsEditorForm::OnDestroy()
{
    CKeyPreprocessor::Unregister(m_hwnd);
    // The host destroyed the page before closing it, and may have freed the module already:
    // then the last worker to end would unload the module under this thread, or tear the form
    // down from a worker under the loader lock. Once that can happen the module stays loaded.
    if (!m_bTearingDown && !m_bModelShutDown)
        PinModule();
    // A load still running ends silently: there is no page left to report to.
    m_bClosing = true;
    m_hostsFile.Shutdown();
    m_bModelShutDown = true;
}

// --- keys ---

bool CHostsEditorForm::PreTranslateMessage(MSG& message)
{
    // The focused view sees its keys first.
    if (message.hwnd == m_wndTable.Hwnd() && m_wndTable.PreTranslateMessage(message))
        return true;
    if (message.hwnd == m_editText.Hwnd() && m_editText.PreTranslateMessage(message))
        return true;
    if (message.message == WM_KEYDOWN)
    {
        const bool control = GetKeyState(VK_CONTROL) < 0;
        switch (message.wParam)
        {
        case 'F':
            if (!control)
                break;
            OnFind();
            return true;
        case VK_F3:
            OnFindNext();
            return true;
        case VK_F5:
            Refresh();
            UpdateCommandStates();
            return true;
        case 'S':
            if (!control)
                break;
            Save();
            return true;
        case VK_TAB:
            return NavigateTab(GetKeyState(VK_SHIFT) < 0);
        default:
            break;
        }
    }
    // The dialog's own handling: arrow keys between controls, Enter and Escape (which do
    // nothing here); the multi-line text view keeps the keys it wants.
    return IsDialogMessageW(m_hwnd, &message) != FALSE;
}

void CHostsEditorForm::OnFind()
{
    if (m_bLoading || m_bSaving)
        return;
    ShowFindDialog();
}

void CHostsEditorForm::ShowFindDialog()
{
    if (m_nViewMode == VIEW_TABLE)
        RunModal(m_findRecordDialog);
    else if (m_nViewMode == VIEW_TEXT)
        RunModal(m_findTextDialog);
}

// F3: the view's last search once more, from the focused row or the caret.
void CHostsEditorForm::OnFindNext()
{
    if (m_bLoading || m_bSaving)
        return;
    if (m_nViewMode == VIEW_TABLE)
    {
        if (!m_bRecordSearchSet)
            return ShowFindDialog();
        m_nSearchStart = -1;
        SearchTable();
    }
    else if (m_nViewMode == VIEW_TEXT)
    {
        if (!m_bTextSearchSet)
            return ShowFindDialog();
        SearchText();
    }
}

int CHostsEditorForm::FindRecord(int start, int direction, const std::wstring& address, const std::wstring& host,
                                 const std::wstring& comment)
{
    m_nSearchStart = start;
    m_nSearchDirection = direction;
    m_bRecordSearchSet = true;
    m_strFindAddress = address;
    m_strFindHost = host;
    m_strFindComment = comment;
    return SearchTable();
}

int CHostsEditorForm::GetFocusedIndex()
{
    return m_wndTable.GetFocusedRow();
}

int CHostsEditorForm::SearchTable()
{
    if (m_nSearchStart == -1)
    {
        const int focused = m_wndTable.GetFocusedRow();
        if (focused >= 0)
            m_nSearchStart = m_nSearchDirection == 1 ? focused + 1 : focused - 1;
    }
    const int found = FindEntry(m_hostsFile, m_nSearchStart, m_nSearchDirection, m_strFindAddress, m_strFindHost,
                                m_strFindComment);
    if (found < 0)
        Message(L"Record not found", L"Information", MB_OK | MB_ICONINFORMATION);
    else
        m_wndTable.SetFocusedRow(found, false);
    return found;
}

void CHostsEditorForm::FindText(int direction, const std::wstring& text)
{
    m_bTextSearchSet = true;
    m_strFindText = text;
    m_bTextSearchDown = direction == 1;
    SearchText();
}

// Plain and case-sensitive, one character on from the selection's start, without wrapping.
void CHostsEditorForm::SearchText()
{
    DWORD selectionStart = 0;
    DWORD selectionEnd = 0;
    m_editText.GetSel(selectionStart, selectionEnd);
    const long long start = m_bTextSearchDown ? static_cast<long long>(selectionStart) + 1
                                              : static_cast<long long>(selectionStart) - 1;
    UpdateData(false);
    size_t found = std::wstring::npos;
    if (m_bTextSearchDown)
    {
        if (static_cast<unsigned long long>(start) <= Text().size())
            found = Text().find(m_strFindText, static_cast<size_t>(start));
    }
    else if (start + 1 > 0)
    {
        // The last occurrence lying wholly within the first start + 1 characters.
        const size_t room = std::min(static_cast<size_t>(start + 1), Text().size());
        if (m_strFindText.size() <= room)
            found = Text().rfind(m_strFindText, room - m_strFindText.size());
    }
    if (found == std::wstring::npos)
    {
        Message(L"Record not found", L"Information", MB_OK | MB_ICONINFORMATION);
        return;
    }
    m_editText.SetSel(static_cast<DWORD>(found), static_cast<DWORD>(found + m_strFindText.size()));
    SendMessageW(m_editText.Hwnd(), EM_SCROLLCARET, 0, 0);
}

void CHostsEditorForm::OnFind(const MSG& /*message*/)
{
    OnFind();
}

void CHostsEditorForm::OnFindNext(const MSG& /*message*/)
{
    OnFindNext();
}

void CHostsEditorForm::OnAddRecord(const MSG& /*message*/)
{
    AddRecord();
}

void CHostsEditorForm::OnDeleteRecords(const MSG& /*message*/)
{
    DeleteRecords();
}

void CHostsEditorForm::OnEditRecord(const MSG& /*message*/)
{
    EditRecord();
}

// Each selected entry flips on its own; the selection and the focused row stay.
void CHostsEditorForm::OnToggleEnabled(const MSG& /*message*/)
{
    const int focused = std::max(m_wndTable.GetFocusedRow(), 0);
    const std::vector<int> rows = m_wndTable.GetSelectedRows();
    for (int row : rows)
    {
        if (CHostsRecord* entry = m_hostsFile.GetEntry(row))
            entry->m_bDisabled = entry->m_bDisabled ? 0 : 1;
    }
    UpdateCommandStates();
    for (int row : rows)
    {
        if (row >= m_wndTable.GetRowCount())
            continue;
        m_wndTable.SelectRow(row, true);
        if (row == focused)
            m_wndTable.SetFocusedRow(row, true);
        m_wndTable.RedrawRow(row);
    }
}

void CHostsEditorForm::OnTableClick(int row)
{
    CHostsRecord* entry = m_hostsFile.GetEntry(row);
    if (!entry)
        return;
    entry->m_bDisabled = entry->m_bDisabled ? 0 : 1;
    m_wndTable.SetFocusedRow(row, false);
    m_wndTable.RedrawRow(row);
    UpdateCommandStates();
}

void CHostsEditorForm::OnTableDblClick(int /*row*/)
{
    EditRecord();
}

HWND CHostsEditorForm::DialogOwner() const
{
    return GetAncestor(m_hwnd, GA_ROOT);
}

INT_PTR CHostsEditorForm::RunModal(CDialog& dialog)
{
    const INT_PTR result = dialog.DoModal(m_module, DialogOwner());
    // The host's window gets the activation back, not necessarily the view the user was in.
    SetFocus(m_nViewMode == VIEW_TABLE ? m_wndTable.Hwnd() : m_editText.Hwnd());
    return result;
}

void CHostsEditorForm::AddRecord()
{
    CRecordDialog dialog;
    if (RunModal(dialog) == IDOK)
    {
        m_hostsFile.AddEntry(CHostsRecord(dialog.m_strAddress, dialog.m_strHost, dialog.m_strComment, false));
        RepopulateTable();
        // New entries always go last.
        m_wndTable.SetFocusedRow(m_wndTable.GetRowCount() - 1, false);
    }
    UpdateCommandStates();
}

void CHostsEditorForm::EditRecord()
{
    const std::vector<int> selected = m_wndTable.GetSelectedRows();
    if (selected.empty())
        return;
    // A multiple selection comes down to its first row, whatever the dialog's answer.
    m_wndTable.SetFocusedRow(selected.front(), false);
    const int row = m_wndTable.GetFocusedRow();
    CHostsRecord* entry = row >= 0 ? m_hostsFile.GetEntry(row) : nullptr;
    if (!entry)
        return;
    CRecordDialog dialog(entry->m_strAddress, entry->m_strHost, entry->m_strComment);
    if (RunModal(dialog) != IDOK)
        return;
    // In place: the entry keeps its line, its sequence and whether it is disabled.
    entry->m_strAddress = dialog.m_strAddress;
    entry->m_strHost = dialog.m_strHost;
    entry->m_strComment = dialog.m_strComment;
    m_wndTable.SetFocusedRow(row, false);
    m_wndTable.RedrawRow(row);
    UpdateCommandStates();
}

void CHostsEditorForm::DeleteRecords()
{
    const std::vector<int> selected = m_wndTable.GetSelectedRows();
    if (selected.empty())
        return;
    const int first = selected.front();
    std::wstring question = L"Are you sure you want to delete selected record?";
    if (selected.size() > 1)
        question = L"Are you sure you want to delete " + std::to_wstring(selected.size()) + L" selected records?";
    if (Message(question.c_str(), kConfirmationBlank, MB_YESNO | MB_ICONQUESTION) == IDNO)
    {
        m_wndTable.ClearSelection();
        return;
    }
    // From the highest index down, so that each removal leaves the others' indices alone.
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        m_hostsFile.RemoveEntry(*it);
    RepopulateTable();
    if (m_wndTable.GetRowCount() > 0)
        m_wndTable.SetFocusedRow(std::min(std::max(first - 1, 0), m_wndTable.GetRowCount() - 1), false);
    UpdateCommandStates();
}

bool CHostsEditorForm::NavigateTab(bool backward)
{
    HWND focus = GetFocus();
    if (!focus)
        return true;
    HWND container = GetParent(focus);
    for (;;)
    {
        const bool atEdge = focus == (backward ? CTabNavigation::FirstEnabledTabStop(container)
                                               : CTabNavigation::LastEnabledTabStop(container));
        const HWND next = atEdge ? (backward ? TabOutBackward() : TabOutForward())
                                 : GetNextDlgTabItem(m_hwnd, focus, backward);
        if (!next)
            return true;
        if (IsWindowEnabled(next))
        {
            SetFocus(next);
            return true;
        }
        focus = next;
        container = m_hwnd;
    }
}

HWND CHostsEditorForm::TabOutForward()
{
    if (!m_pFocusHandler)
        return CTabNavigation::FirstEnabledTabStop(m_hwnd);
    HWND window = m_hwnd;
    for (int level = 0; level < 4 && window; ++level)
        window = GetParent(window);
    if (window)
        return window;
    // A host whose page sits higher up: go on to its next control after the page.
    const HWND root = GetAncestor(m_hwnd, GA_ROOT);
    const HWND last = CTabNavigation::LastEnabledTabStop(m_hwnd);
    const HWND next = root && last ? GetNextDlgTabItem(root, last, FALSE) : nullptr;
    return next && !IsChild(m_hwnd, next) ? next : nullptr;
}

HWND CHostsEditorForm::TabOutBackward()
{
    if (!m_pFocusHandler)
        return CTabNavigation::LastEnabledTabStop(m_hwnd);
    m_pFocusHandler->FocusPrevious();
    return nullptr;
}

void CHostsEditorForm::UpdateCommandStates()
{
    m_commandBar.UpdateStates();
}

void CHostsEditorForm::PostIdleUpdate()
{
    if (m_commandBar.Hwnd())
        PostMessageW(m_commandBar.Hwnd(), WM_IDLEUPDATECMDUI, 0, 0);
}

int CHostsEditorForm::Message(const wchar_t* text, const wchar_t* caption, UINT flags)
{
    return ShowMessageBox(m_hwnd, text, caption, flags);
}

// --- change detection and views ---

bool CHostsEditorForm::IsContentModified()
{
    if (m_bLoadFailed || m_bLoading || m_bSaving || !m_hwnd)
        return false;
    UpdateData(false);
    if (m_nViewMode == VIEW_TABLE)
        return m_hostsFile.IsModified();
    if (m_nViewMode == VIEW_TEXT)
    {
        // Compared again only after the text or the file's text changed, not on every idle pass.
        if (!m_bTextCompared)
        {
            const std::shared_ptr<const std::wstring> file = m_hostsFile.GetSharedText();
            m_bTextModified = m_pText != file && Text() != *file;
            m_bTextCompared = true;
        }
        return m_bTextModified;
    }
    return false;
}

bool CHostsEditorForm::IsReadOnlyModified()
{
    if (!m_hwnd)
        return false;
    UpdateData(false);
    return m_nReadOnly != m_nReadOnlyOnDisk;
}

bool CHostsEditorForm::ConfirmPendingChanges()
{
    const bool content = IsContentModified();
    const bool readOnly = IsReadOnlyModified();
    if (!content && !readOnly)
        return true;
    switch (Message(L"Hosts file (and/or its \"read-only\" attribute) was changed. Save changes before switching?",
                    kConfirmationBlank, MB_YESNOCANCEL | MB_ICONQUESTION))
    {
    case IDYES:
        return Save();
    case IDNO:
        Discard();
        return true;
    default:
        return false;
    }
}

void CHostsEditorForm::OnViewAsText()
{
    if (m_nViewMode == VIEW_TEXT || !ConfirmPendingChanges())
        return;
    if (m_bSavedSinceLoad)
        StartLoad();
    m_nViewMode = VIEW_TEXT;
    // The text goes out now unless a load is about to bring it; the controls are read
    // first, so that only the text goes out new.
    if (!m_bLoading)
    {
        UpdateData(false);
        UpdateData(true);
    }
    ShowWindow(m_wndTable.Hwnd(), SW_HIDE);
    ShowWindow(m_editText.Hwnd(), SW_SHOW);
    SetFocus(m_editText.Hwnd());
}

void CHostsEditorForm::OnViewAsTable()
{
    if (m_nViewMode == VIEW_TABLE || !ConfirmPendingChanges())
        return;
    if (m_bSavedSinceLoad)
        StartLoad();
    m_nViewMode = VIEW_TABLE;
    ShowWindow(m_wndTable.Hwnd(), SW_SHOW);
    ShowWindow(m_editText.Hwnd(), SW_HIDE);
}

void CHostsEditorForm::RepopulateTable()
{
    m_wndTable.Populate(m_hostsFile.GetEntryCount());
}

void CHostsEditorForm::EnableViews(bool enable)
{
    EnableWindow(m_wndTable.Hwnd(), enable);
    EnableWindow(m_editText.Hwnd(), enable);
    EnableWindow(Item(IDC_READ_ONLY), enable);
}

// --- load ---

void CHostsEditorForm::RefreshFileState()
{
    m_dwFileAttributes = ReadFileAttributesOrArchive(m_strHostsPath);
    m_nReadOnly = m_nReadOnlyOnDisk = (m_dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 1 : 0;
    m_strLastModified = FormatFileTime(m_strHostsPath);
    UpdateData(true);
}

bool CHostsEditorForm::WriteDefaultHostsFile()
{
    switch (CDefaultHostsFile::Write(m_strHostsPath, m_module, m_dwFileAttributes, [this] {
        return Message(L"File is \"read-only\". Ignore and save?", kConfirmationBlank,
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
    }))
    {
    case DefaultFileResult::Written:
        return true;
    case DefaultFileResult::TemplateEmpty:
        Message(L"Default hosts file template is empty! ", kError, MB_OK | MB_ICONERROR);
        return false;
    case DefaultFileResult::WriteFailed:
        Message(L"Can't write to hosts file! Probably, file is exclusively blocked by other application.", kError,
                MB_OK | MB_ICONERROR);
        return false;
    case DefaultFileResult::ReadOnlyDeclined:
        return false;
    }
    return false;
}

void CHostsEditorForm::StartLoad()
{
    // The edit control keeps its selection while hidden; the caret goes back there after the load.
    m_editText.GetSel(m_dwTextSelStart, m_dwTextSelEnd);
    RefreshFileState();
    m_wndTable.Populate(0);
    if (m_pProgressDialog)
        m_pProgressDialog->Reset();
    // Without a path there is nothing to create: the load fails with its read message.
    if (!m_strHostsPath.empty() && GetFileAttributesW(m_strHostsPath.c_str()) == INVALID_FILE_ATTRIBUTES)
    {
        Message(L"\"Hosts\" file is not found. It will be created with default content.", kError,
                MB_OK | MB_ICONERROR);
        WriteDefaultHostsFile();
    }
    // The previous load has ended (loads never overlap); its handle can go.
    WaitForLoadThread();
    // Marked here already, so that nothing starts a second load before the thread runs, and
    // the toolbar shows it at once.
    m_bLoading = true;
    m_hLoadThread = StartModuleThread(&LoadThreadProc, this);
    if (!m_hLoadThread)
        m_bLoading = false;
    UpdateCommandStates();
}

DWORD WINAPI CHostsEditorForm::LoadThreadProc(LPVOID self)
{
    CatchAtBoundary([self] { static_cast<CHostsEditorForm*>(self)->RunLoad(); });
    ExitModuleThread();
    return 0;
}

void CHostsEditorForm::RunLoad()
{
    m_bSaveFailed = false;
    m_bLoading = true;
    PostIdleUpdate();
    EnableViews(false);

    uint64_t size = 0;
    if (!ProbeHostsFile(m_strHostsPath, size))
    {
        // Nothing to read: end as a failed load instead of staying in the loading state.
        m_bLoadFailed = true;
        if (!m_bClosing)
            Message(L"Can't read hosts file! Probably, file is exclusively blocked by other application. ", kError,
                    MB_OK | MB_ICONERROR);
        m_bLoading = false;
        PostIdleUpdate();
        return;
    }
    m_bCancelClicked = false;
    m_bProgressShown = size > kLargeFile;
    if (m_pProgressDialog)
    {
        if (m_bProgressShown)
            m_pProgressDialog->ShowCentered();
        else
            m_pProgressDialog->Hide();
    }

    ResetEvent(m_hLoadCancelled.Get());
    m_hostsFile.RequestLoad(m_strHostsPath);
    // The dialog is up before the request clears the model's cancel flag: a click in between
    // must still count.
    if (m_bCancelClicked)
        m_hostsFile.Cancel();
    const HANDLE ends[] = {m_hLoadFinished.Get(), m_hLoadCancelled.Get()};
    // A cancelled load has been wound up by OnLoadCancelled already.
    if (WaitForMultipleObjects(2, ends, FALSE, INFINITE) != WAIT_OBJECT_0)
        return;
    // Closed meanwhile (possibly before this thread even asked): end as failed, silently.
    if (m_bClosing)
    {
        if (m_pProgressDialog)
            m_pProgressDialog->Hide();
        m_bLoadFailed = true;
        m_bLoading = false;
        PostIdleUpdate();
        return;
    }

    if (!m_bLoadFailed && !ShowLoadedFile(size))
        m_bLoadFailed = true;
    if (m_bLoadFailed)
    {
        if (m_pProgressDialog)
            m_pProgressDialog->Hide();
        Message(LoadFailureText(m_failure).c_str(), kError, MB_OK | MB_ICONERROR);
    }
    else
    {
        if (m_pProgressDialog)
            m_pProgressDialog->Hide();
        EnableViews(true);
    }
    m_bSavedSinceLoad = false;
    m_bLoading = false;
    PostIdleUpdate();
    if (m_nViewMode == VIEW_TEXT)
        PostMessageW(m_hwnd, WM_FOCUS_TEXT_VIEW, 0, 0);
}

// Only the focus, with the caret where it was: the dialog manager's way (WM_NEXTDLGCTL) would
// select the whole text, and the next key would replace the file.
void CHostsEditorForm::FocusTextView()
{
    if (m_nViewMode != VIEW_TEXT || m_bLoading)
        return;
    SetFocus(m_editText.Hwnd());
    const DWORD length = static_cast<DWORD>(GetWindowTextLengthW(m_editText.Hwnd()));
    m_editText.SetSel(std::min(m_dwTextSelStart, length), std::min(m_dwTextSelEnd, length));
    SendMessageW(m_editText.Hwnd(), EM_SCROLLCARET, 0, 0);
}

void CHostsEditorForm::WaitForLoadThread()
{
    if (!m_hLoadThread)
        return;
    // The load thread may be sending to this thread's windows: keep answering those sends.
    const HANDLE thread = m_hLoadThread.Get();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1)
    {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    m_hLoadThread.Reset();
}

// --- sink ---

void CHostsEditorForm::OnLineCount(int count)
{
    if (m_pProgressDialog)
        m_pProgressDialog->SetRange(count);
}

void CHostsEditorForm::OnProgress(int index, const std::wstring& text)
{
    if (m_pProgressDialog)
    {
        m_pProgressDialog->SetText(text);
        m_pProgressDialog->SetPos(index);
    }
}

// Both views get the loaded file; false, with the model emptied, when memory runs out.
bool CHostsEditorForm::ShowLoadedFile(uint64_t size)
{
    try
    {
        RepopulateTable();
        SetText(m_hostsFile.GetSharedText());
        UpdateData(true);
        return true;
    }
    catch (const std::bad_alloc&)
    {
        // The table lets go of the entries before they go.
        m_wndTable.Populate(0);
        m_pText.reset();
        m_hostsFile.Clear();
        m_failure = CFileFailure();
        m_failure.kind = FileFailureKind::OutOfMemory;
        m_failure.bytes = size;
        return false;
    }
}

void CHostsEditorForm::OnLoadFinished(bool ok)
{
    if (!ok)
        m_failure = m_hostsFile.GetFailure();
    m_bLoadFailed = !ok;
    SetEvent(m_hLoadFinished.Get());
}

void CHostsEditorForm::OnSaveFinished(bool ok)
{
    if (!ok)
        m_failure = m_hostsFile.GetFailure();
    m_bSaveFailed = !ok;
    SetEvent(m_hSaveFinished.Get());
}

void CHostsEditorForm::OnLoadCancelled()
{
    m_bLoading = false;
    m_bLoadFailed = true;
    PostIdleUpdate();
    if (m_pProgressDialog)
        m_pProgressDialog->Hide();
    // Releases the load thread without a read error and without touching the next load's event.
    SetEvent(m_hLoadCancelled.Get());
}

// --- save, discard, refresh, revert, close ---

bool CHostsEditorForm::Save()
{
    // A save while a load fills the model would write half a file.
    if (!m_hwnd || m_bLoading || m_bSaving)
        return false;
    // After a failed load the model is empty and there is nothing to write: writing it would
    // wipe the file, and a host that saves before closing must still be able to close.
    if (m_bLoadFailed)
        return true;
    // Both ends in full: packed into 16 bits each they would move beyond 65535.
    m_editText.GetSel(m_dwTextSelStart, m_dwTextSelEnd);
    ResetEvent(m_hSaveGate.Get());
    UpdateData(false);
    const bool missing = !CPathResolver::FileExists(m_strHostsPath);

    if (IsReadOnlyModified() && !m_nReadOnly)
    {
        m_dwFileAttributes = ReadFileAttributesOrArchive(m_strHostsPath) & ~FILE_ATTRIBUTE_READONLY;
        SetFileAttributesW(m_strHostsPath.c_str(), m_dwFileAttributes);
        m_nReadOnlyOnDisk = m_nReadOnly;
        UpdateCommandStates();
    }
    if (IsContentModified() || missing)
    {
        // Another program's change since the load would be lost without a word.
        const CFileStamp& loaded = m_hostsFile.GetStamp();
        if (!missing && loaded.exists && ReadFileStamp(m_strHostsPath) != loaded &&
            Message(L"Hosts file was changed by another program after it was loaded. Overwrite it with your changes?",
                    kConfirmation, MB_YESNO | MB_ICONQUESTION) != IDYES)
        {
            SetEvent(m_hSaveGate.Get());
            return false;
        }
        m_dwFileAttributes = ReadFileAttributesOrArchive(m_strHostsPath);
        if ((m_dwFileAttributes & FILE_ATTRIBUTE_READONLY) &&
            Message(L"Hosts file is \"read-only\". Ignore and save?", kConfirmation, MB_YESNO | MB_ICONQUESTION) !=
                IDYES)
        {
            SetEvent(m_hSaveGate.Get());
            return false;
        }
        m_bSaving = true;
        UpdateCommandStates();
        EnableViews(false);
        const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        SetFileAttributesW(m_strHostsPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        bool requested = false;
        if (m_nViewMode == VIEW_TABLE)
        {
            requested = true;
            m_hostsFile.RequestSaveRecords();
        }
        else if (m_nViewMode == VIEW_TEXT)
        {
            requested = true;
            UpdateData(false);
            m_hostsFile.SetTextToSave(m_pText ? m_pText : std::make_shared<const std::wstring>());
            m_hostsFile.RequestSaveText();
        }
        if (requested)
            WaitForSingleObject(m_hSaveFinished.Get(), INFINITE);
        SetFileAttributesW(m_strHostsPath.c_str(), m_dwFileAttributes);
        if (m_bSaveFailed)
            Message(SaveFailureText(m_failure).c_str(), kError, MB_OK | MB_ICONERROR);
        else
            m_bSavedSinceLoad = true;
        // The file's text is what was written now.
        m_bTextCompared = false;
        SetCursor(previous);
        EnableViews(true);
        m_bSaving = false;
        UpdateCommandStates();
    }
    if (IsReadOnlyModified() && m_nReadOnly)
    {
        m_dwFileAttributes = ReadFileAttributesOrArchive(m_strHostsPath) | FILE_ATTRIBUTE_READONLY;
        SetFileAttributesW(m_strHostsPath.c_str(), m_dwFileAttributes);
        m_nReadOnlyOnDisk = m_nReadOnly;
        UpdateCommandStates();
    }
    SetEvent(m_hSaveGate.Get());
    SetFocus(m_nViewMode == VIEW_TABLE ? m_wndTable.Hwnd() : m_editText.Hwnd());
    m_strLastModified = FormatFileTime(m_strHostsPath);
    UpdateData(true);
    m_editText.SetSel(m_dwTextSelStart, m_dwTextSelEnd);
    if (m_dwTextSelStart == 0 && m_dwTextSelEnd == 0)
        SendMessageW(m_editText.Hwnd(), EM_SCROLLCARET, 0, 0);
    return !m_bSaveFailed;
}

void CHostsEditorForm::Discard()
{
    if (!m_hwnd)
        return;
    if (IsContentModified())
    {
        m_hostsFile.RevertEntries();
        RepopulateTable();
        SetText(m_hostsFile.GetSharedText());
        UpdateData(true);
    }
    if (IsReadOnlyModified())
    {
        m_nReadOnly = m_nReadOnlyOnDisk;
        UpdateData(true);
    }
}

void CHostsEditorForm::Refresh()
{
    if (m_bLoading)
        return;
    if (IsContentModified() || IsReadOnlyModified())
    {
        switch (Message(L"Hosts file (and/or its \"read-only\" attribute) was changed. Save changes, before "
                        L"refreshing data?",
                        kConfirmation, MB_YESNOCANCEL | MB_ICONQUESTION))
        {
        case IDYES:
            // A refused or failed save keeps the edits: reloading now would lose them.
            if (!Save())
                return;
            break;
        case IDNO:
            Discard();
            break;
        default:
            return;
        }
    }
    StartLoad();
}

void CHostsEditorForm::RevertToDefault()
{
    if (Message(L"Do you want to change current hosts file to default hosts file (current file will be deleted)?",
                kConfirmation, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (WriteDefaultHostsFile())
        StartLoad();
}

void CHostsEditorForm::Close()
{
    if (m_settings.m_bSkinResetPending)
        m_settings.ResetSettings();
    WaitForSingleObject(m_hSaveGate.Get(), INFINITE);
    // The load thread may not have asked for its load yet: it must neither start one nor
    // report a failure once the page is closed.
    m_bClosing = true;
    OnLoadCancelled();
    m_hostsFile.Shutdown();
    m_bModelShutDown = true;
    WaitForLoadThread();
    // The model is empty now: so is what the page shows.
    if (m_hwnd)
    {
        m_wndTable.Populate(0);
        SetText(nullptr);
        UpdateData(true);
    }
}
