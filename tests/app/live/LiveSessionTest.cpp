// demo-sync's live session natively: an editor connection in memory, a stand-in sound device and
// a millisecond clock the tests step, so that retries, time-outs, seeks, pauses and the window's
// keys are checked turn by turn without waiting on anything.
#include "app/AudioClock.h"
#include "app/live/LiveSession.h"
#include "content/animation/ContentVariables.h"
#include "content/animation/ContentKeys.h"
#include "audio/ModulePlayer.h"
#include "content/song/Song.h"
#include "sync/Rows.h"
#include "tests/support/EditorBytes.h"
#include "tests/support/FakeAudioOutput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace Nimbra {
namespace {

using namespace EditorBytes;
using Testing::FakeAudioDevice;
using Testing::fakeAudioOutput;
using Testing::resetFakeAudioDevice;

uint64_t now = 0;
uint64_t steppedClock()
{
    return now;
}

// An editor at the other end of a connection held in memory.
class MemoryConnection : public Sync::EditorConnection
{
public:
    bool refuse = false;  // connect() fails at once
    int connects = 0;
    Bytes fromEditor;  // waiting for the demo
    Bytes toEditor;    // what the demo sent
    bool editorGone = false;

    void connect() override
    {
        ++connects;
        open = !refuse;
        editorGone = false;
    }
    Sync::ConnectionState state() override
    {
        return open ? Sync::ConnectionState::Open : Sync::ConnectionState::Closed;
    }
    ptrdiff_t receive(uint8_t* buffer, size_t size) override
    {
        if (!open)
            return -1;
        if (fromEditor.empty())
            return editorGone ? -1 : 0;
        const size_t n = fromEditor.size() < size ? fromEditor.size() : size;
        std::memcpy(buffer, fromEditor.data(), n);
        fromEditor.erase(fromEditor.begin(), fromEditor.begin() + ptrdiff_t(n));
        return ptrdiff_t(n);
    }
    ptrdiff_t send(const uint8_t* data, size_t size) override
    {
        if (!open)
            return -1;
        toEditor.insert(toEditor.end(), data, data + size);
        return ptrdiff_t(size);
    }
    void close() override { open = false; }
    void editorSends(const Bytes& bytes) { fromEditor.insert(fromEditor.end(), bytes.begin(), bytes.end()); }
    bool isOpen() const { return open; }

private:
    bool open = false;
};

// The demo's greeting, then GET_TRACK for every content variable in order.
Bytes expectedRequests(const Timeline&)
{
    Bytes out;
    const char* greeting = "hello, synctracker!";
    out.insert(out.end(), greeting, greeting + std::strlen(greeting));
    static const char* firstNames[] = {"CameraPosX", "CameraPosY", "CameraPosZ"};
    for (const char* name : firstNames) {
        const Bytes request = getTrack(name);
        out.insert(out.end(), request.begin(), request.end());
    }
    return out;
}

class LiveSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        now = 0;
        device = &resetFakeAudioDevice(true);
        loadContentTimeline(timeline);
    }
    void makeSession(EditorLinkOptions linkOptions = {}, LiveSessionOptions options = {})
    {
        const LiveLog log = [this](const LiveEvent& event) { events.push_back(event); };
        music = std::make_unique<MusicClock>(songModule, songModuleSize, fakeAudioOutput(), log, steppedClock);
        link = std::make_unique<EditorLink>(timeline, connection, linkOptions, log);
        session = std::make_unique<LiveSession>(LiveSessionParts{timeline, *music, *link}, input, view, options, log,
                                                steppedClock);
        music->start();
        session->start();
    }
    void TearDown() override
    {
        if (session)
            session->stop();
    }
    // One turn at `ms` on the stepped clock.
    void turnAt(uint64_t ms)
    {
        now = ms;
        session->turn();
    }
    void greet()
    {
        turnAt(now);
        connection.editorSends(greeting());
        turnAt(now);
        ASSERT_EQ(link->state(), Sync::LinkState::Live);
        connection.toEditor.clear();
    }
    // The events of a kind so far.
    std::vector<LiveEvent> logged(LiveEventKind kind) const
    {
        std::vector<LiveEvent> found;
        for (const LiveEvent& event : events)
            if (event.kind == kind)
                found.push_back(event);
        return found;
    }
    bool loggedText(LiveEventKind kind, const std::string& text) const
    {
        for (const LiveEvent& event : logged(kind))
            if (event.text == text)
                return true;
        return false;
    }
    // The SET_ROW reports in what the demo sent.
    std::vector<uint32_t> reports() const
    {
        std::vector<uint32_t> rows;
        const Bytes& b = connection.toEditor;
        for (size_t i = 0; i + 5 <= b.size(); i += 5) {
            EXPECT_EQ(b[i], 3) << "only row reports after the tracks";
            rows.push_back(uint32_t(b[i + 1]) << 24 | uint32_t(b[i + 2]) << 16 | uint32_t(b[i + 3]) << 8 | b[i + 4]);
        }
        return rows;
    }

    Timeline timeline;
    MemoryConnection connection;
    FakeAudioDevice* device = nullptr;
    std::vector<LiveEvent> events;
    WindowInput input;
    std::vector<KeyDown>& keys = input.keys;
    LiveView view;
    std::unique_ptr<MusicClock> music;
    std::unique_ptr<EditorLink> link;
    std::unique_ptr<LiveSession> session;
};

