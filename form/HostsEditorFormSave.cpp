// Saving with the read-only attribute, discarding, refreshing, the default file, closing.
#include "form/HostsEditorForm.h"

#include "form/Prompts.h"
#include "hosts/DefaultHostsFile.h"
#include "hosts/FileTimeText.h"
#include "hosts/HostsFileAccess.h"
#include "paths/PathResolver.h"
#include "win32/ScopeExit.h"

bool CHostsEditorForm::WriteDefaultHostsFile()
{
    switch (CDefaultHostsFile::Write(m_strHostsPath, m_module, m_dwFileAttributes,
                                     [this] { return AskSaveDefaultOverReadOnly(m_hwnd); }))
    {
    case DefaultFileResult::Written:
        return true;
    case DefaultFileResult::TemplateEmpty:
        ReportTemplateEmpty(m_hwnd);
        return false;
    case DefaultFileResult::WriteFailed:
        ReportWriteFailure(m_hwnd, CFileFailure());
        return false;
    case DefaultFileResult::ReadOnlyDeclined:
        return false;
    }
    return false;
}

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
    m_hSaveGate.Reset();
    // Open again however the save ends: a closing page waits for it.
    auto openGate = ScopeExit([this] { m_hSaveGate.Set(); });
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
        if (!missing && loaded.exists && ReadFileStamp(m_strHostsPath) != loaded && !AskOverwriteChangedFile(m_hwnd))
            return false;
        m_dwFileAttributes = ReadFileAttributesOrArchive(m_strHostsPath);
        if ((m_dwFileAttributes & FILE_ATTRIBUTE_READONLY) && !AskSaveReadOnly(m_hwnd))
            return false;
        m_bSaving = true;
        UpdateCommandStates();
        EnableViews(false);
        const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        // The page comes back however the write ends.
        auto endSaving = ScopeExit([this, previous] {
            SetCursor(previous);
            EnableViews(true);
            m_bSaving = false;
            UpdateCommandStates();
        });
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
            m_hSaveFinished.Wait();
        SetFileAttributesW(m_strHostsPath.c_str(), m_dwFileAttributes);
        if (m_bSaveFailed)
            ReportWriteFailure(m_hwnd, m_failure);
        else
            m_bSavedSinceLoad = true;
        // The file's text is what was written now.
        m_bTextCompared = false;
        endSaving.Run();
    }
    if (IsReadOnlyModified() && m_nReadOnly)
    {
        m_dwFileAttributes = ReadFileAttributesOrArchive(m_strHostsPath) | FILE_ATTRIBUTE_READONLY;
        SetFileAttributesW(m_strHostsPath.c_str(), m_dwFileAttributes);
        m_nReadOnlyOnDisk = m_nReadOnly;
        UpdateCommandStates();
    }
    openGate.Run();
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
        switch (AskSaveBeforeRefreshing(m_hwnd))
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
    if (!AskRevertToDefault(m_hwnd))
        return;
    if (WriteDefaultHostsFile())
        StartLoad();
}

void CHostsEditorForm::Close()
{
    if (m_settings.m_bSkinResetPending)
        m_settings.ResetSettings();
    m_hSaveGate.Wait();
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
