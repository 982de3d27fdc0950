#pragma once

// What the text view's search keys ask for; the form answers.
class ITextKeyHandler
{
public:
    virtual void OnFind() = 0;
    virtual void OnFindNext() = 0;

protected:
    ~ITextKeyHandler() = default;
};
