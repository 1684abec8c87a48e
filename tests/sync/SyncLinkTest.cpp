#include "sync/SyncLink.h"

#include "tests/support/EditorBytes.h"

#include <gtest/gtest.h>

#include <string>

using namespace Nimbra;
using namespace Nimbra::Sync;
using namespace EditorBytes;

namespace {

const char* const names[] = {"CameraPosX", "cam:y", "FLAT_L4_FRAME"};

// Three curves that hold keys of their own before any editor connects.
struct ThreeCurves {
    Timeline timeline;

    ThreeCurves()
    {
        timeline.bpm = 125.0f;
        timeline.curves.resize(3);
        for (uint32_t curve = 0; curve < 3; ++curve)
            timeline.curves.at(curve)->keys.push(Keyframe{0, 100.0f + float(curve), 1});
    }
};

struct LinkFixture : ::testing::Test, ThreeCurves {
    SyncLink link{timeline, names, 3};

    Bytes takeOutput()
    {
        Bytes out(link.pendingOutput(), link.pendingOutput() + link.pendingOutputSize());
        link.consumeOutput(out.size());
        return out;
    }

    LinkUpdate feed(const Bytes& bytes) { return link.receive(bytes.data(), bytes.size()); }

    // Connects and answers the greeting; the greeting and track requests are taken.
    void goLive()
    {
        link.connected();
        const LinkUpdate update = feed(greeting());
        ASSERT_TRUE(update.greeted);
        ASSERT_EQ(link.state(), LinkState::Live);
        takeOutput();
    }

    std::string keysOf(uint32_t curve) const
    {
        std::string text;
        for (const Keyframe& key : timeline.curves.at(curve)->keys) {
            char item[64];
            std::snprintf(item, sizeof item, "%u=%08x/%d ", key.row, bitsOf(key.value), key.interpolation);
            text += item;
        }
        return text;
    }
};

}  // namespace

TEST_F(LinkFixture, GreetsThenAsksForTheTracksInOrderOnceAnswered)
{
    EXPECT_EQ(link.state(), LinkState::Disconnected);
    EXPECT_EQ(link.pendingOutputSize(), 0u);
    link.connected();
    EXPECT_EQ(link.state(), LinkState::AwaitingGreeting);
    const std::string hello = "hello, synctracker!";
    EXPECT_EQ(takeOutput(), Bytes(hello.begin(), hello.end()));

    // Half the answer: still waiting, nothing asked for, the curves untouched.
    const Bytes answer = greeting();
    EXPECT_FALSE(link.receive(answer.data(), 6).greeted);
    EXPECT_EQ(link.state(), LinkState::AwaitingGreeting);
    EXPECT_EQ(link.pendingOutputSize(), 0u);
    EXPECT_EQ(timeline.curves.at(0)->keys.count, 1u);

    const LinkUpdate update = link.receive(answer.data() + 6, answer.size() - 6);
    EXPECT_TRUE(update.greeted);
    EXPECT_TRUE(update.keysChanged);
    EXPECT_EQ(link.state(), LinkState::Live);
    EXPECT_EQ(takeOutput(), join({getTrack("CameraPosX"), getTrack("cam:y"), getTrack("FLAT_L4_FRAME")}));
    // The editor's keys replace the demo's: every track starts empty.
    for (uint32_t curve = 0; curve < 3; ++curve)
        EXPECT_EQ(timeline.curves.at(curve)->keys.count, 0u);
}

TEST_F(LinkFixture, SetsAndDeletesKeysOnTheTrackedCurves)
{
    goLive();
    const LinkUpdate update = feed(join({setKey(2, 40, 2.5f, 4), setKey(2, 8, -1.0f, 0), setKey(0, 0, 11.6f, 3),
                                         setKey(2, 40, 7.0f, 2), deleteKey(2, 8), deleteKey(1, 99)}));
    EXPECT_TRUE(update.keysChanged);
    EXPECT_FALSE(update.failed);
    EXPECT_EQ(update.messages, 6u);
    EXPECT_EQ(keysOf(0), "0=4139999a/3 ");
    EXPECT_EQ(keysOf(1), "");
    EXPECT_EQ(keysOf(2), "40=40e00000/2 ");
    // What the demo shows is evaluateCurve over those keys.
    EXPECT_EQ(evaluateCurve(timeline, 0, 1.0f), 11.6f);

    // Deleting a row without a key changes nothing.
    EXPECT_FALSE(feed(deleteKey(0, 5)).keysChanged);
}

