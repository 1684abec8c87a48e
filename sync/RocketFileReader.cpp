// The editors' schema over XmlScanner, which checks the XML itself. The text is untrusted: the scanner bounds reads
// and nesting, the schema every number and a track's keys; the first misfit ends the read with its line and a reason.
#include "sync/Protocol.h"
#include "sync/RocketFile.h"
#include "sync/XmlScanner.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace Nimbra::Sync {

namespace {

// What an element is to the reader, which decides what may appear inside it.
enum class Kind {
    Container,  // a top-level element other than <tracks>: may hold <tracks> and things we pass over
    Tracks,     // holds only <track>
    Track,      // holds only <key>
    Key,        // holds nothing
    Skipped,    // anything else (bookmarks, groups...): its content is passed over
};

using Attributes = std::vector<XmlAttribute>;

const std::string* find(const Attributes& attributes, const char* name)
{
    const XmlAttribute* attribute = findAttribute(attributes, name);
    return attribute ? &attribute->value : nullptr;
}

// A whole number of at most 10 digits, nothing else.
bool parseUnsigned(const std::string& text, uint64_t& value)
{
    if (text.empty() || text.size() > 10)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + uint64_t(c - '0');
    }
    return true;
}

// A finite decimal number such as -1.5, 11.6000004 or 2.5e-05.
bool parseValue(const std::string& text, float& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first < last && *first == '+')
        ++first;
    if (first == last)
        return false;
    for (const char* c = first; c < last; ++c) {
        if (!((*c >= '0' && *c <= '9') || *c == '-' || *c == '+' || *c == '.' || *c == 'e' || *c == 'E'))
            return false;
    }
    const auto parsed = std::from_chars(first, last, value, std::chars_format::general);
    return parsed.ec == std::errc() && parsed.ptr == last && std::isfinite(value);
}

class Reader
{
public:
    Reader(const char* text, size_t size, RocketDocument& document) : xml_(text, size), document_(document) {}

    bool read();
    const FileError& error() const { return xml_.error(); }

private:
    bool startTag(const XmlToken& tag);
    bool endTag();
    bool enter(const XmlToken& tag, Kind& kind);
    bool enterTracks(const XmlToken& tag);
    bool enterTrack(const XmlToken& tag);
    bool readSetting(const Attributes& attributes, const char* name, RocketSetting& setting);
    bool readKey(const XmlToken& tag);
    bool finishTrack();

    XmlScanner xml_;
    RocketDocument& document_;
    std::vector<Kind> open_;  // the kinds of the elements the scanner has open
    bool rootSeen_ = false;
    uint32_t tracksLine_ = 0;           // where <tracks> starts; 0 until it does
    bool keysUnordered_ = false;        // the current track's keys need sorting
    std::vector<const char*> keyTags_;  // where each of the current track's keys is written
};

bool Reader::read()
{
    document_ = RocketDocument();
    XmlToken token;
    for (;;) {
        if (!xml_.next(token))
            return false;
        switch (token.kind) {
        case XmlTokenKind::StartTag:
            if (!startTag(token))
                return false;
            break;
        case XmlTokenKind::EndTag:
            if (!endTag())
                return false;
            break;
        case XmlTokenKind::Text: break;  // only inside elements passed over: the others hold elements only
        case XmlTokenKind::End:
            if (!rootSeen_)
                return xml_.fail(nullptr, "no elements: not a sync editor file");
            if (tracksLine_ == 0)
                return xml_.fail(nullptr, "no <tracks> element: not a sync editor file");
            return true;
        }
    }
}

bool Reader::startTag(const XmlToken& tag)
{
    Kind kind = Kind::Skipped;
    if (!enter(tag, kind))
        return false;
    rootSeen_ = true;
    if (tag.empty)
        return kind != Kind::Track || finishTrack();
    open_.push_back(kind);
    if (kind != Kind::Skipped)
        xml_.holdOnlyElements();
    return true;
}

bool Reader::endTag()
{
    if (open_.back() == Kind::Track && !finishTrack())
        return false;
    open_.pop_back();
    return true;
}

bool Reader::enter(const XmlToken& tag, Kind& kind)
{
    // Every top-level element is read alike: the editors write one root, their older files
    // several (<bookmark>, <group>, then <tracks>).
    const std::string_view name = tag.name;
    const Kind parent = open_.empty() ? Kind::Container : open_.back();
    switch (parent) {
    case Kind::Container:
        kind = name == "tracks" ? Kind::Tracks : open_.empty() ? Kind::Container : Kind::Skipped;
        if (name == "tracks" || open_.empty()) {
            // The editors put the number of rows on the root or on <tracks>; it is only kept.
            uint64_t rows = 0;
            const std::string* text = find(tag.attributes, "rows");
            if (text && parseUnsigned(*text, rows) && rows <= maxRow && document_.rows == 0)
                document_.rows = uint32_t(rows);
        }
        return kind != Kind::Tracks || enterTracks(tag);
    case Kind::Tracks:
        if (name != "track")
            return xml_.fail(tag.at, "<%.*s> inside <tracks>, where only <track> belongs", int(name.size()),
                             name.data());
        kind = Kind::Track;
        return enterTrack(tag);
    case Kind::Track:
        if (name != "key")
            return xml_.fail(tag.at, "<%.*s> inside <track>, where only <key> belongs", int(name.size()), name.data());
        kind = Kind::Key;
        return readKey(tag);
    case Kind::Key: return xml_.fail(tag.at, "<%.*s> inside <key>, which holds nothing", int(name.size()), name.data());
    case Kind::Skipped: kind = Kind::Skipped; return true;
    }
    return true;
}

