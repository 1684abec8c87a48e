// The editor's keys: sequences of edits against keys worked out by hand, undo and redo back to the start, moves
// and pastes at the grid's edges, the camera capture's key types, the unsaved state and the groups of the tracks.
#include "app/live/edit/EditModel.h"
#include "app/live/edit/TrackGroups.h"
#include "content/animation/ContentKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

using namespace Nimbra;
using namespace Nimbra::Edit;

namespace {

constexpr int32_t step = 0, linear = 1, smooth = 2, ramp = 3, quartic = 4;
constexpr uint32_t maxRow = Sync::maxRow;

// Tracks 0 to 3 start with these keys (row:value:type), tracks 4 to 9 empty:
//   0: 0:1:0 8:2:1 16:3:0      1: 4:10:2 12:20:0      2: (none)      3: 8:5:4
class EditModelTest : public testing::Test
{
protected:
    void SetUp() override
    {
        timeline.bpm = 125.0f;
        timeline.curves.resize(10);
        fill(0, {{0, 1, step}, {8, 2, linear}, {16, 3, step}});
        fill(1, {{4, 10, smooth}, {12, 20, step}});
        fill(3, {{8, 5, quartic}});
        start = everyTrack();
    }

    void fill(uint32_t track, std::initializer_list<Keyframe> keys)
    {
        for (const Keyframe& key : keys)
            timeline.curves.at(track)->keys.push(key);
    }

    std::string keysOf(uint32_t track) const
    {
        std::string text;
        for (const Keyframe& key : timeline.curves.at(track)->keys) {
            char item[64];
            std::snprintf(item, sizeof item, "%s%u:%g:%d", text.empty() ? "" : " ", key.row, double(key.value),
                          key.interpolation);
            text += item;
        }
        return text;
    }

    // Every track's keys, bit for bit (values printed to the last bit).
    std::string everyTrack() const
    {
        std::string text;
        for (uint32_t track = 0; track < timeline.curves.count; ++track) {
            text += std::to_string(track) + ":";
            for (const Keyframe& key : timeline.curves.at(track)->keys) {
                char item[64];
                std::snprintf(item, sizeof item, " %u:%a:%d", key.row, double(key.value), key.interpolation);
                text += item;
            }
            text += "\n";
        }
        return text;
    }

    void undoAll(EditModel& model)
    {
        while (model.undo()) {
        }
    }

    Timeline timeline;
    std::string start;
};

struct Step {
    const char* what;
    std::function<bool(EditModel&)> edit;
    const char* tracks[4];  // tracks 0 to 3 afterwards
};

}  // namespace

