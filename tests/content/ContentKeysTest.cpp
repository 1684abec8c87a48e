#include "content/animation/ContentKeys.h"
#include "content/animation/ContentVariables.h"
#include "core/Timeline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

using namespace Nimbra;

namespace {

// What each curve of the choreography must hold: key count, first and last row, the smallest
// and largest value, and how many keys use each interpolation code.
struct CurveShape {
    uint32_t keys;
    uint32_t firstRow;
    uint32_t lastRow;
    float minValue;
    float maxValue;
    uint32_t codes[5];
};

const CurveShape expectedShapes[contentVariableCount] = {
    {2, 0, 256, 11.6f, 11.6f, {2, 0, 0, 0, 0}},        // 0 CameraPosX
    {2, 0, 256, -5.0f, -3.5f, {2, 0, 0, 0, 0}},        // 1 CameraPosY
    {3, 0, 256, -25.0f, -5.0f, {3, 0, 0, 0, 0}},       // 2 CameraPosZ
    {0, 0, 0, 0.0f, 0.0f, {0, 0, 0, 0, 0}},            // 3 CameraDirX
    {0, 0, 0, 0.0f, 0.0f, {0, 0, 0, 0, 0}},            // 4 CameraDirY
    {3, 0, 256, 5.0f, 25.0f, {3, 0, 0, 0, 0}},         // 5 CameraDirZ
    {3, 0, 256, 1.666f, 50.0f, {3, 0, 0, 0, 0}},       // 6 CameraFOV
    {0, 0, 0, 0.0f, 0.0f, {0, 0, 0, 0, 0}},            // 7 CameraRoll
    {4, 0, 256, 0.0001f, 50.0f, {3, 0, 0, 0, 1}},      // 8 WEIGHTSTNY
    {4, 0, 256, 3.0f, 4.0f, {2, 1, 0, 0, 1}},          // 9 BLRSTRENGHT
    {1, 0, 0, 0.475f, 0.475f, {0, 1, 0, 0, 0}},        // 10 FCSRANGE
    {0, 0, 0, 0.0f, 0.0f, {0, 0, 0, 0, 0}},            // 11 KRNSIZE
    {5, 0, 256, -3.0f, 5.0f, {3, 1, 0, 0, 1}},         // 12 FOCALDIST
    {2, 0, 640, 0.0f, 80.0f, {1, 1, 0, 0, 0}},         // 13 FRAME
    {5, 0, 256, 0.0f, 35.0f, {3, 0, 0, 1, 1}},         // 14 DOFBLUR
    {258, 0, 1792, 0.0f, 50.0f, {257, 0, 0, 0, 1}},    // 15 GLITCH
    {543, 0, 2167, -5.0f, 8.0f, {541, 0, 0, 2, 0}},    // 16 RSPEEDX
    {543, 0, 2167, -5.5f, 8.0f, {541, 0, 0, 2, 0}},    // 17 RSPEEDY
    {543, 0, 2167, -2.0f, 4.0f, {541, 0, 0, 2, 0}},    // 18 RSPEEDZ
    {7, 0, 640, 0.0f, 0.33f, {4, 0, 0, 2, 1}},         // 19 WAVEAMP
    {246, 0, 2175, 0.0f, 250.0f, {243, 0, 0, 1, 2}},   // 20 BRUS
    {7, 0, 1792, 0.0f, 1.0f, {3, 0, 1, 2, 1}},         // 21 BLANKOUT
    {536, 0, 2167, 1.25f, 500.0f, {534, 0, 0, 1, 1}},  // 22 INTERLACE
    {15, 0, 1919, -5000.0f, 205.0f, {8, 7, 0, 0, 0}},  // 23 L1_X_OFFSET
    {15, 0, 1919, -519.0f, 147.3f, {8, 7, 0, 0, 0}},   // 24 L1_Y_OFFSET
    {15, 0, 1919, -75.0f, 67.0f, {8, 7, 0, 0, 0}},     // 25 L1_Z_OFFSET
    {4, 0, 640, 0.6f, 0.6f, {3, 1, 0, 0, 0}},          // 26 L1_ROT_X
    {4, 0, 640, -1.59f, -0.75f, {3, 1, 0, 0, 0}},      // 27 L1_ROT_Y
    {4, 0, 640, 0.2f, 0.37f, {3, 1, 0, 0, 0}},         // 28 L1_ROT_Z
    {0, 0, 0, 0.0f, 0.0f, {0, 0, 0, 0, 0}},            // 29 L1_MIRROR_X
    {0, 0, 0, 0.0f, 0.0f, {0, 0, 0, 0, 0}},            // 30 L1_MIRROR_Y
    {1, 0, 0, 19.0f, 19.0f, {1, 0, 0, 0, 0}},          // 31 L1_FRAMECOUNT
    {0, 0, 0, 0.0f, 0.0f, {0, 0, 0, 0, 0}},            // 32 L1_START
    {1, 0, 0, 1.0f, 1.0f, {1, 0, 0, 0, 0}},            // 33 L1_MANUAL_OR
    {9, 0, 1663, 0.0f, 25.0f, {9, 0, 0, 0, 0}},        // 34 L1_FRAME
    {1, 0, 0, 22.79f, 22.79f, {1, 0, 0, 0, 0}},        // 35 L1_FPS
    {1, 0, 0, 1.0f, 1.0f, {1, 0, 0, 0, 0}},            // 36 L1_COL
    {1, 0, 0, 1.0f, 1.0f, {1, 0, 0, 0, 0}},            // 37 L1TEXT_R
    {1, 0, 0, 1.0f, 1.0f, {1, 0, 0, 0, 0}},            // 38 L1TEXT_G
    {1, 0, 0, 1.0f, 1.0f, {1, 0, 0, 0, 0}},            // 39 L1TEXT_B
    {1, 0, 0, 1.0f, 1.0f, {1, 0, 0, 0, 0}},            // 40 L1TEXT_A
    {2, 0, 640, 1.0f, 1.0f, {2, 0, 0, 0, 0}},          // 41 FRAMEMANUALOVERRIDE
    {0, 0, 0, 0.0f, 0.0f, {0, 0, 0, 0, 0}},            // 42 PTRNLNGHT
    {8, 896, 1665, -16.0f, 8.0f, {3, 5, 0, 0, 0}},     // 43 L1_ROW_X_OFFSET
    {6, 0, 257, 0.0f, 31.0f, {5, 1, 0, 0, 0}},         // 44 FLAT_L1_FRAME
    {7, 0, 257, 0.0f, 29.0f, {5, 2, 0, 0, 0}},         // 45 FLAT_L2_FRAME
    {7, 0, 258, 0.0f, 54.0f, {4, 3, 0, 0, 0}},         // 46 FLAT_L3_FRAME
    {839, 0, 1926, 0.0f, 50.0f, {838, 1, 0, 0, 0}},    // 47 FLAT_L4_FRAME
    {2, 256, 1920, 0.0f, 10.0f, {1, 1, 0, 0, 0}},      // 48 FLAT_L1_X_OFFSET
    {2, 256, 1920, 0.0f, 20.0f, {1, 1, 0, 0, 0}},      // 49 FLAT_L2_X_OFFSET
    {2, 256, 1920, 0.0f, 40.0f, {1, 1, 0, 0, 0}},      // 50 FLAT_L3_X_OFFSET
    {1, 256, 256, 0.0f, 0.0f, {1, 0, 0, 0, 0}},        // 51 FLAT_L4_X_OFFSET
    {2, 256, 400, -0.4f, -0.2f, {1, 1, 0, 0, 0}},      // 52 FLAT_L1_Y_OFFSET
    {2, 256, 366, -0.4f, -0.1f, {1, 1, 0, 0, 0}},      // 53 FLAT_L2_Y_OFFSET
    {3, 256, 422, -0.3f, -0.09f, {2, 1, 0, 0, 0}},     // 54 FLAT_L3_Y_OFFSET
    {3, 232, 266, 0.0f, 0.05f, {3, 0, 0, 0, 0}},       // 55 FLAT_L4_Y_OFFSET
    {1, 256, 256, 35.0f, 35.0f, {1, 0, 0, 0, 0}},      // 56 SCROLLERMAXBLUR
    {1, 128, 128, 0.0f, 0.0f, {0, 1, 0, 0, 0}},        // 57 FLAT_L1_Z_OFFSET
    {1, 128, 128, 0.0f, 0.0f, {1, 0, 0, 0, 0}},        // 58 FLAT_L2_Z_OFFSET
    {2, 128, 256, 0.0f, 0.0f, {1, 1, 0, 0, 0}},        // 59 FLAT_L3_Z_OFFSET
    {1, 128, 128, 0.0f, 0.0f, {0, 1, 0, 0, 0}},        // 60 FLAT_L4_Z_OFFSET
    {234, 20, 2136, 0.0f, 1.0f, {234, 0, 0, 0, 0}},    // 61 POST
    {234, 20, 2136, 0.0f, 1.0f, {234, 0, 0, 0, 0}},    // 62 NEGT
    {3, 0, 256, 0.25f, 2.25f, {2, 1, 0, 0, 0}},        // 63 LNWIDHT
};

struct ShippedTimeline : ::testing::Test {
    Timeline timeline;

