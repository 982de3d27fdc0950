#include "hosts/HostsFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

using testfiles::CTempFolder;

namespace
{
// Never reached by a working model; a hang fails the test instead of blocking the run.
const DWORD kWait = 10000;
const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// --- what the model reports ---

enum class Kind { LineCount, Progress, LoadFinished, SaveFinished, LoadCancelled };

struct Event
{
    Kind kind;
    int value;
    std::wstring text;
    DWORD thread;
};

// The thread is checked on its own.
bool operator==(const Event& a, const Event& b)
{
    return a.kind == b.kind && a.value == b.value && a.text == b.text;
}

void PrintTo(const Event& e, std::ostream* os)
{
    static const char* const names[] = {"OnLineCount", "OnProgress", "OnLoadFinished", "OnSaveFinished",
                                        "OnLoadCancelled"};
    *os << names[static_cast<int>(e.kind)] << "(" << e.value;
    if (e.kind == Kind::Progress)
        *os << ", \"" << testfiles::Narrow(e.text) << "\"";
    *os << ")";
}

Event LineCount(int count) { return {Kind::LineCount, count, L"", 0}; }
Event Progress(int index, std::wstring text) { return {Kind::Progress, index, std::move(text), 0}; }
Event Reading(int index, int reported, int count)
{
    return Progress(index, L"Reading hosts file records (" + std::to_wstring(reported) + L" of " +
                               std::to_wstring(count) + L")");
}
Event LoadFinished(bool ok) { return {Kind::LoadFinished, ok, L"", 0}; }
Event SaveFinished(bool ok) { return {Kind::SaveFinished, ok, L"", 0}; }
Event LoadCancelled() { return {Kind::LoadCancelled, 0, L"", 0}; }

int CountLoadEnds(const std::vector<Event>& events)
{
    int count = 0;
    for (const Event& e : events)
        count += e.kind == Kind::LoadFinished || e.kind == Kind::LoadCancelled;
    return count;
}

bool Signalled(HANDLE handle)
{
    return WaitForSingleObject(handle, kWait) == WAIT_OBJECT_0;
}

// Records every notification with its thread. It can also act from inside one, as a Cancel
// click landing at that moment would; set that up while the workers are idle.
class CRecordingSink final : public IHostsFileSink
{
public:
    CHostsFile* cancelModel = nullptr;
    bool cancelAtLineCount = false;
    int cancelAtProgress = -1;
    // Keeps the reader inside this OnProgress, or the writer inside the next OnSaveFinished,
    // until Release.
    int holdAtProgress = -1;
    std::atomic<bool> holdAtSave{false};

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

    void OnLineCount(int count) override
    {
        Record(Kind::LineCount, count);
        if (cancelAtLineCount)
            cancelModel->Cancel();
    }
    void OnProgress(int index, const std::wstring& text) override
    {
        Record(Kind::Progress, index, text);
        if (index == cancelAtProgress)
            cancelModel->Cancel();
        if (index == holdAtProgress)
            Hold();
    }
    void OnLoadFinished(bool ok) override
    {
        Record(Kind::LoadFinished, ok);
        SetEvent(m_hLoadEnded.Get());
    }
    void OnSaveFinished(bool ok) override
    {
        Record(Kind::SaveFinished, ok);
        SetEvent(m_hSaveEnded.Get());
        if (holdAtSave.exchange(false))
            Hold();
    }
    void OnLoadCancelled() override
    {
        Record(Kind::LoadCancelled, 0);
        SetEvent(m_hLoadEnded.Get());
    }

private:
    static CKernelHandle NewEvent() { return CKernelHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr)); }
    void Hold()
    {
        SetEvent(m_hHeld.Get());
        WaitForSingleObject(m_hRelease.Get(), kWait);
    }
    void Record(Kind kind, int value, const std::wstring& text = std::wstring())
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back({kind, value, text, GetCurrentThreadId()});
    }

    std::mutex m_mutex;
    std::vector<Event> m_events;
    CKernelHandle m_hLoadEnded = NewEvent();
    CKernelHandle m_hSaveEnded = NewEvent();
    CKernelHandle m_hHeld = NewEvent();
    CKernelHandle m_hRelease = NewEvent();
};

