#pragma once

#include "editing/SearchTargets.h"
#include "ui/Dialog.h"

#include <string>

// The table's find dialog: up to three wildcard patterns and a direction. Kept for the form's
// life, so what was typed is there again at the next opening.
class CFindRecordDialog : public CDialog
{
public:
    CFindRecordDialog();
    ~CFindRecordDialog() override;
    void SetTarget(IRecordSearchTarget* target) { m_pTarget = target; }

    std::wstring m_strAddress;
    std::wstring m_strHost;
    std::wstring m_strComment;
    int m_nDirection = 1; // 0 up, 1 down

private:
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void DoDataExchange(bool toControls) override;
    void OnCancel() override;

    void OnCriteriaChanged();
    void OnFindNext();

    IRecordSearchTarget* m_pTarget = nullptr;
    int m_nLastFound = -1;
};
