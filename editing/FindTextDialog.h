#pragma once

#include "editing/SearchTargets.h"
#include "ui/Dialog.h"

#include <string>

// The text view's find dialog: a plain, case-sensitive text and a direction. Kept for the
// form's life.
class CFindTextDialog : public CDialog
{
public:
    CFindTextDialog();
    ~CFindTextDialog() override;
    void SetTarget(ITextSearchTarget* target) { m_pTarget = target; }

    int m_nDirection = 1; // 0 up, 1 down
    std::wstring m_strText;

private:
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void DoDataExchange(bool toControls) override;

    void OnTextChanged();
    void OnFindNext();

    ITextSearchTarget* m_pTarget = nullptr;
};
