#include "ui/Image_win.h"

#include <olectl.h>
#include <shlwapi.h>

namespace kolvane {

namespace {

constexpr char kImageClass[] = "KolvaneImage";

}  // namespace

void Image::Create(HWND parent, int id, Bounds bounds) {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &Image::WindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kImageClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    (void)registered;
    CreateHandle(parent, id, bounds, kImageClass, "", 0);
}

bool Image::Assign(std::string_view bytes) {
    IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                        static_cast<UINT>(bytes.size()));
    if (!stream) return false;
    IPicture* picture = nullptr;
    const HRESULT result = OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE,
                                          IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(result) || !picture) return false;
    picture_.reset(picture);
    InvalidateRect(Handle(), nullptr, TRUE);
    return true;
}

void Image::Paint(HDC dc) const {
    RECT frame;
    GetClientRect(Handle(), &frame);
    FillRect(dc, &frame, GetSysColorBrush(COLOR_BTNFACE));
    if (!picture_) return;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture_->get_Width(&width);
    picture_->get_Height(&height);
    // The picture's own units run upwards: start at its bottom edge and go up.
    picture_->Render(dc, 0, 0, frame.right, frame.bottom, 0, height, width, -height, &frame);
}

LRESULT CALLBACK Image::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // painting covers the whole frame
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            if (auto* image = static_cast<Image*>(Control::FromHandle(window))) image->Paint(dc);
            EndPaint(window, &paint);
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string_view ResourceBytes(const char* name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    if (!loaded) return {};
    return {static_cast<const char*>(LockResource(loaded)), SizeofResource(module, resource)};
}

}  // namespace kolvane
