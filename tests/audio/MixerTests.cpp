// Sample fetching with its loop modes, gain ramps, the note cross-fade and the frame output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "TestModules.h"

namespace Nimbra {
namespace {

const size_t firstPatternAt = 60 + 276;

// A player whose channel 0 is pointed at instrument 1's sample, placed at `position` with
// `step`, past any cross-fade, and with no tick due for a long time.
struct Voice {
    PlayerPtr player;
    ModuleChannel* channel;
};

Voice voiceWith(const XmSample& sample, float position, float step)
{
    XmModule m = basicModule(1, 4);
    m.instruments[0] = instrumentWith(sample);
    Voice v{makePlayer(m), nullptr};
    ModuleChannel& c = v.player->channels[0];
    c.instrument = &v.player->instruments[0];
    c.sample = &c.instrument->samples[0];
    c.position = position;
    c.step = step;
    c.rampIndex = 32;
    v.player->framesToNextTick = 1e9f;
    v.channel = &c;
    return v;
}

XmSample looped(int length, XmLoop type, uint32_t loopStart, uint32_t loopLength)
{
    XmSample s = rampSample(length, true);  // value i at frame i
    s.loopType = type;
    s.loopStart = loopStart;
    s.loopLength = loopLength;
    return s;
}

// The frames read by the next n fetches, recovered from the 16-bit ramp values.
std::vector<int> framesRead(ModuleChannel& c, int n)
{
    std::vector<int> out;
    for (int i = 0; i < n; ++i)
        out.push_back(int(std::lround(fetchSample(c) * 32768.0f)));
    return out;
}

TEST(LoopModes, ForwardLoopWraps)
{
    Voice v = voiceWith(looped(300, XmLoop::Forward, 100, 100), 197, 1.0f);
    EXPECT_EQ(framesRead(*v.channel, 5), (std::vector<int>{197, 198, 199, 100, 101}));
}

TEST(LoopModes, PingPongPlaysEachTurningPointOnce)
{
    Voice v = voiceWith(looped(300, XmLoop::PingPong, 100, 100), 198, 1.0f);
    EXPECT_EQ(framesRead(*v.channel, 5), (std::vector<int>{198, 199, 200, 199, 198}));
    v.channel->position = 102;
    EXPECT_EQ(framesRead(*v.channel, 5), (std::vector<int>{102, 101, 100, 101, 102}));
    // It plays forward from the start and only bounces at the loop.
    v.channel->position = 0;
    v.channel->forward = 1;
    EXPECT_EQ(framesRead(*v.channel, 2), (std::vector<int>{0, 1}));
}

TEST(LoopModes, UnloopedSampleStopsAtItsEnd)
{
    Voice v = voiceWith(rampSample(300, true), 298, 1.0f);
    EXPECT_EQ(framesRead(*v.channel, 2), (std::vector<int>{298, 299}));
    EXPECT_FLOAT_EQ(v.channel->position, -1.0f);
    v.channel->gainLeft = v.channel->targetLeft = 1.0f;
    uint32_t ramp = v.channel->rampIndex;
    std::vector<float> out = render(*v.player, 10);
    for (float f : out)
        EXPECT_EQ(f, 0.0f);
    EXPECT_EQ(v.channel->rampIndex, ramp);

    // Ending while the gain still ramps: the frames after the end get nothing.
    v.channel->position = 298.0f;
    v.channel->gainLeft = 0.5f;
    v.channel->rampIndex = 100;
    out = render(*v.player, 10);
    EXPECT_FLOAT_EQ(out[0], 298.0f / 32768.0f * 0.5f * 0.25f);
    EXPECT_GT(out[2], 0.0f);
    for (size_t i = 4; i < out.size(); ++i)
        EXPECT_EQ(out[i], 0.0f) << i;
    EXPECT_EQ(v.channel->rampIndex, 102u);
    EXPECT_FLOAT_EQ(v.channel->gainLeft, 0.5f + 2.0f / 128.0f);
}

TEST(LoopModes, LargeStepsNeverLeaveTheSample)
{
    const float steps[] = {0.5f, 7.0f, 30.0f, 150.0f, 1e6f, 1e30f, INFINITY};
    const XmLoop types[] = {XmLoop::Forward, XmLoop::PingPong};
    for (XmLoop type : types) {
        for (float step : steps) {
            // Loop 100..110 at the very end of a 110-frame sample.
            Voice v = voiceWith(looped(110, type, 100, 10), 105, step);
            for (int i = 0; i < 200; ++i) {
                int frame = int(std::lround(fetchSample(*v.channel) * 32768.0f));
                ASSERT_GE(frame, 0) << step;
                ASSERT_LT(frame, 110) << step;
                float p = v.channel->position;
                ASSERT_TRUE(p >= 0.0f && p < 110.0f) << "step " << step << " position " << p;
            }
        }
    }
}

TEST(LoopModes, ForwardLoopOfNoFramesDoesNotHang)
{
    // 16-bit sample of 5 frames whose loop is the single odd byte at the end: the loop type
    // is decided on bytes (forward), the frame length of the loop is 0.
    XmModule m = basicModule(1, 4);
    m.instruments[0] = instrumentWith(rampSample(5, true));
    std::vector<uint8_t> b = writeXm(m);
    size_t sampleHeader = firstPatternAt + 9 + packXmPattern(m.patterns[0], 1).size() + 263;
    b[sampleHeader] = 11;  // length 11 bytes
    b[sampleHeader + 4] = 10;
    b[sampleHeader + 8] = 1;
    b[sampleHeader + 14] = 0x11;
    b.push_back(0);
    PlayerPtr p = makePlayer(b);
    const ModuleSample& s = p->instruments[0].samples[0];
    ASSERT_EQ(s.loopType, 1);
    ASSERT_EQ(s.loopLength, 0u);
    ModuleChannel& c = p->channels[0];
    c.instrument = &p->instruments[0];
    c.sample = &c.instrument->samples[0];
    c.step = 1.0f;
    c.rampIndex = 32;
    std::vector<int> frames = framesRead(c, 8);
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 2, 3, 4, 4, 4, 4}));
}

