#include "controls/TextProgressCtrl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr COLORREF kBar = RGB(200, 30, 40);
constexpr COLORREF kBackground = RGB(20, 160, 60);
constexpr COLORREF kText = RGB(10, 20, 230);
constexpr COLORREF kTextOnBar = RGB(250, 240, 10);
constexpr COLORREF kUnpainted = RGB(1, 2, 3);

struct Image
{
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// What the control paints for `message` (WM_PRINTCLIENT or WM_ERASEBKGND) into a 32-bit DIB
// the size of its client area that starts out filled with kUnpainted.
Image Capture(HWND hWnd, UINT message = WM_PRINTCLIENT, LRESULT* result = nullptr)
{
    RECT client{};
    GetClientRect(hWnd, &client);
    Image image{client.right, client.bottom, {}};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), image.width, -image.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const CCompatibleDc dc(CreateCompatibleDC(nullptr));
    const CBitmap bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        return image;
    {
        const CSelectObject select(dc.Get(), bitmap.Get());
        const CBrush brush(CreateSolidBrush(kUnpainted));
        FillRect(dc.Get(), &client, brush.Get());
        const LRESULT answer = SendMessageW(hWnd, message, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
        if (result)
            *result = answer;
        GdiFlush();
    }
    const auto* pixel = static_cast<const DWORD*>(bits);
    for (int i = 0; i < image.width * image.height; ++i)
        image.pixels.push_back(RGB(pixel[i] >> 16 & 0xFF, pixel[i] >> 8 & 0xFF, pixel[i] & 0xFF));
    return image;
}

// Bounding box (right and bottom exclusive) of the pixels of one colour.
struct Box
{
    int left = INT_MAX;
    int top = INT_MAX;
    int right = INT_MIN;
    int bottom = INT_MIN;
    int count = 0;
};

Box Find(const Image& image, COLORREF color)
{
    Box box;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.At(x, y) == color)
            {
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1), box.count + 1};
            }
    return box;
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// A visible top-level window holding real progress bars that the control takes over.
// One window for all the tests: Wine without a window manager takes seconds to destroy one.
class TextProgressCtrlTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        WNDCLASSW frameClass{};
        frameClass.lpfnWndProc = DefWindowProcW;
        frameClass.hInstance = GetModuleHandleW(nullptr);
        frameClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        frameClass.lpszClassName = L"NorvikProgressTestFrame";
        RegisterClassW(&frameClass);
        s_frame = CreateWindowExW(0, L"NorvikProgressTestFrame", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        // Crisp glyphs, so that text pixels have exactly the colours set.
        s_font.Reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Tahoma"));
    }

    static void TearDownTestSuite()
    {
        DestroyWindow(s_frame);
        s_font.Reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_frame);
        m_hBar = CreateBar(m_bar, 0, 10, 10, 200, 24);
        ASSERT_TRUE(m_hBar);
    }

    void TearDown() override
    {
        DestroyWindow(m_hBar);
        EXPECT_EQ(nullptr, m_bar.GetHwnd()); // let go of when the window went
    }

    HWND CreateBar(CTextProgressCtrl& ctrl, DWORD style, int x, int y, int cx, int cy)
    {
        const HWND hWnd = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, s_frame,
                                          nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!hWnd || !ctrl.Attach(hWnd))
            return nullptr;
        SendMessageW(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(s_font.Get()), FALSE);
        return hWnd;
    }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageW(m_hBar, message, wParam, lParam);
    }

    void UseTestColors(HWND hWnd)
    {
        SendMessageW(hWnd, PBM_SETBARCOLOR, 0, kBar);
        SendMessageW(hWnd, PBM_SETBKCOLOR, 0, kBackground);
        SendMessageW(hWnd, PBTM_SETTEXTCOLOR, 0, kText);
        SendMessageW(hWnd, PBTM_SETBARTEXTCOLOR, 0, kTextOnBar);
    }

    static inline HWND s_frame = nullptr;
    static inline CFont s_font;
    CTextProgressCtrl m_bar;
    HWND m_hBar = nullptr;
};

