#pragma once
// The application object: title, main window, message loop and termination.
#include <windows.h>

#include <functional>
#include <string>

namespace kolvane {

class Form;

class Application {
public:
    // Common controls, COM for this thread and the rich-text control class.
    void Initialize();

    void SetTitle(std::string title) { title_ = std::move(title); }
    const std::string& Title() const { return title_; }

    // When off, the message loop leaves the main window hidden.
    void SetShowMainForm(bool show) { showMainForm_ = show; }

    // The first form created is the main form; closing it ends the program.
    void FormCreated(Form& form);
    Form* MainForm() const { return mainForm_; }

    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Handles every message waiting in the queue, then returns.
    void ProcessMessages();

private:
    void Handle(MSG& message);

    std::string title_;
    bool showMainForm_ = true;
    bool terminated_ = false;
    Form* mainForm_ = nullptr;
};

Application& App();

// Every event handler runs through here: an exception stops the handler and its text is
// shown in an error box, as users of the program expect.
void RunHandler(const std::function<void()>& handler);

}  // namespace kolvane
