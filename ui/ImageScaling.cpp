#include "ui/ImageScaling.h"

#include <algorithm>
#include <cmath>

namespace
{
struct Sample
{
    int low;
    int high;
    double weight; // of `high`
};

// Where a destination pixel's centre falls between two source pixels.
Sample SampleAt(int index, int from, int to)
{
    const double position = (index + 0.5) * from / to - 0.5;
    const double clamped = std::min(std::max(position, 0.0), static_cast<double>(from - 1));
    const int low = static_cast<int>(std::floor(clamped));
    return {low, std::min(low + 1, from - 1), clamped - low};
}
} // namespace

void ScaleBgraSquare(const BYTE* in, int from, BYTE* out, int to, size_t outStride)
{
    const size_t inStride = static_cast<size_t>(from) * 4;
    for (int y = 0; y < to; ++y)
    {
        const Sample row = SampleAt(y, from, to);
        BYTE* target = out + static_cast<size_t>(y) * outStride;
        for (int x = 0; x < to; ++x)
        {
            const Sample column = SampleAt(x, from, to);
            const size_t top = static_cast<size_t>(row.low) * inStride;
            const size_t bottom = static_cast<size_t>(row.high) * inStride;
            const size_t left = static_cast<size_t>(column.low) * 4;
            const size_t right = static_cast<size_t>(column.high) * 4;
            const BYTE* corners[4] = {in + top + left, in + top + right, in + bottom + left, in + bottom + right};
            const double weights[4] = {(1 - row.weight) * (1 - column.weight), (1 - row.weight) * column.weight,
                                       row.weight * (1 - column.weight), row.weight * column.weight};
            double alpha = 0;
            double colour[3] = {};
            for (int k = 0; k < 4; ++k)
            {
                const double a = weights[k] * corners[k][3];
                alpha += a;
                for (int c = 0; c < 3; ++c)
                    colour[c] += a * corners[k][c];
            }
            BYTE* pixel = target + static_cast<size_t>(x) * 4;
            for (int c = 0; c < 3; ++c)
                pixel[c] = alpha > 0 ? static_cast<BYTE>(std::lround(colour[c] / alpha)) : 0;
            pixel[3] = static_cast<BYTE>(std::lround(alpha));
        }
    }
}
