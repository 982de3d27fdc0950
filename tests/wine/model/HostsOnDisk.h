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

// Runs a Linux command in `folder` that makes "hosts" there (a link): Wine starts a Linux program
// given by its path, and it ends unseen, so this waits for what it makes.
inline bool MakeLink(const std::wstring& command, const testfiles::CTempFolder& folder)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring line = command;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.Path().c_str(), &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int wait = 0; wait < 500 && !testfiles::Exists(folder / L"hosts"); ++wait)
        Sleep(10);
    return testfiles::Exists(folder / L"hosts");
}
