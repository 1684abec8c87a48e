// The editor's keys and its views' actions on a few tracks worked out by hand: which key is the
// editor's, what the selection holds as the rows move, a drag that makes one step, a linked
// editor's keys left alone, and the fly camera keyed as one step. Also the curve view's window.
#include "app/live/edit/CurveWindow.h"
#include "app/live/edit/Editor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace Nimbra;
using namespace Nimbra::Edit;

namespace {

// Windows virtual-key codes.
constexpr uint32_t tab = 0x09, enter = 0x0D, up = 0x26, down = 0x28, left = 0x25, right = 0x27, del = 0x2E, keyC = 0x43,
                   keyF = 0x46, keyI = 0x49, keyS = 0x53, keyV = 0x56, keyW = 0x57, keyY = 0x59, keyZ = 0x5A;

KeyDown plain(uint32_t key, bool shift = false)
{
    return {key, shift, false, false};
}

KeyDown ctrl(uint32_t key, bool shift = false)
{
    return {key, shift, false, true};
}

TEST(EditorKeys, EachKeyIsTheEditorsOrTheTransports)
{
    const struct {
        KeyDown key;
        bool flying;
        EditorKey is;
    } cases[] = {
        {plain(tab), false, EditorKey::Toggle},
        {plain(up, true), false, EditorKey::RowBack},
        {ctrl(up), false, EditorKey::MoveUp},
        {ctrl(right, true), false, EditorKey::TrackOn},
        {plain(right), false, EditorKey::None},
        {plain(left), false, EditorKey::None},  // the transport's beats
        {ctrl(keyZ), false, EditorKey::Undo},
        {ctrl(keyZ, true), false, EditorKey::Redo},
        {ctrl(keyY), false, EditorKey::Redo},
        {ctrl(keyS), false, EditorKey::Save},
        {plain(keyS), false, EditorKey::None},
        {ctrl(keyC), false, EditorKey::Copy},
        {plain(keyC), false, EditorKey::None},
        {plain(keyC), true, EditorKey::CaptureCamera},
        {plain(keyI), false, EditorKey::CycleInterpolation},
    };
    for (const auto& c : cases)
        EXPECT_EQ(editorKeyFor(c.key, c.flying), c.is) << c.key.virtualKey << (c.key.ctrl ? " ctrl" : "");
    EXPECT_EQ(editorHelpLines().size(), 12u);
}

// Tracks 0 to 9 of the content's names; track 0 holds 0:1:step and 8:2:linear.
class EditorTest : public testing::Test
{
protected:
    void SetUp() override
    {
        timeline.bpm = 125.0f;
        timeline.curves.resize(10);
        timeline.curves.at(0)->keys.push({0, 1.0f, 0});
        timeline.curves.at(0)->keys.push({8, 2.0f, 1});
        model = std::make_unique<EditModel>(timeline, 10);
        edits = std::make_unique<Editor>(*model);
        edits->setShown(true);
    }

    // A key pressed on `row`; the music follows a seek it asks for.
    EditorOutcome press(KeyDown key)
    {
        const EditorOutcome out = edits->take(key, {row, linked});
        if (out.seek)
            row = out.row;
        return out;
    }

    std::string keysOf(uint32_t track) const
    {
        std::string text;
        for (const Keyframe& key : timeline.curves.at(track)->keys)
            text += (text.empty() ? "" : " ") + std::to_string(key.row) + ":" + std::to_string(int(key.value)) + ":" +
                    std::to_string(key.interpolation);
        return text;
    }

