// Saving with the read-only attribute, discarding, refreshing, the default file, closing.
#include "form/HostsEditorForm.h"

#include "form/Prompts.h"
#include "hosts/DefaultHostsFile.h"
#include "hosts/FileTimeText.h"
#include "hosts/HostsFileAccess.h"
#include "ui/FocusKeeper.h"
#include "win32/ScopeExit.h"

bool CHostsEditorForm::WriteDefaultHostsFile(bool asNewFile)
{
    // A page gone while the question was up writes nothing.
    const auto askReadOnly = [this] { return Agreed([this] { return AskSaveDefaultOverReadOnly(m_hwnd); }); };
    CFileFailure failure;
    const DefaultFileResult result = asNewFile ? CDefaultHostsFile::Create(m_strHostsPath, m_module)
                                               : CDefaultHostsFile::Write(m_strHostsPath, m_module, m_dwFileAttributes,
                                                                          askReadOnly, &failure.keptFile);
    switch (result)
    {
    case DefaultFileResult::Written:
        return true;
    case DefaultFileResult::TemplateEmpty:
        Modal([this] { ReportTemplateEmpty(m_hwnd); });
        return false;
    case DefaultFileResult::WriteFailed:
        Modal([&] { ReportWriteFailure(m_hwnd, failure); });
        return false;
    case DefaultFileResult::ReadOnlyDeclined:
    case DefaultFileResult::Appeared:
        return false;
    }
    return false;
}

bool CHostsEditorForm::Save()
{
    // A save while a load fills the model would write half a file; one asked for while this
    // page's save waits for an answer would ask and write twice.
    if (!m_hwnd || m_bLoading || m_bSaving || m_bInSave)
        return false;
    // After a failed load the model is empty and there is nothing to write: writing it would
    // wipe the file, and a host that saves before closing must still be able to close.
    if (m_bLoadFailed)
        return true;
    // While a long text goes into the text view nothing is pending: the view shows the file.
    if (m_textFill.IsRunning())
        return true;
    m_bInSave = true;
    auto endSave = ScopeExit([this] { m_bInSave = false; });
    // Both ends in full: packed into 16 bits each they would move beyond 65535.
    m_editText.GetSel(m_dwTextSelStart, m_dwTextSelEnd);
    UpdateData(false);
    // Missing only when the system says so: a file another program holds open is there, and
    // its writes are looked at before it is overwritten.
    const bool missing = LookUpFile(m_strHostsPath) == FilePresence::Missing;

    if (IsReadOnlyModified() && !m_nReadOnly && !ApplyReadOnly())
        return false;
    bool writeFailed = false;
    if ((IsContentModified() || missing) && !WriteContent(missing, writeFailed))
        return false;
    // Nothing more is done to a file that did not take its content: the read-only attribute
    // asked for waits for the save that writes it.
    if (!writeFailed && IsReadOnlyModified() && m_nReadOnly && !ApplyReadOnly())
        return false;
    // Not from under a modal window of the page (the host's save from its loop): the focus is
    // that window's.
    if (!m_reentry.InHostCode())
        SetFocus(m_nViewMode == VIEW_TABLE ? m_wndTable.Hwnd() : m_editText.Hwnd());
    m_strLastModified = FormatFileTime(m_strHostsPath);
    UpdateData(true);
    m_editText.SetSel(m_dwTextSelStart, m_dwTextSelEnd);
    if (m_dwTextSelStart == 0 && m_dwTextSelEnd == 0)
        SendMessageW(m_editText.Hwnd(), EM_SCROLLCARET, 0, 0);
    return !m_bSaveFailed;
}

bool CHostsEditorForm::SetHostsAttributes(DWORD attributes)
{
    SetFileAttributesW(m_strHostsPath.c_str(), attributes);
    // Read back: only the file can say whether it took them.
    const DWORD now = ReadFileAttributesOrArchive(m_strHostsPath);
    if ((now & FILE_ATTRIBUTE_READONLY) == (attributes & FILE_ATTRIBUTE_READONLY))
        return true;
    m_nReadOnly = m_nReadOnlyOnDisk = (now & FILE_ATTRIBUTE_READONLY) ? 1 : 0;
    m_dwFileAttributes = now;
    return false;
}

void CHostsEditorForm::ReportAttributesKept()
{
    UpdateData(true);
    UpdateCommandStates();
    Modal([this] { ReportReadOnlyUnchanged(m_hwnd); });
}

bool CHostsEditorForm::ApplyReadOnly()
{
    const DWORD current = ReadFileAttributesOrArchive(m_strHostsPath);
    const DWORD wanted = m_nReadOnly ? current | FILE_ATTRIBUTE_READONLY : current & ~FILE_ATTRIBUTE_READONLY;
    if (!SetHostsAttributes(wanted))
    {
        ReportAttributesKept();
        return false;
    }
    m_dwFileAttributes = wanted;
    m_nReadOnlyOnDisk = m_nReadOnly;
    UpdateCommandStates();
    return true;
}

