#pragma once
// Operates the program's windows from outside, as a user would: it starts a copy of the
// program, finds its windows by class and caption and its controls by id, types into
// edits, presses buttons and answers message boxes, all through window messages.
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kolvane::e2e {

using namespace std::chrono_literals;
inline constexpr auto kPatience = 15s;

// A folder of its own for one test, emptied at the start: <work>\<name>\ .
std::string FreshFolder(const std::string& name);

// A copy of the delivered program in `folder`, with byte 2 set to `role`.
std::string CopyProgram(const std::string& folder, char role = 'P', const std::string& name = "kolvane.exe");

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

class Process {
public:
    Process(const std::string& exe, const std::string& arguments = "", const std::string& folder = "");
    ~Process();  // ends the process if it still runs
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Id() const { return info_.dwProcessId; }
    // The exit code, or nothing when the process still runs after `timeout`.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout = kPatience);
    bool Running() const;

    // A visible, enabled top-level window of this process with that class (and caption,
    // when given), once it appears.
    HWND WaitForWindow(const std::string& windowClass, const std::string& caption = "",
                       std::chrono::milliseconds timeout = kPatience) const;
    std::vector<HWND> VisibleWindows() const;
    // Every visible window and its children, for failure messages.
    std::string DescribeWindows() const;

private:
    PROCESS_INFORMATION info_{};
};

// A message box of the process: waits for it, reads it and presses one of its buttons.
struct MessageBoxSeen {
    HWND window = nullptr;
    std::string caption;
    std::string text;
};
MessageBoxSeen WaitForMessageBox(const Process& process, std::chrono::milliseconds timeout = kPatience);
void Press(const MessageBoxSeen& box, int buttonId = IDOK);
void WaitUntilGone(HWND window, std::chrono::milliseconds timeout = kPatience);

// Controls by their stable id, anywhere below `window`.
HWND Control(HWND window, int id);
std::string Text(HWND window);
void SetText(HWND window, const std::string& text);
void Click(HWND button);
bool IsChecked(HWND button);
bool IsVisible(HWND window);
std::string ClassOf(HWND window);

// Saves what the window shows as a bitmap file, for people to look at.
void Screenshot(HWND window, const std::string& name);

}  // namespace kolvane::e2e
