#include "HostsFileHarness.h"

#include "CaseTable.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace hostsfile;

namespace
{
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

// A watched model with handles on the two threads it started.
struct CModelWithWorkers
{
    // The worker with this id, or the other one.
    HANDLE Worker(DWORD id, bool other = false) const
    {
        for (const CThread& worker : workers)
            if ((worker.id == id) != other)
                return worker.handle.Get();
        return nullptr;
    }

    const CThreadWatch watch; // before the model starts its threads
    CWatchedModel watched;
    CHostsFile& model = watched.model;
    CRecordingSink& sink = watched.sink;
    const std::vector<CThread> workers = watch.OpenStarted(2);
};

// --- shutdown ---

struct ShutdownCase : NamedCase
{
    bool afterWork; // otherwise before the reader even ran
};
using HostsFileShutdown = CaseTest<ShutdownCase>;

TEST_P(HostsFileShutdown, EndsBothWorkersAndRefusesLaterRequests)
{
    const std::string bytes = "127.0.0.1 localhost\r\n# end"; // a record save writes it back unchanged
    const CHostsOnDisk file(bytes);

    const CThreadWatch watch;
    auto m = std::make_unique<CModelWithWorkers>();
    ASSERT_EQ(2u, m->workers.size()) << "the reader and the writer";
    if (GetParam().afterWork)
    {
        EXPECT_EQ(LoadFinished(true), m->watched.Load(file.path).back());
        EXPECT_EQ(std::vector<Event>{SaveFinished(true)}, m->watched.Save(false));
    }
    m->model.Shutdown();
    for (const CThread& worker : m->workers)
        EXPECT_TRUE(Ended(worker.handle.Get())) << "thread " << worker.id << " still runs after Shutdown";
    EXPECT_TRUE(watch.Started().empty()) << "the model runs other threads still";
    m->model.Shutdown();
    EXPECT_TRUE(m->sink.Take().empty());

    // Nobody is left to answer: the answer comes at once, on the asking thread.
    m->model.RequestLoad(file.path);
    m->model.SetTextToSave(L"127.0.0.1 other");
    EXPECT_FALSE(m->model.RequestSaveText());
    EXPECT_EQ(m->model.GetText(), m->model.GetTextToSave());
    EXPECT_FALSE(m->model.RequestSaveRecords());
    const std::vector<Event> events = m->sink.Take();
    EXPECT_EQ((std::vector<Event>{LoadFinished(false), SaveFinished(false), SaveFinished(false)}), events);
    for (const Event& e : events)
        EXPECT_EQ(GetCurrentThreadId(), e.thread);
    EXPECT_EQ(bytes, testfiles::ReadBytes(file.path));
    m.reset();
    EXPECT_TRUE(watch.Started().empty()) << "a thread of the model outlived it";
}

CASE_TABLE(Moments, HostsFileShutdown, ShutdownCase{{"RightAway"}, false}, ShutdownCase{{"AfterWork"}, true});

// The editor closed while a file loads: the load is cancelled, and Shutdown returns only once
// the reader has left it.
TEST(HostsFileShutdownDuringLoad, CancelsLoadAndWaitsForReader)
{
    const CHostsOnDisk file(Lines(3000));
    CModelWithWorkers m;
    ASSERT_EQ(2u, m.workers.size());

    m.sink.HoldAt(Kind::Progress, 100);
    m.model.RequestLoad(file.path);
    ASSERT_TRUE(m.sink.WaitHeld());
    std::vector<Event> events = m.sink.Take();
    const HANDLE reader = m.Worker(events.back().thread);
    const HANDLE writer = m.Worker(events.back().thread, true);
    ASSERT_TRUE(reader && writer);
    {
        CShutdownThread closer(m.model, reader);
        ASSERT_TRUE(closer.Started());
        // Shutdown lets the writer go only after it asked for the cancel, so the reader, held in
        // OnProgress, must find the cancel when it goes on.
        ASSERT_TRUE(Signalled(writer));
        m.sink.Release();
        ASSERT_TRUE(closer.WaitReturned());
        EXPECT_TRUE(closer.OtherEndedFirst()) << "Shutdown returned before the reader ended";
    }

    const std::vector<Event> rest = m.sink.Take();
    events.insert(events.end(), rest.begin(), rest.end());
    EXPECT_EQ((std::vector<Event>{LineCount(3000), Reading(100, 100, 3000), LoadCancelled()}), events);
    ExpectOnWorkers(events);
    EXPECT_EQ(0, m.model.GetEntryCount());
    EXPECT_EQ(L"", m.model.GetText());
    EXPECT_TRUE(m.watch.Started().empty());
}

// A load asked for just before Shutdown is still answered, once, whichever of the two requests
// the reader sees first.
struct PendingLoadCase : NamedCase
{
    // The reader has taken the load when the quit comes; otherwise it is still inside the last
    // report of the load before and then finds both requests waiting.
    bool readerTookIt;
};
using HostsFilePendingLoadAtShutdown = CaseTest<PendingLoadCase>;

TEST_P(HostsFilePendingLoadAtShutdown, AnsweredOnce)
{
    const bool readerTookIt = GetParam().readerTookIt;
    const CHostsOnDisk file(Lines(300));
    CModelWithWorkers m;
    ASSERT_EQ(2u, m.workers.size());

    if (readerTookIt)
        m.sink.HoldAt(Kind::LineCount, 300);
    else
        m.sink.HoldAt(Kind::LoadFinished, true);
    m.model.RequestLoad(file.path);
    ASSERT_TRUE(m.sink.WaitHeld());
    const DWORD readerId = m.sink.Take().back().thread;
    if (!readerTookIt)
        m.model.RequestLoad(file.path);
    {
        CShutdownThread closer(m.model, m.Worker(readerId));
        ASSERT_TRUE(closer.Started());
        ASSERT_TRUE(Signalled(m.Worker(readerId, true))) << "the writer never saw the quit";
        m.sink.Release();
        ASSERT_TRUE(closer.WaitReturned());
        EXPECT_TRUE(closer.OtherEndedFirst()) << "Shutdown returned before the reader ended";
    }
    EXPECT_EQ(std::vector<Event>{LoadCancelled()}, m.watched.TakeFromWorkers());
}

CASE_TABLE(Orderings, HostsFilePendingLoadAtShutdown, PendingLoadCase{{"ReaderTookItFirst"}, true},
           PendingLoadCase{{"QuitCameFirst"}, false});

// A save asked for just before Shutdown (the editor closing, the model destroyed) is answered
// once and leaves the old file or the new one, whole.
TEST(HostsFileShutdownDuringSave, PendingSaveLeavesWholeFile)
{
    const CHostsOnDisk file("127.0.0.1 a\r\n# end");
    CModelWithWorkers m;
    ASSERT_EQ(2u, m.workers.size());
    const std::vector<Event> loaded = m.watched.Load(file.path);
    ASSERT_EQ(LoadFinished(true), loaded.back());
    const HANDLE reader = m.Worker(loaded.back().thread);
    const HANDLE writer = m.Worker(loaded.back().thread, true);
    ASSERT_TRUE(reader && writer);

    // The writer stays in the first save's notification while the next save is asked for and
    // the reader quits; only then does it see the request.
    m.model.GetEntry(0)->m_strHost = L"b";
    m.sink.HoldAt(Kind::SaveFinished, true);
    ASSERT_EQ(std::vector<Event>{SaveFinished(true)}, m.watched.Save(false));
    ASSERT_TRUE(m.sink.WaitHeld());
    m.model.GetEntry(0)->m_strHost = L"c";
    EXPECT_TRUE(m.model.RequestSaveRecords());
    {
        CShutdownThread closer(m.model, writer);
        ASSERT_TRUE(closer.Started());
        EXPECT_TRUE(Signalled(reader));
        m.sink.Release();
        ASSERT_TRUE(closer.WaitReturned());
        EXPECT_TRUE(closer.OtherEndedFirst()) << "Shutdown returned before the writer ended";
    }

    // The model's lists must still be whole when the writer gets to them.
    const std::vector<Event> events = m.watched.TakeFromWorkers();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(std::string(events[0] == SaveFinished(true) ? "127.0.0.1 c\r\n# end" : "127.0.0.1 b\r\n# end"),
              testfiles::ReadBytes(file.path))
        << ::testing::PrintToString(events[0]);
}

// Without a sink the workers still serve requests, silently.
TEST(HostsFileWithoutSink, ServesRequestsSilently)
{
    const CHostsOnDisk file(Lines(300));
    {
        CHostsFile model;
        model.RequestLoad(file.path);
        model.Shutdown();
    }
    CHostsFile model;
    // Neither worker can open a file in a missing folder.
    model.RequestLoad(file.folder / L"missing\\hosts");
    model.SetTextToSave(L"127.0.0.1 x");
    EXPECT_TRUE(model.RequestSaveText());
    model.Shutdown();
    EXPECT_EQ(L"", model.GetTextToSave()) << "the failed save was not handled";
    model.RequestLoad(file.path);
    EXPECT_FALSE(model.RequestSaveRecords());
}

// The load thread asks for a load just as the editor closes on the GUI thread. Both calls
// empty the model; they must not do it at the same time, and the request is answered once:
// by the reader, or at once as refused.
struct RaceCase : NamedCase
{
    // The load is asked for as the workers end, just when Shutdown goes on to empty the model;
    // otherwise both calls start together.
    bool asWorkersEnd;
};
using HostsFileShutdownRace = CaseTest<RaceCase>;

TEST_P(HostsFileShutdownRace, LoadRequestMeetingShutdownIsAnsweredOnce)
{
    const bool asWorkersEnd = GetParam().asWorkersEnd;
    const CHostsOnDisk file(Lines(3000));
    CKernelHandle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(go);
    struct Racer
    {
        std::vector<HANDLE> waitFor;
        std::function<void()> call;
        static DWORD WINAPI Run(LPVOID self)
        {
            auto* racer = static_cast<Racer*>(self);
            WaitForMultipleObjects(static_cast<DWORD>(racer->waitFor.size()), racer->waitFor.data(), TRUE, INFINITE);
            racer->call();
            return 0;
        }
    };
    const int rounds = 100;
    int round = 0;
    for (; round < rounds && !HasFailure(); ++round)
    {
        CModelWithWorkers m;
        ASSERT_EQ(2u, m.workers.size());
        // Records and text for both calls to free.
        ASSERT_EQ(LoadFinished(true), m.watched.Load(file.path).back()) << "round " << round;
        ResetEvent(go.Get());
        Racer load{{go.Get()}, [&] { m.model.RequestLoad(file.path); }};
        if (asWorkersEnd)
            load.waitFor = {m.workers[0].handle.Get(), m.workers[1].handle.Get()};
        Racer close{{go.Get()}, [&] { m.model.Shutdown(); }};
        CKernelHandle threads[] = {CKernelHandle(CreateThread(nullptr, 0, &Racer::Run, &load, 0, nullptr)),
                                   CKernelHandle(CreateThread(nullptr, 0, &Racer::Run, &close, 0, nullptr))};
        SetEvent(go.Get());
        for (const CKernelHandle& thread : threads)
            ASSERT_TRUE(thread && Signalled(thread.Get())) << "round " << round;
        // Shutdown has returned: the reader has ended and sent whatever it was going to send.
        const std::vector<Event> events = m.sink.Take();
        ASSERT_EQ(1, CountLoadEnds(events)) << "round " << round << ": " << ::testing::PrintToString(events);
        EXPECT_EQ(0, m.model.GetEntryCount()) << "round " << round;
        EXPECT_EQ(L"", m.model.GetText()) << "round " << round;
    }
    EXPECT_EQ(rounds, round);
}

CASE_TABLE(Moments, HostsFileShutdownRace, RaceCase{{"Together"}, false}, RaceCase{{"AsWorkersEnd"}, true});

// --- many models in a row ---

TEST(HostsFileStress, ThousandLifetimesLeaveNothingBehind)
{
    const std::string bytes = "127.0.0.1 localhost\r\n# end"; // saves write it back unchanged
    const CHostsOnDisk file(bytes);

    const CThreadWatch watch;
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
            model->RequestLoad(file.path);
            if (step == 2)
                model->Cancel(); // lands before, during or after the parsing
            answered = sink.WaitLoadEnd();
        }
        if (step == 3)
            model->SetTextToSave(model->GetText());
        if (step == 1 || step == 3)
            answered =
                answered && (step == 1 ? model->RequestSaveRecords() : model->RequestSaveText()) && sink.WaitSaveEnd();
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
    const size_t threadsLeft = watch.Started().size();
    EXPECT_EQ(0u, threadsLeft) << "threads of ended models still run";
    EXPECT_LE(HandleCount(), handles + 8) << "handles before: " << handles;
    EXPECT_EQ(bytes, testfiles::ReadBytes(file.path));
    RecordProperty("threadsLeft", static_cast<int>(threadsLeft));
    RecordProperty("handlesBefore", static_cast<int>(handles));
    RecordProperty("handlesAfter", static_cast<int>(HandleCount()));
}
} // namespace
