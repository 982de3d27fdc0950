#include "EditorPage.h"
#include "win32/ComPtr.h"

#include "ui/GdiObject.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace
{

std::wstring Text(HWND hwnd)
{
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    return text;
}

std::wstring ClassName(HWND hwnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::vector<std::pair<std::wstring, std::wstring>> ListRows(HWND list)
{
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row)
    {
        std::wstring cells[2];
        for (int column = 0; column < 2; ++column)
        {
            wchar_t text[128] = {};
            LVITEMW item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = 128;
            SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
            cells[column] = text;
        }
        rows.emplace_back(cells[0], cells[1]);
    }
    return rows;
}

// The target of the link's first (and only) item.
std::wstring LinkUrl(HWND link)
{
    LITEM item = {};
    item.mask = LIF_ITEMINDEX | LIF_URL;
    item.iLink = 0;
    if (!SendMessageW(link, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)))
        return L"<no item>";
    return item.szUrl;
}

// A link's text as shown: its window text without the markup around it.
std::wstring ShownLinkText(HWND link)
{
    std::wstring shown;
    bool inTag = false;
    for (const wchar_t c : Text(link))
    {
        if (c == L'<')
            inTag = true;
        else if (c == L'>')
            inTag = false;
        else if (!inTag)
            shown += c;
    }
    return shown;
}

void ExpectRect(const RECT& expected, const RECT& actual, const char* what)
{
    EXPECT_EQ(expected.left, actual.left) << what;
    EXPECT_EQ(expected.top, actual.top) << what;
    EXPECT_EQ(expected.right, actual.right) << what;
    EXPECT_EQ(expected.bottom, actual.bottom) << what;
}

BOOL CALLBACK CollectText(HWND child, LPARAM out)
{
    reinterpret_cast<std::vector<std::wstring>*>(out)->push_back(Text(child));
    return TRUE;
}

// The oracle for the picture decodes the resource itself, with COM objects released in turn.
// The module's PNG resource `id` as 32x32 straight-alpha pixels, top row first; empty when
// it is missing or not 32x32.
std::vector<RGBQUAD> DecodePngResource(HMODULE module, UINT id)
{
    const HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    const HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return {};
    CComScope com;
    CComPtr<IWICImagingFactory> factory;
    CComPtr<IWICStream> stream;
    CComPtr<IWICBitmapDecoder> decoder;
    CComPtr<IWICBitmapFrameDecode> frame;
    CComPtr<IWICFormatConverter> converter;
    UINT width = 0;
    UINT height = 0;
    std::vector<RGBQUAD> pixels(32 * 32);
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.Put()))) ||
        FAILED(factory->CreateStream(stream.Put())) ||
        FAILED(
            stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), SizeofResource(module, info))) ||
        FAILED(
            factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put())) ||
        FAILED(decoder->GetFrame(0, frame.Put())) || FAILED(factory->CreateFormatConverter(converter.Put())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height)) || width != 32 || height != 32 ||
        FAILED(converter->CopyPixels(nullptr, 32 * 4, 32 * 32 * 4, reinterpret_cast<BYTE*>(pixels.data()))))
        return {};
    return pixels;
}

// The page over a one-line hosts file.
class AboutDialog : public EditorPage
{
protected:
    void SetUp() override
    {
        EditorPage::SetUp();
        ASSERT_TRUE(testfiles::WriteBytes(HostsPath(), "127.0.0.1 localhost\r\n"));
    }

    // Clicks About, and runs `whileShown` in each About box the click brings up, as it comes up;
    // the box is modal, so it has ended when this returns. Returns the boxes.
    std::vector<HWND> ClickAbout(const std::function<void(HWND)>& whileShown)
    {
        std::vector<HWND> shown;
        m_boxes.OnOtherDialog([&](HWND dialog) {
            // Activated again after a window manager's late focus event, it is still one box.
            if (Text(dialog) != L"About" || std::find(shown.begin(), shown.end(), dialog) != shown.end())
                return;
            shown.push_back(dialog);
            whileShown(dialog);
        });
        ClickButton(m_toolbar, ID_ABOUT);
        m_boxes.OnOtherDialog(nullptr);
        return shown;
    }
};

