#include "ui/OpenDialog_win.h"

#include <commdlg.h>

#include <algorithm>

namespace kolvane {

namespace {

// Room for many names at once when several files are chosen.
constexpr size_t kNamesBuffer = 64 * 1024;

}  // namespace

bool OpenDialog::Execute(HWND owner) {
    std::string filter = filter_ + '|';
    std::replace(filter.begin(), filter.end(), '|', '\0');
    std::string names(kNamesBuffer, '\0');

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = names.data();
    dialog.nMaxFile = static_cast<DWORD>(names.size());
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING |
                   (multiSelect_ ? OFN_ALLOWMULTISELECT : 0);
    files_.clear();
    if (!GetOpenFileNameA(&dialog)) return false;

    // One file: its full path. Several: the folder, then each name, each ended by a zero.
    const std::string first = names.c_str();
    size_t next = first.size() + 1;
    if (!multiSelect_ || names[next] == '\0') {
        files_.push_back(first);
        return true;
    }
    const std::string folder = first.back() == '\\' ? first : first + '\\';
    while (names[next] != '\0') {
        const std::string name = names.c_str() + next;
        files_.push_back(folder + name);
        next += name.size() + 1;
    }
    return true;
}

}  // namespace kolvane
