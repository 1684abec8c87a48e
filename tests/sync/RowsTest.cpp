#include "sync/Rows.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Nimbra;
using namespace Nimbra::Sync;

namespace {

// A timeline at the content's tempo whose only curve steps to r on every row r, so that
// evaluateCurve itself tells which row it uses at a time.
struct RowProbe {
    Timeline timeline;
    explicit RowProbe(uint32_t rows)
    {
        timeline.bpm = 125.0f;
        timeline.rowsPerBeat = 8;
        timeline.curves.resize(1);
        for (uint32_t row = 0; row <= rows; ++row)
            timeline.curves.at(0)->keys.push(Keyframe{row, float(row), 0});
    }
    uint32_t evaluatedRow(float seconds) const { return uint32_t(evaluateCurve(timeline, 0, seconds)); }
};

}  // namespace

TEST(Rows, RowAtIsTheRowEvaluateCurveUses)
{
    RowProbe probe(2200);
    for (float seconds = 0.0f; seconds < 130.0f; seconds += 0.0137f)
        ASSERT_EQ(rowAt(probe.timeline, seconds), probe.evaluatedRow(seconds)) << seconds;
    // 0.06 s is one row on paper but 0.99999994 rows in single precision.
    EXPECT_EQ(rowAt(probe.timeline, 0.06f), 0u);
    EXPECT_EQ(rowAt(probe.timeline, 1.5f), 25u);
    EXPECT_EQ(rowAt(probe.timeline, -3.0f), 0u);
    EXPECT_EQ(rowAt(probe.timeline, NAN), 0u);
}

TEST(Rows, SecondsForRowIsTheFirstMomentOfTheRow)
{
    RowProbe probe(1800);
    for (uint32_t row = 0; row <= 1800; ++row) {
        const float seconds = secondsForRow(probe.timeline, row);
        ASSERT_EQ(probe.evaluatedRow(seconds), row) << row;
        if (row > 0) {
            ASSERT_EQ(probe.evaluatedRow(std::nextafter(seconds, 0.0f)), row - 1) << row;
        }
    }
    // Row 1 by plain division would land on row 0.
    EXPECT_GT(secondsForRow(probe.timeline, 1), 0.06f);
    EXPECT_EQ(secondsForRow(probe.timeline, 0), 0.0f);
}

TEST(Rows, LargeRowsAndAMissingTempoStayBounded)
{
    RowProbe probe(0);
    // Far out a float step spans about a row: the answer is the first time on or past the row.
    const uint32_t top = 1u << 24;
    const float seconds = secondsForRow(probe.timeline, top);
    EXPECT_GE(rowAt(probe.timeline, seconds), top);
    EXPECT_LT(rowAt(probe.timeline, std::nextafter(seconds, 0.0f)), top);
    probe.timeline.bpm = 0.0f;
    EXPECT_EQ(secondsForRow(probe.timeline, 100), 0.0f);
}
