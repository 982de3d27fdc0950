#include "settings/SettingsCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace settings_codec;

namespace
{
std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> bytes;
    for (int value : values)
        bytes.push_back(static_cast<uint8_t>(value));
    return bytes;
}

struct DecodeCase
{
    const char* name;
    std::vector<uint8_t> bytes;
    DecodeStatus status;
    bool skinEnabled;
    std::u16string skinFile;
};
} // namespace

TEST(SettingsCodec, DecodesEveryShapeOfFile)
{
    const std::vector<DecodeCase> cases = {
        {"empty file", {}, DecodeStatus::Truncated, false, u""},
        {"flag only", Bytes({1, 0, 0, 0}), DecodeStatus::Truncated, false, u""},
        {"seven bytes", Bytes({1, 0, 0, 0, 0, 0, 0}), DecodeStatus::Truncated, false, u""},
        {"defaults", Bytes({0, 0, 0, 0, 0, 0, 0, 0}), DecodeStatus::Ok, false, u""},
        {"on with empty path", Bytes({1, 0, 0, 0, 0, 0, 0, 0}), DecodeStatus::Ok, true, u""},
        {"any nonzero byte 0 is on", Bytes({0x80, 0, 0, 0, 0, 0, 0, 0}), DecodeStatus::Ok, true, u""},
        {"bytes 1 to 3 are not looked at", Bytes({0, 1, 1, 1, 0, 0, 0, 0}), DecodeStatus::Ok, false, u""},
        {"path", Bytes({1, 0, 0, 0, 3, 0, 0, 0, 'C', 0, ':', 0, 0x16, 0x04}), DecodeStatus::Ok, true, u"C:\u0416"},
        {"path shorter than its count", Bytes({1, 0, 0, 0, 3, 0, 0, 0, 'C', 0, ':', 0}), DecodeStatus::Truncated, false,
         u""},
        {"odd byte missing", Bytes({1, 0, 0, 0, 1, 0, 0, 0, 'C'}), DecodeStatus::Truncated, false, u""},
        {"embedded zero cuts the path", Bytes({1, 0, 0, 0, 3, 0, 0, 0, 'a', 0, 0, 0, 'b', 0}), DecodeStatus::Ok, true,
         u"a"},
        {"bytes after the path ignored", Bytes({0, 0, 0, 0, 1, 0, 0, 0, 'x', 0, 'y', 0, 'z'}), DecodeStatus::Ok, false,
         u"x"},
        {"largest count that can be sized, file short", Bytes({1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0x7F}),
         DecodeStatus::Truncated, false, u""},
        {"count whose buffer passes 32 bits", Bytes({1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F}), DecodeStatus::BadCount,
         false, u""},
        {"largest count", Bytes({1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}), DecodeStatus::BadCount, false, u""},
    };
    for (const DecodeCase& c : cases)
    {
        Settings settings;
        settings.skinEnabled = true;
        settings.skinFile = u"stale";
        EXPECT_EQ(c.status, Decode(c.bytes.data(), c.bytes.size(), settings)) << c.name;
        EXPECT_EQ(c.skinEnabled, settings.skinEnabled) << c.name;
        EXPECT_EQ(c.skinFile, settings.skinFile) << c.name;
    }
}

TEST(SettingsCodec, EncodesExactlyEightBytesPlusThePathAndReadsItBack)
{
    Settings off;
    EXPECT_EQ(Bytes({0, 0, 0, 0, 0, 0, 0, 0}), Encode(off));

    Settings on;
    on.skinEnabled = true;
    on.skinFile = u"C:\\s\u00e9.msstyles";
    const std::vector<uint8_t> bytes = Encode(on);
    ASSERT_EQ(8 + 2 * on.skinFile.size(), bytes.size());
    EXPECT_EQ(Bytes({1, 0, 0, 0, 14, 0, 0, 0, 'C', 0, ':', 0}),
              std::vector<uint8_t>(bytes.begin(), bytes.begin() + 12));
    Settings back;
    EXPECT_EQ(DecodeStatus::Ok, Decode(bytes.data(), bytes.size(), back));
    EXPECT_TRUE(back.skinEnabled);
    EXPECT_EQ(on.skinFile, back.skinFile);

    // A long path keeps every unit: nothing is cut at 255 or MAX_PATH.
    Settings longPath;
    longPath.skinFile = u"C:\\" + std::u16string(40000, u'd') + u"\\x.cjstyles";
    const std::vector<uint8_t> longBytes = Encode(longPath);
    EXPECT_EQ(PathUnits(longBytes.data()), longPath.skinFile.size());
    EXPECT_EQ(DecodeStatus::Ok, Decode(longBytes.data(), longBytes.size(), back));
    EXPECT_EQ(longPath.skinFile, back.skinFile);
}
