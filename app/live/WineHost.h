#pragma once
// What a Windows program learns of Wine when it runs under it: that it does, and the Unix path of
// a Windows one, which a Unix command started from the program needs. Windows only.
#include <filesystem>
#include <string>

namespace Nimbra {

// True inside Wine (its ntdll says so).
bool runningUnderWine();

// Under Wine the Unix path of `path` (in the Unix locale's encoding, UTF-8 in practice), relative
// to `base`; elsewhere, or when Wine cannot say, `path` itself.
std::string unixPathUnderWine(const std::string& path, const std::filesystem::path& base);

}  // namespace Nimbra
