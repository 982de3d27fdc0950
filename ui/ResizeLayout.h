#pragma once

#include <windows.h>

#include <vector>

// Keeps child controls anchored while their parent is resized: each edge of a control moves
// by a fraction (0 to 1) of the parent's growth since the layout was taken.
class CResizeLayout
{
public:
    struct Anchor
    {
        double left, top, right, bottom;
    };

    // Takes the parent's current client size as the reference.
    void Attach(HWND parent);
    void Add(HWND control, Anchor anchor);
    // Moves every control for the parent's new client size.
    void Apply() const;
    // A control's top edge, as it would be at the reference size, is `top` from now on.
    void SetTop(HWND control, int top);
    // The parent is drawn at another DPI: the reference size and every control's place in it
    // scale by `to` / `from`.
    void Rescale(int to, int from);

private:
    struct Item
    {
        HWND control;
        RECT initial;
        Anchor anchor;
    };
    HWND m_parent = nullptr;
    SIZE m_initialSize = {};
    std::vector<Item> m_items;
};
