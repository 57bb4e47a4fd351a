#include "iconchanger/MappedFile.h"

#include <algorithm>
#include <string>

namespace kolvane::iconchanger {

bool MappedFile::Move(uint64_t from, uint64_t to, uint64_t length, const MovedBytes& moved) {
    // Through the page cache in large chunks: writing a whole tail through a shared mapping
    // costs one page fault per page, several times slower than plain writes.
    constexpr uint64_t kChunk = uint64_t{8} << 20;
    std::string buffer(static_cast<size_t>(std::min(kChunk, length)), '\0');
    const bool backwards = to > from;  // never overwrite bytes that are still to be read
    for (uint64_t done = 0; done < length;) {
        const uint64_t n = std::min(kChunk, length - done);
        const uint64_t offset = backwards ? length - done - n : done;
        if (!ReadAt(from + offset, buffer.data(), n) || !WriteAt(to + offset, buffer.data(), n))
            return false;
        if (moved) moved(reinterpret_cast<const uint8_t*>(buffer.data()), to + offset, n);
        done += n;
    }
    return true;
}

}  // namespace kolvane::iconchanger
