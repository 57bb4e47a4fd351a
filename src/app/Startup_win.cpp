#include "app/Startup_win.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "package/ExeMod.h"
#include "package/Markers.h"
#include "script/PathParts.h"
#include "ui/Application_win.h"

namespace kolvane {
namespace {

// A program that hands a new image to its own file writes it to this file beside itself
// and starts it with its own path as argument 1.
constexpr char kTemporaryCopy[] = "temp0a0.exe";
constexpr char kTemporaryCopyUpper[] = "TEMP0A0.EXE";
// The temporary copy restarts the replaced program with this argument, compared exactly.
constexpr char kRestartArgument[] = "deltemp";
constexpr uint32_t kRetryPauseMs = 10;

std::string FirstArgument() { return __argc > 1 ? __argv[1] : ""; }

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

bool IsReadOnly(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Tries once to clear the read-only attribute; false when it is still set afterwards, as
// on a read-only medium.
bool ClearReadOnly(const std::string& path) {
    SetFileAttributesA(path.c_str(), Attributes(path) & ~DWORD{FILE_ATTRIBUTE_READONLY});
    return !IsReadOnly(path);
}

// The process that runs `path` has to end before the file can go, so deleting is retried
// every 10 ms for as long as it takes. A read-only attribute that cannot be cleared means
// the file will never go: waiting would hang this invisible process for good.
void DeleteOnceReleased(const std::string& path) {
    while (!DeleteFileA(path.c_str()) && FileExists(path)) {
        if (IsReadOnly(path) && !ClearReadOnly(path)) return;
        Delay(kRetryPauseMs);
    }
}

// The result is not looked at: a start that fails ends this process all the same.
void Start(const std::string& file, const char* arguments = nullptr) {
    ShellExecuteA(nullptr, "open", file.c_str(), arguments, nullptr, SW_SHOW);
}

// A program on a read-only medium runs from a copy on the Windows drive instead, in a
// folder named like the file; a copy left by an earlier start is used as it is.
void RelaunchFromWritableCopy(const std::string& self) {
    if (!IsReadOnly(self) || ClearReadOnly(self)) return;
    const std::string name(FileNamePart(self));
    const std::string folder = std::string(1, WindowsDrive()) + ":\\" + name;
    const std::string copy = folder + "\\" + name;
    if (!FileExists(copy)) {
        // A folder that cannot be made shows as the error of writing the copy.
        CreateDirectoryA(folder.c_str(), nullptr);
        SaveSelfImage(copy);
    }
    Start(copy);
    App().Terminate();
}

// Running as the temporary copy: waits for the program named by `target` to end, puts
// this image in its place and restarts it, which then deletes this copy.
void ReplaceTarget(const std::string& target) {
    // Without a target there is nothing to replace, and no file to delete or start.
    if (!target.empty()) {
        LoadSelfImage();
        DeleteOnceReleased(target);
        SaveSelfImage(target);
        Start(target, kRestartArgument);
    }
    App().Terminate();
}

}  // namespace

void RunStartupProtocol() {
    const std::string self = ExecutablePath();
    SetCurrentDirectoryA(ExecutableFolder().c_str());
    RelaunchFromWritableCopy(self);
    const std::string argument = FirstArgument();
    // Relative to the executable's folder, which is current now.
    if (argument == kRestartArgument) DeleteOnceReleased(kTemporaryCopy);
    if (AsciiUpper(FileNamePart(self)) == kTemporaryCopyUpper) ReplaceTarget(argument);
}

}  // namespace kolvane
