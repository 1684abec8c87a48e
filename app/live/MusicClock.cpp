#include "app/live/MusicClock.h"

#include "app/AudioClock.h"
#include "audio/ModulePlayer.h"
#include "audio/SilentOutput.h"
#include "sync/Rows.h"

#include <cmath>

namespace Nimbra {

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

MusicClock::MusicClock(const unsigned char* song, uint32_t songSize, const AudioOutput& output, LiveLog log,
                       uint64_t (*nowMs)())
    : song(song), songSize(songSize), output(&output), log(std::move(log)), nowMs(nowMs)
{
}

MusicClock::~MusicClock()
{
    stop();
}

void MusicClock::start()
{
    restartAt(0);
}

float MusicClock::seconds()
{
    return clockSecondsFromFrames(turnFrame);
}

void MusicClock::stop()
{
    stopAudioStream(audio);
}

uint32_t MusicClock::readPosition()
{
    turnFrame = deviceFrame();
    return turnFrame;
}

void MusicClock::moveTo(uint32_t frame)
{
    const uint64_t begun = nowMs();
    restartAt(frame);
    log(numberEvent(LiveEventKind::MusicRestarted, frame, nowMs() - begun));
}

void MusicClock::restartAt(uint32_t frame)
{
    stopAudioStream(audio);
    startFrame = turnFrame = frame;
    startAudioStream(audio, song, songSize, *output, frame);
    if (!audio.device && output != &silentAudioOutput()) {
        // Without a sound device the music still keeps time, unheard: the picture, the rows
        // and the editor follow it as they would the sound.
        log(liveEvent(LiveEventKind::NoSoundDevice));
        output = &silentAudioOutput();
        startAudioStream(audio, song, songSize, *output, frame);
    }
    // The music is handed to the device when it (re)starts while playing; a move while paused
    // waits for the resume.
    if (isPlaying)
        submitAudioStream(audio);
}

void MusicClock::pause()
{
    log(numberEvent(LiveEventKind::Pause, 1));
    if (!isPlaying)
        return;
    isPlaying = false;
    if (!audio.writePending)
        pauseAudioStream(audio);
}

void MusicClock::resume()
{
    log(numberEvent(LiveEventKind::Pause, 0));
    if (isPlaying)
        return;
    isPlaying = true;
    if (audio.writePending)
        submitAudioStream(audio);
    else
        resumeAudioStream(audio);
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
bool MusicClock::replaceSong(std::vector<unsigned char> module, std::string& why)
{
    ModulePlayer* player = songPlayer(module, why);
    if (!player)
        return false;
    const uint64_t begun = nowMs();
    const uint32_t frame = deviceFrame();
    replacedSong = std::move(module);
    song = replacedSong.data();
    songSize = uint32_t(replacedSong.size());
    const uint32_t at = audioFramesRendered(audio);
    skipPlayerFrames(*player, startFrame + at);
    if (!switchAudioStreamPlayer(audio, player, at)) {
        destroyModulePlayer(player);
        restartAt(frame);
    }
    log(numberEvent(LiveEventKind::MusicRestarted, frame, nowMs() - begun));
    return true;
}

}  // namespace Nimbra
