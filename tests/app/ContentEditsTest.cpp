#include "app/ContentEdits.h"
#include "app/ShippedEdits.h"
#include "content/animation/ContentKeys.h"
#include "content/animation/ContentVariables.h"
#include "content/animation/ShippedEditFiles.h"

#include <gtest/gtest.h>

#include <string>

using namespace Nimbra;

namespace {

struct Read {
    bool ok;
    Sync::RocketDocument document;
    Sync::FileError error;
};

Read read(const std::string& text)
{
    Read result;
    result.ok = readContentEdits(text.data(), text.size(), result.document, result.error);
    return result;
}

}  // namespace

TEST(ContentEdits, FindsVariablesByTheirExactNames)
{
    EXPECT_EQ(contentVariableIndex("CameraPosX"), 0u);
    EXPECT_EQ(contentVariableIndex("FRAME"), 13u);
    EXPECT_EQ(contentVariableIndex("LNWIDHT"), 63u);
    EXPECT_EQ(contentVariableIndex("frame"), contentVariableCount);
    EXPECT_EQ(contentVariableIndex("FRAM"), contentVariableCount);
    EXPECT_EQ(contentVariableIndex(""), contentVariableCount);
}

TEST(ContentEdits, RefusesTracksThatNameNoVariableWithTheirLine)
{
    const Read result = read("<sync rows=\"8\">\n<tracks>\n<track name=\"FRAME\"/>\n\n<track name=\"camera:FRAME\">\n"
                             "</track>\n</tracks>\n</sync>\n");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.line, 5u);
    EXPECT_NE(result.error.message.find("\"camera:FRAME\" is not a variable"), std::string::npos)
        << result.error.message;

    const Read malformed = read("<tracks>\n<track name=\"FRAME\">\n<key row=\"1\"/>\n</track></tracks>");
    EXPECT_FALSE(malformed.ok);
    EXPECT_EQ(malformed.error.line, 3u);
}

TEST(ContentEdits, AMutedTrackPlaysItsKeysAndTheFileWarnsWhereTheDemoDiffersFromTheEditor)
{
    const auto warnings = [](const Read& result) {
        EXPECT_TRUE(result.ok) << result.error.message;
        std::string lines;
        for (const Sync::FileError& warning : contentEditWarnings(result.document))
            lines += std::to_string(warning.line) + ": " + warning.message + "\n";
        return lines;
    };
    // The content's own grid, and a track that is not muted: nothing to say.
    EXPECT_EQ(warnings(read("<tracks rowsPerBeat=\"8\" beatsPerMin=\"125\">\n"
                            "<track name=\"FRAME\" muteKeyCount=\"0\"/>\n</tracks>")),
              "");
    // GNU Rocket's files say nothing of the grid: nothing to say either.
    EXPECT_EQ(warnings(read("<sync rows=\"8\">\n<tracks>\n<track name=\"FRAME\"/>\n</tracks>\n</sync>")), "");
    const Read muted = read("<rootElement>\n<tracks rows=\"10000\" rowsPerBeat=\"4\"\nbeatsPerMin=\"120\">\n"
                            "<track name=\"FRAME\" muteKeyCount=\"2\" muteValue=\"7\">\n"
                            "<key row=\"0\" value=\"1\" interpolation=\"0\"/>\n"
                            "<key row=\"8\" value=\"2\" interpolation=\"0\"/>\n"
                            "</track>\n</tracks>\n</rootElement>");
    EXPECT_EQ(warnings(muted),
              "3: beatsPerMin is 120 in the editor, but the demo plays 125 beats a minute: the keys' rows land at "
              "other times\n"
              "2: rowsPerBeat is 4 in the editor, but the demo plays 8 rows a beat: the keys' rows land at other "
              "times\n"
              "4: the track \"FRAME\" is muted in the editor; the demo plays its 2 keys\n");

    // The keys play, not the value the editor held while muted.
    Timeline timeline;
    loadContentTimeline(timeline);
    applyContentEdits(timeline, muted.document);
    EXPECT_EQ(evaluateCurve(timeline, 13, 0.0f), 1.0f);
    EXPECT_EQ(evaluateCurve(timeline, 13, 1.0f), 2.0f);  // row 16.7, past the second key
}

TEST(ContentEdits, TracksReplaceEmptyOrLeaveTheirCurves)
{
    Timeline timeline;
    loadContentTimeline(timeline);
    const Read edits = read("<tracks>\n"
                            "<track name=\"FRAME\">\n"
                            "<key row=\"640\" value=\"3\" interpolation=\"0\"/>\n"
                            "<key row=\"0\" value=\"0.5\" interpolation=\"4\"/>\n"
                            "</track>\n"
                            "<track name=\"CameraPosX\"/>\n"
                            "<track name=\"KRNSIZE\"><key row=\"2\" value=\"8\" interpolation=\"1\"/></track>\n"
                            "</tracks>");
    ASSERT_TRUE(edits.ok) << edits.error.message;
    const uint32_t glitchKeys = timeline.curves.at(15)->keys.count;
    applyContentEdits(timeline, edits.document);

    const GrowArray<Keyframe>& frame = timeline.curves.at(13)->keys;
    ASSERT_EQ(frame.count, 2u);
    EXPECT_EQ(frame[0].row, 0u);
    EXPECT_EQ(frame[0].value, 0.5f);
    EXPECT_EQ(frame[0].interpolation, 4);
    EXPECT_EQ(frame[1].row, 640u);
    EXPECT_EQ(timeline.curves.at(0)->keys.count, 0u);   // CameraPosX emptied
    ASSERT_EQ(timeline.curves.at(11)->keys.count, 1u);  // KRNSIZE had no keys
    EXPECT_EQ(timeline.curves.at(11)->keys[0].value, 8.0f);
    EXPECT_EQ(timeline.curves.at(15)->keys.count, glitchKeys);  // untouched
    // Evaluated as any built-in curve: the Quartic segment from 0.5 towards 3.
    EXPECT_EQ(evaluateCurve(timeline, 13, 0.0f), 0.5f);
    EXPECT_EQ(evaluateCurve(timeline, 13, 60.0f), 3.0f);
}

TEST(ContentEdits, ATimelineWithFewerCurvesTakesOnlyItsOwn)
{
    Timeline timeline;
    timeline.curves.resize(8);
    const Read edits =
        read("<tracks><track name=\"LNWIDHT\"><key row=\"0\" value=\"1\" interpolation=\"0\"/></track>"
             "<track name=\"CameraFOV\"><key row=\"0\" value=\"2\" interpolation=\"0\"/></track></tracks>");
    ASSERT_TRUE(edits.ok);
    applyContentEdits(timeline, edits.document);
    EXPECT_EQ(timeline.curves.count, 8u);
    ASSERT_EQ(timeline.curves.at(6)->keys.count, 1u);
    EXPECT_EQ(timeline.curves.at(6)->keys[0].value, 2.0f);
}

TEST(ContentEdits, EveryShippedFileReads)
{
    // The build checked them; here the program's own reading must agree.
    for (uint32_t i = 0; i < shippedEditFileCount; ++i) {
        const ShippedEditFile& file = shippedEditFiles[i];
        Sync::RocketDocument document;
        Sync::FileError error;
        EXPECT_TRUE(readContentEdits(reinterpret_cast<const char*>(file.data), *file.size, document, error))
            << file.name << ":" << error.line << ": " << error.message;
    }
    Timeline timeline;
    loadContentTimeline(timeline);
    EXPECT_EQ(applyShippedEdits(timeline), shippedEditFileCount);
}
