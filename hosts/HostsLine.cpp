#include "hosts/HostsLine.h"

namespace
{
// Names between the first host name and the comment, joined by single blanks.
std::wstring CollectMoreHosts(std::wstring_view text)
{
    std::wstring names;
    size_t i = 0;
    while (i < text.size())
    {
        while (i < text.size() && CHostsLine::IsBlank(text[i]))
            ++i;
        const size_t start = i;
        while (i < text.size() && !CHostsLine::IsBlank(text[i]))
            ++i;
        if (i > start)
        {
            if (!names.empty())
                names += L' ';
            names.append(text.substr(start, i - start));
        }
    }
    return names;
}
} // namespace

bool CHostsLine::ParseAddress(std::wstring_view line, std::wstring& address, bool& disabled, size_t& next)
{
    wchar_t stored[16];
    size_t length = 0;
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
            address.assign(stored, length);
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

size_t CHostsLine::ParseHostName(std::wstring_view line, size_t from, std::wstring& host)
{
    size_t i = from;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    const size_t start = i;
    while (i < line.size() && !IsBlank(line[i]))
        ++i;
    host.assign(line.substr(start, i - start));
    return i < line.size() ? i + 1 : line.size();
}

size_t CHostsLine::ParseComment(std::wstring_view line, size_t from, std::wstring& comment)
{
    comment.clear();
    const size_t hash = from < line.size() ? line.find(L'#', from) : std::wstring_view::npos;
    if (hash == std::wstring_view::npos)
        return hash;
    size_t i = hash + 1;
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t'))
        ++i;
    comment.assign(line.substr(i));
    return hash;
}

CHostsRecord CHostsLine::Parse(std::wstring_view line)
{
    std::wstring address;
    bool disabled = false;
    size_t next = 0;
    if (!ParseAddress(line, address, disabled, next))
        return CHostsRecord(std::wstring(line), disabled);

    std::wstring host;
    std::wstring comment;
    const size_t afterHost = ParseHostName(line, next, host);
    const size_t hash = ParseComment(line, afterHost, comment);
    const size_t namesEnd = hash == std::wstring_view::npos ? line.size() : hash;
    std::wstring moreHosts = afterHost < namesEnd ? CollectMoreHosts(line.substr(afterHost, namesEnd - afterHost))
                                                  : std::wstring();
    return CHostsRecord(std::move(address), std::move(host), std::move(comment), disabled, std::move(moreHosts));
}

void CHostsLine::AppendFormatted(const CHostsRecord& record, std::wstring& out)
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
    if (!record.m_bLastLine)
        out += L'\n';
}

std::wstring CHostsLine::FormatLine(const CHostsRecord& record)
{
    std::wstring line;
    AppendFormatted(record, line);
    return line;
}
