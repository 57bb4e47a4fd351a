// The pickers of the design group, the GUID generator and the maker's link.
#include "builder/Create.h"
#include "package/ExeMod.h"
#include "package/PlatformError_win.h"
#include "script/PathParts.h"
#include "ui/Shell_win.h"

namespace kolvane {

void TFormCreating::ShowPicture(Image& preview, const std::string& path) {
    if (!preview.Assign(LoadFileToString(path)))
        throw PlatformError("Cannot read the picture \"" + path +
                            "\". It is no JPEG, bitmap, icon or metafile picture.");
}

void TFormCreating::ReplaceImageSection(const std::string& path, char suffix) {
    // The package carries the current picture only: an earlier choice, whatever its
    // format, would otherwise be the one that setups show. An empty path removes it.
    for (std::string_view earlier : kImageSectionPrefixes)
        RemoveSections(std::string(earlier) + suffix, SelfImage);
    // Only the extensions the wizard knows travel in the package, written as listed.
    const std::string_view prefix = ImageSectionPrefix(path);
    if (!prefix.empty()) AppendSectionFromFile(std::string(prefix) + suffix, path);
}

void TFormCreating::ChooseImage(OpenDialog& dialog, Image& preview, Edit& field, char suffix) {
    if (!dialog.Execute(Handle())) return;
    const std::string path = dialog.FileName();
    ShowPicture(preview, path);
    field.SetText(path);
    ReplaceImageSection(path, suffix);
}

void TFormCreating::ChooseInto(OpenDialog& dialog, Edit& field) {
    if (dialog.Execute(Handle())) field.SetText(dialog.FileName());
}

void TFormCreating::ButIconClick() {
    if (!OpenPictureDialogIcon.Execute(Handle())) return;
    const std::string path = OpenPictureDialogIcon.FileName();
    // The icon is taken as soon as ".ico" stands anywhere in the path.
    if (path.find(".ico") == std::string::npos) return;
    ShowPicture(ImageIcon, path);
    EditIcon.SetText(path);
}

void TFormCreating::Button4Click() {
    EditGUID.SetText(NewGuidString());
}

void TFormCreating::Label5Click() {
    OpenUrl(kWebAddress);
}

}  // namespace kolvane
