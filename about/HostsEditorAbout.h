#pragma once

#include "ui/Dialog.h"
#include "ui/GdiObject.h"

#include <map>
#include <string>

// The About box: the host's version text and module list, the maker's links.
class CHostsEditorAbout : public CDialog
{
public:
    CHostsEditorAbout(const std::wstring& versionText, const std::map<std::wstring, std::wstring>& moduleVersions);
    ~CHostsEditorAbout() override;

protected:
    bool OnInitDialog() override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    void DoDataExchange(bool toControls) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void ShowPicture();
    void FillModuleList() const;
    void SetLinkTargets() const;
    void TakeBackPicture();

    std::wstring m_strVersion;
    std::map<std::wstring, std::wstring> m_moduleVersions;
    CBitmap m_picture;
};
