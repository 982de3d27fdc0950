#include "hosts/FileTimeText.h"

#include "CaseTable.h"
#include "HostsOnDisk.h"
#include "TestFiles.h"

#include <cstdint>
#include <cwchar>
#include <vector>

namespace
{
struct LocalTimeCase : NamedCase
{
    SYSTEMTIME local;
    const wchar_t* expected;
};

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

using FileTimeTextLocal = CaseTest<LocalTimeCase>;

// The file's time is set as the user's clock would have shown it; the text must show the same.
TEST_P(FileTimeTextLocal, ShowsLastWriteInLocalTime)
{
    const LocalTimeCase& c = GetParam();
    const CHostsOnDisk file("127.0.0.1 localhost");

    SYSTEMTIME utc;
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &c.local, &utc));
    FILETIME fileTime;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &fileTime));
    ASSERT_TRUE(testfiles::SetLastWrite(file.path, fileTime));

    EXPECT_EQ(c.expected, FormatFileTime(file.path));
}

CASE_TABLE(Times, FileTimeTextLocal, LocalTimeCase{{"Afternoon"}, Time(2007, 3, 5, 14, 7, 9), L"05.03.2007 14:07:09"},
           LocalTimeCase{{"EarlyNewYear"}, Time(2000, 1, 1, 5, 0, 0), L"01.01.2000 05:00:00"},
           LocalTimeCase{{"LateNewYearsEve"}, Time(1999, 12, 31, 23, 59, 59), L"31.12.1999 23:59:59"},
           LocalTimeCase{{"Midnight"}, Time(2024, 2, 29, 0, 0, 0), L"29.02.2024 00:00:00"});

// A zone without daylight saving answers TIME_ZONE_ID_UNKNOWN (0), yet its clock still differs
// from UTC. The run sets such a zone (TZ=JST-9); elsewhere there is nothing to tell apart.
TEST(FileTimeText, ZoneWithoutDaylightSavingStillConverted)
{
    TIME_ZONE_INFORMATION zone;
    if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_UNKNOWN || zone.Bias == 0)
        GTEST_SKIP() << "needs a zone without daylight saving away from UTC (TZ=JST-9)";

    const CHostsOnDisk file("");

    const SYSTEMTIME utc = Time(2007, 3, 5, 12, 0, 0);
    FILETIME fileTime;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &fileTime));
    ASSERT_TRUE(testfiles::SetLastWrite(file.path, fileTime));

    // Local = UTC - bias, worked out here by plain arithmetic.
    ULARGE_INTEGER ticks;
    ticks.LowPart = fileTime.dwLowDateTime;
    ticks.HighPart = fileTime.dwHighDateTime;
    ticks.QuadPart -= static_cast<int64_t>(zone.Bias) * 60 * 10000000;
    FILETIME localTime;
    localTime.dwLowDateTime = ticks.LowPart;
    localTime.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME local;
    ASSERT_TRUE(FileTimeToSystemTime(&localTime, &local));
    wchar_t expected[64];
    swprintf(expected, 64, L"%02d.%02d.%04d %02d:%02d:%02d", local.wDay, local.wMonth, local.wYear, local.wHour,
             local.wMinute, local.wSecond);

    EXPECT_EQ(expected, FormatFileTime(file.path));
}

TEST(FileTimeText, UnreadableTimeShowsUnknown)
{
    const testfiles::CTempFolder folder;
    const std::vector<std::wstring> paths = {
        folder / L"hosts",          // missing file
        folder / L"missing\\hosts", // missing folder
        L"",                        // no path from the registry
    };
    for (const std::wstring& path : paths)
        EXPECT_EQ(L"unknown", FormatFileTime(path)) << testfiles::Narrow(path);
    EXPECT_FALSE(testfiles::Exists(folder / L"hosts"));
}

// Another program holding the file exclusively does not hide its time: only attributes are read.
TEST(FileTimeText, ExclusivelyHeldFileStillShowsTime)
{
    const CHostsOnDisk file("x");
    CFileHandle other = testfiles::HoldOpen(file.path, GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(other);
    EXPECT_NE(L"unknown", FormatFileTime(file.path));
}
} // namespace
