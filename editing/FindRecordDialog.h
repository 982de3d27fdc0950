#pragma once

#include "editing/FindDialogBase.h"
#include "editing/SearchTargets.h"

#include <string>

// The table's find dialog: up to three wildcard patterns and a direction. Kept for the form's
// life, so what was typed is there again at the next opening.
class CFindRecordDialog : public CFindDialogBase
{
public:
    CFindRecordDialog();
    ~CFindRecordDialog() override;
    void SetTarget(IRecordSearchTarget* target) { m_pTarget = target; }

    std::wstring m_strAddress;
    std::wstring m_strHost;
    std::wstring m_strComment;

private:
    bool OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void DoDataExchange(bool toControls) override;
    void OnCancel() override;
    bool IsCriterion(WORD id) const override;
    bool HasCriteria() const override;
    void OnFindNext() override;

    IRecordSearchTarget* m_pTarget = nullptr;
    int m_nLastFound = -1;
};