TEST_F(LinkFixture, ReportsSeeksPausesAndSaves)
{
    goLive();
    LinkUpdate update = feed(join({setRow(10), pause(1), setRow(1600)}));
    EXPECT_FALSE(update.keysChanged);
    EXPECT_TRUE(update.seek);
    EXPECT_EQ(update.seekRow, 1600u);  // the last seek of the batch counts
    EXPECT_TRUE(update.pauseChanged);
    EXPECT_TRUE(update.paused);
    EXPECT_FALSE(update.saveRequested);

    update = feed(join({pause(0), saveTracks()}));
    EXPECT_FALSE(update.seek);
    EXPECT_TRUE(update.pauseChanged);
    EXPECT_FALSE(update.paused);
    EXPECT_TRUE(update.saveRequested);
}

TEST_F(LinkFixture, ReportsEachNewRowWhilePlaying)
{
    link.connected();
    link.playRow(5, true);                     // not live yet: nothing
    link.reportRow(9);                         // nor a move of the demo's own
    EXPECT_EQ(link.pendingOutputSize(), 19u);  // the greeting alone
    feed(greeting());
    takeOutput();
    link.playRow(5, true);
    link.playRow(5, true);
    link.playRow(6, true);
    link.playRow(7, false);  // paused: nothing
    link.playRow(8, true);
    EXPECT_EQ(takeOutput(), join({setRow(5), setRow(6), setRow(8)}));

    // The row the editor seeked to is not echoed; the next one is.
    feed(setRow(100));
    link.playRow(100, true);
    link.playRow(101, true);
    EXPECT_EQ(takeOutput(), setRow(101));

    // A move of the demo's own goes out paused too, and once: playing on, the next row.
    link.reportRow(40);
    link.playRow(40, true);
    link.playRow(41, true);
    EXPECT_EQ(takeOutput(), join({setRow(40), setRow(41)}));
}

TEST_F(LinkFixture, HandsOutOutputAsTheTransportTakesIt)
{
    link.connected();
    EXPECT_EQ(link.pendingOutputSize(), 19u);
    link.consumeOutput(7);
    EXPECT_EQ(link.pendingOutputSize(), 12u);
    EXPECT_EQ(Bytes(link.pendingOutput(), link.pendingOutput() + 12),
              Bytes({'s', 'y', 'n', 'c', 't', 'r', 'a', 'c', 'k', 'e', 'r', '!'}));
    link.consumeOutput(100);
    EXPECT_EQ(link.pendingOutputSize(), 0u);
}

TEST_F(LinkFixture, BadInputFailsTheLinkAndKeepsTheKeysItHas)
{
    goLive();
    feed(setKey(1, 3, 4.0f, 1));
    const LinkUpdate update = feed(join({setKey(1, 9, 5.0f, 1), setKey(3, 0, 1.0f, 0), setKey(1, 20, 6.0f, 1)}));
    EXPECT_TRUE(update.failed);
    EXPECT_TRUE(update.keysChanged);  // the message before the fault was applied
    EXPECT_EQ(update.messages, 1u);
    EXPECT_EQ(link.state(), LinkState::Failed);
    EXPECT_NE(std::string(link.fault()).find("track 3"), std::string::npos) << link.fault();
    EXPECT_EQ(keysOf(1), "3=40800000/1 9=40a00000/1 ");

    // Nothing more is taken until the owner closes and reconnects.
    EXPECT_FALSE(feed(setKey(1, 30, 1.0f, 0)).keysChanged);
    link.disconnected();
    EXPECT_EQ(link.state(), LinkState::Disconnected);
    EXPECT_NE(std::string(link.fault()), "");
    EXPECT_EQ(keysOf(1), "3=40800000/1 9=40a00000/1 ");
    link.connected();
    EXPECT_STREQ(link.fault(), "");
}