TEST_F(EditModelTest, ASequenceOfEditsGivesTheKeysWorkedOutByHandAndUndoesToTheStart)
{
    const KeyBlock upper{0, 2, 4, 13};  // tracks 0 and 1, rows 4 to 12
    const Step steps[] = {
        {"a key on an empty track",
         [](EditModel& m) {
             return m.setKey(2, {4, 7, linear});
         },
         {"0:1:0 8:2:1 16:3:0", "4:10:2 12:20:0", "4:7:1", "8:5:4"}},
        {"a key over a key",
         [](EditModel& m) {
             return m.setKey(0, {8, 9, smooth});
         },
         {"0:1:0 8:9:2 16:3:0", "4:10:2 12:20:0", "4:7:1", "8:5:4"}},
        {"a key before all",
         [](EditModel& m) {
             return m.setKey(3, {0, -1, step});
         },
         {"0:1:0 8:9:2 16:3:0", "4:10:2 12:20:0", "4:7:1", "0:-1:0 8:5:4"}},
        {"the first key deleted",
         [](EditModel& m) { return m.deleteKey(0, 0); },
         {"8:9:2 16:3:0", "4:10:2 12:20:0", "4:7:1", "0:-1:0 8:5:4"}},
        {"Smooth goes on to Ramp",
         [](EditModel& m) { return m.cycleInterpolation(1, 4); },
         {"8:9:2 16:3:0", "4:10:3 12:20:0", "4:7:1", "0:-1:0 8:5:4"}},
        {"rows 4 to 12 of two tracks down 4",
         [&](EditModel& m) { return m.moveKeys(upper, 4) == 4; },
         {"12:9:2 16:3:0", "8:10:3 16:20:0", "4:7:1", "0:-1:0 8:5:4"}},
        {"rows 8 to 16 of tracks 0 and 1 pasted on track 2 row 0: their empty rows clear keys there",
         [](EditModel& m) {
             return m.pasteKeys(m.copyKeys({0, 2, 8, 17}), 2, 0).pasted == 4;
         },
         {"12:9:2 16:3:0", "8:10:3 16:20:0", "4:9:2 8:3:0", "0:10:3 8:20:0"}},
        {"rows 0 to 4 of tracks 2 and 3 deleted",
         [](EditModel& m) {
             return m.deleteKeys({2, 4, 0, 5});
         },
         {"12:9:2 16:3:0", "8:10:3 16:20:0", "8:3:0", "8:20:0"}},
    };
    EditModel model(timeline, 10);
    std::vector<std::string> states = {everyTrack()};
    for (const Step& s : steps) {
        EXPECT_TRUE(s.edit(model)) << s.what;
        for (uint32_t track = 0; track < 4; ++track)
            EXPECT_EQ(keysOf(track), s.tracks[track]) << s.what << ", track " << track;
        states.push_back(everyTrack());
    }
    // One step each, back to the start and on again to the end, state by state.
    for (size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(model.undo());
        EXPECT_EQ(everyTrack(), states[i - 1]) << "undoing " << steps[i - 1].what;
    }
    EXPECT_FALSE(model.undo());
    EXPECT_EQ(everyTrack(), start);
    for (size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(model.redo());
        EXPECT_EQ(everyTrack(), states[i]) << "redoing " << steps[i - 1].what;
    }
    EXPECT_FALSE(model.redo());
}

TEST_F(EditModelTest, InterpolationCyclesThroughTheFiveKindsAndAnUnknownCodeGoesOnToLinear)
{
    const int32_t cycle[][2] = {{step, linear},  {linear, smooth}, {smooth, ramp}, {ramp, quartic},
                                {quartic, step}, {7, linear},      {-1, linear}};
    for (const auto& kinds : cycle) {
        timeline.curves.at(5)->keys.resize(0);
        fill(5, {{3, 1, kinds[0]}});
        EditModel model(timeline, 10);
        EXPECT_TRUE(model.cycleInterpolation(5, 3));
        EXPECT_EQ(model.keyAt(5, 3)->interpolation, kinds[1]) << "from " << kinds[0];
        EXPECT_FALSE(model.cycleInterpolation(5, 4));  // no key there
    }
}

// Moves start from the fixture's keys; the block stops at row 0 and at the last row.
TEST_F(EditModelTest, MovedKeysReplaceTheKeysTheyLandOnAndTheBlockStopsAtTheGridsEdges)
{
    const char last[] = "16777216";
    struct Case {
        const char* what;
        KeyBlock block;
        int32_t rows;
        int32_t moved;
        std::string track0, track1;
    } cases[] = {
        {"onto a key outside the block", {0, 1, 8, 9}, 8, 8, "0:1:0 16:2:1", "4:10:2 12:20:0"},
        {"up past row 0: cut to the block's first row", {0, 2, 4, 17}, -10, -4, "0:1:0 4:2:1 12:3:0", "0:10:2 8:20:0"},
        {"keys of the block onto the block's own rows", {0, 1, 0, 17}, 8, 8, "8:1:0 16:2:1 24:3:0", "4:10:2 12:20:0"},
        {"a block at row 0 moved up", {0, 1, 0, 9}, -3, 0, "0:1:0 8:2:1 16:3:0", "4:10:2 12:20:0"},
        {"a block at the last row moved down", {1, 2, 0, maxRow + 1}, 5, 0, "0:1:0 8:2:1 16:3:0", "4:10:2 12:20:0"},
        {"down past the last row: cut to it",
         {0, 1, 16, 17},
         int32_t(maxRow),
         int32_t(maxRow - 16),
         std::string("0:1:0 8:2:1 ") + last + ":3:0",
         "4:10:2 12:20:0"},
    };
    for (const Case& c : cases) {
        EditModel model(timeline, 10);
        EXPECT_EQ(model.moveKeys(c.block, c.rows), c.moved) << c.what;
        EXPECT_EQ(keysOf(0), c.track0) << c.what;
        EXPECT_EQ(keysOf(1), c.track1) << c.what;
        EXPECT_EQ(model.canUndo(), c.moved != 0) << c.what;  // nothing moved: no step
        undoAll(model);
        EXPECT_EQ(everyTrack(), start) << c.what;
    }
}

