#pragma once
// demo-sync's time is the editor's: it seeks (rendering the song silently up to the row), pauses and edits curves;
// new rows go back to it. Nothing here waits on the network: a failed link is closed, the curves keep their keys and
// a connection is retried (the built-in keys play meanwhile). Without a sound device the music keeps time unheard.
#include "app/FrameClock.h"
#include "audio/AudioStream.h"
#include "core/Timeline.h"
#include "sync/EditorConnection.h"
#include "sync/SyncLink.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Nimbra {

struct SyncClockOptions {
    uint32_t retryMs = 1000;                    // a closed link is tried again after this long
    uint32_t greetingTimeoutMs = 3000;          // an editor that does not answer the greeting is left
    std::string savePath = "demo-sync.rocket";  // where SAVE_TRACKS writes the tracks
    std::string dumpPath;                       // when set, every turn's time, row, music and variables go there
};

// One line per event, for the program's log and the tests:
//   connect-failed | connected | greeted | keys | seek ROW | step FRAME | loop FIRST END |
//   music FRAME MS (restart or hand-over at FRAME, after a seek, step or new song, took MS ms) | pause 0|1 |
//   report ROW | save PATH | save-failed PATH: WHY | fault WHY | timeout greeting | closed [WHY]
using SyncLog = std::function<void(const std::string& line)>;

class SyncClock : public FrameClock
{
public:
    // `timeline` is the presentation's, filled by its start-up before start(). `nowMs` reads a
    // millisecond clock (tests step their own).
    SyncClock(Timeline& timeline, const unsigned char* song, uint32_t songSize, Sync::EditorConnection& connection,
              const AudioOutput& output, SyncClockOptions options, SyncLog log,
              uint64_t (*nowMs)() = steadyMilliseconds);
    ~SyncClock() override;

    void start() override;
    void turnStart() override;
    float seconds() override { return time; }
    bool finished(float) const override { return false; }  // it runs until Escape or close
    void stop() override;

    bool playing() const { return isPlaying; }
    uint32_t musicFrame() const { return startFrame + audioFramesPlayed(audio); }
    const AudioStream& stream() const { return audio; }
    Sync::LinkState linkState() const { return link ? link->state() : Sync::LinkState::Disconnected; }
    // Writes the tracks as an editor file to `path` (what SAVE_TRACKS does with the save path).
    bool saveTracks(const std::string& path, std::string& error) const;
    // Plays `module` from here on, at the song frame the music has reached, paused or playing
    // as it was, in the running stream (the device stays open: no pause). False, with the
    // reason, when the loader refuses it: the old song plays on.
    bool replaceSong(std::vector<unsigned char> module, std::string& why);

    // The program's own transport keys, with or without an editor; a move also tells a connected editor so its
    // cursor follows. The protocol has no pause from the demo to the editor: a pause here stays here.
    void moveToRow(uint32_t row);
    void stepFrames(uint32_t frames);
    void setPlaying(bool playing);
    // Rows [first, end) that playing goes round: reaching `end`, the music goes back to `first`.
    // end <= first: no loop.
    void setLoop(uint32_t first, uint32_t end);
    bool looping() const { return loopEnd > loopFirst; }
    uint32_t loopStartRow() const { return loopFirst; }
    uint32_t loopEndRow() const { return loopEnd; }
    // The row the music is on now.
    uint32_t row() const;
    const Timeline& playedTimeline() const { return timeline; }

    static uint64_t steadyMilliseconds();

private:
    void tendConnection(uint64_t now);
    void readEditor(uint64_t now);
    void closeLink(uint64_t now, const std::string& line);
    void flushToEditor(uint64_t now);
    void seekToRow(uint32_t row);
    void restartMusicAt(uint32_t frame);
    void pause();
    void resume();
    void save();
    void writeDump() const;

    Timeline& timeline;
    const unsigned char* song;
    uint32_t songSize;
    std::vector<unsigned char> replacedSong;  // what `song` points into once replaced
    Sync::EditorConnection& connection;
    const AudioOutput* output;  // the silent one once the given one has no device
    SyncClockOptions options;
    SyncLog log;
    uint64_t (*nowMs)();

    std::unique_ptr<Sync::SyncLink> link;
    AudioStream audio;
    uint32_t startFrame = 0;  // the song frame the stream started at
    bool isPlaying = true;
    float time = 0.0f;
    bool connecting = false;
    bool linked = false;  // the connection is open and the link knows it
    bool attempted = false;
    uint64_t lastAttempt = 0;
    uint64_t connectedAt = 0;
    uint32_t loopFirst = 0;
    uint32_t loopEnd = 0;
};

// True when the module loader takes `module`; otherwise false, with the reason.
bool songLoads(const std::vector<unsigned char>& module, std::string& why);

// The first song frame whose time (clockSecondsFromFrames) falls on `row` of the timeline, so
// that the curves are evaluated on that row and not, by a rounding, on the row before.
uint32_t firstFrameOfRow(const Timeline& timeline, uint32_t row);

}  // namespace Nimbra
