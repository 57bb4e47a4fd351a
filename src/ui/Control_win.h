#pragma once
// One small class per kind of control; each owns its window and forwards the control's
// notifications to named events. Every event runs through RunHandler.
//
// Controls are created inside a parent window (a form, a panel or a group box) at a
// position in that parent's client area, with the parent's font and a numeric id that
// stays stable, so that programs operating the window from outside can find them.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace kolvane {

struct Bounds {
    int left;
    int top;
    int width;
    int height;
};

class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    HWND Handle() const { return handle_; }
    int Id() const { return GetDlgCtrlID(handle_); }

    void SetText(std::string_view text);
    std::string Text() const;
    void SetVisible(bool visible);
    bool Visible() const;
    void SetFocus();
    void BringToFront();

    // The control object behind a window made by this layer, or nullptr.
    static Control* FromHandle(HWND handle);

    // A WM_COMMAND or WM_NOTIFY from this control, delivered by its form.
    virtual void Command(WORD /*code*/) {}
    virtual LRESULT Notify(const NMHDR& /*header*/) { return 0; }

protected:
    void CreateHandle(HWND parent, int id, Bounds bounds, const char* windowClass,
                      std::string_view text, DWORD style, DWORD exStyle = 0);

private:
    HWND handle_ = nullptr;
};

class Label : public Control {
public:
    void Create(HWND parent, int id, Bounds bounds, std::string_view caption, DWORD style = 0);
};

// A label that reacts to clicks and shows the hand cursor, for a web address.
class LinkLabel : public Label {
public:
    void Create(HWND parent, int id, Bounds bounds, std::string_view caption);
    void Command(WORD code) override;
    std::function<void()> OnClick;
};

class Button : public Control {
public:
    void Create(HWND parent, int id, Bounds bounds, std::string_view caption);
    void Command(WORD code) override;
    std::function<void()> OnClick;
};

class CheckBox : public Control {
public:
    void Create(HWND parent, int id, Bounds bounds, std::string_view caption, bool checked);
    bool Checked() const;
    void SetChecked(bool checked);
    void Command(WORD code) override;
    std::function<void()> OnClick;
};

class RadioButton : public CheckBox {
public:
    void Create(HWND parent, int id, Bounds bounds, std::string_view caption, bool checked);
};

class Edit : public Control {
public:
    void Create(HWND parent, int id, Bounds bounds, std::string_view text);
    void Command(WORD code) override;
    std::function<void()> OnChange;
};

// A plain container: hides and shows its children together and hands their
// notifications up to the form.
class Panel : public Control {
public:
    void Create(HWND parent, int id, Bounds bounds, DWORD style = WS_CLIPCHILDREN);
};

// A container with a titled frame; children take positions inside it.
class GroupBox : public Panel {
public:
    void Create(HWND parent, int id, Bounds bounds, std::string_view caption);
};

class ListBox : public Control {
public:
    void Create(HWND parent, int id, Bounds bounds, bool multiSelect);
    int Count() const;
    std::string Item(int index) const;
    void Add(std::string_view text);
    void Delete(int index);
    void Clear();
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
};

}  // namespace kolvane
