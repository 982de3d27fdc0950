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

namespace
{
// Further names as written: empty, or a blank and names joined by single blanks.
bool NamesCanonical(std::wstring_view part)
{
    if (part.empty())
        return true;
    if (part.size() < 2 || part[0] != L' ' || CHostsLine::IsBlank(part[1]) || CHostsLine::IsBlank(part.back()))
        return false;
    for (size_t i = 1; i < part.size(); ++i)
        if (CHostsLine::IsBlank(part[i]) && (part[i] != L' ' || CHostsLine::IsBlank(part[i - 1])))
            return false;
    return true;
}
} // namespace

bool CHostsLine::IsCanonical(std::wstring_view line, const CLineFields& fields)
{
    if (!fields.entry)
        return true;
    // "# " when disabled, the address as stored, one blank, the host name right after it.
    const std::wstring_view prefix = fields.disabled ? L"# " : L"";
    const std::wstring_view address = fields.Address();
    if (line.substr(0, prefix.size()) != prefix || line.substr(prefix.size(), address.size()) != address)
        return false;
    const size_t blank = prefix.size() + address.size();
    if (blank >= line.size() || line[blank] != L' ' || fields.host.data() != line.data() + blank + 1)
        return false;
    const size_t afterHost = blank + 1 + fields.host.size();
    const size_t hash = line.find(L'#', afterHost);
    if (hash == std::wstring_view::npos)
        return NamesCanonical(line.substr(afterHost));
    // " # " and the comment, which is never empty and never starts with a blank here.
    if (fields.comment.empty() || hash < afterHost + 1 || line[hash - 1] != L' ' || hash + 1 >= line.size() ||
        line[hash + 1] != L' ' || fields.comment.data() != line.data() + hash + 2)
        return false;
    return NamesCanonical(line.substr(afterHost, hash - 1 - afterHost));
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
    return MakeRecord(line, fields);
}

CHostsRecord CHostsLine::MakeRecord(std::wstring_view line, const CLineFields& fields)
{
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
