#pragma once

#include <vector>

// A column that takes a part of the width the other columns leave.
struct ColumnShare
{
    int weight;  // the widths keep the ratio of the weights
    int minimum; // narrower than this the caption no longer fits
};

// The widths of the sharing columns: `available` split in the ratio of their weights, the sum
// exactly `available`. A column that would fall below its minimum gets the minimum and the
// others share the rest; only then can the sum exceed `available`.
std::vector<int> ShareWidth(int available, const std::vector<ColumnShare>& columns);
