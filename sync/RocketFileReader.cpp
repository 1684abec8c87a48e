// Reads the editor's XML file. The text is untrusted: every read is bounded by the end of the
// buffer, nesting is limited, and the first thing that is not well-formed XML of the expected
// shape ends the read with its line and a reason.
#include "sync/Protocol.h"
#include "sync/RocketFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace Nimbra::Sync {

namespace {

constexpr size_t maxDepth = 64;

// What an element is to the reader, which decides what may appear inside it.
enum class Kind {
    Container,  // a top-level element other than <tracks>: may hold <tracks> and things we pass over
    Tracks,     // holds only <track>
    Track,      // holds only <key>
    Key,        // holds nothing
    Skipped,    // anything else (bookmarks, groups...): its content is passed over
};

struct Attribute {
    std::string_view name;
    const char* at;     // where the name is written, for the line of a fault
    std::string value;  // entities decoded
};

struct Open {
    std::string_view name;
    Kind kind;
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool isNameStart(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u == ':' || u >= 0x80;
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

void appendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

class Reader {
public:
    Reader(const char* text, size_t size, RocketDocument& document, RocketError& error)
        : begin_(text), at_(text), end_(text + size), document_(document), error_(error)
    {
    }

    bool read();

private:
    bool fail(const char* where, const char* format, ...);
    uint32_t lineOf(const char* where);

    bool startsWith(const char* literal) const
    {
        const size_t n = std::strlen(literal);
        return size_t(end_ - at_) >= n && std::memcmp(at_, literal, n) == 0;
    }
    void skipSpace()
    {
        while (at_ < end_ && isSpace(*at_))
            ++at_;
    }
    bool skipPast(const char* terminator, const char* what);

    bool readMarkup();
    bool readText();
    bool readDoctype();
    bool readName(std::string_view& name);
    bool readAttributes(std::vector<Attribute>& attributes, bool& empty);
    bool decode(const char* from, const char* to, std::string& out);
    bool readStartTag();
    bool readEndTag();
    bool enter(std::string_view name, const std::vector<Attribute>& attributes, const char* tag, Kind& kind);
    bool enterTracks(const std::vector<Attribute>& attributes, const char* tag);
    bool enterTrack(const std::vector<Attribute>& attributes, const char* tag);
    bool readSetting(const std::vector<Attribute>& attributes, const char* name, RocketSetting& setting);
    bool readKey(const std::vector<Attribute>& attributes, const char* tag);
    bool finishTrack();

    const char* begin_;
    const char* at_;
    const char* end_;
    RocketDocument& document_;
    RocketError& error_;
    std::vector<Open> open_;
    bool rootSeen_ = false;
    uint32_t tracksLine_ = 0;  // where <tracks> starts; 0 until it does
    const char* lineAt_ = nullptr;  // lineOf() counts on from here
    uint32_t line_ = 1;
    bool keysUnordered_ = false;         // the current track's keys need sorting
    std::vector<const char*> keyTags_;  // where each of the current track's keys is written
};

bool Reader::fail(const char* where, const char* format, ...)
{
    char message[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    error_.line = where ? lineOf(where) : 0;
    error_.message = message;
    return false;
}

uint32_t Reader::lineOf(const char* where)
{
    // Places are asked for in file order, so counting goes on from the last one.
    if (!lineAt_ || where < lineAt_) {
        lineAt_ = begin_;
        line_ = 1;
    }
    for (; lineAt_ < where && lineAt_ < end_; ++lineAt_) {
        if (*lineAt_ == '\n')
            ++line_;
    }
    return line_;
}

bool Reader::skipPast(const char* terminator, const char* what)
{
    const char* start = at_;
    const size_t n = std::strlen(terminator);
    for (; size_t(end_ - at_) >= n; ++at_) {
        if (std::memcmp(at_, terminator, n) == 0) {
            at_ += n;
            return true;
        }
    }
    return fail(start, "the file ends inside %s", what);
}

bool Reader::read()
{
    document_ = RocketDocument();
    if (end_ - at_ >= 2 && ((at_[0] == '\xFE' && at_[1] == '\xFF') || (at_[0] == '\xFF' && at_[1] == '\xFE')))
        return fail(at_, "the file is UTF-16; save it as UTF-8");
    if (startsWith("\xEF\xBB\xBF"))
        at_ += 3;
    if (std::memchr(at_, '\0', size_t(end_ - at_)))
        return fail(static_cast<const char*>(std::memchr(at_, '\0', size_t(end_ - at_))),
                    "a NUL byte: this is not a text file");

    while (at_ < end_) {
        if (*at_ == '<') {
            if (!readMarkup())
                return false;
        } else if (!readText()) {
            return false;
        }
    }
    if (!open_.empty())
        return fail(end_, "the file ends inside <%.*s>", int(open_.back().name.size()), open_.back().name.data());
    if (!rootSeen_)
        return fail(nullptr, "no elements: not a sync editor file");
    if (tracksLine_ == 0)
        return fail(nullptr, "no <tracks> element: not a sync editor file");
    return true;
}

bool Reader::readText()
{
    const char* start = at_;
    const char* stop = static_cast<const char*>(std::memchr(at_, '<', size_t(end_ - at_)));
    if (!stop)
        stop = end_;
    at_ = stop;
    if (!open_.empty() && open_.back().kind == Kind::Skipped)
        return true;
    for (const char* c = start; c < stop; ++c) {
        if (!isSpace(*c)) {
            const char* where = open_.empty() ? "outside the elements" : "where only elements belong";
            return fail(c, "unexpected text %s", where);
        }
    }
    return true;
}

bool Reader::readMarkup()
{
    if (startsWith("<?")) {
        at_ += 2;
        return skipPast("?>", "a <?...?> instruction");
    }
    if (startsWith("<!--")) {
        at_ += 4;
        return skipPast("-->", "a comment");
    }
    if (startsWith("<![CDATA[")) {
        if (open_.empty() || open_.back().kind != Kind::Skipped)
            return fail(at_, "unexpected CDATA section where only elements belong");
        at_ += 9;
        return skipPast("]]>", "a CDATA section");
    }
    if (startsWith("<!DOCTYPE"))
        return readDoctype();
    if (startsWith("</"))
        return readEndTag();
    return readStartTag();
}

bool Reader::readDoctype()
{
    const char* start = at_;
    if (rootSeen_)
        return fail(start, "a <!DOCTYPE> after the root element");
    for (; at_ < end_; ++at_) {
        if (*at_ == '[')
            return fail(start, "a <!DOCTYPE> with its own declarations cannot be read");
        if (*at_ == '>') {
            ++at_;
            return true;
        }
    }
    return fail(start, "the file ends inside <!DOCTYPE>");
}

bool Reader::readName(std::string_view& name)
{
    const char* start = at_;
    if (at_ >= end_ || !isNameStart(*at_))
        return fail(start, "expected a name after '<'");
    while (at_ < end_ && isNameChar(*at_))
        ++at_;
    name = std::string_view(start, size_t(at_ - start));
    return true;
}

bool Reader::decode(const char* from, const char* to, std::string& out)
{
    out.clear();
    for (const char* c = from; c < to; ++c) {
        if (*c == '<')
            return fail(c, "'<' inside an attribute value");
        if (*c == '\t' || *c == '\n' || *c == '\r') {
            out += ' ';  // attribute values turn line breaks and tabs into spaces
            continue;
        }
        if (*c != '&') {
            out += *c;
            continue;
        }
        const char* semicolon = c + 1;
        while (semicolon < to && semicolon - c <= 10 && *semicolon != ';')
            ++semicolon;
        if (semicolon >= to || *semicolon != ';')
            return fail(c, "an '&' that does not start an entity such as &amp;");
        const std::string_view entity(c + 1, size_t(semicolon - c - 1));
        if (entity == "lt") {
            out += '<';
        } else if (entity == "gt") {
            out += '>';
        } else if (entity == "amp") {
            out += '&';
        } else if (entity == "quot") {
            out += '"';
        } else if (entity == "apos") {
            out += '\'';
        } else if (entity.size() >= 2 && entity[0] == '#') {
            const bool hex = entity[1] == 'x';
            const char* digits = entity.data() + (hex ? 2 : 1);
            const char* digitsEnd = entity.data() + entity.size();
            uint32_t code = 0;
            const auto parsed = std::from_chars(digits, digitsEnd, code, hex ? 16 : 10);
            const bool valid = digits < digitsEnd && parsed.ec == std::errc() && parsed.ptr == digitsEnd &&
                               (code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
                                (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF));
            if (!valid)
                return fail(c, "the character reference &%.*s; is not a character", int(entity.size()), entity.data());
            appendUtf8(out, code);
        } else {
            return fail(c, "unknown entity &%.*s;", int(entity.size()), entity.data());
        }
        c = semicolon;
    }
    return true;
}

bool Reader::readAttributes(std::vector<Attribute>& attributes, bool& empty)
{
    attributes.clear();
    for (;;) {
        const char* before = at_;
        skipSpace();
        if (at_ >= end_)
            return fail(at_, "the file ends inside a tag");
        if (*at_ == '>') {
            ++at_;
            empty = false;
            return true;
        }
        if (*at_ == '/') {
            if (end_ - at_ < 2 || at_[1] != '>')
                return fail(at_, "expected '/>'");
            at_ += 2;
            empty = true;
            return true;
        }
        if (at_ == before)
            return fail(at_, "expected a space before the attribute");
        Attribute attribute;
        attribute.at = at_;
        if (!readName(attribute.name))
            return false;
        skipSpace();
        if (at_ >= end_ || *at_ != '=')
            return fail(at_, "expected '=' after the attribute %.*s", int(attribute.name.size()),
                        attribute.name.data());
        ++at_;
        skipSpace();
        if (at_ >= end_ || (*at_ != '"' && *at_ != '\''))
            return fail(at_, "expected a quoted value for the attribute %.*s", int(attribute.name.size()),
                        attribute.name.data());
        const char quote = *at_++;
        const char* valueStart = at_;
        const char* valueEnd = static_cast<const char*>(std::memchr(at_, quote, size_t(end_ - at_)));
        if (!valueEnd)
            return fail(valueStart, "the file ends inside the value of %.*s", int(attribute.name.size()),
                        attribute.name.data());
        if (!decode(valueStart, valueEnd, attribute.value))
            return false;
        at_ = valueEnd + 1;
        for (const Attribute& other : attributes) {
            if (other.name == attribute.name)
                return fail(valueStart, "the attribute %.*s appears twice", int(attribute.name.size()),
                            attribute.name.data());
        }
        attributes.push_back(std::move(attribute));
    }
}

const std::string* find(const std::vector<Attribute>& attributes, const char* name)
{
    for (const Attribute& attribute : attributes) {
        if (attribute.name == name)
            return &attribute.value;
    }
    return nullptr;
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

bool Reader::readStartTag()
{
    const char* tag = at_;
    ++at_;
    std::string_view name;
    if (!readName(name))
        return false;
    std::vector<Attribute> attributes;
    bool empty = false;
    if (!readAttributes(attributes, empty))
        return false;
    if (open_.size() >= maxDepth)
        return fail(tag, "elements nested more than %zu deep", maxDepth);
    Kind kind = Kind::Skipped;
    if (!enter(name, attributes, tag, kind))
        return false;
    rootSeen_ = true;
    if (empty) {
        if (kind == Kind::Track && !finishTrack())
            return false;
    } else {
        open_.push_back(Open{name, kind});
    }
    return true;
}

bool Reader::readEndTag()
{
    const char* tag = at_;
    at_ += 2;
    std::string_view name;
    if (!readName(name))
        return false;
    skipSpace();
    if (at_ >= end_ || *at_ != '>')
        return fail(tag, "expected '>' to end </%.*s>", int(name.size()), name.data());
    ++at_;
    if (open_.empty())
        return fail(tag, "</%.*s> closes nothing", int(name.size()), name.data());
    if (open_.back().name != name)
        return fail(tag, "</%.*s> where </%.*s> belongs", int(name.size()), name.data(),
                    int(open_.back().name.size()), open_.back().name.data());
    if (open_.back().kind == Kind::Track && !finishTrack())
        return false;
    open_.pop_back();
    return true;
}

bool Reader::enter(std::string_view name, const std::vector<Attribute>& attributes, const char* tag, Kind& kind)
{
    // Every top-level element is read alike: the editors write one root, their older files
    // several (<bookmark>, <group>, then <tracks>).
    const Kind parent = open_.empty() ? Kind::Container : open_.back().kind;
    switch (parent) {
    case Kind::Container:
        kind = name == "tracks" ? Kind::Tracks : open_.empty() ? Kind::Container : Kind::Skipped;
        if (name == "tracks" || open_.empty()) {
            // The editors put the number of rows on the root or on <tracks>; it is only kept.
            uint64_t rows = 0;
            const std::string* text = find(attributes, "rows");
            if (text && parseUnsigned(*text, rows) && rows <= maxRow && document_.rows == 0)
                document_.rows = uint32_t(rows);
        }
        return kind != Kind::Tracks || enterTracks(attributes, tag);
    case Kind::Tracks:
        if (name != "track")
            return fail(tag, "<%.*s> inside <tracks>, where only <track> belongs", int(name.size()), name.data());
        kind = Kind::Track;
        return enterTrack(attributes, tag);
    case Kind::Track:
        if (name != "key")
            return fail(tag, "<%.*s> inside <track>, where only <key> belongs", int(name.size()), name.data());
        kind = Kind::Key;
        return readKey(attributes, tag);
    case Kind::Key:
        return fail(tag, "<%.*s> inside <key>, which holds nothing", int(name.size()), name.data());
    case Kind::Skipped:
        kind = Kind::Skipped;
        return true;
    }
    return true;
}

bool Reader::enterTracks(const std::vector<Attribute>& attributes, const char* tag)
{
    if (tracksLine_ != 0)
        return fail(tag, "a second <tracks> element (the first is on line %u)", tracksLine_);
    tracksLine_ = lineOf(tag);
    return readSetting(attributes, "beatsPerMin", document_.beatsPerMin) &&
           readSetting(attributes, "rowsPerBeat", document_.rowsPerBeat);
}

bool Reader::enterTrack(const std::vector<Attribute>& attributes, const char* tag)
{
    const std::string* trackName = find(attributes, "name");
    if (!trackName || trackName->empty())
        return fail(tag, "a <track> without a name");
    for (const RocketTrack& track : document_.tracks) {
        if (track.name == *trackName)
            return fail(tag, "the track \"%s\" appears twice (first on line %u)", trackName->c_str(), track.line);
    }
    RocketTrack track;
    track.name = *trackName;
    track.line = lineOf(tag);  // before the attributes' lines: lines are counted on in file order
    // A muted track keeps its own keys in the file; the editor sends the demo one held value
    // (muteValue) instead while it stays muted.
    RocketSetting muteKeyCount;
    if (!readSetting(attributes, "muteKeyCount", muteKeyCount))
        return false;
    track.muted = muteKeyCount.value > 0;
    document_.tracks.push_back(std::move(track));
    return true;
}

// A whole number that an editor keeps for itself, with its line; left as it is when absent.
bool Reader::readSetting(const std::vector<Attribute>& attributes, const char* name, RocketSetting& setting)
{
    for (const Attribute& attribute : attributes) {
        if (attribute.name != name)
            continue;
        uint64_t value = 0;
        if (!parseUnsigned(attribute.value, value) || value > UINT32_MAX)
            return fail(attribute.at, "%s \"%s\" is not a whole number", name, attribute.value.c_str());
        setting.value = uint32_t(value);
        setting.line = lineOf(attribute.at);
    }
    return true;
}

bool Reader::readKey(const std::vector<Attribute>& attributes, const char* tag)
{
    RocketTrack& track = document_.tracks.back();
    const std::string* rowText = find(attributes, "row");
    const std::string* valueText = find(attributes, "value");
    const std::string* typeText = find(attributes, "interpolation");
    if (!rowText || !valueText || !typeText)
        return fail(tag, "a <key> of track \"%s\" without %s", track.name.c_str(),
                    !rowText ? "a row" : !valueText ? "a value" : "an interpolation");
    uint64_t row = 0;
    if (!parseUnsigned(*rowText, row) || row > maxRow)
        return fail(tag, "row \"%s\" is not a whole number in 0..%u", rowText->c_str(), maxRow);
    float value = 0.0f;
    if (!parseValue(*valueText, value))
        return fail(tag, "value \"%s\" is not a finite number", valueText->c_str());
    uint64_t type = 0;
    if (!parseUnsigned(*typeText, type) || type > maxKeyType)
        return fail(tag, "interpolation \"%s\" is not a key type in 0..%u", typeText->c_str(), unsigned(maxKeyType));
    if (track.keys.size() >= maxTrackKeys)
        return fail(tag, "track \"%s\" has more than %u keys", track.name.c_str(), maxTrackKeys);

    // Editors write keys in row order; keys out of order are sorted when the track ends.
    if (!track.keys.empty() && track.keys.back().row >= uint32_t(row))
        keysUnordered_ = true;
    track.keys.push_back(Keyframe{uint32_t(row), value, int32_t(type)});
    keyTags_.push_back(tag);
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
                return fail(keyTags_[later], "track \"%s\" has two keys on row %u", track.name.c_str(),
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

} // namespace

bool parseRocketFile(const char* text, size_t size, RocketDocument& document, RocketError& error)
{
    error = RocketError();
    Reader reader(text, size, document, error);
    return reader.read();
}

} // namespace Nimbra::Sync