void ExpectOnWorkers(const std::vector<Event>& events)
{
    for (const Event& e : events)
        EXPECT_NE(GetCurrentThreadId(), e.thread) << ::testing::PrintToString(e) << " came on the test's thread";
}

// One load or save run to its end; what it reported.
std::vector<Event> Load(CHostsFile& model, CRecordingSink& sink, const std::wstring& path)
{
    model.RequestLoad(path);
    if (!sink.WaitLoadEnd())
        ADD_FAILURE() << "the load never ended";
    std::vector<Event> events = sink.Take();
    ExpectOnWorkers(events);
    return events;
}

std::vector<Event> Save(CHostsFile& model, CRecordingSink& sink, bool text)
{
    EXPECT_TRUE(text ? model.RequestSaveText() : model.RequestSaveRecords());
    if (!sink.WaitSaveEnd())
        ADD_FAILURE() << "the save never ended";
    std::vector<Event> events = sink.Take();
    ExpectOnWorkers(events);
    return events;
}

// --- files and the process ---

// Every tenth line a comment, the others entries; with a final line break.
std::string Lines(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += (i % 10 == 9 ? "# note " : "127.0.0.1 host") + std::to_string(i) + "\r\n";
    return bytes;
}

// The model's text of an ASCII file: its lines joined by CR LF, without a final break.
std::wstring TextOf(std::string bytes)
{
    if (bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0)
        bytes.resize(bytes.size() - 2);
    return std::wstring(bytes.begin(), bytes.end());
}

int ThreadCount()
{
    CFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    int count = 0;
    THREADENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot && Thread32First(snapshot.Get(), &entry); more;
         more = Thread32Next(snapshot.Get(), &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    return count;
}

// Wine 8 answers GetProcessHandleCount with 0; its system handle list does count them.
DWORD HandleCount()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0)
        return count;
    using Query = NTSTATUS(NTAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    const NTSTATUS tooSmall = static_cast<NTSTATUS>(0xC0000004);
    std::vector<char> buffer(1 << 16);
    ULONG length = 0;
    NTSTATUS status = tooSmall;
    while (query && (status = query(SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                                    &length)) == tooSmall)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return 0;
    const auto* info = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
    for (ULONG i = 0; i < info->Count; ++i)
        count += info->Handle[i].OwnerPid == GetCurrentProcessId();
    return count;
}

DWORD WINAPI ShutdownProc(LPVOID model)
{
    static_cast<CHostsFile*>(model)->Shutdown();
    return 0;
}

// --- notification sequences of one load ---

enum class Interference { None, CancelWhileIdle, CancelAtLineCount, CancelAtProgress };

struct LoadCase
{
    const char* name;
    int lines;
    Interference interference;
    int at; // the OnProgress index of CancelAtProgress
    std::vector<Event> expected;
    // A cancel that lands too late to stop anything may end the load either way, but once.
    bool eitherEnd;
};

void PrintTo(const LoadCase& c, std::ostream* os)
{
    *os << c.name;
}

class HostsFileLoad : public ::testing::TestWithParam<LoadCase>
{
};

