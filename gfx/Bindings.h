#pragma once
// What a pass reads and writes. Inputs are bound at the register of their position in the list.
#include "gfx/Resource.h"
#include "gfx/TextureRuntime.h"

#include <cstdint>

namespace Nimbra {
namespace Gfx {

enum BindingKind : int32_t {
    TextureBinding = 0,
    BufferBinding = 1,
};

struct ResourceBinding {
    int32_t kind = TextureBinding;
    Resource* resource = nullptr;  // not owned; null leaves the register unbound
};

struct TargetBinding {
    TextureRuntime* resource = nullptr;  // not owned
    bool flag = true;                    // set by the construction code, never read
};

}  // namespace Gfx
}  // namespace Nimbra