TEST_F(EditModelTest, APastedBlockLooksAsTheCopyDidAndWhatFallsOffTheGridIsLeftOut)
{
    EditModel model(timeline, 10);
    const KeyClipboard copy = model.copyKeys({0, 2, 4, 13});
    EXPECT_EQ(copy.trackCount, 2u);
    EXPECT_EQ(copy.rowCount, 9u);
    ASSERT_EQ(copy.keys.size(), 3u);  // 8 of track 0; 4 and 12 of track 1, counted from row 4
    EXPECT_EQ(copy.keys[0].track, 0u);
    EXPECT_EQ(copy.keys[0].key.row, 4u);
    EXPECT_EQ(copy.keys[2].track, 1u);
    EXPECT_EQ(copy.keys[2].key.row, 8u);

    // Rows 6 to 14 of tracks 2 and 3: track 3's key on row 8 goes with the copy's empty rows.
    PasteResult pasted = model.pasteKeys(copy, 2, 6);
    EXPECT_EQ(pasted.pasted, 3u);
    EXPECT_EQ(pasted.leftOut, 0u);
    EXPECT_EQ(keysOf(2), "10:2:1");
    EXPECT_EQ(keysOf(3), "6:10:2 14:20:0");
    // On the last track the copy's second track has none under it.
    pasted = model.pasteKeys(copy, 9, 0);
    EXPECT_EQ(pasted.pasted, 1u);
    EXPECT_EQ(pasted.leftOut, 2u);
    EXPECT_EQ(keysOf(9), "4:2:1");
    // Each paste is one step, however many keys it touched.
    ASSERT_TRUE(model.undo());
    ASSERT_TRUE(model.undo());
    EXPECT_FALSE(model.undo());
    EXPECT_EQ(everyTrack(), start);
}

TEST_F(EditModelTest, APasteAcrossTheShowsEndKeepsItsKeysAndOnePastTheLastRowLeavesThemOut)
{
    // Track 0's ramp from 2 (row 8, Linear) to 3 (row 16), pasted from row 1790: the show's last row, 1792, is two
    // rows up the ramp, (107.52 - 107.401) / 0.48 of the way: 2.248. Leaving out the key on row 1798, past the show,
    // would hold 2 there instead.
    EditModel model(timeline, 10);
    const KeyClipboard ramp = model.copyKeys({0, 1, 8, 17});
    PasteResult pasted = model.pasteKeys(ramp, 4, 1790);
    EXPECT_EQ(pasted.pasted, 2u);
    EXPECT_EQ(pasted.leftOut, 0u);
    EXPECT_EQ(keysOf(4), "1790:2:1 1798:3:0");
    EXPECT_NEAR(model.valueAt(4, 1792), 2.248f, 0.002f);

    // Past the protocol's last row nothing can carry a key.
    pasted = model.pasteKeys(ramp, 5, maxRow - 4);
    EXPECT_EQ(pasted.pasted, 1u);
    EXPECT_EQ(pasted.leftOut, 1u);
    EXPECT_EQ(keysOf(5), "16777212:2:1");
    for (uint32_t row : {maxRow + 1, 0xFFFFFFFFu}) {  // the second's rows would wrap round to 7
        pasted = model.pasteKeys(ramp, 6, row);
        EXPECT_EQ(pasted.pasted, 0u) << row;
        EXPECT_EQ(pasted.leftOut, 2u) << row;
        EXPECT_EQ(keysOf(6), "") << row;
    }
}

