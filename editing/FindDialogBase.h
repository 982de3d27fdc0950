#pragma once

#include "ui/Dialog.h"

// What the find dialogs share: the Up/Down direction, and Find next, which Enter runs too
// while it is enabled; Enter never closes the dialog. Find next is enabled while there is
// something to look for.
class CFindDialogBase : public CDialog
{
public:
    int m_nDirection = 1; // 0 up, 1 down

protected:
    explicit CFindDialogBase(UINT templateId) : CDialog(templateId) {}

    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

    // Data exchange of the direction buttons.
    void ExchangeDirection(bool toControls);
    // After the user changed what to look for.
    void OnCriteriaChanged();

    // The edits that hold what to look for.
    virtual bool IsCriterion(WORD id) const = 0;
    // Whether the fields, as last read from the controls, give something to look for.
    virtual bool HasCriteria() const = 0;
    virtual void OnFindNext() = 0;
};
