#pragma once

#include "hosts/AnsiCodec.h"
#include "hosts/FileTextDecoder.h"
#include "hosts/HostsFileFailure.h"

#include <windows.h>

#include <atomic>
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
    Cancelled,        // the cancel flag was set while the file was read
};

// Reads the whole file while nobody else may open it, and converts it to UTF-16: from UTF-8
// where it is UTF-8 (CFileTextDecoder tells when), else from the code page of `codec`.
ReadResult ReadHostsText(const std::wstring& path, const CAnsiCodec& codec, std::wstring& text);
// The same, and also the encoding found, the last-write time and size of the handle it read
// through, and why and where it failed. The stamp stays "not existing" when the file could not
// be opened. The file is read and converted `chunkSize` bytes at a time (more for a longer
// line); `cancel`, when given, is looked at before each piece.
ReadResult ReadHostsText(const std::wstring& path, const CAnsiCodec& codec, std::wstring& text, TextEncoding& encoding,
                         CFileStamp& stamp, CFileFailure& failure, const std::atomic<uint32_t>* cancel = nullptr,
                         size_t chunkSize = size_t(1) << 20);

// Fills `failure` with the first character of `text` the code page cannot hold and its line;
// false when it can hold them all.
bool FindUnrepresentable(const CAnsiCodec& codec, std::wstring_view text, CFileFailure& failure);

enum class FilePresence
{
    Present,
    Missing, // the system says there is no such file or folder
    Unknown, // it cannot be looked at (access denied, delete pending, a folder by that name)
};

// Whether the file is there, and its stamp when it is, from an open for its attributes alone
// with every sharing allowed: another program holding it open does not hide it.
FilePresence LookUpFile(const std::wstring& path, CFileStamp* stamp = nullptr);
// The file's last-write time and size as they are now; not existing when it cannot be read.
CFileStamp ReadFileStamp(const std::wstring& path);
// The same from what an open handle told.
CFileStamp StampOf(const BY_HANDLE_FILE_INFORMATION& info);