TEST_P(HostsFileLoad, ReportsInOrderAndNextLoadWorks)
{
    const LoadCase& c = GetParam();
    CTempFolder folder;
    const std::wstring path = folder / L"hosts";
    const std::string bytes = Lines(c.lines);
    ASSERT_TRUE(testfiles::WriteBytes(path, bytes));

    CRecordingSink sink;
    CHostsFile model;
    model.SetSink(&sink);
    sink.cancelModel = &model;
    sink.cancelAtLineCount = c.interference == Interference::CancelAtLineCount;
    sink.cancelAtProgress = c.interference == Interference::CancelAtProgress ? c.at : -1;
    if (c.interference == Interference::CancelWhileIdle)
        model.Cancel();

    std::vector<Event> events = Load(model, sink, path);
    ASSERT_FALSE(events.empty());
    for (const Event& e : events)
        EXPECT_EQ(events.front().thread, e.thread) << "every report of a load comes from the reader";
    const Event end = events.back();
    if (c.eitherEnd)
    {
        EXPECT_EQ(1, CountLoadEnds(events));
        EXPECT_TRUE(end == LoadFinished(true) || end == LoadCancelled());
        events.pop_back();
    }
    EXPECT_EQ(c.expected, events);
    if (end == LoadCancelled())
    {
        // Nothing of a cancelled load stays behind.
        EXPECT_EQ(0, model.GetEntryCount());
        EXPECT_EQ(0u, model.GetOtherLineCount());
        EXPECT_EQ(L"", model.GetText());
    }
    else
    {
        EXPECT_EQ(c.lines - c.lines / 10, model.GetEntryCount());
        EXPECT_EQ(static_cast<size_t>(c.lines / 10), model.GetOtherLineCount());
        EXPECT_EQ(TextOf(bytes), model.GetText());
        EXPECT_FALSE(model.IsModified());
    }
    EXPECT_EQ(bytes, testfiles::ReadBytes(path));

    // The next load of the file runs in full and ends once; a stray second end of the first
    // load would show up here too.
    sink.cancelAtLineCount = false;
    sink.cancelAtProgress = -1;
    model.RequestLoad(path);
    ASSERT_TRUE(sink.WaitLoadEnd());
    model.Shutdown();
    events = sink.Take();
    ExpectOnWorkers(events);
    EXPECT_EQ(1, CountLoadEnds(events));
    EXPECT_EQ(LineCount(c.lines), events.front());
    EXPECT_EQ(LoadFinished(true), events.back());
    EXPECT_EQ(bytes, testfiles::ReadBytes(path));
}

const std::vector<Event> k250Lines = {LineCount(250), Reading(100, 100, 250), Reading(200, 200, 250),
                                      Reading(250, 200, 250), LoadFinished(true)};

INSTANTIATE_TEST_SUITE_P(
    Files, HostsFileLoad,
    ::testing::Values(
        LoadCase{"EmptyFile", 0, Interference::None, 0, {LineCount(0), Progress(0, L""), LoadFinished(true)}, false},
        LoadCase{"FiftyLines", 50, Interference::None, 0, {LineCount(50), Progress(50, L""), LoadFinished(true)},
                 false},
        LoadCase{"HundredAndOneLines", 101, Interference::None, 0,
                 {LineCount(101), Reading(100, 100, 101), Reading(101, 100, 101), LoadFinished(true)}, false},
        LoadCase{"TwoHundredFiftyLines", 250, Interference::None, 0, k250Lines, false},
        LoadCase{"CancelWhileIdleIgnored", 250, Interference::CancelWhileIdle, 0, k250Lines, false},
        LoadCase{"CancelAtLineCount", 50, Interference::CancelAtLineCount, 0, {LineCount(50), LoadCancelled()},
                 false},
        LoadCase{"CancelDuringParsing", 3000, Interference::CancelAtProgress, 100,
                 {LineCount(3000), Reading(100, 100, 3000), LoadCancelled()}, false},
        // The cancel lands while the last line is parsed, or after the final report.
        LoadCase{"CancelAtLastLine", 101, Interference::CancelAtProgress, 100,
                 {LineCount(101), Reading(100, 100, 101)}, true},
        LoadCase{"CancelAtFinalReport", 250, Interference::CancelAtProgress, 250,
                 {k250Lines.begin(), k250Lines.end() - 1}, true}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return info.param.name; });

