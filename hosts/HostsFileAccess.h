#pragma once

#include "hosts/AnsiCodec.h"
#include "hosts/HostsFileFailure.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

// Attributes of the file; FILE_ATTRIBUTE_ARCHIVE when they cannot be read, so that a
// missing file counts as writable.
DWORD ReadFileAttributesOrArchive(const std::wstring& path);

// Opens the file with no access rights, creating it empty when missing, and reads its size.
// False when even that open fails.
bool ProbeHostsFile(const std::wstring& path, uint64_t& size);

enum class ReadResult
{
    Ok,
    OpenFailed, // missing, or another process has it open
    ReadFailed,
    ConversionFailed, // a byte sequence the code page does not define
    NulByte,          // not 8-bit text (a UTF-16 file, for example)
    OutOfMemory,      // no room for the file's bytes or its text
};

// Reads the whole file while nobody else may open it, and converts it to UTF-16.
ReadResult ReadHostsText(const std::wstring& path, const CAnsiCodec& codec, std::wstring& text);
// The same, and also the last-write time and size of the handle it read through, and why and
// where it failed. The stamp stays "not existing" when the file could not be opened.
// The file is read and converted `chunkSize` bytes at a time (more for a longer line).
ReadResult ReadHostsText(const std::wstring& path, const CAnsiCodec& codec, std::wstring& text, CFileStamp& stamp,
                         CFileFailure& failure, size_t chunkSize = size_t(1) << 20);

// Fills `failure` with the first character of `text` the code page cannot hold and its line;
// false when it can hold them all.
bool FindUnrepresentable(const CAnsiCodec& codec, std::wstring_view text, CFileFailure& failure);

// The file's last-write time and size as they are now; not existing when it cannot be read.
CFileStamp ReadFileStamp(const std::wstring& path);
// The same from what an open handle told.
CFileStamp StampOf(const BY_HANDLE_FILE_INFORMATION& info);
