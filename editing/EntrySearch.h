#pragma once

#include "hosts/HostsDocument.h"

#include <string>

// `*` any run of characters (also none), `?` any one character, everything else itself,
// ignoring case; the whole subject must match.
bool WildcardMatch(const std::wstring& pattern, const std::wstring& subject);

// The first entry from `start` on (direction 1 down, else up) that every non-empty pattern
// matches: the address pattern the whole address, the host and comment patterns anywhere in
// their field. -1 when none does, or when all three patterns are empty.
int FindEntry(const CHostsDocument& model, int start, int direction, const std::wstring& address,
              const std::wstring& host, const std::wstring& comment);