TEST_F(EditModelTest, KeysNoFileCouldCarryAndNewRowsOnAFullTrackAreRefusedAndMakeNoStep)
{
    EditLimits limits;
    limits.keysPerTrack = 3;  // track 0 is full
    EditModel model(timeline, 10, limits);
    const struct {
        const char* what;
        std::function<bool()> edit;
    } refused[] = {
        {"a track beyond the model's",
         [&] {
             return model.setKey(10, {0, 1, step});
         }},
        {"a row past the last",
         [&] {
             return model.setKey(2, {maxRow + 1, 1, step});
         }},
        {"a value that is no number",
         [&] {
             return model.setKey(2, {0, std::nanf(""), step});
         }},
        {"an infinite value",
         [&] {
             return model.setKey(2, {0, INFINITY, step});
         }},
        {"a key type past Quartic",
         [&] {
             return model.setKey(2, {0, 1, 5});
         }},
        {"a negative key type",
         [&] {
             return model.setKey(2, {0, 1, -1});
         }},
        {"a new row on a full track",
         [&] {
             return model.setKey(0, {1, 1, step});
         }},
        {"the same key again",
         [&] {
             return model.setKey(0, {8, 2, linear});
         }},
        {"a key deleted where there is none", [&] { return model.deleteKey(0, 1); }},
        {"an empty block deleted",
         [&] {
             return model.deleteKeys({2, 3, 0, 100});
         }},
        {"a move of rows without keys",
         [&] {
             return model.moveKeys({0, 4, 100, 200}, 5) != 5 || model.canUndo();
         }},
        {"a paste of nothing on nothing",
         [&] {
             return model.pasteKeys(model.copyKeys({2, 3, 0, 9}), 4, 0).pasted;
         }},
    };
    for (const auto& r : refused) {
        EXPECT_FALSE(r.edit()) << r.what;
        EXPECT_EQ(everyTrack(), start) << r.what;
        EXPECT_FALSE(model.canUndo()) << r.what;
    }
    EXPECT_TRUE(model.setKey(0, {8, 4, step}));  // a full track takes a replacement
    // A paste onto the full track: the rows it covers are cleared first, so two of its three keys fit, with 16.
    const PasteResult pasted = model.pasteKeys(model.copyKeys({1, 2, 0, 13}), 0, 0);
    EXPECT_EQ(keysOf(0), "4:10:2 12:20:0 16:3:0");
    EXPECT_EQ(pasted.pasted, 2u);
    // Undone with the track full: the cells go back whatever their order.
    EXPECT_TRUE(model.undo());
    EXPECT_EQ(keysOf(0), "0:1:0 8:4:0 16:3:0");
}

TEST_F(EditModelTest, AHundredAndFiftyStepsUndoToTheStartAndANewEditDropsTheRedoSteps)
{
    EditModel model(timeline, 10);
    for (uint32_t row = 0; row < 150; ++row)
        ASSERT_TRUE(model.setKey(7, {row, float(row), linear}));
    const std::string done = everyTrack();
    undoAll(model);
    EXPECT_EQ(everyTrack(), start);
    for (int i = 0; i < 150; ++i)
        ASSERT_TRUE(model.redo()) << i;
    EXPECT_EQ(everyTrack(), done);

    for (int i = 0; i < 3; ++i)
        model.undo();
    EXPECT_TRUE(model.canRedo());
    EXPECT_TRUE(model.setKey(8, {0, 1, step}));
    EXPECT_FALSE(model.canRedo());
    EXPECT_FALSE(model.redo());
    EXPECT_EQ(timeline.curves.at(7)->keys.count, 147u);
}

