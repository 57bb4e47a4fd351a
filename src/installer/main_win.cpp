#include "installer/main.h"

#include "app/ControlIds.h"
#include "app/Role.h"
#include "package/ExeMod.h"
#include "ui/Application_win.h"

namespace kolvane {

TFormInstall* FormInstall = nullptr;

namespace {

constexpr int kClientWidth = 528;
constexpr int kClientHeight = 376;
constexpr int kButtonBarHeight = 51;
constexpr Bounds kPageBounds{0, 0, kClientWidth, kClientHeight - kButtonBarHeight};

}  // namespace

void TFormInstall::Create() { Form::Create({"TFormInstall", "", kClientWidth, kClientHeight}); }

void TFormInstall::CreateControls() {
    HWND form = Handle();
    Panel1.Create(form, ids::Panel1, kPageBounds);
    for (auto [panel, id] : {std::pair{&Panel2, ids::Panel2}, {&Panel3, ids::Panel3},
                             {&Panel4, ids::Panel4}, {&Panel5, ids::Panel5}, {&Panel6, ids::Panel6},
                             {&PanelUninstall, ids::PanelUninstall}}) {
        panel->Create(form, id, kPageBounds);
        panel->SetVisible(false);
    }
    PanelWizard.Create(form, ids::PanelWizard,
                       {0, kClientHeight - kButtonBarHeight, kClientWidth, kButtonBarHeight});
    HWND bar = PanelWizard.Handle();
    ButBack.Create(bar, ids::ButBack, {262, 14, 81, 25}, "< Back");
    ButNext.Create(bar, ids::ButNext, {343, 14, 81, 25}, "Next >");
    ButCancel.Create(bar, ids::ButCancel, {435, 14, 81, 25}, "Cancel");
    ButCancel.OnClick = [this] { Close(); };
}

void TFormInstall::FormCreate() {
    // In the builder role the image is left as the builder's start-up load made it: the
    // pictures and license of the project loaded at start must reach its setups.
    switch (RoleOf(SelfImage)) {
        case Role::Installer:
            Show();
            break;
        case Role::Uninstaller:
            Show();
            PanelUninstall.SetVisible(true);
            ButNext.SetText("Ok");
            ButBack.SetVisible(false);
            PanelUninstall.BringToFront();
            break;
        default:
            break;
    }
}

void TFormInstall::FormClose() { App().Terminate(); }

}  // namespace kolvane
