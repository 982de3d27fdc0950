#pragma once

#include "win32/UniqueHandle.h"

#include <commctrl.h>

// GDI objects and the device contexts the layer creates, each owned like any other handle.
template <class Handle>
struct GdiObjectTraits
{
    using Type = Handle;
    static Type Empty() { return nullptr; }
    static void Close(Type object) { ::DeleteObject(object); }
};

using CFont = CUniqueHandle<GdiObjectTraits<HFONT>>;
using CBitmap = CUniqueHandle<GdiObjectTraits<HBITMAP>>;
using CBrush = CUniqueHandle<GdiObjectTraits<HBRUSH>>;
using CRegion = CUniqueHandle<GdiObjectTraits<HRGN>>;
using CPen = CUniqueHandle<GdiObjectTraits<HPEN>>;

struct MemoryDcTraits
{
    using Type = HDC;
    static Type Empty() { return nullptr; }
    static void Close(Type dc) { ::DeleteDC(dc); }
};
// A DC made with CreateCompatibleDC.
using CCompatibleDc = CUniqueHandle<MemoryDcTraits>;

struct IconTraits
{
    using Type = HICON;
    static Type Empty() { return nullptr; }
    static void Close(Type icon) { ::DestroyIcon(icon); }
};
using CIcon = CUniqueHandle<IconTraits>;

struct ImageListTraits
{
    using Type = HIMAGELIST;
    static Type Empty() { return nullptr; }
    static void Close(Type list) { ::ImageList_Destroy(list); }
};
using CImageList = CUniqueHandle<ImageListTraits>;

// Puts an object into a DC for one scope and the previous one back afterwards.
class CSelectObject
{
public:
    CSelectObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~CSelectObject() { ::SelectObject(m_dc, m_previous); }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};
