#pragma once

#include <cstdint>
#include <optional>

// The arithmetic of the text progress bar, kept apart from Windows so that it can be tested natively.
class CProgressBarMath
{
public:
    struct Rect
    {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;

        friend bool operator==(const Rect& a, const Rect& b)
        {
            return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
        }
    };

    struct Point
    {
        int x = 0;
        int y = 0;

        friend bool operator==(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }
    };

    // The inner rectangle cut into the bar (or marquee block) and the empty parts on either side of it.
    // "Before" is where the bar starts (left, or bottom when vertical), "after" where it is heading.
    struct Parts
    {
        std::optional<Rect> before;
        Rect bar;
        std::optional<Rect> after;

        friend bool operator==(const Parts& a, const Parts& b)
        {
            return a.before == b.before && a.bar == b.bar && a.after == b.after;
        }
    };

    // The last position of the marquee: the block has then run off the far end.
    static int MarqueeEnd(int nMax, int nMarqueePercent);
    // Below the minimum it becomes the minimum, above `upper` it becomes `upper`.
    static int ClampPosition(int nPos, int nMin, int upper);
    // Position plus delta without overflowing; the clamp happens afterwards.
    static int AddPositions(int nPos, int delta);
    // PBM_STEPIT's next position before the clamp: overshooting one end carries on from the other.
    static int StepIt(int nPos, int nStep, int nMin, int nMax);
    // PBM_SETRANGE's and PBM_SETRANGE32's result: the low words of the old bounds, max in the high word.
    static std::uint32_t PackRange(int nMin, int nMax);

    // How far the position is along the range; 0 for an empty or inverted range.
    static double Fraction(int nPos, int nMin, int nMax);
    static int Percent(double fraction);

    static Parts Split(const Rect& inner, double fraction, bool vertical, bool marquee, int nMarqueePercent);
    // Where the text of size cx by cy (unrotated) starts; a vertical text runs upward from it.
    // Alignment 0 is the start, 2 the end, anything else the centre.
    static Point TextOrigin(const Rect& inner, int cx, int cy, int nTextAlign, bool vertical);
};