    void SetUp() override { loadContentTimeline(timeline); }

    const GrowArray<Keyframe>& keys(uint32_t curve) const { return timeline.curves.at(curve)->keys; }

    // The key on `row`, or null.
    const Keyframe* keyAt(uint32_t curve, uint32_t row) const
    {
        for (const Keyframe& key : keys(curve)) {
            if (key.row == row)
                return &key;
        }
        return nullptr;
    }

    float valueOnKey(uint32_t curve, uint32_t row) const
    {
        const Keyframe* key = keyAt(curve, row);
        return key ? key->value : -12345.0f;
    }

    int32_t codeOnKey(uint32_t curve, uint32_t row) const
    {
        const Keyframe* key = keyAt(curve, row);
        return key ? key->interpolation : -1;
    }

    // The value the frame work writes for `curve` in the middle of `row`.
    float onRow(uint32_t curve, uint32_t row) const
    {
        return evaluateCurve(timeline, curve, (float(row) + 0.5f) * 0.06f);
    }
};

enum : uint32_t {
    FCSRANGE = 10,
    FRAME = 13,
    GLITCH = 15,
    RSPEEDX = 16,
    RSPEEDY = 17,
    RSPEEDZ = 18,
    BRUS = 20,
    INTERLACE = 22,
    L1_ROW_X_OFFSET = 43,
    FLAT_L4_FRAME = 47,
    POST = 61,
    NEGT = 62,
    WEIGHTSTNY = 8,
};

}  // namespace

