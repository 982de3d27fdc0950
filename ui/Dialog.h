#pragma once

#include "ui/Window.h"

// A dialog from a resource template, modeless or modal. Handlers are virtual; a handler that
// returns false leaves the message to the default dialog processing.
class CDialog : public CWindow
{
public:
    explicit CDialog(UINT templateId) : m_templateId(templateId) {}
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    bool Create(HMODULE module, HWND parent);
    INT_PTR DoModal(HMODULE module, HWND parent);
    void Destroy();
    UINT TemplateId() const { return m_templateId; }

    // Data exchange: fields to controls (toControls) or back. Notifications that the controls
    // raise while it runs are not handled.
    void UpdateData(bool toControls);
    bool IsExchangingData() const { return m_exchanging; }

protected:
    virtual bool OnInitDialog() { return true; }
    // False for a dialog made hidden: the dialog manager's first focus would activate it.
    virtual bool TakesFocusAtStart() const { return true; }
    virtual bool OnCommand(WORD id, WORD code, HWND control);
    virtual bool OnNotify(NMHDR* header, LRESULT& result);
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual void DoDataExchange(bool /*toControls*/) {}
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnDestroy() {}

    void EndDialog(INT_PTR result);
    // Data exchange of an edit's text; a text is written only when it differs, since writing
    // the same text again would move the caret to the start.
    void ExchangeText(int id, std::wstring& value, bool toControls);
    // Data exchange of a radio group with consecutive ids: the index of the checked one, -1
    // when none is.
    void ExchangeRadio(int firstId, int count, int& value, bool toControls);
    // Over the owner window, as far as the owner's monitor allows.
    void CentreOverOwner();
    bool IsModal() const { return m_modal; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    bool m_modal = false;
    bool m_exchanging = false;
};
