#include "hosts/HostsDocument.h"

#include "hosts/HostsLine.h"

#include <algorithm>
#include <new>

namespace
{
// Pieces of about this many characters go to a writer at a time.
const size_t kPieceSize = size_t{64} * 1024;
} // namespace

CHostsDocument::CHostsDocument() : m_lines(std::make_shared<std::wstring>())
{
    m_text = m_lines;
    m_textToSave = m_text;
}

// The file's last line is the one with the highest sequence number, whatever was added or
// removed since the load: it is never a stored flag, so a discard gives back the loaded file.
bool CHostsDocument::IsLastLine(const CStoredRecord& stored) const
{
    const int32_t entry = m_entries.empty() ? -1 : m_entries.back().sequence;
    const int32_t other = m_otherLines.empty() ? -1 : m_otherLines.back().sequence;
    return stored.sequence == std::max(entry, other);
}

void CHostsDocument::Read(const CStoredRecord& stored, CHostsRecord& record) const
{
    if (const CHostsRecord* own = OwnOf(stored))
    {
        record = *own;
        record.m_bLastLine = IsLastLine(stored) ? 1 : 0;
        return;
    }
    const std::wstring_view line(m_lines->data() + stored.start, stored.length);
    CLineFields fields;
    CHostsLine::ParseFields(line, fields);
    record.m_nSequence = stored.sequence;
    record.m_nKind = fields.entry ? RECORD_ENTRY : RECORD_VERBATIM;
    record.m_bDisabled = fields.disabled ? 1 : 0;
    record.m_bLastLine = IsLastLine(stored) ? 1 : 0;
    record.m_strMoreHosts.clear();
    if (fields.entry)
    {
        record.m_strLine.clear();
        record.m_strAddress.assign(fields.Address());
        record.m_strHost.assign(fields.host);
        record.m_strComment.assign(fields.comment);
        CHostsLine::AppendNames(fields.names, record.m_strMoreHosts);
    }
    else
    {
        record.m_strLine.assign(line);
        record.m_strAddress.clear();
        record.m_strHost.clear();
        record.m_strComment.clear();
    }
}

void CHostsDocument::FormatTo(const CStoredRecord& stored, std::wstring& out) const
{
    const bool lastLine = IsLastLine(stored);
    if (const CHostsRecord* own = OwnOf(stored))
        return CHostsLine::AppendFormatted(*own, lastLine, out);
    const std::wstring_view line(m_lines->data() + stored.start, stored.length);
    if (stored.canonical)
    {
        out += line;
        if (!lastLine)
            out += L'\n';
        return;
    }
    CLineFields fields;
    CHostsLine::ParseFields(line, fields);
    CHostsLine::AppendFormatted(line, fields, lastLine, out);
}

CHostsRecord* CHostsDocument::GetEntry(int index)
{
    if (static_cast<size_t>(static_cast<unsigned>(index)) >= m_entries.size())
        return nullptr;
    CStoredRecord& stored = m_entries[index];
    if (!stored.own)
    {
        auto own = std::make_unique<CHostsRecord>(L"", false);
        Read(stored, *own);
        SetOwn(stored, std::move(own));
    }
    CHostsRecord* own = OwnOf(stored);
    own->m_bLastLine = IsLastLine(stored) ? 1 : 0;
    return own;
}

bool CHostsDocument::ReadEntry(int index, CHostsRecord& record) const
{
    if (static_cast<size_t>(static_cast<unsigned>(index)) >= m_entries.size())
        return false;
    Read(m_entries[index], record);
    return true;
}

bool CHostsDocument::ReadOtherLine(size_t index, CHostsRecord& record) const
{
    if (index >= m_otherLines.size())
        return false;
    Read(m_otherLines[index], record);
    return true;
}

int CHostsDocument::AddEntry(const CHostsRecord& record)
{
    auto copy = std::make_unique<CHostsRecord>(record);
    copy->m_bLastLine = 1;
    return AppendEntry(std::move(copy));
}

int CHostsDocument::AddEntries(std::wstring_view text)
{
    const size_t before = m_entries.size();
    const int32_t sequence = m_nNextSequence;
    try
    {
        return AppendEntries(text);
    }
    catch (const std::bad_alloc&)
    {
        // All or none: entries the caller never learnt of would be saved without being shown.
        while (m_entries.size() > before)
        {
            ReleaseOwn(m_entries.back());
            m_entries.pop_back();
        }
        m_nNextSequence = sequence;
        throw;
    }
}

int CHostsDocument::AppendEntries(std::wstring_view text)
{
    int added = 0;
    CLineFields fields;
    for (size_t start = 0; start < text.size();)
    {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring_view::npos)
            end = text.size();
        std::wstring_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r')
            line.remove_suffix(1);
        start = end + 1;
        // Only entries: the fields say so without making a record of the other lines.
        CHostsLine::ParseFields(line, fields);
        if (!fields.entry)
            continue;
        auto record = std::make_unique<CHostsRecord>(CHostsLine::MakeRecord(line, fields));
        record->m_bLastLine = 1;
        AppendEntry(std::move(record));
        ++added;
    }
    return added;
}

