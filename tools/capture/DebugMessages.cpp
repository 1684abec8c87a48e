#include "tools/capture/DebugMessages.h"

#include "tools/capture/CompatibilityReport.h"

#include <d3d11sdklayers.h>

#include <cstring>
#include <vector>

namespace Nimbra {

DebugMessageCount readDebugMessages(ID3D11Device* device, std::string& text)
{
    static const char* const severities[] = {"CORRUPTION", "ERROR", "WARNING", "INFO", "MESSAGE"};
    DebugMessageCount count;
    ID3D11InfoQueue* queue = nullptr;
    if (device == nullptr ||
        FAILED(device->QueryInterface(__uuidof(ID3D11InfoQueue), reinterpret_cast<void**>(&queue)))) {
        text += "debug layer: the device has no info queue (ID3D11InfoQueue); its messages cannot be read\n";
        return count;
    }
    count.queue = true;
    // GetMessage counts its index among the messages the retrieval filter lets through; with
    // no filter set, that is all of them.
    const UINT64 stored = queue->GetNumStoredMessagesAllowedByRetrievalFilter();
    std::vector<unsigned char> buffer;
    for (UINT64 i = 0; i < stored; ++i) {
        SIZE_T length = 0;
        if (FAILED(queue->GetMessage(i, nullptr, &length)) || length < sizeof(D3D11_MESSAGE))
            continue;
        buffer.assign(length, 0);
        auto* message = reinterpret_cast<D3D11_MESSAGE*>(buffer.data());
        if (FAILED(queue->GetMessage(i, message, &length)))
            continue;
        const uint32_t severity = static_cast<uint32_t>(message->Severity);
        text += std::string("debug layer: ") + (severity < 5 ? severities[severity] : "?") + " #" +
                std::to_string(static_cast<int>(message->ID)) + ": " +
                (message->pDescription ? std::string(message->pDescription,
                                                     strnlen(message->pDescription, message->DescriptionByteLength))
                                       : std::string()) +
                "\n";
        ++count.messages;
        if (debugSeverityFails(severity))
            ++count.failures;
    }
    const UINT64 dropped = queue->GetNumMessagesDiscardedByMessageCountLimit();
    if (dropped > 0)
        text += "debug layer: " + std::to_string(dropped) + " more messages were discarded (the queue's limit)\n";
    text += "debug layer: " + std::to_string(count.messages) + " messages, " + std::to_string(count.failures) +
            " of them errors or corruption\n";
    queue->Release();
    return count;
}

}  // namespace Nimbra