// --- saves ---

// Both saves go to the file loaded last; a record save leaves the text alone, a text save
// replaces it, and each makes the entries the new unmodified state.
TEST(HostsFileSave, WritesLastLoadedFile)
{
    if (CAnsiCodec().GetCodePage() != 1252)
        GTEST_SKIP() << "the bytes below are code page 1252";
    CTempFolder folder;
    const std::wstring earlier = folder / L"earlier";
    const std::wstring path = folder / L"hosts";
    ASSERT_TRUE(testfiles::WriteBytes(earlier, "127.0.0.1 earlier\r\n"));
    ASSERT_TRUE(testfiles::WriteBytes(path, "# caf\xE9 \x80\r\n127.0.0.1   a   #  c\r\n\r\n#10.0.0.1\tb\r\n"
                                            "::1 localhost\r\n10.0.0.2 gone\r\n# tail\r\n"));

    CRecordingSink sink;
    CHostsFile model;
    model.SetSink(&sink);
    ASSERT_EQ(LoadFinished(true), Load(model, sink, earlier).back());
    ASSERT_EQ(LoadFinished(true), Load(model, sink, path).back());
    const std::wstring text = L"# caf\xE9 \x20AC\r\n127.0.0.1   a   #  c\r\n\r\n#10.0.0.1\tb\r\n"
                              L"::1 localhost\r\n10.0.0.2 gone\r\n# tail";
    EXPECT_EQ(text, model.GetText());
    ASSERT_EQ(3, model.GetEntryCount());
    model.GetEntry(1)->m_bDisabled = 0;
    ASSERT_TRUE(model.RemoveEntry(2));

    EXPECT_EQ(std::vector<Event>{SaveFinished(true)}, Save(model, sink, false));
    // Entries in their canonical form between the untouched other lines; no final break.
    EXPECT_EQ("# caf\xE9 \x80\r\n127.0.0.1 a # c\r\n\r\n10.0.0.1 b\r\n::1 localhost\r\n# tail",
              testfiles::ReadBytes(path));
    EXPECT_EQ(text, model.GetText());
    EXPECT_FALSE(model.IsModified());

    // The text goes out byte for byte, a final line break and a lone LF included.
    model.GetEntry(0)->m_strHost = L"changed";
    const std::wstring newText = L"# caf\xE9 \x20AC\r\n10.0.0.9  t\nx\r\n";
    model.SetTextToSave(newText);
    EXPECT_EQ(std::vector<Event>{SaveFinished(true)}, Save(model, sink, true));
    EXPECT_EQ("# caf\xE9 \x80\r\n10.0.0.9  t\nx\r\n", testfiles::ReadBytes(path));
    EXPECT_EQ(newText, model.GetText());
    EXPECT_FALSE(model.IsModified());
    EXPECT_EQ("127.0.0.1 earlier\r\n", testfiles::ReadBytes(earlier));
}

// --- failures: false reported, the file keeps its bytes, the next request works ---

enum class Op { Load, SaveRecords, SaveText };
enum class Cause { HeldOpen, Unencodable }; // held by another program sharing all; U+0416

