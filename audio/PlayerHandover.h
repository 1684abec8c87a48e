#pragma once
// Hands a new player from the main thread to a running stream's refill thread, and the replaced one back to be
// freed. The refill thread never waits: finding the lock held, it takes the offer on its next visit.
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
