// Each call of a save failing in turn, and linked hosts files: at every call the save makes the
// name holds the old or the new content whole, and Ok means the new one is there.
#include "hosts/FileReplacer.h"

#include "CaseTable.h"
#include "HostsOnDisk.h"
#include "TestFiles.h"

#include <string>
#include <vector>

namespace
{
enum Call
{
    kCreate,
    kWrite,
    kFlush,
    kSetEnd,
    kReplace,
    kMove,
    kDelete,
    kSetAttributes,
    kCalls
};
// What Windows documents for a failed ReplaceFileW, done before it fails; kOtherWrites: another
// program writes the file at that moment (kOtherCreates: once the old file went to the backup).
enum Effect
{
    kNone,
    kOldDeleted,
    kOldToBackup,
    kOtherWrites,
    kOtherCreates
};
// Calls nth to nth + times - 1 fail (times 0: every one from the nth).
struct Fault
{
    Call call;
    int nth;
    int times;
    DWORD error;
    Effect effect = kNone;
};

#define OLD "# old\r\n127.0.0.1 old.example\r\n127.0.0.1 older.example\r\n"
const char kOld[] = OLD;
const char kNew[] = "127.0.0.1 new.example\r\n";
const char kOther[] = OLD "# another program's line\r\n";

// How the new content reached the name, if it did: the copy beside it took the name (a
// replacement, or the move after one), or the file itself was written.
enum Way
{
    kNeither,
    kReplaced,
    kInPlace
};

struct
{
    std::vector<Fault> faults;
    int counts[kCalls];
    std::wstring path;
    bool mayBeGone;
    std::vector<std::string> seen; // what the name held that it must not
    Way way;
} g;

const Fault* Failing(Call call)
{
    const std::optional<std::string> now = testfiles::ReadBytes(g.path);
    if (testfiles::Exists(g.path) ? now && *now != kOld && *now != kNew && *now != kOther : !g.mayBeGone)
        g.seen.push_back(now ? *now : "nothing");
    const int count = ++g.counts[call];
    for (const Fault& fault : g.faults)
        if (fault.call == call && count >= fault.nth && (fault.times == 0 || count < fault.nth + fault.times))
            return &fault;
    return nullptr;
}

#define FAKE(name, call, Result, failed, params, real)                                                                 \
    Result WINAPI name params                                                                                          \
    {                                                                                                                  \
        const Fault* fault = Failing(call);                                                                            \
        if (!fault)                                                                                                    \
            return real;                                                                                               \
        SetLastError(fault->error);                                                                                    \
        return failed;                                                                                                 \
    }
FAKE(FakeCreate, kCreate, HANDLE, INVALID_HANDLE_VALUE,
     (LPCWSTR n, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD d, DWORD f, HANDLE t),
     CreateFileW(n, a, s, sa, d, f, t))
FAKE(FakeWrite, kWrite, BOOL, FALSE, (HANDLE h, LPCVOID b, DWORD n, LPDWORD w, LPOVERLAPPED o),
     WriteFile(h, b, n, w, o))
FAKE(FakeFlush, kFlush, BOOL, FALSE, (HANDLE h), FlushFileBuffers(h))
// Only a write in place cuts the file's end; the new content reaches the name when a move puts
// the copy there.
FAKE(FakeSetEnd, kSetEnd, BOOL, FALSE, (HANDLE h), SetEndOfFile(h) && (g.way = kInPlace))
FAKE(FakeMove, kMove, BOOL, FALSE, (LPCWSTR from, LPCWSTR to, DWORD f),
     MoveFileExW(from, to, f) && (g.way = to == g.path ? kReplaced : g.way, true))
FAKE(FakeDelete, kDelete, BOOL, FALSE, (LPCWSTR n), DeleteFileW(n))
FAKE(FakeSetAttributes, kSetAttributes, BOOL, FALSE, (LPCWSTR n, DWORD a), SetFileAttributesW(n, a))

BOOL WINAPI FakeReplace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID, LPVOID)
{
    const Fault* fault = Failing(kReplace);
    if (!fault)
        return ReplaceFileW(replaced, replacement, backup, flags, nullptr, nullptr) && (g.way = kReplaced);
    if (g.counts[kReplace] == fault->nth && fault->effect == kOldDeleted)
        DeleteFileW(replaced);
    if (g.counts[kReplace] == fault->nth && (fault->effect == kOldToBackup || fault->effect == kOtherCreates))
        MoveFileExW(replaced, backup, MOVEFILE_REPLACE_EXISTING);
    if (g.counts[kReplace] == fault->nth && (fault->effect == kOtherWrites || fault->effect == kOtherCreates))
        testfiles::WriteBytes(replaced, kOther);
    SetLastError(fault->error);
    return FALSE;
}