    Timeline timeline;
    std::unique_ptr<EditModel> model;  // made once the curves are there
    std::unique_ptr<Editor> edits;
    uint32_t row = 10;
    bool linked = false;
};

TEST_F(EditorTest, AHiddenEditorTakesOnlyItsToggleAndTheSave)
{
    edits->setShown(false);
    EXPECT_FALSE(press(plain(del)).taken);
    EXPECT_FALSE(press(plain(up)).taken);
    EXPECT_TRUE(press(ctrl(keyS)).save);
    EXPECT_TRUE(press(plain(tab)).taken);
    EXPECT_TRUE(edits->shown());
}

// From row 10 on track 0: Shift+Down twice and Ctrl+Shift+Right select tracks 0 and 1 by rows
// 10 to 12; a plain move starts the selection anew at the cursor.
TEST_F(EditorTest, TheSelectionGrowsWithShiftFromWhereItStarted)
{
    press(plain(down, true));
    press(plain(down, true));
    press(ctrl(right, true));
    const KeyBlock grown = edits->selection(row);
    EXPECT_EQ(row, 12u);
    EXPECT_EQ(grown.firstTrack, 0u);
    EXPECT_EQ(grown.endTrack, 2u);
    EXPECT_EQ(grown.firstRow, 10u);
    EXPECT_EQ(grown.endRow, 13u);
    press(plain(up));
    const KeyBlock cell = edits->selection(row);
    EXPECT_EQ(cell.firstTrack, 1u);
    EXPECT_EQ(cell.endTrack, 2u);
    EXPECT_EQ(cell.firstRow, 11u);
    EXPECT_EQ(cell.endRow, 12u);
}

TEST_F(EditorTest, KeysAreTypedCycledMovedCopiedDeletedAndUndone)
{
    EXPECT_TRUE(press(plain(enter)).typeValue);
    EXPECT_TRUE(edits->takeTypingRequest());
    EXPECT_FALSE(edits->takeTypingRequest());  // once
    // A new key takes the type of the key before it: on row 4 row 0's step, on row 10 row 8's linear.
    EXPECT_TRUE(edits->setValue(0, 4, 9.0f, {row, linked}));
    EXPECT_EQ(keysOf(0), "0:1:0 4:9:0 8:2:1");
    model->undo();
    EXPECT_TRUE(edits->setValue(0, 10, 7.0f, {row, linked}));
    EXPECT_EQ(keysOf(0), "0:1:0 8:2:1 10:7:1");
    press(plain(keyI));
    EXPECT_EQ(keysOf(0), "0:1:0 8:2:1 10:7:2");
    // Ctrl+Down moves the cursor's key a row on, and the music with it.
    press(ctrl(down));
    EXPECT_EQ(row, 11u);
    EXPECT_EQ(keysOf(0), "0:1:0 8:2:1 11:7:2");
    press(ctrl(keyC));
    press(ctrl(right));
    press(ctrl(keyV));
    EXPECT_EQ(keysOf(1), "11:7:2");
    press(ctrl(left));
    press(plain(del));
    EXPECT_EQ(keysOf(0), "0:1:0 8:2:1");
    // Five steps: typed, cycled, moved, pasted, deleted; undone, the keys are as they began.
    for (int i = 0; i < 5; ++i)
        press(ctrl(keyZ));
    EXPECT_EQ(keysOf(0), "0:1:0 8:2:1");
    EXPECT_EQ(keysOf(1), "");
    EXPECT_FALSE(model->canUndo());
    press(ctrl(keyY));
    EXPECT_EQ(keysOf(0), "0:1:0 8:2:1 10:7:1");
}

TEST_F(EditorTest, ADragIsOneStepAndALinkedEditorsKeysAreLeftAlone)
{
    edits->beginDrag();
    for (float value : {3.0f, 4.0f, 5.0f})
        edits->setValue(0, 8, value, {row, linked});
    edits->endDrag();
    EXPECT_EQ(keysOf(0), "0:1:0 8:5:1");
    EXPECT_EQ(model->undoCount(), 1u);
    model->undo();
    EXPECT_EQ(keysOf(0), "0:1:0 8:2:1");

    linked = true;
    row = 8;
    EXPECT_TRUE(press(plain(del, false)).taken);
    press(plain(keyI));
    EXPECT_FALSE(edits->setValue(0, 8, 9.0f, {row, linked}));
    EXPECT_EQ(keysOf(0), "0:1:0 8:2:1");
    press(plain(down));
    EXPECT_EQ(row, 9u) << "moving about is not editing";
    edits->keysChangedElsewhere();
    EXPECT_FALSE(model->canUndo() || model->canRedo() || model->unsaved());
}

// Of the camera's tracks 0 to 7 only track 0 has keys, 2 from row 8 on: at row 10 the position is
// (2, 0, 0) and the direction has no length, which flies along +Z. A second of W at 8 units a
// second moves 8 along +Z; C keys the eight tracks.
TEST_F(EditorTest, TheFlyCameraIsHeldInThePictureAndKeyedAsOneStep)
{
    EXPECT_EQ(edits->heldCamera(), nullptr);
    press(plain(keyF));
    ASSERT_NE(edits->heldCamera(), nullptr);
    WindowInput input;
    input.held[keyW] = true;
    edits->fly(input, 1.0f);
    const CameraValues& held = *edits->heldCamera();
    EXPECT_FLOAT_EQ(held[0], 2.0f);
    EXPECT_FLOAT_EQ(held[2], 8.0f);
    EXPECT_FLOAT_EQ(held[5], 1.0f);  // along +Z, length 1
    press(plain(keyC));
    EXPECT_EQ(model->undoCount(), 1u);
    for (uint32_t track = 0; track < 8; ++track)
        EXPECT_NE(model->keyAt(track, 10), nullptr) << track;
    EXPECT_FLOAT_EQ(model->keyAt(2, 10)->value, 8.0f);
    press(plain(keyF));
    EXPECT_EQ(edits->heldCamera(), nullptr);
}

// A window 640 pixels across rows 0 to 64 and 300 high over values -1 to 2.
TEST(CurveWindow, MapsRowsAndValuesAndFollowsTheMouse)
{
    CurveWindow window{0.0, 64.0, -1.0f, 2.0f, 640.0f, 300.0f};
    EXPECT_FLOAT_EQ(xOfRow(window, 32.0), 320.0f);
    EXPECT_DOUBLE_EQ(rowAtX(window, 160.0f), 16.0);
    EXPECT_FLOAT_EQ(yOfValue(window, 2.0f), 0.0f);
    EXPECT_FLOAT_EQ(yOfValue(window, -1.0f), 300.0f);
    EXPECT_FLOAT_EQ(valueAtY(window, 100.0f), 1.0f);
    // A notch in at x 320 (row 32): 51.2 rows across, row 32 still at 320, so the left edge is 6.4.
    zoomRows(window, 1.0f, 320.0f);
    EXPECT_DOUBLE_EQ(window.rowSpan, 51.2);
    EXPECT_NEAR(window.firstRow, 6.4, 1e-9);
    // Dragged 64 pixels right and 100 down: a tenth of the rows back, a third of the values up.
    pan(window, 64.0f, 100.0f);
    EXPECT_NEAR(window.firstRow, 1.28, 1e-9);
    EXPECT_FLOAT_EQ(window.low, 0.0f);
    EXPECT_FLOAT_EQ(window.high, 3.0f);
    const CurveWindow around = windowAround(90.0, 60.0, 600.0f, 200.0f);
    EXPECT_DOUBLE_EQ(around.firstRow, 70.0);  // the row a third of the way in
    EXPECT_EQ(windowAround(90.0, 1.0, 600.0f, 200.0f).rowSpan, minRowSpan);
}

TEST(CurveWindow, FitsTheValuesShownWithATenthToSpare)
{
    CurveWindow window;
    fitValues(window, {2.0f, NAN, 12.0f, 7.0f});
    EXPECT_FLOAT_EQ(window.low, 1.0f);
    EXPECT_FLOAT_EQ(window.high, 13.0f);
    fitValues(window, {5.0f, 5.0f});
    EXPECT_FLOAT_EQ(window.low, 4.0f);
    EXPECT_FLOAT_EQ(window.high, 6.0f);
    fitValues(window, {});
    EXPECT_FLOAT_EQ(window.low, -1.0f);
    EXPECT_FLOAT_EQ(window.high, 1.0f);
}

}  // namespace
