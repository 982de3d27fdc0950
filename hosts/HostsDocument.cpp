#include "hosts/HostsDocument.h"

#include "hosts/HostsLine.h"

namespace
{
void ClearLastLine(CHostsDocument::RecordList& list)
{
    if (!list.empty())
        list.back()->m_bLastLine = 0;
}
} // namespace

CHostsRecord* CHostsDocument::GetEntry(int index) const
{
    return static_cast<size_t>(static_cast<unsigned>(index)) < m_entries.size() ? m_entries[index].get() : nullptr;
}

int CHostsDocument::AddEntry(const CHostsRecord& record)
{
    ClearLastLine(m_entries);
    ClearLastLine(m_otherLines);
    auto copy = std::make_unique<CHostsRecord>(record);
    copy->m_bLastLine = 1;
    return AppendEntry(std::move(copy));
}

bool CHostsDocument::RemoveEntry(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size())
        return false;
    m_entries.erase(m_entries.begin() + index);
    return true;
}

bool CHostsDocument::IsModified() const
{
    if (m_entries.size() != m_snapshot.size())
        return true;
    for (size_t i = 0; i < m_entries.size(); ++i)
    {
        if (*m_entries[i] != *m_snapshot[i])
            return true;
    }
    return false;
}

void CHostsDocument::CopyRecords(const RecordList& from, RecordList& to)
{
    to.clear();
    to.reserve(from.size());
    for (const auto& record : from)
        to.push_back(std::make_unique<CHostsRecord>(*record));
}

void CHostsDocument::RevertEntries()
{
    CopyRecords(m_snapshot, m_entries);
}

void CHostsDocument::TakeSnapshot()
{
    CopyRecords(m_entries, m_snapshot);
}

void CHostsDocument::Clear()
{
    m_entries.clear();
    m_otherLines.clear();
    m_snapshot.clear();
    m_strText.clear();
}

int CHostsDocument::Append(RecordList& list, std::unique_ptr<CHostsRecord> record)
{
    record->m_nSequence = m_nNextSequence++;
    list.push_back(std::move(record));
    return static_cast<int>(list.size() - 1);
}

int CHostsDocument::AppendEntry(std::unique_ptr<CHostsRecord> record)
{
    return Append(m_entries, std::move(record));
}

int CHostsDocument::AppendOtherLine(std::unique_ptr<CHostsRecord> record)
{
    return Append(m_otherLines, std::move(record));
}

void CHostsDocument::AppendLine(std::wstring_view line)
{
    m_strText.append(line);
    m_strText += L"\r\n";
    auto record = std::make_unique<CHostsRecord>(CHostsLine::Parse(line));
    if (record->IsEntry())
        AppendEntry(std::move(record));
    else
        AppendOtherLine(std::move(record));
}

void CHostsDocument::FinishLoad()
{
    if (m_strText.size() >= 2)
        m_strText.resize(m_strText.size() - 2);
    CHostsRecord* last = nullptr;
    if (!m_entries.empty())
        last = m_entries.back().get();
    if (!m_otherLines.empty() && (!last || m_otherLines.back()->m_nSequence > last->m_nSequence))
        last = m_otherLines.back().get();
    if (last)
        last->m_bLastLine = 1;
    TakeSnapshot();
}

std::wstring CHostsDocument::FormatRecords() const
{
    std::wstring out;
    // The last loaded text is close to what comes out; growing 6 MB step by step costs more.
    out.reserve(m_strText.size() + 4 * (m_entries.size() + m_otherLines.size()) + 16);
    std::wstring line;
    auto write = [&](const CHostsRecord& record) {
        line.clear();
        CHostsLine::AppendFormatted(record, line);
        // Text-mode output: every "\n" goes to the file as CR LF.
        size_t from = 0;
        for (size_t lf = line.find(L'\n'); lf != std::wstring::npos; lf = line.find(L'\n', from))
        {
            out.append(line, from, lf - from).append(L"\r\n");
            from = lf + 1;
        }
        out.append(line, from, std::wstring::npos);
    };
    size_t other = 0;
    for (const auto& entry : m_entries)
    {
        while (other < m_otherLines.size() && m_otherLines[other]->m_nSequence < entry->m_nSequence)
            write(*m_otherLines[other++]);
        write(*entry);
    }
    while (other < m_otherLines.size())
        write(*m_otherLines[other++]);
    return out;
}
