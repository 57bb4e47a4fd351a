#include "package/FileHandle_win.h"

#include <algorithm>

#include "package/PlatformError_win.h"

namespace kolvane {

void WriteAll(const FileHandle& file, std::string_view bytes, const std::string& path) {
    constexpr size_t kChunk = size_t{64} << 20;
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min(kChunk, bytes.size()));
        if (!WriteFile(file.Get(), bytes.data(), chunk, &written, nullptr) || written == 0)
            ThrowFileError("Cannot write file", path);
        bytes.remove_prefix(written);
    }
}

}  // namespace kolvane
