#include "Driver.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/RemoveTree_win.h"

namespace kolvane::e2e {

namespace {

constexpr auto kPoll = 50ms;
constexpr UINT kSyncTimeoutMs = 5000;

std::string Setting(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) throw std::runtime_error(std::string(name) + " is not set");
    return value;
}


template <typename Predicate>
bool WaitFor(Predicate&& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPoll);
    }
    return true;
}

struct WindowSearch {
    DWORD process;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.process && IsWindowVisible(window)) search.found.push_back(window);
    return TRUE;
}

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<ChildSearch*>(parameter);
    if (GetDlgCtrlID(window) == search.id) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK DescribeChild(HWND window, LPARAM parameter) {
    auto& out = *reinterpret_cast<std::ostringstream*>(parameter);
    out << "    " << ClassOf(window) << " id=" << GetDlgCtrlID(window) << " \"" << Text(window) << "\""
        << (IsWindowVisible(window) ? "" : " hidden") << (IsWindowEnabled(window) ? "" : " disabled")
        << "\n";
    return TRUE;
}

}  // namespace

std::string FreshFolder(const std::string& name) {
    const std::string folder = Setting("KOLVANE_E2E_WORK") + "\\" + name + "\\";
    testing_support::RemoveTree(folder.substr(0, folder.size() - 1));
    SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
    return folder;
}

std::string CopyProgram(const std::string& folder, char role, const std::string& name) {
    std::string bytes = ReadFileBytes(Setting("KOLVANE_PROGRAM"));
    bytes.at(2) = role;
    WriteFileBytes(folder + name, bytes);
    return folder + name;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

Process::Process(const std::string& exe, const std::string& arguments, const std::string& folder) {
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info_))
        throw std::runtime_error("cannot start " + exe);
}

Process::~Process() {
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool Process::Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Process::WaitForExit(std::chrono::milliseconds timeout) {
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

std::vector<HWND> Process::VisibleWindows() const {
    WindowSearch search{info_.dwProcessId, {}};
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Process::WaitForWindow(const std::string& windowClass, const std::string& caption,
                            std::chrono::milliseconds timeout) const {
    HWND match = nullptr;
    WaitFor(
        [&] {
            for (HWND window : VisibleWindows())
                if (ClassOf(window) == windowClass && IsWindowEnabled(window) &&
                    (caption.empty() || Text(window) == caption))
                    match = window;
            return match != nullptr;
        },
        timeout);
    if (!match)
        throw std::runtime_error("no window " + windowClass + " \"" + caption + "\"; seen:\n" +
                                 DescribeWindows());
    DWORD_PTR ignored;
    SendMessageTimeoutA(match, WM_NULL, 0, 0, SMTO_NORMAL, kSyncTimeoutMs, &ignored);
    return match;
}

std::string Process::DescribeWindows() const {
    std::ostringstream out;
    for (HWND window : VisibleWindows()) {
        out << "  " << ClassOf(window) << " \"" << Text(window) << "\""
            << (IsWindowEnabled(window) ? "" : " disabled") << "\n";
        EnumChildWindows(window, DescribeChild, reinterpret_cast<LPARAM>(&out));
    }
    return out.str();
}

MessageBoxSeen WaitForMessageBox(const Process& process, std::chrono::milliseconds timeout) {
    HWND box = process.WaitForWindow("#32770", "", timeout);
    MessageBoxSeen seen{box, Text(box), {}};
    // The text is the static with id 0xFFFF; the icon is a static too, with id 0x440.
    if (HWND text = GetDlgItem(box, 0xFFFF)) seen.text = Text(text);
    return seen;
}

void Press(const MessageBoxSeen& box, int buttonId) {
    HWND button = GetDlgItem(box.window, buttonId);
    if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button))
        throw std::runtime_error("message box \"" + box.text + "\" has no button " + std::to_string(buttonId));
    PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    WaitUntilGone(box.window);
}

void WaitUntilGone(HWND window, std::chrono::milliseconds timeout) {
    if (!WaitFor([&] { return !IsWindow(window); }, timeout))
        throw std::runtime_error("window \"" + Text(window) + "\" does not close");
}

HWND Control(HWND window, int id) {
    ChildSearch search{id, nullptr};
    EnumChildWindows(window, FindChild, reinterpret_cast<LPARAM>(&search));
    if (!search.found) throw std::runtime_error("no control with id " + std::to_string(id));
    return search.found;
}

std::string Text(HWND window) {
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kSyncTimeoutMs, &length);
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_NORMAL, kSyncTimeoutMs, &copied);
    text.resize(copied);
    return text;
}

void SetText(HWND window, const std::string& text) {
    DWORD_PTR ignored;
    SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                        kSyncTimeoutMs, &ignored);
}

void Click(HWND button) {
    if (!IsWindowVisible(button) || !IsWindowEnabled(button))
        throw std::runtime_error("button \"" + Text(button) + "\" cannot be pressed");
    // Posted, so that a modal loop the click opens never blocks the driver.
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

bool IsChecked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool IsVisible(HWND window) { return IsWindowVisible(window) != FALSE; }

std::string ClassOf(HWND window) {
    char name[256];
    return std::string(name, static_cast<size_t>(GetClassNameA(window, name, sizeof name)));
}

void Screenshot(HWND window, const std::string& name) {
    // A window found a moment ago may not have painted yet.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    std::this_thread::sleep_for(300ms);
    RECT frame;
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const DWORD rowBytes = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
    std::string pixels(rowBytes * static_cast<DWORD>(height), '\0');
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof header + pixels.size()),
                          0, 0, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof header)};
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    bytes += pixels;
    WriteFileBytes(Setting("KOLVANE_SCREENSHOTS") + "\\" + name + ".bmp", bytes);

    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

}  // namespace kolvane::e2e
