#include "hosts/HostsFile.h"

#include "hosts/FileReplacer.h"
#include "hosts/HostsFileAccess.h"
#include "hosts/LineSplitter.h"
#include "ui/ModuleThread.h"

#include <cwchar>

namespace
{
std::wstring ProgressText(int index, int count)
{
    wchar_t text[96];
    swprintf(text, 96, L"Reading hosts file records (%d of %d)", index, count);
    return text;
}

CKernelHandle NewEvent(bool manualReset, bool initiallySet)
{
    return CKernelHandle(CreateEventW(nullptr, manualReset, initiallySet, nullptr));
}
} // namespace

CHostsFile::CHostsFile()
    : m_hSaveRequest(NewEvent(false, false))
    , m_hLoadRequest(NewEvent(false, false))
    , m_hQuit(NewEvent(true, false))
    , m_hReaderExited(NewEvent(true, true))
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

CHostsFile::~CHostsFile()
{
    Shutdown();
}

void CHostsFile::Shutdown()
{
    m_bCancel = 1;
    m_bShutDown = true;
    if (m_hQuit)
        SetEvent(m_hQuit.Get());
    // The thread handles, not the exited event: the event is already set before the reader
    // first runs, and a thread killed at process exit never sets it.
    if (m_hReaderThread)
        WaitForSingleObject(m_hReaderThread.Get(), INFINITE);
    if (m_hWriterThread)
        WaitForSingleObject(m_hWriterThread.Get(), INFINITE);
    // Only now: a save requested before the quit may still have been writing these records.
    Clear();
}

bool CHostsFile::Post(const CKernelHandle& request, const CKernelHandle& worker)
{
    if (m_bShutDown || !SetEvent(request.Get()))
        return false;
    if (!m_bShutDown)
        return true;
    // Shut down meanwhile: the request counts only if the worker took it before it ended.
    WaitForSingleObject(worker.Get(), INFINITE);
    return WaitForSingleObject(request.Get(), 0) != WAIT_OBJECT_0;
}

void CHostsFile::RequestLoad(const std::wstring& path)
{
    Clear();
    m_strPath = path;
    m_bCancel = 0;
    if (!Post(m_hLoadRequest, m_hReaderThread) && m_pSink)
        m_pSink->OnLoadFinished(false);
}

bool CHostsFile::RequestSaveRecords()
{
    m_bSaveText = 0;
    if (Post(m_hSaveRequest, m_hWriterThread))
        return true;
    if (m_pSink)
        m_pSink->OnSaveFinished(false);
    return false;
}

bool CHostsFile::RequestSaveText()
{
    m_bSaveText = 1;
    if (Post(m_hSaveRequest, m_hWriterThread))
        return true;
    m_strTextToSave = m_strText;
    if (m_pSink)
        m_pSink->OnSaveFinished(false);
    return false;
}

DWORD WINAPI CHostsFile::ReaderThreadProc(LPVOID self)
{
    static_cast<CHostsFile*>(self)->ReadLoop();
    ExitModuleThread();
    return 0;
}

DWORD WINAPI CHostsFile::WriterThreadProc(LPVOID self)
{
    static_cast<CHostsFile*>(self)->WriteLoop();
    ExitModuleThread();
    return 0;
}

void CHostsFile::ReadLoop()
{
    ResetEvent(m_hReaderExited.Get());
    const HANDLE wake[] = {m_hLoadRequest.Get(), m_hQuit.Get()};
    // A load asked for before the quit is still answered (as cancelled): its requester waits.
    while (WaitForMultipleObjects(2, wake, FALSE, INFINITE) == WAIT_OBJECT_0)
        Load();
    SetEvent(m_hReaderExited.Get());
}

void CHostsFile::EndCancelledLoad()
{
    Clear();
    if (m_pSink)
        m_pSink->OnLoadCancelled();
}

void CHostsFile::Load()
{
    if (m_bCancel)
        return EndCancelledLoad();
    std::wstring text;
    // A file that cannot be opened or holds bytes the code page does not define fails alike.
    if (ReadHostsText(m_strPath, m_codec, text) != ReadResult::Ok)
    {
        if (m_pSink)
            m_pSink->OnLoadFinished(false);
        return;
    }
    const auto lines = CLineSplitter::Split<wchar_t>(text);
    const int count = static_cast<int>(lines.size());
    if (m_pSink)
        m_pSink->OnLineCount(count);

    m_strText.reserve(text.size() + lines.size() + 2);
    std::wstring progress;
    for (int i = 0; i < count && !m_bCancel; ++i)
    {
        if (i > 0 && i % 100 == 0)
        {
            progress = ProgressText(i, count);
            if (m_pSink)
                m_pSink->OnProgress(i, progress);
        }
        AppendLine(lines[i]);
    }
    // One more look after the last line, so that every load ends in exactly one notification.
    if (m_bCancel)
        return EndCancelledLoad();
    if (m_pSink)
        m_pSink->OnProgress(count, progress);
    FinishLoad();
    if (m_pSink)
        m_pSink->OnLoadFinished(true);
}

void CHostsFile::WriteLoop()
{
    // A save asked for before the quit still runs: the save event comes first.
    const HANDLE wake[] = {m_hSaveRequest.Get(), m_hQuit.Get()};
    while (WaitForMultipleObjects(2, wake, FALSE, INFINITE) == WAIT_OBJECT_0)
    {
        const bool ok = m_bSaveText ? SaveText() : SaveRecords();
        if (m_pSink)
            m_pSink->OnSaveFinished(ok);
    }
}

bool CHostsFile::SaveText()
{
    std::string bytes;
    if (!m_codec.Encode(m_strTextToSave, bytes) || ReplaceFileContents(m_strPath, bytes) != WriteResult::Ok)
    {
        m_strTextToSave = m_strText;
        return false;
    }
    m_strText = m_strTextToSave;
    TakeSnapshot();
    return true;
}

bool CHostsFile::SaveRecords()
{
    std::string bytes;
    if (!m_codec.Encode(FormatRecords(), bytes) || ReplaceFileContents(m_strPath, bytes) != WriteResult::Ok)
        return false;
    TakeSnapshot();
    return true;
}
