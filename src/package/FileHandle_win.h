#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace kolvane {

// Owns a file handle; closes it when it goes.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(FileHandle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// Writes all of `bytes` at the file's position, in pieces (WriteFile counts in 32 bits);
// a failure throws PlatformError naming `path`.
void WriteAll(const FileHandle& file, std::string_view bytes, const std::string& path);

}  // namespace kolvane
