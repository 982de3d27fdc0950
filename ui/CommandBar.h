#pragma once

#include "ui/GdiObject.h"
#include "ui/SubclassedWindow.h"

#include <windows.h>

#include <vector>

// The idle-update message: worker threads post it to the command bar to refresh button states.
const UINT WM_IDLEUPDATECMDUI = 0x0363;

struct CCommandState
{
    bool enabled = true;
    bool checked = false;
};

// Answers the command bar's state queries.
class ICommandStateSource
{
public:
    // Once before each round of queries: what several buttons share is worked out here once.
    virtual void BeginStateQueries() {}
    virtual void QueryCommandState(UINT id, CCommandState& state) = 0;

protected:
    ~ICommandStateSource() = default;
};

struct CommandButton
{
    UINT id;
    const wchar_t* caption;
    UINT normalIcon;
    UINT disabledIcon;
    bool startsGroup;
};

// A toolbar of 32 x 32 icon buttons across the top of its parent. Clicks arrive at the parent
// as WM_COMMAND with the button's id; tooltips are the string-table entries of the ids.
class CCommandBar : private CSubclassedWindow
{
public:
    CCommandBar() = default;

    bool Create(HWND parent, HMODULE module, const wchar_t* title, const std::vector<CommandButton>& buttons,
                ICommandStateSource* source);
    HWND Hwnd() const { return m_hwnd; }
    // Re-runs every state query now.
    void UpdateStates();
    // The page's DPI changed (a per-monitor-aware host moved it): icons of the new size.
    void OnDpiChanged();
    // Stretches the bar over the parent's width; returns its height.
    int Layout();
    // The parent passes its WM_NOTIFY here; true when it was the bar's tooltip request.
    bool OnNotify(NMHDR* header);

private:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    HWND m_hwnd = nullptr;
    HMODULE m_module = nullptr;
    ICommandStateSource* m_source = nullptr;
    std::vector<UINT> m_ids;
    // What each button shows: only UpdateStates changes it, and asking the toolbar costs a
    // message per button under Wine.
    std::vector<CCommandState> m_states;
    void SetIcons();

    std::vector<UINT> m_normalIcons;
    std::vector<UINT> m_disabledIcons;
    int m_iconSize = 0;
    CImageList m_normalImages;
    CImageList m_disabledImages;
};
