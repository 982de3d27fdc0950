#pragma once

#include "editing/FindDialogBase.h"
#include "editing/SearchTargets.h"

#include <string>

// The text view's find dialog: a plain, case-sensitive text and a direction. Kept for the
// form's life.
class CFindTextDialog : public CFindDialogBase
{
public:
    CFindTextDialog();
    ~CFindTextDialog() override;
    void SetTarget(ITextSearchTarget* target) { m_pTarget = target; }

    std::wstring m_strText;

private:
    void DoDataExchange(bool toControls) override;
    bool IsCriterion(WORD id) const override;
    bool HasCriteria() const override;
    void OnFindNext() override;

    ITextSearchTarget* m_pTarget = nullptr;
};
