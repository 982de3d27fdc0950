// Decode as the reader does, then parse, format and parse again: a UTF-8 file must encode
// back to its bytes, entries must keep their fields, other lines their bytes, and a whole file
// must survive a rewrite from its records. Bytes after a NUL are edits (add, remove, change,
// toggle): a discard must give back exactly the file as loaded.
#include "hosts/FileTextDecoder.h"
#include "hosts/HostsDocument.h"
#include "hosts/HostsLine.h"
#include "hosts/LineSplitter.h"
#include "hosts/Utf8Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    // A line said to be as a save writes it is copied at a save: it must be exactly that.
    CLineFields fields;
    CHostsLine::ParseFields(line, fields);
    std::wstring formatted;
    CHostsLine::AppendFormatted(line, fields, true, formatted);
    Check(CHostsLine::IsCanonical(line, fields) == (formatted == line));
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

void CheckEdits(const std::wstring& text, const uint8_t* edits, size_t size)
{
    CHostsDocument doc;
    doc.BeginLoad(text);
    while (doc.ParseLines(64))
    {
    }
    doc.FinishLoad();
    const std::wstring loaded = doc.FormatRecords();
    for (const uint8_t* edit = edits; edit < edits + size; ++edit)
    {
        CHostsRecord* entry = doc.GetEntry(doc.GetEntryCount() ? *edit / 4 % doc.GetEntryCount() : 0);
        const bool modified = doc.IsModified();
        const std::wstring before = doc.FormatRecords();
        if (*edit % 4 == 0) // an entry added and removed again changes nothing
            Check(doc.RemoveEntry(doc.AddEntry(CHostsRecord(L"10.0.0.1", L"a", L"", false))) &&
                  doc.IsModified() == modified && doc.FormatRecords() == before);
        if (*edit % 4 == 0)
            doc.AddEntry(CHostsRecord(L"10.0.0.2", L"kept", L"note", true));
        else if (entry && *edit % 4 == 1)
            doc.RemoveEntry(*edit / 4 % doc.GetEntryCount());
        else if (entry)
            (*edit % 4 == 2 ? entry->m_strHost : entry->m_strComment) += L"x";
    }
    doc.RevertEntries();
    Check(!doc.IsModified() && doc.FormatRecords() == loaded);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t textSize = nul ? static_cast<size_t>(nul - data) : size;
    const std::string_view bytes(reinterpret_cast<const char*>(data), textSize);
    // Outside UTF-8 each byte stands for one character: the grammar only cares about ASCII.
    CFileTextDecoder decoder([](std::string_view piece, std::wstring& out) {
        for (const char byte : piece)
            out += static_cast<wchar_t>(static_cast<unsigned char>(byte));
        return true;
    });
    std::wstring text;
    if (decoder.Decode(bytes, text) == CFileTextDecoder::Step::Restart)
        Check(decoder.Decode(bytes, text) == CFileTextDecoder::Step::Decoded);
    if (decoder.Encoding() != TextEncoding::Ansi)
    {
        std::string back(decoder.Encoding() == TextEncoding::Utf8WithMark ? CUtf8Text::kMark : "");
        Check(CUtf8Text::EncodeAppend(text, back) && back == bytes);
    }
    CheckLine(text);
    CheckFile(text);
    if (nul)
        CheckEdits(text, nul + 1, size - textSize - 1);
    return 0;
}
