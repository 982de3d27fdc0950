#include "module/HostTable.h"

#include <algorithm>
#include <cstring>

namespace
{
// The first buffer a text gets; a longer text comes with the second call.
const uint32_t kFirstCapacity = 128;
// A host that asks for ever more room, or lists without end, is cut off here.
const uint32_t kMostCharacters = 1u << 20;
const uint32_t kMostModules = 1000;

uint32_t Capacity(const std::wstring& buffer)
{
    return static_cast<uint32_t>(buffer.size());
}

// The two-call rule: the host says how long the whole text is, and gets the room for it. True
// when the text fitted; else the buffer is made to fit it.
bool Fits(std::wstring& buffer, uint32_t length)
{
    if (length < Capacity(buffer))
        return true;
    buffer.assign(std::min(length, kMostCharacters) + 1, L'\0');
    return false;
}

// The text a call wrote; longer on the second call than the first said: what fitted.
void Trim(std::wstring& buffer, uint32_t length)
{
    buffer.resize(length < Capacity(buffer) ? length : std::wcslen(buffer.c_str()));
}

template <class Get>
std::wstring TextOf(Get get)
{
    std::wstring buffer(kFirstCapacity, L'\0');
    uint32_t length = get(buffer.data(), Capacity(buffer));
    if (!Fits(buffer, length))
        length = get(buffer.data(), Capacity(buffer));
    Trim(buffer, length);
    return buffer;
}
} // namespace

std::unique_ptr<CHostTable> CHostTable::Take(const NorvikHost* table)
{
    if (!table || table->size < NORVIK_HOST_SIZE_MIN)
        return nullptr;
    // What a shorter (older) table lacks stays null, a callback it holds only part of too;
    // what a longer one adds is not read.
    const size_t callbacks = (table->size - NORVIK_HOST_SIZE_MIN) / sizeof(void*) * sizeof(void*);
    NorvikHost known = {};
    std::memcpy(&known, table, std::min(NORVIK_HOST_SIZE_MIN + callbacks, sizeof(known)));
    return std::unique_ptr<CHostTable>(new CHostTable(known));
}

void CHostTable::ApplySkin(const std::wstring& skinFile)
{
    if (m_table.applySkin)
        m_table.applySkin(m_table.context, skinFile.c_str());
}

std::wstring CHostTable::GetSettingsFolder()
{
    if (!m_table.getSettingsFolder)
        return std::wstring();
    return TextOf([this](wchar_t* buffer, uint32_t capacity) {
        return m_table.getSettingsFolder(m_table.context, buffer, capacity);
    });
}

std::wstring CHostTable::GetVersionText()
{
    if (!m_table.getVersionText)
        return std::wstring();
    return TextOf([this](wchar_t* buffer, uint32_t capacity) {
        return m_table.getVersionText(m_table.context, buffer, capacity);
    });
}

std::map<std::wstring, std::wstring> CHostTable::GetModuleVersions()
{
    std::map<std::wstring, std::wstring> modules;
    for (uint32_t index = 0; m_table.getModuleVersion && index < kMostModules; ++index)
    {
        std::wstring name(kFirstCapacity, L'\0');
        std::wstring version(kFirstCapacity, L'\0');
        uint32_t nameLength = 0;
        uint32_t versionLength = 0;
        const auto get = [&] {
            nameLength = versionLength = 0;
            return m_table.getModuleVersion(m_table.context, index, name.data(), Capacity(name), &nameLength,
                                            version.data(), Capacity(version), &versionLength) != 0;
        };
        if (!get())
            break;
        // Both buffers grow at once: one more call at most.
        const bool nameFits = Fits(name, nameLength);
        if (!(Fits(version, versionLength) && nameFits) && !get())
            break;
        Trim(name, nameLength);
        Trim(version, versionLength);
        modules.emplace(name, version);
    }
    return modules;
}

void CHostTable::FocusPrevious()
{
    if (m_table.focusPrevious)
        m_table.focusPrevious(m_table.context);
}