TEST(ContentVariables, SixtyFourUniqueNamesWithTheirDefaults)
{
    std::set<std::string> names;
    for (const ContentVariable& variable : contentVariables) {
        ASSERT_NE(variable.name, nullptr);
        EXPECT_LT(std::strlen(variable.name), 256u);
        names.insert(variable.name);
    }
    EXPECT_EQ(names.size(), 64u);
    EXPECT_STREQ(contentVariables[0].name, "CameraPosX");
    EXPECT_STREQ(contentVariables[7].name, "CameraRoll");
    EXPECT_STREQ(contentVariables[9].name, "BLRSTRENGHT");
    EXPECT_STREQ(contentVariables[42].name, "PTRNLNGHT");
    EXPECT_STREQ(contentVariables[63].name, "LNWIDHT");
    EXPECT_EQ(contentVariables[8].defaultValue, 0.001f);
    EXPECT_EQ(contentVariables[11].defaultValue, 8.0f);
    EXPECT_EQ(contentVariables[12].defaultValue, -3.0f);
    EXPECT_EQ(contentVariables[18].defaultValue, 0.8f);
    EXPECT_EQ(contentVariables[42].defaultValue, 728000.0f);
    EXPECT_EQ(contentVariables[63].defaultValue, 0.0f);
}

TEST_F(ShippedTimeline, TempoAndCurveCount)
{
    EXPECT_EQ(timeline.bpm, 125.0f);
    EXPECT_EQ(timeline.rowsPerBeat, 8u);
    EXPECT_EQ(timeline.curves.count, contentVariableCount);
}

