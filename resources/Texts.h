#pragma once

// Every text the user reads in a message box, in one place: the exact wording matters to
// users and to the hosts that answer these boxes by their text.
namespace texts
{
// Captions. One of the two confirmations carries a trailing blank: both are kept as users
// have always seen them.
inline constexpr wchar_t kError[] = L"Error";
inline constexpr wchar_t kWarning[] = L"Warning";
inline constexpr wchar_t kInformation[] = L"Information";
inline constexpr wchar_t kConfirmation[] = L"Confirmation";
inline constexpr wchar_t kConfirmationBlank[] = L"Confirmation ";

// Loading and saving.
inline constexpr wchar_t kCannotRead[] = L"Can't read hosts file! ";
inline constexpr wchar_t kCannotWrite[] = L"Can't write to hosts file! ";
inline constexpr wchar_t kReadBlocked[] = L"Probably, file is exclusively blocked by other application. ";
inline constexpr wchar_t kWriteBlocked[] = L"Probably, file is exclusively blocked by other application.";
inline constexpr wchar_t kFileNotFound[] = L"\"Hosts\" file is not found. It will be created with default content.";
inline constexpr wchar_t kTemplateEmpty[] = L"Default hosts file template is empty! ";
inline constexpr wchar_t kSaveReadOnly[] = L"Hosts file is \"read-only\". Ignore and save?";
inline constexpr wchar_t kSaveDefaultReadOnly[] = L"File is \"read-only\". Ignore and save?";
inline constexpr wchar_t kOverwriteChanged[] =
    L"Hosts file was changed by another program after it was loaded. Overwrite it with your changes?";
inline constexpr wchar_t kSaveBeforeSwitching[] =
    L"Hosts file (and/or its \"read-only\" attribute) was changed. Save changes before switching?";
inline constexpr wchar_t kSaveBeforeRefreshing[] =
    L"Hosts file (and/or its \"read-only\" attribute) was changed. Save changes, before refreshing data?";
inline constexpr wchar_t kRevertToDefault[] =
    L"Do you want to change current hosts file to default hosts file (current file will be deleted)?";

// Records and search.
inline constexpr wchar_t kDeleteRecord[] = L"Are you sure you want to delete selected record?";
inline constexpr wchar_t kDeleteRecordsBefore[] = L"Are you sure you want to delete ";
inline constexpr wchar_t kDeleteRecordsAfter[] = L" selected records?";
inline constexpr wchar_t kRecordNotFound[] = L"Record not found";

// Skins and settings.
inline constexpr wchar_t kSkinResetAfterRestart[] = L"Skin will be reset to default after application restart";
inline constexpr wchar_t kBadSettingsFile[] = L"Bad settings file!\nAll settings will be set to default values.";
inline constexpr wchar_t kOldSettingsFile[] =
    L"Can't get some of settings: old version of configuration file!\n\n"
    L"Convertation at this moment is not supported.\nAll settings will be set to default values.";

// An operation stopped by a failure nothing else caught.
inline constexpr wchar_t kStoppedNoMemory[] = L"Not enough memory: the operation was stopped.";
inline constexpr wchar_t kStoppedBecause[] = L"The operation was stopped: ";
} // namespace texts
