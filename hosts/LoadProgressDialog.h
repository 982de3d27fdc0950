#pragma once

#include "ui/Dialog.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

class CTextProgressCtrl;

// The "Please wait..." dialog of a large load. Worker threads drive it without waiting for the
// GUI thread (a blocking send from the reader would deadlock against a GUI thread that waits
// for it): range, position and text are stored and one notice is posted until the dialog has
// taken them (and no more often than every 20 ms), so a fast reader never floods the GUI
// thread's queue with stale updates.
class CLoadProgressDialog : public CDialog
{
public:
    CLoadProgressDialog(HWND notifyWindow, std::wstring caption);
    ~CLoadProgressDialog() override;

    bool Create(HMODULE module);
    void SetNotifyWindow(HWND notifyWindow) { m_notifyWindow = notifyWindow; }

    void Reset();
    void SetRange(int count);
    void SetPos(int index);
    void SetText(const std::wstring& text);
    void ShowCentered();
    void Hide();

    std::wstring GetProgressText() const;

protected:
    bool OnInitDialog() override;
    bool TakesFocusAtStart() const override { return false; }
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnOK() override {}
    void OnCancel() override {}

private:
    HWND m_notifyWindow;
    HWND m_progressBar = nullptr;
    HWND m_textEdit = nullptr;
    HWND m_captionStatic = nullptr;
    std::wstring m_strCaption;
    mutable std::mutex m_textLock;
    std::wstring m_strProgressText;
    std::atomic<int> m_nRange{0};
    std::atomic<int> m_nPos{0};
    std::atomic<bool> m_bPosted{false};
    std::atomic<ULONGLONG> m_nLastNotice{0};
    std::unique_ptr<CTextProgressCtrl> m_progress;

    // Posts one notice for all that is stored, unless one is waiting; `now` skips the pause.
    void Notify(bool now);
};