TEST_F(EditModelTest, BeyondItsLimitTheHistoryLetsTheOldestStepGo)
{
    EditLimits limits;
    limits.undoSteps = 3;
    EditModel model(timeline, 10, limits);
    for (uint32_t row = 0; row < 5; ++row)
        model.setKey(6, {row, 1, step});
    undoAll(model);
    EXPECT_EQ(keysOf(6), "0:1:0 1:1:0");  // the first two steps are kept for good
}

TEST_F(EditModelTest, UndoBackToTheSavedKeysCountsAsSaved)
{
    EditModel model(timeline, 10);
    const struct {
        const char* what;
        std::function<void()> act;
        bool unsaved;
    } sequence[] = {
        {"nothing done", [] {}, false},
        {"an edit",
         [&] {
             model.setKey(2, {0, 1, step});
         },
         true},
        {"saved", [&] { model.markSaved(); }, false},
        {"an edit that changes nothing",
         [&] {
             model.setKey(2, {0, 1, step});
         },
         false},
        {"a second edit",
         [&] {
             model.setKey(2, {1, 1, step});
         },
         true},
        {"undone to the saved keys", [&] { model.undo(); }, false},
        {"undone past them", [&] { model.undo(); }, true},
        {"redone to them", [&] { model.redo(); }, false},
        {"undone, then another edit: the saved keys are out of reach",
         [&] {
             model.undo();
             model.setKey(2, {2, 1, step});
         },
         true},
        {"undone to the start", [&] { model.undo(); }, true},
        {"saved again", [&] { model.markSaved(); }, false},
        {"an edit, with a step to undo and one to redo",
         [&] {
             model.setKey(2, {3, 1, step});
             model.setKey(2, {4, 1, step});
             model.undo();
         },
         true},
        {"keys changed by the linked editor", [&] { model.keysChangedElsewhere(); }, true},
    };
    for (const auto& s : sequence) {
        s.act();
        EXPECT_EQ(model.unsaved(), s.unsaved) << s.what;
    }
    EXPECT_FALSE(model.canUndo());  // the history went with the linked editor's keys
    EXPECT_FALSE(model.canRedo());
    EXPECT_FALSE(model.undo());
    EXPECT_EQ(keysOf(2), "3:1:0");
}

// Tracks 0 to 7 as the camera: position x has keys at 0 (Ramp) and 32, y one at 16 (Smooth), direction z one at 16
// (Quartic). Keyed on row 16: x takes Ramp from the key before, y and direction z keep theirs, and the five tracks
// with no key at or before the row take the first camera track's, x's Ramp.
TEST_F(EditModelTest, TheCameraCaptureKeysEightTracksAsOneStepWithTheirNeighboursKeyTypes)
{
    for (uint32_t track = 0; track < 8; ++track)
        timeline.curves.at(track)->keys.resize(0);
    fill(0, {{0, 0, ramp}, {32, 2, step}});
    fill(1, {{16, 0, smooth}});
    fill(5, {{16, 1, quartic}});
    EditModel model(timeline, 8);
    const CameraValues values = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(model.setCameraKeys(16, values));
    const int32_t kinds[8] = {ramp, smooth, ramp, ramp, ramp, quartic, ramp, ramp};
    for (uint32_t track = 0; track < 8; ++track) {
        const Keyframe* key = model.keyAt(track, 16);
        ASSERT_NE(key, nullptr) << track;
        EXPECT_EQ(key->value, values[track]) << track;
        EXPECT_EQ(key->interpolation, kinds[track]) << track;
    }
    // What the frame work shows four rows on: x ramps towards its key on row 32, (1.2 - 0.961) / 0.96 of the way,
    // squared; the other seven hold their keys.
    const CameraValues shown = model.cameraValuesAt(20);
    EXPECT_NEAR(shown[0], 1.062f, 0.001f);
    EXPECT_TRUE(std::equal(shown.begin() + 1, shown.end(), values.begin() + 1));
    EXPECT_TRUE(model.undo());
    EXPECT_FALSE(model.canUndo());
    EXPECT_EQ(model.keyAt(0, 16), nullptr);
    EXPECT_EQ(model.keyAt(5, 16)->value, 1.0f);

    // All eight or none: a value that is no number, or a full track, keys nothing.
    CameraValues broken = values;
    broken[6] = std::nanf("");
    EXPECT_FALSE(model.setCameraKeys(16, broken));
    EditLimits limits;
    limits.keysPerTrack = 1;
    EditModel full(timeline, 8, limits);
    EXPECT_FALSE(full.setCameraKeys(8, values));
    EXPECT_EQ(timeline.curves.at(2)->keys.count, 0u);

    // A camera with no keys at all glides: Linear.
    Timeline empty;
    empty.curves.resize(8);
    EditModel fresh(empty, 8);
    ASSERT_TRUE(fresh.setCameraKeys(4, values));
    for (uint32_t track = 0; track < 8; ++track)
        EXPECT_EQ(fresh.keyAt(track, 4)->interpolation, linear) << track;
}

