#include "form/FailureText.h"

#include "resources/Texts.h"

#include <cwchar>
#include <initializer_list>

namespace
{
using texts::kCannotRead;
using texts::kCannotWrite;

// `format` with each "%s" replaced by the next of `arguments`.
std::wstring Fill(std::wstring format, std::initializer_list<std::wstring> arguments)
{
    size_t at = 0;
    for (const std::wstring& argument : arguments)
    {
        at = format.find(L"%s", at);
        if (at == std::wstring::npos)
            break;
        format.replace(at, 2, argument);
        at += argument.size();
    }
    return format;
}

std::wstring LineText(int line)
{
    if (line <= 0)
        return texts::kSomeLine;
    std::wstring text = texts::kLineNumber;
    return text.replace(text.find(L"%d"), 2, std::to_wstring(line));
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
    return std::to_wstring(megabytes ? megabytes : 1) + texts::kMegabytes;
}

std::wstring LoadFailureText(const CFileFailure& failure)
{
    switch (failure.kind)
    {
    case FileFailureKind::UndefinedByte:
        return kCannotRead + LineText(failure.line) + texts::kUndefinedByte;
    case FileFailureKind::NulByte:
        return kCannotRead + LineText(failure.line) + texts::kNulByte;
    case FileFailureKind::OutOfMemory:
        return Fill(texts::kNoMemoryToLoad, {MegabytesText(failure.bytes)});
    default:
        return std::wstring(kCannotRead) + texts::kReadBlocked;
    }
}

std::wstring SaveFailureText(const CFileFailure& failure)
{
    switch (failure.kind)
    {
    case FileFailureKind::Unrepresentable:
        return kCannotWrite + LineText(failure.line) +
               Fill(texts::kUnrepresentable, {failure.character, CodePointText(failure.character)});
    case FileFailureKind::OutOfMemory:
        return Fill(texts::kNoMemoryToSave, {MegabytesText(failure.bytes)});
    case FileFailureKind::Damaged:
        if (!failure.keptFile.empty())
            return kCannotWrite + (texts::kOldNotPutBack + Fill(texts::kNewContentKeptBeside, {failure.keptFile}));
        return std::wstring(kCannotWrite) + texts::kOldNotPutBack;
    default:
        if (!failure.keptFile.empty())
            return kCannotWrite + Fill(texts::kNewContentKept, {failure.keptFile});
        return std::wstring(kCannotWrite) + texts::kWriteBlocked;
    }
}
