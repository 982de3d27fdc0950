#pragma once

#include <objbase.h>

// One reference to a COM object, released when it goes.
template <class Interface>
class CComPtr
{
public:
    CComPtr() = default;
    ~CComPtr() { Reset(); }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;

    Interface* operator->() const { return m_object; }
    Interface* Get() const { return m_object; }
    // For out-parameters of APIs that hand out a new reference.
    Interface** Put()
    {
        Reset();
        return &m_object;
    }
    void Reset()
    {
        if (m_object)
            m_object->Release();
        m_object = nullptr;
    }

private:
    Interface* m_object = nullptr;
};

// COM for the current scope. A thread the host already put into the other apartment kind
// keeps it: in-process objects work there too.
class CComScope
{
public:
    CComScope() : m_entered(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~CComScope()
    {
        if (m_entered)
            CoUninitialize();
    }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;

private:
    bool m_entered;
};
