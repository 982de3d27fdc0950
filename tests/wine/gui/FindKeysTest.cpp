// Ctrl+F and F3 through real keys and the page's key hook, in the table and the text view.
#include "FindPage.h"

#include <algorithm>

namespace
{
enum class Focus
{
    View,
    ReadOnlyBox
};

struct OpenCase : NamedCase
{
    bool textView;
    WORD key; // 'F' with Ctrl, or F3
    Focus focus;
    bool tableSearched; // a search in the table view first
};
using FindKeys = CaseFixture<FindDialog, OpenCase>;

struct AgainCase : NamedCase
{
    bool textView;
    bool up;
};
using FindAgain = CaseFixture<FindDialog, AgainCase>;
} // namespace

TEST_P(FindKeys, OpenTheFindDialogOfTheView)
{
    const OpenCase& c = GetParam();
    FocusRow(0);
    if (c.tableSearched)
    {
        ASSERT_TRUE(WithSearch([](HWND dialog) {
            Type(dialog, IDC_FIND_HOST, L"hit");
            ClickFindNext(dialog);
        }));
        ASSERT_EQ(1, FocusedRow());
    }
    if (c.textView)
        ShowText();
    SetFocus(c.focus == Focus::View ? (c.textView ? TextEdit() : Table()) : ReadOnlyBox());
    std::wstring caption;
    bool itsControl = false;
    const std::vector<WORD> modifiers = c.key == 'F' ? std::vector<WORD>{VK_LCONTROL} : std::vector<WORD>{};
    ASSERT_TRUE(InDialog([&] { PressKey(c.key, modifiers); },
                         [&](HWND dialog) {
                             caption = WindowText(dialog);
                             itsControl = GetDlgItem(dialog, c.textView ? IDC_FIND_TEXT : IDC_FIND_HOST) != nullptr;
                         }));
    EXPECT_EQ(c.textView ? L"Dialog" : L"Find", caption);
    EXPECT_TRUE(itsControl) << "the other view's dialog";
    EXPECT_EQ(0u, m_boxes.Count());
}

CASE_TABLE(Keys, FindKeys, OpenCase{{"CtrlFInTheTable"}, false, 'F', Focus::View, false},
           OpenCase{{"CtrlFInTheText"}, true, 'F', Focus::View, false},
           OpenCase{{"CtrlFOnTheReadOnlyBox"}, true, 'F', Focus::ReadOnlyBox, false},
           OpenCase{{"F3InATableNeverSearched"}, false, VK_F3, Focus::View, false},
           OpenCase{{"F3InATextNeverSearched"}, true, VK_F3, Focus::View, false},
           OpenCase{{"F3InATextAfterATableSearch"}, true, VK_F3, Focus::View, true});

TEST_P(FindAgain, F3RepeatsTheLastSearchWithoutADialogUntilNothingIsLeft)
{
    const AgainCase& c = GetParam();
    // The hits for "hit" in the order the search meets them.
    std::vector<int> hits;
    if (c.textView)
    {
        ShowText();
        const std::wstring text = TextViewText();
        for (size_t at = text.find(L"hit"); at != std::wstring::npos; at = text.find(L"hit", at + 1))
            hits.push_back(static_cast<int>(at));
        const WPARAM start = c.up ? text.size() : 0;
        SendMessageW(TextEdit(), EM_SETSEL, start, static_cast<LPARAM>(start));
    }
    else
    {
        // Row 6 is a hit itself, where an upward search starts from.
        hits = c.up ? std::vector<int>{1, 3, 4} : std::vector<int>{1, 3, 4, 6};
        FocusRow(c.up ? 6 : 0);
    }
    if (c.up)
        std::reverse(hits.begin(), hits.end());
    ASSERT_GE(hits.size(), 3u);
    const HWND view = c.textView ? TextEdit() : Table();
    auto at = [&] { return c.textView ? static_cast<int>(TextSelection().first) : FocusedRow(); };
    ASSERT_TRUE(WithSearch([&](HWND dialog) {
        if (c.up)
            Click(dialog, IDC_FIND_UP);
        Type(dialog, c.textView ? IDC_FIND_TEXT : IDC_FIND_HOST, L"hit");
        ClickFindNext(dialog);
        EXPECT_EQ(hits[0], at());
    }));

    CDialogScript none(m_boxes, IDC_FIND_NEXT);
    none.Cancel();
    // An early miss is answered, so that it fails the test instead of hanging it.
    m_boxes.QueueAnswer(IDOK);
    for (size_t i = 1; i < hits.size(); ++i)
    {
        SetFocus(view);
        PressKey(VK_F3);
        EXPECT_EQ(hits[i], at()) << i;
        if (c.textView)
            EXPECT_EQ(static_cast<DWORD>(hits[i] + 3), TextSelection().second) << i;
        else
            EXPECT_EQ(std::vector<int>{hits[i]}, SelectedRows()) << i;
    }
    EXPECT_EQ(0u, m_boxes.Count());
    // Nothing left, and nothing wraps round.
    SetFocus(view);
    PressKey(VK_F3);
    ExpectNotFound();
    EXPECT_EQ(hits.back(), at());
    EXPECT_FALSE(none.Opened()) << "F3 after a search opened a dialog";
}

CASE_TABLE(Repeated, FindAgain, AgainCase{{"TableDown"}, false, false}, AgainCase{{"TableUp"}, false, true},
           AgainCase{{"TextDown"}, true, false}, AgainCase{{"TextUp"}, true, true});