struct MessageCase
{
    const char* what;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    long long result; // compared as the 32 bits both builds return
};

TEST_F(TextProgressCtrlTest, AnswersProgressMessages)
{
    // Run in order: each row starts from the state the rows before it left.
    const std::vector<MessageCase> steps = {
        {"position starts at 0", PBM_GETPOS, 0, 0, 0},
        {"range starts at 0..100 (max)", PBM_GETRANGE, FALSE, 0, 100},
        {"range starts at 0..100 (min)", PBM_GETRANGE, TRUE, 0, 0},
        {"step starts at 10", PBM_SETSTEP, 10, 0, 10},
        {"percentage starts on", PBTM_SHOWPERCENT, TRUE, 0, TRUE},
        {"text starts centred", PBTM_SETTEXTALIGN, 1, 0, 1},

        {"set position answers the old one", PBM_SETPOS, 95, 0, 0},
        {"step answers the old position", PBM_STEPIT, 0, 0, 95},
        {"step wraps past the maximum", PBM_GETPOS, 0, 0, 5},
        {"set step answers the old step", PBM_SETSTEP, static_cast<WPARAM>(-10), 0, 10},
        {"negative step answers the old position", PBM_STEPIT, 0, 0, 5},
        {"negative step wraps past the minimum", PBM_GETPOS, 0, 0, 95},
        {"delta answers the old position", PBM_DELTAPOS, static_cast<WPARAM>(-20), 0, 95},
        {"delta moves", PBM_GETPOS, 0, 0, 75},
        {"above the range", PBM_SETPOS, 150, 0, 75},
        {"clamped to the maximum", PBM_GETPOS, 0, 0, 100},
        {"below the range", PBM_SETPOS, static_cast<WPARAM>(-5), 0, 100},
        {"clamped to the minimum", PBM_GETPOS, 0, 0, 0},
        {"delta past the end", PBM_DELTAPOS, 1000, 0, 0},
        {"delta clamped", PBM_GETPOS, 0, 0, 100},

        {"16-bit range answers the old range", PBM_SETRANGE, 0, MAKELPARAM(0, 50), 0x00640000},
        {"maximum from the high word", PBM_GETRANGE, FALSE, 0, 50},
        {"new range leaves the position", PBM_GETPOS, 0, 0, 100},
        {"next position is clamped to it", PBM_SETPOS, 100, 0, 100},
        {"clamped to the new maximum", PBM_GETPOS, 0, 0, 50},
        {"16-bit bounds are unsigned", PBM_SETRANGE, 0, MAKELPARAM(0xFFFF, 0xFFFF), 0x00320000},
        {"minimum 65535", PBM_GETRANGE, TRUE, 0, 0xFFFF},
        {"32-bit range answers low words", PBM_SETRANGE32, static_cast<WPARAM>(-10), 70000, 0xFFFFFFFF},
        {"negative minimum", PBM_GETRANGE, TRUE, 0, -10},
        {"maximum above 65535", PBM_GETRANGE, FALSE, 0, 70000},
        {"position up to 70000", PBM_SETPOS, 60000, 0, 50},
        {"32-bit range packs the old one", PBM_SETRANGE32, 0, 100, 0x1170FFF6},
        {"smaller maximum leaves the position", PBM_GETPOS, 0, 0, 60000},
        {"until the next position", PBM_SETPOS, 60000, 0, 60000},
        {"which is clamped", PBM_GETPOS, 0, 0, 100},

        {"percentage off answers on", PBTM_SHOWPERCENT, FALSE, 0, TRUE},
        {"percentage on answers off", PBTM_SHOWPERCENT, TRUE, 0, FALSE},
        {"alignment answers the old one", PBTM_SETTEXTALIGN, 0, 0, 1},
        {"alignment end", PBTM_SETTEXTALIGN, 2, 0, 0},
        {"alignment back to centre", PBTM_SETTEXTALIGN, 1, 0, 2},
        {"marquee size answers the new one", PBTM_SETMARQUEESIZE, 30, 0, 30},
        {"marquee on answers its flag", PBM_SETMARQUEE, TRUE, 1000000, TRUE},
        {"marquee turned the percentage off", PBTM_SHOWPERCENT, FALSE, 0, FALSE},
        {"marquee runs past the maximum", PBM_SETPOS, 1000, 0, 100},
        {"up to (100 + 30)% of the maximum", PBM_GETPOS, 0, 0, 130},
        {"marquee off answers its flag", PBM_SETMARQUEE, FALSE, 0, FALSE},
        {"percentage stays off", PBTM_SHOWPERCENT, TRUE, 0, FALSE},
        {"without marquee the maximum holds", PBM_SETPOS, 1000, 0, 130},
        {"clamped to 100", PBM_GETPOS, 0, 0, 100},
    };
    for (const MessageCase& step : steps)
        ASSERT_EQ(static_cast<DWORD>(step.result), static_cast<DWORD>(Send(step.message, step.wParam, step.lParam)))
            << step.what;

    PBRANGE range{};
    EXPECT_EQ(100, Send(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range)));
    EXPECT_EQ(0, range.iLow);
    EXPECT_EQ(100, range.iHigh);
}

