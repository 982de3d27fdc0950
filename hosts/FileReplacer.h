#pragma once

#include <string>
#include <string_view>

enum class WriteResult
{
    Ok,
    OpenFailed,  // the file is open elsewhere, read-only, or cannot be created
    WriteFailed, // writing the new content failed; the old content is untouched
};

// Gives a file new content without ever leaving it half-written: the bytes go to a file
// beside it first, which then takes its place (keeping the old file's attributes and
// security). Where no file can be made beside it, the file is written in place, and its old
// content is put back if that fails. Fails while any other handle to the file is open.
WriteResult ReplaceFileContents(const std::wstring& path, std::string_view bytes);
