#include "form/Prompts.h"

#include "form/FailureText.h"
#include "resources/Texts.h"
#include "ui/MessageBox.h"

#include <string>

namespace
{
int Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags)
{
    return ShowMessageBox(owner, text, caption, flags);
}

void Error(HWND owner, const wchar_t* text)
{
    Show(owner, text, texts::kError, MB_OK | MB_ICONERROR);
}

bool YesNo(HWND owner, const wchar_t* text, const wchar_t* caption)
{
    return Show(owner, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
} // namespace

void ReportReadFailure(HWND owner, const CFileFailure& failure)
{
    Error(owner, LoadFailureText(failure).c_str());
}

void ReportWriteFailure(HWND owner, const CFileFailure& failure)
{
    Error(owner, SaveFailureText(failure).c_str());
}

void ReportFileNotFound(HWND owner)
{
    Error(owner, texts::kFileNotFound);
}

void ReportTemplateEmpty(HWND owner)
{
    Error(owner, texts::kTemplateEmpty);
}

void ReportReadOnlyUnchanged(HWND owner)
{
    Error(owner, texts::kReadOnlyUnchanged);
}

void ReportNoMemory(HWND owner)
{
    Error(owner, texts::kStoppedNoMemory);
}

void ReportRecordNotFound(HWND owner)
{
    Show(owner, texts::kRecordNotFound, texts::kInformation, MB_OK | MB_ICONINFORMATION);
}

void ReportNothingToPaste(HWND owner)
{
    Show(owner, texts::kNothingToPaste, texts::kInformation, MB_OK | MB_ICONINFORMATION);
}

void TellSkinResetAfterRestart(HWND owner)
{
    Show(owner, texts::kSkinResetAfterRestart, texts::kInformation, MB_OK | MB_ICONINFORMATION);
}

bool AskSaveReadOnly(HWND owner)
{
    return YesNo(owner, texts::kSaveReadOnly, texts::kConfirmation);
}

bool AskSaveDefaultOverReadOnly(HWND owner)
{
    return YesNo(owner, texts::kSaveDefaultReadOnly, texts::kConfirmationBlank);
}

bool AskOverwriteChangedFile(HWND owner)
{
    return YesNo(owner, texts::kOverwriteChanged, texts::kConfirmation);
}

bool AskRevertToDefault(HWND owner)
{
    return YesNo(owner, texts::kRevertToDefault, texts::kConfirmation);
}

bool AskDeleteRecords(HWND owner, size_t count)
{
    const std::wstring question =
        count > 1 ? texts::kDeleteRecordsBefore + std::to_wstring(count) + texts::kDeleteRecordsAfter
                  : std::wstring(texts::kDeleteRecord);
    // Only Yes deletes: a box ended otherwise (a WM_QUIT, a session's end) agreed to nothing.
    return YesNo(owner, question.c_str(), texts::kConfirmationBlank);
}

int AskSaveBeforeSwitching(HWND owner)
{
    return Show(owner, texts::kSaveBeforeSwitching, texts::kConfirmationBlank, MB_YESNOCANCEL | MB_ICONQUESTION);
}

int AskSaveBeforeRefreshing(HWND owner)
{
    return Show(owner, texts::kSaveBeforeRefreshing, texts::kConfirmation, MB_YESNOCANCEL | MB_ICONQUESTION);
}