TEST_F(AboutDialog, ShowsTheHostsVersionAndModulesInKeyOrderAndClosesWithCloseOrTheCloseBox)
{
    m_host.versionText = L"7.8.9 build 42";
    // Added in this order; the map, and so the list, orders them by character value.
    m_host.moduleVersions = {{L"zeta.dll", L"3.0"}, {L"alpha.exe", L"1.5.2"}, {L"Mid.dll", L"0.9"}};
    ASSERT_TRUE(OpenFor(&m_host));

    HWND owner = nullptr;
    RECT dialogRect = {};
    RECT ownerRect = {};
    std::wstring version;
    std::wstring beta;
    std::vector<std::wstring> texts;
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    std::vector<std::pair<std::wstring, int>> columns;
    LONG listStyle = 0;
    LONG listExStyle = 0;
    bool closeIsDefault = false;
    int close = IDOK;
    const auto look = [&](HWND dialog) {
        owner = GetWindow(dialog, GW_OWNER);
        GetWindowRect(dialog, &dialogRect);
        GetWindowRect(owner, &ownerRect);
        version = Text(GetDlgItem(dialog, IDC_ABOUT_VERSION));
        beta = Text(GetDlgItem(dialog, IDC_ABOUT_BETA));
        texts.clear();
        EnumChildWindows(dialog, &CollectText, reinterpret_cast<LPARAM>(&texts));
        const HWND list = GetDlgItem(dialog, IDC_ABOUT_MODULES);
        listStyle = GetWindowLongW(list, GWL_STYLE);
        listExStyle = GetWindowLongW(list, GWL_EXSTYLE);
        rows = ListRows(list);
        columns.clear();
        for (int index = 0; index < 3; ++index)
        {
            wchar_t title[64] = {};
            LVCOLUMNW column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            column.pszText = title;
            column.cchTextMax = 64;
            if (!SendMessageW(list, LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(&column)))
                break;
            EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK) << "column " << index;
            columns.emplace_back(title, column.cx);
        }
        closeIsDefault = LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)) == IDOK;
        if (close == IDOK)
            PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        else
            PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    };

    std::vector<HWND> shown = ClickAbout(look);
    ASSERT_EQ(1u, shown.size());
    EXPECT_FALSE(IsWindow(shown[0])) << "Close left the dialog open";
    EXPECT_EQ(m_window.Hwnd(), owner);
    // Centred over the host's window, which is well inside the screen.
    EXPECT_NEAR((ownerRect.left + ownerRect.right) / 2.0, (dialogRect.left + dialogRect.right) / 2.0, 1);
    EXPECT_NEAR((ownerRect.top + ownerRect.bottom) / 2.0, (dialogRect.top + dialogRect.bottom) / 2.0, 1);
    EXPECT_EQ(L"7.8.9 build 42", version);
    EXPECT_EQ(L"(Beta)", beta);
    for (const std::wstring& text : texts)
        EXPECT_EQ(std::wstring::npos, text.find(L"1.1.1.1111"));
    EXPECT_EQ((std::vector<std::pair<std::wstring, int>>{{L"File", 130}, {L"Version", 80}}), columns);
    EXPECT_EQ((std::vector<std::pair<std::wstring, std::wstring>>{
                  {L"Mid.dll", L"0.9"}, {L"alpha.exe", L"1.5.2"}, {L"zeta.dll", L"3.0"}}),
              rows);
    EXPECT_EQ(LVS_REPORT, listStyle & LVS_TYPEMASK);
    EXPECT_TRUE(listStyle & LVS_SINGLESEL);
    EXPECT_TRUE(listStyle & LVS_SHOWSELALWAYS);
    // The dialog manager may draw WS_BORDER as a sunken client edge instead.
    EXPECT_TRUE((listStyle & WS_BORDER) || (listExStyle & WS_EX_CLIENTEDGE));
    EXPECT_TRUE(closeIsDefault);

    // Asked again each time: an empty version and no modules leave both empty.
    m_host.versionText.clear();
    m_host.moduleVersions.clear();
    close = IDCANCEL;
    version = L"unchanged";
    shown = ClickAbout(look);
    ASSERT_EQ(1u, shown.size());
    EXPECT_FALSE(IsWindow(shown[0])) << "the close box left the dialog open";
    EXPECT_EQ(L"", version);
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(2u, columns.size());
    EXPECT_EQ(0u, m_boxes.Count());
    // The page is still there and working.
    EXPECT_TRUE(IsWindowVisible(m_page));
    EXPECT_TRUE(IsButtonEnabled(m_toolbar, ID_ABOUT));
}

