#pragma once

#include <string>

// What the hosts file model reports; called on worker threads, never on the GUI thread.
class IHostsFileSink
{
public:
    virtual void OnLineCount(int count) = 0;
    virtual void OnProgress(int index, const std::wstring& text) = 0;
    virtual void OnLoadFinished(bool ok) = 0;
    virtual void OnSaveFinished(bool ok) = 0;
    virtual void OnLoadCancelled() = 0;

protected:
    ~IHostsFileSink() = default;
};
