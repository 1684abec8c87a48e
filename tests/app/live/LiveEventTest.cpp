// The console's wording of every kind of live event, as a user and the end-to-end tests read it,
// written out by hand; only the row reports wait for --verbose, and only the compiler's lines
// come without the program's name.
#include "app/live/LiveEvent.h"

#include <gtest/gtest.h>

namespace Nimbra {
namespace {

using K = LiveEventKind;

LiveEvent withLine(LiveEvent event, uint32_t line)
{
    event.line = line;
    return event;
}

LiveEvent about(LiveEvent event, const std::string& program)
{
    event.source = program;
    return event;
}

TEST(LiveEvent, EveryKindIsWordedAsTheConsoleShowsIt)
{
    const struct {
        LiveEvent event;
        const char* text;
    } cases[] = {
        {liveEvent(K::ConnectFailed), "connect-failed"},
        {liveEvent(K::Connected), "connected"},
        {liveEvent(K::Greeted), "greeted"},
        {liveEvent(K::KeysChanged), "keys"},
        {liveEvent(K::Closed), "closed"},
        {liveEvent(K::LinkLost, "sending failed"), "closed sending failed"},
        {liveEvent(K::LinkFault, "unknown command 0x7f"), "fault unknown command 0x7f"},
        {liveEvent(K::GreetingTimeout), "timeout greeting"},
        {numberEvent(K::RowReported, 1603), "report 1603"},
        {fileEvent(K::TracksSaved, "s\xC3\xA4ved.rocket"), "save s\xC3\xA4ved.rocket"},
        {fileEvent(K::SaveFailed, "a.rocket", "cannot create the file"),
         "save-failed a.rocket: cannot create the file"},
        {numberEvent(K::Seek, 1600), "seek 1600"},
        {numberEvent(K::Step, 4234335), "step 4234335"},
        {numberEvent(K::Loop, 16, 40), "loop 16 40"},
        {numberEvent(K::MusicRestarted, 66150, 3), "music 66150 3"},
        {numberEvent(K::Pause, 1), "pause 1"},
        {liveEvent(K::NoSoundDevice), "no sound device: the music runs silent"},
        {fileEvent(K::ShadersOn,
                   "/w/sh\xC3\xA4"
                   "ders",
                   "D3DCompile"),
         "live shaders: /w/sh\xC3\xA4"
         "ders, compiled with D3DCompile"},
        {liveEvent(K::ShadersOff, "no folder x"), "live shaders off: no folder x"},
        {withLine(shaderEvent(K::CompilerMessage, "blurPS", "syntax error", "C:\\w\\blurPS.hlsl"), 19),
         "C:\\w\\blurPS.hlsl:19: syntax error"},
        {shaderEvent(K::CompilerNote, "blurPS", "compilation failed"), "compilation failed"},
        {about(numberEvent(K::ShaderReloaded, 30, 40), "twoPS"),
         "shader twoPS reloaded (30 ms after the save was noticed, compiled in 40 ms)"},
        {shaderEvent(K::ShaderFailed, "oneVS"), "shader oneVS: failed to compile, it keeps its program"},
        {shaderEvent(K::ShaderRefused, "blurPS", "t9 (extra): the pass binds nothing there"),
         "shader blurPS refused: t9 (extra): the pass binds nothing there"},
        {shaderEvent(K::ShaderSourceUnusable, "loneCS", "is empty", "/w/loneCS.hlsl"),
         "shader loneCS: /w/loneCS.hlsl is empty, it keeps its program"},
        {shaderEvent(K::ShaderCompilerFailed, "twoPS", "the compiler did not finish in 60 s"),
         "shader twoPS: the compiler did not finish in 60 s"},
        {shaderEvent(K::ShaderNameWithoutStage, "odd"), "shader odd: its name ends in none of VS, PS and CS"},
        {fileEvent(K::SongReloaded, "s\xC3\xB4ng.xm"), "song reloaded from s\xC3\xB4ng.xm"},
        {fileEvent(K::SongRefused, "s.xm", "is empty"), "song s.xm is empty, the old one plays on"},
    };
    static_assert(sizeof cases / sizeof cases[0] == size_t(K::SongRefused) + 1, "a case for every kind");
    for (const auto& c : cases) {
        EXPECT_EQ(liveEventText(c.event), c.text);
        const LiveEventWording& wording = liveEventWording(c.event.kind);
        EXPECT_EQ(wording.verboseOnly, c.event.kind == K::RowReported) << c.text;
        EXPECT_EQ(wording.withoutPrefix, c.event.kind == K::CompilerMessage || c.event.kind == K::CompilerNote)
            << c.text;
    }
}

}  // namespace
}  // namespace Nimbra
