#pragma once
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>
#include <string_view>

#include "ui/Control_win.h"

namespace kolvane {

// A list view in list style: captions with a small icon each, several entries selectable
// at once, grid lines.
class ListView : public Control {
  public:
    void Create(HWND parent, int id, Bounds bounds);
    int Count() const;
    void Add(std::string_view caption, int imageIndex);
    void Delete(int index);
    void Clear();
    bool Selected(int index) const;
    // The list stays its owner's: the view never destroys it (the system's list is shared
    // by every window of the process).
    void SetSmallImages(HIMAGELIST images);
};

}  // namespace kolvane
