#pragma once

#include "ui/BalloonTip.h"
#include "ui/Dialog.h"
#include "ui/ResizeLayout.h"

#include <string>

// One hosts entry typed or changed by the user: address, host name, comment. The host name
// refuses "#" as it is typed; OK needs an address and a host name.
class CRecordDialog : public CDialog
{
public:
    // Add record: "127.0.0.1", empty host and comment.
    CRecordDialog();
    // Edit record: the entry's values.
    CRecordDialog(const std::wstring& address, const std::wstring& host, const std::wstring& comment);
    ~CRecordDialog() override;

    // Read by the caller after IDOK.
    std::wstring m_strAddress;
    std::wstring m_strHost;
    std::wstring m_strComment;

protected:
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void DoDataExchange(bool toControls) override;
    void OnOK() override;
    void OnCancel() override;
    void OnDestroy() override;

private:
    void OnHostChanged();
    void OnCommentChanged();
    void OnAddressFieldChanged();
    void UpdateOkButton() const;
    bool IsAddressBlank() const;
    void SetAddressText(const std::wstring& address) const;
    void SetUpLayout();
    void ShowInvalidCharacterTip(const std::wstring& character);
    void HideTip();

    CWindow m_editHost;
    CBalloonTip m_wndTip;
    CWindow m_btnOK;
    CWindow m_ctrlAddress;
    std::wstring m_strCaption;
    CResizeLayout m_layout;
    // The window's size when it opened: the least width, and the only height.
    SIZE m_initialSize = {};
    // Changes made while the dialog sets itself up are not the user's.
    bool m_initialised = false;
};