bool CHostsDocument::RemoveEntry(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size())
        return false;
    ReleaseOwn(m_entries[index]);
    m_entries.erase(m_entries.begin() + index);
    return true;
}

void CHostsDocument::RemoveEntries(const std::vector<int>& indices)
{
    // Compacted once from the first removed entry on: moving the rest for each removal would
    // cost the square of the list's length.
    auto next = std::lower_bound(indices.begin(), indices.end(), 0);
    if (next == indices.end() || static_cast<size_t>(*next) >= m_entries.size())
        return;
    size_t kept = static_cast<size_t>(*next);
    for (size_t read = kept; read < m_entries.size(); ++read)
    {
        while (next != indices.end() && static_cast<size_t>(*next) < read)
            ++next;
        if (next != indices.end() && static_cast<size_t>(*next) == read)
            ReleaseOwn(m_entries[read]);
        else
            m_entries[kept++] = m_entries[read];
    }
    m_entries.resize(kept);
}

// Two lines of the loaded text are the same value exactly when they are the same line: every
// line has a sequence number of its own.
bool CHostsDocument::SameValue(const CStoredRecord& a, const CStoredRecord& b) const
{
    if (!a.own && !b.own)
        return a.start == b.start && a.length == b.length && a.sequence == b.sequence;
    CHostsRecord left(L"", false);
    CHostsRecord right(L"", false);
    Read(a, left);
    Read(b, right);
    return left == right;
}

bool CHostsDocument::IsModified() const
{
    if (m_entries.size() != m_snapshot.size())
        return true;
    for (size_t i = 0; i < m_entries.size(); ++i)
    {
        if (!SameValue(m_entries[i], m_snapshot[i]))
            return true;
    }
    return false;
}

const CHostsRecord* CHostsDocument::OwnOf(const CStoredRecord& stored) const
{
    return stored.own ? m_owned[stored.own - 1].get() : nullptr;
}

CHostsRecord* CHostsDocument::OwnOf(const CStoredRecord& stored)
{
    return stored.own ? m_owned[stored.own - 1].get() : nullptr;
}

void CHostsDocument::SetOwn(CStoredRecord& stored, std::unique_ptr<CHostsRecord> record)
{
    ReleaseOwn(stored);
    if (m_freeOwned.empty())
    {
        // Room to note every slot free, grown by half at a time: one paste may add many.
        if (m_freeOwned.capacity() < m_owned.size() + 1)
            m_freeOwned.reserve(m_owned.size() + 1 + m_owned.size() / 2);
        m_owned.push_back(std::move(record));
        stored.own = static_cast<uint32_t>(m_owned.size());
        return;
    }
    stored.own = m_freeOwned.back();
    m_freeOwned.pop_back();
    m_owned[stored.own - 1] = std::move(record);
}

void CHostsDocument::ReleaseOwn(CStoredRecord& stored)
{
    if (!stored.own)
        return;
    m_owned[stored.own - 1].reset();
    m_freeOwned.push_back(stored.own); // within the room SetOwn made
    stored.own = 0;
}

void CHostsDocument::ReleaseOwn(RecordList& list)
{
    for (CStoredRecord& stored : list)
        ReleaseOwn(stored);
}

// Lines of the loaded text are shared by both lists; only records of their own are copied.
void CHostsDocument::CopyList(const RecordList& from, RecordList& to)
{
    RecordList copy;
    try
    {
        CopyListInto(from, copy);
    }
    catch (const std::bad_alloc&)
    {
        ReleaseOwn(copy);
        throw;
    }
    ReleaseOwn(to);
    to.swap(copy);
}

void CHostsDocument::CopyListInto(const RecordList& from, RecordList& to)
{
    ReleaseOwn(to);
    to.clear();
    to.reserve(from.size());
    for (const CStoredRecord& stored : from)
    {
        CStoredRecord& added = to.emplace_back();
        added.start = stored.start;
        added.length = stored.length;
        added.canonical = stored.canonical;
        added.sequence = stored.sequence;
        if (const CHostsRecord* own = OwnOf(stored))
            SetOwn(added, std::make_unique<CHostsRecord>(*own));
    }
}

void CHostsDocument::RevertEntries()
{
    CopyList(m_snapshot, m_entries);
}

void CHostsDocument::TakeSnapshot()
{
    // A load that fails empties the model: the snapshot needs no copy to fall back on.
    CopyListInto(m_entries, m_snapshot);
}

void CHostsDocument::Clear(bool keepStorage)
{
    for (RecordList* list : {&m_entries, &m_otherLines, &m_snapshot, &m_nextSnapshot})
    {
        if (keepStorage)
            list->clear();
        else
            RecordList().swap(*list);
    }
    std::vector<std::unique_ptr<CHostsRecord>>().swap(m_owned);
    std::vector<uint32_t>().swap(m_freeOwned);
    m_lines = std::make_shared<std::wstring>();
    m_text = m_lines;
    m_parsePos = 0;
    m_linesLeft = 0;
    // Numbers only order the lines of one load: no number of reloads can run them out.
    m_nNextSequence = 0;
}

