#include "hosts/HostsFile.h"

#include "hosts/FileReplacer.h"
#include "hosts/HostsFileAccess.h"
#include "hosts/HostsLine.h"
#include "hosts/LineSplitter.h"
#include "hosts/Utf8Text.h"
#include "resources/Texts.h"
#include "win32/ModuleThread.h"

#include <algorithm>
#include <cwchar>
#include <new>
#include <stdexcept>

namespace
{
// Into `text`'s own storage: after the first report no allocation.
void FormatProgress(int index, int count, std::wstring& text)
{
    wchar_t buffer[96];
    const int length = swprintf(buffer, 96, texts::kReadingFormat, index, count);
    text.assign(buffer, static_cast<size_t>(std::max(length, 0)));
}

CFileFailure Failure(FileFailureKind kind, uint64_t bytes = 0)
{
    CFileFailure failure;
    failure.kind = kind;
    failure.bytes = bytes;
    return failure;
}

// A thread's first exception sets up the runtime's per-thread exception state on the heap;
// with no memory left by then, the throw would end the process instead of reaching a catch.
// So each worker throws one while there is memory.
void PrepareToThrow()
{
    try
    {
        throw std::bad_alloc();
    }
    catch (const std::bad_alloc&)
    {
    }
}

// Nothing thrown leaves a worker, and the replacer gets to clear its copy away: out of memory
// fails the one load or save. A length no string can hold is memory that is not there.
template <class Make>
bool WithoutThrow(CFileFailure& failure, Make make)
{
    try
    {
        return make();
    }
    catch (const std::bad_alloc&)
    {
        failure = Failure(FileFailureKind::OutOfMemory);
    }
    catch (const std::length_error&)
    {
        failure = Failure(FileFailureKind::OutOfMemory);
    }
    return false;
}

// Pieces of the text end at line breaks, so that no character is cut in two.
const size_t kTextPiece = 65536;
} // namespace

CHostsFile::CHostsFile()
{
    StartWorkers();
}

void CHostsFile::StartWorkers()
{
    if (m_hSaveRequest && m_hLoadRequest && m_hQuit && m_hReaderExited)
    {
        m_hReaderThread = StartModuleThread(&ReaderThreadProc, this);
        m_hWriterThread = StartModuleThread(&WriterThreadProc, this);
    }
    // Without both workers a request would never be answered: fail every one at once.
    if (!m_hReaderThread || !m_hWriterThread)
        Shutdown();
}

bool CHostsFile::Restart()
{
    if (!m_bShutDown)
        return true;
    // Shutdown has joined both workers: nothing else looks at this state now.
    m_hReaderThread.Reset();
    m_hWriterThread.Reset();
    // A request refused by the shut-down model may have been left set.
    for (const CEvent* event : {&m_hLoadRequest, &m_hSaveRequest, &m_hQuit})
        event->Reset();
    m_failure = CFileFailure();
    ForgetFile();
    m_bCancel = 0;
    m_bShutDown = false;
    StartWorkers();
    return !m_bShutDown;
}

CHostsFile::~CHostsFile()
{
    Shutdown();
}

void CHostsFile::Shutdown()
{
    {
        std::lock_guard<std::mutex> lock(m_requestLock);
        m_bCancel = 1;
        m_bShutDown = true;
        m_hQuit.Set();
    }
    // The thread handles, not the exited event: the event is already set before the reader
    // first runs, and a thread killed at process exit never sets it.
    if (m_hReaderThread)
        WaitForSingleObject(m_hReaderThread.Get(), INFINITE);
    if (m_hWriterThread)
        WaitForSingleObject(m_hWriterThread.Get(), INFINITE);
    // Only now: a save requested before the quit may still have been writing these records.
    std::lock_guard<std::mutex> lock(m_requestLock);
    Clear();
}

bool CHostsFile::Post(const CEvent& request)
{
    // The quit can only come after this request, and both workers look at their request
    // before the quit: a request posted here is always answered by the worker.
    return !m_bShutDown && request.Set();
}

void CHostsFile::RequestLoad(const std::wstring& path, unsigned load)
{
    {
        std::lock_guard<std::mutex> lock(m_requestLock);
        if (!m_bShutDown)
        {
            Clear(true);
            m_strPath = path;
            m_nRequested = load;
            m_bCancel = 0;
            if (Post(m_hLoadRequest))
                return;
        }
    }
    m_nAnswering = load;
    m_failure = Failure(FileFailureKind::Access);
    if (m_pSink)
        m_pSink->OnLoadFinished(false);
}

bool CHostsFile::RequestSaveRecords()
{
    {
        std::lock_guard<std::mutex> lock(m_requestLock);
        m_bSaveText = 0;
        if (Post(m_hSaveRequest))
            return true;
    }
    m_failure = Failure(FileFailureKind::Access);
    if (m_pSink)
        m_pSink->OnSaveFinished(false);
    return false;
}

