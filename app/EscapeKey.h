#pragma once
// Escape as demo.exe reads it: the session's key state, as GetAsyncKeyState answers it. Bit 15:
// the key is down now. Bit 0: it was pressed since the previous query by any program of the
// session; that bit is kept for 16-bit programs and called unreliable, and above all it still
// holds a press made before this program started (a console line cleared, a party's previous
// entry ended) when no program has asked since. The first turn therefore takes only bit 15;
// from the second on, any nonzero answer is a press since our own last query. Portable, so that
// the decision is tested natively.
#include <cstdint>

namespace Nimbra {

// GetAsyncKeyState(VK_ESCAPE).
using KeyStateReader = int16_t (*)();

// Whether the answer `state` ends the run, in the first turn or a later one.
bool escapeEndsRun(int16_t state, bool firstTurn);

class EscapeWatch
{
public:
    // A null reader never ends the run: Escape then comes as a message to the program's own
    // window (demo-sync), not from the session.
    explicit EscapeWatch(KeyStateReader read) : read(read) {}

    // Asked once a turn.
    bool pressed();

private:
    KeyStateReader read;
    bool firstTurn = true;
};

}  // namespace Nimbra
