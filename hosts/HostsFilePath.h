#pragma once

#include <string>

// The hosts file path from the TCP/IP parameters ("DataBasePath" plus "hosts"), not yet expanded;
// empty when the value is missing or unusable.
std::wstring GetHostsFilePath();
