#pragma once

#include "hosts/HostsFileFailure.h"

#include <windows.h>

#include <cstddef>

// The editor's message boxes, each named for what it says; `owner` is the page.
// Questions with Yes and No answer true for Yes; those with Cancel too give the button's id.
void ReportReadFailure(HWND owner, const CFileFailure& failure);
void ReportWriteFailure(HWND owner, const CFileFailure& failure);
void ReportFileNotFound(HWND owner);
void ReportTemplateEmpty(HWND owner);
void ReportRecordNotFound(HWND owner);
void ReportNothingToPaste(HWND owner);
void ReportReadOnlyUnchanged(HWND owner);
void ReportNoMemory(HWND owner);
void TellSkinResetAfterRestart(HWND owner);
bool AskSaveReadOnly(HWND owner);
bool AskSaveDefaultOverReadOnly(HWND owner);
bool AskOverwriteChangedFile(HWND owner);
bool AskRevertToDefault(HWND owner);
bool AskDeleteRecords(HWND owner, size_t count);
int AskSaveBeforeSwitching(HWND owner);
int AskSaveBeforeRefreshing(HWND owner);
