#include "app/EscapeKey.h"

namespace Nimbra {

namespace {

constexpr uint16_t keyDown = 0x8000;

}  // namespace

bool escapeEndsRun(int16_t state, bool firstTurn)
{
    return firstTurn ? (uint16_t(state) & keyDown) != 0 : state != 0;
}

bool EscapeWatch::pressed()
{
    if (!read)
        return false;
    const bool first = firstTurn;
    firstTurn = false;
    return escapeEndsRun(read(), first);
}

}  // namespace Nimbra