struct FaultCase : NamedCase
{
    std::vector<Fault> faults;
    WriteResult result;
    Way way;
    const char* holds;             // what the name holds at the end; null: nothing
    size_t besides;                // files left beside it
    const wchar_t* link = nullptr; // a Linux command that makes "hosts" a link to "target" first
    bool stale = false;            // the caller saw the file otherwise
};

class SaveFaults : public CaseTest<FaultCase>
{
protected:
    void SetUp() override
    {
        static const CFileReplacerCalls fakes{FakeCreate,  FakeWrite, FakeFlush,  FakeSetEnd,
                                              FakeReplace, FakeMove,  FakeDelete, FakeSetAttributes};
        SetFileReplacerCalls(&fakes);
    }
    void TearDown() override { SetFileReplacerCalls(nullptr); }
};

TEST_P(SaveFaults, NameHoldsOldOrNewWhole)
{
    const FaultCase& c = GetParam();
    const CHostsOnDisk file(c.link ? std::nullopt : std::optional<std::string>(kOld));
    if (c.link)
    {
        ASSERT_TRUE(testfiles::WriteBytes(file.folder / L"target", kOld) && MakeLink(c.link, file.folder));
    }
    g = {c.faults, {}, file.path, false, {}, kNeither};
    for (const Fault& fault : c.faults)
        g.mayBeGone |= fault.effect == kOldDeleted || fault.effect == kOldToBackup || fault.effect == kOtherCreates;
    const CFileStamp stale = {true, 1, sizeof(kOld) - 1};

    // In two pieces, as saves stream them.
    const ContentSource halves = [half = sizeof(kNew) / 2](const ContentWriter& write) {
        return write(std::string_view(kNew, half)) && write(std::string_view(kNew + half, sizeof(kNew) - 1 - half));
    };
    const CWriteOutcome outcome = ReplaceFileContents(file.path, halves, c.stale ? stale : CFileStamp());
    EXPECT_EQ(c.result, outcome.result);
    EXPECT_EQ(c.way, g.way);
    EXPECT_EQ(std::vector<std::string>{}, g.seen);
    EXPECT_EQ(c.holds ? std::optional<std::string>(c.holds) : std::nullopt, testfiles::ReadBytes(file.path));
    if (c.link)
    {
        EXPECT_EQ(c.holds, testfiles::ReadBytes(file.folder / L"target"));
    }
    const std::vector<std::wstring> names = testfiles::ListNames(file.folder.Path());
    EXPECT_EQ(c.besides + (c.holds ? 1 : 0), names.size());
    // The new content is kept and named wherever the name may hold neither content whole.
    ASSERT_EQ(c.result == WriteResult::Stranded || (c.result == WriteResult::Damaged && c.besides > 0),
              !outcome.kept.empty());
    if (outcome.kept.empty())
        return;
    // The new content, kept and named, outlives the next save's clearing of what old saves left.
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
const DWORD kFull = ERROR_DISK_FULL;
const DWORD kUnmoved = ERROR_UNABLE_TO_MOVE_REPLACEMENT;
const DWORD kUnmoved2 = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
using W = WriteResult;

// clang-format off
CASE_TABLE(Calls, SaveFaults,
    FaultCase{{"LockRefused"}, {{kCreate, 1, 1, kSharing}}, W::OpenFailed, kNeither, kOld, 0},
    FaultCase{{"ChangedSinceSeen"}, {}, W::Changed, kNeither, kOld, 0, nullptr, true},
    FaultCase{{"NoFileBesideInPlace"}, {{kCreate, 2, 1, kDenied}}, W::Ok, kInPlace, kNew, 0},
    FaultCase{{"InPlaceWriteFails"}, {{kCreate, 2, 1, kDenied}, {kWrite, 1, 1, kFull}},
              W::WriteFailed, kInPlace, kOld, 0},
    FaultCase{{"InPlaceFlushFails"}, {{kCreate, 2, 1, kDenied}, {kFlush, 1, 1, kFull}},
              W::WriteFailed, kInPlace, kOld, 0},
    FaultCase{{"InPlaceSetEndFails"}, {{kCreate, 2, 1, kDenied}, {kSetEnd, 1, 1, kDenied}},
              W::WriteFailed, kInPlace, kOld, 0},
    FaultCase{{"TemporaryWriteFails"}, {{kWrite, 1, 1, kFull}}, W::WriteFailed, kNeither, kOld, 0},
    FaultCase{{"TemporaryWriteFailsHalfway"}, {{kWrite, 2, 1, kFull}}, W::WriteFailed, kNeither, kOld, 0},
    FaultCase{{"TemporaryFlushFails"}, {{kFlush, 1, 1, kFull}}, W::WriteFailed, kNeither, kOld, 0},
    FaultCase{{"TemporaryNotDeleted"}, {{kWrite, 1, 1, kFull}, {kDelete, 1, 1, kDenied}},
              W::WriteFailed, kNeither, kOld, 1},
    FaultCase{{"AttributesNotCarried"}, {{kSetAttributes, 1, 1, kDenied}}, W::Ok, kReplaced, kNew, 0},
    FaultCase{{"ReplaceRefusedOnce"}, {{kReplace, 1, 1, kSharing}}, W::Ok, kReplaced, kNew, 0},
    FaultCase{{"ReplaceRefusedInPlace"}, {{kReplace, 1, 0, kSharing}}, W::Ok, kInPlace, kNew, 0},
    FaultCase{{"ReplaceDeniedInPlace"}, {{kReplace, 1, 0, kDenied}}, W::Ok, kInPlace, kNew, 0},
    FaultCase{{"ReplaceRefusedNotDeleted"}, {{kReplace, 1, 0, kSharing}, {kDelete, 1, 1, kDenied}},
              W::Ok, kInPlace, kNew, 1},
    FaultCase{{"ReplaceRefusedOtherWrites"}, {{kReplace, 1, 0, kSharing, kOtherWrites}},
              W::Changed, kNeither, kOther, 1},
    FaultCase{{"OldInBackupOtherCreates"}, {{kReplace, 1, 1, kUnmoved2, kOtherCreates}},
              W::Changed, kNeither, kOther, 2},
    FaultCase{{"InPlaceOldNotBack"}, {{kCreate, 2, 1, kDenied}, {kFlush, 1, 0, kFull}},
              W::Damaged, kNeither, kOld, 0},
    FaultCase{{"RefusedInPlaceOldNotBack"}, {{kReplace, 1, 0, kSharing}, {kFlush, 2, 0, kFull}},
              W::Damaged, kNeither, kOld, 1},
    FaultCase{{"ReplacedNotRemoved"}, {{kReplace, 1, 1, ERROR_UNABLE_TO_REMOVE_REPLACED}}, W::Ok, kReplaced, kNew, 0},
    FaultCase{{"OldGoneNewMoved"}, {{kReplace, 1, 1, kUnmoved, kOldDeleted}}, W::Ok, kReplaced, kNew, 0},
    FaultCase{{"OldInBackupNewMoved"}, {{kReplace, 1, 1, kUnmoved2, kOldToBackup}}, W::Ok, kReplaced, kNew, 0},
    FaultCase{{"OldInBackupOldBack"}, {{kReplace, 1, 1, kUnmoved2, kOldToBackup}, {kMove, 1, 5, kSharing}},
              W::Ok, kInPlace, kNew, 0},
    FaultCase{{"OldInBackupNeitherMoves"}, {{kReplace, 1, 1, kUnmoved2, kOldToBackup}, {kMove, 1, 0, kSharing}},
              W::Stranded, kNeither, nullptr, 2},
    FaultCase{{"OldGoneNewStuck"}, {{kReplace, 1, 1, kUnmoved, kOldDeleted}, {kMove, 1, 0, kSharing}},
              W::Stranded, kNeither, nullptr, 1},
    FaultCase{{"BackupNotDeleted"}, {{kDelete, 1, 1, kDenied}}, W::Ok, kReplaced, kNew, 1},
    // Made from Linux, reached through Z:, written through: the link and its target stay.
    FaultCase{{"SymbolicLink"}, {}, W::Ok, kInPlace, kNew, 1, L"Z:\\bin\\ln -s target hosts"},
    FaultCase{{"HardLink"}, {}, W::Ok, kInPlace, kNew, 1, L"Z:\\bin\\ln target hosts"});
// clang-format on
} // namespace
