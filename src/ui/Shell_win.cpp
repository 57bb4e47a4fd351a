#include "ui/Shell_win.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <memory>
#include <vector>

namespace kolvane {

namespace {

// The tree inside the shell's folder picker.
constexpr int kFolderTreeId = 0x3741;

// Disables the thread's other top-level windows while a dialog runs and enables them
// again when it ends, however it ends. The dialog itself takes care of its owner.
class OtherWindowsDisabled {
  public:
    explicit OtherWindowsDisabled(HWND owner) : owner_(owner) {
        EnumThreadWindows(GetCurrentThreadId(), &OtherWindowsDisabled::Disable,
                          reinterpret_cast<LPARAM>(this));
    }
    ~OtherWindowsDisabled() {
        for (HWND window : disabled_) EnableWindow(window, TRUE);
    }
    OtherWindowsDisabled(const OtherWindowsDisabled&) = delete;
    OtherWindowsDisabled& operator=(const OtherWindowsDisabled&) = delete;

  private:
    static BOOL CALLBACK Disable(HWND window, LPARAM parameter) {
        auto& self = *reinterpret_cast<OtherWindowsDisabled*>(parameter);
        if (window != self.owner_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            self.disabled_.push_back(window);
        }
        return TRUE;
    }

    HWND owner_;
    std::vector<HWND> disabled_;
};

struct PidlFree {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message != BFFM_INITIALIZED || !data) return 0;
    SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    // The first request is now and then ignored while the tree still fills; a second one
    // takes.
    HWND tree = GetDlgItem(dialog, kFolderTreeId);
    if (tree && !TreeView_GetSelection(tree)) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

}  // namespace

std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title,
                                           const std::string& initialFolder) {
    std::string initial = initialFolder;
    if (!initial.empty() && initial.back() == '\\') initial.pop_back();
    char displayName[MAX_PATH] = "";

    BROWSEINFOA browse{};
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = BrowseCallback;
    browse.lParam = initial.empty() ? 0 : reinterpret_cast<LPARAM>(initial.c_str());

    std::unique_ptr<ITEMIDLIST, PidlFree> chosen;
    {
        OtherWindowsDisabled disabled(owner);
        chosen.reset(SHBrowseForFolderA(&browse));
    }
    char path[MAX_PATH] = "";
    if (!chosen || !SHGetPathFromIDListA(chosen.get(), path)) return std::nullopt;
    return std::string(path);
}

std::string NewGuidString() {
    GUID guid;
    wchar_t text[64];
    if (FAILED(CoCreateGuid(&guid)) || !StringFromGUID2(guid, text, 64)) return {};
    // The registry form is plain ASCII: braces, hexadecimal digits and hyphens.
    return std::string(text, text + wcslen(text));
}

int SmallIconIndex(const std::string& path) {
    SHFILEINFOA info{};
    SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    return info.iIcon;
}

HIMAGELIST SystemSmallImages() {
    SHFILEINFOA info{};
    return reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

void OpenUrl(const std::string& url) {
    ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace kolvane
