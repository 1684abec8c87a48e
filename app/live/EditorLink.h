#pragma once
// demo-sync's link to a sync editor (GNU Rocket protocol) over a connection: it connects and
// tries again, greets, lets the editor's key edits into the timeline's curves, saves the tracks
// when asked, and hands on what the editor asks of the music; the rows go back to it. Nothing here
// waits on the network: a failed link is closed, the curves keep their keys and a connection is
// tried again (the built-in keys play meanwhile).
#include "app/live/LiveEvent.h"
#include "core/Timeline.h"
#include "sync/EditorConnection.h"
#include "sync/SyncLink.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Nimbra {

struct EditorLinkOptions {
    uint32_t retryMs = 1000;            // a closed link is tried again after this long
    uint32_t greetingTimeoutMs = 3000;  // an editor that does not answer the greeting is left
    std::string savePath;               // where SAVE_TRACKS writes the tracks
};

// What the editor asked of the music, in the order it asked.
struct EditorRequest {
    enum Kind { Pause, Play, Seek, KeysChanged } kind;
    uint32_t row = 0;  // for Seek
};

class EditorLink
{
public:
    // `timeline` is the presentation's, filled by its start-up before start().
    EditorLink(Timeline& timeline, Sync::EditorConnection& connection, EditorLinkOptions options, LiveLog log);

    void start();
    // Connects or tries again, then takes what the editor sent, at most a bounded number of bytes
    // a turn: its key edits go into the curves, a save is made, the rest is returned.
    std::vector<EditorRequest> receive(uint64_t now);
    // Where the music is this turn: a row the editor has not seen goes back to it while playing.
    void playRow(uint32_t row, bool playing);
    // The program moved to `row` by itself: the editor's cursor follows, playing or paused.
    void reportRow(uint32_t row);
    // Sends what waits for the editor, as far as the connection takes it.
    void flush(uint64_t now);
    void stop();

    Sync::LinkState state() const { return link ? link->state() : Sync::LinkState::Disconnected; }
    bool live() const { return state() == Sync::LinkState::Live; }

private:
    void tendConnection(uint64_t now);
    void closeLink(uint64_t now, LiveEvent event);
    void save();

    Timeline& timeline;
    Sync::EditorConnection& connection;
    EditorLinkOptions options;
    LiveLog log;
    std::unique_ptr<Sync::SyncLink> link;
    bool connecting = false;
    bool linked = false;  // the connection is open and the link knows it
    bool attempted = false;
    uint64_t lastAttempt = 0;
    uint64_t connectedAt = 0;
};

}  // namespace Nimbra
