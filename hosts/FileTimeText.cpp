#include "hosts/FileTimeText.h"

#include "resources/Texts.h"
#include "win32/UniqueHandle.h"

#include <cwchar>

std::wstring FormatFileTime(const std::wstring& path)
{
    CFileHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return texts::kUnknownTime;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.Get(), &info))
        return texts::kUnknownTime;
    SYSTEMTIME utc;
    if (!FileTimeToSystemTime(&info.ftLastWriteTime, &utc))
        return texts::kUnknownTime;
    // TIME_ZONE_ID_UNKNOWN (0) is a valid answer for zones without daylight saving; only
    // TIME_ZONE_ID_INVALID means there is nothing to convert with.
    SYSTEMTIME shown = utc;
    TIME_ZONE_INFORMATION zone;
    if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID)
    {
        SYSTEMTIME local;
        if (SystemTimeToTzSpecificLocalTime(&zone, &utc, &local))
            shown = local;
    }
    wchar_t text[64];
    swprintf(text, 64, L"%02d.%02d.%04d %02d:%02d:%02d", shown.wDay, shown.wMonth, shown.wYear, shown.wHour,
             shown.wMinute, shown.wSecond);
    return text;
}
