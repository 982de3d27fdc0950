#include "ui/ExceptionBarrier.h"

#include "resources/Texts.h"
#include "ui/MessageBox.h"

#include <string>

void ReportStoppedOperation(const std::exception* error)
{
    // Kept short of allocations: memory may be what ran out.
    if (!error)
    {
        ShowMessageBox(nullptr, texts::kStoppedNoMemory, texts::kError, MB_OK | MB_ICONERROR | MB_TASKMODAL);
        return;
    }
    std::wstring text = texts::kStoppedBecause;
    for (const char* c = error->what(); *c; ++c)
        text += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    ShowMessageBox(nullptr, text.c_str(), texts::kError, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}