TEST(CrossFade, FadesFromTheCapturedTailToTheNewVoice)
{
    Voice v = voiceWith(constantSample(100, 64), 0, 1.0f);
    ModuleChannel& c = *v.channel;
    for (float& t : c.tail)
        t = 1.0f;
    c.rampIndex = 0;
    for (uint32_t k = 0; k < 34; ++k) {
        float expected = k < 32 ? 1.0f + (0.5f - 1.0f) * float(k) / 32.0f : 0.5f;
        EXPECT_FLOAT_EQ(fetchSample(c), expected) << k;
        c.rampIndex += 1;
    }
    // A stopped voice fades its tail out.
    c.position = -1.0f;
    c.rampIndex = 8;
    EXPECT_FLOAT_EQ(fetchSample(c), 0.75f);
    c.rampIndex = 32;
    EXPECT_FLOAT_EQ(fetchSample(c), 0.0f);
}

TEST(CrossFade, NoteStartCapturesTheOldVoice)
{
    XmModule m = basicModule(1, 4);
    m.instruments[0] = instrumentWith(rampSample(1000, true));
    cellAt(m, 0, 0, 0) = {49, 1, 0, 0, 0};
    cellAt(m, 0, 1, 0) = {49, 1, 0, 0, 0};
    PlayerPtr p = makePlayer(m);
    runTicks(*p, 1);
    ModuleChannel& c = p->channels[0];
    for (float t : c.tail)
        EXPECT_EQ(t, 0.0f);  // nothing played before: a fade-in
    EXPECT_EQ(c.rampIndex, 0u);
    runTicks(*p, 2);
    c.position = 10.0f;
    c.step = 1.0f;
    c.rampIndex = 40;
    runTicks(*p, 1);
    for (int i = 0; i < 32; ++i)
        EXPECT_FLOAT_EQ(c.tail[i], float(10 + i) / 32768.0f);
    EXPECT_EQ(c.rampIndex, 0u);
    EXPECT_FLOAT_EQ(c.position, 0.0f);
}

