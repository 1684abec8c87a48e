#pragma once
// Listening by numbers: reads renders and recordings of the song and measures levels, the kick
// drum's onsets on the row grid and the alignment of two takes.
#include <cstdint>
#include <string>
#include <vector>

namespace Nimbra::Listening {

constexpr int kRate = 44100;
constexpr int kRowFrames = 2646;  // 3 ticks of 882 frames: 0.06 s

struct Wave {
    int rate = 0;
    std::vector<float> left, right;
    size_t frames() const { return left.size(); }
};

// 16-bit PCM or 32-bit float WAV, mono or stereo. False when it cannot be read.
bool readWav(const std::string& path, Wave& wave);

// Sum of both channels run through a fourth-order low-pass at `cutoffHz`: where the kick lives.
std::vector<float> lowBand(const Wave& wave, double cutoffHz);

// Energy of `signal` in [from, from + frames), clipped to the signal.
double energy(const std::vector<float>& signal, int64_t from, int64_t frames);

// How much the low band jumps at the start of `row`: energy just after the row starts over the
// energy just before it (both over 30 ms). A kick on the row gives a large ratio.
double onsetStrength(const std::vector<float>& band, int row);

// How closely the mix matches `pattern` (a drum sample) starting at the first frame of `row`:
// the normalised cross-correlation over the pattern's length, 1.0 for a perfect match. The other
// instruments are unrelated to the drum's waveform, so the kick stands out wherever it starts.
double matchAtRow(const Wave& wave, const std::vector<float>& pattern, int row);

// Root mean square of both channels over rows [first, last).
double rowsRms(const Wave& wave, int first, int last);

// Largest absolute sample value.
float peak(const Wave& wave);

// Envelope: RMS of the mono sum over consecutive windows of `window` frames.
std::vector<double> envelope(const Wave& wave, int window);

// The lag (in windows, within +-maxLag) at which b best matches a over [from, from + count)
// windows of a, and the correlation coefficient there.
struct Alignment {
    int lag = 0;
    double correlation = 0.0;
};
Alignment align(const std::vector<double>& a, const std::vector<double>& b, size_t from, size_t count, int maxLag);

// The rows of the rhythm grid from row 128 to row `endRow`, without the break's rows 608..639.
std::vector<int> gridRows(int endRow);

}  // namespace Nimbra::Listening
