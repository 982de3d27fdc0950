#include "hosts/HostsFilePath.h"

#include <gtest/gtest.h>

TEST(Smoke, WineNamesAHostsFile)
{
    EXPECT_FALSE(GetHostsFilePath().empty());
}
