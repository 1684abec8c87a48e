#pragma once
// demo-sync's time is its music's: the song played from a frame (0, or where a seek or a step put
// it), paused and resumed, and a new song taken over where the music is without reopening the
// device. The position is read once a turn (readPosition) and is the frame loop's time for the
// turn. Without a sound device the music keeps time unheard, on the silent output.
#include "app/FrameClock.h"
#include "app/live/LiveEvent.h"
#include "audio/AudioStream.h"
#include "core/Timeline.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra {

class MusicClock : public FrameClock
{
public:
    // `nowMs` reads a millisecond clock, for the restarts' durations.
    MusicClock(const unsigned char* song, uint32_t songSize, const AudioOutput& output, LiveLog log,
               uint64_t (*nowMs)());
    ~MusicClock() override;

    // The music from its first frame, playing.
    void start() override;
    void turnStart() override {}
    float seconds() override;
    bool finished(float) const override { return false; }  // it runs until Escape or close
    void stop() override;

    // Reads the song frame the music has reached; it is the turn's time until a move.
    uint32_t readPosition();
    // The song frame of the last reading or move.
    uint32_t frame() const { return turnFrame; }
    bool playing() const { return isPlaying; }
    // Plays (or, paused, holds) the song from `frame` on: the stream starts again there.
    void moveTo(uint32_t frame);
    void pause();
    void resume();
    // Plays `module` from here on, at the song frame the music has reached, paused or playing
    // as it was, in the running stream (the device stays open: no pause). False, with the
    // reason, when the loader refuses it: the old song plays on.
    bool replaceSong(std::vector<unsigned char> module, std::string& why);

    const AudioStream& stream() const { return audio; }

private:
    uint32_t deviceFrame() const { return startFrame + audioFramesPlayed(audio); }
    void restartAt(uint32_t frame);

    const unsigned char* song;
    uint32_t songSize;
    std::vector<unsigned char> replacedSong;  // what `song` points into once replaced
    const AudioOutput* output;                // the silent one once the given one has no device
    LiveLog log;
    uint64_t (*nowMs)();
    AudioStream audio;
    uint32_t startFrame = 0;  // the song frame the stream started at
    uint32_t turnFrame = 0;
    bool isPlaying = true;
};

// True when the module loader takes `module`; otherwise false, with the reason.
bool songLoads(const std::vector<unsigned char>& module, std::string& why);

// The first song frame whose time (clockSecondsFromFrames) falls on `row` of the timeline, so
// that the curves are evaluated on that row and not, by a rounding, on the row before.
uint32_t firstFrameOfRow(const Timeline& timeline, uint32_t row);

}  // namespace Nimbra
