#include "content/animation/BeatPatterns.h"

#include <algorithm>

namespace Nimbra {

namespace {

constexpr int32_t step = 0, linear = 1, quadratic = 3, quartic = 4;

// The song is laid out in 128-row blocks of four 32-row bars. Bars 1 to 3 hit on 0, 14, 18
// and 20; the fourth bar fills in on 0, 6, 14, 18 and 22.
constexpr uint32_t blockRows = 128;
constexpr uint32_t barRows = 32;
constexpr uint32_t barHits[] = {0, 14, 18, 20};
constexpr uint32_t fillBarHits[] = {0, 6, 14, 18, 22};

// The music drops out for the last bar of the block from row 512, and the finale starts at
// row 1792 (the presentation ends at row 1793).
constexpr uint32_t breakFirstRow = 608;
constexpr uint32_t breakEndRow = 640;
constexpr uint32_t finaleRow = 1792;
constexpr uint32_t finaleLeadRow = 1782;

bool inBreak(uint32_t row)
{
    return row >= breakFirstRow && row < breakEndRow;
}

struct KeyWriter {
    GrowArray<Keyframe>& keys;

    void key(uint32_t row, float value, int32_t interpolation = step)
    {
        keys.push(Keyframe{row, value, interpolation});
    }

    // A one-row spike: `value` on `row`, back to `base` on the next.
    void pulse(uint32_t row, float value, float base)
    {
        key(row, value);
        key(row + 1, base);
    }
};

// Calls hit(row) for every hit of the rhythm grid in the block starting at blockStart, in row
// order. With allFills every bar plays the fill pattern of the fourth bar.
template <typename Hit>
void forEachGridHit(uint32_t blockStart, bool allFills, Hit hit)
{
    for (uint32_t bar = 0; bar < 4; ++bar) {
        const uint32_t barStart = blockStart + bar * barRows;
        if (bar == 3 || allFills) {
            for (uint32_t offset : fillBarHits)
                hit(barStart + offset);
        } else {
            for (uint32_t offset : barHits)
                hit(barStart + offset);
        }
    }
}

// The glitch flashes: every 16 rows from 136 to 1768 (silent in the break), a double flash
// closing each block from 128 to 1280 (not the one from 512, which ends in the break), and a
// double flash closing every bar of the block from 1408.
GrowArray<uint32_t> glitchRows()
{
    GrowArray<uint32_t> rows;
    for (uint32_t row = 136; row <= 1768; row += 16) {
        if (!inBreak(row))
            rows.push(row);
    }
    for (uint32_t block = 128; block <= 1280; block += blockRows) {
        if (block == 512)
            continue;
        const uint32_t lastRow = block + blockRows - 1;
        rows.push(lastRow - 3);
        rows.push(lastRow - 1);
    }
    for (uint32_t bar = 0; bar < 4; ++bar) {
        const uint32_t lastRow = 1408 + bar * barRows + barRows - 1;
        rows.push(lastRow - 3);
        rows.push(lastRow - 1);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

}  // namespace

const RotationSpeedPattern rotationSpeedX = {0.2f, 1.4f, 8.0f, -5.0f, -5.0f, 0, 0};
const RotationSpeedPattern rotationSpeedY = {0.1f, 2.2f, -5.5f, 8.0f, 8.0f, 0, 0};
const RotationSpeedPattern rotationSpeedZ = {0.2f, 0.8f, -2.0f, 4.0f, -2.0f, 1654, 1652};

void appendRotationSpeedKeys(GrowArray<Keyframe>& keys, const RotationSpeedPattern& pattern)
{
    KeyWriter w{keys};
    w.key(0, pattern.firstValue);
    w.key(104, 0.0f, quadratic);
    for (uint32_t block = 128; block <= 2048; block += blockRows) {
        const float value = block == 128   ? pattern.pulseInBlock1
                            : block == 256 ? pattern.pulseInBlock2
                                           : pattern.pulseLater;
        forEachGridHit(block, block == 1408, [&](uint32_t row) {
            if (inBreak(row))
                return;
            if (pattern.movedFrom != 0 && row == pattern.movedFrom)
                row = pattern.movedTo;
            if (row == 596) {
                // The last hit before the break eases the spin down to rest.
                w.key(row, value);
                w.key(row + 1, pattern.base, quadratic);
                w.key(breakEndRow - 1, 0.0f);
                return;
            }
            w.pulse(row, value, pattern.base);
        });
    }
}

void appendInterlaceKeys(GrowArray<Keyframe>& keys)
{
    KeyWriter w{keys};
    w.key(0, 25.0f);
    w.key(64, 25.0f, quadratic);
    w.key(127, 2.5f);
    for (uint32_t block = 128; block <= 2048; block += blockRows) {
        forEachGridHit(block, false, [&](uint32_t row) {
            if (inBreak(row))
                return;
            if (row == finaleLeadRow) {
                w.key(row, 5.0f, quartic);  // swells into the finale
            } else if (row == finaleRow) {
                w.pulse(row, 500.0f, 1.25f);
            } else {
                w.pulse(row, 5.0f, 1.25f);
            }
        });
    }
}

void appendGlitchKeys(GrowArray<Keyframe>& keys)
{
    KeyWriter w{keys};
    w.key(0, 1.0f);
    w.key(129, 0.0f);
    for (uint32_t row : glitchRows())
        w.pulse(row, 1.0f, row == 600 ? 0.05f : 0.0f);  // a faint glitch lingers into the break
    w.key(finaleLeadRow, 0.0f, quartic);
    w.key(finaleRow, 50.0f);
}

void appendBrightnessKeys(GrowArray<Keyframe>& keys)
{
    KeyWriter w{keys};
    const float base = 0.35f;
    w.key(0, 250.0f);
    w.key(64, 250.0f, quadratic);
    w.key(128, base);
    bool breakDone = false;
    for (uint32_t row : glitchRows()) {
        if (row < 264 || row > 1656)
            continue;
        if (!breakDone && row > 624) {
            // A flash swelling through the break.
            w.key(624, 0.0f, quartic);
            w.key(638, 3.0f);
            w.key(639, base);
            breakDone = true;
        }
        w.pulse(row, 5.0f, base);
    }
    w.key(finaleLeadRow, 0.0f, quartic);
    w.key(finaleRow, 50.0f);
    // Flashes closing the blocks after the end, never reached while the presentation runs.
    for (uint32_t block = 1792; block <= 2048; block += blockRows) {
        const uint32_t lastRow = block + blockRows - 1;
        w.pulse(lastRow - 7, 5.0f, base);
        w.pulse(lastRow - 3, 5.0f, base);
        w.pulse(lastRow - 1, 5.0f, base);
    }
}

void appendStrobeKeys(GrowArray<Keyframe>& keys, bool negative)
{
    KeyWriter w{keys};
    // Flickering every row through the intro, then toggling every 16 rows.
    for (uint32_t row = 20; row < 128; ++row)
        w.key(row, (row % 2 == 0) != negative ? 1.0f : 0.0f);
    bool on = !negative;
    for (uint32_t row = 136; row <= 2136; row += 16) {
        w.key(row, on ? 1.0f : 0.0f);
        on = !on;
    }
}

void appendLayer4FrameKeys(GrowArray<Keyframe>& keys)
{
    static const Keyframe intro[] = {
        {0, 50.0f, step},    {125, 0.0f, step},  {126, 31.0f, step}, {136, 15.0f, step}, {152, 15.0f, step},
        {232, 15.0f, step},  {256, 11.0f, step}, {257, 12.0f, step}, {260, 11.0f, step}, {261, 12.0f, step},
        {264, 0.0f, linear}, {274, 10.0f, step}, {275, 9.0f, step},
    };
    KeyWriter w{keys};
    for (const Keyframe& key : intro)
        keys.push(key);
    // Two frames alternating, one row of 10 in every four.
    for (uint32_t row = 277; row <= 1925; row += 4)
        w.pulse(row, 10.0f, 9.0f);
}

void appendLayerSweepKeys(GrowArray<Keyframe>& keys, float before, float sweepFrom, float sweepTo)
{
    static const uint32_t passageStarts[] = {256, 384, 640, 896, 1152, 1408, 1664};
    KeyWriter w{keys};
    w.key(0, before);
    for (uint32_t start : passageStarts) {
        const uint32_t end = start == 256 ? 383 : start + 255;
        w.key(start, sweepFrom, linear);
        w.key(end, sweepTo);
    }
}

}  // namespace Nimbra
