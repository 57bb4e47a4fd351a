#pragma once
// Stable numeric ids of every control of the program's windows, next to their names.
// Programs that operate the windows from outside (the end-to-end tests) find controls
// by these ids, never by position.

namespace kolvane::ids {

// The builder window, TFormCreating.
enum Builder : int {
    GroupApplication = 100,
    GroupBox1 = 101,
    ButCompile = 102,
    ButClose = 103,
    Label5 = 104,
};

// The wizard window, TFormInstall.
enum Wizard : int {
    PanelWizard = 500,
    ButBack = 501,
    ButNext = 502,
    ButCancel = 503,
    Panel1 = 510,
    Panel2 = 511,
    Panel3 = 512,
    Panel4 = 513,
    Panel5 = 514,
    Panel6 = 515,
    PanelUninstall = 516,
};

}  // namespace kolvane::ids
