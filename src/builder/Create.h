#pragma once
// The builder window, in which an author describes a setup project.
#include "ui/Control_win.h"
#include "ui/Form_win.h"

namespace kolvane {

class TFormCreating : public Form {
public:
    void Create();

    GroupBox GroupApplication;
    GroupBox GroupBox1;
    Label Label5;
    Button ButCompile;
    Button ButClose;

protected:
    void CreateControls() override;
    void FormCreate() override;
};

extern TFormCreating* FormCreating;

}  // namespace kolvane
