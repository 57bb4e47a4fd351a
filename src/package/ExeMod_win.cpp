#include "package/ExeMod.h"

#include <windows.h>

#include <algorithm>

#include "package/FileHandle_win.h"
#include "package/PlatformError_win.h"
#include "ui/Application_win.h"

namespace kolvane {

PackageImage SelfImage;

namespace {

// Large reads go in pieces: ReadFile counts in 32 bits.
constexpr DWORD kTransferChunk = 64u << 20;


}  // namespace

std::string LoadFileToString(const std::string& fileName) {
    FileHandle file(CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) ThrowFileError("Cannot open file", fileName);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) ThrowFileError("Cannot read file", fileName);
    std::string data(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < data.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(kTransferChunk, data.size() - done));
        if (!ReadFile(file.Get(), data.data() + done, want, &got, nullptr))
            ThrowFileError("Cannot read file", fileName);
        if (got == 0) break;  // the file shrank since its size was asked
        done += got;
    }
    data.resize(done);
    return data;
}

namespace {

// Creates or replaces `fileName` with what `produce` hands to the writer it is given.
template <typename Producer>
void WriteFileFrom(const std::string& fileName, Producer&& produce) {
    FileHandle file(CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) ThrowFileError("Cannot create file", fileName);
    produce([&](const char* bytes, size_t length) { WriteAll(file, {bytes, length}, fileName); });
}

void ChangeDirectory(const std::string& folder) {
    if (!SetCurrentDirectoryA(folder.c_str())) ThrowFileError("Cannot change to folder", folder);
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateFolderWithParents(std::string folder) {
    while (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
    if (folder.empty() || IsFolder(folder)) return;
    // Each prefix up to a backslash is a parent; drive roots and shares just exist.
    for (size_t slash = folder.find('\\'); slash != std::string::npos; slash = folder.find('\\', slash + 1))
        if (slash > 0 && folder[slash - 1] != ':' && folder[slash - 1] != '\\')
            CreateDirectoryA(folder.substr(0, slash).c_str(), nullptr);
    if (!CreateDirectoryA(folder.c_str(), nullptr) && !IsFolder(folder))
        ThrowFileError("Cannot create folder", folder);
}

void EnsureSelfImage() {
    if (SelfImage.Empty()) LoadSelfImage();
}

}  // namespace

std::string ExecutablePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string ExecutableFolder() {
    const std::string path = ExecutablePath();
    return path.substr(0, path.find_last_of("\\:") + 1);
}

void LoadSelfImage() { SelfImage.Assign(LoadFileToString(ExecutablePath())); }

bool ExtractSection(std::string_view name, std::string& data) {
    EnsureSelfImage();
    return ExtractSection(SelfImage, name, data);
}

void ExtractSectionToFile(std::string_view name, const std::string& fileName) {
    std::string payload;
    ExtractSection(name, payload);
    WriteStringToFile(payload, fileName);
}

void ExtractSectionToFolder(std::string_view name, const std::string& fileName,
                            const std::string& folder) {
    std::string payload;
    ExtractSection(name, payload);
    WriteStringToFileInFolder(payload, fileName, folder);
}

void AppendSectionFromString(std::string_view name, std::string payload) {
    if (name.empty()) return;
    EnsureSelfImage();
    AppendSection(name, std::move(payload), SelfImage);
}

void AppendSectionFromFile(std::string_view name, const std::string& fileName) {
    if (name.empty()) return;
    std::string payload = LoadFileToString(fileName);
    EnsureSelfImage();
    AppendSection(name, std::move(payload), SelfImage);
}

void SaveSelfImage(const std::string& fileName) { SaveSelfImage(fileName, UINT64_MAX); }

void SaveSelfImage(const std::string& fileName, uint64_t length) {
    EnsureSelfImage();
    if (SelfImage.Empty()) return;
    ChangeDirectory(ExecutableFolder());
    WriteFileFrom(fileName, [length](auto write) {
        uint64_t left = length;
        SelfImage.ForEachChunk([&](const char* bytes, size_t size) {
            const size_t take = static_cast<size_t>(std::min<uint64_t>(size, left));
            if (take > 0) write(bytes, take);
            left -= take;
        });
    });
}

void WriteStringToFile(const std::string& data, const std::string& fileName) {
    if (data.empty()) return;
    ChangeDirectory(ExecutableFolder());
    WriteFileFrom(fileName, [&](auto write) { write(data.data(), data.size()); });
}

void WriteStringToFileInFolder(const std::string& data, const std::string& fileName,
                               const std::string& folder) {
    if (data.empty()) return;
    CreateFolderWithParents(folder);
    ChangeDirectory(folder);
    WriteFileFrom(folder + fileName, [&](auto write) { write(data.data(), data.size()); });
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Delay(uint32_t milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        App().ProcessMessages();
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        // Once termination is requested the quit message stays queued for the message loop,
        // and it would end every wait at once: posted messages then wait for the deadline.
        const DWORD wakeOn = App().Terminated() ? QS_ALLINPUT & ~QS_POSTMESSAGE : QS_ALLINPUT;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), wakeOn);
    }
}

char WindowsDrive() {
    char buffer[256];
    const UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? buffer[0] : 'C';
}

}  // namespace kolvane
