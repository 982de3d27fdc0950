#pragma once

// Helpers shared by the Wine tests: a fresh folder per test, whole-file reads and writes,
// and handles held open the way another program would hold them.

#include "win32/UniqueHandle.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace testfiles
{
struct ModuleTraits
{
    using Type = HMODULE;
    static Type Empty() { return nullptr; }
    static void Close(Type module) { ::FreeLibrary(module); }
};
using CModule = CUniqueHandle<ModuleTraits>;

inline std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// Names in `folder` matching `pattern` (files and folders, without "." and "..").
inline std::vector<std::wstring> ListNames(const std::wstring& folder, const std::wstring& pattern = L"*")
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    CFindHandle find(FindFirstFileW((folder + L"\\" + pattern).c_str(), &data));
    if (!find)
        return names;
    do
    {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(find.Get(), &data));
    return names;
}

// Removes a folder and everything in it, read-only and hidden files included.
inline void RemoveTree(const std::wstring& folder)
{
    for (const std::wstring& name : ListNames(folder))
    {
        const std::wstring path = folder + L"\\" + name;
        const DWORD attributes = GetFileAttributesW(path.c_str());
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            RemoveTree(path);
        else
            DeleteFileW(path.c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

// A new, empty folder that is removed again with everything in it. A folder that cannot be
// made ends the test with that message.
class CTempFolder
{
public:
    // Under the prefix's temp folder, or under `parent` when given.
    explicit CTempFolder(std::wstring parent = std::wstring())
    {
        if (parent.empty())
        {
            wchar_t temp[MAX_PATH + 1];
            const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
            parent.assign(temp, length);
        }
        if (!parent.empty() && parent.back() == L'\\')
            parent.pop_back();
        static unsigned counter = 0;
        for (int attempt = 0; attempt < 1000 && m_path.empty(); ++attempt)
        {
            const std::wstring candidate =
                parent + L"\\norvik-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
            if (CreateDirectoryW(candidate.c_str(), nullptr))
                m_path = candidate;
        }
        if (m_path.empty())
            throw std::runtime_error("cannot make a folder for the test under " + Narrow(parent));
    }
    ~CTempFolder()
    {
        if (!m_path.empty())
            RemoveTree(m_path);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

inline bool WriteBytes(const std::wstring& path, std::string_view bytes)
{
    CFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// Makes the file `size` bytes long by setting its end: zeros the disk does not store.
inline bool SetLength(const std::wstring& path, uint64_t size)
{
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    return file && SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get());
}

inline bool SetLastWrite(const std::wstring& path, const FILETIME& utc)
{
    CFileHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    return file && SetFileTime(file.Get(), nullptr, nullptr, &utc);
}

inline bool SetLastWrite(const std::wstring& path, uint64_t utc)
{
    const FILETIME time = {static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
    return SetLastWrite(path, time);
}

// The whole file, or nothing when it cannot be opened. Shares everything so that it also
// works beside the handles the tests hold.
inline std::optional<std::string> ReadBytes(const std::wstring& path)
{
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    return bytes;
}

inline uint64_t ReadFileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

inline bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A handle such as another program would hold on the file while it has it open.
inline CFileHandle HoldOpen(const std::wstring& path, DWORD access, DWORD share)
{
    return CFileHandle(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

inline std::wstring EnvironmentValue(const wchar_t* name)
{
    wchar_t value[1024];
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Temporary files a replacement of a file in `folder` left behind.
// Temporary files of a save: today's names, and the names older builds gave them.
inline std::vector<std::wstring> LeftoverTempFiles(const std::wstring& folder)
{
    std::vector<std::wstring> names = ListNames(folder, L"*.norvik-save-*.tmp");
    for (std::wstring& name : ListNames(folder, L"nvk*.tmp"))
        names.push_back(std::move(name));
    return names;
}

// A small tmpfs of the test run (scripts/small-disk.sh) named by `variable`, as Wine reaches it
// through Z:; empty, with the reason in `whyNot`, when it is not there. Never anything bigger:
// the tests fill it up.
inline std::wstring TestDiskFolder(const wchar_t* variable, std::string& whyNot)
{
    std::wstring folder = EnvironmentValue(variable);
    if (folder.empty())
    {
        whyNot = Narrow(variable) + " is not set: the run could not mount the disk (needs root or sudo)";
        return folder;
    }
    for (wchar_t& c : folder)
        c = c == L'/' ? L'\\' : c;
    folder = L"Z:" + folder;
    ULARGE_INTEGER total = {};
    if (!GetDiskFreeSpaceExW((folder + L"\\").c_str(), nullptr, &total, nullptr))
        whyNot = "the disk " + Narrow(folder) + " is not reachable";
    else if (total.QuadPart == 0 || total.QuadPart > 1024 * 1024)
        whyNot = "the disk is not mounted (" + std::to_string(total.QuadPart) + " bytes)";
    else
        return folder;
    return std::wstring();
}

// Deletes the file when it goes, whatever its attributes: a test on a disk that outlives it
// leaves the disk as it found it.
struct CRemoveAtEnd
{
    std::wstring path;
    ~CRemoveAtEnd()
    {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
};

// 64 KiB in all.
inline std::wstring SmallDiskFolder(std::string& whyNot)
{
    return TestDiskFolder(L"NORVIK_SMALL_DISK", whyNot);
}

// 64 KiB with room for one file only: new files are refused, the one there can be written.
inline std::wstring OneFileDiskFolder(std::string& whyNot)
{
    return TestDiskFolder(L"NORVIK_ONE_FILE_DISK", whyNot);
}

// Fills the disk holding `path` to the last byte it takes, with a new file at `path`.
inline bool FillDisk(const std::wstring& path)
{
    CFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    const std::string block(4096, 'f');
    for (DWORD size = 4096; size > 0; size /= 2)
    {
        DWORD written = size;
        while (WriteFile(file.Get(), block.data(), size, &written, nullptr) && written == size)
        {
        }
    }
    return true;
}
} // namespace testfiles
