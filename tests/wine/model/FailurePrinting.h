#pragma once

// Found by argument lookup, so that failed checks name what the model reports instead of
// printing its bytes.

#include "hosts/HostsFileAccess.h"

#include <ostream>

inline void PrintTo(FileFailureKind kind, std::ostream* os)
{
    static const char* const names[] = {"None", "Access", "UndefinedByte", "NulByte", "Unrepresentable", "OutOfMemory"};
    *os << names[static_cast<int>(kind)];
}

inline void PrintTo(ReadResult result, std::ostream* os)
{
    static const char* const names[] = {"Ok", "OpenFailed", "ReadFailed", "ConversionFailed", "NulByte", "OutOfMemory"};
    *os << names[static_cast<int>(result)];
}

inline void PrintTo(const CFileStamp& stamp, std::ostream* os)
{
    if (!stamp.exists)
        *os << "(no file)";
    else
        *os << "(written " << stamp.lastWrite << ", " << stamp.size << " bytes)";
}
