#pragma once

#include <windows.h>

// What the table's keys ask for; the form answers. Each takes the key message being routed.
class ITableKeyHandler
{
public:
    virtual void OnAddRecord(const MSG& message) = 0;
    virtual void OnDeleteRecords(const MSG& message) = 0;
    virtual void OnEditRecord(const MSG& message) = 0;
    virtual void OnFindNext(const MSG& message) = 0;
    virtual void OnFind(const MSG& message) = 0;
    virtual void OnSelectAll(const MSG& message) = 0;
    virtual void OnCtrlInsert(const MSG& message) = 0;
    virtual void OnShiftInsert(const MSG& message) = 0;
    virtual void OnCopy(const MSG& message) = 0;
    virtual void OnPaste(const MSG& message) = 0;
    virtual void OnToggleEnabled(const MSG& message) = 0;

protected:
    ~ITableKeyHandler() = default;
};
