#pragma once
// What happens in demo-sync's live parts (the editor link, the music, the shaders, the song), one
// record each, and the one table that words them for the console and says what they mean for the
// overlay's error. Every part reports through a LiveLog; nothing reads a worded line back.
#include <cstdint>
#include <functional>
#include <string>

namespace Nimbra {

enum class LiveEventKind : uint8_t {
    // The editor link.
    ConnectFailed,
    Connected,
    Greeted,
    KeysChanged,
    Closed,           // the editor closed the link
    LinkLost,         // the link broke: `text` says how
    LinkFault,        // the editor sent what the protocol does not allow
    GreetingTimeout,  // the editor never answered the greeting
    RowReported,      // a row went back to the editor: numbers[0]
    TracksSaved,      // the editor's SAVE_TRACKS wrote `file`
    SaveFailed,
    // The music.
    Seek,            // to row numbers[0]
    Step,            // to music frame numbers[0]
    Loop,            // rows numbers[0] to numbers[1]
    MusicRestarted,  // at frame numbers[0], taking numbers[1] ms
    Pause,           // numbers[0]: 1 paused, 0 playing
    NoSoundDevice,
    // The live shaders.
    ShadersOn,  // watching `file`, compiled with `text`
    ShadersOff,
    CompilerMessage,  // `file`:`line`: `text`, of program `source`
    CompilerNote,     // a compiler line that names no place
    ShaderReloaded,   // numbers[0] ms after the save was noticed, compiled in numbers[1] ms
    ShaderFailed,
    ShaderRefused,
    ShaderSourceUnusable,  // `file` missing, empty, too large or not text
    ShaderCompilerFailed,  // the compiler could not start or finish
    ShaderNameWithoutStage,
    // The live song.
    SongReloaded,
    SongRefused,
    // The editor over the picture.
    KeysLoaded,     // --keys `file`
    KeysNotLoaded,  // `text` says why
    KeysSaved,      // to `file`
    KeysNotSaved,   // `text` says why
    UnsavedOnQuit,  // Escape with edits not saved: a second one quits
};

struct LiveEvent {
    LiveEventKind kind = LiveEventKind::Closed;
    std::string source;        // the program a shader event is about
    std::string file;          // the file it names
    uint32_t line = 0;         // the line in it, counted from 1
    std::string text;          // the reason or the message
    uint64_t numbers[2] = {};  // rows, frames or milliseconds, as the kind says
};

// Whose error an event is about, and what it does to it.
enum class EventOwner : uint8_t { Link, Music, Shader, Song, Editor };
enum class ErrorEffect : uint8_t { None, Sets, Clears };

struct LiveEventWording {
    LiveEventKind kind;
    EventOwner owner;
    ErrorEffect effect;
    bool verboseOnly;     // on the console with --verbose only
    bool withoutPrefix;   // on the console as it is, without the program's name (compiler lines)
    const char* wording;  // {source}, {file}, {line}, {text}, {0} and {1} stand for the fields
};

const LiveEventWording& liveEventWording(LiveEventKind kind);

// The event as the console shows it, without the program's prefix.
std::string liveEventText(const LiveEvent& event);

LiveEvent liveEvent(LiveEventKind kind, std::string text = {});
LiveEvent numberEvent(LiveEventKind kind, uint64_t first, uint64_t second = 0);
LiveEvent fileEvent(LiveEventKind kind, std::string file, std::string text = {});
LiveEvent shaderEvent(LiveEventKind kind, std::string program, std::string text = {}, std::string file = {});

using LiveLog = std::function<void(const LiveEvent& event)>;

}  // namespace Nimbra
