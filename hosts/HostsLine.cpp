#include "hosts/HostsLine.h"

namespace
{
// Step 1 into a buffer of 15 characters; false when the line is not an entry.
bool ScanAddress(std::wstring_view line, wchar_t* stored, size_t& length, bool& disabled, size_t& next)
{
    length = 0;
    int digitsInGroup = 0;
    int dots = 0;
    disabled = false;
    for (size_t i = 0; i < line.size(); ++i)
    {
        const wchar_t c = line[i];
        if (c == L'#')
        {
            disabled = true;
        }
        else if (c >= L'0' && c <= L'9')
        {
            if (++digitsInGroup > 3)
                return false;
            stored[length++] = c;
        }
        else if (c == L'.')
        {
            if (++dots > 3)
                return false;
            digitsInGroup = 0;
            stored[length++] = c;
        }
        else if (c == L' ' || c == L'\t')
        {
            if (length == 0)
                continue;
            if (dots != 3)
                return false;
            next = i + 1;
            return true;
        }
        else if (c != L'\r' && c != L'\n')
        {
            return false;
        }
    }
    return false;
}

size_t ScanHostName(std::wstring_view line, size_t from, std::wstring_view& host)
{
    size_t i = from;
    while (i < line.size() && CHostsLine::IsBlank(line[i]))
        ++i;
    const size_t start = i;
    while (i < line.size() && !CHostsLine::IsBlank(line[i]))
        ++i;
    host = line.substr(start, i - start);
    return i < line.size() ? i + 1 : line.size();
}

size_t ScanComment(std::wstring_view line, size_t from, std::wstring_view& comment)
{
    comment = std::wstring_view();
    const size_t hash = from < line.size() ? line.find(L'#', from) : std::wstring_view::npos;
    if (hash == std::wstring_view::npos)
        return hash;
    size_t i = hash + 1;
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t'))
        ++i;
    comment = line.substr(i);
    return hash;
}
} // namespace

void CHostsLine::ParseFields(std::wstring_view line, CLineFields& fields)
{
    size_t next = 0;
    fields.entry = ScanAddress(line, fields.address, fields.addressLength, fields.disabled, next);
    fields.host = fields.names = fields.comment = std::wstring_view();
    if (!fields.entry)
        return;
    const size_t afterHost = ScanHostName(line, next, fields.host);
    const size_t hash = ScanComment(line, afterHost, fields.comment);
    const size_t namesEnd = hash == std::wstring_view::npos ? line.size() : hash;
    if (afterHost < namesEnd)
        fields.names = line.substr(afterHost, namesEnd - afterHost);
}

void CHostsLine::AppendNames(std::wstring_view text, std::wstring& out)
{
    bool first = true;
    size_t i = 0;
    while (i < text.size())
    {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        const size_t start = i;
        while (i < text.size() && !IsBlank(text[i]))
            ++i;
        if (i > start)
        {
            if (!first)
                out += L' ';
            out.append(text.substr(start, i - start));
            first = false;
        }
    }
}

bool CHostsLine::ParseAddress(std::wstring_view line, std::wstring& address, bool& disabled, size_t& next)
{
    wchar_t stored[16];
    size_t length = 0;
    if (!ScanAddress(line, stored, length, disabled, next))
        return false;
    address.assign(stored, length);
    return true;
}

size_t CHostsLine::ParseHostName(std::wstring_view line, size_t from, std::wstring& host)
{
    std::wstring_view name;
    const size_t end = ScanHostName(line, from, name);
    host.assign(name);
    return end;
}

size_t CHostsLine::ParseComment(std::wstring_view line, size_t from, std::wstring& comment)
{
    std::wstring_view text;
    const size_t hash = ScanComment(line, from, text);
    comment.assign(text);
    return hash;
}

CHostsRecord CHostsLine::Parse(std::wstring_view line)
{
    CLineFields fields;
    ParseFields(line, fields);
    if (!fields.entry)
        return CHostsRecord(std::wstring(line), fields.disabled);
    std::wstring moreHosts;
    AppendNames(fields.names, moreHosts);
    return CHostsRecord(std::wstring(fields.Address()), std::wstring(fields.host), std::wstring(fields.comment),
                        fields.disabled, std::move(moreHosts));
}

void CHostsLine::AppendFormatted(std::wstring_view line, const CLineFields& fields, bool lastLine, std::wstring& out)
{
    if (fields.entry)
    {
        if (fields.disabled)
            out += L"# ";
        out += fields.Address();
        out += L' ';
        out += fields.host;
        const size_t before = out.size();
        out += L' ';
        AppendNames(fields.names, out);
        if (out.size() == before + 1)
            out.resize(before);
        if (!fields.comment.empty())
        {
            out += L" # ";
            out += fields.comment;
        }
    }
    else
    {
        out += line;
    }
    if (!lastLine)
        out += L'\n';
}

void CHostsLine::AppendFormatted(const CHostsRecord& record, bool lastLine, std::wstring& out)
{
    if (record.IsEntry())
    {
        if (record.m_bDisabled)
            out += L"# ";
        out += record.m_strAddress;
        out += L' ';
        out += record.m_strHost;
        if (!record.m_strMoreHosts.empty())
        {
            out += L' ';
            out += record.m_strMoreHosts;
        }
        if (!record.m_strComment.empty())
        {
            out += L" # ";
            out += record.m_strComment;
        }
    }
    else
    {
        out += record.m_strLine;
    }
    if (!lastLine)
        out += L'\n';
}

std::wstring CHostsLine::FormatLine(const CHostsRecord& record)
{
    std::wstring line;
    AppendFormatted(record, record.m_bLastLine != 0, line);
    return line;
}
