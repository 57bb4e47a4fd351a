// Program start: the start-up protocol, then the role read from the program's own file,
// both windows, and the message loop.
#include <windows.h>

#include <exception>

#include "app/Role.h"
#include "app/Startup_win.h"
#include "builder/Create.h"
#include "installer/main.h"
#include "package/ExeMod.h"
#include "ui/Application_win.h"
#include "ui/MessageBox_win.h"

namespace kolvane {
namespace {

constexpr char kDamagedMarker[] =
    "This program file is damaged: it is neither the builder, a setup nor an uninstaller "
    "(its role marker is unknown).";

int RunProgram() {
    App().Initialize();
    RunStartupProtocol();
    App().SetTitle("Kolvane Installer");
    LoadSelfImage();
    // The role is decided here, once: later changes of the marker in memory don't move it.
    const Role role = RoleOf(SelfImage);
    if (role == Role::Unknown) {
        ShowMessageBox(kDamagedMarker, MessageKind::Error);
        return 1;
    }
    App().SetShowMainForm(role == Role::Builder);

    TFormCreating formCreating;
    FormCreating = &formCreating;
    formCreating.Create();
    TFormInstall formInstall;
    FormInstall = &formInstall;
    formInstall.Create();
    App().Run();
    return 0;
}

}  // namespace
}  // namespace kolvane

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        return kolvane::RunProgram();
    } catch (const std::exception& error) {
        kolvane::ShowMessageBox(error.what(), kolvane::MessageKind::Error);
        return 1;
    }
}
