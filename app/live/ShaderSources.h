#pragma once
// Shader programs as NAME.hlsl in a folder, as the build compiles them (ProgramStage.h: the name's end picks the
// stage). What an editor leaves there is untrusted: a file may be missing, empty, huge or not text at all.
#include <cstddef>
#include <string>
#include <vector>

namespace Nimbra {

// Sources above this size are refused: no shader of ours comes near it.
constexpr size_t maxShaderSourceBytes = size_t(1) << 20;

// Reads a source to compile. False, with the reason in `why`, when the file is missing, cannot
// be read, is empty, is larger than maxShaderSourceBytes or holds a NUL byte (not text).
bool readShaderSource(const std::string& path, std::string& text, std::string& why);

// The names of the `#include "NAME"` lines of `text`, in order.
std::vector<std::string> includedNames(const std::string& text);

// The file `#include "NAME"` reads: NAME in the program's folder, whichever file includes it, as
// the build's compiler resolves it (from the source's folder).
std::string includedFile(const std::string& folder, const std::string& name);

// Every file program `program` of `folder` reads: its source, then the files it includes that
// exist in the folder, and theirs, each once. A file that cannot be read adds nothing further.
std::vector<std::string> programFiles(const std::string& folder, const std::string& program);

}  // namespace Nimbra
