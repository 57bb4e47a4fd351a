// Host implementation: POSIX descriptors and mmap; the ANSI code page is 1252.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "iconchanger/MappedFile.h"

namespace kolvane::iconchanger {

namespace {

thread_local uint32_t lastError = 0;

// The Win32 codes callers look for; anything else keeps its errno value.
uint32_t FromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return kErrorFileNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return 5;  // ERROR_ACCESS_DENIED
        case EWOULDBLOCK:
            return 32;  // ERROR_SHARING_VIOLATION
        case ENOMEM:
            return 8;  // ERROR_NOT_ENOUGH_MEMORY
        default:
            return static_cast<uint32_t>(error);
    }
}

bool Fail() {
    lastError = FromErrno(errno);
    return false;
}

std::string Utf8Path(const std::u16string& path) {
    std::string out;
    for (size_t i = 0; i < path.size(); ++i) {
        uint32_t c = path[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < path.size() && path[i + 1] >= 0xDC00 &&
            path[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (path[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Code page 1252 at 0x80..0x9F; its five unassigned bytes map to the same code point,
// as the system's own conversion does.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int Descriptor(intptr_t file) {
    return static_cast<int>(file);
}

}  // namespace

uint32_t LastErrorCode() {
    return lastError;
}
void SetLastErrorCode(uint32_t code) {
    lastError = code;
}

bool MappedFile::OpenExisting(const std::u16string& path) {
    Close();
    int fd = open(Utf8Path(path).c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return Fail();
    // Advisory, but it keeps our own processes out of a file that is being edited.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        Fail();
        close(fd);
        return false;
    }
    file_ = fd;
    return true;
}

bool MappedFile::CreateTemporary(const std::string& path) {
    Close();
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return Fail();
    file_ = fd;
    deletePath_ = path;
    return true;
}

uint64_t MappedFile::Size() const {
    struct stat info {};
    if (fstat(Descriptor(file_), &info) != 0) return 0;
    return static_cast<uint64_t>(info.st_size);
}

bool MappedFile::Map() {
    Unmap();
    const uint64_t size = Size();
    if (size == 0 || size > SIZE_MAX) {
        lastError = 1006;  // ERROR_FILE_INVALID: an empty file cannot be mapped
        return false;
    }
    void* view = mmap(nullptr, static_cast<size_t>(size), PROT_READ | PROT_WRITE, MAP_SHARED,
                      Descriptor(file_), 0);
    if (view == MAP_FAILED) return Fail();
    view_ = static_cast<uint8_t*>(view);
    viewSize_ = size;
    return true;
}

void MappedFile::Unmap() {
    if (view_) munmap(view_, static_cast<size_t>(viewSize_));
    view_ = nullptr;
    viewSize_ = 0;
}

bool MappedFile::SetSize(uint64_t size) {
    if (ftruncate(Descriptor(file_), static_cast<off_t>(size)) != 0) return Fail();
    return true;
}

bool MappedFile::WriteAt(uint64_t offset, const void* bytes, uint64_t length) {
    const char* from = static_cast<const char*>(bytes);
    while (length > 0) {
        ssize_t done = pwrite(Descriptor(file_), from, length, static_cast<off_t>(offset));
        if (done <= 0) return Fail();
        from += done;
        offset += static_cast<uint64_t>(done);
        length -= static_cast<uint64_t>(done);
    }
    return true;
}

bool MappedFile::ReadAt(uint64_t offset, void* bytes, uint64_t length) const {
    char* to = static_cast<char*>(bytes);
    while (length > 0) {
        ssize_t done = pread(Descriptor(file_), to, length, static_cast<off_t>(offset));
        if (done < 0) return Fail();
        if (done == 0) {
            lastError = 38;  // ERROR_HANDLE_EOF
            return false;
        }
        to += done;
        offset += static_cast<uint64_t>(done);
        length -= static_cast<uint64_t>(done);
    }
    return true;
}

void MappedFile::Close() {
    Unmap();
    if (file_ >= 0) close(Descriptor(file_));
    file_ = -1;
    if (!deletePath_.empty()) unlink(deletePath_.c_str());
    deletePath_.clear();
}

bool ReadWholeFile(const std::u16string& path, std::string& bytes) {
    int fd = open(Utf8Path(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail();
    struct stat info {};
    bool ok = fstat(fd, &info) == 0;
    if (ok && !S_ISREG(info.st_mode)) {
        errno = EISDIR;
        ok = false;
    }
    size_t done = 0;
    if (ok) {
        bytes.assign(static_cast<size_t>(info.st_size), '\0');
        while (done < bytes.size()) {
            ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        ok = done == bytes.size();
    }
    if (!ok) Fail();
    close(fd);
    return ok;
}

std::string TempFolder() {
    const char* dir = std::getenv("TMPDIR");
    std::string folder = dir && *dir ? dir : "/tmp";
    if (folder.back() != '/') folder += '/';
    return folder;
}

uint32_t CurrentProcessId() {
    return static_cast<uint32_t>(getpid());
}

std::u16string AnsiToWide(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto byte = static_cast<uint8_t>(ch);
        out += byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : static_cast<char16_t>(byte);
    }
    return out;
}

std::string WideToAnsi(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t unit : text) {
        char byte = '?';  // the system's default character for what 1252 cannot show
        if (unit < 0x80 || (unit >= 0xA0 && unit < 0x100)) {
            byte = static_cast<char>(unit);
        } else {
            for (size_t i = 0; i < kHigh.size(); ++i)
                if (kHigh[i] == unit) byte = static_cast<char>(0x80 + i);
        }
        out += byte;
    }
    return out;
}

}  // namespace kolvane::iconchanger