// Row 1600 is 96 s: 4,233,600 frames. In single precision 16.666666 x 96 is 1599.99994, which
// rounds to 1600.0 (a tie, to even), so that frame is on the row; the frame before, 95.99998 s,
// is on row 1599.
TEST(FirstFrameOfRow, IsTheFirstFrameTheCurvesSeeOnTheRow)
{
    Timeline timeline;
    loadContentTimeline(timeline);
    EXPECT_EQ(firstFrameOfRow(timeline, 0), 0u);
    EXPECT_EQ(firstFrameOfRow(timeline, 1600), 4233600u);
    // Rows are 2,646 frames apart (44,100 / 16.666666); each first frame is on its row and the
    // frame before it is not.
    for (uint32_t row = 1; row < 2000; ++row) {
        const uint32_t frame = firstFrameOfRow(timeline, row);
        ASSERT_EQ(Sync::rowAt(timeline, clockSecondsFromFrames(frame)), row) << row;
        ASSERT_EQ(Sync::rowAt(timeline, clockSecondsFromFrames(frame - 1)), row - 1) << row;
        ASSERT_NEAR(double(frame), row * 2646.0, 2.0) << row;
    }
}

TEST_F(LiveSessionTest, WithoutAnEditorPlaysAndTriesAgainEverySecond)
{
    connection.refuse = true;
    makeSession();
    turnAt(0);
    EXPECT_EQ(connection.connects, 1);
    EXPECT_EQ(device->written.load(), 1);  // the music starts in the first turn
    turnAt(999);
    EXPECT_EQ(connection.connects, 1);
    turnAt(1000);
    EXPECT_EQ(connection.connects, 2);
    EXPECT_EQ(logged(LiveEventKind::ConnectFailed).size(), 2u);

    device->bytesPlayed = 66150 * 8;  // 1.5 s of music
    turnAt(1100);
    EXPECT_EQ(music->seconds(), 1.5f);
}

TEST_F(LiveSessionTest, GreetsAsksForTheTracksAndTakesTheEditorsKeys)
{
    makeSession();
    turnAt(0);
    ASSERT_TRUE(connection.isOpen());
    EXPECT_EQ(link->state(), Sync::LinkState::AwaitingGreeting);
    connection.editorSends(greeting());
    turnAt(10);
    const Bytes expected = expectedRequests(timeline);
    ASSERT_GE(connection.toEditor.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), connection.toEditor.begin()));
    // Once asked for, the tracks hold what the editor holds: nothing, then its keys.
    EXPECT_EQ(timeline.curves.at(10)->keys.count, 0u);

    connection.editorSends(setKey(10, 16, 0.75f, 0));  // FCSRANGE 0.75 from row 16 on
    turnAt(20);
    EXPECT_EQ(evaluateCurve(timeline, 10, 1.0f), 0.75f);  // row 16.67
    EXPECT_EQ(evaluateCurve(timeline, 10, 0.9f), 0.0f);   // row 15, before the key
    connection.editorSends(deleteKey(10, 16));
    turnAt(30);
    EXPECT_EQ(timeline.curves.at(10)->keys.count, 0u);
}