bool CHostsEditorForm::WriteContent(bool missing, bool& writeFailed)
{
    // Until the file is written, or found changed by another program once the writer holds it:
    // the question then comes again, whatever the stamps say, so that only the user repeats it.
    for (bool changedWhileWriting = false;; changedWhileWriting = true)
    {
        // Another program's change since the load would be lost without a word. Each answer
        // counts only for the page that asked: the host may have closed, hidden or destroyed it
        // while the question was up.
        const CFileStamp& loaded = m_hostsFile.GetStamp();
        const bool compare = (!missing && loaded.exists) || changedWhileWriting;
        const CFileStamp expected = compare ? ReadFileStamp(m_strHostsPath) : CFileStamp();
        if (compare && (expected != loaded || changedWhileWriting) &&
            !Agreed([this] { return AskOverwriteChangedFile(m_hwnd); }))
            return false;
        m_dwFileAttributes = ReadFileAttributesOrArchive(m_strHostsPath);
        if ((m_dwFileAttributes & FILE_ATTRIBUTE_READONLY) && !Agreed([this] { return AskSaveReadOnly(m_hwnd); }))
            return false;
        // A read-only file that stays so cannot be written; the message says why.
        if (!SetHostsAttributes(FILE_ATTRIBUTE_NORMAL))
        {
            ReportAttributesKept();
            return false;
        }
        m_bSaving = true;
        UpdateCommandStates();
        UpdateViews();
        const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        // The page comes back however the write ends.
        auto endSaving = ScopeExit([this, previous] {
            SetCursor(previous);
            m_bSaving = false;
            UpdateViews();
            UpdateCommandStates();
        });
        bool requested = false;
        m_hostsFile.SetExpectedStamp(expected);
        if (m_nViewMode == VIEW_TABLE)
        {
            requested = true;
            m_hostsFile.RequestSaveRecords();
        }
        else if (m_nViewMode == VIEW_TEXT)
        {
            requested = true;
            ReadText();
            m_hostsFile.SetTextToSave(m_pText ? m_pText : std::make_shared<const std::wstring>());
            m_hostsFile.RequestSaveText();
        }
        // Shut only while the writer runs: this thread takes no messages then, so nothing of
        // the host's runs on it and a close can never wait for itself.
        if (requested)
        {
            m_hSaveGate.Reset();
            m_hSaveFinished.Wait();
            m_hSaveGate.Set();
        }
        // A read-only file the user chose to save over is read-only again; a written one keeps
        // the mark backup tools look for.
        if (!m_bSaveFailed)
            m_dwFileAttributes = (m_dwFileAttributes & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_ARCHIVE;
        const bool attributesBack = SetHostsAttributes(m_dwFileAttributes);
        if (!m_bSaveFailed)
            m_bSavedSinceLoad = true;
        // The file's text is what was written now.
        m_bTextCompared = false;
        // The page is itself again before the failure is told: the edits are still unsaved.
        endSaving.Run();
        if (m_bSaveFailed && m_failure.kind == FileFailureKind::Changed)
        {
            m_bSaveFailed = false;
            continue;
        }
        writeFailed = m_bSaveFailed;
        if (m_bSaveFailed)
            return Modal([this] { ReportWriteFailure(m_hwnd, m_failure); });
        if (!attributesBack)
        {
            ReportAttributesKept();
            return false;
        }
        return true;
    }
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

void CHostsEditorForm::Deactivate()
{
    m_reentry.Advance();
    Discard();
    // A host's own loop sends no idle updates: Save and Discard go grey now.
    UpdateCommandStates();
    if (m_pProgressDialog)
        m_pProgressDialog->Hide();
}

void CHostsEditorForm::ShowAgain()
{
    CFocusKeeper::Follow(m_hwnd);
    if (!m_pProgressDialog)
        return;
    if (IsProgressShown())
        m_pProgressDialog->ShowCentered();
    else
        m_pProgressDialog->Hide();
}

void CHostsEditorForm::Refresh()
{
    // A long text still going into the text view is the file as loaded: F5 waits for it.
    if (m_bLoading || m_textFill.IsRunning())
        return;
    if (IsContentModified() || IsReadOnlyModified())
    {
        int answer = IDCANCEL;
        if (!Modal([&] { answer = AskSaveBeforeRefreshing(m_hwnd); }))
            return;
        switch (answer)
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
    if (!Agreed([this] { return AskRevertToDefault(m_hwnd); }))
        return;
    const unsigned generation = m_reentry.Generation();
    if (WriteDefaultHostsFile() && m_reentry.Generation() == generation)
        StartLoad();
}

void CHostsEditorForm::Close()
{
    if (m_settings.m_bSkinResetPending)
        m_settings.ResetSettings();
    // Never shut while this thread could be here: it is shut only while a save writes.
    m_hSaveGate.Wait();
    // What a modal window of the page was about to do is dropped.
    m_reentry.Advance();
    // The load thread may not have asked for its load yet: it must neither start one nor
    // report a failure once the page is closed.
    m_bClosing = true;
    // The running load is given up: nothing it still reports is taken for a later one's.
    ++m_nLoad;
    EndCancelledLoad();
    m_hostsFile.Shutdown();
    m_bModelShutDown = true;
    WaitForLoadThread();
    // The model is empty now: so is what the page shows.
    if (m_hwnd)
    {
        CancelTextFill();
        UpdateViews();
        m_wndTable.Populate(0);
        SetText(nullptr);
        UpdateData(true);
    }
}