TEST(Mixing, OneSampleValueThroughGainsAndAmplification)
{
    Voice v = voiceWith(constantSample(100, 127), 0, 0.0f);
    v.channel->gainLeft = v.channel->targetLeft = 1.0f;
    std::vector<float> out = render(*v.player, 2);
    EXPECT_FLOAT_EQ(out[0], 127.0f / 128.0f * 0.25f);
    EXPECT_FLOAT_EQ(out[1], 0.0f);
    v.player->globalVolume = 0.5f;
    out = render(*v.player, 1);
    EXPECT_FLOAT_EQ(out[0], 127.0f / 128.0f * 0.125f);
}

TEST(Mixing, GainsRampToTheirTargets)
{
    Voice v = voiceWith(constantSample(100, 64), 0, 0.0f);
    v.channel->targetLeft = 1.0f;
    v.channel->gainRight = 1.0f;
    std::vector<float> out = render(*v.player, 64);
    EXPECT_FLOAT_EQ(v.channel->gainLeft, 0.5f);
    EXPECT_FLOAT_EQ(v.channel->gainRight, 0.5f);
    EXPECT_EQ(out[0], 0.0f);  // the first frame uses the gain before its step
    EXPECT_FLOAT_EQ(out[2], 0.5f * 0.25f / 128.0f);
    render(*v.player, 64);
    EXPECT_FLOAT_EQ(v.channel->gainLeft, 1.0f);  // 128 frames from 0 to 1
    EXPECT_FLOAT_EQ(v.channel->gainRight, 0.0f);
    render(*v.player, 10);
    EXPECT_FLOAT_EQ(v.channel->gainLeft, 1.0f);
}

TEST(Mixing, ZeroFramesChangeNothing)
{
    XmModule m = basicModule(2, 4);
    cellAt(m, 0, 0, 0) = {49, 1, 0, 0, 0};
    PlayerPtr p = makePlayer(m);
    render(*p, 1000);
    std::vector<uint8_t> before(reinterpret_cast<uint8_t*>(p.get()),
                                reinterpret_cast<uint8_t*>(p.get()) + p->blockSize);
    p->generate(nullptr, 0);
    EXPECT_EQ(memcmp(before.data(), p.get(), before.size()), 0);
}

TEST(Mixing, GlobalVolumeZeroSilencesWhileTheSongMoves)
{
    XmModule m = basicModule(1, 4);
    cellAt(m, 0, 0, 0) = {49, 1, 0, 0x10, 0x00};
    PlayerPtr p = makePlayer(m);
    std::vector<float> out = render(*p, 2646 * 2);
    for (float f : out)
        EXPECT_EQ(f, 0.0f);
    EXPECT_EQ(p->row, 2);
    EXPECT_GT(p->channels[0].position, 0.0f);
}

TEST(Mixing, SilentOnceTheSongComesRound)
{
    XmModule m = basicModule(1, 2);
    cellAt(m, 0, 0, 0) = {49, 1, 0, 0, 0};
    PlayerPtr p = makePlayer(m);
    p->setMaxLoops(1);
    std::vector<float> first = render(*p, 2 * 2646);
    EXPECT_NE(first[2 * 2000], 0.0f);
    std::vector<float> more = render(*p, 1);  // row 0 again
    EXPECT_EQ(p->rowVisits, 1);
    EXPECT_EQ(more[0], 0.0f);
    float position = p->channels[0].position;
    float gain = p->channels[0].gainLeft;
    more = render(*p, 3000);
    for (float f : more)
        EXPECT_EQ(f, 0.0f);
    EXPECT_EQ(p->channels[0].position, position);  // channels are not touched
    EXPECT_EQ(p->channels[0].gainLeft, gain);
    EXPECT_EQ(p->row, 0);  // the replayer kept ticking: row 1 played and row 0 is next

    // Without a limit the song simply plays on.
    p = makePlayer(m);
    render(*p, 2 * 2646 + 100);
    EXPECT_NE(render(*p, 1)[0], 0.0f);
}

