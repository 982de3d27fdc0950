#pragma once

// No exception may cross into frames of the system or the host (window, hook and thread
// procedures, the module's exports): each such entry point runs its body through here. What
// is caught is reported to the user; the entry point answers `failed`.

#include <exception>
#include <new>

// Tells the user that the operation stopped: for lack of memory, or for the exception's reason.
void ReportStoppedOperation(const std::exception* error);

template <class Result, class Body>
Result CatchAtBoundary(Result failed, Body&& body) noexcept
{
    try
    {
        return body();
    }
    catch (const std::bad_alloc&)
    {
        ReportStoppedOperation(nullptr);
    }
    catch (const std::exception& error)
    {
        ReportStoppedOperation(&error);
    }
    return failed;
}

template <class Body>
void CatchAtBoundary(Body&& body) noexcept
{
    CatchAtBoundary(0, [&body] {
        body();
        return 0;
    });
}
