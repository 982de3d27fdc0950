// Every call of a save failing in turn, and hosts files that are links: the name holds the old
// or the new content whole at every call the save makes, and Ok means the new one is there.
#include "hosts/FileReplacer.h"

#include "CaseTable.h"
#include "HostsOnDisk.h"
#include "TestFiles.h"

#include <string>
#include <vector>

namespace
{
enum class Call
{
    CreateFile,
    WriteFile,
    Flush,
    SetEnd,
    Replace,
    Move,
    Delete,
    SetAttributes,
    Count
};

// What Windows documents for a failed ReplaceFileW, done before it reports the failure.
enum class Effect
{
    None,
    OldDeleted,  // the replaced file is gone (no backup name, ERROR_UNABLE_TO_MOVE_REPLACEMENT)
    OldToBackup, // the replaced file went to the backup name (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
    OtherWrites, // not Windows: another program writes the file at that moment
};

// Calls `nth` to `nth + times - 1` of `call` fail (times 0: every call from the nth on).
struct Fault
{
    Call call;
    int nth;
    int times;
    DWORD error;
    Effect effect = Effect::None;
};

struct Injection
{
    std::vector<Fault> faults;
    int counts[static_cast<int>(Call::Count)] = {};
    std::wstring path;
    std::string old;
    std::string replacement;
    bool mayBeGone = false;
    std::vector<std::string> violations;
};
Injection g;

const char kOld[] = "# old\r\n127.0.0.1 old.example\r\n127.0.0.1 older.example\r\n";
const char kNew[] = "127.0.0.1 new.example\r\n";
const char kOther[] = "# another program's line\r\n";

// Looks at the name before each call: old, new or another program's content, whole; gone
// only after a row took the old file away.
void Observe()
{
    if (!testfiles::Exists(g.path))
    {
        if (!g.mayBeGone)
            g.violations.push_back("the name holds nothing");
        return;
    }
    const std::optional<std::string> now = testfiles::ReadBytes(g.path);
    if (now && *now != g.old && *now != g.replacement && *now != g.old + kOther)
        g.violations.push_back("the name holds " + std::to_string(now->size()) + " other bytes");
}

const Fault* Failing(Call call)
{
    Observe();
    const int count = ++g.counts[static_cast<int>(call)];
    for (const Fault& fault : g.faults)
        if (fault.call == call && count >= fault.nth && (fault.times == 0 || count < fault.nth + fault.times))
            return &fault;
    return nullptr;
}

template <class Result>
Result Fail(const Fault* fault, Result result)
{
    SetLastError(fault->error);
    return result;
}

HANDLE WINAPI FakeCreateFile(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                             DWORD flags, HANDLE templ)
{
    const Fault* fault = Failing(Call::CreateFile);
    return fault ? Fail(fault, INVALID_HANDLE_VALUE) : CreateFileW(name, access, share, security, how, flags, templ);
}

BOOL WINAPI FakeWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    const Fault* fault = Failing(Call::WriteFile);
    return fault ? Fail(fault, FALSE) : WriteFile(file, data, size, written, overlapped);
}

BOOL WINAPI FakeFlush(HANDLE file)
{
    const Fault* fault = Failing(Call::Flush);
    return fault ? Fail(fault, FALSE) : FlushFileBuffers(file);
}

BOOL WINAPI FakeSetEnd(HANDLE file)
{
    const Fault* fault = Failing(Call::SetEnd);
    return fault ? Fail(fault, FALSE) : SetEndOfFile(file);
}

BOOL WINAPI FakeReplace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID exclude,
                        LPVOID reserved)
{
    const Fault* fault = Failing(Call::Replace);
    if (!fault)
        return ReplaceFileW(replaced, replacement, backup, flags, exclude, reserved);
    if (g.counts[static_cast<int>(Call::Replace)] == fault->nth)
    {
        if (fault->effect == Effect::OldDeleted)
            DeleteFileW(replaced);
        else if (fault->effect == Effect::OldToBackup)
            MoveFileExW(replaced, backup, MOVEFILE_REPLACE_EXISTING);
        else if (fault->effect == Effect::OtherWrites)
            testfiles::WriteBytes(replaced, g.old + kOther);
    }
    return Fail(fault, FALSE);
}

BOOL WINAPI FakeMove(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    const Fault* fault = Failing(Call::Move);
    return fault ? Fail(fault, FALSE) : MoveFileExW(from, to, flags);
}

BOOL WINAPI FakeDelete(LPCWSTR name)
{
    const Fault* fault = Failing(Call::Delete);
    return fault ? Fail(fault, FALSE) : DeleteFileW(name);
}

