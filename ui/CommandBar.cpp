#include "ui/CommandBar.h"

#include "ui/RedrawPause.h"

#include <commctrl.h>

#include <cstring>
#include <optional>

namespace
{
const int kIconSize = 32;
const size_t kIconBytes = size_t{kIconSize} * kIconSize * 4;

int AddIcon(HIMAGELIST list, HMODULE module, UINT id)
{
    const CIcon icon(static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, kIconSize, kIconSize, LR_DEFAULTCOLOR)));
    // A missing icon still takes its place, so that the indexes of both lists stay in step.
    if (!icon)
    {
        const CBitmap blank(CreateBitmap(kIconSize, kIconSize, 1, 32, nullptr));
        return ImageList_Add(list, blank.Get(), nullptr);
    }
    return ImageList_ReplaceIcon(list, -1, icon.Get());
}

// The colour bits of an icon resource stored as a plain 32-bit image of our size, bottom-up;
// null for any other form.
const BYTE* PlainIconBits(HMODULE module, UINT id)
{
    HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
    const HGLOBAL groupData = group ? LoadResource(module, group) : nullptr;
    auto* directory = groupData ? static_cast<BYTE*>(LockResource(groupData)) : nullptr;
    const int iconId = directory ? LookupIconIdFromDirectoryEx(directory, TRUE, kIconSize, kIconSize, 0) : 0;
    HRSRC icon = iconId ? FindResourceW(module, MAKEINTRESOURCEW(iconId), RT_ICON) : nullptr;
    const HGLOBAL iconData = icon ? LoadResource(module, icon) : nullptr;
    const auto* header = iconData ? static_cast<const BITMAPINFOHEADER*>(LockResource(iconData)) : nullptr;
    if (!header || SizeofResource(module, icon) < sizeof(BITMAPINFOHEADER) + kIconBytes ||
        header->biSize != sizeof(BITMAPINFOHEADER) || header->biWidth != kIconSize ||
        header->biHeight != 2 * kIconSize || header->biBitCount != 32 || header->biCompression != BI_RGB)
        return nullptr;
    return reinterpret_cast<const BYTE*>(header + 1);
}

// All icons of a list in one strip and one call: an icon at a time costs Wine milliseconds
// each. False when an icon is not a plain 32-bit image; then they go one by one.
bool AddIconStrip(HIMAGELIST list, HMODULE module, const std::vector<UINT>& ids)
{
    std::vector<const BYTE*> sources;
    for (UINT id : ids)
    {
        sources.push_back(PlainIconBits(module, id));
        if (!sources.back())
            return false;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kIconSize * static_cast<LONG>(ids.size());
    info.bmiHeader.biHeight = kIconSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const CBitmap strip(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!strip || !bits)
        return false;
    // Both are bottom-up: row r of icon i goes to row r of the strip, at column i.
    const size_t rowBytes = size_t{kIconSize} * 4;
    for (size_t i = 0; i < sources.size(); ++i)
        for (size_t row = 0; row < kIconSize; ++row)
            memcpy(static_cast<BYTE*>(bits) + row * rowBytes * sources.size() + i * rowBytes,
                   sources[i] + row * rowBytes, rowBytes);
    return ImageList_Add(list, strip.Get(), nullptr) == 0;
}

void AddIcons(HIMAGELIST list, HMODULE module, const std::vector<UINT>& ids)
{
    if (AddIconStrip(list, module, ids))
        return;
    ImageList_RemoveAll(list);
    for (UINT id : ids)
        AddIcon(list, module, id);
}
} // namespace

