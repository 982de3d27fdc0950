#include "controls/ProgressBarMath.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace
{
// Truncation toward zero, saturated: positions and percentages can come from any int the caller sends.
int TruncateToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

int Saturate(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// extent × fraction truncated toward zero; a position far outside the range must not overflow.
long long Length(int extent, double fraction)
{
    const double length = static_cast<double>(extent) * fraction;
    if (std::isnan(length))
        return 0;
    return static_cast<long long>(std::clamp(length, -1e15, 1e15));
}

int Within(long long value, int low, int high)
{
    return static_cast<int>(std::clamp<long long>(value, low, std::max(low, high)));
}
} // namespace

int CProgressBarMath::MarqueeEnd(int nMax, int nMarqueePercent)
{
    return TruncateToInt(((100.0 + nMarqueePercent) * nMax + 0.5) / 100.0);
}

int CProgressBarMath::ClampPosition(int nPos, int nMin, int upper)
{
    if (nPos < nMin)
        nPos = nMin;
    if (nPos > upper)
        nPos = upper;
    return nPos;
}

int CProgressBarMath::AddPositions(int nPos, int delta)
{
    return Saturate(static_cast<long long>(nPos) + delta);
}

int CProgressBarMath::StepIt(int nPos, int nStep, int nMin, int nMax)
{
    long long next = static_cast<long long>(nPos) + nStep;
    if (next < nMin)
        next = nMax - (nMin - next);
    else if (next > nMax)
        next = nMin + (next - nMax);
    return Saturate(next);
}

std::uint32_t CProgressBarMath::PackRange(int nMin, int nMax)
{
    return (static_cast<std::uint32_t>(static_cast<std::uint16_t>(nMax)) << 16) | static_cast<std::uint16_t>(nMin);
}

double CProgressBarMath::Fraction(int nPos, int nMin, int nMax)
{
    if (nMin >= nMax)
        return 0.0;
    return (static_cast<double>(nPos) - nMin) / (static_cast<double>(nMax) - nMin);
}

int CProgressBarMath::Percent(double fraction)
{
    return TruncateToInt(fraction * 100.0 + 0.5);
}

CProgressBarMath::Parts CProgressBarMath::Split(const Rect& inner, double fraction, bool vertical, bool marquee,
                                                int nMarqueePercent)
{
    const int extent = std::max(0, vertical ? inner.bottom - inner.top : inner.right - inner.left);
    const long long length = Length(extent, fraction);
    const int L = inner.left, T = inner.top, R = inner.right, B = inner.bottom;
    Parts parts;
    if (!marquee)
    {
        // A position outside the range (the range changed under it) fills nothing or everything,
        // never the frame around the bar.
        const int filled = Within(length, 0, extent);
        if (vertical)
        {
            parts.bar = {L, B - filled, R, B};
            parts.after = Rect{L, T, R, B - filled};
        }
        else
        {
            parts.bar = {L, T, L + filled, B};
            parts.after = Rect{L + filled, T, R, B};
        }
        return parts;
    }

    const long long block = std::max(0LL, (static_cast<long long>(extent) * nMarqueePercent + 50) / 100);
    if (vertical)
    {
        const long long top = B - length;
        const long long bottom = top + block;
        if (B - bottom > 0)
            parts.before = Rect{L, Within(bottom, T, B), R, B};
        if (top - T > 0)
            parts.after = Rect{L, T, R, Within(top, T, B)};
        parts.bar = {L, Within(top, T, B), R, Within(bottom, T, B)};
    }
    else
    {
        const long long end = L + length;
        const long long start = end - block;
        if (start - L > 0)
            parts.before = Rect{L, T, Within(start, L, R), B};
        if (R - end > 0)
            parts.after = Rect{Within(end, L, R), T, R, B};
        parts.bar = {Within(start, L, R), T, Within(end, L, R), B};
    }
    return parts;
}

CProgressBarMath::Point CProgressBarMath::TextOrigin(const Rect& inner, int cx, int cy, int nTextAlign, bool vertical)
{
    const int L = inner.left, T = inner.top, R = inner.right, B = inner.bottom;
    if (vertical)
    {
        const int x = L + (R - L - cy) / 2;
        if (nTextAlign == 0)
            return {x, B - 3};
        if (nTextAlign == 2)
            return {x, T + cx + 2};
        return {x, T + cx + (B - T - cx) / 2};
    }
    const int y = T + (B - T - cy) / 2;
    if (nTextAlign == 0)
        return {L + 2, y};
    if (nTextAlign == 2)
        return {R - cx - 3, y};
    return {L + (R - L - cx) / 2, y};
}