struct ColorCase
{
    UINT set;
    UINT get;
    int system;
};

TEST_F(TextProgressCtrlTest, DefaultColorsFollowTheSystem)
{
    const ColorCase cases[] = {
        {PBM_SETBARCOLOR, PBTM_GETBARCOLOR, COLOR_HIGHLIGHT},
        {PBM_SETBKCOLOR, PBTM_GETBKCOLOR, COLOR_BTNFACE},
        {PBTM_SETTEXTCOLOR, PBTM_GETTEXTCOLOR, COLOR_WINDOWTEXT},
        {PBTM_SETBARTEXTCOLOR, PBTM_GETBARTEXTCOLOR, COLOR_WINDOW},
    };
    const COLORREF custom = RGB(12, 34, 56);
    for (const ColorCase& c : cases)
    {
        SCOPED_TRACE(c.get);
        EXPECT_EQ(GetSysColor(c.system), static_cast<COLORREF>(Send(c.get)));
        EXPECT_EQ(CLR_DEFAULT, static_cast<COLORREF>(Send(c.set, 0, custom)));
        EXPECT_EQ(custom, static_cast<COLORREF>(Send(c.get)));
        EXPECT_EQ(custom, static_cast<COLORREF>(Send(c.set, 0, CLR_DEFAULT)));
        EXPECT_EQ(GetSysColor(c.system), static_cast<COLORREF>(Send(c.get)));
    }
}

TEST_F(TextProgressCtrlTest, PostedRangeAndPositionArrive)
{
    // As the loading thread drives the bar: the count in the high word, then a position beyond 100.
    const HWND hBar = m_hBar;
    std::thread worker([hBar] {
        PostMessageW(hBar, PBM_SETRANGE, 0, MAKELPARAM(0, 250));
        PostMessageW(hBar, PBM_SETPOS, 200, 0);
    });
    worker.join();
    Pump();
    EXPECT_EQ(250, Send(PBM_GETRANGE, FALSE));
    EXPECT_EQ(200, Send(PBM_GETPOS));
}

TEST_F(TextProgressCtrlTest, PaintsBarEdgeAndTextInTwoColours)
{
    UseTestColors(m_hBar);
    SetWindowTextW(m_hBar, L"Loading ");
    Send(PBM_SETPOS, 50);
    const Image image = Capture(m_hBar);
    ASSERT_EQ(200, image.width);

    // Inside the 2-pixel frame: 196 pixels, half of them bar.
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), image.At(0, 12));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), image.At(100, 0));
    EXPECT_EQ(kBar, image.At(2, 2));
    EXPECT_EQ(kBar, image.At(99, 21));
    EXPECT_EQ(kBackground, image.At(100, 2));
    EXPECT_EQ(kBackground, image.At(197, 21));

    // The centred text straddles the end of the bar and changes colour there.
    const Box onBar = Find(image, kTextOnBar);
    const Box offBar = Find(image, kText);
    EXPECT_GT(onBar.count, 20);
    EXPECT_GT(offBar.count, 20);
    EXPECT_LE(onBar.right, 100);
    EXPECT_GE(offBar.left, 100);
    EXPECT_GE(std::min(onBar.top, offBar.top), 2);
    EXPECT_LE(std::max(onBar.bottom, offBar.bottom), 22);

    // Erasing is left to the paint.
    LRESULT erased = 0;
    const Image untouched = Capture(m_hBar, WM_ERASEBKGND, &erased);
    EXPECT_EQ(TRUE, erased);
    EXPECT_EQ(untouched.width * untouched.height, Find(untouched, kUnpainted).count);
}