TEST_F(ShippedTimeline, EveryCurveHasItsShape)
{
    for (uint32_t curve = 0; curve < contentVariableCount; ++curve) {
        const CurveShape& expected = expectedShapes[curve];
        const GrowArray<Keyframe>& curveKeys = keys(curve);
        SCOPED_TRACE(contentVariables[curve].name);
        ASSERT_EQ(curveKeys.count, expected.keys);
        if (expected.keys == 0)
            continue;
        EXPECT_EQ(curveKeys[0].row, expected.firstRow);
        EXPECT_EQ(curveKeys[curveKeys.count - 1].row, expected.lastRow);
        uint32_t codes[5] = {};
        float lowest = curveKeys[0].value, highest = curveKeys[0].value;
        for (uint32_t k = 0; k < curveKeys.count; ++k) {
            const Keyframe& key = curveKeys[k];
            ASSERT_GE(key.interpolation, 0);
            ASSERT_LE(key.interpolation, 4);
            ++codes[key.interpolation];
            lowest = key.value < lowest ? key.value : lowest;
            highest = key.value > highest ? key.value : highest;
            if (k > 0) {
                EXPECT_LT(curveKeys[k - 1].row, key.row) << "key " << k;  // ascending, no shared rows
            }
        }
        EXPECT_EQ(lowest, expected.minValue);
        EXPECT_EQ(highest, expected.maxValue);
        for (int code = 0; code < 5; ++code)
            EXPECT_EQ(codes[code], expected.codes[code]) << "code " << code;
    }
}

TEST_F(ShippedTimeline, Totals)
{
    uint32_t total = 0, late = 0, lastRow = 0;
    uint32_t codes[5] = {};
    for (const Curve& curve : timeline.curves) {
        for (const Keyframe& key : curve.keys) {
            ++total;
            ++codes[key.interpolation];
            late += key.row >= 1793 ? 1 : 0;
            lastRow = key.row > lastRow ? key.row : lastRow;
        }
    }
    EXPECT_EQ(total, contentKeyCount);
    EXPECT_EQ(codes[0], 4080u);
    EXPECT_EQ(codes[1], 50u);
    EXPECT_EQ(codes[2], 1u);
    EXPECT_EQ(codes[3], 13u);
    EXPECT_EQ(codes[4], 10u);
    EXPECT_EQ(late, 540u);
    EXPECT_EQ(lastRow, 2175u);
}

TEST(ContentKeys, ShortTimelineGetsOnlyItsOwnCurves)
{
    Timeline timeline;
    timeline.curves.resize(8);
    appendContentKeys(timeline);
    EXPECT_EQ(timeline.curves.count, 8u);
    EXPECT_EQ(timeline.curves.at(6)->keys.count, 3u);  // CameraFOV
    EXPECT_EQ(timeline.curves.at(7)->keys.count, 0u);
}

TEST_F(ShippedTimeline, RotationSpeedsFollowTheGrid)
{
    // Opening pulses of the block from 128 and from 256, with their bases.
    EXPECT_EQ(valueOnKey(RSPEEDX, 128), 8.0f);
    EXPECT_EQ(valueOnKey(RSPEEDX, 129), 1.4f);
    EXPECT_EQ(valueOnKey(RSPEEDX, 256), -5.0f);
    EXPECT_EQ(valueOnKey(RSPEEDY, 142), -5.5f);
    EXPECT_EQ(valueOnKey(RSPEEDY, 270), 8.0f);
    EXPECT_EQ(valueOnKey(RSPEEDZ, 256), 4.0f);
    EXPECT_EQ(valueOnKey(RSPEEDZ, 384), -2.0f);
    // The break: the pulse at 596 eases back from 597 and rests at 639.
    for (uint32_t curve : {RSPEEDX, RSPEEDY, RSPEEDZ}) {
        EXPECT_EQ(codeOnKey(curve, 597), 3);
        EXPECT_EQ(valueOnKey(curve, 639), 0.0f);
        for (uint32_t row = 598; row < 639; ++row)
            EXPECT_EQ(keyAt(curve, row), nullptr) << row;
        EXPECT_EQ(codeOnKey(curve, 104), 3);
    }
    EXPECT_EQ(valueOnKey(RSPEEDY, 597), 2.2f);
    // In the block from 1408 every bar plays the fill: hits at 6 and 22 of bar 1.
    EXPECT_NE(keyAt(RSPEEDX, 1414), nullptr);
    EXPECT_NE(keyAt(RSPEEDX, 1430), nullptr);
    EXPECT_EQ(keyAt(RSPEEDX, 1428), nullptr);
    EXPECT_EQ(keyAt(RSPEEDX, 1542), nullptr);  // the next block is back to the plain bars
    // RSPEEDZ alone moves the last hit of the block from 1536 two rows earlier.
    EXPECT_EQ(valueOnKey(RSPEEDZ, 1652), -2.0f);
    EXPECT_EQ(keyAt(RSPEEDZ, 1654), nullptr);
    EXPECT_EQ(valueOnKey(RSPEEDX, 1654), -5.0f);
    // Between pulses the value is the base; on a pulse row it is the pulse.
    EXPECT_FLOAT_EQ(onRow(RSPEEDX, 700), 1.4f);
    EXPECT_FLOAT_EQ(onRow(RSPEEDX, 654), -5.0f);
    // Halfway through the ease from 597 towards 639 (quadratic): base x (1 - 0.25).
    EXPECT_NEAR(evaluateCurve(timeline, RSPEEDX, 618.0f * 0.06f + 0.001f), 1.4f * 0.75f, 1e-5f);
}

