#pragma once
// Reads a file that someone else writes while demo-sync runs (a source, a song, a compiler's
// output): whole, but never more than a limit, since its size is not ours to trust.
#include <cstdint>
#include <string>

namespace Nimbra {

// The whole file into `bytes` (empty is fine); false, with the reason in `why`, when it cannot
// be opened ("cannot be opened (deleted?)"), cannot be read, or holds more than `limit` bytes.
bool readFileUpTo(const std::string& path, uint64_t limit, std::string& bytes, std::string& why);

}  // namespace Nimbra