BOOL WINAPI FakeSetAttributes(LPCWSTR name, DWORD attributes)
{
    const Fault* fault = Failing(Call::SetAttributes);
    return fault ? Fail(fault, FALSE) : SetFileAttributesW(name, attributes);
}

enum class Holds
{
    Old,
    New,
    Other, // another program's write, which the save must not overwrite
    Nothing,
};

struct FaultCase : NamedCase
{
    std::vector<Fault> faults;
    WriteResult result;
    Holds holds;
    size_t besides; // files left beside the hosts file
    bool staleStamp = false;
};

class SaveFaults : public CaseTest<FaultCase>
{
protected:
    void SetUp() override
    {
        static const CFileReplacerCalls fakes{FakeCreateFile, FakeWriteFile, FakeFlush,  FakeSetEnd,
                                              FakeReplace,    FakeMove,      FakeDelete, FakeSetAttributes};
        SetFileReplacerCalls(&fakes);
    }
    void TearDown() override { SetFileReplacerCalls(nullptr); }
};

TEST_P(SaveFaults, NameHoldsOldOrNewWhole)
{
    const FaultCase& c = GetParam();
    const CHostsOnDisk file{std::string(kOld)};
    g = Injection();
    g.faults = c.faults;
    g.path = file.path;
    g.old = kOld;
    g.replacement = kNew;
    for (const Fault& fault : c.faults)
        g.mayBeGone |= fault.effect == Effect::OldDeleted || fault.effect == Effect::OldToBackup;
    CFileStamp expected;
    if (c.staleStamp)
        expected = {true, 1, sizeof(kOld) - 1};

    const CWriteOutcome outcome = ReplaceFileContents(file.path, kNew, expected);
    EXPECT_EQ(c.result, outcome.result);
    EXPECT_EQ(std::vector<std::string>{}, g.violations);
    const std::optional<std::string> now = testfiles::ReadBytes(file.path);
    switch (c.holds)
    {
    case Holds::Old:
        EXPECT_EQ(kOld, now);
        break;
    case Holds::New:
        EXPECT_EQ(kNew, now);
        break;
    case Holds::Other:
        EXPECT_EQ(std::string(kOld) + kOther, now);
        break;
    case Holds::Nothing:
        EXPECT_FALSE(now);
        break;
    }
    const std::vector<std::wstring> names = testfiles::ListNames(file.folder.Path());
    EXPECT_EQ(c.besides + (c.holds == Holds::Nothing ? 0 : 1), names.size());
    EXPECT_EQ(c.result == WriteResult::Stranded, !outcome.kept.empty());
    if (outcome.kept.empty())
        return;
    // The kept content, named, outlives the next save's clearing of old temporary files.
    EXPECT_EQ(kNew, testfiles::ReadBytes(outcome.kept));
    g.faults.clear();
    g.mayBeGone = true;
    for (const std::wstring& name : names)
        ASSERT_TRUE(testfiles::SetLastWrite(file.folder / name, 0x01C0000000000000ull)); // in 1985
    EXPECT_EQ(WriteResult::Ok, ReplaceFileContents(file.path, kNew).result);
    EXPECT_EQ(kNew, testfiles::ReadBytes(outcome.kept));
}

const DWORD kDenied = ERROR_ACCESS_DENIED;
const DWORD kSharing = ERROR_SHARING_VIOLATION;
const DWORD kDiskFull = ERROR_DISK_FULL;
using C = Call;
using W = WriteResult;
using H = Holds;

