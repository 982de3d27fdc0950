#pragma once

#include <cstdint>
#include <string>

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