bool CHostsFile::RequestSaveText()
{
    {
        std::lock_guard<std::mutex> lock(m_requestLock);
        m_bSaveText = 1;
        if (Post(m_hSaveRequest))
            return true;
    }
    ResetTextToSave();
    m_failure = Failure(FileFailureKind::Access);
    if (m_pSink)
        m_pSink->OnSaveFinished(false);
    return false;
}

DWORD WINAPI CHostsFile::ReaderThreadProc(LPVOID self)
{
    PrepareToThrow();
    static_cast<CHostsFile*>(self)->ReadLoop();
    ExitModuleThread();
    return 0;
}

DWORD WINAPI CHostsFile::WriterThreadProc(LPVOID self)
{
    PrepareToThrow();
    static_cast<CHostsFile*>(self)->WriteLoop();
    ExitModuleThread();
    return 0;
}

void CHostsFile::ReadLoop()
{
    m_hReaderExited.Reset();
    const HANDLE wake[] = {m_hLoadRequest.Get(), m_hQuit.Get()};
    // A load asked for before the quit is still answered (as cancelled): its requester waits.
    while (WaitForMultipleObjects(2, wake, FALSE, INFINITE) == WAIT_OBJECT_0)
        Load();
    m_hReaderExited.Set();
}

void CHostsFile::ForgetFile()
{
    m_stamp = CFileStamp();
    m_encoding = TextEncoding::Ansi;
    m_bBackupDue = false;
}

void CHostsFile::EndCancelledLoad()
{
    Clear();
    ForgetFile();
    if (m_pSink)
        m_pSink->OnLoadCancelled();
}

void CHostsFile::EndFailedLoad(const CFileFailure& failure)
{
    Clear();
    ForgetFile();
    m_failure = failure;
    if (m_pSink)
        m_pSink->OnLoadFinished(false);
}

void CHostsFile::Load()
{
    {
        std::lock_guard<std::mutex> lock(m_requestLock);
        m_nAnswering = m_nRequested;
    }
    CFileStamp stamp;
    CFileFailure failure;
    TextEncoding encoding = TextEncoding::Ansi;
    bool cancelled = m_bCancel != 0;
    if (!cancelled)
    {
        // Out of memory anywhere in the load, a report included, fails this load only; the
        // ending report comes after the memory is given back.
        // Nothing thrown leaves the thread: the worker goes on serving requests.
        if (!WithoutThrow(failure, [&] {
                cancelled = !ReadAndParse(stamp, encoding, failure);
                return true;
            }))
            failure.bytes = stamp.size;
    }
    if (cancelled)
        return EndCancelledLoad();
    if (failure.kind != FileFailureKind::None)
        return EndFailedLoad(failure);
    m_stamp = stamp;
    m_encoding = encoding;
    m_bBackupDue = true;
    m_failure = CFileFailure();
    if (m_pSink)
        m_pSink->OnLoadFinished(true);
}

bool CHostsFile::ReadAndParse(CFileStamp& stamp, TextEncoding& encoding, CFileFailure& failure)
{
    std::wstring text;
    // A cancel (a close) stops a long read too, not only the parse after it.
    const ReadResult read = ReadHostsText(m_strPath, m_codec, text, encoding, stamp, failure, &m_bCancel);
    if (read == ReadResult::Cancelled)
        return false;
    if (read != ReadResult::Ok)
        return true;
    const int count = BeginLoad(std::move(text));
    if (m_pSink)
        m_pSink->OnLineCount(count);

    std::wstring progress;
    for (int i = 0; i < count && !m_bCancel; i += 100)
    {
        if (i > 0)
        {
            FormatProgress(i, count, progress);
            if (m_pSink)
                m_pSink->OnProgress(i, progress);
        }
        ParseLines(100);
    }
    // One more look after the last line, so that every load ends in exactly one notification.
    if (m_bCancel)
        return false;
    if (m_pSink)
        m_pSink->OnProgress(count, progress);
    FinishLoad();
    return true;
}

void CHostsFile::WriteLoop()
{
    // A save asked for before the quit still runs: the save event comes first.
    const HANDLE wake[] = {m_hSaveRequest.Get(), m_hQuit.Get()};
    while (WaitForMultipleObjects(2, wake, FALSE, INFINITE) == WAIT_OBJECT_0)
    {
        const bool ok = Save();
        if (m_pSink)
            m_pSink->OnSaveFinished(ok);
    }
}

