// Creation, layout, data exchange, command routing and the views.
#include "form/HostsEditorForm.h"

#include "about/HostsEditorAbout.h"
#include "form/Prompts.h"
#include "hosts/HostsFilePath.h"
#include "paths/PathResolver.h"
#include "resources/resource.h"
#include "resources/Texts.h"
#include "settings/SkinFileDialog.h"
#include "ui/Dpi.h"
#include "ui/FocusKeeper.h"
#include "win32/ModuleThread.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace
{
// WM_DPICHANGED_AFTERPARENT (Windows 10 1703 on), past the headers' Windows 7 target.
const UINT kDpiChangedAfterParent = 0x02E3;
const wchar_t kSettingsFileName[] = L"norvikcfg.bin";

const std::vector<CommandButton>& ToolbarButtons()
{
    static const std::vector<CommandButton> buttons = {
        {ID_REFRESH, texts::kRefresh, 15013, 15014, false},
        {ID_SAVE_CHANGES, texts::kSaveChanges, 15028, 15029, true},
        {ID_DISCARD_CHANGES, texts::kDiscardChanges, 15021, 15022, false},
        {ID_ADD_RECORD, texts::kAddRecord, 15015, 15016, true},
        {ID_DELETE_RECORD, texts::kDeleteRecordCommand, 15019, 15020, false},
        {ID_EDIT_RECORD, texts::kEditRecord, 15024, 15025, false},
        {ID_VIEW_AS_TABLE, texts::kViewAsTable, 15032, 15033, true},
        {ID_VIEW_AS_TEXT, texts::kViewAsText, 15026, 15027, false},
        {ID_SEARCH, texts::kSearch, 15030, 15031, true},
        {ID_REVERT_TO_DEFAULT, texts::kRevertToDefaultCommand, 15017, 15018, true},
        {ID_RESET_SKIN, texts::kResetSkin, 15035, 15036, true},
        {ID_SELECT_SKIN, texts::kSelectSkin, 15037, 15038, false},
        {ID_ABOUT, texts::kAbout, 15034, 15034, true},
    };
    return buttons;
}
} // namespace

CHostsEditorForm::CHostsEditorForm(HMODULE module, IEditorHost* host, IEditorFocusHandler* focusHandler)
    : CDialog(IDD_HOSTS_EDITOR), m_module(module), m_pHost(host), m_pFocusHandler(focusHandler)
{
    m_wndTable.SetKeyHandler(this);
    m_wndTable.SetClickHandler(this);
    m_editText.SetKeyHandler(this);
    m_findRecordDialog.SetTarget(this);
    m_findTextDialog.SetTarget(this);
    // The host promises a trailing backslash; nothing is added if it forgets. Without a folder
    // the settings live in memory only, never in whatever the working folder is.
    const std::wstring folder = m_pHost ? m_pHost->GetSettingsFolder() : std::wstring();
    if (!folder.empty())
        m_settings.m_strSettingsFile = folder + kSettingsFileName;
    m_settings.ReadSettings();
    if (m_settings.m_bSkinEnabled)
        UpdateSkin();

    CPathResolver resolver;
    resolver.Initialize(CPathResolver::GetDefaultUserName());
    m_strHostsPath = resolver.NormalizePath(GetHostsFilePath());

    m_hostsFile.SetSink(this);
    CreateProgressDialog();
}

void CHostsEditorForm::CreateProgressDialog()
{
    m_pProgressDialog = std::make_unique<CLoadProgressDialog>(nullptr, texts::kProgressCaption);
    if (!m_pProgressDialog->Create(m_module))
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
    // A rebuilt page starts as a new one does: in the table view, with nothing of the old
    // page's text.
    m_nViewMode = VIEW_TABLE;
    SetText(nullptr);
    m_bTextToShow = false;
    m_bTextUnread = false;
    m_bSavedSinceLoad = false;
    // The progress dialog went with the top-level window that owned it.
    if (!m_pProgressDialog || !m_pProgressDialog->Hwnd())
        CreateProgressDialog();
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
    if (!m_commandBar.Create(m_hwnd, m_module, texts::kToolbarTitle, ToolbarButtons(), this))
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
    m_nDpi = WindowDpi(m_hwnd);
    m_pageFont.Attach(m_hwnd, m_nDpi);
    CKeyPreprocessor::Register(m_hwnd, this);
    CFocusKeeper::Register(m_hwnd);
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
    const int width =
        std::max<int>(label.TextWidth(CWindow::GetText(label.Hwnd())) + 2, labelRect.right - labelRect.left);
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
            ShowText();
            m_bTextToShow = false;
            m_bTextUnread = false;
        }
        SendMessageW(readOnly, BM_SETCHECK, m_nReadOnly ? BST_CHECKED : BST_UNCHECKED, 0);
        SetWindowTextW(lastModified, m_strLastModified.c_str());
    }
    else
    {
        // The text is read only where it is needed (ReadText): a copy per keystroke would cost
        // more than the typing.
        m_nReadOnly = SendMessageW(readOnly, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        m_strLastModified = CWindow::GetText(lastModified);
    }
}

void CHostsEditorForm::BeginStateQueries()
{
    // Save and Discard both ask; a comparison of a large file is paid once.
    m_bChangesPending = IsContentModified() || IsReadOnlyModified();
}

