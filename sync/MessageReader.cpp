#include "sync/MessageReader.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace Nimbra::Sync {

size_t editorMessageSize(uint8_t command)
{
    switch (static_cast<Command>(command)) {
    case Command::SetKey: return 14;     // command, track, row, value, type
    case Command::DeleteKey: return 9;   // command, track, row
    case Command::SetRow: return 5;      // command, row
    case Command::Pause: return 2;       // command, flag
    case Command::SaveTracks: return 1;  // command
    default: return 0;                   // GET_TRACK and anything else never come from the editor
    }
}

MessageReader::MessageReader(uint32_t trackCount) : trackCount_(trackCount) {}

void MessageReader::reset()
{
    greeted_ = false;
    held_ = 0;
    needed_ = 0;
    fault_[0] = '\0';
}

ReadStatus MessageReader::fail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(fault_, sizeof fault_, format, args);
    va_end(args);
    if (fault_[0] == '\0')
        std::snprintf(fault_, sizeof fault_, "fault");
    return ReadStatus::Fault;
}

ReadStatus MessageReader::readGreeting(const uint8_t* data, size_t size, size_t& used)
{
    // Compared byte by byte, so that a wrong greeting is refused as soon as it differs.
    while (used < size && held_ < editorGreetingSize) {
        if (data[used] != uint8_t(editorGreeting[held_]))
            return fail("the editor's greeting is not \"%s\" (byte %zu is 0x%02x)", editorGreeting, held_,
                        unsigned(data[used]));
        ++used;
        ++held_;
    }
    if (held_ < editorGreetingSize)
        return ReadStatus::NeedMore;
    held_ = 0;
    greeted_ = true;
    return ReadStatus::Greeting;
}

ReadStatus MessageReader::read(const uint8_t* data, size_t size, size_t& used, EditorMessage& message)
{
    used = 0;
    if (faulted())
        return ReadStatus::Fault;
    if (!greeted_)
        return readGreeting(data, size, used);

    if (held_ == 0) {
        if (size == 0)
            return ReadStatus::NeedMore;
        needed_ = editorMessageSize(data[0]);
        if (needed_ == 0)
            return fail("unknown command 0x%02x", unsigned(data[0]));
    }
    const size_t take = needed_ - held_ < size ? needed_ - held_ : size;
    std::memcpy(pending_ + held_, data, take);
    held_ += take;
    used = take;
    if (held_ < needed_)
        return ReadStatus::NeedMore;
    held_ = 0;
    return finish(message);
}

ReadStatus MessageReader::finish(EditorMessage& message)
{
    message = EditorMessage();
    message.command = static_cast<Command>(pending_[0]);
    switch (message.command) {
    case Command::SetKey:
    case Command::DeleteKey:
        message.track = getU32(pending_ + 1);
        message.row = getU32(pending_ + 5);
        if (message.track >= trackCount_)
            return fail("track %u was never asked for (%u tracks)", message.track, trackCount_);
        if (message.row > maxRow)
            return fail("row %u is outside 0..%u", message.row, maxRow);
        if (message.command == Command::SetKey) {
            const uint32_t bits = getU32(pending_ + 9);
            std::memcpy(&message.value, &bits, sizeof bits);
            // NaN or infinity would spread through every interpolation that touches the key.
            if (!std::isfinite(message.value))
                return fail("key value 0x%08x on row %u is not a finite number", bits, message.row);
            if (pending_[13] > maxKeyType)
                return fail("key type %u is outside 0..%u", unsigned(pending_[13]), unsigned(maxKeyType));
            message.interpolation = pending_[13];
        }
        break;
    case Command::SetRow:
        message.row = getU32(pending_ + 1);
        if (message.row > maxRow)
            return fail("seek to row %u is outside 0..%u", message.row, maxRow);
        break;
    case Command::Pause:
        if (pending_[1] > 1)
            return fail("pause flag %u is neither 0 nor 1", unsigned(pending_[1]));
        message.paused = pending_[1] == 1;
        break;
    default: break;
    }
    return ReadStatus::Message;
}

}  // namespace Nimbra::Sync
