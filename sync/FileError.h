#pragma once
// Why a text file did not read, and where: the XML scanner's faults and the editor file's alike.
#include <cstdint>
#include <string>

namespace Nimbra::Sync {

struct FileError {
    uint32_t line = 0;  // counted from 1; 0 when the fault has no place in the file
    std::string message;
};

}  // namespace Nimbra::Sync
