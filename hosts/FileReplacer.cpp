#include "hosts/FileReplacer.h"

#include "hosts/FileBackups.h"
#include "hosts/HostsFileAccess.h"
#include "win32/PathParts.h"
#include "win32/UniqueHandle.h"

#include <atomic>
#include <climits>
#include <cwchar>
#include <cwctype>
#include <new>
#include <stdexcept>
#include <string>

namespace
{
const CFileReplacerCalls kSystemCalls;
std::atomic<const CFileReplacerCalls*> g_calls{&kSystemCalls};

const CFileReplacerCalls& Calls()
{
    return *g_calls.load();
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WritePiece(HANDLE file, std::string_view bytes)
{
    const DWORD chunk = 1 << 20;
    while (!bytes.empty())
    {
        const DWORD want = bytes.size() < chunk ? static_cast<DWORD>(bytes.size()) : chunk;
        DWORD written = 0;
        // A short write means the disk is full; it is a failure, not a partial success.
        if (!Calls().writeFile(file, bytes.data(), want, &written, nullptr) || written != want)
            return false;
        bytes.remove_prefix(want);
    }
    return true;
}

bool WriteAll(HANDLE file, std::string_view bytes)
{
    return WritePiece(file, bytes) && Calls().flushFileBuffers(file);
}

// Piece by piece as the content is made: the whole of it is never held.
bool WriteContent(HANDLE file, const ContentSource& content)
{
    return content([file](std::string_view piece) { return WritePiece(file, piece); }) &&
           Calls().flushFileBuffers(file);
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
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && WriteAll(file, bytes) && Calls().setEndOfFile(file) &&
           Calls().flushFileBuffers(file);
}

// Without room for a new file beside it (a folder the user may not add to, a disk out of
// entries), the file is written where it is, keeping its attributes and security. The old
// content is read first: if the new one cannot be written whole, the old one goes back. When a
// backup is due, those bytes are it.
WriteResult RewriteInPlace(const std::wstring& path, HANDLE file, const BY_HANDLE_FILE_INFORMATION& info,
                           const ContentSource& content, bool backUp)
{
    // Made whole before the file is touched: a piece that cannot be made must change nothing.
    std::string bytes;
    std::string old;
    try
    {
        if (!content([&bytes](std::string_view piece) {
                bytes.append(piece);
                return true;
            }) ||
            !ReadAll(file, old))
            return WriteResult::WriteFailed;
    }
    catch (const std::bad_alloc&)
    {
        return WriteResult::WriteFailed;
    }
    catch (const std::length_error&)
    {
        return WriteResult::WriteFailed; // more than a string can hold
    }
    if (backUp)
        CFileBackups::Write(path, old, info.ftLastWriteTime);
    if (Rewrite(file, bytes))
        return WriteResult::Ok;
    return Rewrite(file, old) ? WriteResult::WriteFailed : WriteResult::Damaged;
}

// "hosts.norvik-save-0123ABCD.tmp": whose it is, what for, and that it may go. The old file
// leaves for the same name with ".old" while the new one takes its place.
const wchar_t kTempMarker[] = L".norvik-save-";
const wchar_t kTempSuffix[] = L".tmp";
const wchar_t kOldSuffix[] = L".old";
const size_t kTempDigits = 8;
// A save takes well under a minute; a file of ours that old was left by one that never ended.
const ULONGLONG kLeftoverAge = 60ull * 10000000; // in FILETIME units

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

std::wstring OldNameOf(const std::wstring& temp)
{
    return temp.substr(0, temp.size() - std::char_traits<wchar_t>::length(kTempSuffix)) + kOldSuffix;
}

// Temporary files of earlier saves of this file that never ended, and nothing else. An old
// file's content under ".old" may be the only copy left: it stays, as does a file a failed
// save kept for the user (read-only), and a new content whose old one is still beside it (a
// save cut off between its two renames: the name may hold neither).
void RemoveLeftovers(const std::wstring& folder, const std::wstring& fileName)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    WIN32_FIND_DATAW found;
    const std::wstring pattern = folder + fileName + kTempMarker + L"*" + kTempSuffix;
    const CFindHandle search(FindFirstFileW(pattern.c_str(), &found));
    if (!search)
        return;
    do
    {
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) &&
            IsOurTempName(found.cFileName, fileName) && Ticks(now) > Ticks(found.ftLastWriteTime) + kLeftoverAge &&
            !Exists(OldNameOf(folder + found.cFileName)))
            Calls().deleteFile((folder + found.cFileName).c_str());
    } while (FindNextFileW(search.Get(), &found));
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
            Calls().createFile(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return CFileHandle();
}

