// Writes the editor's XML file in the layout the GNU Rocket editor saves (tab-indented, one
// element a line, a <track> per curve with its keys in row order), after the XML declaration.
#include "sync/Protocol.h"
#include "sync/RocketFile.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace Nimbra::Sync {

namespace {

// Escapes a track name for a double-quoted attribute. Tabs and line breaks are written as
// character references, since a reader turns them into spaces otherwise; other control
// characters cannot be written in XML 1.0 at all.
bool appendEscaped(std::string& out, const char* name)
{
    for (const char* c = name; *c; ++c) {
        switch (*c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        case '\t': out += "&#9;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        default:
            if (static_cast<unsigned char>(*c) < 0x20)
                return false;
            out += *c;
        }
    }
    return true;
}

void appendUnsigned(std::string& out, uint32_t value)
{
    char text[16];
    const auto written = std::to_chars(text, text + sizeof text, value);
    out.append(text, written.ptr);
}

// Nine significant digits tell every float apart: the text reads back to the same bits.
void appendValue(std::string& out, float value)
{
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 9);
    out.append(text, written.ptr);
}

}  // namespace

bool writeRocketFile(const Timeline& timeline, const char* const* names, uint32_t trackCount, uint32_t rows,
                     std::string& out, std::string& error)
{
    out.clear();
    error.clear();
    char reason[192];
    if (trackCount > timeline.curves.count) {
        std::snprintf(reason, sizeof reason, "%u tracks asked for, but the timeline has %u curves", trackCount,
                      timeline.curves.count);
        error = reason;
        return false;
    }
    out += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<sync rows=\"";
    appendUnsigned(out, rows);
    out += "\">\n\t<tracks>\n";
    for (uint32_t track = 0; track < trackCount; ++track) {
        const char* name = names[track];
        out += "\t\t<track name=\"";
        if (!name || !*name || !appendEscaped(out, name)) {
            std::snprintf(reason, sizeof reason, "track %u has an empty name or one with control characters", track);
            error = reason;
            return false;
        }
        const GrowArray<Keyframe>& keys = timeline.curves.at(track)->keys;
        if (keys.count == 0) {
            out += "\"/>\n";
            continue;
        }
        out += "\">\n";
        for (uint32_t i = 0; i < keys.count; ++i) {
            const Keyframe& key = keys[i];
            const char* fault = nullptr;
            if (i > 0 && key.row <= keys[i - 1].row)
                fault = "a key out of row order, or a second key,";
            else if (key.row > maxRow)
                fault = "a row beyond the editor's";
            else if (!std::isfinite(key.value))
                fault = "a value that is not a finite number";
            else if (key.interpolation < 0 || key.interpolation > maxKeyType)
                fault = "a key type outside 0..4";
            if (fault) {
                std::snprintf(reason, sizeof reason, "track %s has %s on row %u", name, fault, key.row);
                error = reason;
                return false;
            }
            out += "\t\t\t<key row=\"";
            appendUnsigned(out, key.row);
            out += "\" value=\"";
            appendValue(out, key.value);
            out += "\" interpolation=\"";
            appendUnsigned(out, uint32_t(key.interpolation));
            out += "\"/>\n";
        }
        out += "\t\t</track>\n";
    }
    out += "\t</tracks>\n</sync>\n";
    return true;
}

uint32_t rowsCovering(const Timeline& timeline)
{
    uint64_t end = 0;
    for (uint32_t curve = 0; curve < timeline.curves.count; ++curve) {
        for (const Keyframe& key : timeline.curves.at(curve)->keys)
            end = uint64_t(key.row) + 1 > end ? uint64_t(key.row) + 1 : end;
    }
    const uint64_t bar = uint64_t(timeline.rowsPerBeat) * 4;
    if (bar)
        end = (end + bar - 1) / bar * bar;
    return end > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(end);
}

}  // namespace Nimbra::Sync
