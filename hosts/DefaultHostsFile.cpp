#include "hosts/DefaultHostsFile.h"

#include "hosts/FileReplacer.h"
#include "hosts/HostsFileAccess.h"
#include "win32/UniqueHandle.h"

#include <cstring>

std::string CDefaultHostsFile::LoadTemplate(HMODULE module)
{
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(kResourceId), L"Text");
    if (!info)
        return std::string();
    HGLOBAL loaded = LoadResource(module, info);
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!data)
        return std::string();
    const size_t size = SizeofResource(module, info);
    const void* nul = std::memchr(data, '\0', size);
    return std::string(data, nul ? static_cast<const char*>(nul) - data : size);
}

DefaultFileResult CDefaultHostsFile::Write(const std::wstring& path, HMODULE module, DWORD& attributes,
                                           const std::function<bool()>& confirmReadOnly, std::wstring* kept)
{
    const std::string content = LoadTemplate(module);
    if (content.empty())
        return DefaultFileResult::TemplateEmpty;

    attributes = ReadFileAttributesOrArchive(path);
    if ((attributes & FILE_ATTRIBUTE_READONLY) && !(confirmReadOnly && confirmReadOnly()))
        return DefaultFileResult::ReadOnlyDeclined;
    // Clears read-only, hidden and system alike; they come back only when the file keeps its
    // old content.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    // The whole file goes: it is kept as a backup first.
    const CWriteOutcome outcome = ReplaceFileContents(path, content, CFileStamp(), true);
    if (kept)
        *kept = outcome.kept;
    if (outcome.result == WriteResult::Ok)
        return DefaultFileResult::Written;
    SetFileAttributesW(path.c_str(), attributes);
    return DefaultFileResult::WriteFailed;
}

DefaultFileResult CDefaultHostsFile::Create(const std::wstring& path, HMODULE module)
{
    const std::string content = LoadTemplate(module);
    if (content.empty())
        return DefaultFileResult::TemplateEmpty;
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError() == ERROR_FILE_EXISTS ? DefaultFileResult::Appeared : DefaultFileResult::WriteFailed;
    DWORD written = 0;
    if (WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
        written == content.size() && FlushFileBuffers(file.Get()))
        return DefaultFileResult::Written;
    // Nobody had this file: a part of the template goes, so the next load says it is missing.
    file.Reset();
    DeleteFileW(path.c_str());
    return DefaultFileResult::WriteFailed;
}