TEST_F(ShippedTimeline, InterlaceSwellsIntoTheFinale)
{
    EXPECT_EQ(codeOnKey(INTERLACE, 64), 3);
    EXPECT_EQ(valueOnKey(INTERLACE, 127), 2.5f);
    EXPECT_EQ(valueOnKey(INTERLACE, 128), 5.0f);
    EXPECT_EQ(keyAt(INTERLACE, 608), nullptr);
    EXPECT_EQ(keyAt(INTERLACE, 1414), nullptr);  // no fills in the block from 1408
    EXPECT_EQ(codeOnKey(INTERLACE, 1782), 4);
    EXPECT_EQ(keyAt(INTERLACE, 1783), nullptr);
    EXPECT_EQ(valueOnKey(INTERLACE, 1792), 500.0f);
    EXPECT_EQ(valueOnKey(INTERLACE, 1793), 1.25f);
    EXPECT_EQ(onRow(INTERLACE, 1792), 500.0f);
    const float rising = onRow(INTERLACE, 1788);
    EXPECT_GT(rising, 5.0f);
    EXPECT_LT(rising, 500.0f);
}

TEST_F(ShippedTimeline, GlitchFlashesAndTheirExceptions)
{
    EXPECT_EQ(valueOnKey(GLITCH, 136), 1.0f);
    EXPECT_EQ(valueOnKey(GLITCH, 137), 0.0f);
    EXPECT_EQ(valueOnKey(GLITCH, 1768), 1.0f);
    EXPECT_EQ(keyAt(GLITCH, 616), nullptr);
    EXPECT_EQ(keyAt(GLITCH, 632), nullptr);
    EXPECT_EQ(valueOnKey(GLITCH, 601), 0.05f);
    EXPECT_FLOAT_EQ(onRow(GLITCH, 620), 0.05f);
    for (uint32_t row : {252u, 254u, 380u, 382u, 1404u, 1406u, 1436u, 1438u, 1532u, 1534u})
        EXPECT_EQ(valueOnKey(GLITCH, row), 1.0f) << row;
    EXPECT_EQ(keyAt(GLITCH, 636), nullptr);   // the block from 512 ends in the break
    EXPECT_EQ(keyAt(GLITCH, 1660), nullptr);  // no double flash after the block from 1408
    EXPECT_EQ(codeOnKey(GLITCH, 1782), 4);
    EXPECT_EQ(valueOnKey(GLITCH, 1792), 50.0f);
}

TEST_F(ShippedTimeline, BrusFollowsTheGlitchInTheMiddle)
{
    EXPECT_EQ(keyAt(BRUS, 136), nullptr);
    EXPECT_EQ(keyAt(BRUS, 252), nullptr);
    EXPECT_EQ(valueOnKey(BRUS, 264), 5.0f);
    EXPECT_EQ(valueOnKey(BRUS, 601), 0.35f);
    EXPECT_EQ(codeOnKey(BRUS, 624), 4);
    EXPECT_EQ(valueOnKey(BRUS, 638), 3.0f);
    EXPECT_EQ(valueOnKey(BRUS, 1656), 5.0f);
    EXPECT_EQ(keyAt(BRUS, 1672), nullptr);
    for (uint32_t row : {1912u, 1916u, 1918u, 2040u, 2044u, 2046u, 2168u, 2172u, 2174u})
        EXPECT_EQ(valueOnKey(BRUS, row), 5.0f) << row;
    EXPECT_EQ(onRow(BRUS, 10), 250.0f);
}

