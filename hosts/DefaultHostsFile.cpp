#include "hosts/DefaultHostsFile.h"

#include "hosts/FileReplacer.h"
#include "hosts/HostsFileAccess.h"

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
    // Clears read-only, hidden and system alike; they are not put back.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    const CWriteOutcome outcome = ReplaceFileContents(path, content);
    if (kept)
        *kept = outcome.kept;
    return outcome.result == WriteResult::Ok ? DefaultFileResult::Written : DefaultFileResult::WriteFailed;
}
