#include "app/live/EditorLink.h"

#include "app/ContentEdits.h"
#include "content/animation/ContentVariables.h"

namespace Nimbra {
namespace {

// Bytes taken from the editor per turn at most, so that a flood cannot stall the picture; the
// rest waits in the socket for the next turn.
constexpr size_t maxBytesPerTurn = 1 << 20;

}  // namespace

EditorLink::EditorLink(Timeline& timeline, Sync::EditorConnection& connection, EditorLinkOptions options, LiveLog log)
    : timeline(timeline), connection(connection), options(std::move(options)), log(std::move(log))
{
}

void EditorLink::start()
{
    link = std::make_unique<Sync::SyncLink>(timeline, contentVariableNames(), contentVariableCount);
}

void EditorLink::stop()
{
    if (linked || connecting)
        connection.close();
    linked = connecting = false;
}

void EditorLink::tendConnection(uint64_t now)
{
    if (linked)
        return;
    if (!connecting) {
        if (attempted && now - lastAttempt < options.retryMs)
            return;
        attempted = true;
        lastAttempt = now;
        connection.connect();
        connecting = true;
    }
    switch (connection.state()) {
    case Sync::ConnectionState::Connecting: return;
    case Sync::ConnectionState::Closed:
        connecting = false;
        log(liveEvent(LiveEventKind::ConnectFailed));
        return;
    case Sync::ConnectionState::Open:
        connecting = false;
        linked = true;
        connectedAt = now;
        link->connected();
        log(liveEvent(LiveEventKind::Connected));
        return;
    }
}

std::vector<EditorRequest> EditorLink::receive(uint64_t now)
{
    std::vector<EditorRequest> requests;
    tendConnection(now);
    if (!linked)
        return requests;
    uint8_t buffer[4096];
    for (size_t taken = 0; taken < maxBytesPerTurn;) {
        const ptrdiff_t n = connection.receive(buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            link->disconnected();
            closeLink(now, link->fault()[0] ? liveEvent(LiveEventKind::LinkLost, link->fault())
                                            : liveEvent(LiveEventKind::Closed));
            return requests;
        }
        taken += size_t(n);
        const Sync::LinkUpdate update = link->receive(buffer, size_t(n));
        if (update.greeted)
            log(liveEvent(LiveEventKind::Greeted));
        if (update.keysChanged)
            log(liveEvent(LiveEventKind::KeysChanged));
        // The editor's keys win: what the window's editor could undo is gone.
        if (update.keysChanged || update.greeted)
            requests.push_back({EditorRequest::KeysChanged});
        // Pause or play first: a seek then restarts the music in the state the editor wants,
        // whichever order the two came in.
        if (update.pauseChanged)
            requests.push_back({update.paused ? EditorRequest::Pause : EditorRequest::Play});
        if (update.seek)
            requests.push_back({EditorRequest::Seek, update.seekRow});
        if (update.saveRequested)
            save();
        if (update.failed) {
            closeLink(now, liveEvent(LiveEventKind::LinkFault, link->fault()));
            return requests;
        }
    }
    if (link->state() == Sync::LinkState::AwaitingGreeting && now - connectedAt > options.greetingTimeoutMs)
        closeLink(now, liveEvent(LiveEventKind::GreetingTimeout));
    return requests;
}

void EditorLink::closeLink(uint64_t now, LiveEvent event)
{
    log(event);
    connection.close();
    if (link->state() != Sync::LinkState::Disconnected)
        link->disconnected();
    linked = false;
    lastAttempt = now;
}

void EditorLink::playRow(uint32_t row, bool playing)
{
    const size_t before = link->pendingOutputSize();
    link->playRow(row, playing);
    if (link->pendingOutputSize() > before)
        log(numberEvent(LiveEventKind::RowReported, row));
}

void EditorLink::reportRow(uint32_t row)
{
    link->reportRow(row);
}

void EditorLink::flush(uint64_t now)
{
    while (linked && link->pendingOutputSize() > 0) {
        const ptrdiff_t sent = connection.send(link->pendingOutput(), link->pendingOutputSize());
        if (sent < 0) {
            closeLink(now, liveEvent(LiveEventKind::LinkLost, "sending failed"));
            return;
        }
        if (sent == 0)
            return;  // the rest goes next turn
        link->consumeOutput(size_t(sent));
    }
}

void EditorLink::save()
{
    std::string error;
    if (writeContentEdits(timeline, options.savePath.c_str(), error))
        log(fileEvent(LiveEventKind::TracksSaved, options.savePath));
    else
        log(fileEvent(LiveEventKind::SaveFailed, options.savePath, error));
}

}  // namespace Nimbra
