#pragma once

// The bytes of "norvikcfg.bin": a 4-byte skin flag (only byte 0 counts), a little-endian
// 32-bit count N of UTF-16 units, then the skin path as N UTF-16LE units, no terminator.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace settings_codec
{
constexpr size_t kHeaderSize = 8;

enum class DecodeStatus
{
    Ok,
    // Shorter than the header, or the path shorter than its count: a file of an older version.
    Truncated,
    // A count whose buffer cannot even be sized.
    BadCount,
};

struct Settings
{
    bool skinEnabled = false;
    std::u16string skinFile;
};

// The count stored in a header of at least kHeaderSize bytes.
uint32_t PathUnits(const uint8_t* header);
// Bytes a file must hold for its path to be complete; 0 when the count is too large to hold.
uint64_t RequiredSize(uint32_t pathUnits);
// `bytes` is the start of the file (anything after the path is ignored).
DecodeStatus Decode(const uint8_t* bytes, size_t size, Settings& settings);
std::vector<uint8_t> Encode(const Settings& settings);
} // namespace settings_codec
