#pragma once
// One tick of a volume or panning envelope.
#include <cstdint>

namespace Nimbra {

struct ModuleEnvelope;

// Writes the envelope's value at pos (y / 64) to value and advances pos, holding at the sustain
// point while the key is down and jumping back at the loop end.
void stepEnvelope(const ModuleEnvelope& envelope, uint16_t& pos, float& value, uint8_t keyOn);

}  // namespace Nimbra
