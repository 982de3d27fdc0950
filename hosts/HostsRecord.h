#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum RecordKind : int32_t
{
    RECORD_VERBATIM = 0,
    RECORD_ENTRY = 1,
};

// One line of the hosts file: an address/host entry or a line kept verbatim.
class CHostsRecord
{
public:
    // An entry; moreHosts holds the names after the first one, blank-separated.
    CHostsRecord(std::wstring address, std::wstring host, std::wstring comment, bool disabled,
                 std::wstring moreHosts = std::wstring());
    // A line that is not an entry; written back exactly as read.
    CHostsRecord(std::wstring line, bool disabled);

    bool IsEntry() const { return m_nKind == RECORD_ENTRY; }

    // Every host name of the entry, the first one first, joined by single blanks.
    std::wstring AllNames() const;
    // The names as a user typed them, blanks around and between them free: the first becomes
    // the host, the others the further names; a name given again (in any case) is dropped.
    // False, and nothing changed, when no name is left.
    bool SetNames(std::wstring_view names);
    // Whether `matches` holds for any of the entry's names.
    template <class Matches>
    bool AnyName(Matches matches) const;

    bool operator==(const CHostsRecord& other) const;
    bool operator!=(const CHostsRecord& other) const { return !(*this == other); }

    int32_t m_nSequence = -1;
    int32_t m_nKind = RECORD_VERBATIM;
    std::wstring m_strLine;
    std::wstring m_strAddress;
    std::wstring m_strHost;
    std::wstring m_strComment;
    int32_t m_bDisabled = 0;
    int32_t m_bLastLine = 0;
    // Further host names of a line such as "127.0.0.1 a b"; the table shows only m_strHost,
    // but a rewrite must not drop the rest.
    std::wstring m_strMoreHosts;
};

template <class Matches>
bool CHostsRecord::AnyName(Matches matches) const
{
    if (matches(std::wstring_view(m_strHost)))
        return true;
    const std::wstring_view more(m_strMoreHosts);
    for (size_t start = 0; start < more.size();)
    {
        size_t end = more.find(L' ', start);
        if (end == std::wstring_view::npos)
            end = more.size();
        if (end > start && matches(more.substr(start, end - start)))
            return true;
        start = end + 1;
    }
    return false;
}