// clang-format off
CASE_TABLE(Calls, SaveFaults,
    FaultCase{{"LockRefused"}, {{C::CreateFile, 1, 1, kSharing}}, W::OpenFailed, H::Old, 0},
    FaultCase{{"ChangedSinceLastSeen"}, {}, W::Changed, H::Old, 0, true},
    FaultCase{{"NoFileBesideWritesInPlace"}, {{C::CreateFile, 2, 1, kDenied}}, W::Ok, H::New, 0},
    FaultCase{{"InPlaceWriteFails"}, {{C::CreateFile, 2, 1, kDenied}, {C::WriteFile, 1, 1, kDiskFull}},
              W::WriteFailed, H::Old, 0},
    FaultCase{{"InPlaceFlushFails"}, {{C::CreateFile, 2, 1, kDenied}, {C::Flush, 1, 1, kDiskFull}},
              W::WriteFailed, H::Old, 0},
    FaultCase{{"InPlaceSetEndFails"}, {{C::CreateFile, 2, 1, kDenied}, {C::SetEnd, 1, 1, kDenied}},
              W::WriteFailed, H::Old, 0},
    FaultCase{{"TemporaryWriteFails"}, {{C::WriteFile, 1, 1, kDiskFull}}, W::WriteFailed, H::Old, 0},
    FaultCase{{"TemporaryFlushFails"}, {{C::Flush, 1, 1, kDiskFull}}, W::WriteFailed, H::Old, 0},
    FaultCase{{"TemporaryNotDeleted"}, {{C::WriteFile, 1, 1, kDiskFull}, {C::Delete, 1, 1, kDenied}},
              W::WriteFailed, H::Old, 1},
    FaultCase{{"AttributesNotCarried"}, {{C::SetAttributes, 1, 1, kDenied}}, W::Ok, H::New, 0},
    FaultCase{{"ReplaceRefusedOnce"}, {{C::Replace, 1, 1, kSharing}}, W::Ok, H::New, 0},
    FaultCase{{"ReplaceRefusedAlwaysWritesInPlace"}, {{C::Replace, 1, 0, kSharing}}, W::Ok, H::New, 0},
    FaultCase{{"ReplaceDeniedAlwaysWritesInPlace"}, {{C::Replace, 1, 0, kDenied}}, W::Ok, H::New, 0},
    FaultCase{{"ReplaceRefusedTemporaryNotDeleted"}, {{C::Replace, 1, 0, kSharing}, {C::Delete, 1, 1, kDenied}},
              W::Ok, H::New, 1},
    FaultCase{{"ReplaceRefusedWhileAnotherWrites"}, {{C::Replace, 1, 0, kSharing, Effect::OtherWrites}},
              W::Changed, H::Other, 0},
    FaultCase{{"ReplacedNotRemoved"}, {{C::Replace, 1, 1, ERROR_UNABLE_TO_REMOVE_REPLACED}}, W::Ok, H::New, 0},
    FaultCase{{"OldGoneNewMoved"}, {{C::Replace, 1, 1, ERROR_UNABLE_TO_MOVE_REPLACEMENT, Effect::OldDeleted}},
              W::Ok, H::New, 0},
    FaultCase{{"OldInBackupNewMoved"},
              {{C::Replace, 1, 1, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, Effect::OldToBackup}}, W::Ok, H::New, 0},
    FaultCase{{"OldInBackupNewStuckOldBack"},
              {{C::Replace, 1, 1, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, Effect::OldToBackup}, {C::Move, 1, 5, kSharing}},
              W::Ok, H::New, 0},
    FaultCase{{"OldInBackupNeitherMoves"},
              {{C::Replace, 1, 1, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, Effect::OldToBackup}, {C::Move, 1, 0, kSharing}},
              W::Stranded, H::Nothing, 2},
    FaultCase{{"OldGoneNewStuck"},
              {{C::Replace, 1, 1, ERROR_UNABLE_TO_MOVE_REPLACEMENT, Effect::OldDeleted}, {C::Move, 1, 0, kSharing}},
              W::Stranded, H::Nothing, 1},
    FaultCase{{"BackupNotDeleted"}, {{C::Delete, 1, 1, kDenied}}, W::Ok, H::New, 1});
// clang-format on

// --- linked hosts files ---

// Runs a Linux program as Wine can, in `folder`, and waits for `made` to appear.
bool RunUnix(const std::wstring& commandLine, const std::wstring& folder, const std::wstring& made)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int wait = 0; wait < 500 && !testfiles::Exists(made); ++wait)
        Sleep(10);
    return testfiles::Exists(made);
}

struct LinkCase : NamedCase
{
    const wchar_t* command; // makes "hosts" a link to "target"
};
using ReplaceLinked = CaseTest<LinkCase>;

// A save writes through the link: the target takes the new content and the link stays.
TEST_P(ReplaceLinked, WritesTheTargetAndKeepsTheLink)
{
    const testfiles::CTempFolder folder;
    const std::wstring target = folder / L"target";
    ASSERT_TRUE(testfiles::WriteBytes(target, kOld));
    ASSERT_TRUE(RunUnix(GetParam().command, folder.Path(), folder / L"hosts"));

    EXPECT_EQ(WriteResult::Ok, ReplaceFileContents(folder / L"hosts", kNew).result);
    EXPECT_EQ(kNew, testfiles::ReadBytes(target));
    EXPECT_EQ(kNew, testfiles::ReadBytes(folder / L"hosts"));
    EXPECT_EQ(2u, testfiles::ListNames(folder.Path()).size());
}

CASE_TABLE(Links, ReplaceLinked, LinkCase{{"Symbolic"}, L"Z:\\bin\\ln -s target hosts"},
           LinkCase{{"Hard"}, L"Z:\\bin\\ln target hosts"});
} // namespace
