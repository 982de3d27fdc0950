#include "ui/MessageBox.h"

#include "ui/ActivationContext.h"

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags)
{
    CActivationScope scope;
    return MessageBoxW(owner, text, caption, flags);
}
