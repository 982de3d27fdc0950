#include "hosts/HostsFileAccess.h"

#include "hosts/Utf8Text.h"
#include "win32/UniqueHandle.h"

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>

namespace
{
uint64_t Join(DWORD high, DWORD low)
{
    return (static_cast<uint64_t>(high) << 32) | low;
}

// The 1-based line of the first line `bad` finds fault with, 0 when it finds none. Lines end
// at LF, as the model splits them; a CR left at a line's end is harmless to every check.
template <class Char, class Bad>
int FirstBadLine(std::basic_string_view<Char> text, Bad bad)
{
    using View = std::basic_string_view<Char>;
    int line = 1;
    for (size_t start = 0;; ++line)
    {
        const size_t end = text.find(Char('\n'), start);
        if (bad(text.substr(start, end == View::npos ? View::npos : end - start)))
            return line;
        if (end == View::npos)
            return 0;
        start = end + 1;
    }
}

CFileFailure Failure(FileFailureKind kind, int line = 0)
{
    CFileFailure failure;
    failure.kind = kind;
    failure.line = line;
    return failure;
}

// Bytes that did not convert: which line is at fault, and whether for a NUL or a byte the
// code page lacks (a line of UTF-8 is none while the file may be UTF-8). A NUL would end the
// text view's text there and cut the next save short.
ReadResult LocateBadByte(std::string_view bytes, const CAnsiCodec& codec, bool utf8Too, CFileFailure& failure)
{
    std::wstring scratch;
    bool beyondAscii = false;
    const int line = FirstBadLine(bytes, [&](std::string_view text) {
        if (text.find('\0') != std::string_view::npos)
            return true;
        scratch.clear();
        return !(utf8Too && CUtf8Text::DecodeAppend(text, scratch, beyondAscii)) && !codec.Decode(text, scratch);
    });
    std::string_view text = bytes;
    for (int i = 1; i < line; ++i)
        text.remove_prefix(text.find('\n') + 1);
    const bool nul = line > 0 && text.substr(0, text.find('\n')).find('\0') != std::string_view::npos;
    failure = Failure(nul ? FileFailureKind::NulByte : FileFailureKind::UndefinedByte, line);
    return nul ? ReadResult::NulByte : ReadResult::ConversionFailed;
}
} // namespace

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
    TextEncoding encoding = TextEncoding::Ansi;
    CFileStamp stamp;
    CFileFailure failure;
    return ReadHostsText(path, codec, text, encoding, stamp, failure);
}

