#pragma once

// The messages for a failed load or save: each says what is wrong and, where it can, where.
// A file that cannot be opened or written keeps the long-standing texts.

#include "hosts/HostsFileFailure.h"

#include <string>

std::wstring LoadFailureText(const CFileFailure& failure);
std::wstring SaveFailureText(const CFileFailure& failure);
// "N MB", at least 1: the size a memory message names.
std::wstring MegabytesText(uint64_t bytes);
