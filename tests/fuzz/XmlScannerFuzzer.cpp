// libFuzzer harness: any input is scanned as XML, with elements whose name starts with a letter
// from a to m holding elements only. The tokens must keep the scanner's promises: each within the
// input and after the one before, tags named, attribute names distinct, every end tag closing the
// element opened last, at most maxDepth open, the end only with every element closed; and a fault
// must carry a reason and a line within the input. Elements that hold elements only hand out no text. Nothing may be handed out after a fault.
#include "sync/XmlScanner.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

using namespace Nimbra::Sync;

namespace {

bool within(const char* begin, const char* end, std::string_view text)
{
    return text.data() >= begin && text.data() + text.size() <= end;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* begin = reinterpret_cast<const char*>(data);
    const char* end = begin + size;
    const uint32_t lines = 1 + uint32_t(std::count(data, data + size, uint8_t('\n')));
    XmlScanner xml(begin, size);
    XmlToken token;
    std::vector<std::string_view> open;
    std::vector<bool> onlyElements;
    const char* last = nullptr;
    while (xml.next(token)) {
        if (token.at < begin || token.at > end || (last && token.at <= last))
            std::abort();
        last = token.at;
        switch (token.kind) {
        case XmlTokenKind::StartTag:
            if (token.name.empty() || !within(begin, end, token.name))
                std::abort();
            for (size_t i = 0; i < token.attributes.size(); ++i) {
                const XmlAttribute& attribute = token.attributes[i];
                if (attribute.name.empty() || !within(begin, end, attribute.name) || attribute.at < token.at)
                    std::abort();
                for (size_t other = 0; other < i; ++other) {
                    if (token.attributes[other].name == attribute.name)
                        std::abort();
                }
            }
            if (!token.empty) {
                open.push_back(token.name);
                onlyElements.push_back(token.name[0] >= 'a' && token.name[0] <= 'm');
                if (open.size() > XmlScanner::maxDepth)
                    std::abort();
                if (onlyElements.back())
                    xml.holdOnlyElements();
            }
            break;
        case XmlTokenKind::EndTag:
            if (open.empty() || open.back() != token.name)
                std::abort();
            open.pop_back();
            onlyElements.pop_back();
            break;
        case XmlTokenKind::Text:
            if (open.empty() || onlyElements.back() || !within(begin, end, token.text))
                std::abort();
            break;
        case XmlTokenKind::End:
            if (!open.empty() || xml.lineOf(token.at) > lines)
                std::abort();
            return 0;
        }
    }
    if (xml.error().message.empty() || xml.error().line > lines || xml.next(token))
        std::abort();
    return 0;
}
