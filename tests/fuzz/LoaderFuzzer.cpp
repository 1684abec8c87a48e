// libFuzzer harness for the module loader alone: header check, size walk and parse of any
// input, then a look at every record the parse wrote. Nothing is played, so thousands of inputs
// go through per second. A record that breaks the loader's own promises (a loop beyond its
// sample, a pointer outside the block, a count above its table) aborts the run; faults inside
// the loader are found by the sanitizers.
#include <cstdint>
#include <cstdlib>

#include "audio/ModulePlayer.h"

using namespace Nimbra;

namespace {

// Blocks above this are only sized, not created: zero-filling (and mapping) megabytes per input
// would slow the fuzzer tenfold, and the parse walks a large module as it walks a small one. The
// seeds' blocks are all below it.
const uint64_t maxCreatedBlock = uint64_t(256) << 10;

void require(bool condition)
{
    if (!condition)
        abort();
}

bool inside(const ModulePlayer& p, const void* at, uint64_t bytes)
{
    const uint8_t* begin = reinterpret_cast<const uint8_t*>(&p);
    const uint8_t* a = static_cast<const uint8_t*>(at);
    return a >= begin && uint64_t(a - begin) <= p.blockSize && bytes <= p.blockSize - uint64_t(a - begin);
}

void checkEnvelope(const ModuleEnvelope& e)
{
    require(e.pointCount <= 12);
    require(e.pointCount == 0 || (e.loopStart < e.pointCount && e.loopEnd < e.pointCount));
    require(e.enabled <= 1 && e.sustainEnabled <= 1 && e.loopEnabled <= 1);
}

void checkSample(const ModulePlayer& p, const ModuleSample& s)
{
    require(s.bits == 8 || s.bits == 16);
    require(s.loopType == LoopNone || s.loopType == LoopForward || s.loopType == LoopPingPong);
    require(s.loopStart <= s.loopEnd && s.loopEnd <= s.length);
    require(s.loopLength == s.loopEnd - s.loopStart || s.bits == 16);  // 16-bit: halves rounded apart
    require(s.loopType == LoopNone || s.loopStart != s.loopEnd || s.bits == 16);
    require(inside(p, s.data, uint64_t(s.length) * (s.bits / 8)));
}

void checkPlayer(const ModulePlayer& p)
{
    for (uint32_t i = 0; i < p.patternCount; ++i) {
        const PatternSlot& slot = p.patterns[i];
        require(inside(p, &slot, sizeof(slot)));
        require(inside(p, slot.cells, uint64_t(slot.rowCount) * p.channelCount * sizeof(PatternCell)));
    }
    for (uint32_t i = 0; i < p.instrumentCount; ++i) {
        const ModuleInstrument& ins = p.instruments[i];
        require(inside(p, &ins, sizeof(ins)));
        checkEnvelope(ins.volumeEnvelope);
        checkEnvelope(ins.panningEnvelope);
        require((ins.sampleCount == 0) == (ins.samples == nullptr));
        for (uint32_t s = 0; s < ins.sampleCount; ++s) {
            require(inside(p, &ins.samples[s], sizeof(ModuleSample)));
            checkSample(p, ins.samples[s]);
        }
    }
    require(inside(p, p.channels, uint64_t(p.channelCount) * sizeof(ModuleChannel)));
    require(inside(p, p.visitCounts, uint64_t(p.songLength) * 256));
    require(p.walkedChannels <= p.channelCount);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int header = checkModuleHeader(data, size);
    require(header >= HeaderValid && header <= HeaderTooShort);
    uint64_t blockSize = computeModulePlayerSize(data, size);
    if (header != HeaderValid || blockSize > maxCreatedBlock)
        return 0;
    ModulePlayer* player = nullptr;
    int result = createModulePlayer(&player, data, size, 44100);
    if (result != CreatePlayerOk) {
        require(result == CreatePlayerRefused && player == nullptr);
        return 0;
    }
    require(player->blockSize == blockSize);
    checkPlayer(*player);
    destroyModulePlayer(player);
    return 0;
}
