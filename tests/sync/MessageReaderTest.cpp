#include "sync/MessageReader.h"

#include "tests/support/EditorBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace Nimbra::Sync;
using namespace EditorBytes;

namespace {

// Everything a reader made of a byte stream offered in pieces of `piece` bytes: one line per
// greeting or message, and the fault last.
struct Transcript {
    std::vector<std::string> lines;
    std::string fault;
};

std::string describe(const EditorMessage& m)
{
    char text[96];
    switch (m.command) {
    case Command::SetKey:
        std::snprintf(text, sizeof text, "key %u %u %08x %d", m.track, m.row, bitsOf(m.value), m.interpolation);
        break;
    case Command::DeleteKey: std::snprintf(text, sizeof text, "delete %u %u", m.track, m.row); break;
    case Command::SetRow: std::snprintf(text, sizeof text, "row %u", m.row); break;
    case Command::Pause: std::snprintf(text, sizeof text, "pause %d", m.paused ? 1 : 0); break;
    case Command::SaveTracks: std::snprintf(text, sizeof text, "save"); break;
    default: std::snprintf(text, sizeof text, "other %u", unsigned(m.command)); break;
    }
    return text;
}

Transcript readInPieces(const Bytes& bytes, size_t piece, uint32_t tracks = 64)
{
    MessageReader reader(tracks);
    Transcript transcript;
    size_t offset = 0;
    while (offset < bytes.size()) {
        const size_t size = std::min(piece, bytes.size() - offset);
        size_t taken = 0;
        while (taken < size) {
            size_t used = 0;
            EditorMessage message;
            const ReadStatus status = reader.read(bytes.data() + offset + taken, size - taken, used, message);
            taken += used;
            if (status == ReadStatus::Greeting)
                transcript.lines.push_back("greeting");
            else if (status == ReadStatus::Message)
                transcript.lines.push_back(describe(message));
            else if (status == ReadStatus::Fault) {
                transcript.fault = reader.fault();
                return transcript;
            } else {
                EXPECT_EQ(taken, size) << "a reader that needs more must have taken every byte";
                break;
            }
        }
        offset += size;
    }
    return transcript;
}

std::string faultOf(const Bytes& afterGreeting, uint32_t tracks = 64)
{
    return readInPieces(join({greeting(), afterGreeting}), 1000, tracks).fault;
}

}  // namespace

TEST(MessageReader, ReadsEveryCommandWhereverTheStreamIsSplit)
{
    const Bytes stream = join({greeting(), setKey(3, 0x10203, 1.5f, 4), deleteKey(63, 16777216), setRow(1600), pause(1),
                               pause(0), saveTracks(), setKey(0, 0, -0.0f, 0)});
    const std::vector<std::string> expected = {
        "greeting", "key 3 66051 3fc00000 4", "delete 63 16777216", "row 1600", "pause 1", "pause 0",
        "save",     "key 0 0 80000000 0"};
    for (size_t piece = 1; piece <= stream.size(); ++piece) {
        const Transcript transcript = readInPieces(stream, piece);
        EXPECT_EQ(transcript.fault, "") << "pieces of " << piece;
        EXPECT_EQ(transcript.lines, expected) << "pieces of " << piece;
    }
}

TEST(MessageReader, SplitsAtEveryPointOfOneMessage)
{
    // Two pieces, cut at every place of a greeting followed by a SET_KEY.
    const Bytes stream = join({greeting(), setKey(1, 2, 3.0f, 2)});
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        MessageReader reader(2);
        std::vector<std::string> lines;
        for (const auto& [from, to] : {std::pair<size_t, size_t>{0, cut}, {cut, stream.size()}}) {
            size_t offset = from;
            while (offset < to) {
                size_t used = 0;
                EditorMessage message;
                const ReadStatus status = reader.read(stream.data() + offset, to - offset, used, message);
                offset += used;
                if (status == ReadStatus::Greeting)
                    lines.push_back("greeting");
                if (status == ReadStatus::Message)
                    lines.push_back(describe(message));
                if (status == ReadStatus::NeedMore || status == ReadStatus::Fault)
                    break;
            }
        }
        EXPECT_EQ(lines, (std::vector<std::string>{"greeting", "key 1 2 40400000 2"})) << "cut at " << cut;
        EXPECT_FALSE(reader.midMessage());
    }
}

TEST(MessageReader, KnowsWhenAMessageIsCutShort)
{
    MessageReader reader(4);
    const Bytes stream = join({greeting(), setKey(1, 2, 3.0f, 0)});
    size_t used = 0;
    EditorMessage message;
    EXPECT_EQ(reader.read(stream.data(), 5, used, message), ReadStatus::NeedMore);
    EXPECT_TRUE(reader.midMessage());  // half a greeting
    EXPECT_FALSE(reader.greeted());
    EXPECT_EQ(reader.read(stream.data() + 5, 7, used, message), ReadStatus::Greeting);
    EXPECT_TRUE(reader.greeted());
    EXPECT_FALSE(reader.midMessage());
    EXPECT_EQ(reader.read(stream.data() + 12, 6, used, message), ReadStatus::NeedMore);
    EXPECT_EQ(used, 6u);
    EXPECT_TRUE(reader.midMessage());
    EXPECT_EQ(reader.read(stream.data() + 18, stream.size() - 18, used, message), ReadStatus::Message);
    EXPECT_FALSE(reader.midMessage());
}

