#include "settings/SettingsCodec.h"

namespace settings_codec
{
uint32_t PathUnits(const uint8_t* header)
{
    return static_cast<uint32_t>(header[4]) | static_cast<uint32_t>(header[5]) << 8 |
           static_cast<uint32_t>(header[6]) << 16 | static_cast<uint32_t>(header[7]) << 24;
}

uint64_t RequiredSize(uint32_t pathUnits)
{
    // A buffer of N + 1 units whose byte size passes 32 bits can never be allocated.
    if ((static_cast<uint64_t>(pathUnits) + 1) * 2 > UINT32_MAX)
        return 0;
    return kHeaderSize + static_cast<uint64_t>(pathUnits) * 2;
}

DecodeStatus Decode(const uint8_t* bytes, size_t size, Settings& settings)
{
    settings = Settings();
    if (size < kHeaderSize)
        return DecodeStatus::Truncated;
    const uint32_t units = PathUnits(bytes);
    const uint64_t required = RequiredSize(units);
    if (required == 0)
        return DecodeStatus::BadCount;
    if (size < required)
        return DecodeStatus::Truncated;
    settings.skinEnabled = bytes[0] != 0;
    const uint8_t* path = bytes + kHeaderSize;
    for (uint32_t i = 0; i < units; ++i)
    {
        const char16_t unit = static_cast<char16_t>(path[2 * size_t{i}] | path[2 * size_t{i} + 1] << 8);
        // The path ends at an embedded zero, as a C string would.
        if (unit == 0)
            break;
        settings.skinFile.push_back(unit);
    }
    return DecodeStatus::Ok;
}

std::vector<uint8_t> Encode(const Settings& settings)
{
    const uint32_t units = static_cast<uint32_t>(settings.skinFile.size());
    std::vector<uint8_t> bytes;
    bytes.reserve(kHeaderSize + 2 * static_cast<size_t>(units));
    bytes.push_back(settings.skinEnabled ? 1 : 0);
    bytes.insert(bytes.end(), 3, 0);
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<uint8_t>(units >> shift));
    for (char16_t unit : settings.skinFile)
    {
        bytes.push_back(static_cast<uint8_t>(unit));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}
} // namespace settings_codec
