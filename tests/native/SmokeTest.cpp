#include "hosts/HostsLine.h"

#include <gtest/gtest.h>

TEST(Smoke, LocalhostIsAnEntry)
{
    EXPECT_TRUE(CHostsLine::Parse(L"127.0.0.1 localhost").IsEntry());
}
