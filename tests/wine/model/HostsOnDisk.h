#pragma once

#include "TestFiles.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

// A fresh folder holding a file "hosts", the set-up most model tests start from. A file that
// cannot be written ends the test with that message.
struct CHostsOnDisk
{
    // No bytes: no file yet. Under `parent` when given.
    explicit CHostsOnDisk(const std::optional<std::string>& bytes, std::wstring parent = std::wstring())
        : folder(std::move(parent))
    {
        if (bytes && !testfiles::WriteBytes(path, *bytes))
            throw std::runtime_error("cannot write " + testfiles::Narrow(path));
    }

    testfiles::CTempFolder folder;
    const std::wstring path = folder / L"hosts";
};

// A file of `size` bytes that starts with `head` and holds zeros after it.
inline bool WriteLongFile(const std::wstring& path, const std::string& head, uint64_t size)
{
    return testfiles::WriteBytes(path, head) && testfiles::SetLength(path, size);
}
