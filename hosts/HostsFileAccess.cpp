#include "hosts/HostsFileAccess.h"

#include "ui/UniqueHandle.h"

#include <climits>

DWORD ReadFileAttributesOrArchive(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? FILE_ATTRIBUTE_ARCHIVE : attributes;
}

bool ProbeHostsFile(const std::wstring& path, uint64_t& size)
{
    CFileHandle file(
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file.Get(), &length))
        return false;
    size = static_cast<uint64_t>(length.QuadPart);
    return true;
}

ReadResult ReadHostsText(const std::wstring& path, const CAnsiCodec& codec, std::wstring& text)
{
    text.clear();
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                 nullptr));
    if (!file)
        return ReadResult::OpenFailed;
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file.Get(), &length) || length.QuadPart > INT_MAX)
        return ReadResult::ReadFailed;

    std::string bytes(static_cast<size_t>(length.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size())
    {
        DWORD got = 0;
        if (!ReadFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr))
            return ReadResult::ReadFailed;
        if (got == 0)
            break;
        done += got;
    }
    bytes.resize(done);
    file.Reset();
    return codec.Decode(bytes, text) ? ReadResult::Ok : ReadResult::ConversionFailed;
}

CFileStamp ReadFileStamp(const std::wstring& path)
{
    CFileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return stamp;
    stamp.exists = true;
    stamp.lastWrite = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return stamp;
}