TEST_F(LiveSessionTest, LeavesAnEditorThatNeverAnswersTheGreeting)
{
    makeSession();
    turnAt(0);
    turnAt(3000);
    EXPECT_TRUE(connection.isOpen());
    turnAt(3001);
    EXPECT_FALSE(connection.isOpen());
    EXPECT_EQ(logged(LiveEventKind::GreetingTimeout).size(), 1u);
    turnAt(4000);
    EXPECT_FALSE(connection.isOpen());
    turnAt(4001);
    EXPECT_TRUE(connection.isOpen());  // a second later it tries again
}

TEST_F(LiveSessionTest, BadBytesCloseTheLinkAndKeepTheKeys)
{
    makeSession();
    greet();
    connection.editorSends(setKey(10, 0, 0.5f, 1));
    connection.editorSends(Bytes{0x7f});
    turnAt(100);
    EXPECT_FALSE(connection.isOpen());
    EXPECT_TRUE(loggedText(LiveEventKind::LinkFault, "unknown command 0x7f"));
    ASSERT_EQ(timeline.curves.at(10)->keys.count, 1u);
    EXPECT_EQ(timeline.curves.at(10)->keys.at(0)->value, 0.5f);
    turnAt(1100);
    EXPECT_TRUE(connection.isOpen());
}

TEST_F(LiveSessionTest, AnEditorGoneMidMessageLeavesTheKeysAndIsCalledAgain)
{
    makeSession();
    greet();
    const Bytes key = setKey(10, 0, 0.5f, 1);
    connection.editorSends(Bytes(key.begin(), key.begin() + 7));
    connection.editorGone = true;
    turnAt(100);
    EXPECT_FALSE(connection.isOpen());
    EXPECT_TRUE(loggedText(LiveEventKind::LinkLost, "the editor closed the link in the middle of a message"));
    EXPECT_EQ(timeline.curves.at(10)->keys.count, 0u);
    turnAt(1100);
    EXPECT_TRUE(connection.isOpen());
}

// Paused, a seek puts the music on the row's first frame and nothing plays until the resume;
// then the rows go back to the editor as the music reaches them, the seeked one excepted.
TEST_F(LiveSessionTest, SeeksPausesAndReportsRows)
{
    makeSession();
    greet();
    const int opened = device->opened.load();
    connection.editorSends(join({pause(1), setRow(1600)}));
    turnAt(100);
    EXPECT_FALSE(music->playing());
    EXPECT_EQ(device->opened.load(), opened + 1);  // the stream started again at the row
    EXPECT_EQ(music->frame(), 4233600u);
    EXPECT_EQ(Sync::rowAt(timeline, music->seconds()), 1600u);
    ASSERT_EQ(logged(LiveEventKind::Seek).size(), 1u);
    EXPECT_EQ(logged(LiveEventKind::Seek)[0].numbers[0], 1600u);
    const int written = device->written.load();
    turnAt(200);
    EXPECT_EQ(device->written.load(), written);  // paused: not submitted
    EXPECT_TRUE(reports().empty());

    connection.editorSends(pause(0));
    turnAt(300);
    EXPECT_EQ(device->written.load(), written + 1);
    // Worked out in single precision: frame 4,233,600 + 2,646 is still on row 1600, one frame
    // more is on 1601; 4,233,600 + 3 x 2,646 is on 1603.
    device->bytesPlayed = 2646 * 8;
    turnAt(350);
    EXPECT_TRUE(reports().empty());
    device->bytesPlayed = 2647 * 8;
    turnAt(400);
    device->bytesPlayed = 3 * 2646 * 8;
    turnAt(500);
    EXPECT_EQ(reports(), (std::vector<uint32_t>{1601, 1603}));

    // Paused again, the device holds and no rows are reported.
    connection.editorSends(pause(1));
    turnAt(600);
    EXPECT_EQ(device->paused.load(), 2);  // the first pause came before the seek
    turnAt(700);
    EXPECT_EQ(reports().size(), 2u);
}

