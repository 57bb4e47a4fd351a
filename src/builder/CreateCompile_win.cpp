// Compiling: the project's script is written into the builder's folder, and the program's
// own image, marked as a setup and given the project's icon, is saved under the product's
// name with the package behind it: the sections the pickers and the last load appended,
// each project file (its name, then its bytes), the script's name and the script.
//
// The project's files are streamed from disk into the setup instead of being held in
// memory, and the icon goes in while the file is still only the program's image, so the
// package is written once and never moved; its checksum is summed as it is written.
#include <windows.h>

#include "app/Role.h"
#include "builder/Create.h"
#include "builder/FormatSize_win.h"
#include "iconchanger/IconChangerUnit.h"
#include "package/ExeMod.h"
#include "package/FileHandle_win.h"
#include "package/Markers.h"
#include "package/PlatformError_win.h"
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
constexpr DWORD kCopyChunk = 8u << 20;

// Every file slot held in the image, from slot 0 up to the first slot with neither of
// its sections: left over from a start-up load, a slot would reach the next setup, and
// its first section would win over the current file's.
void RemoveFileSlots() {
    for (int slot = 0;; ++slot) {
        const bool name = RemoveSections(sections::SlotSection(sections::kFileName, slot), SelfImage);
        const bool file = RemoveSections(sections::SlotSection(sections::kFile, slot), SelfImage);
        if (!name && !file) return;
    }
}

struct ProjectFile {
    std::string path;
    FileHandle handle;
};

// Every project file, open for reading until the setup is written: one that cannot be
// read stops the compile before anything is written.
std::vector<ProjectFile> OpenProjectFiles(const std::vector<std::string>& paths) {
    std::vector<ProjectFile> files;
    for (const std::string& path : paths) {
        FileHandle handle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!handle.Valid()) ThrowFileError("Cannot open file", path);
        files.push_back({path, std::move(handle)});
    }
    return files;
}

// Appends to a written setup file and completes its checksum over what it appends.
class PackageAppender {
public:
    explicit PackageAppender(const std::string& path)
        : path_(path),
          head_(LoadFileToString(path)),
          length_(head_.size()),
          file_(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
        if (!file_.Valid()) ThrowFileError("Cannot open file", path);
        SetFilePointerEx(file_.Get(), LARGE_INTEGER{}, nullptr, FILE_END);
    }

    void Append(const char* bytes, size_t length) {
        WriteAll(file_, {bytes, length}, path_);
        tailSum_ += iconchanger::WordSum(reinterpret_cast<const uint8_t*>(bytes), length_, length);
        length_ += length;
    }
    void Append(std::string_view bytes) { Append(bytes.data(), bytes.size()); }

    void AppendSection(std::string_view name, std::string_view payload) {
        Append(SectionStartMarker(name));
        Append(payload);
        Append(SectionEndMarker(name));
    }

    void AppendFileSection(std::string_view name, const ProjectFile& source) {
        Append(SectionStartMarker(name));
        buffer_.resize(kCopyChunk);
        DWORD got = 0;
        do {
            if (!ReadFile(source.handle.Get(), buffer_.data(), kCopyChunk, &got, nullptr))
                ThrowFileError("Cannot read file", source.path);
            Append(buffer_.data(), got);
        } while (got > 0);
        Append(SectionEndMarker(name));
    }

    // The checksum now covers the whole file.
    void Finish() {
        iconchanger::StoreChecksum(reinterpret_cast<uint8_t*>(head_.data()), head_.size(), length_, tailSum_);
        SetFilePointerEx(file_.Get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN);
        WriteAll(file_, head_, path_);
    }

private:
    std::string path_;
    std::string head_;
    uint64_t length_;
    uint64_t tailSum_ = 0;
    FileHandle file_;
    std::string buffer_;
};

// The setup file; true when it got the project's icon.
bool WriteSetup(const std::string& setupPath, const std::string& iconPath, const std::string& projectName,
                const std::vector<ProjectFile>& files, const std::string& scriptText) {
    SelfImage.SetByte(kRoleMarkerOffset, kInstallerMarker);
    // The program holds no upper-case marker, so the first one starts the package.
    const uint64_t imageEnd = SelfImage.FindFirst(MarkerKind::Start, "").value_or(SelfImage.Size());
    SaveSelfImage(setupPath, imageEnd);
    const bool iconChanged = iconchanger::ChangeIconGroup(setupPath, kMainIcon, iconPath);

    PackageAppender package(setupPath);
    SelfImage.ForEachChunk([&](const char* bytes, size_t length) { package.Append(bytes, length); },
                           imageEnd);
    for (size_t slot = 0; slot < files.size(); ++slot) {
        const int number = static_cast<int>(slot);
        package.AppendSection(sections::SlotSection(sections::kFileName, number), FileNamePart(files[slot].path));
        package.AppendFileSection(sections::SlotSection(sections::kFile, number), files[slot]);
    }
    package.AppendSection(kScriptFileName, projectName + ".txt");
    package.AppendSection(kScriptFile, scriptText);
    package.Finish();
    return iconChanged;
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

void TFormCreating::ButCompileClick() {
    const std::string scriptPath = ScriptPath(EditProject.Text());
    if (!FileExists(scriptPath) || EditFormat.Text() == kAnyFormat) {
        ShowMessageBox(kRefusal, MessageKind::Error);
        EditFormat.SetFocus();
        return;
    }
    RemoveFileSlots();
    RemoveSections(kScriptFileName, SelfImage);
    RemoveSections(kScriptFile, SelfImage);
    const std::string scriptText = WriteProjectScript(ScriptOfFields());
    const std::vector<ProjectFile> files = OpenProjectFiles(ProjectFiles());
    WriteStringToFile(scriptText, scriptPath);

    const std::string setupPath = EditFolder.Text() + "\\" + EditProduct.Text() + ".exe";
    try {
        if (WriteSetup(setupPath, EditIcon.Text(), EditProject.Text(), files, scriptText))
            ShowMessageBox("Software compiled successful!", MessageKind::Information);
        else
            ShowMessageBox("Error creating icon.", MessageKind::Warning);
    } catch (const std::exception&) {
        ShowMessageBox("Error creating exe file.", MessageKind::Warning);
    }
}

}  // namespace kolvane
