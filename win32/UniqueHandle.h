#pragma once

#include <windows.h>

#include <utility>

// Owns one Win32 handle; Traits names the empty value and how to close it.
template <class Traits>
class CUniqueHandle
{
public:
    using Type = typename Traits::Type;

    CUniqueHandle() = default;
    explicit CUniqueHandle(Type handle) : m_handle(handle) {}
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept
    {
        Reset(other.Release());
        return *this;
    }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    ~CUniqueHandle() { Reset(); }

    Type Get() const { return m_handle; }
    bool IsValid() const { return m_handle != Traits::Empty(); }
    explicit operator bool() const { return IsValid(); }

    Type Release() { return std::exchange(m_handle, Traits::Empty()); }
    void Reset(Type handle = Traits::Empty())
    {
        if (IsValid())
            Traits::Close(m_handle);
        m_handle = handle;
    }
    // For out-parameters of APIs that hand out a new handle.
    Type* Put()
    {
        Reset();
        return &m_handle;
    }

private:
    Type m_handle = Traits::Empty();
};

struct FileHandleTraits
{
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { ::CloseHandle(handle); }
};

struct KernelHandleTraits
{
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type handle) { ::CloseHandle(handle); }
};

struct RegKeyTraits
{
    using Type = HKEY;
    static Type Empty() { return nullptr; }
    static void Close(Type key) { ::RegCloseKey(key); }
};

struct FindHandleTraits
{
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type search) { ::FindClose(search); }
};

struct LocalMemoryTraits
{
    using Type = HLOCAL;
    static Type Empty() { return nullptr; }
    static void Close(Type memory) { ::LocalFree(memory); }
};

// CreateFile's handles: INVALID_HANDLE_VALUE when empty.
using CFileHandle = CUniqueHandle<FileHandleTraits>;
// Events, threads and other kernel objects: null when empty.
using CKernelHandle = CUniqueHandle<KernelHandleTraits>;
using CRegKey = CUniqueHandle<RegKeyTraits>;
// FindFirstFile's searches.
using CFindHandle = CUniqueHandle<FindHandleTraits>;
// LocalAlloc's memory (an edit control's text buffer).
using CLocalMemory = CUniqueHandle<LocalMemoryTraits>;
