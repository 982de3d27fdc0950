#include "settings/EditorSettings.h"

#include "resources/Texts.h"
#include "settings/SettingsCodec.h"
#include "ui/MessageBox.h"
#include "win32/UniqueHandle.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

namespace
{
// Reads up to `size` bytes from the file's current position; returns how many came.
size_t ReadUpTo(HANDLE file, uint8_t* buffer, size_t size)
{
    size_t done = 0;
    while (done < size)
    {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1 << 20));
        DWORD got = 0;
        if (!ReadFile(file, buffer + done, chunk, &got, nullptr) || got == 0)
            break;
        done += got;
    }
    return done;
}

// The file's bytes up to the end of its path; the status tells whether they are complete.
settings_codec::DecodeStatus ReadSettingsFile(HANDLE file, settings_codec::Settings& settings)
{
    using namespace settings_codec;
    std::vector<uint8_t> bytes(kHeaderSize);
    bytes.resize(ReadUpTo(file, bytes.data(), kHeaderSize));
    if (bytes.size() < kHeaderSize)
        return Decode(bytes.data(), bytes.size(), settings);
    const uint64_t required = RequiredSize(PathUnits(bytes.data()));
    if (required == 0)
        return DecodeStatus::BadCount;
    // The buffer grows only as far as the file really holds bytes.
    LARGE_INTEGER fileSize = {};
    if (GetFileSizeEx(file, &fileSize) && static_cast<uint64_t>(fileSize.QuadPart) < required)
        return DecodeStatus::Truncated;
    // 2 GiB and more never fit a 32-bit process (nor its size_t); no build takes such a count.
    if (required > INT32_MAX)
        return DecodeStatus::BadCount;
    try
    {
        bytes.resize(static_cast<size_t>(required));
    }
    catch (const std::bad_alloc&)
    {
        return DecodeStatus::BadCount;
    }
    const size_t got = ReadUpTo(file, bytes.data() + kHeaderSize, bytes.size() - kHeaderSize);
    return Decode(bytes.data(), kHeaderSize + got, settings);
}
} // namespace

void CEditorSettings::ReadSettings()
{
    if (m_strSettingsFile.empty())
        return;
    settings_codec::Settings read;
    settings_codec::DecodeStatus status;
    {
        CFileHandle file(CreateFileW(m_strSettingsFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return;
        status = ReadSettingsFile(file.Get(), read);
    }
    if (status == settings_codec::DecodeStatus::Ok)
    {
        m_bSkinEnabled = read.skinEnabled;
        m_strSkinFile.assign(read.skinFile.begin(), read.skinFile.end());
        return;
    }
    // Before the form has a window: the warning has no owner.
    ShowMessageBox(nullptr,
                   status == settings_codec::DecodeStatus::BadCount ? texts::kBadSettingsFile : texts::kOldSettingsFile,
                   texts::kWarning, MB_OK | MB_ICONWARNING);
    ResetSettings();
}

bool CEditorSettings::WriteSettings()
{
    if (m_strSettingsFile.empty())
        return false;
    // One missing folder level is made; a deeper missing path makes the open below fail.
    const size_t separator = m_strSettingsFile.find_last_of(L"\\/");
    if (separator != std::wstring::npos && separator > 0)
        CreateDirectoryW(m_strSettingsFile.substr(0, separator).c_str(), nullptr);

    CFileHandle file(CreateFileW(m_strSettingsFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    settings_codec::Settings settings;
    settings.skinEnabled = m_bSkinEnabled;
    settings.skinFile.assign(m_strSkinFile.begin(), m_strSkinFile.end());
    const std::vector<uint8_t> bytes = settings_codec::Encode(settings);
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool CEditorSettings::ResetSettings()
{
    m_bSkinEnabled = false;
    m_strSkinFile.clear();
    return WriteSettings();
}
