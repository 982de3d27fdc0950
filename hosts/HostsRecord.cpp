#include "hosts/HostsRecord.h"

#include <utility>
#include <vector>

namespace
{
bool IsNameBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

wchar_t FoldAscii(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Host names are compared without regard to case, as resolvers compare them.
bool SameName(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}
} // namespace

CHostsRecord::CHostsRecord(std::wstring address, std::wstring host, std::wstring comment, bool disabled,
                           std::wstring moreHosts)
    : m_nKind(RECORD_ENTRY)
    , m_strAddress(std::move(address))
    , m_strHost(std::move(host))
    , m_strComment(std::move(comment))
    , m_bDisabled(disabled ? 1 : 0)
    , m_strMoreHosts(std::move(moreHosts))
{
}

CHostsRecord::CHostsRecord(std::wstring line, bool disabled)
    : m_nKind(RECORD_VERBATIM), m_strLine(std::move(line)), m_bDisabled(disabled ? 1 : 0)
{
}

bool CHostsRecord::operator==(const CHostsRecord& other) const
{
    return m_nSequence == other.m_nSequence && m_nKind == other.m_nKind && m_bDisabled == other.m_bDisabled &&
           m_bLastLine == other.m_bLastLine && m_strLine == other.m_strLine && m_strAddress == other.m_strAddress &&
           m_strHost == other.m_strHost && m_strComment == other.m_strComment && m_strMoreHosts == other.m_strMoreHosts;
}

std::wstring CHostsRecord::AllNames() const
{
    if (m_strMoreHosts.empty())
        return m_strHost;
    return m_strHost + L' ' + m_strMoreHosts;
}

bool CHostsRecord::SetNames(std::wstring_view names)
{
    std::vector<std::wstring_view> kept;
    for (size_t i = 0; i < names.size();)
    {
        while (i < names.size() && IsNameBlank(names[i]))
            ++i;
        const size_t start = i;
        while (i < names.size() && !IsNameBlank(names[i]))
            ++i;
        const std::wstring_view name = names.substr(start, i - start);
        bool seen = name.empty();
        for (const std::wstring_view& other : kept)
            seen = seen || SameName(other, name);
        if (!seen)
            kept.push_back(name);
    }
    if (kept.empty())
        return false;
    m_strHost.assign(kept.front());
    m_strMoreHosts.clear();
    for (size_t k = 1; k < kept.size(); ++k)
    {
        if (k > 1)
            m_strMoreHosts += L' ';
        m_strMoreHosts.append(kept[k]);
    }
    return true;
}
