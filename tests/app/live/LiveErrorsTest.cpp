// The overlay's error model, fed the events ShaderReload, SongReload and SyncClock log: which
// event sets and which clears an error, file:line kept, lines cut. An event starting with "> " is
// a compiler message, any other a log line.
#include "app/live/LiveErrors.h"

#include <gtest/gtest.h>

namespace Nimbra {
namespace {

using Lines = std::vector<std::string>;

const std::string failed = "shader combinePS: failed to compile, it keeps its program";
const std::string reloaded = "shader combinePS reloaded (40 ms after the save was noticed)";
const std::string refused = "shader blurPS refused: t7 (extra): the pass binds nothing there";
const std::string songRefused = "song s.xm is refused by the loader (not an XM module it reads), the old one plays on";

Lines feed(const Lines& events)
{
    LiveErrors errors;
    for (const std::string& event : events) {
        if (event.compare(0, 2, "> ") == 0)
            errors.compilerMessage(event.substr(2));
        else
            errors.logLine(event);
    }
    return errors.lines();
}

TEST(LiveErrors, EventsSetAndClearTheErrorOfTheirSource)
{
    const struct {
        const char* what;
        Lines events;
        Lines shown;
    } cases[] = {
        {"a failed compile shows the compiler's messages, file:line first, without folders",
         {"> /w/sh\xC3\xA4"
          "ders/combinePS.hlsl:19: syntax error",
          "> C:\\w\\Noise.hlsli:7: in here", failed},
         {"combinePS.hlsl:19: syntax error", "Noise.hlsli:7: in here"}},
        {"a message without a place stays as it is",
         {"> vkd3d: out of memory: 3", failed},
         {"vkd3d: out of memory: 3"}},
        {"a failed compile without messages shows the event", {failed}, {failed}},
        {"the program's reload clears it", {"> a.hlsl:1: x", failed, reloaded}, {}},
        {"a refused program shows the reason", {refused}, {refused}},
        {"a missing file",
         {"shader layersPS: layersPS.hlsl is missing, it keeps its program"},
         {"shader layersPS: layersPS.hlsl is missing, it keeps its program"}},
        {"another program's reload leaves it",
         {failed, "shader blurPS reloaded (5 ms after the save was noticed)"},
         {failed}},
        {"warnings of a good compile are not kept for the next error",
         {"> a.hlsl:2: warning", reloaded, refused},
         {refused}},
        {"the last error shows; once fixed, the one before", {refused, failed}, {failed}},
        {"", {refused, failed, reloaded}, {refused}},
        {"a refused song, then its reload", {songRefused}, {songRefused}},
        {"", {songRefused, "song reloaded from s.xm"}, {}},
        {"a link fault, until it connects", {"fault bad command 9"}, {"editor link fault bad command 9"}},
        {"", {"timeout greeting", "connect-failed"}, {"editor link timeout greeting"}},
        {"", {"closed sending failed", "connected"}, {}},
        {"an editor that closes or is not there is no fault", {"closed", "connect-failed", "greeted", "keys"}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(feed(c.events), c.shown) << c.what;
}

TEST(LiveErrors, LongMessagesAreCut)
{
    Lines events;
    for (char n = '1'; n <= '8'; ++n)
        events.push_back(std::string("> a.hlsl:") + n + ": x");
    events.push_back(failed);
    EXPECT_EQ(feed(events),
              (Lines{"a.hlsl:1: x", "a.hlsl:2: x", "a.hlsl:3: x", "a.hlsl:4: x", "a.hlsl:5: x", "a.hlsl:6: x"}));

    // 160 bytes at most; a cut inside a two-byte letter leaves the letter out.
    const std::string head = "shader combinePS refused: ";
    const std::string fill(160 - head.size(), 'x');
    EXPECT_EQ(feed({head + fill + "yz"}), Lines{head + fill});
    EXPECT_EQ(feed({head + fill.substr(1) + "\xC3\xA4" + "z"}), Lines{head + fill.substr(1)});
}

}  // namespace
}  // namespace Nimbra
