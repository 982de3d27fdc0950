#include "editing/ColumnSizing.h"

#include <algorithm>
#include <cmath>

namespace
{
// No column is narrower than nothing, and a negative weight counts as none.
int Minimum(const ColumnShare& column)
{
    return std::max(column.minimum, 0);
}

long long Weight(const ColumnShare& column)
{
    return std::max(column.weight, 0);
}
} // namespace

std::vector<int> ShareWidth(int available, const std::vector<ColumnShare>& columns)
{
    const size_t count = columns.size();
    std::vector<int> widths(count, 0);
    std::vector<bool> pinned(count, false);
    // Each round pins the columns that fell below their minimum. Pinning one only leaves less
    // for the others, so a column below its minimum now stays below it: pin them all at once.
    for (;;)
    {
        long long rest = available;
        long long totalWeight = 0;
        size_t open = 0;
        for (size_t i = 0; i < count; ++i)
        {
            if (pinned[i])
                rest -= Minimum(columns[i]);
            else
            {
                totalWeight += Weight(columns[i]);
                ++open;
            }
        }
        if (open == 0)
            break;
        // Rounded at the running edges, not per column, so the widths add up to the rest.
        long long runningWeight = 0;
        long long runningIndex = 0;
        long long previousEdge = 0;
        for (size_t i = 0; i < count; ++i)
        {
            if (pinned[i])
                continue;
            runningWeight += Weight(columns[i]);
            ++runningIndex;
            // Without weights the columns share alike.
            const double part = totalWeight > 0 ? static_cast<double>(runningWeight) / static_cast<double>(totalWeight)
                                                : static_cast<double>(runningIndex) / static_cast<double>(open);
            const long long edge = std::llround(static_cast<double>(rest) * part);
            widths[i] = static_cast<int>(edge - previousEdge);
            previousEdge = edge;
        }
        bool pinnedAny = false;
        for (size_t i = 0; i < count; ++i)
        {
            if (!pinned[i] && widths[i] < Minimum(columns[i]))
            {
                pinned[i] = true;
                widths[i] = Minimum(columns[i]);
                pinnedAny = true;
            }
        }
        if (!pinnedAny)
            break;
    }
    return widths;
}
