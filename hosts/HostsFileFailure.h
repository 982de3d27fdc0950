#pragma once

// What the model knows about its file beyond success or failure: why the last load or save
// failed, so the message can say what is wrong and where, and how the file looked when it was
// last loaded or saved, so a change by another program can be noticed before a save.

#include <cstdint>
#include <string>

enum class FileFailureKind
{
    None,
    Access,          // cannot be opened, read, locked or written
    UndefinedByte,   // load: a byte the ANSI code page does not define
    NulByte,         // load: a NUL byte (not 8-bit text; a UTF-16 file, for example)
    Unrepresentable, // save: a character the ANSI code page cannot hold
    OutOfMemory,     // load or save: not enough memory
    Changed,         // save: another program wrote the file since it was last looked at
    Damaged,         // save: written in place, and its old content could not be put back either
};

struct CFileFailure
{
    FileFailureKind kind = FileFailureKind::None;
    int line = 0;           // 1-based line of the offending byte or character; 0 when not known
    std::wstring character; // Unrepresentable: that character (two units for a surrogate pair)
    uint64_t bytes = 0;     // OutOfMemory: the size of the file (load) or of the text (save), one byte
                            // per character as a single-byte code page writes it; 0 when not known
    std::wstring keptFile;  // Access: the file that keeps the new content when the hosts file's name
                            // could take neither it nor the old content back; empty otherwise
};

struct CFileStamp
{
    bool exists = false;
    uint64_t lastWrite = 0; // FILETIME as one number
    uint64_t size = 0;

    bool operator==(const CFileStamp& other) const
    {
        return exists == other.exists && lastWrite == other.lastWrite && size == other.size;
    }
    bool operator!=(const CFileStamp& other) const { return !(*this == other); }
};
