#pragma once

#include <windows.h>

#include <vector>

// Reserves the free address space of a 32-bit process in blocks of 1 MiB and more, as a
// process near its end finds it: whatever needs a new block of that size fails, while small
// allocations may still come from what the heap holds. Given back when it goes. Nothing on a
// 64-bit build: reserving its address space takes Wine gigabytes of real memory.
class CAddressSpaceHog
{
public:
    static constexpr bool kPossible = sizeof(void*) == 4;

    CAddressSpaceHog()
    {
        m_blocks.reserve(4096);
        for (size_t size = size_t(1) << 30; kPossible && size >= (size_t(1) << 20); size /= 2)
        {
            while (m_blocks.size() < m_blocks.capacity())
            {
                void* block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
                if (!block)
                    break;
                m_blocks.push_back(block);
            }
        }
    }
    ~CAddressSpaceHog()
    {
        for (void* block : m_blocks)
            VirtualFree(block, 0, MEM_RELEASE);
    }
    CAddressSpaceHog(const CAddressSpaceHog&) = delete;
    CAddressSpaceHog& operator=(const CAddressSpaceHog&) = delete;

    // A 1 MiB block no longer comes.
    static bool Exhausted()
    {
        void* block = VirtualAlloc(nullptr, size_t(1) << 20, MEM_RESERVE, PAGE_NOACCESS);
        if (block)
            VirtualFree(block, 0, MEM_RELEASE);
        return block == nullptr;
    }

private:
    std::vector<void*> m_blocks;
};

inline const char* NoHogReason()
{
    return "runs out of address space only in the 32-bit build: reserving the 64-bit one takes "
           "Wine gigabytes of real memory";
}