struct TextCase
{
    const wchar_t* windowText;
    int min;
    int max;
    int pos;
    const wchar_t* shown; // the same pixels as this text without the percentage
};

TEST_F(TextProgressCtrlTest, WindowTextIsFollowedByThePercentage)
{
    UseTestColors(m_hBar);
    const TextCase cases[] = {
        {L"", 0, 100, 0, L"0%"},
        {L"Loading ", 0, 100, 37, L"Loading 37%"},
        {L"Step", 0, 100, 100, L"Step100%"},
        {L"", 0, 200, 1, L"1%"},
        {L"", 0, 3, 2, L"67%"},
        {L"", 10, 20, 15, L"50%"},
    };
    for (const TextCase& c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.shown)));
        Send(PBM_SETRANGE32, c.min, c.max);
        Send(PBM_SETPOS, c.pos);
        Send(PBTM_SHOWPERCENT, TRUE);
        SetWindowTextW(m_hBar, c.windowText);
        const Image withPercent = Capture(m_hBar);
        Send(PBTM_SHOWPERCENT, FALSE);
        SetWindowTextW(m_hBar, c.shown);
        const Image asText = Capture(m_hBar);
        EXPECT_GT(Find(withPercent, kText).count + Find(withPercent, kTextOnBar).count, 10);
        EXPECT_TRUE(withPercent.pixels == asText.pixels);
    }
}

TEST_F(TextProgressCtrlTest, DefaultsCentreTheTextOverAHighlightBar)
{
    // The inner rectangle is x 2..198.
    Send(PBM_SETPOS, 50);
    const Image image = Capture(m_hBar);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), image.At(50, 2));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), image.At(150, 2));
    const Box onBar = Find(image, GetSysColor(COLOR_WINDOW));
    const Box offBar = Find(image, GetSysColor(COLOR_WINDOWTEXT));
    ASSERT_GT(onBar.count, 0);
    ASSERT_GT(offBar.count, 0);
    EXPECT_NEAR(200, onBar.left + offBar.right, 4);

    Send(PBM_SETPOS, 0);
    Send(PBTM_SETTEXTALIGN, 0);
    EXPECT_NEAR(4, Find(Capture(m_hBar), GetSysColor(COLOR_WINDOWTEXT)).left, 1);
    Send(PBTM_SETTEXTALIGN, 2);
    EXPECT_NEAR(195, Find(Capture(m_hBar), GetSysColor(COLOR_WINDOWTEXT)).right, 2);
}

TEST_F(TextProgressCtrlTest, VerticalBarFillsFromTheBottomWithUpwardText)
{
    CTextProgressCtrl vertical;
    const HWND hWnd = CreateBar(vertical, PBS_VERTICAL, 250, 10, 24, 150);
    ASSERT_TRUE(hWnd);
    UseTestColors(hWnd);
    SetWindowTextW(hWnd, L"Loading ");
    SendMessageW(hWnd, PBM_SETPOS, 50, 0);
    const Image image = Capture(hWnd);

    // Inner rectangle y 2..148; half of its 146 pixels from the bottom.
    EXPECT_EQ(kBar, image.At(2, 147));
    EXPECT_EQ(kBar, image.At(21, 75));
    EXPECT_EQ(kBackground, image.At(2, 74));
    EXPECT_EQ(kBackground, image.At(21, 2));
    const Box onBar = Find(image, kTextOnBar);
    const Box offBar = Find(image, kText);
    EXPECT_GT(onBar.count, 20);
    EXPECT_GT(offBar.count, 20);
    EXPECT_GE(onBar.top, 75);
    EXPECT_LE(offBar.bottom, 75);
    // Rotated: the text is taller than wide.
    EXPECT_GT(onBar.bottom - offBar.top, 3 * (std::max(onBar.right, offBar.right) - std::min(onBar.left, offBar.left)));
    DestroyWindow(hWnd);
}

