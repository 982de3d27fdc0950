// Loading: the load thread, the progress it shows and what the model reports.
#include "form/HostsEditorForm.h"

#include "form/Prompts.h"
#include "hosts/FileTimeText.h"
#include "hosts/HostsFileAccess.h"
#include "ui/ExceptionBarrier.h"
#include "win32/ModuleThread.h"

#include <algorithm>

namespace
{
// Above this size the load shows its progress.
const uint64_t kLargeFile = 20480;
} // namespace

void CHostsEditorForm::RefreshFileState()
{
    m_dwFileAttributes = ReadFileAttributesOrArchive(m_strHostsPath);
    m_nReadOnly = m_nReadOnlyOnDisk = (m_dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 1 : 0;
    m_strLastModified = FormatFileTime(m_strHostsPath);
    UpdateData(true);
}

void CHostsEditorForm::StartLoad()
{
    // The model is about to be emptied: nothing started on the records before may go on.
    m_reentry.Advance();
    CancelTextFill();
    const unsigned load = ++m_nLoad;
    // The edit control keeps its selection while hidden; the caret goes back there after the load.
    m_editText.GetSel(m_dwTextSelStart, m_dwTextSelEnd);
    RefreshFileState();
    m_wndTable.Populate(0);
    if (m_pProgressDialog)
        m_pProgressDialog->Reset();
    // Without a path there is nothing to create: the load fails with its read message. A file
    // that cannot be looked at is not missing: the load tells why it cannot be read.
    if (!m_strHostsPath.empty() && LookUpFile(m_strHostsPath) == FilePresence::Missing)
    {
        // A page closed or rebuilt while a message was up starts no load; a hidden one still does.
        Modal([this] { ReportFileNotFound(m_hwnd); });
        if (!IsLoadCurrent(load))
            return;
        // Another program may have put a file there while the message was up: that one loads.
        WriteDefaultHostsFile(true);
        if (!IsLoadCurrent(load))
            return;
        RefreshFileState();
    }
    // The previous load has ended (loads never overlap); its handle can go.
    WaitForLoadThread();
    // Marked here already, so that nothing starts a second load before the thread runs, and
    // the toolbar shows it at once.
    m_bLoading = true;
    m_hLoadThread = StartModuleThread(&LoadThreadProc, this);
    // Without a thread there is no load: nothing to edit, Refresh tries again.
    if (!m_hLoadThread)
    {
        m_bLoading = false;
        m_bLoadFailed = true;
    }
    // The views go grey from this thread: from the load thread each would be a call into
    // this one. The load's end comes as a message, after this.
    UpdateViews();
    UpdateCommandStates();
}

DWORD WINAPI CHostsEditorForm::LoadThreadProc(LPVOID self)
{
    CatchAtBoundary([self] { static_cast<CHostsEditorForm*>(self)->RunLoad(); });
    ExitModuleThread();
    return 0;
}

// The thread asks for the load and waits; what the load brings is shown by the GUI thread, where
// nothing can close the page or empty the model under it.
void CHostsEditorForm::RunLoad()
{
    const unsigned load = m_nLoad;
    const HWND page = m_hwnd;
    m_bSaveFailed = false;
    m_bLoading = true;
    PostIdleUpdate();

    uint64_t size = 0;
    if (!ProbeHostsFile(m_strHostsPath, size))
    {
        // Nothing to read: end as a failed load instead of staying in the loading state.
        m_failure = CFileFailure();
        m_bLoadFailed = true;
        PostMessageW(page, WM_LOAD_ENDED, load, 0);
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

    // Only this load's end can set them from here on: an earlier one's is dropped as it comes.
    // A close since the load began has set the cancel already, or finds this load no longer
    // current: either way the thread ends.
    m_hLoadFinished.Reset();
    m_hLoadCancelled.Reset();
    if (load != m_nLoad || m_bClosing)
        return;
    m_hostsFile.RequestLoad(m_strHostsPath, load);
    // The dialog is up before the request clears the model's cancel flag: a click in between
    // must still count.
    if (m_bCancelClicked)
        m_hostsFile.Cancel();
    const HANDLE ends[] = {m_hLoadFinished.Get(), m_hLoadCancelled.Get()};
    // A cancelled load has been wound up by OnLoadCancelled already.
    if (WaitForMultipleObjects(2, ends, FALSE, INFINITE) != WAIT_OBJECT_0)
        return;
    m_nLoadedSize = size;
    // A page closed meanwhile has wound the load up itself; a destroyed one takes no message.
    PostMessageW(page, WM_LOAD_ENDED, load, 0);
}

bool CHostsEditorForm::IsLoadCurrent(unsigned load) const
{
    return load == m_nLoad && !m_bClosing && m_hwnd;
}

void CHostsEditorForm::OnLoadEnded(unsigned load)
{
    // A load of a page rebuilt since, or one a close has wound up, has nothing left to do.
    if (load != m_nLoad || !m_bLoading)
        return;
    // The load's progress goes first: a long text's fill may show its own.
    if (m_pProgressDialog)
        m_pProgressDialog->Hide();
    // A closed page loads nothing (its reader has ended): the load fails without a word.
    if (m_bClosing || (!m_bLoadFailed && !ShowLoadedFile(m_nLoadedSize)))
        m_bLoadFailed = true;
    m_bSavedSinceLoad = false;
    m_bLoading = false;
    UpdateViews();
    UpdateCommandStates();
    // The page is settled before the failure is told: the host may ask it anything meanwhile.
    if (m_bLoadFailed && !m_bClosing)
        Modal([this] { ReportReadFailure(m_hwnd, m_failure); });
    else if (m_nViewMode == VIEW_TEXT)
        FocusTextView();
}

// Only the focus, with the caret where it was: the dialog manager's way (WM_NEXTDLGCTL) would
// select the whole text, and the next key would replace the file.
void CHostsEditorForm::FocusTextView()
{
    // A fill in progress sets the caret and focus as it ends.
    if (m_nViewMode != VIEW_TEXT || m_bLoading || m_textFill.IsRunning())
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

bool CHostsEditorForm::IsAnswerCurrent() const
{
    return m_hostsFile.LoadNumber() == m_nLoad;
}

void CHostsEditorForm::OnLineCount(int count)
{
    if (m_pProgressDialog && IsAnswerCurrent())
        m_pProgressDialog->SetRange(count);
}

void CHostsEditorForm::OnProgress(int index, const std::wstring& text)
{
    if (m_pProgressDialog && IsAnswerCurrent())
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
        StopTextFill();
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
    // The end of a load this page has given up on (a close) is no later load's end.
    if (!IsAnswerCurrent())
        return;
    if (!ok)
        m_failure = m_hostsFile.GetFailure();
    m_bLoadFailed = !ok;
    m_hLoadFinished.Set();
}

void CHostsEditorForm::OnSaveFinished(bool ok)
{
    if (!ok)
        m_failure = m_hostsFile.GetFailure();
    m_bSaveFailed = !ok;
    m_hSaveFinished.Set();
}

void CHostsEditorForm::OnLoadCancelled()
{
    if (IsAnswerCurrent())
        EndCancelledLoad();
}

void CHostsEditorForm::EndCancelledLoad()
{
    m_bLoading = false;
    m_bLoadFailed = true;
    PostIdleUpdate();
    if (m_pProgressDialog)
        m_pProgressDialog->Hide();
    // Releases the load thread without a read error and without touching the next load's event.
    m_hLoadCancelled.Set();
}
