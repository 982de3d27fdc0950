#include "ui/CommandBar.h"

#include "ui/Dpi.h"
#include "ui/ImageScaling.h"
#include "ui/RedrawPause.h"

#include <commctrl.h>

#include <cstring>
#include <optional>
#include <utility>

namespace
{
// The icons' size at 96 DPI, and the one size their resources hold.
const int kIconSize = 32;
const size_t kIconBytes = size_t{kIconSize} * kIconSize * 4;

int AddIcon(HIMAGELIST list, HMODULE module, UINT id, int size)
{
    const CIcon icon(
        static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    // A missing icon still takes its place, so that the indexes of both lists stay in step.
    if (!icon)
    {
        const CBitmap blank(CreateBitmap(size, size, 1, 32, nullptr));
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

// All icons of a list in one strip and one call, scaled to `size`: an icon at a time costs
// Wine milliseconds each. False when an icon is not a plain 32-bit image; then they go one by
// one.
bool AddIconStrip(HIMAGELIST list, HMODULE module, const std::vector<UINT>& ids, int size)
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
    info.bmiHeader.biWidth = size * static_cast<LONG>(ids.size());
    info.bmiHeader.biHeight = size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const CBitmap strip(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!strip || !bits)
        return false;
    // Both are bottom-up: row r of icon i goes to row r of the strip, at column i.
    const size_t rowBytes = static_cast<size_t>(size) * 4;
    const size_t stripRowBytes = rowBytes * sources.size();
    for (size_t i = 0; i < sources.size(); ++i)
    {
        BYTE* target = static_cast<BYTE*>(bits) + i * rowBytes;
        if (size != kIconSize)
        {
            ScaleBgraSquare(sources[i], kIconSize, target, size, stripRowBytes);
            continue;
        }
        for (size_t row = 0; row < kIconSize; ++row)
            memcpy(target + row * stripRowBytes, sources[i] + row * rowBytes, rowBytes);
    }
    return ImageList_Add(list, strip.Get(), nullptr) == 0;
}

CImageList MakeIconList(HMODULE module, const std::vector<UINT>& ids, int size)
{
    CImageList list(ImageList_Create(size, size, ILC_COLOR32, static_cast<int>(ids.size()), 0));
    if (list && !AddIconStrip(list.Get(), module, ids, size))
    {
        ImageList_RemoveAll(list.Get());
        for (UINT id : ids)
            AddIcon(list.Get(), module, id, size);
    }
    return list;
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
    m_iconSize = 0;
    m_hwnd = CreateWindowExW(0, TOOLBARCLASSNAMEW, title,
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | TBSTYLE_LIST |
                                 CCS_TOP | CCS_NODIVIDER | CCS_NORESIZE,
                             0, 0, 0, 0, parent, nullptr, module, nullptr);
    if (!m_hwnd)
        return false;
    SendMessageW(m_hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // Captions name the buttons (for tooltips' fallback and screen readers) but are not drawn.
    SendMessageW(m_hwnd, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);

    std::vector<TBBUTTON> items;
    m_normalIcons.clear();
    m_disabledIcons.clear();
    for (const CommandButton& button : buttons)
    {
        if (button.startsGroup && !items.empty())
        {
            TBBUTTON separator = {};
            separator.fsStyle = BTNS_SEP;
            items.push_back(separator);
        }
        TBBUTTON item = {};
        item.iBitmap = static_cast<int>(m_normalIcons.size());
        m_normalIcons.push_back(button.normalIcon);
        m_disabledIcons.push_back(button.disabledIcon);
        item.idCommand = static_cast<int>(button.id);
        item.fsState = TBSTATE_ENABLED;
        item.fsStyle = BTNS_BUTTON;
        item.iString = reinterpret_cast<INT_PTR>(button.caption);
        items.push_back(item);
        m_ids.push_back(button.id);
        m_states.push_back(CCommandState());
    }
    SetIcons();
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

// Icons of the size the bar's DPI asks for, made from the 32-pixel ones.
void CCommandBar::SetIcons()
{
    const int size = ScaleToDpi(kIconSize, WindowDpi(m_hwnd));
    if (size == m_iconSize)
        return;
    m_iconSize = size;
    CImageList normal = MakeIconList(m_module, m_normalIcons, size);
    CImageList disabled = MakeIconList(m_module, m_disabledIcons, size);
    SendMessageW(m_hwnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normal.Get()));
    SendMessageW(m_hwnd, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabled.Get()));
    // The bar lets go of the old lists above before they go.
    m_normalImages = std::move(normal);
    m_disabledImages = std::move(disabled);
}

void CCommandBar::OnDpiChanged()
{
    if (!m_hwnd)
        return;
    SetIcons();
    SendMessageW(m_hwnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(m_iconSize, m_iconSize));
    SendMessageW(m_hwnd, TB_AUTOSIZE, 0, 0);
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
