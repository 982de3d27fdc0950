#include "ui/Clipboard.h"

#include "win32/UniqueHandle.h"

#include <cstring>

namespace
{
struct GlobalMemoryTraits
{
    using Type = HGLOBAL;
    static Type Empty() { return nullptr; }
    static void Close(Type memory) { ::GlobalFree(memory); }
};
using CGlobalMemory = CUniqueHandle<GlobalMemoryTraits>;

// Movable memory locked for one scope.
class CGlobalLock
{
public:
    explicit CGlobalLock(HGLOBAL memory) : m_memory(memory), m_data(memory ? GlobalLock(memory) : nullptr) {}
    ~CGlobalLock()
    {
        if (m_data)
            GlobalUnlock(m_memory);
    }
    CGlobalLock(const CGlobalLock&) = delete;
    CGlobalLock& operator=(const CGlobalLock&) = delete;
    void* Data() const { return m_data; }

private:
    HGLOBAL m_memory;
    void* m_data;
};

const int kOpenTries = 5;
const DWORD kOpenPauseMs = 20;
} // namespace

CClipboard::CClipboard(HWND owner)
{
    for (int attempt = 0; attempt < kOpenTries && !m_bOpen; ++attempt)
    {
        if (attempt > 0)
            Sleep(kOpenPauseMs);
        m_bOpen = OpenClipboard(owner) != FALSE;
    }
}

CClipboard::~CClipboard()
{
    if (m_bOpen)
        CloseClipboard();
}

bool CClipboard::SetText(std::wstring_view text)
{
    if (!m_bOpen)
        return false;
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    CGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    {
        const CGlobalLock lock(memory.Get());
        if (!lock.Data())
            return false;
        auto* out = static_cast<wchar_t*>(lock.Data());
        std::memcpy(out, text.data(), text.size() * sizeof(wchar_t));
        out[text.size()] = L'\0';
    }
    if (!EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory.Get()))
        return false;
    // The clipboard owns it now.
    memory.Release();
    return true;
}

bool CClipboard::GetText(std::wstring& text) const
{
    if (!m_bOpen || !IsClipboardFormatAvailable(CF_UNICODETEXT))
        return false;
    const HGLOBAL memory = GetClipboardData(CF_UNICODETEXT);
    const CGlobalLock lock(memory);
    if (!lock.Data())
        return false;
    // Bounded by the block's size: a text without its NUL is read to the end, not past it.
    const std::wstring_view block(static_cast<const wchar_t*>(lock.Data()), GlobalSize(memory) / sizeof(wchar_t));
    text.assign(block.substr(0, block.find(L'\0')));
    return true;
}
