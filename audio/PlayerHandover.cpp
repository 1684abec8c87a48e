#include "audio/PlayerHandover.h"

#include "audio/ModulePlayer.h"

namespace Nimbra {

void offerPlayer(PlayerHandover& handover, ModulePlayer* player, uint32_t at)
{
    std::lock_guard<std::mutex> guard(handover.lock);
    destroyModulePlayer(handover.retired);
    destroyModulePlayer(handover.offered);
    handover.retired = nullptr;
    handover.offered = player;
    handover.offeredAt = at;
}

ModulePlayer* takeOfferedPlayer(PlayerHandover& handover, ModulePlayer* current, uint32_t& at)
{
    std::unique_lock<std::mutex> guard(handover.lock, std::try_to_lock);
    if (!guard.owns_lock() || !handover.offered)
        return nullptr;
    ModulePlayer* taken = handover.offered;
    at = handover.offeredAt;
    handover.offered = nullptr;
    // Only an offer frees the retired one, and only a taken offer retires one: the slot is empty.
    handover.retired = current;
    return taken;
}

void clearPlayerHandover(PlayerHandover& handover)
{
    std::lock_guard<std::mutex> guard(handover.lock);
    destroyModulePlayer(handover.offered);
    destroyModulePlayer(handover.retired);
    handover.offered = handover.retired = nullptr;
}

}  // namespace Nimbra
