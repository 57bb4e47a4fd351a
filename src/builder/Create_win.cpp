#include <windows.h>

#include <memory>

#include "app/ControlIds.h"
#include "app/Role.h"
#include "builder/Create.h"
#include "builder/FormatSize_win.h"
#include "package/ExeMod.h"
#include "package/PlatformError_win.h"
#include "script/PathParts.h"
#include "ui/Shell_win.h"

namespace kolvane {

TFormCreating* FormCreating = nullptr;

namespace {

constexpr char kInitialProject[] = "My Project";

// Positions inside either group box: a column of captioned fields, "Browser" buttons
// on the right of the field they fill.
constexpr int kMargin = 8;
constexpr int kFullWidth = 297;
constexpr int kFieldWidth = 216;
constexpr int kButtonLeft = 230;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kEditHeight = 21;
constexpr int kCaptionHeight = 14;
constexpr int kCaptionToField = 15;  // from a caption's top to its field's top
constexpr int kRow = 46;             // from one caption to the next

constexpr Bounds FieldAt(int top, int width = kFieldWidth) {
    return {kMargin, top + kCaptionToField, width, kEditHeight};
}
constexpr Bounds ButtonBeside(int top) {
    return {kButtonLeft, top + kCaptionToField - 1, kButtonWidth, kButtonHeight};
}

}  // namespace

void TFormCreating::Create() {
    Form::Create({"TFormCreating", "Kolvane Installer version Beta 2.0", 649, 622});
}

std::vector<std::string> TFormCreating::ProjectFiles() const {
    std::vector<std::string> files;
    for (int i = 0; i < ListBox1.Count(); ++i) files.push_back(ListBox1.Item(i));
    return files;
}

Label& TFormCreating::NextCaption(HWND parent, int left, int top, const char* text) {
    Label& caption = captions_.at(captionCount_);
    caption.Create(parent, ids::FieldCaptions + static_cast<int>(captionCount_),
                   {left, top, kFullWidth - (left - kMargin), kCaptionHeight}, text);
    ++captionCount_;
    return caption;
}

void TFormCreating::CreateControls() {
    HWND form = Handle();
    GroupApplication.Create(form, ids::GroupApplication, {8, 8, 313, 566}, "Setup Configuration");
    GroupBox1.Create(form, ids::GroupBox1, {328, 8, 313, 566}, "Design Form");
    CreateConfigurationGroup();
    CreateDesignGroup();

    Label5.Create(form, ids::Label5, {12, 592, 200, 16}, kWebAddress);
    Label5.OnClick = [this] { Label5Click(); };
    ButCompile.Create(form, ids::ButCompile, {472, 588, 81, 25}, "Compile");
    ButCompile.OnClick = [this] { ButCompileClick(); };
    ButClose.Create(form, ids::ButClose, {560, 588, 81, 25}, "Close");
    ButClose.OnClick = [this] { ButCloseClick(); };
}

void TFormCreating::CreateConfigurationGroup() {
    HWND group = GroupApplication.Handle();
    int top = 22;
    NextCaption(group, kMargin, top, "Project Name:");
    EditProject.Create(group, ids::EditProject, FieldAt(top), kInitialProject);
    EditProject.OnChange = [this] { EditProjectChange(); };
    ButProject.Create(group, ids::ButProject, ButtonBeside(top), "Browser");
    ButProject.OnClick = [this] { ButProjectClick(); };

    top += kRow;
    NextCaption(group, kMargin, top, "Project Folder:");
    EditFolder.Create(group, ids::EditFolder, FieldAt(top), "");
    ButFolder.Create(group, ids::ButFolder, ButtonBeside(top), "Browser");
    ButFolder.OnClick = [this] { ButFolderClick(); };

    top += kRow;
    NextCaption(group, kMargin, top, "Product Name:");
    EditProduct.Create(group, ids::EditProduct, FieldAt(top, kFullWidth), "My Product");
    top += kRow;
    NextCaption(group, kMargin, top, "Product Version:");
    EditVersion.Create(group, ids::EditVersion, FieldAt(top, kFullWidth), "1.05");
    top += kRow;
    NextCaption(group, kMargin, top, "Manufacturing Organization::");
    EditManuf.Create(group, ids::EditManuf, FieldAt(top, kFullWidth), "My Company");

    top += kRow;
    NextCaption(group, kMargin, top, "Files Project:");
    const int listTop = top + kCaptionToField;
    constexpr int kListHeight = 150;
    ListView1.Create(group, ids::ListView1, {kMargin, listTop, kFieldWidth, kListHeight});
    ListBox1.Create(group, ids::ListBox1, {kMargin, listTop, kFieldWidth, kListHeight}, true);
    ListBox1.SetVisible(false);
    ButInsert.Create(group, ids::ButInsert, {kButtonLeft, listTop, kButtonWidth, kButtonHeight},
                     "Insert");
    ButInsert.OnClick = [this] { ButInsertClick(); };
    ButDelete.Create(group, ids::ButDelete,
                     {kButtonLeft, listTop + kButtonHeight + 6, kButtonWidth, kButtonHeight},
                     "Delete");
    ButDelete.OnClick = [this] { ButDeleteClick(); };
    top = listTop + kListHeight + 5;
    LabTamanho.Create(group, ids::LabTamanho, {kMargin, top, kFullWidth, kCaptionHeight}, "");

    top += 24;
    NextCaption(group, kMargin, top, "Application ShortCuts:");
    EditShortCut.Create(group, ids::EditShortCut, FieldAt(top), "");
    ButShortCut.Create(group, ids::ButShortCut, ButtonBeside(top), "Browser");
    ButShortCut.OnClick = [this] { ButShortCutClick(); };

    top += kRow - 4;
    CheckStart.Create(group, ids::CheckStart, {kMargin, top, 84, 20}, "Start Menu", true);
    CheckDesktop.Create(group, ids::CheckDesktop, {kMargin + 90, top, 70, 20}, "Desktop", true);
    CheckQuick.Create(group, ids::CheckQuick, {kMargin + 166, top, 131, 20}, "Quick Launch Bar",
                      false);

    top += 28;
    NextCaption(group, kMargin, top, "Formato de Arquivos:");
    EditFormat.Create(group, ids::EditFormat, FieldAt(top, kFullWidth), "*.*");
}

void TFormCreating::CreateDesignGroup() {
    HWND group = GroupBox1.Handle();
    int top = 22;
    NextCaption(group, kMargin, top, "Big Image:");
    EditImage.Create(group, ids::EditImage, FieldAt(top), "");
    ButImageBig.Create(group, ids::ButImageBig, ButtonBeside(top), "Browser");
    ButImageBig.OnClick = [this] { ButImageBigClick(); };
    const int previewTop = top + kRow;
    ImageSetup.Create(group, ids::ImageSetup, {kMargin, previewTop, 87, 175});
    ImageSetup.Assign(ResourceBytes("PREVIEW_BIG"));

    // The small image and the icon stand in a column beside the big preview.
    constexpr int kColumn = 110;
    constexpr int kColumnWidth = kFullWidth - (kColumn - kMargin);
    top = previewTop;
    NextCaption(group, kColumn, top, "Small Image:");
    EditSmall.Create(group, ids::EditSmall,
                     {kColumn, top + kCaptionToField, kColumnWidth, kEditHeight}, "");
    ButImageSmall.Create(group, ids::ButImageSmall,
                         {kColumn, top + 42, kButtonWidth, kButtonHeight}, "Browser");
    ButImageSmall.OnClick = [this] { ButImageSmallClick(); };
    ImageSmall.Create(group, ids::ImageSmall, {kMargin + kFullWidth - 62, top + 42, 62, 61});
    ImageSmall.Assign(ResourceBytes("PREVIEW_SMALL"));

    top += 114;
    NextCaption(group, kColumn, top, "Icon Setup:");
    EditIcon.Create(group, ids::EditIcon,
                    {kColumn, top + kCaptionToField, kColumnWidth, kEditHeight}, "My Icon");
    ButIcon.Create(group, ids::ButIcon, {kColumn, top + 42, kButtonWidth, kButtonHeight},
                   "Browser");
    ButIcon.OnClick = [this] { ButIconClick(); };
    ImageIcon.Create(group, ids::ImageIcon, {kMargin + kFullWidth - 41, top + 42, 41, 41});
    ImageIcon.Assign(ResourceBytes("PREVIEW_ICON"));

    top = previewTop + 175 + 14;
    NextCaption(group, kMargin, top, "License File:");
    EditLicense.Create(group, ids::EditLicense, FieldAt(top), "");
    Button3.Create(group, ids::Button3, ButtonBeside(top), "Browser");
    Button3.OnClick = [this] { Button3Click(); };
    top += kRow;
    NextCaption(group, kMargin, top, "Destination Installation:");
    EditDestination.Create(group, ids::EditDestination, FieldAt(top, kFullWidth),
                           "C:\\Program Files\\");
    top += kRow;
    NextCaption(group, kMargin, top, "Globally Unique Identifiers (GUID)");
    EditGUID.Create(group, ids::EditGUID, FieldAt(top), "");
    Button4.Create(group, ids::Button4, ButtonBeside(top), "Generate");
    Button4.OnClick = [this] { Button4Click(); };
}

void TFormCreating::FormCreate() {
    previousProject_ = kInitialProject;
    builderFolder_ = ExecutableFolder();
    EditFolder.SetText(builderFolder_);
    EditImage.SetText(builderFolder_);
    EditSmall.SetText(builderFolder_);
    if (RoleOf(SelfImage) == Role::Builder) StartupLoad();
}

void TFormCreating::ButInsertClick() {
    if (OpenDialogInsert.Execute(Handle())) {
        // A package holds each file under its bare name, so names must differ, byte for byte.
        for (const std::string& file : OpenDialogInsert.Files())
            if (!IsListed(FileNamePart(file))) AddFileEntry(file);
        ListView1.SetSmallImages(SystemSmallImages());
    }
    RecomputeTotal();
}

void TFormCreating::ButDeleteClick() {
    if (ListView1.Count() == 0) return;
    for (int i = ListView1.Count() - 1; i >= 0; --i) {
        if (!ListView1.Selected(i)) continue;
        ListBox1.Delete(i);
        ListView1.Delete(i);
    }
    RecomputeTotal();
}

void TFormCreating::AddFileEntry(const std::string& path) {
    ListView1.Add(FileNamePart(path), SmallIconIndex(path));
    ListBox1.Add(path);
}

bool TFormCreating::IsListed(std::string_view fileName) const {
    for (int i = 0; i < ListBox1.Count(); ++i)
        if (FileNamePart(ListBox1.Item(i)) == fileName) return true;
    return false;
}

void TFormCreating::CountFile(const std::string& path) {
    // Nobody may write the file while it is measured; readers are welcome.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) ThrowFileError("Cannot open file", path);
    const std::unique_ptr<void, decltype(&CloseHandle)> closer(file, &CloseHandle);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) ThrowFileError("Cannot read file", path);
    total_ += size.QuadPart;
}

void TFormCreating::RecomputeTotal() {
    // A file that fails stops here: the label keeps its text, the total the sum so far.
    total_ = 0;
    for (int i = 0; i < ListBox1.Count(); ++i) CountFile(ListBox1.Item(i));
    ShowTotal();
}

void TFormCreating::ShowTotal() {
    LabTamanho.SetText("Total: " + FormatSize(total_));
}

}  // namespace kolvane
