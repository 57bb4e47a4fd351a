#pragma once
// One scratch file per fuzzing process, rewritten for every input.
#include <unistd.h>

#include <fstream>
#include <string>

namespace kolvane::fuzz {

inline std::string ScratchPath(const char* tag) {
    return "/tmp/kolvane-fuzz-" + std::string(tag) + "-" + std::to_string(getpid());
}

inline void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace kolvane::fuzz
