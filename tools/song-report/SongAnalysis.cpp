#include "tools/song-report/SongAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

namespace Nimbra::Listening {
namespace {

uint32_t read32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t read16(const unsigned char* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

// RBJ low-pass biquad.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    Biquad(double cutoff, double rate)
    {
        const double w = 2.0 * 3.14159265358979 * cutoff / rate;
        const double alpha = std::sin(w) / (2.0 * 0.7071);
        const double a0 = 1.0 + alpha;
        b0 = (1.0 - std::cos(w)) / 2.0 / a0;
        b1 = (1.0 - std::cos(w)) / a0;
        b2 = b0;
        a1 = -2.0 * std::cos(w) / a0;
        a2 = (1.0 - alpha) / a0;
    }
    double run(double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

}  // namespace

bool readWav(const std::string& path, Wave& wave)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return false;
    int format = 0, channels = 0, bits = 0;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const uint32_t size = read32(&bytes[at + 4]);
        const unsigned char* body = &bytes[at + 8];
        // A recorder that stops abruptly may leave the data size unset or too large.
        const size_t available = std::min<size_t>(size, bytes.size() - at - 8);
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && available >= 16) {
            format = read16(body);
            channels = read16(body + 2);
            wave.rate = int(read32(body + 4));
            bits = read16(body + 14);
            if (format == 0xFFFE && available >= 26)
                format = read16(body + 24);
        } else if (std::memcmp(&bytes[at], "data", 4) == 0 && channels > 0) {
            const int width = bits / 8;
            const size_t frames = available / size_t(width * channels);
            wave.left.resize(frames);
            wave.right.resize(frames);
            for (size_t f = 0; f < frames; ++f) {
                for (int c = 0; c < 2; ++c) {
                    const unsigned char* p = body + (f * channels + std::min(c, channels - 1)) * width;
                    float v = 0.0f;
                    if (format == 3 && bits == 32) {
                        const uint32_t raw = read32(p);
                        std::memcpy(&v, &raw, 4);
                    } else if (format == 1 && bits == 16) {
                        v = int16_t(read16(p)) / 32768.0f;
                    } else {
                        return false;
                    }
                    (c == 0 ? wave.left : wave.right)[f] = v;
                }
            }
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

std::vector<float> lowBand(const Wave& wave, double cutoffHz)
{
    Biquad first(cutoffHz, wave.rate), second(cutoffHz, wave.rate);
    std::vector<float> out(wave.frames());
    for (size_t f = 0; f < out.size(); ++f)
        out[f] = float(second.run(first.run(0.5 * (wave.left[f] + wave.right[f]))));
    return out;
}

double energy(const std::vector<float>& signal, int64_t from, int64_t frames)
{
    const int64_t begin = std::max<int64_t>(0, from);
    const int64_t end = std::min<int64_t>(int64_t(signal.size()), from + frames);
    double sum = 0.0;
    for (int64_t i = begin; i < end; ++i)
        sum += double(signal[size_t(i)]) * signal[size_t(i)];
    return sum;
}

double onsetStrength(const std::vector<float>& band, int row)
{
    const int64_t start = int64_t(row) * kRowFrames;
    const int64_t window = kRate * 30 / 1000;
    return energy(band, start, window) / (energy(band, start - window, window) + 1e-9);
}

double matchAtRow(const Wave& wave, const std::vector<float>& pattern, int row)
{
    const size_t start = size_t(row) * kRowFrames;
    if (start + pattern.size() > wave.frames())
        return 0.0;
    double sxy = 0, sxx = 0, syy = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const double x = 0.5 * (double(wave.left[start + i]) + wave.right[start + i]);
        sxy += x * pattern[i];
        sxx += x * x;
        syy += double(pattern[i]) * pattern[i];
    }
    return sxx > 0 && syy > 0 ? sxy / std::sqrt(sxx * syy) : 0.0;
}

double rowsRms(const Wave& wave, int first, int last)
{
    const size_t begin = std::min(wave.frames(), size_t(first) * kRowFrames);
    const size_t end = std::min(wave.frames(), size_t(last) * kRowFrames);
    double sum = 0.0;
    for (size_t f = begin; f < end; ++f)
        sum += double(wave.left[f]) * wave.left[f] + double(wave.right[f]) * wave.right[f];
    return end > begin ? std::sqrt(sum / (2.0 * double(end - begin))) : 0.0;
}

float peak(const Wave& wave)
{
    float top = 0.0f;
    for (size_t f = 0; f < wave.frames(); ++f)
        top = std::max({top, std::fabs(wave.left[f]), std::fabs(wave.right[f])});
    return top;
}

std::vector<double> envelope(const Wave& wave, int window)
{
    std::vector<double> out(wave.frames() / size_t(window));
    for (size_t w = 0; w < out.size(); ++w) {
        double sum = 0.0;
        for (size_t f = w * size_t(window); f < (w + 1) * size_t(window); ++f) {
            const double m = 0.5 * (double(wave.left[f]) + wave.right[f]);
            sum += m * m;
        }
        out[w] = std::sqrt(sum / window);
    }
    return out;
}

Alignment align(const std::vector<double>& a, const std::vector<double>& b, size_t from, size_t count, int maxLag)
{
    Alignment best{0, -2.0};
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
        size_t n = 0;
        for (size_t i = from; i < from + count && i < a.size(); ++i) {
            const int64_t j = int64_t(i) + lag;
            if (j < 0 || size_t(j) >= b.size())
                continue;
            const double x = a[i], y = b[size_t(j)];
            sa += x;
            sb += y;
            saa += x * x;
            sbb += y * y;
            sab += x * y;
            ++n;
        }
        if (n < 2)
            continue;
        const double cov = sab - sa * sb / n;
        const double va = saa - sa * sa / n, vb = sbb - sb * sb / n;
        const double r = va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 0.0;
        if (r > best.correlation)
            best = {lag, r};
    }
    return best;
}

std::vector<int> gridRows(int endRow)
{
    static const int offsets[] = {0, 14, 18, 20, 32, 46, 50, 52, 64, 78, 82, 84, 96, 102, 110, 114, 118};
    std::vector<int> rows;
    for (int block = 128; block < endRow; block += 128) {
        for (int offset : offsets) {
            // The drive (block 1408) has the fourth bar's kick in every bar.
            if (block == 1408 && offset < 96)
                continue;
            const int row = block + offset;
            if (row < endRow && (row < 608 || row >= 640))
                rows.push_back(row);
        }
        if (block == 1408)
            for (int bar = 0; bar < 3; ++bar)
                for (int offset : {0, 6, 14, 18, 22})
                    rows.push_back(block + bar * 32 + offset);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

}  // namespace Nimbra::Listening
