#include "ui/ExceptionBarrier.h"

#include "ui/MessageBox.h"

#include <string>

void ReportStoppedOperation(const std::exception* error)
{
    // Kept short of allocations: memory may be what ran out.
    if (!error)
    {
        ShowMessageBox(nullptr, L"Not enough memory: the operation was stopped.", L"Error",
                       MB_OK | MB_ICONERROR | MB_TASKMODAL);
        return;
    }
    std::wstring text = L"The operation was stopped: ";
    for (const char* c = error->what(); *c; ++c)
        text += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    ShowMessageBox(nullptr, text.c_str(), L"Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}
