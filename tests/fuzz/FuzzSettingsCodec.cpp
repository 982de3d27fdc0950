// The settings file can be written by any program running as the user: decoding any bytes
// must stay inside them, give a status that matches the header, and read back from a
// rewrite exactly what it read the first time.
#include "settings/SettingsCodec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace settings_codec;

namespace
{
void Fail(int line)
{
    std::fprintf(stderr, "check failed at line %d\n", line);
    std::abort();
}
#define Check(condition) ((condition) ? (void)0 : Fail(__LINE__))

bool Same(const Settings& a, const Settings& b)
{
    return a.skinEnabled == b.skinEnabled && a.skinFile == b.skinFile;
}

// A copy on the heap of exactly `size` bytes, so that a read past the end is caught.
DecodeStatus DecodeExact(const uint8_t* data, size_t size, Settings& settings)
{
    const std::vector<uint8_t> copy(data, data + size);
    settings.skinEnabled = true;
    settings.skinFile = u"stale";
    return Decode(copy.data(), copy.size(), settings);
}

// What a file of these bytes must decode to, worked out apart from the codec.
DecodeStatus Expected(const uint8_t* data, size_t size, Settings& settings)
{
    settings = Settings();
    if (size < kHeaderSize)
        return DecodeStatus::Truncated;
    const uint64_t units = data[4] | data[5] << 8 | data[6] << 16 | static_cast<uint64_t>(data[7]) << 24;
    // N + 1 units must be addressable by a 32-bit byte count.
    if ((units + 1) * 2 > UINT32_MAX)
        return DecodeStatus::BadCount;
    if (size - kHeaderSize < units * 2)
        return DecodeStatus::Truncated;
    settings.skinEnabled = data[0] != 0;
    for (uint64_t i = 0; i < units; ++i)
    {
        const char16_t unit = static_cast<char16_t>(data[kHeaderSize + 2 * i] | data[kHeaderSize + 2 * i + 1] << 8);
        if (unit == 0)
            break;
        settings.skinFile += unit;
    }
    return DecodeStatus::Ok;
}

void CheckEncoding(const Settings& settings, const std::vector<uint8_t>& bytes)
{
    // Exactly the header and the path, the unused flag bytes zero.
    Check(bytes.size() == kHeaderSize + 2 * settings.skinFile.size());
    Check(bytes[0] == (settings.skinEnabled ? 1 : 0) && bytes[1] == 0 && bytes[2] == 0 && bytes[3] == 0);
    Check(PathUnits(bytes.data()) == settings.skinFile.size());
    Check(RequiredSize(PathUnits(bytes.data())) == bytes.size());
}

void CheckFile(const uint8_t* data, size_t size)
{
    Settings decoded;
    const DecodeStatus status = DecodeExact(data, size, decoded);
    Settings expected;
    Check(status == Expected(data, size, expected));
    Check(Same(decoded, expected));
    if (status != DecodeStatus::Ok)
        return;

    const uint32_t units = PathUnits(data);
    const uint64_t required = RequiredSize(units);
    Check(required == kHeaderSize + 2 * static_cast<uint64_t>(units));
    // The reader stops at the end of the path: what follows it changes nothing.
    Settings prefix;
    Check(DecodeExact(data, static_cast<size_t>(required), prefix) == DecodeStatus::Ok);
    Check(Same(prefix, decoded));

    // Decode, encode, decode: the same settings, and the rewrite is stable.
    const std::vector<uint8_t> encoded = Encode(decoded);
    CheckEncoding(decoded, encoded);
    Settings again;
    Check(DecodeExact(encoded.data(), encoded.size(), again) == DecodeStatus::Ok);
    Check(Same(again, decoded));
    Check(Encode(again) == encoded);

    // The path's bytes are written back as they were read.
    Check(std::equal(encoded.begin() + kHeaderSize, encoded.end(), data + kHeaderSize));
    // A file as the codec writes it (flag 0 or 1, bytes 1 to 3 zero, no zero unit, nothing
    // after the path) comes back byte for byte.
    const bool canonical = data[0] <= 1 && data[1] == 0 && data[2] == 0 && data[3] == 0 && size == required &&
                           decoded.skinFile.size() == units;
    Check(canonical == (encoded == std::vector<uint8_t>(data, data + size)));
}

// The same bytes as settings in memory: flag from the first byte, the path from the rest.
void CheckSettings(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    Settings settings;
    settings.skinEnabled = (data[0] & 1) != 0;
    for (size_t i = 1; i + 1 < size; i += 2)
        settings.skinFile += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    const std::vector<uint8_t> encoded = Encode(settings);
    CheckEncoding(settings, encoded);
    Settings back;
    Check(DecodeExact(encoded.data(), encoded.size(), back) == DecodeStatus::Ok);
    // A file has no room for a zero unit in its path: the path ends there.
    Settings cut = settings;
    cut.skinFile.resize(std::min(cut.skinFile.size(), cut.skinFile.find(u'\0')));
    Check(Same(back, cut));
    // Every shorter piece of a written file is an old file, never a crash or a misread.
    Settings shorter;
    const size_t piece = size % encoded.size();
    Check(DecodeExact(encoded.data(), piece, shorter) == DecodeStatus::Truncated);
    Check(Same(shorter, Settings()));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckFile(data, size);
    CheckSettings(data, size);
    return 0;
}