// Sharing nothing: the save must fail while any other process has the file open, and nobody
// may open it while the new content is prepared.
CFileHandle Lock(const std::wstring& path, DWORD disposition)
{
    return CFileHandle(Calls().createFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::wstring WithoutLongPrefix(std::wstring path)
{
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return L"\\" + path.substr(7);
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        return path.substr(4);
    return path;
}

// The path as the file system spells it at its end.
std::wstring FinalPathOf(HANDLE file)
{
    std::wstring final(GetFinalPathNameByHandleW(file, nullptr, 0, 0), L'\0');
    final.resize(GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()), 0));
    return WithoutLongPrefix(final);
}

std::wstring LongFullPathOf(const std::wstring& path)
{
    std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
    full.resize(GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    std::wstring longer(GetLongPathNameW(full.c_str(), nullptr, 0), L'\0');
    longer.resize(GetLongPathNameW(full.c_str(), longer.data(), static_cast<DWORD>(longer.size())));
    return WithoutLongPrefix(longer.empty() ? full : longer);
}

// A replacement would give the name a file of its own and leave the link's target, or the
// file's other names, with the old content. Windows shows a symbolic link as a reparse point;
// Wine shows a Unix one as its target, whose path only the open handle tells.
bool IsLinked(HANDLE file, const std::wstring& path, const BY_HANDLE_FILE_INFORMATION& info)
{
    if (info.nNumberOfLinks > 1)
        return true;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    const std::wstring final = FinalPathOf(file);
    return !final.empty() && _wcsicmp(final.c_str(), LongFullPathOf(path).c_str()) != 0;
}

// A scanner or an indexer opens a file for a moment; a refusal may pass. Windows reports a
// file held open so as the old file that could not be removed; with a backup name given, both
// names are left as they were.
bool IsRefusal(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

const int kRetries = 4;
const DWORD kFirstWait = 25; // ms, doubled for each retry: 375 ms in all

// The old file, left beside the name by a replacement, becomes the backup when one is due.
void SetAside(const std::wstring& path, const std::wstring& old, bool backUp)
{
    if (!backUp || !CFileBackups::Keep(path, old))
        Calls().deleteFile(old.c_str());
}

// The old file again, under a new lock, unchanged since `seen`: the new content goes in place.
CWriteOutcome WriteInPlaceAgain(const std::wstring& path, const ContentSource& content, const CFileStamp& seen,
                                bool backUp)
{
    CFileHandle lock = Lock(path, OPEN_EXISTING);
    if (!lock)
        return {WriteResult::OpenFailed, {}};
    BY_HANDLE_FILE_INFORMATION now;
    if (!GetFileInformationByHandle(lock.Get(), &now))
        return {WriteResult::OpenFailed, {}};
    if (StampOf(now) != seen)
        return {WriteResult::Changed, {}};
    return {RewriteInPlace(path, lock.Get(), now, content, backUp), {}};
}

// The same while the complete new content waits under `temp`: it goes only once the name holds
// one content whole; otherwise it stays for the user (read-only, so that no save clears it).
CWriteOutcome WriteInPlaceKeepingCopy(const std::wstring& path, const std::wstring& temp, const ContentSource& content,
                                      const CFileStamp& seen, bool backUp)
{
    CWriteOutcome outcome = WriteInPlaceAgain(path, content, seen, backUp);
    if (outcome.result != WriteResult::Damaged)
    {
        Calls().deleteFile(temp.c_str());
        return outcome;
    }
    Calls().setFileAttributes(temp.c_str(), FILE_ATTRIBUTE_READONLY);
    outcome.kept = temp;
    return outcome;
}

// The old file has left the name and the new one did not take it: the new one tries again,
// else the old one goes back; with neither, both are kept (read-only, so that no later save
// clears them away) and the new one is named.
CWriteOutcome Rescue(const std::wstring& path, const std::wstring& temp, const std::wstring& old,
                     const ContentSource& content, const CFileStamp& seen, bool backUp)
{
    for (int attempt = 0; attempt <= kRetries; ++attempt)
    {
        if (Calls().moveFileEx(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
        {
            SetAside(path, old, backUp);
            return {WriteResult::Ok, {}};
        }
        if (Exists(path))
            break;
        if (attempt < kRetries)
            Sleep(kFirstWait << attempt);
    }
    if (!Exists(path) && Exists(old) && Calls().moveFileEx(old.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
        return WriteInPlaceKeepingCopy(path, temp, content, seen, backUp);
    if (Exists(path))
        return {WriteResult::Changed, {}};
    Calls().setFileAttributes(temp.c_str(), FILE_ATTRIBUTE_READONLY);
    if (Exists(old))
        Calls().setFileAttributes(old.c_str(), FILE_ATTRIBUTE_READONLY);
    return {WriteResult::Stranded, temp};
}

// The new content, complete under `temp`, takes the place of the old file. A failed replacement
// leaves the name either holding the old file (the new content then goes in place) or empty.
CWriteOutcome Replace(const std::wstring& path, const std::wstring& temp, const ContentSource& content,
                      const CFileStamp& seen, bool backUp)
{
    const std::wstring old = OldNameOf(temp);
    for (int attempt = 0;; ++attempt)
    {
        // Without REPLACEFILE_IGNORE_MERGE_ERRORS: a replacement that cannot carry the old file's
        // security, streams or attributes over fails, and the write in place keeps them.
        if (Calls().replaceFile(path.c_str(), temp.c_str(), old.c_str(), 0, nullptr, nullptr))
        {
            SetAside(path, old, backUp);
            return {WriteResult::Ok, {}};
        }
        const DWORD error = GetLastError();
        if (!Exists(path))
            return Rescue(path, temp, old, content, seen, backUp);
        if (!IsRefusal(error) || attempt == kRetries)
            break;
        Sleep(kFirstWait << attempt);
    }
    // Another program's file at the name: both copies stay, and the caller asks again.
    if (ReadFileStamp(path) != seen)
        return {WriteResult::Changed, {}};
    // The name holds the old file: a copy of it beside is not needed.
    if (Exists(old))
        Calls().deleteFile(old.c_str());
    return WriteInPlaceKeepingCopy(path, temp, content, seen, backUp);
}
} // namespace

void SetFileReplacerCalls(const CFileReplacerCalls* calls)
{
    g_calls = calls ? calls : &kSystemCalls;
}

CWriteOutcome ReplaceFileContents(const std::wstring& path, std::string_view bytes, const CFileStamp& expected,
                                  bool backup)
{
    return ReplaceFileContents(
        path, [bytes](const ContentWriter& write) { return write(bytes); }, expected, backup);
}

namespace
{
CWriteOutcome Write(const std::wstring& path, const ContentSource& content, const CFileStamp& expected, bool backup)
{
    if (path.empty())
        return {WriteResult::OpenFailed, {}};
    CFileHandle lock = Lock(path, OPEN_ALWAYS);
    if (!lock)
        return {WriteResult::OpenFailed, {}};
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    BY_HANDLE_FILE_INFORMATION old;
    // Unseen, it could be neither compared nor recognised later. And a read-only file is what
    // Windows refuses to open for writing, whoever runs the save.
    if (!GetFileInformationByHandle(lock.Get(), &old) || (old.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
    {
        lock.Reset();
        if (created)
            Calls().deleteFile(path.c_str());
        return {WriteResult::OpenFailed, {}};
    }
    const CFileStamp seen = StampOf(old);
    if (expected.exists && !created && seen != expected)
        return {WriteResult::Changed, {}};
    const DWORD keptAttributes = old.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    // A file that was not there, or held nothing, has nothing to keep.
    const bool backUp = backup && !created && seen.size > 0;

    // A file this save made holds nothing anybody had: it goes again when the save fails (not
    // when another program has written it meanwhile).
    auto endFailed = [&](CWriteOutcome outcome) {
        lock.Reset();
        if (created && (outcome.result == WriteResult::OpenFailed || outcome.result == WriteResult::WriteFailed ||
                        outcome.result == WriteResult::Damaged))
            Calls().deleteFile(path.c_str());
        return outcome;
    };
    if (!created && IsLinked(lock.Get(), path, old))
        return endFailed({RewriteInPlace(path, lock.Get(), old, content, backUp), {}});

    // With the name empty before this save, what an earlier one left may be all there is.
    if (!created)
        RemoveLeftovers(FolderOf(path), NameOf(path));
    std::wstring temp;
    {
        CFileHandle file = CreateTempFile(path, temp);
        if (!file)
            return endFailed({RewriteInPlace(path, lock.Get(), old, content, backUp), {}});
        if (!WriteContent(file.Get(), content))
        {
            file.Reset();
            Calls().deleteFile(temp.c_str());
            return endFailed({WriteResult::WriteFailed, {}});
        }
    }
    // Windows carries the old file's attributes over by itself; not every ReplaceFileW does.
    // Without them the content is still whole: no reason to fail the save.
    if (keptAttributes)
        Calls().setFileAttributes(temp.c_str(), keptAttributes);
    lock.Reset();
    return endFailed(Replace(path, temp, content, seen, backUp));
}
} // namespace

CWriteOutcome ReplaceFileContents(const std::wstring& path, const ContentSource& content, const CFileStamp& expected,
                                  bool backup)
{
    CWriteOutcome outcome = Write(path, content, expected, backup);
    // Backup tools look for the mark of a file written since they last copied it.
    if (outcome.result == WriteResult::Ok)
    {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_ARCHIVE))
            Calls().setFileAttributes(path.c_str(), (attributes & ~FILE_ATTRIBUTE_NORMAL) | FILE_ATTRIBUTE_ARCHIVE);
    }
    return outcome;
}
