#include "editing/ColumnSizing.h"
#include "tests/wine/common/CaseTable.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct ShareCase : NamedCase
{
    int available;
    std::vector<ColumnShare> columns;
    std::vector<int> expected;
};
using ShareWidthTable = CaseTest<ShareCase>;

// Host and Comment as the table has them: 280 to 180, captions about 40 and 60 pixels wide.
const ColumnShare kHost = {280, 40};
const ColumnShare kComment = {180, 62};
} // namespace

TEST_P(ShareWidthTable, GivesEachColumnItsPart)
{
    const ShareCase& c = GetParam();
    EXPECT_EQ(c.expected, ShareWidth(c.available, c.columns));
}

CASE_TABLE(Columns, ShareWidthTable, ShareCase{{"TheInitialWidthsFitExactly"}, 460, {kHost, kComment}, {280, 180}},
           ShareCase{{"WiderKeepsTheRatio"}, 540, {kHost, kComment}, {329, 211}},
           ShareCase{{"AnOddPixelGoesWhereItRoundsTo"}, 461, {kHost, kComment}, {281, 180}},
           ShareCase{{"HalfAPixelRoundsUpAndTheSumStays"}, 5, {{1, 0}, {1, 0}}, {3, 2}},
           ShareCase{{"NarrowerKeepsTheRatio"}, 230, {kHost, kComment}, {140, 90}},
           ShareCase{{"TheSecondAtItsMinimumTheFirstTakesTheRest"}, 150, {kHost, {180, 70}}, {80, 70}},
           ShareCase{{"TheFirstAtItsMinimumTheSecondTakesTheRest"}, 200, {{1, 40}, {9, 0}}, {40, 160}},
           ShareCase{{"BothAtTheirMinimumsWhenTooNarrow"}, 50, {kHost, kComment}, {40, 62}},
           ShareCase{{"NothingLeft"}, 0, {kHost, kComment}, {40, 62}},
           ShareCase{{"FixedColumnsWiderThanTheList"}, -300, {kHost, kComment}, {40, 62}},
           ShareCase{{"ThePinnedOneLeavesTheOthersTheirRatio"}, 120, {{1, 0}, {2, 0}, {3, 100}}, {7, 13, 100}},
           ShareCase{{"APinnedOneCanPinAnotherInALaterRound"}, 95, {{2, 0}, {1, 60}, {8, 30}}, {5, 60, 30}},
           ShareCase{{"WithoutWeightsAlike"}, 10, {{0, 0}, {0, 0}}, {5, 5}},
           ShareCase{{"NegativeWeightCountsAsNone"}, 10, {{-4, 0}, {1, 0}}, {0, 10}},
           ShareCase{{"NegativeMinimumCountsAsNone"}, -10, {{1, -5}}, {0}},
           ShareCase{{"OneColumnTakesAll"}, 333, {kComment}, {333}}, ShareCase{{"NoColumns"}, 100, {}, {}},
           ShareCase{{"HugeWidthAddsUpExactly"}, 2000000001, {kHost, kComment}, {1217391305, 782608696}});
