// Allocations that fail on request, in a program of its own: the other native tests keep the
// sanitizer's own operator new.
#include "hosts/HostsDocument.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace
{
int g_allocationsLeft = -1; // -1: no limit
} // namespace

void* operator new(std::size_t size)
{
    void* block = g_allocationsLeft != 0 ? std::malloc(size ? size : 1) : nullptr;
    if (!block)
        throw std::bad_alloc();
    g_allocationsLeft -= g_allocationsLeft > 0 ? 1 : 0;
    return block;
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

// A paste that runs out of memory at any of its allocations adds none of its entries: the
// table shows the model, and a save writes nothing the table did not show.
TEST(AddEntries, AllOrNoneWhenMemoryRunsOut)
{
    for (int allowed = 0;; ++allowed)
    {
        SCOPED_TRACE(allowed);
        CHostsDocument doc;
        doc.BeginLoad(L"127.0.0.1 x\r\n# c");
        doc.ParseLines(2);
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
            EXPECT_EQ(L"127.0.0.1 x\r\n# c\r\n10.0.0.1 a\r\n10.0.0.2 b # note\r\n10.0.0.3 c", doc.FormatRecords());
            break;
        }
        EXPECT_FALSE(doc.IsModified());
        doc.AddEntry(CHostsRecord(L"10.9.9.9", L"z", L"", false));
        EXPECT_EQ(L"127.0.0.1 x\r\n# c\r\n10.9.9.9 z", doc.FormatRecords());
    }
}
