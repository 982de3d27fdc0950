#include "hosts/FileBackups.h"

#include "win32/PathParts.h"
#include "win32/UniqueHandle.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

namespace
{
const wchar_t kMarker[] = L".norvik-backup-";
// "YYYYMMDD-HHMMSS": sorts as the time it tells.
const size_t kStampLength = 15;
const int kMostNames = 100;

std::wstring Stamp()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[kStampLength + 1];
    swprintf(text, kStampLength + 1, L"%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
    return text;
}

bool AllDigits(const std::wstring& text, size_t from, size_t count)
{
    return text.size() >= from + count &&
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                       text.begin() + static_cast<std::ptrdiff_t>(from + count), [](wchar_t c) { return iswdigit(c); });
}

// What orders a backup among the others: its stamp and its number (1 for none), or a number
// below 1 for a name that is not a backup's.
int Order(const std::wstring& name, const std::wstring& prefix, std::wstring& stamp)
{
    if (name.size() < prefix.size() + kStampLength || _wcsnicmp(name.c_str(), prefix.c_str(), prefix.size()) != 0)
        return 0;
    const size_t at = prefix.size();
    if (!AllDigits(name, at, 8) || name[at + 8] != L'-' || !AllDigits(name, at + 9, 6))
        return 0;
    stamp = name.substr(at, kStampLength);
    const size_t rest = at + kStampLength;
    if (name.size() == rest)
        return 1;
    const size_t digits = name.size() - rest - 1;
    if (name[rest] != L'-' || digits == 0 || digits > 2 || name[rest + 1] == L'0' || !AllDigits(name, rest + 1, digits))
        return 0;
    const int number = std::stoi(name.substr(rest + 1));
    return number >= 2 ? number : 0;
}
} // namespace

template <class Make>
bool CFileBackups::MakeUnderFreeName(const std::wstring& path, Make make)
{
    const std::wstring base = path + kMarker + Stamp();
    for (int number = 1; number < kMostNames; ++number)
    {
        const std::wstring name = number == 1 ? base : base + L"-" + std::to_wstring(number);
        if (make(name))
        {
            RemoveOlder(path, name);
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

bool CFileBackups::Keep(const std::wstring& path, const std::wstring& old)
{
    return MakeUnderFreeName(path, [&old](const std::wstring& name) {
        return MoveFileExW(old.c_str(), name.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
    });
}

bool CFileBackups::Write(const std::wstring& path, std::string_view bytes, const FILETIME& lastWrite)
{
    return MakeUnderFreeName(path, [&](const std::wstring& name) {
        CFileHandle backup(
            CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!backup)
            return false;
        // The in-place writer reads no file beyond 2 GiB, so one call holds it all.
        DWORD written = 0;
        const auto size = static_cast<DWORD>(bytes.size());
        if (WriteFile(backup.Get(), bytes.data(), size, &written, nullptr) && written == size &&
            SetFileTime(backup.Get(), nullptr, nullptr, &lastWrite))
            return true;
        // A part of the file is no backup of it.
        backup.Reset();
        DeleteFileW(name.c_str());
        SetLastError(ERROR_WRITE_FAULT);
        return false;
    });
}

void CFileBackups::RemoveOlder(const std::wstring& path, const std::wstring& made)
{
    const std::wstring folder = FolderOf(path);
    const std::wstring prefix = NameOf(path) + kMarker;
    struct Found
    {
        std::wstring stamp;
        int number;
        std::wstring name;
    };
    std::vector<Found> backups;
    WIN32_FIND_DATAW found;
    const CFindHandle search(FindFirstFileW((folder + prefix + L"*").c_str(), &found));
    if (!search)
        return;
    do
    {
        std::wstring stamp;
        const int number = Order(found.cFileName, prefix, stamp);
        if (number > 0 && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            backups.push_back({stamp, number, found.cFileName});
    } while (FindNextFileW(search.Get(), &found));
    if (backups.size() <= static_cast<size_t>(kKept))
        return;
    std::sort(backups.begin(), backups.end(), [](const Found& a, const Found& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.number < b.number;
    });
    // The one just made stays, though a clock set back gave it an older stamp than the rest.
    std::stable_partition(backups.begin(), backups.end(),
                          [name = NameOf(made)](const Found& backup) { return backup.name != name; });
    for (size_t i = 0; i + kKept < backups.size(); ++i)
        DeleteFileW((folder + backups[i].name).c_str());
}
