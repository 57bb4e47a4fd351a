#include "ui/Application_win.h"

#include <commctrl.h>
#include <ole2.h>

#include <exception>

#include "ui/Form_win.h"
#include "ui/MessageBox_win.h"

namespace kolvane {

Application& App() {
    static Application application;
    return application;
}

void Application::Initialize() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    OleInitialize(nullptr);
    LoadLibraryA("riched20.dll");
}

void Application::FormCreated(Form& form) {
    if (!mainForm_) mainForm_ = &form;
}

void Application::Run() {
    if (showMainForm_ && mainForm_) mainForm_->Show();
    MSG message;
    while (!terminated_ && GetMessageA(&message, nullptr, 0, 0) > 0) Handle(message);
    terminated_ = true;
}

void Application::Terminate() {
    terminated_ = true;
    PostQuitMessage(0);
}

void Application::ProcessMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the request for the message loop, which ends on it.
            terminated_ = true;
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Handle(message);
    }
}

void Application::Handle(MSG& message) {
    // Tab and arrow keys move between the controls of a form.
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root && Form::FromHandle(root) && IsDialogMessageA(root, &message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

void RunHandler(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowMessageBox(error.what(), MessageKind::Error);
    } catch (...) {
        // Nothing may cross the window procedure, whatever was thrown.
        ShowMessageBox("An unexpected error stopped this action.", MessageKind::Error);
    }
}

}  // namespace kolvane
