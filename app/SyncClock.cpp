#include "app/SyncClock.h"

#include "app/AudioClock.h"
#include "app/ContentEdits.h"
#include "app/FilePaths.h"
#include "audio/ModulePlayer.h"
#include "audio/SilentOutput.h"
#include "content/animation/ContentVariables.h"
#include "sync/RocketFile.h"
#include "sync/Rows.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace Nimbra {
namespace {

// Bytes taken from the editor per turn at most, so that a flood cannot stall the picture; the
// rest waits in the socket for the next turn.
constexpr size_t maxBytesPerTurn = 1 << 20;

}  // namespace

uint32_t firstFrameOfRow(const Timeline& timeline, uint32_t row)
{
    const double seconds = Sync::secondsForRow(timeline, row);
    double guess = std::ceil(seconds * kStreamRate);
    uint32_t frame = guess < 4294967295.0 ? uint32_t(guess) : 0xFFFFFFFFu;
    while (frame < 0xFFFFFFFFu && Sync::rowAt(timeline, clockSecondsFromFrames(frame)) < row)
        ++frame;
    while (frame > 0 && Sync::rowAt(timeline, clockSecondsFromFrames(frame - 1)) >= row)
        --frame;
    return frame;
}

uint64_t SyncClock::steadyMilliseconds()
{
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

SyncClock::SyncClock(Timeline& timeline, const unsigned char* song, uint32_t songSize,
                     Sync::EditorConnection& connection, const AudioOutput& output, SyncClockOptions options,
                     SyncLog log, uint64_t (*nowMs)())
    : timeline(timeline), song(song), songSize(songSize), connection(connection), output(&output),
      options(std::move(options)), log(std::move(log)), nowMs(nowMs)
{
}

SyncClock::~SyncClock()
{
    stop();
}

void SyncClock::start()
{
    link = std::make_unique<Sync::SyncLink>(timeline, contentVariableNames(), contentVariableCount);
    restartMusicAt(0);
}

void SyncClock::turnStart()
{
    const uint64_t now = nowMs();
    tendConnection(now);
    if (linked)
        readEditor(now);

    // The music was handed to the device when it (re)started while playing; a seek while paused
    // waits for the resume.
    time = clockSecondsFromFrames(musicFrame());
    if (isPlaying && presentationIsOver(time)) {
        seekToRow(0);
        time = clockSecondsFromFrames(musicFrame());
    }
    if (isPlaying && looping() && Sync::rowAt(timeline, time) >= loopEnd) {
        seekToRow(loopFirst);
        time = clockSecondsFromFrames(musicFrame());
    }

    const size_t before = link->pendingOutputSize();
    const uint32_t row = Sync::rowAt(timeline, time);
    link->playRow(row, isPlaying);
    if (link->pendingOutputSize() > before)
        log("report " + std::to_string(row));
    if (linked)
        flushToEditor(now);
    if (!options.dumpPath.empty())
        writeDump();
}

void SyncClock::stop()
{
    if (linked || connecting)
        connection.close();
    linked = connecting = false;
    stopAudioStream(audio);
}

void SyncClock::tendConnection(uint64_t now)
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
        log("connect-failed");
        return;
    case Sync::ConnectionState::Open:
        connecting = false;
        linked = true;
        connectedAt = now;
        link->connected();
        log("connected");
        return;
    }
}

void SyncClock::readEditor(uint64_t now)
{
    uint8_t buffer[4096];
    for (size_t taken = 0; taken < maxBytesPerTurn;) {
        const ptrdiff_t n = connection.receive(buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            link->disconnected();
            closeLink(now, link->fault()[0] ? std::string("closed ") + link->fault() : "closed");
            return;
        }
        taken += size_t(n);
        const Sync::LinkUpdate update = link->receive(buffer, size_t(n));
        if (update.greeted)
            log("greeted");
        if (update.keysChanged)
            log("keys");
        // Pause or play first: a seek then restarts the music in the state the editor wants,
        // whichever order the two came in.
        if (update.pauseChanged)
            update.paused ? pause() : resume();
        if (update.seek)
            seekToRow(update.seekRow);
        if (update.saveRequested)
            save();
        if (update.failed) {
            closeLink(now, std::string("fault ") + link->fault());
            return;
        }
    }
    if (link->state() == Sync::LinkState::AwaitingGreeting && now - connectedAt > options.greetingTimeoutMs)
        closeLink(now, "timeout greeting");
}

void SyncClock::closeLink(uint64_t now, const std::string& line)
{
    log(line);
    connection.close();
    if (link->state() != Sync::LinkState::Disconnected)
        link->disconnected();
    linked = false;
    lastAttempt = now;
}

void SyncClock::flushToEditor(uint64_t now)
{
    while (link->pendingOutputSize() > 0) {
        const ptrdiff_t sent = connection.send(link->pendingOutput(), link->pendingOutputSize());
        if (sent < 0) {
            closeLink(now, "closed sending failed");
            return;
        }
        if (sent == 0)
            return;  // the rest goes next turn
        link->consumeOutput(size_t(sent));
    }
}

