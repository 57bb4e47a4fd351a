#pragma once
// Failures of the platform (files, shell, registry) as exceptions with a text a user can
// read, such as: Cannot create file "C:\x\a.txt". Access is denied.
#include <windows.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace kolvane {

class PlatformError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The system's text for an error code, without its trailing line break.
std::string SystemErrorText(DWORD code);

// Throws `what` + " \"" + path + "\". " + the system's text for the thread's last error.
[[noreturn]] void ThrowFileError(std::string_view what, std::string_view path);

}  // namespace kolvane
