#include "app/live/LiveEvent.h"

#include <cstring>

namespace Nimbra {
namespace {

using K = LiveEventKind;
using O = EventOwner;
using E = ErrorEffect;

// clang-format off
constexpr LiveEventWording wordings[] = {
    // kind                       owner      effect      verbose  raw    wording
    {K::ConnectFailed,            O::Link,   E::None,    false,   false, "connect-failed"},
    {K::Connected,                O::Link,   E::Clears,  false,   false, "connected"},
    {K::Greeted,                  O::Link,   E::None,    false,   false, "greeted"},
    {K::KeysChanged,              O::Link,   E::None,    false,   false, "keys"},
    {K::Closed,                   O::Link,   E::None,    false,   false, "closed"},
    {K::LinkLost,                 O::Link,   E::Sets,    false,   false, "closed {text}"},
    {K::LinkFault,                O::Link,   E::Sets,    false,   false, "fault {text}"},
    {K::GreetingTimeout,          O::Link,   E::Sets,    false,   false, "timeout greeting"},
    {K::RowReported,              O::Link,   E::None,    true,    false, "report {0}"},
    {K::TracksSaved,              O::Link,   E::None,    false,   false, "save {file}"},
    {K::SaveFailed,               O::Link,   E::None,    false,   false, "save-failed {file}: {text}"},
    {K::Seek,                     O::Music,  E::None,    false,   false, "seek {0}"},
    {K::Step,                     O::Music,  E::None,    false,   false, "step {0}"},
    {K::Loop,                     O::Music,  E::None,    false,   false, "loop {0} {1}"},
    {K::MusicRestarted,           O::Music,  E::None,    false,   false, "music {0} {1}"},
    {K::Pause,                    O::Music,  E::None,    false,   false, "pause {0}"},
    {K::NoSoundDevice,            O::Music,  E::None,    false,   false, "no sound device: the music runs silent"},
    {K::ShadersOn,                O::Shader, E::None,    false,   false, "live shaders: {file}, compiled with {text}"},
    {K::ShadersOff,               O::Shader, E::None,    false,   false, "live shaders off: {text}"},
    {K::CompilerMessage,          O::Shader, E::None,    false,   true,  "{file}:{line}: {text}"},
    {K::CompilerNote,             O::Shader, E::None,    false,   true,  "{text}"},
    {K::ShaderReloaded,           O::Shader, E::Clears,  false,   false,
        "shader {source} reloaded ({0} ms after the save was noticed, compiled in {1} ms)"},
    {K::ShaderFailed,             O::Shader, E::Sets,    false,   false, "shader {source}: failed to compile, it keeps its program"},
    {K::ShaderRefused,            O::Shader, E::Sets,    false,   false, "shader {source} refused: {text}"},
    {K::ShaderSourceUnusable,     O::Shader, E::Sets,    false,   false, "shader {source}: {file} {text}, it keeps its program"},
    {K::ShaderCompilerFailed,     O::Shader, E::Sets,    false,   false, "shader {source}: {text}"},
    {K::ShaderNameWithoutStage,   O::Shader, E::Sets,    false,   false, "shader {source}: its name ends in none of VS, PS and CS"},
    {K::SongReloaded,             O::Song,   E::Clears,  false,   false, "song reloaded from {file}"},
    {K::SongRefused,              O::Song,   E::Sets,    false,   false, "song {file} {text}, the old one plays on"},
    {K::KeysLoaded,               O::Editor, E::Clears,  false,   false, "keys from {file}"},
    {K::KeysNotLoaded,            O::Editor, E::Sets,    false,   false, "keys not read: {text}"},
    {K::KeysSaved,                O::Editor, E::Clears,  false,   false, "keys saved to {file}"},
    {K::KeysNotSaved,             O::Editor, E::Sets,    false,   false, "keys not saved to {file}: {text}"},
    {K::UnsavedOnQuit,            O::Editor, E::Sets,    false,   false,
        "the keys have unsaved edits: Escape again quits without them, Ctrl+S saves them"},
};
// clang-format on

constexpr size_t kindCount = sizeof wordings / sizeof wordings[0];

// Each row stands at its kind's place, so that a kind is looked up by its number.
constexpr bool inKindOrder()
{
    for (size_t i = 0; i < kindCount; ++i)
        if (size_t(wordings[i].kind) != i)
            return false;
    return true;
}
static_assert(inKindOrder(), "the wordings are in the order of LiveEventKind");
static_assert(size_t(LiveEventKind::UnsavedOnQuit) + 1 == kindCount, "every kind has a wording");

}  // namespace

const LiveEventWording& liveEventWording(LiveEventKind kind)
{
    return wordings[size_t(kind)];
}

std::string liveEventText(const LiveEvent& event)
{
    std::string text;
    for (const char* at = liveEventWording(event.kind).wording; *at;) {
        const char* close = *at == '{' ? std::strchr(at, '}') : nullptr;
        if (!close) {
            text += *at++;
            continue;
        }
        const std::string field(at + 1, close);
        if (field == "source")
            text += event.source;
        else if (field == "file")
            text += event.file;
        else if (field == "line")
            text += std::to_string(event.line);
        else if (field == "text")
            text += event.text;
        else if (field == "0" || field == "1")
            text += std::to_string(event.numbers[field[0] - '0']);
        at = close + 1;
    }
    return text;
}

LiveEvent liveEvent(LiveEventKind kind, std::string text)
{
    LiveEvent event;
    event.kind = kind;
    event.text = std::move(text);
    return event;
}

LiveEvent numberEvent(LiveEventKind kind, uint64_t first, uint64_t second)
{
    LiveEvent event;
    event.kind = kind;
    event.numbers[0] = first;
    event.numbers[1] = second;
    return event;
}

LiveEvent fileEvent(LiveEventKind kind, std::string file, std::string text)
{
    LiveEvent event = liveEvent(kind, std::move(text));
    event.file = std::move(file);
    return event;
}

LiveEvent shaderEvent(LiveEventKind kind, std::string program, std::string text, std::string file)
{
    LiveEvent event = fileEvent(kind, std::move(file), std::move(text));
    event.source = std::move(program);
    return event;
}

}  // namespace Nimbra