void SyncClock::seekToRow(uint32_t row)
{
    log("seek " + std::to_string(row));
    const uint64_t begun = nowMs();
    const uint32_t frame = firstFrameOfRow(timeline, row);
    restartMusicAt(frame);
    log("music " + std::to_string(frame) + " " + std::to_string(nowMs() - begun));
}

void SyncClock::restartMusicAt(uint32_t frame)
{
    stopAudioStream(audio);
    startFrame = frame;
    startAudioStream(audio, song, songSize, *output, frame);
    if (!audio.device && output != &silentAudioOutput()) {
        // Without a sound device the music still keeps time, unheard: the picture, the rows
        // and the editor follow it as they would the sound.
        log("no sound device: the music runs silent");
        output = &silentAudioOutput();
        startAudioStream(audio, song, songSize, *output, frame);
    }
    if (isPlaying)
        submitAudioStream(audio);
}

void SyncClock::pause()
{
    log("pause 1");
    if (!isPlaying)
        return;
    isPlaying = false;
    if (!audio.writePending)
        pauseAudioStream(audio);
}

void SyncClock::resume()
{
    log("pause 0");
    if (isPlaying)
        return;
    isPlaying = true;
    if (audio.writePending)
        submitAudioStream(audio);
    else
        resumeAudioStream(audio);
}

void SyncClock::moveToRow(uint32_t row)
{
    seekToRow(row);
    link->reportRow(row);
}

void SyncClock::stepFrames(uint32_t frames)
{
    const uint64_t begun = nowMs();
    const uint32_t frame = musicFrame() + frames;
    log("step " + std::to_string(frame));
    restartMusicAt(frame);
    log("music " + std::to_string(frame) + " " + std::to_string(nowMs() - begun));
    link->reportRow(row());
}

void SyncClock::setPlaying(bool playing)
{
    playing ? resume() : pause();
}

void SyncClock::setLoop(uint32_t first, uint32_t end)
{
    loopFirst = first;
    loopEnd = end;
    log("loop " + std::to_string(first) + " " + std::to_string(end));
}

uint32_t SyncClock::row() const
{
    return Sync::rowAt(timeline, clockSecondsFromFrames(musicFrame()));
}

namespace {

// A player over `module`, limited to one play-through like the stream's own; null, with the
// reason, when the loader refuses it.
ModulePlayer* songPlayer(const std::vector<unsigned char>& module, std::string& why)
{
    ModulePlayer* player = nullptr;
    const int result = createModulePlayer(&player, module.data(), module.size(), kStreamRate);
    if (result != CreatePlayerOk) {
        why = result == CreatePlayerBadHeader ? "is refused by the loader (not an XM module it reads)"
                                              : "is refused by the loader (too large)";
        return nullptr;
    }
    player->setMaxLoops(1);
    return player;
}

}  // namespace

bool songLoads(const std::vector<unsigned char>& module, std::string& why)
{
    ModulePlayer* probe = songPlayer(module, why);
    destroyModulePlayer(probe);
    return probe != nullptr;
}

// The new player takes over inside the running stream, at the song frame the ring has been
// filled to: the device is not reopened, so the music goes on without a pause.
bool SyncClock::replaceSong(std::vector<unsigned char> module, std::string& why)
{
    ModulePlayer* player = songPlayer(module, why);
    if (!player)
        return false;
    const uint64_t begun = nowMs();
    const uint32_t frame = musicFrame();
    replacedSong = std::move(module);
    song = replacedSong.data();
    songSize = uint32_t(replacedSong.size());
    const uint32_t at = audioFramesRendered(audio);
    skipPlayerFrames(*player, startFrame + at);
    if (!switchAudioStreamPlayer(audio, player, at)) {
        destroyModulePlayer(player);
        restartMusicAt(frame);
    }
    log("music " + std::to_string(frame) + " " + std::to_string(nowMs() - begun));
    return true;
}

bool SyncClock::saveTracks(const std::string& path, std::string& error) const
{
    return writeContentEdits(timeline, path.c_str(), error);
}

void SyncClock::save()
{
    std::string error;
    if (saveTracks(options.savePath, error))
        log("save " + options.savePath);
    else
        log("save-failed " + options.savePath + ": " + error);
}

// time, row, music frame, paused and link state, then every variable as the frame work writes
// it; written beside and renamed over, so that a reader never sees half a dump.
void SyncClock::writeDump() const
{
    const std::string partial = options.dumpPath + ".part";
    FILE* file = openFile(partial.c_str(), "wb");
    if (!file)
        return;
    std::fprintf(file, "time %.9g\nrow %u\nmusic %u\nplaying %d\nlinked %d\n", double(time),
                 Sync::rowAt(timeline, time), musicFrame(), isPlaying ? 1 : 0,
                 linkState() == Sync::LinkState::Live ? 1 : 0);
    for (uint32_t i = 0; i < timeline.curves.count && i < contentVariableCount; ++i)
        std::fprintf(file, "%s %.9g\n", contentVariables[i].name, double(evaluateCurve(timeline, i, time)));
    std::fclose(file);
    std::error_code error;  // replaces the last dump (MoveFileEx on Windows)
    std::filesystem::rename(pathFromUtf8(partial), pathFromUtf8(options.dumpPath), error);
}

}  // namespace Nimbra
