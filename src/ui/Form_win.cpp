#include "ui/Form_win.h"

#include "ui/Application_win.h"
#include "ui/Control_win.h"

namespace kolvane {

namespace {

constexpr DWORD kFixedStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFixedExStyle = WS_EX_CONTROLPARENT;

void RegisterFormClass(const char* name, WNDPROC procedure) {
    WNDCLASSA existing;
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &existing)) return;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

constexpr char kFormProperty[] = "KolvaneForm";

}  // namespace

Form::~Form() {
    if (handle_ && IsWindow(handle_)) {
        RemovePropA(handle_, kFormProperty);
        DestroyWindow(handle_);
    }
    if (font_) DeleteObject(font_);
}

void Form::Create(const FormLayout& layout) {
    RegisterFormClass(layout.windowClass, &Form::WindowProc);
    RECT frame{0, 0, layout.clientWidth, layout.clientHeight};
    AdjustWindowRectEx(&frame, kFixedStyle, FALSE, kFixedExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    handle_ = CreateWindowExA(kFixedExStyle, layout.windowClass, std::string(layout.caption).c_str(),
                              kFixedStyle, left, top, width, height, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SetPropA(handle_, kFormProperty, this);
    font_ = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                        "MS Sans Serif");
    App().FormCreated(*this);
    CreateControls();
    RunHandler([this] { FormCreate(); });
}

void Form::Show() {
    ShowWindow(handle_, SW_SHOW);
    SetForegroundWindow(handle_);
}

void Form::Hide() { ShowWindow(handle_, SW_HIDE); }

Form* Form::FromHandle(HWND handle) { return static_cast<Form*>(GetPropA(handle, kFormProperty)); }

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (Form* form = FromHandle(window)) return form->HandleMessage(message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (Control* control = Control::FromHandle(reinterpret_cast<HWND>(lParam)))
                control->Command(HIWORD(wParam));
            return 0;
        case WM_NOTIFY: {
            const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (Control* control = Control::FromHandle(header.hwndFrom)) return control->Notify(header);
            return 0;
        }
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_CLOSE:
            RunHandler([this] { FormClose(); });
            Hide();
            if (App().MainForm() == this) App().Terminate();
            return 0;
    }
    return DefWindowProcA(handle_, message, wParam, lParam);
}

}  // namespace kolvane
