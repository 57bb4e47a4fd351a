// Opening a project and naming it: the script lies in the builder's own folder under the
// project's name, follows every change of that name, and fills the window when loaded.
#include <windows.h>

#include <algorithm>

#include "builder/Create.h"
#include "builder/ProjectNaming.h"
#include "package/ExeMod.h"
#include "package/PlatformError_win.h"
#include "script/PackageLayout.h"
#include "script/PathParts.h"
#include "script/ProjectScript.h"
#include "ui/Shell_win.h"

namespace kolvane {

namespace {

constexpr char kFolderTitle[] = "Choose Project Folder";

std::string CurrentDirectory() {
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    return folder;
}

}  // namespace

std::string TFormCreating::ScriptPath(const std::string& projectName) const {
    return builderFolder_ + projectName + ".txt";
}

void TFormCreating::EditProjectChange() {
    const std::string name = EditProject.Text();
    // A failed rename is no error: the script stays under its old name until the
    // project bears that name again.
    if (IsPlainProjectName(previousProject_) && IsPlainProjectName(name))
        MoveFileA(ScriptPath(previousProject_).c_str(), ScriptPath(name).c_str());
    previousProject_ = name;
}

void TFormCreating::StartupLoad() {
    const std::string script = ScriptPath(EditProject.Text());
    if (FileExists(script)) {
        LoadProject(script, LoadVariant::Startup);
        return;
    }
    HANDLE file = CreateFileA(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) ThrowFileError("Cannot create file", script);
    CloseHandle(file);
}

void TFormCreating::ButProjectClick() {
    if (!OpenDialogProject.Execute(Handle())) return;
    ListBox1.Clear();
    ListView1.Clear();
    total_ = 0;
    // Only the chosen name counts: the script read is the one in the builder's folder,
    // which the current project's script becomes when none bears that name yet.
    EditProject.SetText(ProjectNameOf(OpenDialogProject.FileName()));
    LoadProject(ScriptPath(EditProject.Text()), LoadVariant::Open);
}

void TFormCreating::ButFolderClick() {
    if (auto folder = BrowseForFolder(Handle(), kFolderTitle, EditFolder.Text()))
        EditFolder.SetText(*folder);
}

// Fills the fields line by line. A failure stops the load where it happens: the fields
// before it show the script, the others keep what they showed.
void TFormCreating::LoadProject(const std::string& scriptPath, LoadVariant variant) {
    namespace k = script_keys;
    namespace sections = package_sections;
    PositionalScriptReader script(LoadFileToString(scriptPath));
    std::string projectLine = script.NextLine();
    if (projectLine.empty()) return;
    EditProject.SetText(projectLine.erase(0, k::kProject.size()));
    EditFolder.SetText(script.NextValue(k::kFolder));
    EditProduct.SetText(script.NextValue(k::kProduct));
    EditVersion.SetText(script.NextValue(k::kVersion));
    EditManuf.SetText(script.NextValue(k::kManuf));

    const std::string countText = script.NextValue(k::kCountFiles);
    const std::optional<int> count = ParseDecimal(countText);
    if (!count) throw PlatformError("'" + countText + "' is not a valid integer value.");
    // Lines past the end would only add empty entries, endlessly for a damaged count.
    const int64_t files = std::min<int64_t>(*count, static_cast<int64_t>(script.RemainingLines()));
    int slot = 0;
    for (int64_t i = 0; i < files; ++i) {
        const std::string path = script.NextLine();
        AddFileEntry(path);
        const std::string_view name = FileNamePart(path);
        if (name.empty()) continue;
        if (variant == LoadVariant::Startup) {
            AppendSectionFromString(sections::SlotSection(sections::kFileName, slot),
                                    std::string(name));
            AppendSectionFromFile(sections::SlotSection(sections::kFile, slot), path);
            ++slot;
        }
        CountFile(path);
    }
    ListView1.SetSmallImages(SystemSmallImages());
    ShowTotal();

    EditShortCut.SetText(script.NextValue(k::kShortCut));
    // A load ticks boxes but never clears one.
    for (auto [box, on] : {std::pair{&CheckStart, k::kStartOn},
                           {&CheckDesktop, k::kDesktopOn},
                           {&CheckQuick, k::kStartupOn}})
        if (script.NextLineEquals(on)) box->SetChecked(true);

    const std::string icon = script.NextValue(k::kIcon);
    EditIcon.SetText(icon);
    if (FileExists(icon)) ShowPicture(ImageIcon, icon);
    LoadImageField(script.NextValue(k::kImageSetup), ImageSetup, EditImage, '0');
    LoadImageField(script.NextValue(k::kImageSmall), ImageSmall, EditSmall, '1');

    const std::string license = script.NextValue(k::kLicense);
    // Setups carry the license of the last load, or none when it named no file.
    RemoveSections(sections::kLicense, SelfImage);
    if (FileExists(license)) {
        EditLicense.SetText(license);
        AppendSectionFromFile(sections::kLicense, license);
    }
    EditDestination.SetText(
        DestinationFolder(script.NextValue(k::kDestination), CurrentDirectory()));
    script.NextLine();  // the size text: the total is measured from the files instead
    const std::string guid = script.NextValue(k::kGuid);
    EditGUID.SetText(guid.empty() ? NewGuidString() : guid);
    EditFormat.SetText(script.NextValue(k::kFormat));
}

void TFormCreating::LoadImageField(const std::string& path, Image& preview, Edit& field,
                                   char suffix) {
    field.SetText(path);
    const bool exists = FileExists(path);
    if (exists) ShowPicture(preview, path);
    ReplaceImageSection(exists ? path : std::string(), suffix);
}

}  // namespace kolvane