TEST(MessageReader, RefusesAWrongGreetingAtItsFirstWrongByte)
{
    const Bytes wrong = {'h', 'e', 'l', 'l', 'o', ',', ' ', 'D'};
    MessageReader reader(1);
    size_t used = 0;
    EditorMessage message;
    EXPECT_EQ(reader.read(wrong.data(), wrong.size(), used, message), ReadStatus::Fault);
    EXPECT_EQ(used, 7u);
    EXPECT_NE(std::string(reader.fault()).find("greeting"), std::string::npos) << reader.fault();
    // Messages in place of the greeting are refused too.
    EXPECT_NE(readInPieces(setRow(1), 1).fault, "");
    EXPECT_NE(readInPieces({'h', 'e', 'l', 'l', 'o', ',', ' ', 's', 'y', 'n', 'c'}, 3).fault, "");
}

TEST(MessageReader, RefusesUnknownCommands)
{
    for (uint8_t command : {uint8_t(2), uint8_t(6), uint8_t(0x7f), uint8_t(0xff)}) {
        const std::string fault = faultOf({command, 0, 0, 0, 0});
        EXPECT_NE(fault.find("unknown command"), std::string::npos) << int(command) << ": " << fault;
    }
}

TEST(MessageReader, RefusesTracksThatWereNeverAskedFor)
{
    EXPECT_EQ(faultOf(setKey(63, 0, 1.0f, 0), 64), "");
    EXPECT_NE(faultOf(setKey(64, 0, 1.0f, 0), 64), "");
    EXPECT_NE(faultOf(deleteKey(64, 0), 64), "");
    EXPECT_NE(faultOf(deleteKey(0xFFFFFFFFu, 0), 64), "");
    EXPECT_NE(faultOf(setKey(0, 0, 1.0f, 0), 0), "");  // before any track was asked for
}

TEST(MessageReader, RefusesRowsOutsideTheGrid)
{
    const uint32_t top = 1u << 24;
    EXPECT_EQ(faultOf(setKey(0, top, 1.0f, 0)), "");
    EXPECT_EQ(faultOf(setRow(top)), "");
    for (uint32_t row : {top + 1, 0x80000000u, 0xFFFFFFFFu /* -1 */}) {
        EXPECT_NE(faultOf(setKey(0, row, 1.0f, 0)), "") << row;
        EXPECT_NE(faultOf(deleteKey(0, row)), "") << row;
        EXPECT_NE(faultOf(setRow(row)), "") << row;
    }
}

TEST(MessageReader, RefusesValuesThatAreNotFiniteNumbers)
{
    for (uint32_t bits : {0x7FC00000u, 0xFFC00001u, 0x7F800001u, 0x7F800000u, 0xFF800000u}) {
        const std::string fault = faultOf(setKeyBits(0, 0, bits, 0));
        EXPECT_NE(fault.find("not a finite number"), std::string::npos) << std::hex << bits << ": " << fault;
    }
    // The largest float, the smallest subnormal and negative zero are numbers.
    for (uint32_t bits : {0x7F7FFFFFu, 0x00000001u, 0x80000000u})
        EXPECT_EQ(faultOf(setKeyBits(0, 0, bits, 0)), "") << std::hex << bits;
}

TEST(MessageReader, PassesKeyTypesZeroToFourAndRefusesTheRest)
{
    const Transcript transcript = readInPieces(join({greeting(), setKey(0, 0, 1, 0), setKey(0, 1, 1, 1),
                                                     setKey(0, 2, 1, 2), setKey(0, 3, 1, 3), setKey(0, 4, 1, 4)}),
                                               14);
    ASSERT_EQ(transcript.lines.size(), 6u);
    EXPECT_EQ(transcript.lines[5], "key 0 4 3f800000 4");  // Quartic stays 4
    for (uint8_t type : {uint8_t(5), uint8_t(0x80), uint8_t(0xff)})
        EXPECT_NE(faultOf(setKey(0, 0, 1.0f, type)), "") << int(type);
}

TEST(MessageReader, RefusesPauseFlagsOtherThanZeroAndOne)
{
    EXPECT_EQ(faultOf(pause(0)), "");
    EXPECT_EQ(faultOf(pause(1)), "");
    EXPECT_NE(faultOf(pause(2)), "");
    EXPECT_NE(faultOf(pause(0xff)), "");
}

TEST(MessageReader, StaysFaultedUntilReset)
{
    MessageReader reader(1);
    const Bytes bad = join({greeting(), Bytes{9}});
    size_t used = 0;
    EditorMessage message;
    EXPECT_EQ(reader.read(bad.data(), 12, used, message), ReadStatus::Greeting);
    EXPECT_EQ(reader.read(bad.data() + 12, 1, used, message), ReadStatus::Fault);
    EXPECT_EQ(used, 0u);
    const Bytes good = saveTracks();
    EXPECT_EQ(reader.read(good.data(), good.size(), used, message), ReadStatus::Fault);
    EXPECT_EQ(used, 0u);
    reader.reset();
    EXPECT_STREQ(reader.fault(), "");
    const Bytes again = join({greeting(), saveTracks()});
    EXPECT_EQ(reader.read(again.data(), again.size(), used, message), ReadStatus::Greeting);
    EXPECT_EQ(reader.read(again.data() + used, again.size() - used, used, message), ReadStatus::Message);
    EXPECT_EQ(message.command, Command::SaveTracks);
}
