#pragma once

#include <windows.h>

// Takes key messages before the host's loop dispatches them.
class IKeyPreTranslator
{
public:
    // True when the message was handled and must not be dispatched.
    virtual bool PreTranslateMessage(MSG& message) = 0;

protected:
    ~IKeyPreTranslator() = default;
};

// The host owns the message loop, so a thread message hook offers key messages for a window
// and everything inside it to that window's translator first.
class CKeyPreprocessor
{
public:
    static bool Register(HWND root, IKeyPreTranslator* translator);
    static void Unregister(HWND root);
};
