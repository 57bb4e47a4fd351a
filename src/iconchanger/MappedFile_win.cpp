// Windows implementation: kernel32 files and file mappings, the system's ANSI code page.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "iconchanger/MappedFile.h"

namespace kolvane::iconchanger {

namespace {

HANDLE Handle(intptr_t file) {
    return reinterpret_cast<HANDLE>(file);
}

bool SeekTo(HANDLE file, uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != 0;
}

}  // namespace

uint32_t LastErrorCode() {
    return GetLastError();
}
void SetLastErrorCode(uint32_t code) {
    SetLastError(code);
}

bool MappedFile::OpenExisting(const std::u16string& path) {
    Close();
    HANDLE file =
        CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ | GENERIC_WRITE, 0,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    file_ = reinterpret_cast<intptr_t>(file);
    return true;
}

bool MappedFile::CreateTemporary(const std::string& path) {
    Close();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    file_ = reinterpret_cast<intptr_t>(file);
    deletePath_ = path;
    return true;
}

uint64_t MappedFile::Size() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(Handle(file_), &size)) return 0;
    return static_cast<uint64_t>(size.QuadPart);
}

bool MappedFile::Map() {
    Unmap();
    const uint64_t size = Size();
    if (size == 0 || size > SIZE_MAX) {
        SetLastError(ERROR_FILE_INVALID);  // an empty file cannot be mapped
        return false;
    }
    HANDLE mapping = CreateFileMappingA(Handle(file_), nullptr, PAGE_READWRITE, 0, 0, nullptr);
    if (!mapping) return false;
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (!view) {
        DWORD error = GetLastError();
        CloseHandle(mapping);
        SetLastError(error);
        return false;
    }
    mapping_ = mapping;
    view_ = static_cast<uint8_t*>(view);
    viewSize_ = size;
    return true;
}

void MappedFile::Unmap() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
    view_ = nullptr;
    mapping_ = nullptr;
    viewSize_ = 0;
}

bool MappedFile::SetSize(uint64_t size) {
    return SeekTo(Handle(file_), size) && SetEndOfFile(Handle(file_));
}

bool MappedFile::WriteAt(uint64_t offset, const void* bytes, uint64_t length) {
    if (!SeekTo(Handle(file_), offset)) return false;
    const char* from = static_cast<const char*>(bytes);
    while (length > 0) {
        DWORD chunk = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
        DWORD done = 0;
        if (!WriteFile(Handle(file_), from, chunk, &done, nullptr) || done == 0) return false;
        from += done;
        length -= done;
    }
    return true;
}

bool MappedFile::ReadAt(uint64_t offset, void* bytes, uint64_t length) const {
    if (!SeekTo(Handle(file_), offset)) return false;
    char* to = static_cast<char*>(bytes);
    while (length > 0) {
        DWORD chunk = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
        DWORD done = 0;
        if (!ReadFile(Handle(file_), to, chunk, &done, nullptr)) return false;
        if (done == 0) {
            SetLastError(ERROR_HANDLE_EOF);
            return false;
        }
        to += done;
        length -= done;
    }
    return true;
}

void MappedFile::Close() {
    Unmap();
    if (file_ != -1) CloseHandle(Handle(file_));
    file_ = -1;
    if (!deletePath_.empty()) DeleteFileA(deletePath_.c_str());
    deletePath_.clear();
}

bool ReadWholeFile(const std::u16string& path, std::string& bytes) {
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) < SIZE_MAX;
    size_t done = 0;
    if (ok) {
        bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
        while (done < bytes.size()) {
            DWORD chunk = bytes.size() - done > 0x40000000
                              ? 0x40000000
                              : static_cast<DWORD>(bytes.size() - done);
            DWORD got = 0;
            if (!ReadFile(file, bytes.data() + done, chunk, &got, nullptr) || got == 0) break;
            done += got;
        }
        ok = done == bytes.size();
    }
    DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return ok;
}

std::string TempFolder() {
    char path[MAX_PATH + 1];
    DWORD length = GetTempPathA(MAX_PATH + 1, path);
    return length > 0 && length <= MAX_PATH ? std::string(path, length) : std::string();
}

uint32_t CurrentProcessId() {
    return GetCurrentProcessId();
}

std::u16string AnsiToWide(const std::string& text) {
    if (text.empty()) return {};
    int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                        reinterpret_cast<wchar_t*>(out.data()), length);
    return out;
}

std::string WideToAnsi(const std::u16string& text) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    int length = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), out.data(), length, nullptr,
                        nullptr);
    return out;
}

}  // namespace kolvane::iconchanger
