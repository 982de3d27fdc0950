#include "hosts/HostsRecord.h"

#include <utility>

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
