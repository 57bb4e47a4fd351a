#pragma once
// The few system services the resource editor needs, with one implementation per platform
// (MappedFile_posix.cpp, MappedFile_win.cpp). Failures are reported in the system's style:
// false, with the thread's last-error code set.
#include <cstdint>
#include <functional>
#include <string>

namespace kolvane::iconchanger {

inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorBadExeFormat = 193;

uint32_t LastErrorCode();
void SetLastErrorCode(uint32_t code);

// A file opened for exclusive read/write, with at most one read/write view of all of it.
// Closing (or destroying) unmaps and closes; a temporary file is also deleted.
class MappedFile {
  public:
    MappedFile() = default;
    ~MappedFile() { Close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // The file must exist; nobody else may have it open while we do.
    bool OpenExisting(const std::u16string& path);
    // Creates or truncates `path` (ANSI bytes); the file is deleted again on Close.
    bool CreateTemporary(const std::string& path);

    bool Map();
    void Unmap();
    // Only while unmapped.
    bool SetSize(uint64_t size);
    uint64_t Size() const;

    bool WriteAt(uint64_t offset, const void* bytes, uint64_t length);
    // Copies `length` bytes from `from` to `to` inside the file; the ranges may overlap.
    // Works mapped or not; the view (if any) sees the result. `moved`, if given, sees every
    // moved byte once, as (bytes, their new file position, count), in any order.
    using MovedBytes = std::function<void(const uint8_t*, uint64_t, uint64_t)>;
    bool Move(uint64_t from, uint64_t to, uint64_t length, const MovedBytes& moved = {});
    bool ReadAt(uint64_t offset, void* bytes, uint64_t length) const;

    uint8_t* View() const { return view_; }
    uint64_t ViewSize() const { return viewSize_; }
    void Close();

  private:
    intptr_t file_ = -1;                        // descriptor or handle; -1 when closed
    [[maybe_unused]] void* mapping_ = nullptr;  // Windows only: the mapping object
    uint8_t* view_ = nullptr;
    uint64_t viewSize_ = 0;
    std::string deletePath_;
};

// Reads a whole file that others may keep reading and writing meanwhile.
bool ReadWholeFile(const std::u16string& path, std::string& bytes);

// The temporary-files folder ending in a separator, or empty when it cannot be obtained.
std::string TempFolder();
uint32_t CurrentProcessId();

// Conversions between the ANSI code page and UTF-16.
std::u16string AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::u16string& text);

}  // namespace kolvane::iconchanger