TEST_F(EditModelTest, TheViewsReadKeysInARowWindowAndTheValueTheFrameWorkShows)
{
    EditModel model(timeline, 10);
    const KeySpan window = model.keysInRows(0, 4, 16);  // row 16 is past the window
    ASSERT_EQ(window.count, 1u);
    EXPECT_EQ(window.keys[0].row, 8u);
    EXPECT_EQ(model.keysInRows(0, 0, 17).count, 3u);
    EXPECT_EQ(model.keysInRows(0, 9, 9).count, 0u);
    EXPECT_EQ(model.keysInRows(10, 0, 17).count, 0u);
    EXPECT_EQ(model.keyAt(0, 8)->value, 2.0f);
    EXPECT_EQ(model.keyAt(0, 9), nullptr);
    // Row 12, halfway up track 0's ramp from 2 to 3: (0.72 - 0.481) / 0.48 of the way.
    EXPECT_NEAR(model.valueAt(0, 12), 2.498f, 0.001f);
    EXPECT_EQ(model.valueAt(1, 2), 0.0f);  // before the first key

    // The shipped camera at row 0: its Step keys, direction x and y without keys.
    Timeline shipped;
    loadContentTimeline(shipped);
    EditModel content(shipped, 64);
    const CameraValues row0 = {11.6f, -3.5f, -25.0f, 0.0f, 0.0f, 25.0f, 1.666f, 0.0f};
    EXPECT_EQ(content.cameraValuesAt(0), row0);
}

TEST(TrackGroups, TheContentsTracksGroupAsCameraLayersAndTheRest)
{
    const std::vector<TrackGroup> groups = contentTrackGroups();
    const struct {
        const char* name;
        std::vector<uint32_t> tracks;
    } expected[] = {
        {"Camera", {0, 1, 2, 3, 4, 5, 6, 7}},
        {"L1", {23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 43}},
        {"FLAT_L1", {44, 48, 52, 57}},
        {"FLAT_L2", {45, 49, 53, 58}},
        {"FLAT_L3", {46, 50, 54, 59}},
        {"FLAT_L4", {47, 51, 55, 60}},
        {"Other", {8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 41, 42, 56, 61, 62, 63}},
    };
    ASSERT_EQ(groups.size(), std::size(expected));
    for (size_t i = 0; i < groups.size(); ++i) {
        EXPECT_EQ(groups[i].name, expected[i].name);
        EXPECT_EQ(groups[i].tracks, expected[i].tracks) << expected[i].name;
    }
    // Names that only look like a layer's.
    EXPECT_EQ(trackGroupName(8, "L1"), "Other");
    EXPECT_EQ(trackGroupName(8, "LX_OFFSET"), "Other");
    EXPECT_EQ(trackGroupName(8, "FLAT_FRAME"), "Other");
    EXPECT_EQ(trackGroupName(8, "L12_X"), "L12");
    EXPECT_EQ(trackGroupName(3, "FLAT_L1_FRAME"), "Camera");  // the frame work reads 0 to 7 for the view
}
