#pragma once

// The hosts file model under watch: what it reports and on which thread, workers held at a
// report of the test's choosing, and the threads the model itself started.

#include "hosts/HostsFile.h"

#include "AddressSpaceHog.h"
#include "FailurePrinting.h"
#include "HostsOnDisk.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <atomic>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace hostsfile
{
// Never reached by a working model; a hang fails the test instead of blocking the run.
const DWORD kWait = 10000;

inline bool Signalled(HANDLE handle)
{
    return WaitForSingleObject(handle, kWait) == WAIT_OBJECT_0;
}

// Asked only where the thread must have ended already.
inline bool Ended(HANDLE thread)
{
    return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
}

// --- what the model reports ---

enum class Kind
{
    LineCount,
    Progress,
    LoadFinished,
    SaveFinished,
    LoadCancelled
};

struct Event
{
    Kind kind;
    int value;
    std::wstring text;
    DWORD thread;
};

// The thread is checked on its own.
inline bool operator==(const Event& a, const Event& b)
{
    return a.kind == b.kind && a.value == b.value && a.text == b.text;
}

inline void PrintTo(const Event& e, std::ostream* os)
{
    static const char* const names[] = {"OnLineCount", "OnProgress", "OnLoadFinished", "OnSaveFinished",
                                        "OnLoadCancelled"};
    *os << names[static_cast<int>(e.kind)] << "(" << e.value;
    if (e.kind == Kind::Progress)
        *os << ", \"" << testfiles::Narrow(e.text) << "\"";
    *os << ")";
}

// clang-format off
inline Event LineCount(int count) { return {Kind::LineCount, count, L"", 0}; }
inline Event Progress(int index, std::wstring text) { return {Kind::Progress, index, std::move(text), 0}; }
inline Event Reading(int index, int reported, int count)
{
    return Progress(index, L"Reading hosts file records (" + std::to_wstring(reported) + L" of " +
                               std::to_wstring(count) + L")");
}
inline Event LoadFinished(bool ok) { return {Kind::LoadFinished, ok, L"", 0}; }
inline Event SaveFinished(bool ok) { return {Kind::SaveFinished, ok, L"", 0}; }
inline Event LoadCancelled() { return {Kind::LoadCancelled, 0, L"", 0}; }
// clang-format on

inline int CountLoadEnds(const std::vector<Event>& events)
{
    int count = 0;
    for (const Event& e : events)
        count += e.kind == Kind::LoadFinished || e.kind == Kind::LoadCancelled;
    return count;
}

// Records every notification with its thread. From inside one report it can also cancel, as a
// Cancel click landing at that moment would, or keep the worker there until Release. Set both
// up while the workers are idle or held.
class CRecordingSink final : public IHostsFileSink
{
public:
    void CancelAt(CHostsFile& model, Kind kind, int value)
    {
        m_pCancelModel = &model;
        m_cancelAt = {kind, value};
    }
    void CancelNowhere() { m_cancelAt = kNever; }
    // Room for this many reports, so that recording them needs no memory.
    void Reserve(size_t count)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.reserve(count);
    }
    void HoldAt(Kind kind, int value) { m_holdAt = {kind, value}; }
    bool WaitHeld() { return Signalled(m_hHeld.Get()); }
    void Release() { SetEvent(m_hRelease.Get()); }
    bool WaitLoadEnd() { return Signalled(m_hLoadEnded.Get()); }
    bool WaitSaveEnd() { return Signalled(m_hSaveEnded.Get()); }

    std::vector<Event> Take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<Event> events;
        events.swap(m_events);
        return events;
    }

    void OnLineCount(int count) override { Report(Kind::LineCount, count); }
    void OnProgress(int index, const std::wstring& text) override { Report(Kind::Progress, index, text); }
    void OnLoadFinished(bool ok) override { Report(Kind::LoadFinished, ok, L"", m_hLoadEnded.Get()); }
    void OnSaveFinished(bool ok) override { Report(Kind::SaveFinished, ok, L"", m_hSaveEnded.Get()); }
    void OnLoadCancelled() override { Report(Kind::LoadCancelled, 0, L"", m_hLoadEnded.Get()); }

private:
    struct Moment
    {
        Kind kind;
        int value;
        bool Is(Kind k, int v) const { return kind == k && value == v; }
    };
    static constexpr Moment kNever = {Kind::LineCount, -1};

    static CKernelHandle NewEvent() { return CKernelHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr)); }

    void Report(Kind kind, int value, const std::wstring& text = std::wstring(), HANDLE ended = nullptr)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.push_back({kind, value, text, GetCurrentThreadId()});
        }
        if (ended)
            SetEvent(ended);
        if (m_cancelAt.Is(kind, value))
            m_pCancelModel->Cancel();
        if (m_holdAt.Is(kind, value))
        {
            m_holdAt = kNever;
            SetEvent(m_hHeld.Get());
            WaitForSingleObject(m_hRelease.Get(), kWait);
        }
    }

    std::mutex m_mutex;
    std::vector<Event> m_events;
    CHostsFile* m_pCancelModel = nullptr;
    Moment m_cancelAt = kNever;
    Moment m_holdAt = kNever;
    CKernelHandle m_hLoadEnded = NewEvent();
    CKernelHandle m_hSaveEnded = NewEvent();
    CKernelHandle m_hHeld = NewEvent();
    CKernelHandle m_hRelease = NewEvent();
};

