#include "hosts/FileReplacer.h"

#include "win32/UniqueHandle.h"

namespace
{
std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return L".";
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

bool WriteNewFile(const std::wstring& path, std::string_view bytes)
{
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    return file && WriteAll(file.Get(), bytes);
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
    const DWORD keptAttributes = GetFileInformationByHandle(lock.Get(), &old)
                                     ? old.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                               FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)
                                     : 0;

    auto fail = [&](WriteResult result) {
        lock.Reset();
        if (created)
            DeleteFileW(path.c_str());
        return result;
    };

    wchar_t temp[MAX_PATH + 16];
    if (GetTempFileNameW(FolderOf(path).c_str(), L"nvk", 0, temp) == 0)
        return fail(WriteResult::WriteFailed);
    if (!WriteNewFile(temp, bytes))
    {
        DeleteFileW(temp);
        return fail(WriteResult::WriteFailed);
    }
    // Windows carries the old file's attributes over by itself; not every ReplaceFileW does.
    if (keptAttributes)
        SetFileAttributesW(temp, keptAttributes);

    lock.Reset();
    if (ReplaceFileW(path.c_str(), temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return WriteResult::Ok;
    const DWORD error = GetLastError();
    // The old file is already gone and the new content is complete: move it into place.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
        MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return WriteResult::Ok;
    DeleteFileW(temp);
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ? WriteResult::OpenFailed
                                                                            : WriteResult::WriteFailed;
}