ReadResult ReadHostsText(const std::wstring& path, const CAnsiCodec& codec, std::wstring& text, TextEncoding& encoding,
                         CFileStamp& stamp, CFileFailure& failure, const std::atomic<uint32_t>* cancel,
                         size_t chunkSize)
{
    text.clear();
    encoding = TextEncoding::Ansi;
    stamp = CFileStamp();
    failure = CFileFailure();
    CFileHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
    {
        failure = Failure(FileFailureKind::Access);
        return ReadResult::OpenFailed;
    }
    // From the handle the bytes come through: nothing can change the file in between.
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.Get(), &info))
    {
        failure = Failure(FileFailureKind::Access);
        return ReadResult::ReadFailed;
    }
    stamp = StampOf(info);

    auto outOfMemory = [&] {
        std::wstring().swap(text);
        failure = Failure(FileFailureKind::OutOfMemory);
        failure.bytes = stamp.size;
        return ReadResult::OutOfMemory;
    };
    // The conversion takes at most INT_MAX bytes at once, and a 32-bit process's string holds
    // fewer characters than that: either way the text does not fit.
    if (stamp.size > INT_MAX || stamp.size + 2 > text.max_size())
        return outOfMemory();
    try
    {
        // A piece at a time, each ending after a line break, so that a character never spans
        // two pieces: the file's bytes and its text are never held whole at the same time.
        // A byte gives at most one UTF-16 unit; the two more are for the line break the model
        // adds after a last line without one, which would otherwise copy the whole text.
        text.reserve(static_cast<size_t>(stamp.size) + 2);
        CFileTextDecoder decoder(
            [&codec](std::string_view part, std::wstring& out) { return codec.DecodeAppend(part, out); });
        std::string piece;
        int linesBefore = 0;
        for (bool end = false; !end;)
        {
            if (cancel && *cancel)
            {
                std::wstring().swap(text);
                return ReadResult::Cancelled;
            }
            const size_t carried = piece.size();
            piece.resize(carried + chunkSize);
            DWORD got = 0;
            if (!ReadFile(file.Get(), piece.data() + carried, static_cast<DWORD>(chunkSize), &got, nullptr))
            {
                std::wstring().swap(text);
                failure = Failure(FileFailureKind::Access);
                return ReadResult::ReadFailed;
            }
            piece.resize(carried + got);
            end = got == 0;
            size_t length = piece.size();
            if (!end)
            {
                const size_t lf = piece.rfind('\n');
                if (lf == std::string::npos)
                    continue; // a line longer than a piece: read on
                length = lf + 1;
            }
            const std::string_view part(piece.data(), length);
            const bool nul = part.find('\0') != std::string_view::npos;
            const CFileTextDecoder::Step step = nul ? CFileTextDecoder::Step::Failed : decoder.Decode(part, text);
            if (step == CFileTextDecoder::Step::Restart)
            {
                // UTF-8 so far, but not here: the whole file again, in the code page.
                const LARGE_INTEGER start = {};
                text.clear();
                piece.clear();
                linesBefore = 0;
                end = false;
                if (SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN))
                    continue;
                std::wstring().swap(text);
                failure = Failure(FileFailureKind::Access);
                return ReadResult::ReadFailed;
            }
            if (step == CFileTextDecoder::Step::Failed)
            {
                std::wstring().swap(text);
                const ReadResult result = LocateBadByte(part, codec, decoder.MayBeUtf8(), failure);
                if (failure.line > 0)
                    failure.line += linesBefore;
                return result;
            }
            linesBefore += static_cast<int>(std::count(part.begin(), part.end(), '\n'));
            piece.erase(0, length);
        }
        encoding = decoder.Encoding();
        return ReadResult::Ok;
    }
    catch (const std::bad_alloc&)
    {
        return outOfMemory();
    }
    catch (const std::length_error&)
    {
        return outOfMemory();
    }
}

bool FindUnrepresentable(const CAnsiCodec& codec, std::wstring_view text, CFileFailure& failure)
{
    std::string scratch;
    auto refused = [&](std::wstring_view part) { return !codec.Encode(part, scratch); };
    const int line = FirstBadLine(text, refused);
    if (line == 0)
        return false;
    for (int i = 1; i < line; ++i)
        text.remove_prefix(text.find(L'\n') + 1);
    text = text.substr(0, text.find(L'\n'));
    failure = Failure(FileFailureKind::Unrepresentable, line);
    // One character at a time; a surrogate pair is one character.
    for (size_t i = 0; i < text.size();)
    {
        const size_t length =
            IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]) ? 2 : 1;
        if (refused(text.substr(i, length)))
        {
            failure.character.assign(text.substr(i, length));
            break;
        }
        i += length;
    }
    return true;
}

FilePresence LookUpFile(const std::wstring& path, CFileStamp* stamp)
{
    if (stamp)
        *stamp = CFileStamp();
    if (path.empty())
        return FilePresence::Missing;
    // Through a handle, as the reader and the writer see the file: what a name's entry says
    // may lag behind it.
    CFileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                 nullptr));
    if (!file)
    {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FilePresence::Missing
                                                                              : FilePresence::Unknown;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.Get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return FilePresence::Unknown;
    if (stamp)
        *stamp = StampOf(info);
    return FilePresence::Present;
}

CFileStamp ReadFileStamp(const std::wstring& path)
{
    CFileStamp stamp;
    LookUpFile(path, &stamp);
    return stamp;
}

CFileStamp StampOf(const BY_HANDLE_FILE_INFORMATION& info)
{
    CFileStamp stamp;
    stamp.exists = true;
    stamp.lastWrite = Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    stamp.size = Join(info.nFileSizeHigh, info.nFileSizeLow);
    return stamp;
}
