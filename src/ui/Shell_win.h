#pragma once
// Shell and COM services that the builder and the wizard share.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <optional>
#include <string>

namespace kolvane {

// The shell's folder picker, owned by `owner`, with `title` above the tree and
// `initialFolder` selected. The chosen folder as the shell gives it (no trailing
// backslash except for a drive root), or nothing when the author cancels.
std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title,
                                           const std::string& initialFolder);

// A new GUID in registry form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; empty when the
// system cannot make one.
std::string NewGuidString();

// The file's icon in the system's small-icon list, and that list itself.
int SmallIconIndex(const std::string& path);
HIMAGELIST SystemSmallImages();

// Opens a web page in the default browser.
void OpenUrl(const std::string& url);

}  // namespace kolvane