struct FailureCase
{
    const char* name;
    Op op;
    Cause cause;
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class HostsFileFailure : public ::testing::TestWithParam<FailureCase>
{
};

TEST_P(HostsFileFailure, FileKeptAndThreadGoesOn)
{
    const FailureCase& c = GetParam();
    std::string unused;
    if (c.cause == Cause::Unencodable && CAnsiCodec().Encode(L"\x0416", unused))
        GTEST_SKIP() << "code page " << CAnsiCodec().GetCodePage() << " holds U+0416";
    CTempFolder folder;
    const std::wstring path = folder / L"hosts";
    const std::string old = "# old\r\n127.0.0.1 old.example\r\n";
    ASSERT_TRUE(testfiles::WriteBytes(path, old));

    CRecordingSink sink;
    CHostsFile model;
    model.SetSink(&sink);
    ASSERT_EQ(LoadFinished(true), Load(model, sink, path).back());
    auto run = [&](const std::wstring& host) {
        switch (c.op)
        {
        case Op::Load:
            return Load(model, sink, path);
        case Op::SaveRecords:
            model.GetEntry(0)->m_strHost = host;
            return Save(model, sink, false);
        case Op::SaveText:
            model.SetTextToSave(L"# old\r\n127.0.0.1 " + host);
            return Save(model, sink, true);
        }
        return std::vector<Event>();
    };

    CFileHandle holder;
    if (c.cause == Cause::HeldOpen)
    {
        holder = testfiles::HoldOpen(path, GENERIC_READ, kShareAll);
        ASSERT_TRUE(holder);
    }
    const bool load = c.op == Op::Load;
    EXPECT_EQ(std::vector<Event>{load ? LoadFinished(false) : SaveFinished(false)},
              run(c.cause == Cause::Unencodable ? L"new\x0416" : L"new"));
    holder.Reset();
    EXPECT_EQ(old, testfiles::ReadBytes(path));
    EXPECT_EQ(std::vector<std::wstring>{L"hosts"}, testfiles::ListNames(folder.Path()));
    EXPECT_EQ(load ? L"" : TextOf(old), model.GetText());
    if (c.op == Op::Load)
    {
        EXPECT_EQ(0, model.GetEntryCount());
    }
    if (c.op == Op::SaveRecords)
    {
        EXPECT_TRUE(model.IsModified());
    }
    if (c.op == Op::SaveText)
    {
        EXPECT_EQ(model.GetText(), model.GetTextToSave());
    }

    EXPECT_EQ(load ? LoadFinished(true) : SaveFinished(true), run(L"new").back());
    EXPECT_EQ(load ? old : "# old\r\n127.0.0.1 new", testfiles::ReadBytes(path));
}

// No load case for a conversion failure: under Wine, code page 1252 maps all 256 bytes.
INSTANTIATE_TEST_SUITE_P(Causes, HostsFileFailure,
                         ::testing::Values(FailureCase{"LoadHeldOpen", Op::Load, Cause::HeldOpen},
                                           FailureCase{"SaveRecordsHeldOpen", Op::SaveRecords, Cause::HeldOpen},
                                           FailureCase{"SaveTextHeldOpen", Op::SaveText, Cause::HeldOpen},
                                           FailureCase{"SaveRecordsUnencodable", Op::SaveRecords, Cause::Unencodable},
                                           FailureCase{"SaveTextUnencodable", Op::SaveText, Cause::Unencodable}),
                         [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST(HostsFileSave, RecordSaveOnFullDiskKeepsOldFile)
{
    // The small tmpfs of the test run (scripts/small-disk.sh), reached through Z:.
    std::wstring disk = testfiles::EnvironmentValue(L"NORVIK_SMALL_DISK");
    for (wchar_t& ch : disk)
        ch = ch == L'/' ? L'\\' : ch;
    ULARGE_INTEGER total = {};
    // Never fill a real disk.
    if (disk.empty() || !GetDiskFreeSpaceExW((L"Z:" + disk + L"\\").c_str(), nullptr, &total, nullptr) ||
        total.QuadPart == 0 || total.QuadPart > 1024 * 1024)
        GTEST_SKIP() << "small disk not mounted";
    CTempFolder folder(L"Z:" + disk);
    const std::wstring path = folder / L"hosts";
    const std::string old = "# old\r\n127.0.0.1 old.example";
    ASSERT_TRUE(testfiles::WriteBytes(path, old));

    CRecordingSink sink;
    CHostsFile model;
    model.SetSink(&sink);
    ASSERT_EQ(LoadFinished(true), Load(model, sink, path).back());

    // Leave 16 KiB free, then save some 46 KB.
    const std::wstring reserve = folder / L"reserve";
    ASSERT_TRUE(testfiles::WriteBytes(reserve, std::string(16 * 1024, 'r')));
    {
        CFileHandle filler(CreateFileW((folder / L"filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(filler);
        const std::string block(4096, 'f');
        DWORD written = 0;
        for (DWORD size = 4096; size > 0; size /= 2)
            while (WriteFile(filler.Get(), block.data(), size, &written, nullptr) && written == size)
            {
            }
    }
    ASSERT_TRUE(DeleteFileW(reserve.c_str()));
    for (int i = 0; i < 2000; ++i)
        model.AddEntry(CHostsRecord(L"127.0.0.1", L"new.example", L"", false));

    EXPECT_EQ(std::vector<Event>{SaveFinished(false)}, Save(model, sink, false));
    EXPECT_EQ(old, testfiles::ReadBytes(path));
    EXPECT_TRUE(testfiles::ListNames(folder.Path(), L"nvk*.tmp").empty());
    EXPECT_TRUE(model.IsModified());

    // What fits is still saved.
    model.RevertEntries();
    model.GetEntry(0)->m_strHost = L"fits";
    EXPECT_EQ(std::vector<Event>{SaveFinished(true)}, Save(model, sink, false));
    EXPECT_EQ("# old\r\n127.0.0.1 fits", testfiles::ReadBytes(path));
}

// --- shutdown ---

class HostsFileShutdown : public ::testing::TestWithParam<bool>
{
};

TEST_P(HostsFileShutdown, EndsBothWorkersAndRefusesLaterRequests)
{
    const bool afterWork = GetParam(); // otherwise before the reader even ran
    CTempFolder folder;
    const std::wstring path = folder / L"hosts";
    const std::string bytes = "127.0.0.1 localhost\r\n# end"; // a record save writes it back unchanged
    ASSERT_TRUE(testfiles::WriteBytes(path, bytes));

    CRecordingSink sink;
    const int threads = ThreadCount();
    auto model = std::make_unique<CHostsFile>();
    model->SetSink(&sink);
    EXPECT_EQ(threads + 2, ThreadCount());
    if (afterWork)
    {
        EXPECT_EQ(LoadFinished(true), Load(*model, sink, path).back());
        EXPECT_EQ(std::vector<Event>{SaveFinished(true)}, Save(*model, sink, false));
    }
    model->Shutdown();
    EXPECT_EQ(threads, ThreadCount());
    model->Shutdown();
    EXPECT_TRUE(sink.Take().empty());

    // Nobody is left to answer: the answer comes at once, on the asking thread.
    model->RequestLoad(path);
    model->SetTextToSave(L"127.0.0.1 other");
    EXPECT_FALSE(model->RequestSaveText());
    EXPECT_EQ(model->GetText(), model->GetTextToSave());
    EXPECT_FALSE(model->RequestSaveRecords());
    const std::vector<Event> events = sink.Take();
    EXPECT_EQ((std::vector<Event>{LoadFinished(false), SaveFinished(false), SaveFinished(false)}), events);
    for (const Event& e : events)
        EXPECT_EQ(GetCurrentThreadId(), e.thread);
    EXPECT_EQ(bytes, testfiles::ReadBytes(path));
    model.reset();
    EXPECT_EQ(threads, ThreadCount());
}

INSTANTIATE_TEST_SUITE_P(Moments, HostsFileShutdown, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "AfterWork" : "RightAway");
                         });

// The editor closed while a file loads: the load is cancelled, and Shutdown returns only once
// the reader has left it.
TEST(HostsFileShutdownDuringLoad, CancelsLoadAndWaitsForReader)
{
    CTempFolder folder;
    const std::wstring path = folder / L"hosts";
    ASSERT_TRUE(testfiles::WriteBytes(path, Lines(3000)));

    const int threads = ThreadCount();
    CRecordingSink sink;
    CHostsFile model;
    model.SetSink(&sink);
    // A save first names the writer thread (it fails: nothing was loaded, so there is no path).
    const std::vector<Event> saved = Save(model, sink, false);
    ASSERT_EQ(std::vector<Event>{SaveFinished(false)}, saved);
    CKernelHandle writer(OpenThread(SYNCHRONIZE, FALSE, saved[0].thread));
    ASSERT_TRUE(writer);

    sink.holdAtProgress = 100;
    model.RequestLoad(path);
    ASSERT_TRUE(sink.WaitHeld());
    std::vector<Event> events = sink.Take();
    CKernelHandle reader(OpenThread(SYNCHRONIZE, FALSE, events.back().thread));
    ASSERT_TRUE(reader);
    CKernelHandle closer(CreateThread(nullptr, 0, &ShutdownProc, &model, 0, nullptr));
    ASSERT_TRUE(closer);
    // Shutdown lets the writer go only after it asked for the cancel, so the reader, held in
    // OnProgress, must find the cancel when it goes on.
    ASSERT_TRUE(Signalled(writer.Get()));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(closer.Get(), 0)) << "Shutdown returned before the reader ended";
    sink.Release();
    ASSERT_TRUE(Signalled(closer.Get()));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(reader.Get(), 0));

    const std::vector<Event> rest = sink.Take();
    events.insert(events.end(), rest.begin(), rest.end());
    EXPECT_EQ((std::vector<Event>{LineCount(3000), Reading(100, 100, 3000), LoadCancelled()}), events);
    ExpectOnWorkers(events);
    EXPECT_EQ(0, model.GetEntryCount());
    EXPECT_EQ(L"", model.GetText());
    closer.Reset();
    EXPECT_EQ(threads, ThreadCount());
}

// A load asked for just before Shutdown is still answered, once.
TEST(HostsFileShutdownDuringLoad, PendingLoadAnsweredOnce)
{
    CTempFolder folder;
    const std::wstring path = folder / L"hosts";
    ASSERT_TRUE(testfiles::WriteBytes(path, Lines(300)));
    // The reader takes the request before or after the quit: the rounds try both.
    for (int round = 0; round < 20; ++round)
    {
        CRecordingSink sink;
        CHostsFile model;
        model.SetSink(&sink);
        model.RequestLoad(path);
        model.Shutdown();
        const std::vector<Event> events = sink.Take();
        EXPECT_EQ(1, CountLoadEnds(events)) << "round " << round;
        ExpectOnWorkers(events);
    }
}

// A save asked for just before Shutdown (the editor closing, the model destroyed) is answered
// once and leaves the old file or the new one, whole.
TEST(HostsFileShutdownDuringSave, PendingSaveLeavesWholeFile)
{
    CTempFolder folder;
    const std::wstring path = folder / L"hosts";
    ASSERT_TRUE(testfiles::WriteBytes(path, "127.0.0.1 a\r\n# end"));

    CRecordingSink sink;
    CHostsFile model;
    model.SetSink(&sink);
    const std::vector<Event> loaded = Load(model, sink, path);
    ASSERT_EQ(LoadFinished(true), loaded.back());
    CKernelHandle reader(OpenThread(SYNCHRONIZE, FALSE, loaded.back().thread));
    ASSERT_TRUE(reader);

    // The writer stays in the first save's notification while the next save is asked for and
    // the reader quits; only then does it see the request.
    model.GetEntry(0)->m_strHost = L"b";
    sink.holdAtSave = true;
    ASSERT_EQ(std::vector<Event>{SaveFinished(true)}, Save(model, sink, false));
    ASSERT_TRUE(sink.WaitHeld());
    model.GetEntry(0)->m_strHost = L"c";
    EXPECT_TRUE(model.RequestSaveRecords());
    CKernelHandle closer(CreateThread(nullptr, 0, &ShutdownProc, &model, 0, nullptr));
    ASSERT_TRUE(closer);
    EXPECT_TRUE(Signalled(reader.Get()));
    sink.Release();
    ASSERT_TRUE(Signalled(closer.Get()));

    // The model's lists must still be whole when the writer gets to them.
    const std::vector<Event> events = sink.Take();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(std::string(events[0] == SaveFinished(true) ? "127.0.0.1 c\r\n# end" : "127.0.0.1 b\r\n# end"),
              testfiles::ReadBytes(path))
        << ::testing::PrintToString(events[0]);
}

// Without a sink the workers still serve requests, silently.
TEST(HostsFileWithoutSink, ServesRequestsSilently)
{
    CTempFolder folder;
    const std::wstring path = folder / L"hosts";
    ASSERT_TRUE(testfiles::WriteBytes(path, Lines(300)));
    {
        CHostsFile model;
        model.RequestLoad(path);
        model.Shutdown();
    }
    CHostsFile model;
    // Neither worker can open a file in a missing folder.
    model.RequestLoad(folder / L"missing\\hosts");
    model.SetTextToSave(L"127.0.0.1 x");
    EXPECT_TRUE(model.RequestSaveText());
    model.Shutdown();
    EXPECT_EQ(L"", model.GetTextToSave()) << "the failed save was not handled";
    model.RequestLoad(path);
    EXPECT_FALSE(model.RequestSaveRecords());
}

// --- many models in a row ---

TEST(HostsFileStress, ThousandLifetimesLeaveNothingBehind)
{
    CTempFolder folder;
    const std::wstring path = folder / L"hosts";
    const std::string bytes = "127.0.0.1 localhost\r\n# end"; // saves write it back unchanged
    ASSERT_TRUE(testfiles::WriteBytes(path, bytes));

    const int threads = ThreadCount();
    const DWORD handles = HandleCount();
    ASSERT_GT(handles, 0u);
    // Starting a thread costs some 3.7 ms under Wine, so saves come only every fourth cycle.
    static const int kPlan[] = {0, 2, 0, 2, 0, 2, 1, 3};
    const int cycles = 1000;
    int cycle = 0;
    for (; cycle < cycles && !HasFailure(); ++cycle)
    {
        const int step = kPlan[cycle % 8];
        CRecordingSink sink;
        auto model = std::make_unique<CHostsFile>();
        model->SetSink(&sink);
        bool answered = true;
        if (step > 0)
        {
            model->RequestLoad(path);
            if (step == 2)
                model->Cancel(); // lands before, during or after the parsing
            answered = sink.WaitLoadEnd();
        }
        if (step == 3)
            model->SetTextToSave(model->GetText());
        if (step == 1 || step == 3)
            answered = answered && (step == 1 ? model->RequestSaveRecords() : model->RequestSaveText()) &&
                       sink.WaitSaveEnd();
        EXPECT_TRUE(answered) << "cycle " << cycle;
        // After a cancel or a text save the destructor shuts down by itself.
        if (step < 2)
            model->Shutdown();
        model.reset();
        const std::vector<Event> events = sink.Take();
        EXPECT_EQ(step == 0 ? 0 : 1, CountLoadEnds(events)) << "cycle " << cycle;
        for (const Event& e : events)
            EXPECT_TRUE(e.kind != Kind::SaveFinished || e.value == 1) << "cycle " << cycle;
    }
    EXPECT_EQ(cycles, cycle);
    EXPECT_EQ(threads, ThreadCount());
    EXPECT_LE(HandleCount(), handles + 8) << "handles before: " << handles;
    EXPECT_EQ(bytes, testfiles::ReadBytes(path));
    RecordProperty("threadsBefore", threads);
    RecordProperty("threadsAfter", ThreadCount());
    RecordProperty("handlesBefore", static_cast<int>(handles));
    RecordProperty("handlesAfter", static_cast<int>(HandleCount()));
}
} // namespace
