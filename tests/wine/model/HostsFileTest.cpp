#include "hosts/DefaultHostsFile.h"
#include "hosts/FileBackups.h"
#include "hosts/HostsFileAccess.h"
#include "HostsFileHarness.h"

#include "CaseTable.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

using namespace hostsfile;

namespace
{
// --- notification sequences of one load ---

enum class Interference
{
    None,
    CancelWhileIdle,
    CancelAtLineCount,
    CancelAtProgress
};

struct LoadCase : NamedCase
{
    int lines;
    Interference interference;
    int at; // the OnProgress index of CancelAtProgress
    std::vector<Event> expected;
    // A cancel that lands too late to stop anything may end the load either way, but once.
    bool eitherEnd;
};
using HostsFileLoad = CaseTest<LoadCase>;

TEST_P(HostsFileLoad, ReportsInOrderAndNextLoadWorks)
{
    const LoadCase& c = GetParam();
    const std::string bytes = Lines(c.lines);
    const CHostsOnDisk file(bytes);

    CWatchedModel watched;
    CHostsFile& model = watched.model;
    if (c.interference == Interference::CancelAtLineCount)
        watched.sink.CancelAt(model, Kind::LineCount, c.lines);
    if (c.interference == Interference::CancelAtProgress)
        watched.sink.CancelAt(model, Kind::Progress, c.at);
    if (c.interference == Interference::CancelWhileIdle)
        model.Cancel();

    std::vector<Event> events = watched.Load(file.path);
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
    EXPECT_EQ(bytes, testfiles::ReadBytes(file.path));

    // The next load of the file runs in full and ends once; a stray second end of the first
    // load would show up here too.
    watched.sink.CancelNowhere();
    model.RequestLoad(file.path);
    ASSERT_TRUE(watched.sink.WaitLoadEnd());
    model.Shutdown();
    events = watched.TakeFromWorkers();
    EXPECT_EQ(1, CountLoadEnds(events));
    EXPECT_EQ(LineCount(c.lines), events.front());
    EXPECT_EQ(LoadFinished(true), events.back());
    EXPECT_EQ(bytes, testfiles::ReadBytes(file.path));
}

const std::vector<Event> k250Lines = {LineCount(250), Reading(100, 100, 250), Reading(200, 200, 250),
                                      Reading(250, 200, 250), LoadFinished(true)};

// clang-format off
CASE_TABLE(Files, HostsFileLoad,
           LoadCase{{"EmptyFile"}, 0, Interference::None, 0, {LineCount(0), Progress(0, L""), LoadFinished(true)},
                    false},
           LoadCase{{"FiftyLines"}, 50, Interference::None, 0,
                    {LineCount(50), Progress(50, L""), LoadFinished(true)}, false},
           LoadCase{{"HundredAndOneLines"}, 101, Interference::None, 0,
                    {LineCount(101), Reading(100, 100, 101), Reading(101, 100, 101), LoadFinished(true)}, false},
           LoadCase{{"TwoHundredFiftyLines"}, 250, Interference::None, 0, k250Lines, false},
           LoadCase{{"CancelWhileIdleIgnored"}, 250, Interference::CancelWhileIdle, 0, k250Lines, false},
           LoadCase{{"CancelAtLineCount"}, 50, Interference::CancelAtLineCount, 0, {LineCount(50), LoadCancelled()},
                    false},
           LoadCase{{"CancelDuringParsing"}, 3000, Interference::CancelAtProgress, 100,
                    {LineCount(3000), Reading(100, 100, 3000), LoadCancelled()}, false},
           // The cancel lands while the last line is parsed, or after the final report.
           LoadCase{{"CancelAtLastLine"}, 101, Interference::CancelAtProgress, 100,
                    {LineCount(101), Reading(100, 100, 101)}, true},
           LoadCase{{"CancelAtFinalReport"}, 250, Interference::CancelAtProgress, 250,
                    {k250Lines.begin(), k250Lines.end() - 1}, true});
// clang-format on

// --- saves ---

// Both saves go to the file loaded last; a record save leaves the text alone, a text save
// replaces it, and each makes the entries the new unmodified state.
TEST(HostsFileSave, WritesLastLoadedFile)
{
    if (CAnsiCodec().GetCodePage() != 1252)
        GTEST_SKIP() << "the bytes below are code page 1252";
    const CHostsOnDisk file("# caf\xE9 \x80\r\n127.0.0.1   a   #  c\r\n\r\n#10.0.0.1\tb\r\n"
                            "::1 localhost\r\n10.0.0.2 gone\r\n# tail\r\n");
    const std::wstring earlier = file.folder / L"earlier";
    ASSERT_TRUE(testfiles::WriteBytes(earlier, "127.0.0.1 earlier\r\n"));

    CWatchedModel watched;
    CHostsFile& model = watched.model;
    ASSERT_EQ(LoadFinished(true), watched.Load(earlier).back());
    ASSERT_EQ(LoadFinished(true), watched.Load(file.path).back());
    const std::wstring text = L"# caf\xE9 \x20AC\r\n127.0.0.1   a   #  c\r\n\r\n#10.0.0.1\tb\r\n"
                              L"::1 localhost\r\n10.0.0.2 gone\r\n# tail";
    EXPECT_EQ(text, model.GetText());
    ASSERT_EQ(3, model.GetEntryCount());
    model.GetEntry(1)->m_bDisabled = 0;
    ASSERT_TRUE(model.RemoveEntry(2));

    EXPECT_EQ(std::vector<Event>{SaveFinished(true)}, watched.Save(false));
    // Entries in their canonical form between the untouched other lines; no final break.
    EXPECT_EQ("# caf\xE9 \x80\r\n127.0.0.1 a # c\r\n\r\n10.0.0.1 b\r\n::1 localhost\r\n# tail",
              testfiles::ReadBytes(file.path));
    EXPECT_EQ(text, model.GetText());
    EXPECT_FALSE(model.IsModified());

    // The text goes out byte for byte, a final line break and a lone LF included.
    model.GetEntry(0)->m_strHost = L"changed";
    const std::wstring newText = L"# caf\xE9 \x20AC\r\n10.0.0.9  t\nx\r\n";
    model.SetTextToSave(newText);
    EXPECT_EQ(std::vector<Event>{SaveFinished(true)}, watched.Save(true));
    EXPECT_EQ("# caf\xE9 \x80\r\n10.0.0.9  t\nx\r\n", testfiles::ReadBytes(file.path));
    EXPECT_EQ(newText, model.GetText());
    EXPECT_FALSE(model.IsModified());
    EXPECT_EQ("127.0.0.1 earlier\r\n", testfiles::ReadBytes(earlier));
}

// --- failures: false reported, the file keeps its bytes, the next request works ---

enum class Op
{
    Load,
    SaveRecords,
    SaveText
};
enum class Cause
{
    HeldOpen,
    Unencodable
}; // held by another program sharing all; U+0416

struct FailureCase : NamedCase
{
    Op op;
    Cause cause;
    FileFailureKind kind; // what the model says went wrong
};
using HostsFileFailure = CaseTest<FailureCase>;

TEST_P(HostsFileFailure, FileKeptAndThreadGoesOn)
{
    const FailureCase& c = GetParam();
    std::string unused;
    if (c.cause == Cause::Unencodable && CAnsiCodec().Encode(L"\x0416", unused))
        GTEST_SKIP() << "code page " << CAnsiCodec().GetCodePage() << " holds U+0416";
    const std::string old = "# old\r\n127.0.0.1 old.example\r\n";
    const CHostsOnDisk file(old);

    CWatchedModel watched;
    CHostsFile& model = watched.model;
    ASSERT_EQ(LoadFinished(true), watched.Load(file.path).back());
    const CFileStamp loaded = model.GetStamp();
    auto run = [&](const std::wstring& host) {
        switch (c.op)
        {
        case Op::Load:
            return watched.Load(file.path);
        case Op::SaveRecords:
            model.GetEntry(0)->m_strHost = host;
            return watched.Save(false);
        case Op::SaveText:
            model.SetTextToSave(L"# old\r\n127.0.0.1 " + host);
            return watched.Save(true);
        }
        return std::vector<Event>();
    };

    CFileHandle holder;
    if (c.cause == Cause::HeldOpen)
    {
        holder = testfiles::HoldOpen(file.path, GENERIC_READ, testfiles::kShareAll);
        ASSERT_TRUE(holder);
    }
    const bool load = c.op == Op::Load;
    EXPECT_EQ(std::vector<Event>{load ? LoadFinished(false) : SaveFinished(false)},
              run(c.cause == Cause::Unencodable ? L"new\x0416" : L"new"));
    holder.Reset();
    // Why, and where: the entry's line in the text being saved.
    const bool unencodable = c.cause == Cause::Unencodable;
    EXPECT_EQ(c.kind, model.GetFailure().kind);
    EXPECT_EQ(unencodable ? 2 : 0, model.GetFailure().line);
    EXPECT_EQ(unencodable ? L"\x0416" : L"", model.GetFailure().character);
    // A failed load has read nothing; a failed save has written nothing.
    EXPECT_EQ(load ? CFileStamp() : loaded, model.GetStamp());
    EXPECT_EQ(old, testfiles::ReadBytes(file.path));
    EXPECT_EQ(std::vector<std::wstring>{L"hosts"}, testfiles::ListNames(file.folder.Path()));
    EXPECT_EQ(load ? L"" : TextOf(old), model.GetText());
    if (c.op == Op::Load)
    {
        EXPECT_EQ(0, model.GetEntryCount());
    }
    if (c.op == Op::SaveRecords)
    {
        EXPECT_TRUE(model.IsModified());
        // The snapshot is still the file's.
        model.RevertEntries();
        EXPECT_EQ(L"old.example", model.GetEntry(0)->m_strHost);
    }
    if (c.op == Op::SaveText)
    {
        EXPECT_EQ(model.GetText(), model.GetTextToSave());
    }

    EXPECT_EQ(load ? LoadFinished(true) : SaveFinished(true), run(L"new").back());
    EXPECT_EQ(load ? old : "# old\r\n127.0.0.1 new", testfiles::ReadBytes(file.path));
    EXPECT_EQ(FileFailureKind::None, model.GetFailure().kind);
    EXPECT_EQ(ReadFileStamp(file.path), model.GetStamp());
}

// No load case for a conversion failure: under Wine, code page 1252 maps all 256 bytes.
CASE_TABLE(Causes, HostsFileFailure, FailureCase{{"LoadHeldOpen"}, Op::Load, Cause::HeldOpen, FileFailureKind::Access},
           FailureCase{{"SaveRecordsHeldOpen"}, Op::SaveRecords, Cause::HeldOpen, FileFailureKind::Access},
           FailureCase{{"SaveTextHeldOpen"}, Op::SaveText, Cause::HeldOpen, FileFailureKind::Access},
           FailureCase{
               {"SaveRecordsUnencodable"}, Op::SaveRecords, Cause::Unencodable, FileFailureKind::Unrepresentable},
           FailureCase{{"SaveTextUnencodable"}, Op::SaveText, Cause::Unencodable, FileFailureKind::Unrepresentable});

TEST(HostsFileSave, RecordSaveOnFullDiskKeepsOldFile)
{
    std::string whyNot;
    const std::wstring disk = testfiles::SmallDiskFolder(whyNot);
    if (disk.empty())
        GTEST_SKIP() << whyNot;
    const std::string old = "# old\r\n127.0.0.1 old.example";
    const CHostsOnDisk file(old, disk);

    CWatchedModel watched;
    CHostsFile& model = watched.model;
    ASSERT_EQ(LoadFinished(true), watched.Load(file.path).back());

    // Leave 16 KiB free, then save some 46 KB.
    const std::wstring reserve = file.folder / L"reserve";
    ASSERT_TRUE(testfiles::WriteBytes(reserve, std::string(16 * 1024, 'r')));
    ASSERT_TRUE(testfiles::FillDisk(file.folder / L"filler"));
    ASSERT_TRUE(DeleteFileW(reserve.c_str()));
    for (int i = 0; i < 2000; ++i)
        model.AddEntry(CHostsRecord(L"127.0.0.1", L"new.example", L"", false));

    EXPECT_EQ(std::vector<Event>{SaveFinished(false)}, watched.Save(false));
    EXPECT_EQ(old, testfiles::ReadBytes(file.path));
    EXPECT_TRUE(testfiles::LeftoverTempFiles(file.folder.Path()).empty());
    EXPECT_TRUE(model.IsModified());

    // What fits is still saved.
    model.RevertEntries();
    model.GetEntry(0)->m_strHost = L"fits";
    EXPECT_EQ(std::vector<Event>{SaveFinished(true)}, watched.Save(false));
    EXPECT_EQ("# old\r\n127.0.0.1 fits", testfiles::ReadBytes(file.path));
}

// --- backups: the file as it was, kept beside it by the first save of each load ---

enum Step
{
    kLoad,     // and one entry added
    kSave,     // a record save, which must succeed
    kRevert,   // the default file written over it
    kDelete,   // the file goes behind the model's back
    kTakeName, // another file has this second's backup name (and the next second's)
    kLater,    // five backups stamped later than now, as after the clock was set back
};
struct BackupCase : NamedCase
{
    const char* bytes;
    std::vector<Step> steps;
    size_t backups;           // beside the file at the end
    bool numbered = false;    // one of them ends in "-2" (more may, when saves share a second)
    bool oneFileDisk = false; // where no file can be made beside the hosts file
    bool link = false;        // "hosts" a symbolic link: written in place, the backup copied
};
using Backups = CaseTest<BackupCase>;

std::wstring LocalStamp(int secondsLater)
{
    FILETIME utc;
    GetSystemTimeAsFileTime(&utc);
    ULARGE_INTEGER ticks = {{utc.dwLowDateTime, utc.dwHighDateTime}};
    ticks.QuadPart += uint64_t(secondsLater) * 10000000;
    utc = {ticks.LowPart, ticks.HighPart};
    FILETIME local;
    SYSTEMTIME time;
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &time);
    wchar_t text[16];
    swprintf(text, 16, L"%04u%02u%02u-%02u%02u%02u", time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
             time.wSecond);
    return text;
}

