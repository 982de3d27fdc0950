#include "form/FailureText.h"

#include "resources/Texts.h"

#include <cwchar>

namespace
{
using texts::kCannotRead;
using texts::kCannotWrite;

std::wstring LineText(int line)
{
    return line > 0 ? L"Line " + std::to_wstring(line) : std::wstring(L"A line");
}

// "U+XXXX" of the character, a surrogate pair taken as one.
std::wstring CodePointText(const std::wstring& character)
{
    unsigned long point = character.empty() ? 0 : static_cast<unsigned long>(character[0]);
    if (character.size() == 2 && point >= 0xD800 && point < 0xDC00 && character[1] >= 0xDC00 && character[1] < 0xE000)
        point = 0x10000 + ((point - 0xD800) << 10) + (static_cast<unsigned long>(character[1]) - 0xDC00);
    wchar_t text[16];
    swprintf(text, 16, L"U+%04lX", point);
    return text;
}
} // namespace

std::wstring MegabytesText(uint64_t bytes)
{
    const uint64_t megabytes = (bytes + (1u << 19)) >> 20;
    return std::to_wstring(megabytes ? megabytes : 1) + L" MB";
}

std::wstring LoadFailureText(const CFileFailure& failure)
{
    switch (failure.kind)
    {
    case FileFailureKind::UndefinedByte:
        return kCannotRead + LineText(failure.line) +
               L" holds a byte that is no character in the system's ANSI code page.";
    case FileFailureKind::NulByte:
        return kCannotRead + LineText(failure.line) +
               L" holds a NUL byte: the file is not 8-bit text (it may have been saved as Unicode).";
    case FileFailureKind::OutOfMemory:
        return L"Not enough memory to load the hosts file (" + MegabytesText(failure.bytes) + L").";
    default:
        return std::wstring(kCannotRead) + texts::kReadBlocked;
    }
}

std::wstring SaveFailureText(const CFileFailure& failure)
{
    switch (failure.kind)
    {
    case FileFailureKind::Unrepresentable:
        return kCannotWrite + LineText(failure.line) + L" holds the character \"" + failure.character + L"\" (" +
               CodePointText(failure.character) + L"), which the system's ANSI code page cannot hold.";
    case FileFailureKind::OutOfMemory:
        return L"Not enough memory to save the hosts file (" + MegabytesText(failure.bytes) + L").";
    default:
        return std::wstring(kCannotWrite) + texts::kWriteBlocked;
    }
}
