#include "form/FailureText.h"

#include <gtest/gtest.h>

TEST(FailureText, SaysWhatIsWrongAndWhere)
{
    struct Case
    {
        bool load;
        CFileFailure failure;
        const wchar_t* text;
    };
    // clang-format off
    const Case cases[] = {
        {true, {FileFailureKind::Access, 0, L"", 0, L""},
         L"Can't read hosts file! Probably, file is exclusively blocked by other application. "},
        {false, {FileFailureKind::Access, 0, L"", 0, L""},
         L"Can't write to hosts file! Probably, file is exclusively blocked by other application."},
        {true, {FileFailureKind::UndefinedByte, 12, L"", 0, L""},
         L"Can't read hosts file! Line 12 holds a byte that is no character in the system's ANSI code page."},
        {true, {FileFailureKind::NulByte, 1, L"", 0, L""},
         L"Can't read hosts file! Line 1 holds a NUL byte: the file is not 8-bit text (it may have been saved as "
         L"Unicode)."},
        {true, {FileFailureKind::NulByte, 0, L"", 0, L""},
         L"Can't read hosts file! A line holds a NUL byte: the file is not 8-bit text (it may have been saved as "
         L"Unicode)."},
        {false, {FileFailureKind::Unrepresentable, 3, L"\x0416", 0, L""},
         L"Can't write to hosts file! Line 3 holds the character \"\x0416\" (U+0416), which the system's ANSI code "
         L"page cannot hold."},
        {false, {FileFailureKind::Unrepresentable, 7, L"\xD83D\xDE00", 0, L""},
         L"Can't write to hosts file! Line 7 holds the character \"\xD83D\xDE00\" (U+1F600), which the system's ANSI "
         L"code page cannot hold."},
        {true, {FileFailureKind::OutOfMemory, 0, L"", 119u << 20, L""}, L"Not enough memory to load the hosts file (119 MB)."},
        {true, {FileFailureKind::OutOfMemory, 0, L"", 1000, L""}, L"Not enough memory to load the hosts file (1 MB)."},
        {false, {FileFailureKind::OutOfMemory, 0, L"", 3ull << 30, L""}, L"Not enough memory to save the hosts file (3072 MB)."},
        {false, {FileFailureKind::Damaged, 0, L"", 0, L""},
         L"Can't write to hosts file! The file may be incomplete: neither its new content nor its old one could be "
         L"written whole."},
        {false, {FileFailureKind::Access, 0, L"", 0, L"C:\\etc\\hosts.norvik-save-0000ABCD.tmp"},
         L"Can't write to hosts file! The file is missing now; its new content is kept in "
         L"\"C:\\etc\\hosts.norvik-save-0000ABCD.tmp\"."},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(c.text, c.load ? LoadFailureText(c.failure) : SaveFailureText(c.failure));
}
