#include "controls/ProgressBarMath.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <vector>

using M = CProgressBarMath;
using Rect = M::Rect;

void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace
{
struct ValueCase
{
    const char* what;
    long long actual;
    long long expected;
};

TEST(ProgressBarMath, PositionArithmetic)
{
    const std::vector<ValueCase> cases = {
        {"marquee end, default size and range", M::MarqueeEnd(100, 20), 120},
        {"marquee end follows the maximum", M::MarqueeEnd(50, 20), 60},
        {"marquee end without a block", M::MarqueeEnd(100, 0), 100},
        {"marquee end truncates 8.405", M::MarqueeEnd(7, 20), 8},
        {"marquee end truncates toward zero", M::MarqueeEnd(-100, 20), -119},
        {"marquee end saturates", M::MarqueeEnd(INT_MAX, 20), INT_MAX},

        {"position above the range", M::ClampPosition(150, 0, 100), 100},
        {"position below the range", M::ClampPosition(-5, 0, 100), 0},
        {"position inside the range", M::ClampPosition(37, 0, 100), 37},
        {"marquee accepts its end", M::ClampPosition(120, 0, M::MarqueeEnd(100, 20)), 120},
        {"marquee clamps past its end", M::ClampPosition(121, 0, M::MarqueeEnd(100, 20)), 120},
        {"delta", M::AddPositions(75, -20), 55},
        {"delta does not overflow", M::AddPositions(INT_MAX, 1), INT_MAX},
        {"delta does not underflow", M::AddPositions(INT_MIN, -1), INT_MIN},

        {"step past the maximum wraps", M::StepIt(95, 10, 0, 100), 5},
        {"negative step past the minimum wraps", M::StepIt(5, -10, 0, 100), 95},
        {"step onto the maximum stays", M::StepIt(90, 10, 0, 100), 100},
        {"step onto the minimum stays", M::StepIt(10, -10, 0, 100), 0},
        {"wrap starts from the minimum", M::StepIt(95, 10, 50, 100), 55},
        {"a huge step does not overflow", M::StepIt(INT_MAX, INT_MAX, 0, INT_MAX), INT_MAX},

        {"old range 0..100", M::PackRange(0, 100), 0x00640000},
        {"old range keeps only the low words", M::PackRange(-10, 70000), 0x1170FFF6},

        {"defaults show 0%", M::Percent(M::Fraction(0, 0, 100)), 0},
        {"37 of 100", M::Percent(M::Fraction(37, 0, 100)), 37},
        {"half a percent rounds up", M::Percent(M::Fraction(1, 0, 200)), 1},
        {"2 of 3 rounds up", M::Percent(M::Fraction(2, 0, 3)), 67},
        {"1 of 3 rounds down", M::Percent(M::Fraction(1, 0, 3)), 33},
        {"range with an offset", M::Percent(M::Fraction(75, 50, 150)), 25},
        {"marquee end", M::Percent(M::Fraction(120, 0, 100)), 120},
        {"below the range truncates toward zero", M::Percent(M::Fraction(-1, 0, 200)), 0},
        {"further below the range", M::Percent(M::Fraction(-3, 0, 200)), -1},
        {"whole int range", M::Percent(M::Fraction(INT_MAX, INT_MIN, INT_MAX)), 100},
        {"empty range", M::Percent(M::Fraction(5, 5, 5)), 0},
        {"inverted range", M::Percent(M::Fraction(5, 10, 0)), 0},
        {"percentage saturates", M::Percent(M::Fraction(INT_MAX, 0, 1)), INT_MAX},
    };
    for (const ValueCase& c : cases)
        EXPECT_EQ(c.actual, c.expected) << c.what;
}

struct SplitCase
{
    const char* what;
    Rect inner;
    double fraction;
    bool vertical;
    bool marquee;
    int percent;
    M::Parts expected;
};

struct OriginCase
{
    const char* what;
    Rect inner;
    int cx;
    int cy;
    int align;
    bool vertical;
    M::Point expected;
};

TEST(ProgressBarMath, PartsAndTextOrigin)
{
    const Rect wide{2, 2, 102, 22};
    const Rect tall{2, 2, 22, 102};
    // clang-format off
    const std::vector<SplitCase> splits = {
        {"empty bar", wide, 0.0, false, false, 20, {{}, {2, 2, 2, 22}, Rect{2, 2, 102, 22}}},
        {"37%", wide, 0.37, false, false, 20, {{}, {2, 2, 39, 22}, Rect{39, 2, 102, 22}}},
        {"99.9% truncates", wide, 0.999, false, false, 20, {{}, {2, 2, 101, 22}, Rect{101, 2, 102, 22}}},
        {"full bar keeps an empty part after", wide, 1.0, false, false, 20, {{}, {2, 2, 102, 22}, Rect{102, 2, 102, 22}}},
        {"above the range stays inside", wide, 1.5, false, false, 20, {{}, {2, 2, 102, 22}, Rect{102, 2, 102, 22}}},
        {"below the range stays inside", wide, -0.2, false, false, 20, {{}, {2, 2, 2, 22}, Rect{2, 2, 102, 22}}},
        {"vertical grows upward", tall, 0.25, true, false, 20, {{}, {2, 77, 22, 102}, Rect{2, 2, 22, 77}}},
        {"vertical full", tall, 1.0, true, false, 20, {{}, {2, 2, 22, 102}, Rect{2, 2, 22, 2}}},

        {"marquee at the start", wide, 0.0, false, true, 20, {{}, {2, 2, 2, 22}, Rect{2, 2, 102, 22}}},
        {"marquee block cut at the start", wide, 0.1, false, true, 20, {{}, {2, 2, 12, 22}, Rect{12, 2, 102, 22}}},
        {"marquee in the middle", wide, 0.6, false, true, 20,
         {Rect{2, 2, 42, 22}, {42, 2, 62, 22}, Rect{62, 2, 102, 22}}},
        {"marquee touching the end", wide, 1.0, false, true, 20, {Rect{2, 2, 82, 22}, {82, 2, 102, 22}, {}}},
        {"marquee end leaves no block", wide, 1.2, false, true, 20, {Rect{2, 2, 102, 22}, {102, 2, 102, 22}, {}}},
        {"marquee end leaves one pixel", {0, 0, 99, 10}, 1.2, false, true, 20, {Rect{0, 0, 98, 10}, {98, 0, 99, 10}, {}}},
        {"block length rounds half up", {0, 0, 10, 4}, 0.5, false, true, 25,
         {Rect{0, 0, 2, 4}, {2, 0, 5, 4}, Rect{5, 0, 10, 4}}},
        {"marquee block of half the bar", wide, 0.6, false, true, 50,
         {Rect{2, 2, 12, 22}, {12, 2, 62, 22}, Rect{62, 2, 102, 22}}},
        {"vertical marquee at the start", tall, 0.0, true, true, 20, {{}, {2, 102, 22, 102}, Rect{2, 2, 22, 102}}},
        {"vertical marquee in the middle", tall, 0.6, true, true, 20,
         {Rect{2, 62, 22, 102}, {2, 42, 22, 62}, Rect{2, 2, 22, 42}}},
        {"vertical marquee end", tall, 1.2, true, true, 20, {Rect{2, 2, 22, 102}, {2, 2, 22, 2}, {}}},
    };
    // clang-format on
    for (const SplitCase& c : splits)
        EXPECT_EQ(M::Split(c.inner, c.fraction, c.vertical, c.marquee, c.percent), c.expected) << c.what;

    const Rect bar{2, 2, 198, 22};
    const Rect column{2, 2, 22, 152};
    const std::vector<OriginCase> origins = {
        {"start", bar, 50, 14, 0, false, {4, 5}},
        {"end", bar, 50, 14, 2, false, {145, 5}},
        {"centre", bar, 50, 14, 1, false, {75, 5}},
        {"any other alignment centres", bar, 50, 14, 7, false, {75, 5}},
        {"wider than the bar halves toward zero", bar, 251, 15, 1, false, {-25, 4}},
        {"vertical start is at the bottom", column, 50, 14, 0, true, {5, 149}},
        {"vertical end is at the top", column, 50, 14, 2, true, {5, 54}},
        {"vertical centre", column, 50, 14, 1, true, {5, 102}},
        {"vertical, longer than the bar", column, 151, 15, 1, true, {4, 153}},
    };
    for (const OriginCase& c : origins)
    {
        const M::Point origin = M::TextOrigin(c.inner, c.cx, c.cy, c.align, c.vertical);
        EXPECT_TRUE(origin == c.expected) << c.what << ": " << origin.x << "," << origin.y;
    }
}
} // namespace
