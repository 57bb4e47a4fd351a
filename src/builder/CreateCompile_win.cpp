// Compiling: the project's script is written into the builder's folder, the project's
// files and the script are appended to the program's own image as sections, and that
// image, marked as a setup, is saved under the product's name with the project's icon.
#include "app/Role.h"
#include "builder/Create.h"
#include "builder/FormatSize_win.h"
#include "iconchanger/IconChangerUnit.h"
#include "package/ExeMod.h"
#include "script/PackageLayout.h"
#include "script/PathParts.h"
#include "ui/MessageBox_win.h"

namespace kolvane {

namespace {

namespace sections = package_sections;

constexpr char kRefusal[] =
    "Wrong file format not can be recorded.\r\n"
    "The format must have the initials '*.name_format' or, if there, must be blank.\r\n"
    "Application not compiled.";
constexpr char kAnyFormat[] = "*.*";
constexpr char kScriptFileName[] = "ScriptFileName0";
constexpr char kScriptFile[] = "scriptFile0";
constexpr char kMainIcon[] = "MAINICON";

// Every file slot held in the image, from slot 0 up to the first slot with neither of
// its sections: left over from a start-up load or an earlier compile, a slot would reach
// the next setup, and its first section would win over the current file's.
void RemoveFileSlots() {
    for (int slot = 0;; ++slot) {
        const bool name = RemoveSections(sections::SlotSection(sections::kFileName, slot), SelfImage);
        const bool file = RemoveSections(sections::SlotSection(sections::kFile, slot), SelfImage);
        if (!name && !file) return;
    }
}

}  // namespace

ProjectScript TFormCreating::ScriptOfFields() const {
    ProjectScript script;
    script.project = EditProject.Text();
    script.folder = EditFolder.Text();
    script.product = EditProduct.Text();
    script.version = EditVersion.Text();
    script.manuf = EditManuf.Text();
    script.files = ProjectFiles();
    script.shortCut = EditShortCut.Text();
    script.startMenu = CheckStart.Checked();
    script.desktop = CheckDesktop.Checked();
    script.startup = CheckQuick.Checked();
    script.icon = EditIcon.Text();
    script.imageSetup = EditImage.Text();
    script.imageSmall = EditSmall.Text();
    script.license = EditLicense.Text();
    script.destination = EditDestination.Text();
    script.size = FormatSize(TotalSize());
    script.guid = EditGUID.Text();
    script.format = EditFormat.Text();
    return script;
}

// The package in its fixed order behind what the pickers and the last load put there:
// each file slot (its name, then its bytes), then the script's name and the script.
void TFormCreating::AppendPackage(const std::string& scriptText) {
    RemoveFileSlots();
    RemoveSections(kScriptFileName, SelfImage);
    RemoveSections(kScriptFile, SelfImage);
    const std::vector<std::string> files = ProjectFiles();
    for (size_t slot = 0; slot < files.size(); ++slot) {
        const int number = static_cast<int>(slot);
        AppendSectionFromString(sections::SlotSection(sections::kFileName, number),
                                std::string(FileNamePart(files[slot])));
        AppendSectionFromFile(sections::SlotSection(sections::kFile, number), files[slot]);
    }
    AppendSectionFromString(kScriptFileName, EditProject.Text() + ".txt");
    AppendSectionFromString(kScriptFile, scriptText);
}

void TFormCreating::WriteSetup(const std::string& setupPath) {
    try {
        SelfImage.SetByte(kRoleMarkerOffset, kInstallerMarker);
        SaveSelfImage(setupPath);
        if (iconchanger::ChangeIconGroup(setupPath, kMainIcon, EditIcon.Text()))
            ShowMessageBox("Software compiled successful!", MessageKind::Information);
        else
            ShowMessageBox("Error creating icon.", MessageKind::Warning);
    } catch (const std::exception&) {
        ShowMessageBox("Error creating exe file.", MessageKind::Warning);
    }
}

void TFormCreating::ButCompileClick() {
    const std::string scriptPath = ScriptPath(EditProject.Text());
    if (!FileExists(scriptPath) || EditFormat.Text() == kAnyFormat) {
        ShowMessageBox(kRefusal, MessageKind::Error);
        EditFormat.SetFocus();
        return;
    }
    const std::string scriptText = WriteProjectScript(ScriptOfFields());
    try {
        // A file that cannot be read stops the compile before the script is touched, and
        // takes the slots appended so far with it.
        AppendPackage(scriptText);
        WriteStringToFile(scriptText, scriptPath);
    } catch (...) {
        RemoveFileSlots();
        throw;
    }
    WriteSetup(EditFolder.Text() + "\\" + EditProduct.Text() + ".exe");
    RemoveFileSlots();
}

}  // namespace kolvane