TEST(Mixing, BlockSizesDoNotChangeTheOutput)
{
    XmModule m = basicModule(4, 8);
    m.instruments.push_back(instrumentWith(looped(500, XmLoop::PingPong, 50, 300)));
    m.tempo = 97;  // ticks of a fractional number of frames
    for (int r = 0; r < 8; ++r) {
        cellAt(m, 0, r, r % 4) = {uint8_t(40 + r), uint8_t(1 + r % 2), 0, 0x04, 0x35};
    }
    cellAt(m, 0, 3, 2) = {0, 0, 0, 0x0E, 0x92};
    PlayerPtr whole = makePlayer(m);
    PlayerPtr pieces = makePlayer(m);
    const uint32_t frames = 30000;
    std::vector<float> a = render(*whole, frames);
    std::vector<float> b;
    uint32_t sizes[] = {1, 7, 881, 882, 4096, 13};
    for (uint32_t done = 0, i = 0; done < frames; ++i) {
        uint32_t n = std::min(sizes[i % 6], frames - done);
        std::vector<float> part = render(*pieces, n);
        b.insert(b.end(), part.begin(), part.end());
        done += n;
    }
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(memcmp(a.data(), b.data(), a.size() * sizeof(float)), 0);
    float peak = 0.0f;
    for (float f : a)
        peak = std::max(peak, std::fabs(f));
    EXPECT_GT(peak, 0.01f);
}

}  // namespace
}  // namespace Nimbra