TEST_F(LiveSessionTest, LoopsTheMusicAtTheShowsEnd)
{
    makeSession();
    turnAt(0);
    const int opened = device->opened.load();
    device->bytesPlayed = 4744278u * 8;  // 107.58 s
    turnAt(100);
    EXPECT_EQ(device->opened.load(), opened + 1);
    EXPECT_EQ(music->frame(), 0u);
    EXPECT_EQ(music->seconds(), 0.0f);
}

// A new song goes on where the music is, paused as it was, in the stream as it runs; one the
// loader refuses changes nothing.
TEST_F(LiveSessionTest, ANewSongGoesOnAtTheSameTime)
{
    makeSession();
    turnAt(0);
    device->bytesPlayed = 66150 * 8;  // 1.5 s
    connection.editorSends(greeting());
    turnAt(10);
    connection.editorSends(pause(true));
    turnAt(20);
    const int opened = device->opened.load();
    const ModulePlayer* playing = music->stream().player;  // the new one is made while it still lives
    std::string why;
    EXPECT_FALSE(music->replaceSong({'n', 'o', 't', ' ', 'X', 'M'}, why));
    EXPECT_EQ(why, "is refused by the loader (not an XM module it reads)");
    ASSERT_TRUE(Testing::waitForRefill(*device));
    EXPECT_EQ(music->stream().player, playing);

    // The song's first half: the loader reads what is there.
    ASSERT_TRUE(music->replaceSong(std::vector<unsigned char>(songModule, songModule + songModuleSize / 2), why))
        << why;
    ASSERT_EQ(events.back().kind, LiveEventKind::MusicRestarted);
    EXPECT_EQ(events.back().numbers[0], 66150u);
    ASSERT_TRUE(Testing::waitForRefill(*device));
    EXPECT_NE(music->stream().player, playing);
    turnAt(30);
    EXPECT_EQ(music->seconds(), 1.5f);
    EXPECT_FALSE(music->playing());
    EXPECT_EQ(device->opened.load(), opened);  // the device is not opened anew
    EXPECT_EQ(device->written.load(), 1);
    EXPECT_EQ(device->paused.load(), 1);
    EXPECT_EQ(device->resumed.load(), 0);
}

// After a seek to row 100 (song frame 264,600) while paused, the stream holds the pre-filled
// song frames 264,600 .. 268,695 and waits for the resume; a new song then takes over at the
// first frame the refill renders, 268,696. Once 2000 frames have played, the ring holds the old
// song's frames 266,600 .. 268,695 and the new song's 268,696 .. 270,695.
TEST_F(LiveSessionTest, ANewSongTakesOverAtTheSongFrameAfterASeek)
{
    makeSession();
    greet();
    connection.editorSends(join({pause(1), setRow(100)}));
    turnAt(100);
    ASSERT_EQ(music->frame(), 264600u);
    const std::vector<unsigned char> half(songModule, songModule + songModuleSize / 2);
    std::string why;
    ASSERT_TRUE(music->replaceSong(half, why)) << why;
    connection.editorSends(pause(0));
    turnAt(200);
    device->bytesPlayed = 2000 * 8;
    ASSERT_TRUE(Testing::waitForRefill(*device));

    std::vector<float> oldSong(size_t(270696) * 2), newSong(size_t(270696) * 2);
    const std::vector<unsigned char> whole(songModule, songModule + songModuleSize);
    for (auto [module, out] : {std::pair(&whole, &oldSong), std::pair(&half, &newSong)}) {
        ModulePlayer* player = nullptr;
        ASSERT_EQ(createModulePlayer(&player, module->data(), module->size(), kStreamRate), CreatePlayerOk);
        player->setMaxLoops(1);
        player->generate(out->data(), 270696);
        destroyModulePlayer(player);
    }
    const float* ring = music->stream().buffer;
    for (uint32_t f = 266600; f < 270696; ++f) {
        const std::vector<float>& song = f < 268696 ? oldSong : newSong;
        const uint32_t slot = (f - 264600) % kStreamFrames;
        ASSERT_EQ(ring[slot * 2], song[f * 2]) << "song frame " << f;
        ASSERT_EQ(ring[slot * 2 + 1], song[f * 2 + 1]) << "song frame " << f;
    }
}

