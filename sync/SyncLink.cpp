#include "sync/SyncLink.h"

#include "sync/TrackKeys.h"

#include <cstdio>
#include <cstring>

namespace Nimbra::Sync {

namespace {

void appendU32(std::vector<uint8_t>& out, uint32_t value)
{
    uint8_t bytes[4];
    putU32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

}  // namespace

SyncLink::SyncLink(Timeline& timeline, const char* const* trackNames, uint32_t trackCount) : timeline_(timeline)
{
    const uint32_t curves = timeline.curves.count;
    for (uint32_t i = 0; i < trackCount && i < curves; ++i)
        names_.emplace_back(trackNames[i]);
}

void SyncLink::connected()
{
    reader_.reset();
    reader_.setTrackCount(0);
    output_.clear();
    outputSent_ = 0;
    output_.insert(output_.end(), demoGreeting, demoGreeting + demoGreetingSize);
    state_ = LinkState::AwaitingGreeting;
    rowKnown_ = false;
    fault_.clear();
}

void SyncLink::disconnected()
{
    if (fault_.empty()) {
        if (state_ == LinkState::AwaitingGreeting)
            fault_ = "the editor closed the link before answering the greeting";
        else if (state_ == LinkState::Live && reader_.midMessage())
            fault_ = "the editor closed the link in the middle of a message";
    }
    state_ = LinkState::Disconnected;
    output_.clear();
    outputSent_ = 0;
}

LinkUpdate SyncLink::receive(const uint8_t* data, size_t size)
{
    LinkUpdate update;
    if (state_ != LinkState::AwaitingGreeting && state_ != LinkState::Live)
        return update;
    size_t offset = 0;
    while (offset < size) {
        size_t used = 0;
        EditorMessage message;
        const ReadStatus status = reader_.read(data + offset, size - offset, used, message);
        offset += used;
        if (status == ReadStatus::Greeting) {
            requestTracks();
            update.greeted = true;
            update.keysChanged = true;
        } else if (status == ReadStatus::Message) {
            apply(message, update);
        } else if (status == ReadStatus::Fault) {
            fail(reader_.fault(), update);
        }
        if (status == ReadStatus::NeedMore || state_ == LinkState::Failed)
            break;
    }
    return update;
}

void SyncLink::requestTracks()
{
    for (uint32_t track = 0; track < names_.size(); ++track) {
        const std::string& name = names_[track];
        output_.push_back(uint8_t(Command::GetTrack));
        appendU32(output_, uint32_t(name.size()));
        output_.insert(output_.end(), name.begin(), name.end());
        timeline_.curves.at(track)->keys.resize(0);
    }
    reader_.setTrackCount(uint32_t(names_.size()));
    state_ = LinkState::Live;
}

void SyncLink::apply(const EditorMessage& message, LinkUpdate& update)
{
    switch (message.command) {
    case Command::SetKey: {
        Curve& curve = *timeline_.curves.at(message.track);
        const Keyframe key{message.row, message.value, message.interpolation};
        if (setKey(curve, key, maxTrackKeys) == SetKeyResult::Full) {
            char reason[160];
            std::snprintf(reason, sizeof reason, "track %u (%s) already holds %u keys", message.track,
                          names_[message.track].c_str(), maxTrackKeys);
            fail(reason, update);
            return;
        }
        update.keysChanged = true;
        break;
    }
    case Command::DeleteKey:
        if (deleteKey(*timeline_.curves.at(message.track), message.row))
            update.keysChanged = true;
        break;
    case Command::SetRow:
        update.seek = true;
        update.seekRow = message.row;
        // The editor knows where it put the demo: that row is not reported back.
        rowKnown_ = true;
        lastRow_ = message.row;
        break;
    case Command::Pause:
        update.pauseChanged = true;
        update.paused = message.paused;
        break;
    case Command::SaveTracks: update.saveRequested = true; break;
    default: break;
    }
    ++update.messages;
}

void SyncLink::fail(const char* reason, LinkUpdate& update)
{
    fault_ = reason;
    state_ = LinkState::Failed;
    update.failed = true;
}

void SyncLink::playRow(uint32_t row, bool playing)
{
    if (state_ != LinkState::Live || !playing || (rowKnown_ && row == lastRow_))
        return;
    output_.push_back(uint8_t(Command::SetRow));
    appendU32(output_, row);
    rowKnown_ = true;
    lastRow_ = row;
}

void SyncLink::reportRow(uint32_t row)
{
    if (state_ != LinkState::Live)
        return;
    output_.push_back(uint8_t(Command::SetRow));
    appendU32(output_, row);
    rowKnown_ = true;
    lastRow_ = row;
}

void SyncLink::consumeOutput(size_t bytes)
{
    const size_t pending = pendingOutputSize();
    outputSent_ += bytes < pending ? bytes : pending;
    if (outputSent_ == output_.size()) {
        output_.clear();
        outputSent_ = 0;
    }
}

}  // namespace Nimbra::Sync
