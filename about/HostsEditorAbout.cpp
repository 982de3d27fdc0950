#include "about/HostsEditorAbout.h"

#include "resources/resource.h"
#include "resources/Texts.h"
#include "ui/Dpi.h"
#include "ui/HeaderCaption.h"
#include "win32/ComPtr.h"

#include <commctrl.h>
#include <shellapi.h>
#include <wincodec.h>

#include <algorithm>

namespace
{
const wchar_t kWebAddress[] = L"https://norvik.example/";
const wchar_t kMailTo[] = L"mailto:";
const int kEmailLinks[] = {IDC_ABOUT_SALES, IDC_ABOUT_BUGS, IDC_ABOUT_SUPPORT};

// A PNG resource as a top-down 32-bit DIB section with straight (not premultiplied) alpha;
// empty when the resource is missing or bad. Straight, because a version 6 static draws a
// bitmap with alpha from a premultiplied copy that it makes itself.
CBitmap LoadPngBitmap(HMODULE module, UINT id, UINT dpi)
{
    const HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    const HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = info ? SizeofResource(module, info) : 0;
    if (!data || !size)
        return CBitmap();

    // Declared first, so it ends after every object made below is released.
    CComScope com;
    CComPtr<IWICImagingFactory> factory;
    CComPtr<IWICStream> stream;
    CComPtr<IWICBitmapDecoder> decoder;
    CComPtr<IWICBitmapFrameDecode> frame;
    CComPtr<IWICFormatConverter> converter;
    // The stream only reads: resource memory is read-only.
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.Put()))) ||
        FAILED(factory->CreateStream(stream.Put())) ||
        FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size)) ||
        FAILED(
            factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put())) ||
        FAILED(decoder->GetFrame(0, frame.Put())) || FAILED(factory->CreateFormatConverter(converter.Put())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
        return CBitmap();

    UINT width = 0;
    UINT height = 0;
    // A picture this small needs no more; the bound keeps the buffer size in range.
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 1024 || height > 1024)
        return CBitmap();
    // Drawn for 96 DPI: other DPIs get it scaled.
    IWICBitmapSource* source = converter.Get();
    CComPtr<IWICBitmapScaler> scaler;
    const UINT scaledWidth = static_cast<UINT>(ScaleToDpi(static_cast<int>(width), dpi));
    const UINT scaledHeight = static_cast<UINT>(ScaleToDpi(static_cast<int>(height), dpi));
    if (scaledWidth != width && scaledWidth > 0 && scaledHeight > 0 && scaledWidth <= 1024 && scaledHeight <= 1024 &&
        SUCCEEDED(factory->CreateBitmapScaler(scaler.Put())) &&
        SUCCEEDED(scaler->Initialize(converter.Get(), scaledWidth, scaledHeight, WICBitmapInterpolationModeFant)))
    {
        source = scaler.Get();
        width = scaledWidth;
        height = scaledHeight;
    }

    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof(header.bmiHeader);
    header.bmiHeader.biWidth = static_cast<LONG>(width);
    header.bmiHeader.biHeight = -static_cast<LONG>(height);
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    CBitmap bitmap(CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        return CBitmap();
    const UINT stride = width * 4;
    if (FAILED(source->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits))))
        return CBitmap();
    return bitmap;
}

// The whole text becomes one link to `url`. The URL goes in through LM_SETITEM, not an href
// in the markup: Wine's SysLink stops reading attributes once it has a font.
void SetLink(HWND link, const std::wstring& url, const std::wstring& text)
{
    SetWindowTextW(link, (L"<a>" + text + L"</a>").c_str());
    LITEM item = {};
    item.mask = LIF_ITEMINDEX | LIF_URL;
    item.iLink = 0;
    url.copy(item.szUrl, L_MAX_URL_LENGTH - 1);
    SendMessageW(link, LM_SETITEM, 0, reinterpret_cast<LPARAM>(&item));
}

bool IsLink(UINT_PTR id)
{
    if (id == IDC_ABOUT_SITE)
        return true;
    for (const int link : kEmailLinks)
    {
        if (id == static_cast<UINT_PTR>(link))
            return true;
    }
    return false;
}

} // namespace