TEST_P(Backups, KeepTheFileAsTheLoadFoundIt)
{
    const BackupCase& c = GetParam();
    std::string whyNot;
    const CHostsOnDisk file(c.bytes);
    // The disk's only file: nothing can be made beside it.
    const std::wstring folder = c.oneFileDisk ? testfiles::OneFileDiskFolder(whyNot) : file.folder.Path();
    if (folder.empty())
        GTEST_SKIP() << whyNot;
    const std::wstring path = folder + L"\\hosts";
    const testfiles::CRemoveAtEnd remove{c.oneFileDisk ? path : std::wstring()};
    ASSERT_TRUE(testfiles::WriteBytes(file.folder / L"hosts.bak", "mine"));
    if (c.link)
    {
        ASSERT_TRUE(DeleteFileW(path.c_str()) && testfiles::WriteBytes(file.folder / L"target", c.bytes) &&
                    MakeLink(L"Z:\\bin\\ln -s target hosts", file.folder));
    }
    ASSERT_TRUE(c.link || testfiles::WriteBytes(path, c.bytes));
    const CFileStamp first = ReadFileStamp(path);
    const testfiles::CModule norvik(LoadLibraryExW(L"norvik.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE));
    CWatchedModel watched;
    std::vector<std::wstring> made; // every backup, in the order the saves made them
    for (const Step step : c.steps)
    {
        const std::vector<std::wstring> before = testfiles::ListNames(folder, L"hosts.norvik-backup-*");
        DWORD attributes = 0;
        switch (step)
        {
        case kLoad:
            ASSERT_EQ(LoadFinished(true), watched.Load(path).back());
            watched.model.AddEntry(CHostsRecord(L"10.9.9.9", L"added", L"", false));
            break;
        case kSave:
            ASSERT_EQ(std::vector<Event>{SaveFinished(true)}, watched.Save(false));
            break;
        case kRevert:
            ASSERT_EQ(DefaultFileResult::Written, CDefaultHostsFile::Write(path, norvik.Get(), attributes, nullptr));
            break;
        case kDelete:
            ASSERT_TRUE(DeleteFileW(path.c_str()));
            break;
        case kTakeName:
            for (const int later : {0, 1})
            {
                ASSERT_TRUE(testfiles::WriteBytes(folder + L"\\hosts.norvik-backup-" + LocalStamp(later), "x"));
            }
            continue;
        case kLater:
            for (const wchar_t* second : {L"0", L"1", L"2", L"3", L"4"})
                ASSERT_TRUE(testfiles::WriteBytes(folder + L"\\hosts.norvik-backup-20991231-23595" + second, "x"));
            continue;
        }
        for (const std::wstring& name : testfiles::ListNames(folder, L"hosts.norvik-backup-*"))
        {
            if (std::find(before.begin(), before.end(), name) == before.end())
                made.push_back(name);
        }
    }
    const std::vector<std::wstring> left = testfiles::ListNames(folder, L"hosts.norvik-backup-*");
    EXPECT_EQ(c.backups, left.size());
    EXPECT_TRUE(!c.numbered || std::any_of(left.begin(), left.end(), [](const std::wstring& name) {
        return name.size() > 2 && name.compare(name.size() - 2, 2, L"-2") == 0;
    }));
    ASSERT_EQ(c.backups > 0, !made.empty()) << "this load's backup stays";
    if (made.empty())
        return;
    // The first holds the bytes the first load read, with their time; the oldest made are gone.
    const std::wstring oldest = folder + L"\\" + made.front();
    EXPECT_EQ(made.size() <= CFileBackups::kKept, testfiles::Exists(oldest));
    if (made.size() <= CFileBackups::kKept)
    {
        EXPECT_EQ(c.bytes, testfiles::ReadBytes(oldest));
        EXPECT_EQ(first.lastWrite, ReadFileStamp(oldest).lastWrite);
    }
    EXPECT_EQ("mine", testfiles::ReadBytes(file.folder / L"hosts.bak").value_or("mine"));
}

const char kHosts[] = "# hosts\r\n127.0.0.1 localhost\r\n\r\n10.0.0.1 box\r\n";
// clang-format off
CASE_TABLE(Saves, Backups,
           BackupCase{{"FirstSaveOfALoad"}, kHosts, {kLoad, kSave}, 1},
           BackupCase{{"SecondSaveOfTheSameLoad"}, kHosts, {kLoad, kSave, kSave}, 1},
           BackupCase{{"EachLoadsFirstSave"}, kHosts, {kLoad, kSave, kLoad, kSave, kSave}, 2},
           BackupCase{{"NewestFiveKept"}, kHosts,
                      {kLoad, kSave, kLoad, kSave, kLoad, kSave, kLoad, kSave, kLoad, kSave, kLoad, kSave}, 5, true},
           BackupCase{{"NameTakenThisSecond"}, kHosts, {kTakeName, kLoad, kSave}, 3, true},
           BackupCase{{"OthersStampedLater"}, kHosts, {kLater, kLoad, kSave}, 5},
           BackupCase{{"NoRoomBesideTheFile"}, kHosts, {kLoad, kSave}, 0, false, true},
           BackupCase{{"SymbolicLink"}, kHosts, {kLoad, kSave, kSave}, 1, false, false, true},
           BackupCase{{"FileGoneBeforeTheSave"}, kHosts, {kLoad, kDelete, kSave}, 0},
           BackupCase{{"EmptyFile"}, "", {kLoad, kSave}, 0},
           BackupCase{{"RevertToDefault"}, kHosts, {kRevert}, 1});
// clang-format on
} // namespace