struct BlockCase
{
    int pos;
    int first; // first and one past the last column of the block; equal when there is none
    int end;
};

TEST_F(TextProgressCtrlTest, MarqueeBlockFollowsThePosition)
{
    UseTestColors(m_hBar);
    Send(PBM_SETMARQUEE, TRUE, 1000000);
    // 196 pixels inside the frame; the block is 39 of them long and ends at 2 + 196 * pos / 100.
    const BlockCase cases[] = {{0, 2, 2}, {10, 2, 21}, {60, 80, 119}, {110, 178, 198}, {120, 198, 198}};
    for (const BlockCase& c : cases)
    {
        Send(PBM_SETPOS, c.pos);
        const Image image = Capture(m_hBar);
        for (int x = 2; x < 198; ++x)
            ASSERT_EQ(x >= c.first && x < c.end ? kBar : kBackground, image.At(x, 12)) << c.pos << " at " << x;
    }
    Send(PBM_SETMARQUEE, FALSE);
}

TEST_F(TextProgressCtrlTest, MarqueeTimerBouncesBetweenMinimumAndEnd)
{
    EXPECT_EQ(TRUE, Send(PBM_SETMARQUEE, TRUE, 1000000));
    EXPECT_NE(0, GetWindowLongPtrW(m_hBar, GWL_STYLE) & PBS_MARQUEE);
    EXPECT_TRUE(KillTimer(m_hBar, 1)); // it was running
    Send(PBM_SETMARQUEE, FALSE);
    EXPECT_EQ(0, GetWindowLongPtrW(m_hBar, GWL_STYLE) & PBS_MARQUEE);
    EXPECT_FALSE(KillTimer(m_hBar, 1));
    Send(PBM_SETMARQUEE, TRUE, 1000000);

    // The direction is shared by every bar of the module and carries over from row to row. The
    // first row sets it whatever earlier bars left: at the end of its run the bar turns back.
    struct Run
    {
        int min;
        int max;
        int start;
        std::vector<int> ticks;
    };
    const Run runs[] = {
        {0, 100, 120, {119, 118}}, {0, 100, 0, {1, 2, 3}}, {0, 100, 119, {120, 119, 118}},
        {0, 100, 1, {0, 1, 2}},    {10, 50, 59, {60, 59}}, // the end is 120% of the maximum, whatever the minimum
        {10, 50, 11, {10, 11}},
    };
    for (const Run& run : runs)
    {
        Send(PBM_SETRANGE32, run.min, run.max);
        Send(PBM_SETPOS, run.start);
        for (int expected : run.ticks)
        {
            Send(WM_TIMER, 1);
            EXPECT_EQ(expected, Send(PBM_GETPOS)) << run.start;
        }
    }
    Send(WM_TIMER, 2);
    EXPECT_EQ(11, Send(PBM_GETPOS));
    Send(PBM_SETMARQUEE, FALSE);
}

TEST_F(TextProgressCtrlTest, EmptyRangePaintsNothingButValidates)
{
    for (int max : {50, 40})
    {
        Send(PBM_SETRANGE32, 50, max);
        const Image image = Capture(m_hBar);
        EXPECT_EQ(image.width * image.height, Find(image, kUnpainted).count) << max;
        InvalidateRect(m_hBar, nullptr, FALSE);
        UpdateWindow(m_hBar);
        EXPECT_FALSE(GetUpdateRect(m_hBar, nullptr, FALSE)) << max;
    }
}
} // namespace
