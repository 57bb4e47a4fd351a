#pragma once
// A top-level window of the program. A form registers its own window class (named as
// the form's class, so that it can be found from outside), creates its controls and
// runs its creation handler while it is created, and hands each control's
// notifications to that control.
#include <windows.h>

#include <string>
#include <string_view>

namespace kolvane {

struct FormLayout {
    const char* windowClass;
    std::string_view caption;
    int clientWidth;
    int clientHeight;
};

class Form {
public:
    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    // Creates the window hidden and centred on the screen, fixed in size (single border,
    // system menu and minimise box), then CreateControls, then FormCreate.
    void Create(const FormLayout& layout);

    HWND Handle() const { return handle_; }
    void Show();
    void Hide();
    bool Visible() const { return IsWindowVisible(handle_) != FALSE; }
    void Close() { SendMessageA(handle_, WM_CLOSE, 0, 0); }

    static Form* FromHandle(HWND handle);

protected:
    virtual void CreateControls() = 0;
    virtual void FormCreate() {}
    // Runs when the window is asked to close; the form is hidden afterwards, and closing
    // the main form ends the program.
    virtual void FormClose() {}

    HFONT Font() const { return font_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
    HFONT font_ = nullptr;
};

}  // namespace kolvane
