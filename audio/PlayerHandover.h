#pragma once
// How a new player reaches the refill thread of a running stream: the main thread offers it,
// the refill thread takes it at the start of a visit and leaves the player it replaces behind,
// and the main thread frees that one later. The refill thread never waits: a visit that finds
// the lock held takes the offer at the next.
#include <cstdint>
#include <mutex>

namespace Nimbra {

struct ModulePlayer;

struct PlayerHandover {
    std::mutex lock;
    ModulePlayer* offered = nullptr;  // waiting for the refill thread
    uint32_t offeredAt = 0;           // the stream frame the offered player renders next
    ModulePlayer* retired = nullptr;  // replaced by the refill thread, freed by the main thread
};

// Main thread: offers `player`, which renders stream frame `at` next. Frees a player retired
// since the last offer, and an offer the refill thread has not taken yet (it never played).
void offerPlayer(PlayerHandover& handover, ModulePlayer* player, uint32_t at);

// Refill thread: the offered player and the frame it renders next, with `current` left behind
// as retired; null when nothing is offered or the main thread holds the lock.
ModulePlayer* takeOfferedPlayer(PlayerHandover& handover, ModulePlayer* current, uint32_t& at);

// Main thread, with the refill thread stopped: frees the offered and the retired players.
void clearPlayerHandover(PlayerHandover& handover);

}  // namespace Nimbra
