#pragma once

namespace Nimbra {
namespace Gfx {

// Capacity of a resource's file name, NUL included.
constexpr int pathCapacity = 4096;

}  // namespace Gfx
}  // namespace Nimbra
