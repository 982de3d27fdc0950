#pragma once

#include "hosts/HostsFileFailure.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

enum class WriteResult
{
    Ok,
    OpenFailed,  // the file is open elsewhere, read-only, or cannot be created; nothing written
    WriteFailed, // the new content could not be written; the file holds its old content
    Changed,     // another program wrote the file since the stamp the caller gave; nothing written
    Stranded,    // the file's name holds nothing: the new content is kept under another name
    Damaged,     // written in place, neither the new content nor the old one could be written whole
};

struct CWriteOutcome
{
    WriteResult result = WriteResult::Ok;
    std::wstring kept; // Stranded, Damaged: the file beside it that holds the new content, if any
};

// Gives a file new content. At every moment the file's name holds either its whole old content
// or its whole new content, and Ok means the new content is on disk:
// - the bytes go to a file beside it first, which then takes its place (keeping the old file's
//   attributes and security);
// - where no file can be made beside it, where the name is a link (so that the link and its
//   target stay), or where the replacement is refused, the file is written in place, and its old
//   content is put back if that fails;
// - where a replacement took the old file away and the new one cannot follow, the old one goes
//   back; only when neither can is the name left empty, the new content kept and named;
// - a copy beside the file goes only once the name holds the new content or the old one; where
//   it holds neither whole, a complete copy of the new content stays and is named.
// Fails while any other handle to the file is open. With `expected` existing, fails as Changed
// when the file's last write or size differs from it while the file is held shut (a write in
// the moment between letting it go and the replacement is not seen).
//
// The content is made as it is written: `content` hands `write` each piece in order and returns
// false when a piece could not be made, or `write` could not write it (then nothing changes).
// It may be asked more than once, and must not throw: a write in place asks for it whole first.
//
// With `backup`, a file that existed and was not empty is kept as a backup (CFileBackups) on
// the way: the old file itself when the replacement moved it aside, else a copy made while the
// file is held shut, before it is written in place. No backup is no failure.
using ContentWriter = std::function<bool(std::string_view piece)>;
using ContentSource = std::function<bool(const ContentWriter& write)>;
CWriteOutcome ReplaceFileContents(const std::wstring& path, const ContentSource& content,
                                  const CFileStamp& expected = CFileStamp(), bool backup = false);
CWriteOutcome ReplaceFileContents(const std::wstring& path, std::string_view bytes,
                                  const CFileStamp& expected = CFileStamp(), bool backup = false);

// The calls a replacement makes, for a test to make any of them fail; null puts the system's back.
struct CFileReplacerCalls
{
    decltype(&::CreateFileW) createFile = ::CreateFileW;
    decltype(&::WriteFile) writeFile = ::WriteFile;
    decltype(&::FlushFileBuffers) flushFileBuffers = ::FlushFileBuffers;
    decltype(&::SetEndOfFile) setEndOfFile = ::SetEndOfFile;
    decltype(&::ReplaceFileW) replaceFile = ::ReplaceFileW;
    decltype(&::MoveFileExW) moveFileEx = ::MoveFileExW;
    decltype(&::DeleteFileW) deleteFile = ::DeleteFileW;
    decltype(&::SetFileAttributesW) setFileAttributes = ::SetFileAttributesW;
};
void SetFileReplacerCalls(const CFileReplacerCalls* calls);
