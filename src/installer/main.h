#pragma once
// The wizard window: the installer's pages and the uninstaller's page.
#include "ui/Control_win.h"
#include "ui/Form_win.h"

namespace kolvane {

class TFormInstall : public Form {
public:
    void Create();

    Panel Panel1;
    Panel Panel2;
    Panel Panel3;
    Panel Panel4;
    Panel Panel5;
    Panel Panel6;
    Panel PanelUninstall;
    Panel PanelWizard;
    Button ButBack;
    Button ButNext;
    Button ButCancel;

protected:
    void CreateControls() override;
    void FormCreate() override;
    void FormClose() override;
};

extern TFormInstall* FormInstall;

}  // namespace kolvane