inline void ExpectOnWorkers(const std::vector<Event>& events)
{
    for (const Event& e : events)
        EXPECT_NE(GetCurrentThreadId(), e.thread) << ::testing::PrintToString(e) << " came on the test's thread";
}

// A model reporting to a recording sink; the sink outlives it.
struct CWatchedModel
{
    CWatchedModel() { model.SetSink(&sink); }

    // One load or save run to its end; what it reported.
    std::vector<Event> Load(const std::wstring& path)
    {
        model.RequestLoad(path);
        if (!sink.WaitLoadEnd())
            ADD_FAILURE() << "the load never ended";
        return TakeFromWorkers();
    }
    std::vector<Event> Save(bool text)
    {
        EXPECT_TRUE(text ? model.RequestSaveText() : model.RequestSaveRecords());
        if (!sink.WaitSaveEnd())
            ADD_FAILURE() << "the save never ended";
        return TakeFromWorkers();
    }
    std::vector<Event> TakeFromWorkers()
    {
        std::vector<Event> events = sink.Take();
        ExpectOnWorkers(events);
        return events;
    }

    CRecordingSink sink;
    CHostsFile model;
};

// --- files ---

// Every tenth line a comment, the others entries; with a final line break.
inline std::string Lines(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += (i % 10 == 9 ? "# note " : "127.0.0.1 host") + std::to_string(i) + "\r\n";
    return bytes;
}

// The model's text of an ASCII file: its lines joined by CR LF, without a final break.
inline std::wstring TextOf(std::string bytes)
{
    if (bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0)
        bytes.resize(bytes.size() - 2);
    return std::wstring(bytes.begin(), bytes.end());
}

// --- the model's own threads ---

// Threads of this process now running this program's own code, by id. Wine's helper threads
// start in its DLLs, so they never count.
inline std::set<DWORD> ProgramThreads()
{
    using Query = NTSTATUS(NTAPI*)(HANDLE, THREADINFOCLASS, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    const auto* headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(image + reinterpret_cast<const IMAGE_DOS_HEADER*>(image)->e_lfanew);
    const BYTE* const imageEnd = image + headers->OptionalHeader.SizeOfImage;

    std::set<DWORD> ids;
    CFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = query && snapshot && Thread32First(snapshot.Get(), &entry); more;
         more = Thread32Next(snapshot.Get(), &entry))
    {
        if (entry.th32OwnerProcessID != GetCurrentProcessId())
            continue;
        CKernelHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
        const BYTE* start = nullptr;
        if (thread && query(thread.Get(), ThreadQuerySetWin32StartAddress, &start, sizeof(start), nullptr) == 0 &&
            start >= image && start < imageEnd)
            ids.insert(entry.th32ThreadID);
    }
    return ids;
}

struct CThread
{
    DWORD id;
    CKernelHandle handle;
};

// Notes the program's threads when made; tells which have started since.
class CThreadWatch
{
public:
    CThreadWatch() : m_before(ProgramThreads()) {}

    std::set<DWORD> Started() const
    {
        std::set<DWORD> started;
        for (DWORD id : ProgramThreads())
            if (m_before.count(id) == 0)
                started.insert(id);
        return started;
    }
    // Handles on the threads started since, to see them end; at least `count` of them unless
    // they never come. Wine tells where a new thread starts only once it has begun to run.
    std::vector<CThread> OpenStarted(size_t count = 0) const
    {
        std::set<DWORD> started = Started();
        for (const DWORD since = GetTickCount(); started.size() < count && GetTickCount() - since < kWait;
             started = Started())
            Sleep(1);
        std::vector<CThread> threads;
        for (DWORD id : started)
            threads.push_back({id, CKernelHandle(OpenThread(SYNCHRONIZE, FALSE, id))});
        return threads;
    }

private:
    std::set<DWORD> m_before;
};

// Shutdown called on a thread of its own, as when the editor closes while the test holds a
// worker in a report. Notes whether `mustHaveEnded` had ended by the time Shutdown returned.
class CShutdownThread
{
public:
    CShutdownThread(CHostsFile& model, HANDLE mustHaveEnded) : m_model(model), m_mustHaveEnded(mustHaveEnded)
    {
        m_thread.Reset(CreateThread(nullptr, 0, &Proc, this, 0, nullptr));
    }
    ~CShutdownThread()
    {
        if (m_thread)
            WaitForSingleObject(m_thread.Get(), INFINITE);
    }
    CShutdownThread(const CShutdownThread&) = delete;
    CShutdownThread& operator=(const CShutdownThread&) = delete;

    bool Started() const { return m_thread.IsValid(); }
    bool WaitReturned() const { return Signalled(m_thread.Get()); }
    // Only once WaitReturned.
    bool OtherEndedFirst() const { return m_bEndedFirst; }

private:
    static DWORD WINAPI Proc(LPVOID self)
    {
        auto* closer = static_cast<CShutdownThread*>(self);
        closer->m_model.Shutdown();
        closer->m_bEndedFirst = Ended(closer->m_mustHaveEnded);
        return 0;
    }

    CHostsFile& m_model;
    HANDLE m_mustHaveEnded;
    std::atomic<bool> m_bEndedFirst{false};
    CKernelHandle m_thread;
};
} // namespace hostsfile
