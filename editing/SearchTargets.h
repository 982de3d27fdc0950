#pragma once

#include <string>

// What the find dialogs ask of the form.
class IRecordSearchTarget
{
public:
    // The index of the next entry from `start` (direction 1 down, else up) whose fields match
    // the patterns, now focused and selected; -1 when there is none (reported to the user).
    virtual int FindRecord(int start, int direction, const std::wstring& address, const std::wstring& host,
                           const std::wstring& comment) = 0;
    // The focused table row, or -1.
    virtual int GetFocusedIndex() = 0;

protected:
    ~IRecordSearchTarget() = default;
};

class ITextSearchTarget
{
public:
    // Selects the next occurrence of `text` from the caret (direction 1 down, else up).
    virtual void FindText(int direction, const std::wstring& text) = 0;

protected:
    ~ITextSearchTarget() = default;
};