TEST_F(LiveSessionTest, WithoutASoundDeviceTheMusicRunsSilent)
{
    resetFakeAudioDevice(false);
    makeSession();
    EXPECT_EQ(logged(LiveEventKind::NoSoundDevice).size(), 1u);
    EXPECT_NE(music->stream().device, nullptr);
}

TEST_F(LiveSessionTest, SavesAndDumpsWhatItPlays)
{
    const std::string save = ::testing::TempDir() + "live-session-test.rocket";
    const std::string dump = ::testing::TempDir() + "live-session-test.dump";
    EditorLinkOptions linkOptions;
    linkOptions.savePath = save;
    LiveSessionOptions options;
    options.dumpPath = dump;
    makeSession(linkOptions, options);
    greet();
    connection.editorSends(join({setKey(63, 0, 2.5f, 0), saveTracks()}));
    turnAt(100);
    ASSERT_EQ(logged(LiveEventKind::TracksSaved).size(), 1u);
    EXPECT_EQ(logged(LiveEventKind::TracksSaved)[0].file, save);

    std::ifstream saved(save);
    std::stringstream text;
    text << saved.rdbuf();
    EXPECT_NE(text.str().find("<track name=\"LNWIDHT\">"), std::string::npos);
    EXPECT_NE(text.str().find("<key row=\"0\" value=\"2.5\" interpolation=\"0\"/>"), std::string::npos);

    std::ifstream dumped(dump);
    std::stringstream lines;
    lines << dumped.rdbuf();
    EXPECT_EQ(lines.str().rfind("time 0\nrow 0\nmusic 0\nplaying 1\nlinked 1\ntyping 0\nunsaved 0\nCameraPosX 0\n", 0),
              0u);
    EXPECT_NE(lines.str().find("\nLNWIDHT 2.5\n"), std::string::npos);
    std::remove(save.c_str());
    std::remove(dump.c_str());
}

// The window's keys: moves reach the music and a connected editor (SET_ROW, paused too), a step
// moves the music 735 frames, and playing goes round the loop.
TEST_F(LiveSessionTest, TransportKeysMoveTheMusicAndTheEditorFollows)
{
    LiveSessionOptions options;
    options.givenLoop.given = options.givenLoop.inRows = true;
    options.givenLoop.from = 16;
    options.givenLoop.to = 40;
    makeSession({}, options);
    greet();
    const auto press = [&](std::vector<KeyDown> pressed) {
        keys = std::move(pressed);
        turnAt(now + 10);
    };
    press({{0x20}, {0x27}, {0x27, true}});  // Space, Right, Shift+Right: paused on row 32
    EXPECT_FALSE(music->playing());
    EXPECT_EQ(session->row(), 32u);
    EXPECT_EQ(reports(), (std::vector<uint32_t>{8, 32}));
    EXPECT_EQ(view.status.rfind("1.92 s  row 32  bar 1  paused  no loop  editor connected", 0), 0u) << view.status;

    const uint32_t frame = music->frame();
    press({{0xBE}, {0x70}});  // `.`, F1
    EXPECT_EQ(music->frame(), frame + 735);
    EXPECT_TRUE(view.helpShown);
    EXPECT_EQ(view.helpLines.size(), 9u);

    press({{0x4C}, {0x27}});  // L: rows 16 to 40 (32 is inside); Right: 40 is the end, so 16
    EXPECT_TRUE(session->looping());
    EXPECT_EQ(session->row(), 16u);
    EXPECT_EQ(reports().back(), 16u);

    press({{0x20}});  // play; at row 40 the music goes back to row 16
    const int opened = device->opened.load();
    device->bytesPlayed = (firstFrameOfRow(timeline, 40) - music->frame()) * 8;
    turnAt(now + 10);
    EXPECT_EQ(device->opened.load(), opened + 1);
    EXPECT_EQ(music->frame(), firstFrameOfRow(timeline, 16));
    EXPECT_EQ(reports().back(), 16u);

    press({{0x4C}});  // L again: no loop
    EXPECT_FALSE(session->looping());
}

