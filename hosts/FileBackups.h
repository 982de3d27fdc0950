#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The hosts file as it was before the first save of a load, kept beside it as
// "hosts.norvik-backup-YYYYMMDD-HHMMSS" (local time when it was made; "-2", "-3"... when the
// name is taken) with the file's last-write time. After each new one only the newest five of
// these names stay; no other file is touched. A backup that cannot be made is no failure.
class CFileBackups
{
public:
    static const int kKept = 5;

    // The file's former self, left beside it by a replacement as `old`, becomes a backup: no
    // byte is copied. False when it cannot (`old` is then as it was).
    static bool Keep(const std::wstring& path, const std::wstring& old);
    // A backup of the bytes a file written in place held.
    static bool Write(const std::wstring& path, std::string_view bytes, const FILETIME& lastWrite);

private:
    // Tries each free name in turn: `make` returns false with ERROR_ALREADY_EXISTS or
    // ERROR_FILE_EXISTS when one is taken.
    template <class Make>
    static bool MakeUnderFreeName(const std::wstring& path, Make make);
    static void RemoveOlder(const std::wstring& path, const std::wstring& made);
};