bool CCommandBar::Create(HWND parent, HMODULE module, const wchar_t* title, const std::vector<CommandButton>& buttons,
                         ICommandStateSource* source)
{
    m_module = module;
    m_source = source;
    // A page made again makes its bar again: the buttons start over.
    m_ids.clear();
    m_states.clear();
    m_hwnd = CreateWindowExW(0, TOOLBARCLASSNAMEW, title,
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | TBSTYLE_LIST |
                                 CCS_TOP | CCS_NODIVIDER | CCS_NORESIZE,
                             0, 0, 0, 0, parent, nullptr, module, nullptr);
    if (!m_hwnd)
        return false;
    SendMessageW(m_hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // Captions name the buttons (for tooltips' fallback and screen readers) but are not drawn.
    SendMessageW(m_hwnd, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);

    m_normalImages.Reset(ImageList_Create(kIconSize, kIconSize, ILC_COLOR32, static_cast<int>(buttons.size()), 0));
    m_disabledImages.Reset(ImageList_Create(kIconSize, kIconSize, ILC_COLOR32, static_cast<int>(buttons.size()), 0));
    std::vector<TBBUTTON> items;
    std::vector<UINT> normalIcons;
    std::vector<UINT> disabledIcons;
    for (const CommandButton& button : buttons)
    {
        if (button.startsGroup && !items.empty())
        {
            TBBUTTON separator = {};
            separator.fsStyle = BTNS_SEP;
            items.push_back(separator);
        }
        TBBUTTON item = {};
        item.iBitmap = static_cast<int>(normalIcons.size());
        normalIcons.push_back(button.normalIcon);
        disabledIcons.push_back(button.disabledIcon);
        item.idCommand = static_cast<int>(button.id);
        item.fsState = TBSTATE_ENABLED;
        item.fsStyle = BTNS_BUTTON;
        item.iString = reinterpret_cast<INT_PTR>(button.caption);
        items.push_back(item);
        m_ids.push_back(button.id);
        m_states.push_back(CCommandState());
    }
    AddIcons(m_normalImages.Get(), module, normalIcons);
    AddIcons(m_disabledImages.Get(), module, disabledIcons);
    SendMessageW(m_hwnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_normalImages.Get()));
    SendMessageW(m_hwnd, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(m_disabledImages.Get()));
    SendMessageW(m_hwnd, TB_ADDBUTTONSW, items.size(), reinterpret_cast<LPARAM>(items.data()));
    SendMessageW(m_hwnd, TB_AUTOSIZE, 0, 0);
    Attach(m_hwnd);
    UpdateStates();
    return true;
}

void CCommandBar::UpdateStates()
{
    if (!m_hwnd || !m_source)
        return;
    m_source->BeginStateQueries();
    // Each change repaints its button at once; many changes (a load ending) paint once instead.
    std::optional<CRedrawPause> pause;
    for (size_t i = 0; i < m_ids.size(); ++i)
    {
        // Enabled unless the source says otherwise; checked stays as it is unless it says.
        CCommandState state;
        state.checked = m_states[i].checked;
        m_source->QueryCommandState(m_ids[i], state);
        const bool enable = state.enabled != m_states[i].enabled;
        const bool check = state.checked != m_states[i].checked;
        if ((enable || check) && !pause)
            pause.emplace(m_hwnd);
        if (enable)
            SendMessageW(m_hwnd, TB_ENABLEBUTTON, m_ids[i], MAKELPARAM(state.enabled, 0));
        if (check)
            SendMessageW(m_hwnd, TB_CHECKBUTTON, m_ids[i], MAKELPARAM(state.checked, 0));
        m_states[i] = state;
    }
}

int CCommandBar::Layout()
{
    if (!m_hwnd)
        return 0;
    RECT parent;
    GetClientRect(GetParent(m_hwnd), &parent);
    const DWORD size = static_cast<DWORD>(SendMessageW(m_hwnd, TB_GETBUTTONSIZE, 0, 0));
    const int height = HIWORD(size) + 4;
    SetWindowPos(m_hwnd, nullptr, 0, 0, parent.right - parent.left, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return height;
}

bool CCommandBar::OnNotify(NMHDR* header)
{
    if (!m_hwnd || header->code != TTN_GETDISPINFOW)
        return false;
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    if (GetParent(header->hwndFrom) != m_hwnd &&
        reinterpret_cast<HWND>(SendMessageW(m_hwnd, TB_GETTOOLTIPS, 0, 0)) != header->hwndFrom)
        return false;
    // The tooltip of a command is its string-table entry.
    info->hinst = m_module;
    info->lpszText = MAKEINTRESOURCEW(header->idFrom);
    return true;
}

bool CCommandBar::OnMessage(UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/)
{
    if (message == WM_IDLEUPDATECMDUI)
    {
        UpdateStates();
        return true;
    }
    if (message == WM_NCDESTROY)
        m_hwnd = nullptr;
    return false;
}
