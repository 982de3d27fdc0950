#pragma once

// Every text the user reads, in one place: the exact wording matters to users and to the
// hosts and tests that find boxes, windows and buttons by their text.
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
// What is wrong with a file the code page cannot carry, or too large for memory; "%s" and
// "%d" are filled in as the comments say.
inline constexpr wchar_t kLineNumber[] = L"Line %d"; // the line at fault
inline constexpr wchar_t kSomeLine[] = L"A line";    // when its number is not known
inline constexpr wchar_t kUndefinedByte[] = L" holds a byte that is no character in the system's ANSI code page.";
inline constexpr wchar_t kNulByte[] =
    L" holds a NUL byte: the file is not 8-bit text (it may have been saved as Unicode).";
inline constexpr wchar_t kUnrepresentable[] =
    L" holds the character \"%s\" (%s), which the system's ANSI code page cannot hold.";        // it, and U+XXXX
inline constexpr wchar_t kNoMemoryToLoad[] = L"Not enough memory to load the hosts file (%s)."; // "N MB"
inline constexpr wchar_t kNoMemoryToSave[] = L"Not enough memory to save the hosts file (%s).";
inline constexpr wchar_t kMegabytes[] = L" MB";
inline constexpr wchar_t kNewContentKept[] =
    L"The file is missing now; its new content is kept in \"%s\"."; // that file's path
inline constexpr wchar_t kOldNotPutBack[] =
    L"The file may be incomplete: neither its new content nor its old one could be written whole.";
inline constexpr wchar_t kNewContentKeptBeside[] = L" Its new content is kept in \"%s\"."; // that file's path
inline constexpr wchar_t kReadOnlyUnchanged[] = L"Can't change the \"read-only\" attribute of the hosts file.";
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
inline constexpr wchar_t kNothingToPaste[] = L"The clipboard holds no hosts entries.";

// Skins and settings.
inline constexpr wchar_t kSkinResetAfterRestart[] = L"Skin will be reset to default after application restart";
inline constexpr wchar_t kBadSettingsFile[] = L"Bad settings file!\nAll settings will be set to default values.";
inline constexpr wchar_t kOldSettingsFile[] =
    L"Can't get some of settings: old version of configuration file!\n\n"
    L"Convertation at this moment is not supported.\nAll settings will be set to default values.";

// An operation stopped by a failure nothing else caught.
inline constexpr wchar_t kStoppedNoMemory[] = L"Not enough memory: the operation was stopped.";
inline constexpr wchar_t kStoppedBecause[] = L"The operation was stopped: ";
// The page.
inline constexpr wchar_t kToolbarTitle[] = L"Host editor";
inline constexpr wchar_t kRefresh[] = L"Refresh";
inline constexpr wchar_t kSaveChanges[] = L"Save changes";
inline constexpr wchar_t kDiscardChanges[] = L"Discard changes";
inline constexpr wchar_t kAddRecord[] = L"Add record";
inline constexpr wchar_t kDeleteRecordCommand[] = L"Delete record";
inline constexpr wchar_t kEditRecord[] = L"Edit record";
inline constexpr wchar_t kViewAsTable[] = L"View as table";
inline constexpr wchar_t kViewAsText[] = L"View as text";
inline constexpr wchar_t kSearch[] = L"Search";
inline constexpr wchar_t kRevertToDefaultCommand[] = L"Revert to default hosts file";
inline constexpr wchar_t kResetSkin[] = L"Enable/disable skin";
inline constexpr wchar_t kSelectSkin[] = L"Select skin";
inline constexpr wchar_t kAbout[] = L"About";
inline constexpr wchar_t kColumnEnabled[] = L"Enabled";
inline constexpr wchar_t kColumnAddress[] = L"IP Address";
inline constexpr wchar_t kColumnHost[] = L"Host";
inline constexpr wchar_t kColumnComment[] = L"Comment";
inline constexpr wchar_t kUnknownTime[] = L"unknown";

// Loading progress.
inline constexpr wchar_t kProgressCaption[] = L"Hosts file loading progress...";
inline constexpr wchar_t kReadingFormat[] = L"Reading hosts file records (%d of %d)";
inline constexpr wchar_t kShowingTextFormat[] = L"Showing hosts file as text (line %d of %d)";

// The record dialog: its captions, and the tip for a character a host name cannot hold.
inline constexpr wchar_t kAddRecordCaption[] = L"Add record";
inline constexpr wchar_t kEditRecordCaption[] = L"Edit record";
inline constexpr wchar_t kInputErrorTitle[] = L"Ошибка ввода";
inline constexpr wchar_t kInvalidCharacterFormat[] = L"%s - недопустимый символ";
// The source is UTF-8; a compiler reading it as anything else would show mojibake.
static_assert(kInputErrorTitle[0] == 0x041E && kInvalidCharacterFormat[5] == 0x043D, "source not read as UTF-8");

// The About dialog and the skin file dialog.
inline constexpr wchar_t kColumnFile[] = L"File";
inline constexpr wchar_t kColumnVersion[] = L"Version";
inline constexpr wchar_t kSkinFilter[] = L"Skin files (*.cjstyles,*.msstyles)\0 *.cjstyles;*.msstyles\0";
} // namespace texts
