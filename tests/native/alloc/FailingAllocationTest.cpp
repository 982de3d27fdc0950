// Allocations that fail on request, in a program of its own: the other native tests keep the
// sanitizer's own operator new.
#include "hosts/HostsDocument.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

namespace
{
int g_allocationsLeft = -1; // -1: no limit
} // namespace

void* operator new(std::size_t size)
{
    if (g_allocationsLeft == 0)
        throw std::bad_alloc();
    if (g_allocationsLeft > 0)
        --g_allocationsLeft;
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

// A paste that runs out of memory at any allocation adds none of its entries: the table shows
// the model, and the next save writes only what it shows.
TEST(AddEntries, AllOrNoneWhenMemoryRunsOut)
{
    const std::wstring loaded = L"127.0.0.1 x\r\n# c";
    for (int allowed = 0;; ++allowed)
    {
        CHostsDocument doc;
        doc.BeginLoad(loaded);
        while (doc.ParseLines(10))
        {
        }
        doc.FinishLoad();
        g_allocationsLeft = allowed;
        int added = -1;
        try
        {
            added = doc.AddEntries(L"10.0.0.1 a\r\n# skip\r\n10.0.0.2 b # note\r\n10.0.0.3 c\r\n");
        }
        catch (const std::bad_alloc&)
        {
        }
        g_allocationsLeft = -1;
        if (added >= 0)
        {
            EXPECT_EQ(3, added);
            EXPECT_EQ(L"127.0.0.1 x\r\n# c\r\n10.0.0.1 a\r\n10.0.0.2 b # note\r\n10.0.0.3 c", doc.FormatRecords());
            break;
        }
        SCOPED_TRACE("allocations allowed: " + std::to_string(allowed));
        EXPECT_EQ(1, doc.GetEntryCount());
        EXPECT_FALSE(doc.IsModified());
        doc.AddEntry(CHostsRecord(L"10.9.9.9", L"z", L"", false));
        EXPECT_EQ(L"127.0.0.1 x\r\n# c\r\n10.9.9.9 z", doc.FormatRecords());
    }
}