TEST_F(ShippedTimeline, StrobesAreOpposite)
{
    EXPECT_EQ(valueOnKey(POST, 20), 1.0f);
    EXPECT_EQ(valueOnKey(POST, 21), 0.0f);
    EXPECT_EQ(valueOnKey(NEGT, 20), 0.0f);
    EXPECT_EQ(valueOnKey(NEGT, 127), 1.0f);
    EXPECT_EQ(valueOnKey(POST, 136), 1.0f);
    EXPECT_EQ(valueOnKey(POST, 152), 0.0f);
    EXPECT_EQ(valueOnKey(NEGT, 136), 0.0f);
    EXPECT_EQ(valueOnKey(NEGT, 152), 1.0f);
    EXPECT_EQ(valueOnKey(POST, 2136), 0.0f);
    EXPECT_EQ(valueOnKey(NEGT, 2136), 1.0f);
    for (uint32_t row = 20; row < 1793; row += 7)
        EXPECT_EQ(onRow(POST, row) + onRow(NEGT, row), 1.0f) << row;
}

TEST_F(ShippedTimeline, Layer4FrameAlternates)
{
    EXPECT_EQ(codeOnKey(FLAT_L4_FRAME, 264), 1);
    EXPECT_EQ(valueOnKey(FLAT_L4_FRAME, 277), 10.0f);
    EXPECT_EQ(valueOnKey(FLAT_L4_FRAME, 278), 9.0f);
    EXPECT_EQ(keyAt(FLAT_L4_FRAME, 279), nullptr);
    EXPECT_EQ(valueOnKey(FLAT_L4_FRAME, 1925), 10.0f);
    EXPECT_EQ(valueOnKey(FLAT_L4_FRAME, 1926), 9.0f);
    EXPECT_EQ(onRow(FLAT_L4_FRAME, 1001), 10.0f);
    EXPECT_EQ(onRow(FLAT_L4_FRAME, 1002), 9.0f);
}

TEST_F(ShippedTimeline, VariablesAsTheFrameWorkWritesThem)
{
    const uint32_t keyless[] = {3, 4, 7, 11, 29, 30, 32, 42};
    for (float t : {0.0f, 1.5f, 53.0f, 107.5f}) {
        for (uint32_t curve : keyless)
            EXPECT_EQ(evaluateCurve(timeline, curve, t), 0.0f) << contentVariables[curve].name;
        EXPECT_EQ(evaluateCurve(timeline, FCSRANGE, t), 0.475f);
    }
    EXPECT_EQ(evaluateCurve(timeline, L1_ROW_X_OFFSET, 53.75f), 0.0f);
    // Within the millisecond after row 896 the linear segment towards 8 starts just below -8.
    const float justAfter = evaluateCurve(timeline, L1_ROW_X_OFFSET, 53.7601f);
    EXPECT_LT(justAfter, -8.0f);
    EXPECT_GT(justAfter, -8.002f);
    EXPECT_EQ(evaluateCurve(timeline, POST, 1.19f), 0.0f);
    EXPECT_EQ(evaluateCurve(timeline, NEGT, 1.19f), 0.0f);
    EXPECT_EQ(evaluateCurve(timeline, POST, 1.21f), 1.0f);
    // FRAME rises linearly to 80 at 38.4 s and holds.
    EXPECT_NEAR(evaluateCurve(timeline, FRAME, 19.201f), 40.0f, 1e-3f);
    EXPECT_EQ(evaluateCurve(timeline, FRAME, 38.41f), 80.0f);
    EXPECT_EQ(evaluateCurve(timeline, FRAME, 100.0f), 80.0f);
    // WEIGHTSTNY eases with the fourth power from 50 towards 0.0005, then holds.
    const float halfway = evaluateCurve(timeline, WEIGHTSTNY, (225.0f + 15.5f) * 0.06f + 0.001f);
    EXPECT_NEAR(halfway, 50.0f * (1.0f - 0.0625f) + 0.0005f * 0.0625f, 1e-3f);
    EXPECT_EQ(evaluateCurve(timeline, WEIGHTSTNY, 15.37f), 0.0005f);
}
