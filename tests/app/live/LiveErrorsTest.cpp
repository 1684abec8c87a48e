// The overlay's error model, fed the events the live parts report: which event sets and which
// clears an error, each compile job's messages with its own outcome, the file's line kept without
// its folders, long lines cut.
#include "app/live/LiveErrors.h"

#include <gtest/gtest.h>

namespace Nimbra {
namespace {

using K = LiveEventKind;
using Lines = std::vector<std::string>;

LiveEvent message(const std::string& program, const std::string& file, uint32_t line, const std::string& text)
{
    LiveEvent event = shaderEvent(K::CompilerMessage, program, text, file);
    event.line = line;
    return event;
}

const LiveEvent failed = shaderEvent(K::ShaderFailed, "combinePS");
const LiveEvent reloaded = shaderEvent(K::ShaderReloaded, "combinePS");
const LiveEvent refused = shaderEvent(K::ShaderRefused, "blurPS", "t7 (extra): the pass binds nothing there");
const LiveEvent songRefused = fileEvent(K::SongRefused, "s.xm", "is refused by the loader (not an XM module it reads)");

const std::string failedText = "shader combinePS: failed to compile, it keeps its program";
const std::string refusedText = "shader blurPS refused: t7 (extra): the pass binds nothing there";

Lines feed(const std::vector<LiveEvent>& events)
{
    LiveErrors errors;
    for (const LiveEvent& event : events)
        errors.take(event);
    return errors.lines();
}

TEST(LiveErrors, EventsSetAndClearTheErrorOfTheirSource)
{
    const struct {
        const char* what;
        std::vector<LiveEvent> events;
        Lines shown;
    } cases[] = {
        {"a failed compile shows the compiler's messages, file:line first, without folders",
         {message("combinePS",
                  "/w/sh\xC3\xA4"
                  "ders/combinePS.hlsl",
                  19, "syntax error"),
          message("combinePS", "C:\\w\\Noise.hlsli", 7, "in here"), failed},
         {"combinePS.hlsl:19: syntax error", "Noise.hlsli:7: in here"}},
        {"a message without a place stays as it is",
         {shaderEvent(K::CompilerNote, "combinePS", "vkd3d: out of memory: 3"), failed},
         {"vkd3d: out of memory: 3"}},
        {"a failed compile without messages shows the event", {failed}, {failedText}},
        {"the program's reload clears it", {message("combinePS", "a.hlsl", 1, "x"), failed, reloaded}, {}},
        {"the next failure shows its own messages",
         {message("combinePS", "a.hlsl", 1, "x"), failed, message("combinePS", "a.hlsl", 2, "y"), failed},
         {"a.hlsl:2: y"}},
        {"a refused program shows the reason", {refused}, {refusedText}},
        {"a missing file",
         {shaderEvent(K::ShaderSourceUnusable, "layersPS", "is missing", "layersPS.hlsl")},
         {"shader layersPS: layersPS.hlsl is missing, it keeps its program"}},
        {"another program's reload leaves it", {failed, shaderEvent(K::ShaderReloaded, "blurPS")}, {failedText}},
        {"warnings of a good compile are not kept for the next error",
         {message("blurPS", "a.hlsl", 2, "warning"), shaderEvent(K::ShaderReloaded, "blurPS"), refused},
         {refusedText}},
        {"each job's messages go with its own outcome",
         {message("combinePS", "c.hlsl", 3, "first"), message("blurPS", "b.hlsl", 4, "second"), failed,
          shaderEvent(K::ShaderFailed, "blurPS")},
         {"b.hlsl:4: second"}},
        {"the last error shows; once fixed, the one before", {refused, failed}, {failedText}},
        {"", {refused, failed, reloaded}, {refusedText}},
        {"a refused song, then its reload",
         {songRefused},
         {"song s.xm is refused by the loader (not an XM module it reads), the old one plays on"}},
        {"", {songRefused, fileEvent(K::SongReloaded, "s.xm")}, {}},
        {"a link fault, until it connects",
         {liveEvent(K::LinkFault, "bad command 9")},
         {"editor link fault bad command 9"}},
        {"", {liveEvent(K::GreetingTimeout), liveEvent(K::ConnectFailed)}, {"editor link timeout greeting"}},
        {"", {liveEvent(K::LinkLost, "sending failed"), liveEvent(K::Connected)}, {}},
        {"an editor that closes or is not there is no fault",
         {liveEvent(K::Closed), liveEvent(K::ConnectFailed), liveEvent(K::Greeted), liveEvent(K::KeysChanged)},
         {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(feed(c.events), c.shown) << c.what;
}

TEST(LiveErrors, LongMessagesAreCut)
{
    std::vector<LiveEvent> events;
    for (uint32_t n = 1; n <= 8; ++n)
        events.push_back(message("combinePS", "a.hlsl", n, "x"));
    events.push_back(failed);
    EXPECT_EQ(feed(events),
              (Lines{"a.hlsl:1: x", "a.hlsl:2: x", "a.hlsl:3: x", "a.hlsl:4: x", "a.hlsl:5: x", "a.hlsl:6: x"}));

    // 160 bytes at most; a cut inside a two-byte letter leaves the letter out.
    const std::string head = "shader combinePS refused: ";
    const std::string fill(160 - head.size(), 'x');
    EXPECT_EQ(feed({shaderEvent(K::ShaderRefused, "combinePS", fill + "yz")}), Lines{head + fill});
    EXPECT_EQ(feed({shaderEvent(K::ShaderRefused, "combinePS", fill.substr(1) + "\xC3\xA4" + "z")}),
              Lines{head + fill.substr(1)});
}

}  // namespace
}  // namespace Nimbra
