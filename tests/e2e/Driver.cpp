#include "Driver.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

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
    DWORD process;  // 0: any process
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    if ((search.process == 0 || ProcessOf(window) == search.process) && IsWindowVisible(window))
        search.found.push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleWindowsOf(DWORD process) {
    WindowSearch search{process, {}};
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
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

std::string DescribeWindowsOf(DWORD process) {
    std::ostringstream out;
    for (HWND window : VisibleWindowsOf(process)) {
        out << "  " << ClassOf(window) << " \"" << Text(window) << "\""
            << (IsWindowEnabled(window) ? "" : " disabled") << "\n";
        EnumChildWindows(window, DescribeChild, reinterpret_cast<LPARAM>(&out));
    }
    return out.str();
}

HWND WaitForWindowOf(DWORD process, const std::string& windowClass, const std::string& caption,
                     std::chrono::milliseconds timeout) {
    HWND match = nullptr;
    WaitFor(
        [&] {
            for (HWND window : VisibleWindowsOf(process))
                if (ClassOf(window) == windowClass && IsWindowEnabled(window) &&
                    (caption.empty() || Text(window) == caption))
                    match = window;
            return match != nullptr;
        },
        timeout);
    if (!match)
        throw std::runtime_error("no window " + windowClass + " \"" + caption + "\"; seen:\n" +
                                 DescribeWindowsOf(process));
    DWORD_PTR ignored;
    SendMessageTimeoutA(match, WM_NULL, 0, 0, SMTO_NORMAL, kSyncTimeoutMs, &ignored);
    return match;
}

std::string ImagePathOf(HANDLE process) {
    char path[MAX_PATH];
    DWORD length = sizeof path;
    if (!QueryFullProcessImageNameA(process, 0, path, &length)) return "";
    return std::string(path, length);
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

Process::Process(DWORD processId) {
    info_.hProcess = OpenProcess(
        SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!info_.hProcess)
        throw std::runtime_error("cannot open process " + std::to_string(processId));
    info_.dwProcessId = processId;
}

Process::~Process() {
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    if (info_.hThread) CloseHandle(info_.hThread);
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

std::string Process::ExecutablePath() const { return ImagePathOf(info_.hProcess); }

std::vector<HWND> Process::VisibleWindows() const { return VisibleWindowsOf(info_.dwProcessId); }

HWND Process::WaitForWindow(const std::string& windowClass, const std::string& caption,
                            std::chrono::milliseconds timeout) const {
    return WaitForWindowOf(info_.dwProcessId, windowClass, caption, timeout);
}

std::string Process::DescribeWindows() const { return DescribeWindowsOf(info_.dwProcessId); }

void EndProcessesRunning(const std::string& executable) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!handle) continue;
        const bool match = lstrcmpiA(ImagePathOf(handle).c_str(), executable.c_str()) == 0;
        CloseHandle(handle);
        if (!match) continue;
        try {
            Process ending(entry.th32ProcessID);  // ended as it goes out of scope
        } catch (const std::runtime_error&) {
            // it ended meanwhile
        }
    }
    CloseHandle(snapshot);
}

HWND WaitForAnyWindow(const std::string& windowClass, std::chrono::milliseconds timeout) {
    return WaitForWindowOf(0, windowClass, "", timeout);
}

DWORD ProcessOf(HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner;
}

MessageBoxSeen WaitForMessageBox(const Process& process, std::chrono::milliseconds timeout) {
    HWND box = process.WaitForWindow("#32770", "", timeout);
    MessageBoxSeen seen{box, Text(box), {}};
    // The text is the static with id 0xFFFF; the icon is a static too, with id 0x440.
    if (HWND text = GetDlgItem(box, 0xFFFF)) seen.text = Text(text);
    return seen;
}

void Press(const MessageBoxSeen& box, int buttonId) {
    PressButton(box.window, buttonId);
    WaitUntilGone(box.window);
}

void PressButton(HWND dialog, int buttonId) {
    HWND button = GetDlgItem(dialog, buttonId);
    if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button))
        throw std::runtime_error("dialog \"" + Text(dialog) + "\" has no button " + std::to_string(buttonId));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