CHostsEditorAbout::CHostsEditorAbout(const std::wstring& versionText,
                                     const std::map<std::wstring, std::wstring>& moduleVersions)
    : CDialog(IDD_ABOUT), m_strVersion(versionText), m_moduleVersions(moduleVersions)
{
}

CHostsEditorAbout::~CHostsEditorAbout() = default;

bool CHostsEditorAbout::OnInitDialog()
{
    if (!CDialog::OnInitDialog())
        return false;
    CentreOverOwner();
    ShowPicture();
    UpdateData(true);
    FillModuleList();
    SetLinkTargets();
    // The dialog manager focuses the first tab stop, the site link; Close is where Enter and
    // Escape are expected. Posted, so it comes after that default.
    PostMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDOK)), TRUE);
    return true;
}

void CHostsEditorAbout::DoDataExchange(bool toControls)
{
    const HWND version = Item(IDC_ABOUT_VERSION);
    if (toControls)
        SetWindowTextW(version, m_strVersion.c_str());
    else
        m_strVersion = CWindow::GetText(version);
}

void CHostsEditorAbout::ShowPicture()
{
    // DialogBoxParam gives the dialog the module that holds its template, and so the picture.
    const auto module = reinterpret_cast<HMODULE>(GetWindowLongPtrW(m_hwnd, GWLP_HINSTANCE));
    m_picture = LoadPngBitmap(module, IDR_ABOUT_PICTURE, WindowDpi(m_hwnd));
    if (m_picture)
        SendDlgItemMessageW(m_hwnd, IDC_ABOUT_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(m_picture.Get()));
}

void CHostsEditorAbout::TakeBackPicture()
{
    const auto shown =
        reinterpret_cast<HBITMAP>(SendDlgItemMessageW(m_hwnd, IDC_ABOUT_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, 0));
    // A version 6 static draws a bitmap with alpha from a copy of its own, which it hands
    // back here and does not free.
    if (shown && shown != m_picture.Get())
    {
        const CBitmap copy(shown);
    }
    m_picture.Reset();
}

void CHostsEditorAbout::FillModuleList() const
{
    const HWND list = Item(IDC_ABOUT_MODULES);
    struct Column
    {
        const wchar_t* title;
        int width;
    };
    const Column columns[] = {{texts::kColumnFile, 130}, {texts::kColumnVersion, 80}};
    const UINT dpi = WindowDpi(list);
    for (int index = 0; index < 2; ++index)
    {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        // At the list's DPI, and never narrower than the caption with the header's margins.
        column.cx = std::max(ScaleToDpi(columns[index].width, dpi), HeaderCaptionWidth(list, columns[index].title));
        column.pszText = const_cast<wchar_t*>(columns[index].title);
        column.iSubItem = index;
        SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    }

    int row = 0;
    for (const auto& [file, version] : m_moduleVersions)
    {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row++;
        item.pszText = const_cast<wchar_t*>(file.c_str());
        const auto inserted = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (inserted < 0)
            continue;
        LVITEMW subItem = {};
        subItem.iSubItem = 1;
        subItem.pszText = const_cast<wchar_t*>(version.c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, inserted, reinterpret_cast<LPARAM>(&subItem));
    }
}

void CHostsEditorAbout::SetLinkTargets() const
{
    const HWND site = Item(IDC_ABOUT_SITE);
    SetLink(site, kWebAddress, CWindow::GetText(site));
    // The address shown is the address mailed to, whatever the template says.
    for (const int id : kEmailLinks)
    {
        const HWND link = Item(id);
        const std::wstring address = CWindow::GetText(link);
        SetLink(link, kMailTo + address, address);
    }
}

bool CHostsEditorAbout::OnNotify(NMHDR* header, LRESULT& result)
{
    if ((header->code == NM_CLICK || header->code == NM_RETURN) && IsLink(header->idFrom))
    {
        const auto* link = reinterpret_cast<const NMLINK*>(header);
        if (link->item.szUrl[0])
            ShellExecuteW(m_hwnd, L"open", link->item.szUrl, nullptr, nullptr, SW_SHOWNORMAL);
        result = 0;
        return true;
    }
    return CDialog::OnNotify(header, result);
}

bool CHostsEditorAbout::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    // The static still exists here, so its image can be taken back before it goes.
    if (message == WM_DESTROY)
        TakeBackPicture();
    return CDialog::OnMessage(message, wParam, lParam, result);
}
