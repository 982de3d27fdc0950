#pragma once

#include "hosts/HostsRecord.h"

#include <cstddef>
#include <string>
#include <string_view>

// The parts of one line as a record would hold them, pointing into the line instead of
// copying it. The address is kept apart: '#', CR and LF inside it are not part of it.
struct CLineFields
{
    bool entry = false;
    bool disabled = false;
    wchar_t address[16] = {};
    size_t addressLength = 0;
    std::wstring_view host;
    std::wstring_view names; // between the host name and the comment: further names, any blanks
    std::wstring_view comment;

    std::wstring_view Address() const { return std::wstring_view(address, addressLength); }
};

// The grammar of one hosts line, both ways: text to record and record to text.
class CHostsLine
{
public:
    // The whole grammar in one pass, without allocating.
    static void ParseFields(std::wstring_view line, CLineFields& fields);
    // Further names as a record holds them: joined by single blanks.
    static void AppendNames(std::wstring_view names, std::wstring& out);
    // As AppendFormatted does for the record Parse would make of `line`.
    static void AppendFormatted(std::wstring_view line, const CLineFields& fields, bool lastLine, std::wstring& out);
    // AppendFormatted would write `line` itself, character for character: a save may copy it.
    static bool IsCanonical(std::wstring_view line, const CLineFields& fields);

    // Step 1: a dotted IPv4 address, '#' anywhere before or inside it disabling the entry.
    // On success `next` is the index after the blank that ended the address.
    static bool ParseAddress(std::wstring_view line, std::wstring& address, bool& disabled, size_t& next);
    // Step 2: the first host name from `from`; returns where the comment search starts.
    static size_t ParseHostName(std::wstring_view line, size_t from, std::wstring& host);
    // Step 3: the comment after the first '#' at or after `from`; returns that '#''s index or npos.
    static size_t ParseComment(std::wstring_view line, size_t from, std::wstring& comment);

    // A record for one line (without its line break); not yet numbered.
    static CHostsRecord Parse(std::wstring_view line);
    // The same from the fields ParseFields gave for `line`.
    static CHostsRecord MakeRecord(std::wstring_view line, const CLineFields& fields);

    // "%s%s %s%s%s" for entries, the line itself for the rest, then "\n" unless it is the last line.
    static std::wstring FormatLine(const CHostsRecord& record);
    static void AppendFormatted(const CHostsRecord& record, std::wstring& out)
    {
        AppendFormatted(record, record.m_bLastLine != 0, out);
    }
    // The same with the line break decided by the caller.
    static void AppendFormatted(const CHostsRecord& record, bool lastLine, std::wstring& out);

    static bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }
};
