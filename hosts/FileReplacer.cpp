#include "hosts/FileReplacer.h"

#include "win32/UniqueHandle.h"

#include <climits>
#include <cwchar>
#include <cwctype>
#include <string>

namespace
{
std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return L".\\";
    return path.substr(0, slash + 1);
}

bool WriteAll(HANDLE file, std::string_view bytes)
{
    const DWORD chunk = 1 << 20;
    while (!bytes.empty())
    {
        const DWORD want = bytes.size() < chunk ? static_cast<DWORD>(bytes.size()) : chunk;
        DWORD written = 0;
        // A short write means the disk is full; it is a failure, not a partial success.
        if (!WriteFile(file, bytes.data(), want, &written, nullptr) || written != want)
            return false;
        bytes.remove_prefix(want);
    }
    return FlushFileBuffers(file) != FALSE;
}

// The whole content of an open file, from its start.
bool ReadAll(HANDLE file, std::string& bytes)
{
    LARGE_INTEGER size;
    const LARGE_INTEGER start = {};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > INT_MAX || !SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size())
    {
        DWORD got = 0;
        if (!ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr) || got == 0)
            return false;
        done += got;
    }
    return true;
}

bool Rewrite(HANDLE file, std::string_view bytes)
{
    const LARGE_INTEGER start = {};
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && WriteAll(file, bytes) && SetEndOfFile(file) &&
           FlushFileBuffers(file);
}

// Without room for a new file beside it (a folder the user may not add to, a disk out of
// entries), the file is written where it is, keeping its attributes and security. The old
// content is read first: if the new one cannot be written whole, the old one goes back.
WriteResult RewriteInPlace(HANDLE file, std::string_view bytes)
{
    std::string old;
    if (!ReadAll(file, old))
        return WriteResult::WriteFailed;
    if (Rewrite(file, bytes))
        return WriteResult::Ok;
    Rewrite(file, old);
    return WriteResult::WriteFailed;
}

// "hosts.norvik-save-0123ABCD.tmp": whose it is, what for, and that it may go.
const wchar_t kTempMarker[] = L".norvik-save-";
const wchar_t kTempSuffix[] = L".tmp";
const size_t kTempDigits = 8;
// A save takes well under a minute; a file of ours that old was left by one that never ended.
const ULONGLONG kLeftoverAge = 60ull * 10000000; // in FILETIME units

std::wstring NameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool IsOurTempName(const std::wstring& name, const std::wstring& fileName)
{
    const std::wstring prefix = fileName + kTempMarker;
    const size_t suffix = std::char_traits<wchar_t>::length(kTempSuffix);
    if (name.size() != prefix.size() + kTempDigits + suffix ||
        _wcsnicmp(name.c_str(), prefix.c_str(), prefix.size()) != 0 ||
        _wcsicmp(name.c_str() + prefix.size() + kTempDigits, kTempSuffix) != 0)
        return false;
    for (size_t i = prefix.size(); i < prefix.size() + kTempDigits; ++i)
        if (!iswxdigit(name[i]))
            return false;
    return true;
}

ULONGLONG Ticks(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Temporary files of earlier saves of this file that never ended, and nothing else.
void RemoveLeftovers(const std::wstring& folder, const std::wstring& fileName)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    WIN32_FIND_DATAW found;
    const std::wstring pattern = folder + fileName + kTempMarker + L"*" + kTempSuffix;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do
    {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsOurTempName(found.cFileName, fileName) &&
            Ticks(now) > Ticks(found.ftLastWriteTime) + kLeftoverAge)
            DeleteFileW((folder + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// A new file beside `path` with a name of ours that no file has yet.
CFileHandle CreateTempFile(const std::wstring& path, std::wstring& temp)
{
    const std::wstring base = FolderOf(path) + NameOf(path) + kTempMarker;
    DWORD unique = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (int attempt = 0; attempt < 64; ++attempt, unique = unique * 1664525u + 1013904223u)
    {
        wchar_t digits[kTempDigits + 1];
        swprintf(digits, kTempDigits + 1, L"%08lX", static_cast<unsigned long>(unique));
        temp = base + digits + kTempSuffix;
        CFileHandle file(
            CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return CFileHandle();
}
} // namespace

WriteResult ReplaceFileContents(const std::wstring& path, std::string_view bytes)
{
    if (path.empty())
        return WriteResult::OpenFailed;
    // Sharing nothing: the save must fail while any other process has the file open, and
    // nobody may open it while the new content is prepared.
    CFileHandle lock(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!lock)
        return WriteResult::OpenFailed;
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    BY_HANDLE_FILE_INFORMATION old;
    const DWORD keptAttributes =
        GetFileInformationByHandle(lock.Get(), &old)
            ? old.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)
            : 0;

    auto fail = [&](WriteResult result) {
        lock.Reset();
        if (created)
            DeleteFileW(path.c_str());
        return result;
    };

    RemoveLeftovers(FolderOf(path), NameOf(path));
    std::wstring temp;
    {
        CFileHandle file = CreateTempFile(path, temp);
        if (!file)
        {
            const WriteResult result = RewriteInPlace(lock.Get(), bytes);
            return result == WriteResult::Ok ? result : fail(result);
        }
        if (!WriteAll(file.Get(), bytes))
        {
            file.Reset();
            DeleteFileW(temp.c_str());
            return fail(WriteResult::WriteFailed);
        }
    }
    // Windows carries the old file's attributes over by itself; not every ReplaceFileW does.
    if (keptAttributes)
        SetFileAttributesW(temp.c_str(), keptAttributes);

    lock.Reset();
    if (ReplaceFileW(path.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return WriteResult::Ok;
    const DWORD error = GetLastError();
    // The old file is already gone and the new content is complete: move it into place.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
        MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return WriteResult::Ok;
    DeleteFileW(temp.c_str());
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ? WriteResult::OpenFailed
                                                                            : WriteResult::WriteFailed;
}