TEST_F(AboutDialog, LinksMailTheAddressesTheyShowAndThePictureIsA32By32BitmapWithAlpha)
{
    ASSERT_TRUE(OpenFor(&m_host));

    const int links[] = {IDC_ABOUT_SITE, IDC_ABOUT_SALES, IDC_ABOUT_BUGS, IDC_ABOUT_SUPPORT};
    std::wstring classes[4];
    std::wstring shown[4];
    std::wstring urls[4];
    BITMAP picture = {};
    std::vector<RGBQUAD> pixels;
    RECT client = {};
    RECT expectedClient = {};
    std::vector<std::pair<RECT, RECT>> placed;
    const std::vector<HWND> boxes = ClickAbout([&](HWND dialog) {
        for (int i = 0; i < 4; ++i)
        {
            const HWND link = GetDlgItem(dialog, links[i]);
            classes[i] = ClassName(link);
            shown[i] = ShownLinkText(link);
            urls[i] = LinkUrl(link);
        }

        const auto bitmap =
            reinterpret_cast<HBITMAP>(SendDlgItemMessageW(dialog, IDC_ABOUT_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0));
        if (bitmap && GetObjectW(bitmap, sizeof(picture), &picture) == sizeof(picture) && picture.bmWidth == 32 &&
            picture.bmHeight == 32)
        {
            BITMAPINFO format = {};
            format.bmiHeader.biSize = sizeof(format.bmiHeader);
            format.bmiHeader.biWidth = 32;
            format.bmiHeader.biHeight = -32;
            format.bmiHeader.biPlanes = 1;
            format.bmiHeader.biBitCount = 32;
            format.bmiHeader.biCompression = BI_RGB;
            pixels.resize(32 * 32);
            const CCompatibleDc dc(CreateCompatibleDC(nullptr));
            if (GetDIBits(dc.Get(), bitmap, 0, 32, pixels.data(), &format, DIB_RGB_COLORS) != 32)
                pixels.clear();
        }

        GetClientRect(dialog, &client);
        expectedClient = DialogUnits(dialog, 0, 0, 165, 226);
        placed = {
            {DialogUnits(dialog, 88, 4, 51, 8), RectInDialog(GetDlgItem(dialog, IDC_ABOUT_VERSION))},
            {DialogUnits(dialog, 42, 82, 100, 8), RectInDialog(GetDlgItem(dialog, IDC_ABOUT_SITE))},
            {DialogUnits(dialog, 52, 127, 84, 8), RectInDialog(GetDlgItem(dialog, IDC_ABOUT_SUPPORT))},
            {DialogUnits(dialog, 11, 159, 143, 48), RectInDialog(GetDlgItem(dialog, IDC_ABOUT_MODULES))},
            {DialogUnits(dialog, 57, 210, 50, 14), RectInDialog(GetDlgItem(dialog, IDOK))},
        };
        PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    ASSERT_EQ(1u, boxes.size());
    EXPECT_FALSE(IsWindow(boxes[0]));

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(WC_LINK, classes[i]) << "link " << links[i];
    EXPECT_EQ(L"https://norvik.example/", urls[0]);
    EXPECT_EQ(L"https://norvik.example/", shown[0]);
    for (int i = 1; i < 4; ++i)
    {
        EXPECT_NE(std::wstring::npos, shown[i].find(L'@')) << "link " << links[i] << " shows " << shown[i];
        EXPECT_EQ(L"mailto:" + shown[i], urls[i]) << "link " << links[i];
    }
    // Three different contacts.
    EXPECT_NE(shown[1], shown[2]);
    EXPECT_NE(shown[2], shown[3]);
    EXPECT_NE(shown[1], shown[3]);

    EXPECT_EQ(32, picture.bmWidth);
    EXPECT_EQ(32, picture.bmHeight);
    EXPECT_EQ(32, picture.bmBitsPixel);
    ASSERT_EQ(32u * 32u, pixels.size());
    // What the static draws is the module's PNG with its alpha applied once: straight alpha
    // handed in and premultiplied by the static, never twice.
    const std::vector<RGBQUAD> png = DecodePngResource(m_norvik.dll, IDR_ABOUT_PICTURE);
    ASSERT_EQ(32u * 32u, png.size());
    int clear = 0;
    int opaque = 0;
    int partial = 0;
    int wrong = 0;
    for (size_t i = 0; i < pixels.size(); ++i)
    {
        const RGBQUAD& shownPixel = pixels[i];
        const RGBQUAD& source = png[i];
        const unsigned alpha = source.rgbReserved;
        auto once = [alpha](BYTE channel) { return static_cast<int>((channel * alpha + 127) / 255); };
        if (shownPixel.rgbReserved != source.rgbReserved || std::abs(shownPixel.rgbRed - once(source.rgbRed)) > 1 ||
            std::abs(shownPixel.rgbGreen - once(source.rgbGreen)) > 1 ||
            std::abs(shownPixel.rgbBlue - once(source.rgbBlue)) > 1)
        {
            if (++wrong <= 3)
                ADD_FAILURE() << "pixel " << i % 32 << "," << i / 32 << " shows " << int(shownPixel.rgbRed) << ","
                              << int(shownPixel.rgbGreen) << "," << int(shownPixel.rgbBlue) << ","
                              << int(shownPixel.rgbReserved) << " for " << int(source.rgbRed) << ","
                              << int(source.rgbGreen) << "," << int(source.rgbBlue) << "," << alpha;
        }
        if (alpha == 0)
            ++clear;
        else if (alpha == 255)
            ++opaque;
        else
            ++partial;
    }
    EXPECT_EQ(0, wrong);
    // A picture with real alpha: transparent, opaque and soft-edged pixels.
    EXPECT_GT(clear, 0);
    EXPECT_GT(opaque, 0);
    EXPECT_GT(partial, 0);

    ExpectRect(expectedClient, client, "client area");
    const char* names[] = {"version", "site link", "support link", "module list", "Close"};
    for (size_t i = 0; i < placed.size(); ++i)
        ExpectRect(placed[i].first, placed[i].second, names[i]);
}

TEST_F(AboutDialog, WithoutAHostTheAboutButtonShowsNothing)
{
    ASSERT_TRUE(OpenFor(nullptr));
    const auto close = [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); };
    ASSERT_TRUE(IsButtonEnabled(m_toolbar, ID_ABOUT));
    EXPECT_EQ(0u, ClickAbout(close).size());
    EXPECT_EQ(nullptr, FindWindowW(L"#32770", L"About"));
    EXPECT_EQ(0u, m_boxes.Count());

    // The same click with a host shows it: the one above did reach the command.
    ASSERT_TRUE(OpenFor(&m_host));
    EXPECT_EQ(1u, ClickAbout(close).size());
}
} // namespace
