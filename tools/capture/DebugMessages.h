#pragma once
// The debug layer's findings: every message in the device's info queue (ID3D11InfoQueue),
// printed after the frames, and how many of them fail the run (debugSeverityFails).
#include <d3d11.h>

#include <cstdint>
#include <string>

namespace Nimbra {

struct DebugMessageCount {
    bool queue = false;  // the device has an info queue (Wine's devices have none)
    uint32_t messages = 0;
    uint32_t failures = 0;
};

// Appends a line "debug layer: SEVERITY #ID: text" for every stored message to `text`, and a
// count; or says that the device has no queue to read.
DebugMessageCount readDebugMessages(ID3D11Device* device, std::string& text);

}  // namespace Nimbra