void CHostsEditorForm::QueryCommandState(UINT id, CCommandState& state)
{
    if ((m_bLoading || m_bSaving || m_textFill.IsRunning()) && id != ID_ABOUT)
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
        state.enabled = usable && m_bChangesPending;
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
    if (id == ID_CANCEL_LOAD && m_textFill.IsRunning())
    {
        CancelTextFill();
        return true;
    }
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
        if (!IsExchangingData() && !m_textFill.IsRunning())
            OnTextChanged();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

void CHostsEditorForm::OnAbout()
{
    if (!m_pHost)
        return;
    std::map<std::wstring, std::wstring> modules;
    std::wstring version;
    CallHost([&] {
        modules = m_pHost->GetModuleVersions();
        version = m_pHost->GetVersionText();
    });
    CHostsEditorAbout about(version, modules);
    RunModal(about);
}

void CHostsEditorForm::UpdateSkin()
{
    if (m_pHost)
        CallHost([this] { m_pHost->ApplySkin(m_settings.m_bSkinEnabled ? m_settings.m_strSkinFile : std::wstring()); });
}

void CHostsEditorForm::OnSelectSkin()
{
    std::wstring path;
    bool chosen = false;
    if (!Modal([&] { chosen = ChooseSkinFile(m_hwnd, path); }) || !chosen)
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
    if (Modal([this] { TellSkinResetAfterRestart(m_hwnd); }))
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

// A per-monitor-aware host moved the page to a screen of another DPI: the controls' font and
// places, the icons, the bar's height and the table's fixed columns follow it.
void CHostsEditorForm::OnDpiChanged()
{
    const UINT dpi = WindowDpi(m_hwnd);
    m_pageFont.Follow(m_hwnd, dpi);
    m_layout.Rescale(static_cast<int>(dpi), static_cast<int>(m_nDpi));
    m_nDpi = dpi;
    m_commandBar.OnDpiChanged();
    const int barHeight = m_commandBar.Layout();
    m_layout.SetTop(m_editText.Hwnd(), barHeight);
    m_layout.SetTop(m_wndTable.Hwnd(), barHeight);
    m_layout.Apply();
    m_wndTable.SizeFixedColumns();
}

bool CHostsEditorForm::OnNotify(NMHDR* header, LRESULT& result)
{
    if (m_commandBar.OnNotify(header))
        return true;
    return m_wndTable.OnNotify(header, result);
}

bool CHostsEditorForm::OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, LRESULT& result)
{
    if (message == WM_SIZE)
    {
        m_commandBar.Layout();
        m_layout.Apply();
        result = 0;
        return true;
    }
    if (message == kDpiChangedAfterParent)
    {
        OnDpiChanged();
        result = 0;
        return true;
    }
    if (message == WM_TEXT_FILL || (message == WM_TIMER && wParam == kTextFillTimer))
    {
        if (message == WM_TIMER)
            KillTimer(m_hwnd, kTextFillTimer);
        OnTextFillStep(message == WM_TIMER ? m_nFill : static_cast<unsigned>(wParam));
        result = 0;
        return true;
    }
    if (message == WM_LOAD_ENDED)
    {
        OnLoadEnded(static_cast<unsigned>(wParam));
        result = 0;
        return true;
    }
    return false;
}

void CHostsEditorForm::OnDestroy()
{
    CKeyPreprocessor::Unregister(m_hwnd);
    CFocusKeeper::Unregister(m_hwnd);
    // A modal window still up belongs to a page that is gone.
    m_reentry.Advance();
    StopTextFill();
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

HWND CHostsEditorForm::DialogOwner() const
{
    return GetAncestor(m_hwnd, GA_ROOT);
}

bool CHostsEditorForm::RunModal(CDialog& dialog)
{
    INT_PTR result = IDCANCEL;
    if (!Modal([&] { result = dialog.DoModal(m_module, DialogOwner()); }))
        return false;
    // The host's window gets the activation back, not necessarily the view the user was in.
    SetFocus(m_nViewMode == VIEW_TABLE ? m_wndTable.Hwnd() : m_editText.Hwnd());
    return result == IDOK;
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

bool CHostsEditorForm::IsContentModified()
{
    if (!IsSettled())
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
            // A length that differs tells without a copy of the text; only an equal one is read.
            if (m_bTextUnread && static_cast<size_t>(GetWindowTextLengthW(m_editText.Hwnd())) != file->size())
            {
                m_bTextModified = true;
            }
            else
            {
                ReadText();
                m_bTextModified = m_pText != file && Text() != *file;
            }
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
    int answer = IDCANCEL;
    if (!Modal([&] { answer = AskSaveBeforeSwitching(m_hwnd); }))
        return false;
    switch (answer)
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

void CHostsEditorForm::RepopulateTable()
{
    m_wndTable.Populate(m_hostsFile.GetEntryCount());
}

bool CHostsEditorForm::IsSettled() const
{
    return m_hwnd && !m_bLoading && !m_bSaving && !m_bLoadFailed && !m_textFill.IsRunning();
}

void CHostsEditorForm::UpdateViews()
{
    if (!m_hwnd)
        return;
    // Edits go into the model only while it holds a loaded file and nothing else works on it:
    // not during a load, a save or a long text's fill, and never into a closed page's model.
    const bool enable = !m_bModelShutDown && IsSettled();
    EnableWindow(m_wndTable.Hwnd(), enable);
    EnableWindow(m_editText.Hwnd(), enable);
    EnableWindow(Item(IDC_READ_ONLY), enable);
}
