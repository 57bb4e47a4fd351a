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
    // Setup Configuration
    EditProject = 110,
    ButProject = 111,
    EditFolder = 112,
    ButFolder = 113,
    EditProduct = 114,
    EditVersion = 115,
    EditManuf = 116,
    ListView1 = 117,
    ListBox1 = 118,
    ButInsert = 119,
    ButDelete = 120,
    LabTamanho = 121,
    EditShortCut = 122,
    ButShortCut = 123,
    CheckStart = 124,
    CheckDesktop = 125,
    CheckQuick = 126,
    EditFormat = 127,
    // Design Form
    EditImage = 140,
    ButImageBig = 141,
    ImageSetup = 142,
    EditSmall = 143,
    ButImageSmall = 144,
    ImageSmall = 145,
    EditIcon = 146,
    ButIcon = 147,
    ImageIcon = 148,
    EditLicense = 149,
    Button3 = 150,
    EditDestination = 151,
    EditGUID = 152,
    Button4 = 153,
    // The captions above the fields, numbered in the order the fields appear.
    FieldCaptions = 200,
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
