// sync-bench [MESSAGES]   link throughput for a burst of SET_KEY messages (10,000 by default) in 4 KiB pieces, as a
// socket hands them over; each figure the best of 30 runs, in messages per second:
//   reader      the message reader alone (the floor of the link's cost)
//   link, dump  the link applying a track's keys as an editor sends them, rows ascending
//   link, edits the link applying keys on random rows of tracks that already hold 500 keys

#include "content/animation/ContentKeys.h"
#include "content/animation/ContentVariables.h"
#include "sync/MessageReader.h"
#include "sync/SyncLink.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace Nimbra;
using namespace Nimbra::Sync;

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t pieceSize = 4096;
constexpr int runs = 30;

void appendU32(std::vector<uint8_t>& out, uint32_t value)
{
    uint8_t bytes[4];
    putU32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

std::vector<uint8_t> burst(uint32_t messages, bool ascending)
{
    std::vector<uint8_t> out;
    uint32_t random = 12345;
    for (uint32_t i = 0; i < messages; ++i) {
        random = random * 1664525u + 1013904223u;
        const uint32_t track = ascending ? i * contentVariableCount / messages : (random >> 8) % contentVariableCount;
        const uint32_t row = ascending ? i : (random >> 4) % 4000;
        const float value = float(i) * 0.25f;
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        out.push_back(uint8_t(Command::SetKey));
        appendU32(out, track);
        appendU32(out, row);
        appendU32(out, bits);
        out.push_back(uint8_t(i % 5));
    }
    return out;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double readerRun(const std::vector<uint8_t>& bytes)
{
    MessageReader reader(contentVariableCount);
    const std::vector<uint8_t> hello(editorGreeting, editorGreeting + editorGreetingSize);
    size_t used = 0;
    EditorMessage message;
    reader.read(hello.data(), hello.size(), used, message);
    uint64_t sum = 0;
    const Clock::time_point start = Clock::now();
    for (size_t offset = 0; offset < bytes.size(); offset += pieceSize) {
        const size_t size = std::min(pieceSize, bytes.size() - offset);
        size_t taken = 0;
        while (taken < size) {
            if (reader.read(bytes.data() + offset + taken, size - taken, used, message) == ReadStatus::Message)
                sum += message.row;
            taken += used;
        }
    }
    const double seconds = secondsSince(start);
    if (sum == 1)
        std::printf(" ");  // keeps the decoding from being optimised away
    return seconds;
}

double linkRun(const std::vector<uint8_t>& bytes, uint32_t keysBefore, uint32_t expectMessages)
{
    Timeline timeline;
    loadContentTimeline(timeline);
    SyncLink link(timeline, contentVariableNames(), contentVariableCount);
    link.connected();
    const std::vector<uint8_t> hello(editorGreeting, editorGreeting + editorGreetingSize);
    link.receive(hello.data(), hello.size());
    for (uint32_t curve = 0; curve < contentVariableCount; ++curve) {
        for (uint32_t k = 0; k < keysBefore; ++k)
            timeline.curves.at(curve)->keys.push(Keyframe{k * 8, 1.0f, 0});
    }
    uint32_t applied = 0;
    const Clock::time_point start = Clock::now();
    for (size_t offset = 0; offset < bytes.size(); offset += pieceSize) {
        const LinkUpdate update = link.receive(bytes.data() + offset, std::min(pieceSize, bytes.size() - offset));
        applied += update.messages;
    }
    const double seconds = secondsSince(start);
    if (applied != expectMessages || link.state() != LinkState::Live) {
        std::fprintf(stderr, "sync-bench: the link took %u of %u messages (%s)\n", applied, expectMessages,
                     link.fault());
        std::exit(1);
    }
    return seconds;
}

template <typename Run>
void report(const char* what, uint32_t messages, Run run)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(run());
    std::sort(times.begin(), times.end());
    std::printf("%-12s %8.1f M messages/s   best %7.3f ms, median %7.3f ms for %u messages\n", what,
                messages / times[0] / 1e6, times[0] * 1e3, times[runs / 2] * 1e3, messages);
}

}  // namespace

int main(int argc, char** argv)
{
    const uint32_t messages = argc > 1 ? uint32_t(std::strtoul(argv[1], nullptr, 10)) : 10000;
    if (messages == 0) {
        std::fprintf(stderr, "usage: sync-bench [MESSAGES]\n");
        return 2;
    }
    const std::vector<uint8_t> dump = burst(messages, true);
    const std::vector<uint8_t> edits = burst(messages, false);
    std::printf("burst of %u SET_KEY messages (%zu bytes) in %zu-byte pieces\n", messages, dump.size(), pieceSize);
    report("reader", messages, [&] { return readerRun(dump); });
    report("link, dump", messages, [&] { return linkRun(dump, 0, messages); });
    report("link, edits", messages, [&] { return linkRun(edits, 500, messages); });
    return 0;
}
