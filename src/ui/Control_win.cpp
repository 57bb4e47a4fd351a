#include "ui/Control_win.h"

#include <commctrl.h>

#include "ui/Application_win.h"

namespace kolvane {

namespace {

constexpr char kPanelClass[] = "KolvanePanel";
// Marks the windows made by this layer and leads back to their objects.
constexpr char kControlProperty[] = "KolvaneControl";
constexpr char kFontProperty[] = "KolvaneFont";
// The titled frame of a group box, which stays under every other child.
constexpr char kFrameProperty[] = "KolvaneFrame";

// Containers pass what their children report on to their own parent, up to the form.
LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_DRAWITEM:
            return SendMessageA(GetParent(window), message, wParam, lParam);
        case WM_SETFONT:
            SetPropA(window, kFontProperty, reinterpret_cast<HANDLE>(wParam));
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(GetPropA(window, kFontProperty));
        case WM_PARENTNOTIFY:
            // A new child goes under its older siblings, the frame among them: clipped by
            // the frame, it would never show.
            if (LOWORD(wParam) == WM_CREATE)
                if (HWND frame = static_cast<HWND>(GetPropA(window, kFrameProperty)))
                    SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            break;
        case WM_NCDESTROY:
            RemovePropA(window, kFontProperty);
            RemovePropA(window, kFrameProperty);
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterPanelClass() {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = PanelProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kPanelClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    (void)registered;
}

}  // namespace

void Control::CreateHandle(HWND parent, int id, Bounds bounds, const char* windowClass,
                           std::string_view text, DWORD style, DWORD exStyle) {
    handle_ = CreateWindowExA(exStyle, windowClass, std::string(text).c_str(),
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, bounds.left, bounds.top,
                              bounds.width, bounds.height, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleA(nullptr), nullptr);
    SetPropA(handle_, kControlProperty, this);
    SendMessageA(handle_, WM_SETFONT, SendMessageA(parent, WM_GETFONT, 0, 0), FALSE);
}

Control::~Control() {
    if (handle_ && IsWindow(handle_)) RemovePropA(handle_, kControlProperty);
}

Control* Control::FromHandle(HWND handle) {
    return handle ? static_cast<Control*>(GetPropA(handle, kControlProperty)) : nullptr;
}

void Control::SetText(std::string_view text) { SetWindowTextA(handle_, std::string(text).c_str()); }

std::string Control::Text() const {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(handle_)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(handle_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Control::SetVisible(bool visible) { ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE); }
bool Control::Visible() const { return (GetWindowLongA(handle_, GWL_STYLE) & WS_VISIBLE) != 0; }
void Control::SetFocus() { ::SetFocus(handle_); }
void Control::BringToFront() {
    SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Label::Create(HWND parent, int id, Bounds bounds, std::string_view caption, DWORD style) {
    CreateHandle(parent, id, bounds, "STATIC", caption, SS_LEFT | SS_NOPREFIX | style);
}

namespace {

LRESULT CALLBACK LinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
    if (message == WM_SETCURSOR) {
        SetCursor(LoadCursorA(nullptr, IDC_HAND));
        return TRUE;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

void LinkLabel::Create(HWND parent, int id, Bounds bounds, std::string_view caption) {
    Label::Create(parent, id, bounds, caption, SS_NOTIFY);
    SetWindowSubclass(Handle(), LinkProc, 0, 0);
}

void LinkLabel::Command(WORD code) {
    if (code == STN_CLICKED && OnClick) RunHandler(OnClick);
}

void Button::Create(HWND parent, int id, Bounds bounds, std::string_view caption) {
    CreateHandle(parent, id, bounds, "BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON);
}

void Button::Command(WORD code) {
    if (code == BN_CLICKED && OnClick) RunHandler(OnClick);
}

void CheckBox::Create(HWND parent, int id, Bounds bounds, std::string_view caption, bool checked) {
    CreateHandle(parent, id, bounds, "BUTTON", caption, WS_TABSTOP | BS_AUTOCHECKBOX);
    SetChecked(checked);
}

bool CheckBox::Checked() const { return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void CheckBox::SetChecked(bool checked) {
    SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::Command(WORD code) {
    if (code == BN_CLICKED && OnClick) RunHandler(OnClick);
}

void RadioButton::Create(HWND parent, int id, Bounds bounds, std::string_view caption, bool checked) {
    CreateHandle(parent, id, bounds, "BUTTON", caption, WS_TABSTOP | BS_AUTORADIOBUTTON);
    SetChecked(checked);
}

void Edit::Create(HWND parent, int id, Bounds bounds, std::string_view text) {
    CreateHandle(parent, id, bounds, "EDIT", text, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
}

void Edit::Command(WORD code) {
    if (code == EN_CHANGE && OnChange) RunHandler(OnChange);
}

void Panel::Create(HWND parent, int id, Bounds bounds, DWORD style) {
    RegisterPanelClass();
    CreateHandle(parent, id, bounds, kPanelClass, "", style, WS_EX_CONTROLPARENT);
}

void GroupBox::Create(HWND parent, int id, Bounds bounds, std::string_view caption) {
    // Not clipping its children: the frame child paints no background of its own, the
    // group box paints it under the frame.
    Panel::Create(parent, id, bounds, 0);
    // The frame is a plain child under every other one, so it never paints over them.
    HWND frame = CreateWindowExA(0, "BUTTON", std::string(caption).c_str(),
                                 WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 0, bounds.width,
                                 bounds.height, Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(frame, WM_SETFONT, SendMessageA(parent, WM_GETFONT, 0, 0), FALSE);
    SetPropA(Handle(), kFrameProperty, frame);
}

void ListBox::Create(HWND parent, int id, Bounds bounds, bool multiSelect) {
    CreateHandle(parent, id, bounds, "LISTBOX", "",
                 WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                     (multiSelect ? LBS_EXTENDEDSEL : 0),
                 WS_EX_CLIENTEDGE);
}

int ListBox::Count() const { return static_cast<int>(SendMessageA(Handle(), LB_GETCOUNT, 0, 0)); }

std::string ListBox::Item(int index) const {
    const LRESULT length = SendMessageA(Handle(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(Handle(), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

void ListBox::Add(std::string_view text) {
    SendMessageA(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::string(text).c_str()));
}

void ListBox::Delete(int index) { SendMessageA(Handle(), LB_DELETESTRING, static_cast<WPARAM>(index), 0); }
void ListBox::Clear() { SendMessageA(Handle(), LB_RESETCONTENT, 0, 0); }

bool ListBox::Selected(int index) const {
    return SendMessageA(Handle(), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

void ListBox::SetSelected(int index, bool selected) {
    SendMessageA(Handle(), LB_SETSEL, selected, static_cast<LPARAM>(index));
}

}  // namespace kolvane
