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

// The two-call rule: the host says how long the whole text is, and gets the room for it.
template <class Get>
std::wstring TextOf(Get get)
{
    std::wstring buffer(kFirstCapacity, L'\0');
    for (int call = 0; call < 2; ++call)
    {
        const auto capacity = static_cast<uint32_t>(buffer.size());
        const uint32_t length = get(buffer.data(), capacity);
        if (length < capacity)
        {
            buffer.resize(length);
            return buffer;
        }
        buffer.assign(std::min(length, kMostCharacters) + 1, L'\0');
    }
    // Longer on the second call than the first said: what fitted.
    buffer.resize(std::wcslen(buffer.c_str()));
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
    known.size = sizeof(known);
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
        bool listed = true;
        std::wstring version;
        const std::wstring name = TextOf([&](wchar_t* nameBuffer, uint32_t nameCapacity) {
            uint32_t nameLength = 0;
            version = TextOf([&](wchar_t* versionBuffer, uint32_t versionCapacity) {
                uint32_t versionLength = 0;
                listed = m_table.getModuleVersion(m_table.context, index, nameBuffer, nameCapacity, &nameLength,
                                                  versionBuffer, versionCapacity, &versionLength) != 0;
                return listed ? versionLength : 0;
            });
            return listed ? nameLength : 0;
        });
        if (!listed)
            break;
        modules.emplace(name, version);
    }
    return modules;
}

void CHostTable::FocusPrevious()
{
    if (m_table.focusPrevious)
        m_table.focusPrevious(m_table.context);
}