namespace {

// Memory in the process that owns a window, for messages whose structures must lie there.
class RemoteMemory {
public:
    RemoteMemory(HWND window, size_t size) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
        if (process_)
            address_ = static_cast<char*>(
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!address_) throw std::runtime_error("cannot reach the memory of the window's process");
    }
    ~RemoteMemory() {
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    char* Address(size_t offset = 0) const { return address_ + offset; }
    void Write(const void* data, size_t size, size_t offset = 0) {
        WriteProcessMemory(process_, address_ + offset, data, size, nullptr);
    }
    void Read(void* data, size_t size, size_t offset = 0) const {
        ReadProcessMemory(process_, address_ + offset, data, size, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    char* address_ = nullptr;
};

constexpr size_t kTextRoom = 1024;
// The file-name box of the open dialog, and the tree of the folder browser.
constexpr int kFileNameBox = 0x47C;
constexpr int kFolderTree = 0x3741;
constexpr char kOpenCaption[] = "Open";

// An item's text: the structure and its text buffer side by side in the other process.
template <typename Item>
std::string RemoteItemText(HWND control, UINT message, WPARAM index, Item item) {
    RemoteMemory memory(control, sizeof item + kTextRoom);
    item.pszText = memory.Address(sizeof item);
    item.cchTextMax = kTextRoom;
    memory.Write(&item, sizeof item);
    SendMessageA(control, message, index, reinterpret_cast<LPARAM>(memory.Address()));
    char text[kTextRoom] = "";
    memory.Read(text, sizeof text - 1, sizeof item);
    return text;
}

HWND DirectChild(HWND dialog, int id) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) == id) return child;
    throw std::runtime_error("dialog \"" + Text(dialog) + "\" has no control " + std::to_string(id));
}

}  // namespace

std::vector<std::string> ListViewCaptions(HWND listView) {
    std::vector<std::string> captions;
    const int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        LVITEMA item{};
        captions.push_back(RemoteItemText(listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), item));
    }
    return captions;
}

void SelectListViewItems(HWND listView, const std::vector<int>& indexes) {
    RemoteMemory memory(listView, sizeof(LVITEMA));
    for (int index : indexes) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        memory.Write(&item, sizeof item);
        SendMessageA(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(memory.Address()));
    }
}

std::vector<std::string> ListBoxItems(HWND listBox) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
    // Wine hands list box text across processes as UTF-16 even to an ANSI caller, so ask
    // for it as such and convert.
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t wide[kTextRoom] = L"";
        SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
        char text[kTextRoom * 2] = "";
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
        items.push_back(text);
    }
    return items;
}

void ChooseFiles(const Process& process, const std::string& folder, const std::string& names) {
    HWND dialog = process.WaitForWindow("#32770", kOpenCaption);
    HWND nameBox = DirectChild(dialog, kFileNameBox);
    // A folder typed into the name box and confirmed opens there; sent, so that the
    // dialog has moved before the names are typed.
    SetText(nameBox, folder);
    DWORD_PTR ignored;
    SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)), SMTO_NORMAL, kSyncTimeoutMs,
                        &ignored);
    SetText(nameBox, names);
    HWND owner = GetWindow(dialog, GW_OWNER);
    PressButton(dialog, IDOK);
    WaitUntilGone(dialog);
    Sync(owner);
}

void CancelOpenDialog(const Process& process) {
    HWND dialog = process.WaitForWindow("#32770", kOpenCaption);
    HWND owner = GetWindow(dialog, GW_OWNER);
    PressButton(dialog, IDCANCEL);
    WaitUntilGone(dialog);
    Sync(owner);
}

HWND WaitForFolderBrowser(const Process& process) {
    HWND browser = nullptr;
    WaitFor(
        [&] {
            for (HWND window : process.VisibleWindows())
                if (ClassOf(window) == "#32770" && GetDlgItem(window, kFolderTree)) browser = window;
            return browser != nullptr;
        },
        kPatience);
    if (!browser) throw std::runtime_error("no folder browser; seen:\n" + process.DescribeWindows());
    return browser;
}

std::string SelectedFolderName(HWND browser) {
    HWND tree = GetDlgItem(browser, kFolderTree);
    HTREEITEM selected = nullptr;
    WaitFor(
        [&] {
            selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
            return selected != nullptr;
        },
        kPatience);
    if (!selected) return {};
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = selected;
    return RemoteItemText(tree, TVM_GETITEMA, 0, item);
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

namespace {

void CheckPressable(HWND button) {
    if (!IsWindowVisible(button) || !IsWindowEnabled(button))
        throw std::runtime_error("button \"" + Text(button) + "\" cannot be pressed");
}

}  // namespace

void Click(HWND button) {
    CheckPressable(button);
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

void ClickAndWait(HWND button) {
    CheckPressable(button);
    DWORD_PTR ignored;
    SendMessageTimeoutA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                        reinterpret_cast<LPARAM>(button), SMTO_NORMAL, kSyncTimeoutMs, &ignored);
}

void Sync(HWND window) {
    DWORD_PTR ignored;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kSyncTimeoutMs, &ignored);
}

HWND FocusedControl(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
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
