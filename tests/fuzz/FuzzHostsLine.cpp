// Parse, format and parse again: entries must keep their fields, other lines their bytes,
// and a whole file must survive a rewrite from its records.
#include "hosts/HostsDocument.h"
#include "hosts/HostsLine.h"
#include "hosts/LineSplitter.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
void Fail(int line)
{
    std::fprintf(stderr, "check failed at line %d\n", line);
    std::abort();
}
#define Check(condition) ((condition) ? (void)0 : Fail(__LINE__))

bool SameEntry(const CHostsRecord& a, const CHostsRecord& b)
{
    return a.IsEntry() && b.IsEntry() && a.m_strAddress == b.m_strAddress && a.m_strHost == b.m_strHost &&
           a.m_strMoreHosts == b.m_strMoreHosts && a.m_strComment == b.m_strComment && a.m_bDisabled == b.m_bDisabled;
}

void CheckLine(const std::wstring& line)
{
    CHostsRecord first = CHostsLine::Parse(line);
    first.m_bLastLine = 1;
    const std::wstring written = CHostsLine::FormatLine(first);
    if (!first.IsEntry())
    {
        Check(written == line);
        return;
    }
    Check(SameEntry(first, CHostsLine::Parse(written)));
}

void CheckFile(const std::wstring& text)
{
    CHostsDocument original;
    const auto lines = CLineSplitter::Split<wchar_t>(text);
    for (std::wstring_view line : lines)
        original.AppendLine(line);
    original.FinishLoad();
    Check(!original.IsModified());

    std::wstring joined;
    for (size_t i = 0; i < lines.size(); ++i)
        joined.append(lines[i]).append(i + 1 < lines.size() ? L"\r\n" : L"");
    Check(original.GetText() == joined);

    CHostsDocument reread;
    const std::wstring rewritten = original.FormatRecords();
    for (std::wstring_view line : CLineSplitter::Split<wchar_t>(rewritten))
        reread.AppendLine(line);
    reread.FinishLoad();
    // A trailing empty line is written as nothing after the last line break, so the next
    // read drops it.
    const bool droppedEmptyLine = !lines.empty() && lines.back().empty();
    std::wstring expected = rewritten;
    if (droppedEmptyLine && expected.size() >= 2)
        expected.resize(expected.size() - 2);
    Check(reread.GetEntryCount() == original.GetEntryCount());
    Check(reread.GetOtherLineCount() + (droppedEmptyLine ? 1 : 0) == original.GetOtherLineCount());
    for (int i = 0; i < original.GetEntryCount(); ++i)
        Check(SameEntry(*original.GetEntry(i), *reread.GetEntry(i)));
    Check(reread.FormatRecords() == expected);

    // The reader's way, the whole text at once, gives the same document.
    CHostsDocument whole;
    const int count = whole.BeginLoad(text);
    Check(count == static_cast<int>(lines.size()));
    while (whole.ParseLines(7))
    {
    }
    whole.FinishLoad();
    Check(whole.GetText() == joined);
    Check(whole.GetEntryCount() == original.GetEntryCount());
    Check(whole.GetOtherLineCount() == original.GetOtherLineCount());
    Check(whole.FormatRecords() == rewritten);
    Check(!whole.IsModified());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Each byte stands for one character: the grammar only cares about ASCII.
    std::wstring text(data, data + size);
    CheckLine(text);
    CheckFile(text);
    return 0;
}
