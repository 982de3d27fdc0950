#pragma once

#include "hosts/HostsRecord.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The hosts file's content held twice: as text and as one record per line.
// The lists own their records; GetEntry hands out pointers that stay valid until the
// entry leaves the list (RemoveEntry, RevertEntries, Clear, the next load).
class CHostsDocument
{
public:
    using RecordList = std::vector<std::unique_ptr<CHostsRecord>>;

    CHostsDocument() = default;
    CHostsDocument(const CHostsDocument&) = delete;
    CHostsDocument& operator=(const CHostsDocument&) = delete;

    std::wstring GetText() const { return m_strText; }
    void SetTextToSave(std::wstring text) { m_strTextToSave = std::move(text); }
    const std::wstring& GetTextToSave() const { return m_strTextToSave; }

    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    CHostsRecord* GetEntry(int index) const;
    // Appends a copy as the file's new last line; returns its index.
    int AddEntry(const CHostsRecord& record);
    bool RemoveEntry(int index);
    bool IsModified() const;
    void RevertEntries();
    void TakeSnapshot();
    void Clear();

    int AppendEntry(std::unique_ptr<CHostsRecord> record);
    int AppendOtherLine(std::unique_ptr<CHostsRecord> record);

    // Loading: every line of the file in order, then FinishLoad once.
    void AppendLine(std::wstring_view line);
    void FinishLoad();

    // The file as a record save writes it: lines merged by sequence number, each "\n" as CR LF.
    std::wstring FormatRecords() const;

    size_t GetOtherLineCount() const { return m_otherLines.size(); }

protected:
    std::wstring m_strText;
    std::wstring m_strTextToSave;
    RecordList m_entries;
    RecordList m_otherLines;
    RecordList m_snapshot;
    int32_t m_nNextSequence = 0;

private:
    int Append(RecordList& list, std::unique_ptr<CHostsRecord> record);
    static void CopyRecords(const RecordList& from, RecordList& to);
};
