#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace kolvane {

// The system's open-file dialog: read-only box hidden, resizable.
class OpenDialog {
  public:
    // `filter` lists descriptions and patterns in turn, joined by "|":
    // "Text|*.txt|Rich Text File|*.rtf".
    explicit OpenDialog(std::string filter, bool multiSelect = false)
        : filter_(std::move(filter)), multiSelect_(multiSelect) {}

    // Shows the dialog owned by `owner`; true when the author confirmed a choice.
    bool Execute(HWND owner);
    // The chosen files as full paths, in the order the dialog returns them.
    const std::vector<std::string>& Files() const { return files_; }
    std::string FileName() const { return files_.empty() ? std::string() : files_.front(); }

  private:
    std::string filter_;
    bool multiSelect_;
    std::vector<std::string> files_;
};

}  // namespace kolvane
