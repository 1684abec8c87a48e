#include "app/live/LoopRange.h"

#include "sync/Protocol.h"
#include "sync/Rows.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace Nimbra {

namespace {

// One end of FROM:TO: seconds, or rows after an `r`.
bool parseLoopEnd(const char* begin, const char* end, bool& inRows, double& value)
{
    inRows = begin < end && *begin == 'r';
    if (inRows)
        ++begin;
    if (begin == end || !(std::isdigit((unsigned char)*begin)))
        return false;
    const std::string text(begin, end);
    char* stop = nullptr;
    errno = 0;
    if (inRows) {
        const unsigned long long rows = std::strtoull(text.c_str(), &stop, 10);
        value = double(rows);
        return *stop == '\0' && errno == 0 && rows <= Sync::maxRow;
    }
    value = std::strtod(text.c_str(), &stop);
    return *stop == '\0' && errno == 0 && std::isfinite(value);
}

}  // namespace

bool parseLoopRange(const char* text, LoopRange& range, std::string& error)
{
    const char* colon = std::strchr(text, ':');
    const char* end = text + std::strlen(text);
    bool fromRows = false;
    bool toRows = false;
    double from = 0.0;
    double to = 0.0;
    if (!colon || !parseLoopEnd(text, colon, fromRows, from) || !parseLoopEnd(colon + 1, end, toRows, to) ||
        fromRows != toRows) {
        error = std::string("--loop wants FROM:TO in seconds (12.5:20) or in rows (r200:r456), not ") + text;
        return false;
    }
    if (from >= to) {
        error = std::string("--loop ") + text + ": the loop must end after it starts";
        return false;
    }
    range = {true, fromRows, from, to};
    return true;
}

LoopRows loopRowsOf(const LoopRange& range, const Timeline& timeline)
{
    LoopRows rows;
    if (range.inRows) {
        rows.first = uint32_t(range.from);
        rows.end = uint32_t(range.to);
    } else {
        rows.first = Sync::rowAt(timeline, float(range.from));
        rows.end = Sync::rowAt(timeline, float(range.to));
    }
    if (rows.end <= rows.first)
        rows.end = rows.first + 1;
    return rows;
}

}  // namespace Nimbra
