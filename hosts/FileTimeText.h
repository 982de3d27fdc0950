#pragma once

#include <string>

// "dd.mm.yyyy hh:mm:ss" of a file's last write in local time, or "unknown".
std::wstring FormatFileTime(const std::wstring& path);