// A key pressed once moves once: Space and Right, then a turn without keys, leave the music
// paused one beat on (row 8), not playing two beats on.
TEST_F(LiveSessionTest, EachTransportKeyIsAppliedOnce)
{
    makeSession();
    keys = {{0x20}, {0x27}};
    for (int turn = 0; turn < 2; ++turn)
        turnAt(now + 10);
    EXPECT_FALSE(music->playing());
    EXPECT_EQ(session->row(), 8u);
}

// With the editor over the picture its keys come first (Up seeks a row back, Ctrl+S saves to the
// keys' file); edits not saved make the first Escape warn and the second quit, any other key
// between them undoes the warning; the linked editor's keys leave nothing unsaved.
TEST_F(LiveSessionTest, TheEditorsKeysComeFirstAndUnsavedEditsAreNotLostByOneEscape)
{
    const std::string saved = ::testing::TempDir() + "live-session-keys.rocket";
    std::remove(saved.c_str());
    LiveSessionOptions options;
    options.keysPath = saved;
    makeSession({}, options);
    Edit::EditModel model(timeline, contentVariableCount);
    Edit::Editor editor(model);
    editor.setShown(true);
    session->attach(&editor);
    const auto press = [&](std::vector<KeyDown> pressed) {
        keys = std::move(pressed);
        turnAt(now + 10);
    };
    press({{0x20}, {0x27}, {0x28}});  // Space, Right (the transport's), Down (the editor's): row 9
    EXPECT_EQ(session->row(), 9u);
    EXPECT_TRUE(editor.setValue(10, 9, 0.5f, session->editorTurn()));
    press({});
    EXPECT_NE(view.status.find("  unsaved edits"), std::string::npos) << view.status;
    press({{0x1B}});
    EXPECT_FALSE(session->quitAsked());
    EXPECT_EQ(logged(LiveEventKind::UnsavedOnQuit).size(), 1u);
    press({{0x26}, {0x1B}});  // Up, then Escape: warned again
    EXPECT_FALSE(session->quitAsked());
    EXPECT_EQ(logged(LiveEventKind::UnsavedOnQuit).size(), 2u);
    press({{0x53, false, false, true}});  // Ctrl+S
    ASSERT_EQ(logged(LiveEventKind::KeysSaved).size(), 1u);
    EXPECT_EQ(logged(LiveEventKind::KeysSaved)[0].file, saved);
    std::ifstream file(saved);
    EXPECT_TRUE(file.good());
    press({{0x1B}});
    EXPECT_TRUE(session->quitAsked());

    // A linked editor's keys: what could be undone here is gone, and nothing is unsaved.
    EXPECT_TRUE(editor.setValue(10, 16, 0.75f, session->editorTurn()));
    greet();
    connection.editorSends(setKey(10, 16, 0.25f, 0));
    turnAt(now + 10);
    EXPECT_FALSE(model.canUndo() || model.unsaved());
    session->attach(nullptr);
    std::remove(saved.c_str());
}

}  // namespace
}  // namespace Nimbra
