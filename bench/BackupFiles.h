#pragma once

#include "win32/PathParts.h"
#include "win32/UniqueHandle.h"

#include <string>

// The backups a run's saves kept beside `path` go with the run: each is as large as the file.
inline void RemoveBackups(const std::wstring& path)
{
    const std::wstring folder = FolderOf(path);
    WIN32_FIND_DATAW found;
    const CFindHandle backups(FindFirstFileW((path + L".norvik-backup-*").c_str(), &found));
    for (bool more = static_cast<bool>(backups); more; more = FindNextFileW(backups.Get(), &found))
        DeleteFileW((folder + found.cFileName).c_str());
}