int CHostsDocument::Append(RecordList& list, CStoredRecord stored)
{
    stored.sequence = m_nNextSequence++;
    if (CHostsRecord* own = OwnOf(stored))
        own->m_nSequence = stored.sequence;
    list.push_back(stored);
    return static_cast<int>(list.size() - 1);
}

int CHostsDocument::AppendEntry(std::unique_ptr<CHostsRecord> record)
{
    CStoredRecord stored;
    SetOwn(stored, std::move(record));
    return Append(m_entries, stored);
}

int CHostsDocument::AppendOtherLine(std::unique_ptr<CHostsRecord> record)
{
    CStoredRecord stored;
    SetOwn(stored, std::move(record));
    return Append(m_otherLines, stored);
}

void CHostsDocument::ParseLine(uint32_t start, uint32_t length)
{
    CLineFields fields;
    CHostsLine::ParseFields(std::wstring_view(m_lines->data() + start, length), fields);
    CStoredRecord stored;
    stored.start = start;
    stored.length = length;
    stored.canonical = CHostsLine::IsCanonical(std::wstring_view(m_lines->data() + start, length), fields) ? 1 : 0;
    Append(fields.entry ? m_entries : m_otherLines, stored);
}

void CHostsDocument::AppendLine(std::wstring_view line)
{
    const size_t start = m_lines->size();
    m_lines->append(line);
    m_lines->append(L"\r\n");
    ParseLine(static_cast<uint32_t>(start), static_cast<uint32_t>(line.size()));
}

int CHostsDocument::BeginLoad(std::wstring text)
{
    // Lines end at CR LF and at a lone LF and are joined by CR LF: a text whose every LF
    // follows a CR is that already, and is kept as it is instead of copied.
    size_t count = 0;
    bool joined = true;
    for (size_t lf = text.find(L'\n'); lf != std::wstring::npos; lf = text.find(L'\n', lf + 1))
    {
        ++count;
        if (lf == 0 || text[lf - 1] != L'\r')
            joined = false;
    }
    if (!text.empty() && text.back() != L'\n')
        ++count;
    if (!joined)
    {
        std::wstring rejoined;
        rejoined.reserve(text.size() + count * 2);
        size_t start = 0;
        while (start < text.size())
        {
            size_t end = text.find(L'\n', start);
            if (end == std::wstring::npos)
                end = text.size();
            size_t length = end - start;
            if (length > 0 && end < text.size() && text[end - 1] == L'\r')
                --length;
            rejoined.append(text, start, length).append(L"\r\n");
            start = end + 1;
        }
        text.swap(rejoined);
    }
    else if (!text.empty() && text.back() != L'\n')
    {
        text.append(L"\r\n");
    }
    *m_lines = std::move(text);
    m_parsePos = 0;
    m_linesLeft = static_cast<int>(count);
    m_entries.reserve(count);
    return m_linesLeft;
}

bool CHostsDocument::ParseLines(int count)
{
    const std::wstring& text = *m_lines;
    for (; count > 0 && m_linesLeft > 0; --count, --m_linesLeft)
    {
        // Every line ends in CR LF here.
        const size_t lf = text.find(L'\n', m_parsePos);
        ParseLine(static_cast<uint32_t>(m_parsePos), static_cast<uint32_t>(lf - 1 - m_parsePos));
        m_parsePos = lf + 1;
    }
    return m_linesLeft > 0;
}

void CHostsDocument::FinishLoad()
{
    if (m_lines->size() >= 2)
        m_lines->resize(m_lines->size() - 2);
    // Room left over from growing or from guessing is given back; a little is not worth a copy.
    auto trim = [](auto& container) {
        if (container.capacity() - container.size() > container.size() / 4)
            container.shrink_to_fit();
    };
    trim(*m_lines);
    trim(m_entries);
    TakeSnapshot();
}

bool CHostsDocument::FormatRecords(const std::function<bool(std::wstring_view)>& write) const
{
    std::wstring piece;
    piece.reserve(kPieceSize + 1024);
    // Text-mode output: every "\n" goes to the file as CR LF.
    auto add = [&](const CStoredRecord& stored) {
        const size_t from = piece.size();
        FormatTo(stored, piece);
        for (size_t lf = piece.find(L'\n', from); lf != std::wstring::npos; lf = piece.find(L'\n', lf + 2))
            piece.insert(lf, 1, L'\r');
        if (piece.size() < kPieceSize)
            return true;
        const bool go = write(piece);
        piece.clear();
        return go;
    };
    size_t other = 0;
    for (const CStoredRecord& entry : m_entries)
    {
        while (other < m_otherLines.size() && m_otherLines[other].sequence < entry.sequence)
            if (!add(m_otherLines[other++]))
                return false;
        if (!add(entry))
            return false;
    }
    while (other < m_otherLines.size())
        if (!add(m_otherLines[other++]))
            return false;
    return piece.empty() || write(piece);
}

std::wstring CHostsDocument::FormatRecords() const
{
    std::wstring out;
    out.reserve(m_lines->size() + 16);
    FormatRecords([&out](std::wstring_view piece) {
        out.append(piece);
        return true;
    });
    return out;
}