bool Reader::enterTracks(const XmlToken& tag)
{
    if (tracksLine_ != 0)
        return xml_.fail(tag.at, "a second <tracks> element (the first is on line %u)", tracksLine_);
    tracksLine_ = xml_.lineOf(tag.at);
    return readSetting(tag.attributes, "beatsPerMin", document_.beatsPerMin) &&
           readSetting(tag.attributes, "rowsPerBeat", document_.rowsPerBeat);
}

bool Reader::enterTrack(const XmlToken& tag)
{
    const std::string* trackName = find(tag.attributes, "name");
    if (!trackName || trackName->empty())
        return xml_.fail(tag.at, "a <track> without a name");
    for (const RocketTrack& track : document_.tracks) {
        if (track.name == *trackName)
            return xml_.fail(tag.at, "the track \"%s\" appears twice (first on line %u)", trackName->c_str(),
                             track.line);
    }
    RocketTrack track;
    track.name = *trackName;
    track.line = xml_.lineOf(tag.at);  // before the attributes' lines: lines are counted on in file order
    // A muted track keeps its own keys in the file; the editor sends the demo one held value
    // (muteValue) instead while it stays muted.
    RocketSetting muteKeyCount;
    if (!readSetting(tag.attributes, "muteKeyCount", muteKeyCount))
        return false;
    track.muted = muteKeyCount.value > 0;
    document_.tracks.push_back(std::move(track));
    return true;
}

// A whole number that an editor keeps for itself, with its line; left as it is when absent.
bool Reader::readSetting(const Attributes& attributes, const char* name, RocketSetting& setting)
{
    const XmlAttribute* attribute = findAttribute(attributes, name);
    if (!attribute)
        return true;
    uint64_t value = 0;
    if (!parseUnsigned(attribute->value, value) || value > UINT32_MAX)
        return xml_.fail(attribute->at, "%s \"%s\" is not a whole number", name, attribute->value.c_str());
    setting.value = uint32_t(value);
    setting.line = xml_.lineOf(attribute->at);
    return true;
}

bool Reader::readKey(const XmlToken& tag)
{
    RocketTrack& track = document_.tracks.back();
    const std::string* rowText = find(tag.attributes, "row");
    const std::string* valueText = find(tag.attributes, "value");
    const std::string* typeText = find(tag.attributes, "interpolation");
    if (!rowText || !valueText || !typeText)
        return xml_.fail(tag.at, "a <key> of track \"%s\" without %s", track.name.c_str(),
                         !rowText     ? "a row"
                         : !valueText ? "a value"
                                      : "an interpolation");
    uint64_t row = 0;
    if (!parseUnsigned(*rowText, row) || row > maxRow)
        return xml_.fail(tag.at, "row \"%s\" is not a whole number in 0..%u", rowText->c_str(), maxRow);
    float value = 0.0f;
    if (!parseValue(*valueText, value))
        return xml_.fail(tag.at, "value \"%s\" is not a finite number", valueText->c_str());
    uint64_t type = 0;
    if (!parseUnsigned(*typeText, type) || type > maxKeyType)
        return xml_.fail(tag.at, "interpolation \"%s\" is not a key type in 0..%u", typeText->c_str(),
                         unsigned(maxKeyType));
    if (track.keys.size() >= maxTrackKeys)
        return xml_.fail(tag.at, "track \"%s\" has more than %u keys", track.name.c_str(), maxTrackKeys);

    // Editors write keys in row order; keys out of order are sorted when the track ends.
    if (!track.keys.empty() && track.keys.back().row >= uint32_t(row))
        keysUnordered_ = true;
    track.keys.push_back(Keyframe{uint32_t(row), value, int32_t(type)});
    keyTags_.push_back(tag.at);
    return true;
}

bool Reader::finishTrack()
{
    RocketTrack& track = document_.tracks.back();
    if (keysUnordered_) {
        std::vector<uint32_t> order(track.keys.size());
        for (uint32_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](uint32_t a, uint32_t b) { return track.keys[a].row < track.keys[b].row; });
        std::vector<Keyframe> sorted;
        sorted.reserve(order.size());
        for (size_t i = 0; i < order.size(); ++i) {
            if (i > 0 && track.keys[order[i]].row == track.keys[order[i - 1]].row) {
                const uint32_t later = order[i] > order[i - 1] ? order[i] : order[i - 1];
                return xml_.fail(keyTags_[later], "track \"%s\" has two keys on row %u", track.name.c_str(),
                                 track.keys[later].row);
            }
            sorted.push_back(track.keys[order[i]]);
        }
        track.keys.swap(sorted);
    }
    keysUnordered_ = false;
    keyTags_.clear();
    return true;
}

}  // namespace

bool parseRocketFile(const char* text, size_t size, RocketDocument& document, FileError& error)
{
    Reader reader(text, size, document);
    const bool read = reader.read();
    error = FileError();
    if (!read) {
        error.line = reader.error().line;
        error.message = reader.error().message;
    }
    return read;
}

}  // namespace Nimbra::Sync
