#pragma once

#include "hosts/HostsRecord.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The hosts file's content as text and as one record per line. The text is held once: a
// line nobody has asked to change stays a place in the loaded text and is parsed again when
// read. GetEntry gives the entry a record of its own, so that the caller may change it; the
// pointer stays valid until the entry leaves the list (RemoveEntry, RevertEntries, Clear,
// the next load).
class CHostsDocument
{
public:
    CHostsDocument();
    CHostsDocument(const CHostsDocument&) = delete;
    CHostsDocument& operator=(const CHostsDocument&) = delete;

    std::wstring GetText() const { return *m_text; }
    // The same text without a copy; it stays as it is while the caller holds it.
    std::shared_ptr<const std::wstring> GetSharedText() const { return m_text; }
    void SetTextToSave(std::wstring text) { m_textToSave = std::make_shared<const std::wstring>(std::move(text)); }
    void SetTextToSave(std::shared_ptr<const std::wstring> text) { m_textToSave = std::move(text); }
    const std::wstring& GetTextToSave() const { return *m_textToSave; }

    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    // For a change: the entry's own record, or null when the index is not below the count.
    CHostsRecord* GetEntry(int index);
    // For a look: the entry's values into `record` (its strings reused); false when there is none.
    bool ReadEntry(int index, CHostsRecord& record) const;
    // Appends a copy as the file's new last line; returns its index.
    int AddEntry(const CHostsRecord& record);
    // Every entry among `text`'s lines (ended by CR LF or LF), parsed as a load parses them,
    // appended as new last lines in their order; the other lines are left out. Returns how
    // many were appended; out of memory, none is, and the failure is thrown.
    int AddEntries(std::wstring_view text);
    bool RemoveEntry(int index);
    // Removes the entries at `indices` (ascending) in one pass: the others keep their order, and
    // the result is that of removing each alone. Indices past the count are ignored.
    void RemoveEntries(const std::vector<int>& indices);
    bool IsModified() const;
    void RevertEntries();
    void TakeSnapshot();
    // Empties the model; with `keepStorage` the lists keep their storage for the next load
    // to fill (fresh pages cost more than the records in them).
    void Clear(bool keepStorage = false);

    int AppendEntry(std::unique_ptr<CHostsRecord> record);
    int AppendOtherLine(std::unique_ptr<CHostsRecord> record);

    // Loading, line by line: every line of the file in order, then FinishLoad once.
    void AppendLine(std::wstring_view line);
    void FinishLoad();
    // Loading a whole text at once: takes the file's text as decoded and returns its line
    // count; then ParseLines until every line is parsed, then FinishLoad.
    int BeginLoad(std::wstring text);
    // Parses up to `count` more lines of the text BeginLoad took; false once none are left.
    bool ParseLines(int count);

    // The file as a record save writes it: lines merged by sequence number, each "\n" as CR LF.
    std::wstring FormatRecords() const;
    // The same in pieces of whole lines, each handed to `write` as soon as it is made; stops
    // when `write` returns false.
    bool FormatRecords(const std::function<bool(std::wstring_view)>& write) const;

    size_t GetOtherLineCount() const { return m_otherLines.size(); }
    // A verbatim line's values, for a look.
    bool ReadOtherLine(size_t index, CHostsRecord& record) const;

protected:
    // One line as stored: where it stands in the loaded text, or a record of its own.
    // 16 bytes: a blocklist holds millions, in three lists at a save.
    struct CStoredRecord
    {
        CStoredRecord() : length(0), canonical(0) {}
        uint32_t start = 0;
        uint32_t length : 31;
        // The line is what a save writes for it: copied then, not parsed and formatted again.
        uint32_t canonical : 1;
        int32_t sequence = -1; // kind and flags are the line's own: parsed again when read
        uint32_t own = 0;      // a record of its own: 1 + its slot in m_owned; 0 for none
    };
    using RecordList = std::vector<CStoredRecord>;

    const CHostsRecord* OwnOf(const CStoredRecord& stored) const;
    CHostsRecord* OwnOf(const CStoredRecord& stored);
    void SetOwn(CStoredRecord& stored, std::unique_ptr<CHostsRecord> record);
    // The records of their own of `list`'s lines go; the lines stay.
    void ReleaseOwn(RecordList& list);
    void ReleaseOwn(CStoredRecord& stored);

    bool IsLastLine(const CStoredRecord& stored) const;
    void Read(const CStoredRecord& stored, CHostsRecord& record) const;
    void FormatTo(const CStoredRecord& stored, std::wstring& out) const;
    bool SameValue(const CStoredRecord& a, const CStoredRecord& b) const;
    void CopyList(const RecordList& from, RecordList& to);
    // Into `to`'s own storage, which saves fresh pages when it held as many records before;
    // on failure `to` holds part of `from`.
    void CopyListInto(const RecordList& from, RecordList& to);
    void SetText(std::wstring text);

    // What GetText gives: the loaded text, or the text of the last text save.
    std::shared_ptr<const std::wstring> m_text;
    // Text handed in for a text save; never null.
    std::shared_ptr<const std::wstring> m_textToSave;
    RecordList m_entries;
    RecordList m_otherLines;
    RecordList m_snapshot;
    // A save's copy of the entries, the snapshot once the file has them; afterwards it keeps
    // the old snapshot's storage for the next save.
    RecordList m_nextSnapshot;
    // The records of their own (added or edited lines), each used by one stored line; free
    // slots are reused, and there is always room to note one more free slot.
    std::vector<std::unique_ptr<CHostsRecord>> m_owned;
    std::vector<uint32_t> m_freeOwned;
    int32_t m_nNextSequence = 0;

private:
    int Append(RecordList& list, CStoredRecord stored);
    int AppendEntries(std::wstring_view text);
    void ParseLine(uint32_t start, uint32_t length);

    // The text the stored lines point into; shared with m_text until a text save.
    std::shared_ptr<std::wstring> m_lines;
    // Loading: where the next line to parse starts, and the lines left.
    size_t m_parsePos = 0;
    int m_linesLeft = 0;
};
