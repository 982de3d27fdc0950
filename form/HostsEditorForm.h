#pragma once

#include "editing/FindRecordDialog.h"
#include "editing/FindTextDialog.h"
#include "editing/HostsReportControl.h"
#include "editing/HostsTextEdit.h"
#include "editing/TextFill.h"
#include "hosts/HostsFile.h"
#include "hosts/LoadProgressDialog.h"
#include "norvik/EditorHost.h"
#include "settings/EditorSettings.h"
#include "ui/CommandBar.h"
#include "ui/Dialog.h"
#include "ui/DpiFont.h"
#include "ui/KeyPreprocessor.h"
#include "ui/ReentryGuard.h"
#include "ui/ResizeLayout.h"
#include "win32/Event.h"

#include <atomic>
#include <memory>
#include <string>

enum ViewMode
{
    VIEW_TABLE = 0,
    VIEW_TEXT = 1,
};

// The editor: the one window the host embeds, and the hub of its commands, keys and the
// hosts file's notifications.
class CHostsEditorForm : public CDialog,
                         public IHostsFileSink,
                         public ICommandStateSource,
                         public IKeyPreTranslator,
                         public ITableKeyHandler,
                         public ITextKeyHandler,
                         public CHostsReportControl::IClickHandler,
                         public IRecordSearchTarget,
                         public ITextSearchTarget
{
public:
    CHostsEditorForm(HMODULE module, IEditorHost* host, IEditorFocusHandler* focusHandler);
    ~CHostsEditorForm() override;

    // Creates the window in `parent` at the rectangle and starts the first load.
    bool CreateIn(HWND parent, const RECT& rect);

    void StartLoad();
    bool Save();
    void Discard();
    void Refresh();
    void RevertToDefault();
    // The host closes the page: wait for a save, stop loading, end the reader.
    void Close();
    // The host hides the page: unsaved edits go, and so does what a modal window was about to do.
    void Deactivate();
    // The host shows the page again, perhaps in another top-level window: a load's progress
    // comes back with it.
    void ShowAgain();
    // The page's own code runs below the host's (a modal window of the page, or a call into the
    // host): the form must not be deleted now.
    bool InHostCode() const { return m_reentry.InHostCode(); }

    // The toolbar follows the state at once (a host's loop sends no idle updates).
    void UpdateCommandStates();
    bool IsLoading() const { return m_bLoading; }
    bool IsContentModified();
    bool IsReadOnlyModified();
    const CHostsFile& GetHostsFile() const { return m_hostsFile; }
    const CEditorSettings& GetSettings() const { return m_settings; }
    const std::wstring& GetHostsPath() const { return m_strHostsPath; }
    HWND GetToolBar() const { return m_commandBar.Hwnd(); }

    // IHostsFileSink, on the hosts file's threads
    void OnLineCount(int count) override;
    void OnProgress(int index, const std::wstring& text) override;
    void OnLoadFinished(bool ok) override;
    void OnSaveFinished(bool ok) override;
    void OnLoadCancelled() override;

    // ICommandStateSource
    void OnDpiChanged();
    void BeginStateQueries() override;
    void QueryCommandState(UINT id, CCommandState& state) override;

    // Keys of the page, before the host's loop dispatches them.
    bool PreTranslateMessage(MSG& message) override;

    // ITableKeyHandler
    void OnAddRecord(const MSG& message) override;
    void OnDeleteRecords(const MSG& message) override;
    void OnEditRecord(const MSG& message) override;
    void OnFindNext(const MSG& message) override;
    void OnFind(const MSG& message) override;
    void OnSelectAll(const MSG& message) override;
    void OnCtrlInsert(const MSG& message) override;
    void OnShiftInsert(const MSG& message) override;
    void OnCopy(const MSG& message) override;
    void OnPaste(const MSG& message) override;
    void OnToggleEnabled(const MSG& message) override;

    // ITextKeyHandler
    void OnFind() override;
    void OnFindNext() override;

    // IRecordSearchTarget, ITextSearchTarget
    int FindRecord(int start, int direction, const std::wstring& address, const std::wstring& host,
                   const std::wstring& comment) override;
    int GetFocusedIndex() override;
    void FindText(int direction, const std::wstring& text) override;

    // Clicks in the table
    void OnTableClick(int row) override;
    void OnTableDblClick(int row) override;

protected:
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void DoDataExchange(bool toControls) override;
    // Enter and Escape never end the embedded page.
    void OnOK() override {}
    void OnCancel() override {}
    void OnDestroy() override;

private:
    // Posted by the load thread when the model has answered; wParam is the load's number.
    static constexpr UINT WM_LOAD_ENDED = WM_APP + 1;
    // The next piece of a long text for the text view; wParam is the fill's number.
    static constexpr UINT WM_TEXT_FILL = WM_APP + 2;
    static constexpr UINT_PTR kTextFillTimer = 1;

    // The page shows the progress of a load or of a long text going into the text view.
    bool IsProgressShown() const { return (m_bLoading && m_bProgressShown) || m_bFillProgress; }
    static DWORD WINAPI LoadThreadProc(LPVOID self);
    void RunLoad();
    void OnLoadEnded(unsigned load);
    // Load `load` is still the page's own: not closed, destroyed or followed by another since.
    bool IsLoadCurrent(unsigned load) const;
    // On the reader's thread: the load it reports on is the page's latest.
    bool IsAnswerCurrent() const;
    // The load's own closing work after a cancel or a close.
    void EndCancelledLoad();
    void CreateProgressDialog();
    void RefreshFileState();
    // The views and the read-only box take input only when the page's phase allows it; every
    // flow calls this once its phase changed.
    void UpdateViews();
    void RunCommand(UINT id);
    void OnViewAsTable();
    void OnViewAsText();
    // The form leaves its view for `mode`: false when it stays (already there, or the user
    // kept unsaved changes).
    bool SwitchView(int mode);
    // The view of `mode` shows, the other hides.
    void ShowView(int mode);
    bool ConfirmPendingChanges();
    void PostIdleUpdate();
    void RepopulateTable();
    // Over the file, or as a new file only where no file has the name (false, silently, when
    // one has).
    bool WriteDefaultHostsFile(bool asNewFile = false);
    // Save's steps: the content, and the read-only attribute as the check box asks. False when
    // the save must stop (a No, a page gone, an attribute the file kept); `writeFailed` tells
    // a write that failed and was reported.
    bool WriteContent(bool missing, bool& writeFailed);
    bool ApplyReadOnly();
    // Gives the hosts file `attributes`; false when its read-only bit stays otherwise, and the
    // check box then shows the file as it is.
    bool SetHostsAttributes(DWORD attributes);
    void ReportAttributesKept();
    void WaitForLoadThread();
    void FocusTextView();
    bool ShowLoadedFile(uint64_t size);
    void FitModificationLine();
    bool NavigateTab(bool backward);
    HWND TabOutForward();
    HWND TabOutBackward();
    void OnTextChanged();
    // The text view's text into m_pText, when it was changed there since it was last read.
    void ReadText();
    // The text view's text; shared with the model until the view changes it. Shown at the next
    // exchange to the controls.
    void SetText(std::shared_ptr<const std::wstring> text);
    const std::wstring& Text() const;
    // Puts the text into the view: at once when short, else in pieces between messages, with
    // the table standing in until the last piece.
    void ShowText();
    void ScheduleTextFill();
    void OnTextFillStep(unsigned fill);
    void StopTextFill();
    // The fill stops and the table shows; the text waits for the next switch to the text view.
    void CancelTextFill();
    HWND DialogOwner() const;
    // A modal dialog of the form's own; the focus goes back to the view afterwards. True when it
    // ended with OK and the page is still the one that showed it.
    bool RunModal(CDialog& dialog);
    // Shows a modal window (a message box, a dialog); false when the host's code closed, hid,
    // reloaded or destroyed the page meanwhile, and then the flow must stop.
    template <class Show>
    bool Modal(Show&& show)
    {
        CReentryGuard guard(m_reentry);
        show();
        return guard.End();
    }
    // Yes to a question, from the page that asked it.
    template <class Ask>
    bool Agreed(Ask&& ask)
    {
        bool yes = false;
        return Modal([&] { yes = ask(); }) && yes;
    }
    // A call into the host's objects, which may call the exports in turn.
    template <class Call>
    void CallHost(Call&& call)
    {
        Modal(call);
    }
    void ShowFindDialog();
    // The page holds a loaded file nothing else works on: no load, save or long text's fill.
    bool IsSettled() const;
    int SearchTable();
    void SearchText();
    void AddRecord();
    void DeleteRecords();
    void EditRecord();
    // The selected entries onto the clipboard as hosts lines; the entries of its text appended.
    void CopyEntries();
    void PasteEntries();
    void OnAbout();
    void OnSelectSkin();
    void OnResetSkin();
    void UpdateSkin();

    HMODULE m_module;
    CEditorSettings m_settings;
    CEvent m_hLoadFinished{EventReset::Automatic};
    CEvent m_hLoadCancelled{EventReset::Automatic};
    CEvent m_hSaveFinished{EventReset::Automatic};
    // Shut while a save runs; a closing page waits until it is open.
    CEvent m_hSaveGate{EventReset::Manual, true};
    std::atomic<bool> m_bProgressShown{false};
    std::atomic<bool> m_bLoadFailed{false};
    std::atomic<bool> m_bSaveFailed{false};
    std::atomic<bool> m_bLoading{false};
    std::atomic<bool> m_bSaving{false};
    // Cancel was clicked for the running load (possibly before the reader got the request).
    std::atomic<bool> m_bCancelClicked{false};
    // The form is going away: the load thread shows no more messages.
    std::atomic<bool> m_bClosing{false};
    // The model's workers have been told to end (Close or the page's destruction).
    bool m_bModelShutDown = false;
    // The form itself is going (a new Init, or the module's unload).
    bool m_bTearingDown = false;
    // A save runs, its questions included: a second one (the host's, from a question's loop)
    // is refused.
    bool m_bInSave = false;
    CReentryCounter m_reentry;
    // The number of the latest load, and the size its thread found.
    std::atomic<unsigned> m_nLoad{0};
    std::atomic<uint64_t> m_nLoadedSize{0};
    int m_nReadOnly = 0;
    int m_nReadOnlyOnDisk = 0;
    bool m_bSavedSinceLoad = false;
    std::shared_ptr<const std::wstring> m_pText; // null: empty
    std::wstring m_strHostsPath;
    std::wstring m_strLastModified;
    CHostsFile m_hostsFile;
    // Why the last load or save failed, taken from the model as it reported.
    CFileFailure m_failure;
    int m_nViewMode = VIEW_TABLE;
    DWORD m_dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE;
    DWORD m_dwTextSelStart = 0;
    DWORD m_dwTextSelEnd = 0;
    // The text view's text: changed by typing and not read yet; changed here and not shown yet;
    // compared with the file's text since either changed, and the result.
    std::atomic<bool> m_bTextUnread{false};
    std::atomic<bool> m_bTextToShow{false};
    std::atomic<bool> m_bTextCompared{false};
    std::atomic<bool> m_bTextModified{false};
    // Content or attribute differs from the file, as the last round of state queries found.
    bool m_bChangesPending = false;
    CHostsTextEdit m_editText;
    CTextFill m_textFill;
    // The number of the latest fill; a piece asked for by an earlier one is dropped.
    unsigned m_nFill = 0;
    bool m_bFillProgress = false;
    // Search: the dialogs live as long as the form, and so do the last patterns.
    CFindRecordDialog m_findRecordDialog;
    CFindTextDialog m_findTextDialog;
    bool m_bRecordSearchSet = false;
    std::wstring m_strFindAddress;
    std::wstring m_strFindHost;
    std::wstring m_strFindComment;
    int m_nSearchStart = -1;
    int m_nSearchDirection = 1;
    bool m_bTextSearchSet = false;
    std::wstring m_strFindText;
    bool m_bTextSearchDown = true;
    CHostsReportControl m_wndTable;
    CCommandBar m_commandBar;
    CResizeLayout m_layout;
    // The DPI the page's layout and controls' font are at.
    UINT m_nDpi = USER_DEFAULT_SCREEN_DPI;
    CDpiFont m_pageFont;
    std::unique_ptr<CLoadProgressDialog> m_pProgressDialog;
    CKernelHandle m_hLoadThread;
    IEditorHost* m_pHost;
    IEditorFocusHandler* m_pFocusHandler;
};