bool CHostsFile::Save()
{
    const bool text = m_bSaveText != 0;
    CFileFailure failure;
    const bool saved = WithoutThrow(failure, [&] { return text ? SaveText(failure) : SaveRecords(failure); });
    m_expected = CFileStamp();
    if (saved)
    {
        m_stamp = ReadFileStamp(m_strPath);
        m_failure = CFileFailure();
        return true;
    }
    // Sized only now, with the memory of the attempt given back.
    if (failure.kind == FileFailureKind::OutOfMemory)
        failure.bytes = text ? m_textToSave->size() : RecordTextSize();
    if (text)
        ResetTextToSave();
    m_failure = failure;
    return false;
}

// Everything that needs memory is made before the file is replaced (the content as it goes
// into the copy beside it), and what changes after cannot fail: a failed save leaves the file,
// the text and the snapshot as they were.
bool CHostsFile::SaveText(CFileFailure& failure)
{
    CopyListInto(m_entries, m_nextSnapshot);
    const std::wstring_view text = *m_textToSave;
    if (!Replace([&](const ContentWriter& write) { return EncodeText(text, write, failure); }, failure))
        return false;
    m_text = m_textToSave;
    m_snapshot.swap(m_nextSnapshot);
    return true;
}

bool CHostsFile::SaveRecords(CFileFailure& failure)
{
    CopyListInto(m_entries, m_nextSnapshot);
    if (!Replace([&](const ContentWriter& write) { return EncodeRecords(write, failure); }, failure))
        return false;
    m_snapshot.swap(m_nextSnapshot);
    return true;
}

bool CHostsFile::Replace(const ContentSource& content, CFileFailure& failure)
{
    failure = CFileFailure();
    // A file read after its byte-order mark is written with it in front.
    const bool mark = m_encoding == TextEncoding::Utf8WithMark;
    const ContentSource marked = [&](const ContentWriter& write) {
        return (!mark || write(CUtf8Text::kMark)) && content(write);
    };
    const CWriteOutcome outcome = ReplaceFileContents(m_strPath, marked, m_expected, m_bBackupDue);
    if (outcome.result == WriteResult::Ok)
    {
        m_bBackupDue = false;
        return true;
    }
    if (failure.kind != FileFailureKind::None)
        return false;
    failure = Failure(outcome.result == WriteResult::Changed   ? FileFailureKind::Changed
                      : outcome.result == WriteResult::Damaged ? FileFailureKind::Damaged
                                                               : FileFailureKind::Access);
    failure.keptFile = outcome.kept;
    return false;
}

bool CHostsFile::EncodeText(std::wstring_view text, const ContentWriter& write, CFileFailure& failure) const
{
    return WithoutThrow(failure, [&] {
        std::string bytes;
        for (size_t at = 0; at < text.size();)
        {
            size_t end = text.size();
            if (text.size() - at > kTextPiece)
            {
                const size_t lf = text.find(L'\n', at + kTextPiece);
                end = lf == std::wstring_view::npos ? text.size() : lf + 1;
            }
            if (!Codec().Encode(text.substr(at, end - at), bytes))
            {
                FailEncoding(text, failure);
                return false;
            }
            if (!write(bytes))
                return false;
            at = end;
        }
        return true;
    });
}

bool CHostsFile::EncodeRecords(const ContentWriter& write, CFileFailure& failure) const
{
    bool unencodable = false;
    const bool written = WithoutThrow(failure, [&] {
        std::string bytes;
        return FormatRecords([&](std::wstring_view text) {
            if (Codec().Encode(text, bytes))
                return write(bytes);
            unencodable = true;
            return false;
        });
    });
    // Rare: the whole text once more, to say which character on which line.
    if (unencodable)
        WithoutThrow(failure, [&] {
            FailEncoding(FormatRecords(), failure);
            return false;
        });
    return written;
}

void CHostsFile::FailEncoding(std::wstring_view text, CFileFailure& failure) const
{
    // Every character fits, yet it did not convert: too long for the conversion at once.
    if (!FindUnrepresentable(Codec(), text, failure))
        failure = Failure(FileFailureKind::OutOfMemory, text.size());
}

// What a record save would write, in characters, without holding all of it at once.
uint64_t CHostsFile::RecordTextSize() const
{
    try
    {
        uint64_t size = 0;
        std::wstring line;
        for (const RecordList* list : {&m_entries, &m_otherLines})
        {
            for (const CStoredRecord& record : *list)
            {
                line.clear();
                FormatTo(record, line);
                // Each "\n" goes out as CR LF.
                size += line.size() + std::count(line.begin(), line.end(), L'\n');
            }
        }
        return size;
    }
    catch (const std::bad_alloc&)
    {
        return 0; // not even room for one line: the size stays unknown
    }
}

void CHostsFile::ResetTextToSave()
{
    m_textToSave = m_text;
}