namespace Nimbra {
namespace {

float towards(float gain, float target, float step)
{
    if (gain > target)
        return std::max(gain - step, target);
    if (gain < target)
        return std::min(gain + step, target);
    return gain;
}

// The mixer written the plain way, one frame and one channel at a time through fetchSample:
// the fast runs of generate must give exactly these frames.
std::vector<float> renderFrameByFrame(ModulePlayer& p, uint32_t frames)
{
    std::vector<float> out;
    for (uint32_t f = 0; f < frames; ++f) {
        if (p.framesToNextTick <= 0.0f)
            p.playTick();
        p.framesToNextTick -= 1.0f;
        float left = 0.0f, right = 0.0f;
        if (!(p.maxLoops != 0 && p.rowVisits >= p.maxLoops)) {
            for (uint32_t i = 0; i < p.channelCount; ++i) {
                ModuleChannel& c = p.channels[i];
                if (!c.instrument || !c.sample || c.position < 0.0f)
                    continue;
                float v = fetchSample(c);
                left += v * c.gainLeft;
                right += v * c.gainRight;
                c.rampIndex += 1;
                c.gainLeft = towards(c.gainLeft, c.targetLeft, p.rampStep);
                c.gainRight = towards(c.gainRight, c.targetRight, p.rampStep);
            }
        }
        float scale = p.globalVolume * p.amplification;
        out.push_back(left * scale);
        out.push_back(right * scale);
    }
    return out;
}

TEST(Mixing, RunsMatchTheFrameByFrameRule)
{
    XmModule m = basicModule(4, 16);
    m.instruments.push_back(instrumentWith(looped(700, XmLoop::PingPong, 50, 300)));
    XmSample narrow = rampSample(3000);
    m.instruments.push_back(instrumentWith(narrow));
    m.tempo = 131;
    for (int r = 0; r < 16; ++r) {
        cellAt(m, 0, r, r % 4) = {uint8_t(30 + 3 * r), uint8_t(1 + r % 3), uint8_t(0x20 + 2 * r), 0, 0};
    }
    cellAt(m, 0, 2, 1) = {0, 0, 0, 0x04, 0x48};
    cellAt(m, 0, 5, 3) = {0, 0, 0, 0x0E, 0x92};
    cellAt(m, 0, 7, 0) = {0, 0, 0, 0x0A, 0x0F};
    cellAt(m, 0, 9, 2) = {0, 0, 0, 0x10, 0x30};
    cellAt(m, 0, 11, 1) = {0, 0, 0, 0x08, 0x10};
    PlayerPtr fast = makePlayer(m);
    PlayerPtr plain = makePlayer(m);
    fast->setMaxLoops(1);
    plain->setMaxLoops(1);
    const uint32_t frames = 16 * 3 * 1000;
    std::vector<float> a = render(*fast, frames);
    std::vector<float> b = renderFrameByFrame(*plain, frames);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_EQ(a[i], b[i]) << "sample " << i;
}

// Settled voices are mixed in stretches, with the position counted in integers inside each
// binade of the float: these starts and steps cross binades, land on rounding ties, stand
// still, go backward through a ping-pong loop and run off the end.
TEST(Mixing, SettledVoicesMatchTheFrameByFrameRuleAtRoundingEdges)
{
    struct Start {
        float position;
        float step;
        uint8_t forward;
    };
    const Start starts[] = {
        {0.0f, 1.0f, 1},
        {0.3f, 0.7f, 1},
        {1.0f, 0.5f, 1},
        {65535.0f, 0.00390625f, 1},   // into the binade from 2^16, where the step is half an ulp
        {65530.25f, 0.01171875f, 1},  // 1.5 ulps above 2^16: every sum is a tie
        {32767.5f, 0.001953125f, 1},  // a tie only after 2^15
        {40000.1f, 1.3333334f, 1},
        {69990.0f, 2.5f, 1},
        {1000.5f, 0.999999f, 1},
        {3.0f, 1e-7f, 1},      // a step that rounds away: the voice stands still
        {50000.0f, 0.75f, 0},  // backward through the ping-pong loop
        {30001.0f, 0.125f, 0},
        {59999.0f, 3.0f, 1},
        {8191.9f, 0.0f, 1},
        {20000.0f, -0.5f, 1},
        {1234.0f, 5000.0f, 1},
        {65536.0f, 0.0078125f, 0},     // backward out of a binade: the ulp halves below 2^16
        {65537.0f, 1.0029296875f, 0},  // 128.375 ulps back: lands 0.375 ulps below 2^16
    };
    const XmLoop types[] = {XmLoop::None, XmLoop::Forward, XmLoop::PingPong};
    for (bool sixteenBit : {false, true}) {
        for (XmLoop type : types) {
            XmSample sample = rampSample(70000, sixteenBit);
            sample.loopType = type;
            if (type != XmLoop::None) {
                sample.loopStart = 30000;
                sample.loopLength = 30000;
            }
            for (const Start& start : starts) {
                for (float gain : {0.7f, 0.0f}) {
                    SCOPED_TRACE(::testing::Message()
                                 << "16-bit " << sixteenBit << " loop " << int(type) << " position " << start.position
                                 << " step " << start.step << " gain " << gain);
                    Voice fast = voiceWith(sample, start.position, start.step);
                    Voice plain = voiceWith(sample, start.position, start.step);
                    for (Voice* v : {&fast, &plain}) {
                        v->channel->forward = start.forward;
                        v->channel->gainLeft = v->channel->targetLeft = gain;
                        v->channel->gainRight = v->channel->targetRight = 0.3f;
                    }
                    std::vector<float> a;
                    const uint32_t sizes[] = {700, 1, 2048, 5, 1300};
                    for (uint32_t n : sizes) {
                        std::vector<float> part = render(*fast.player, n);
                        a.insert(a.end(), part.begin(), part.end());
                    }
                    std::vector<float> b = renderFrameByFrame(*plain.player, uint32_t(a.size() / 2));
                    ASSERT_EQ(memcmp(a.data(), b.data(), a.size() * sizeof(float)), 0);
                    EXPECT_EQ(memcmp(&fast.channel->position, &plain.channel->position, sizeof(float)), 0)
                        << fast.channel->position << " against " << plain.channel->position;
                    EXPECT_EQ(fast.channel->forward, plain.channel->forward);
                    EXPECT_EQ(fast.channel->rampIndex, plain.channel->rampIndex);
                }
            }
        }
    }
}

}  // namespace
}  // namespace Nimbra
