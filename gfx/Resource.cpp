#include "gfx/Resource.h"

namespace Nimbra {
namespace Gfx {

// Contents never change after creation; the per-frame hook stays empty.
void Resource::update() {}

}  // namespace Gfx
}  // namespace Nimbra