TEST_F(LinkFixture, EveryKindOfBadInputFails)
{
    const Bytes cases[] = {
        Bytes{0x42},                         // unknown command
        Bytes{2, 0, 0, 0, 1, 'x'},           // GET_TRACK is not the editor's to send
        setKey(3, 0, 1.0f, 0),               // track never asked for
        deleteKey(7, 0),                     //
        setKey(0, (1u << 24) + 1, 1.0f, 0),  // row beyond 2^24
        setRow(0xFFFFFFFFu),                 // row -1
        setKeyBits(0, 0, 0x7FC00000u, 0),    // NaN
        setKey(0, 0, 1.0f, 5),               // key type
        pause(7),                            // pause flag
    };
    for (const Bytes& bad : cases) {
        goLive();
        EXPECT_TRUE(feed(bad).failed) << int(bad[0]);
        EXPECT_EQ(link.state(), LinkState::Failed);
        link.disconnected();
    }
    // A wrong greeting.
    link.connected();
    EXPECT_TRUE(feed(Bytes{'h', 'i'}).failed);
    EXPECT_EQ(link.state(), LinkState::Failed);
}

TEST_F(LinkFixture, ATrackStopsAt65536Keys)
{
    goLive();
    Bytes burst;
    for (uint32_t row = 0; row < 65536; ++row) {
        const Bytes key = setKey(0, row, float(row), 0);
        burst.insert(burst.end(), key.begin(), key.end());
    }
    LinkUpdate update = feed(burst);
    EXPECT_FALSE(update.failed);
    EXPECT_EQ(timeline.curves.at(0)->keys.count, 65536u);
    // Replacing a key of a full track is fine, a new row is not.
    EXPECT_FALSE(feed(setKey(0, 65535, -1.0f, 1)).failed);
    update = feed(setKey(0, 65536, 1.0f, 0));
    EXPECT_TRUE(update.failed);
    EXPECT_NE(std::string(link.fault()).find("65536"), std::string::npos) << link.fault();
    EXPECT_EQ(timeline.curves.at(0)->keys.count, 65536u);
}

TEST_F(LinkFixture, SaysWhyTheEditorWentAway)
{
    link.connected();
    feed(Bytes{'h', 'e'});
    link.disconnected();
    EXPECT_NE(std::string(link.fault()).find("greeting"), std::string::npos) << link.fault();

    goLive();
    const Bytes key = setKey(0, 1, 1.0f, 0);
    link.receive(key.data(), 7);
    link.disconnected();
    EXPECT_NE(std::string(link.fault()).find("middle of a message"), std::string::npos) << link.fault();

    goLive();
    feed(key);
    link.disconnected();
    EXPECT_STREQ(link.fault(), "");
    EXPECT_EQ(link.pendingOutputSize(), 0u);
}

TEST_F(LinkFixture, AReconnectAsksAgainAndStartsFromTheEditorsKeys)
{
    goLive();
    feed(setKey(0, 4, 1.0f, 0));
    link.disconnected();
    EXPECT_EQ(keysOf(0), "4=3f800000/0 ");  // kept while no editor answers
    link.connected();
    EXPECT_EQ(keysOf(0), "4=3f800000/0 ");
    takeOutput();
    feed(join({greeting(), setKey(0, 8, 2.0f, 1)}));
    EXPECT_EQ(keysOf(0), "8=40000000/1 ");
    EXPECT_EQ(takeOutput(), join({getTrack("CameraPosX"), getTrack("cam:y"), getTrack("FLAT_L4_FRAME")}));
}

TEST(SyncLink, LeavesOutNamesBeyondTheTimelinesCurves)
{
    Timeline timeline;
    timeline.curves.resize(2);
    SyncLink link(timeline, names, 3);
    EXPECT_EQ(link.trackCount(), 2u);
    link.connected();
    link.consumeOutput(link.pendingOutputSize());
    const Bytes answer = greeting();
    link.receive(answer.data(), answer.size());
    EXPECT_EQ(Bytes(link.pendingOutput(), link.pendingOutput() + link.pendingOutputSize()),
              join({getTrack("CameraPosX"), getTrack("cam:y")}));
    const Bytes third = setKey(2, 0, 1.0f, 0);
    EXPECT_TRUE(link.receive(third.data(), third.size()).failed);
}
