#pragma once
#include <ocidl.h>

#include <memory>
#include <string_view>

#include "ui/Control_win.h"

namespace kolvane {

// Shows one picture stretched over its whole frame. Pictures decode through OLE: JPEG,
// Windows bitmap, icon and both kinds of metafile.
class Image : public Control {
  public:
    void Create(HWND parent, int id, Bounds bounds);
    // Shows the picture held in `bytes`; false, keeping the picture shown, when they are
    // no picture of a known kind.
    bool Assign(std::string_view bytes);

  private:
    struct ComRelease {
        void operator()(IUnknown* object) const { object->Release(); }
    };
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc) const;

    std::unique_ptr<IPicture, ComRelease> picture_;
};

// A resource of type RCDATA of the program's own file; empty when there is none.
std::string_view ResourceBytes(const char* name);

}  // namespace kolvane
