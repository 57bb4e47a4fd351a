#include "builder/Create.h"

#include "app/ControlIds.h"

namespace kolvane {

TFormCreating* FormCreating = nullptr;

void TFormCreating::Create() {
    Form::Create({"TFormCreating", "Kolvane Installer version Beta 2.0", 649, 622});
}

void TFormCreating::CreateControls() {
    HWND form = Handle();
    GroupApplication.Create(form, ids::GroupApplication, {8, 8, 313, 566}, "Setup Configuration");
    GroupBox1.Create(form, ids::GroupBox1, {328, 8, 313, 566}, "Design Form");
    Label5.Create(form, ids::Label5, {8, 590, 300, 16}, "https://kolvane.example/");
    ButCompile.Create(form, ids::ButCompile, {472, 586, 81, 25}, "Compile");
    ButClose.Create(form, ids::ButClose, {560, 586, 81, 25}, "Close");
    ButClose.OnClick = [this] { Close(); };
}

void TFormCreating::FormCreate() {}

}  // namespace kolvane
