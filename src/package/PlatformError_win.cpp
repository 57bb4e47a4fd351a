#include "package/PlatformError_win.h"

namespace kolvane {

std::string SystemErrorText(DWORD code) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length ? std::string(buffer, length) : "System error " + std::to_string(code) + ".";
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

void ThrowFileError(std::string_view what, std::string_view path) {
    const DWORD code = GetLastError();
    throw PlatformError(std::string(what) + " \"" + std::string(path) + "\". " + SystemErrorText(code));
}

}  // namespace kolvane
