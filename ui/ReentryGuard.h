#pragma once

// A page inside someone else's program runs the host's code whenever it shows a modal window
// (the window's loop dispatches the host's timers and input) or calls one of the host's
// objects, and that code may close, hide, reload or destroy the page meanwhile. The page
// counts what voids its work in progress (its generation) and how deep it is in such calls.
class CReentryCounter
{
public:
    unsigned Generation() const { return m_generation; }
    // Whatever the page was in the middle of is void from now on.
    void Advance() { ++m_generation; }
    // The host's code runs above one of the page's own frames: the page must not go now.
    bool InHostCode() const { return m_depth > 0; }

private:
    friend class CReentryGuard;
    unsigned m_generation = 0;
    int m_depth = 0;
};

// Held across one modal window or one call into the host. (When the window has ended, the
// focus comes back to the page through CFocusKeeper.)
class CReentryGuard
{
public:
    explicit CReentryGuard(CReentryCounter& counter);
    ~CReentryGuard() { End(); }
    CReentryGuard(const CReentryGuard&) = delete;
    CReentryGuard& operator=(const CReentryGuard&) = delete;

    // The call has returned: true when nothing voided the page's work meanwhile.
    bool End();

private:
    CReentryCounter& m_counter;
    const unsigned m_generation;
    bool m_ended = false;
};
