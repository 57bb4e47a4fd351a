#pragma once
// The builder window, in which an author describes a setup project. The project is
// nothing but the contents of this window's fields and lists.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/ProjectScript.h"
#include "ui/Control_win.h"
#include "ui/Form_win.h"
#include "ui/Image_win.h"
#include "ui/ListView_win.h"
#include "ui/OpenDialog_win.h"

namespace kolvane {

class TFormCreating : public Form {
  public:
    void Create();

    // The full paths of the project files in list order; entry i goes into slot i.
    std::vector<std::string> ProjectFiles() const;
    // The sum of the project files' sizes as last measured, the figure LabTamanho shows.
    int64_t TotalSize() const { return total_; }

    // Ends the program; the wizard uses it too.
    void ButCloseClick() { Close(); }

    GroupBox GroupApplication;
    Edit EditProject;
    Button ButProject;
    Edit EditFolder;
    Button ButFolder;
    Edit EditProduct;
    Edit EditVersion;
    Edit EditManuf;
    ListView ListView1;
    ListBox ListBox1;  // hidden: the full path of each entry of ListView1
    Button ButInsert;
    Button ButDelete;
    Label LabTamanho;
    Edit EditShortCut;
    Button ButShortCut;
    CheckBox CheckStart;
    CheckBox CheckDesktop;
    CheckBox CheckQuick;
    Edit EditFormat;

    GroupBox GroupBox1;
    Edit EditImage;
    Button ButImageBig;
    Image ImageSetup;
    Edit EditSmall;
    Button ButImageSmall;
    Image ImageSmall;
    Edit EditIcon;
    Button ButIcon;
    Image ImageIcon;
    Edit EditLicense;
    Button Button3;
    Edit EditDestination;
    Edit EditGUID;
    Button Button4;

    LinkLabel Label5;
    Button ButCompile;
    Button ButClose;

    OpenDialog OpenDialogInsert{"All|*.*", true};
    OpenDialog OpenDialogProject{"Text|*.txt"};
    OpenDialog OpenPictureDialogImage{kPictureFilter};
    OpenDialog OpenPictureDialogSmall{kPictureFilter};
    OpenDialog OpenPictureDialogIcon{"Icons (*.ico)|*.ico"};
    OpenDialog OpenDialogLicense{"Texto|*.txt|Rich Text File|*.rtf"};
    OpenDialog OpenDialogShortCuts{"Exe|*.exe"};

  protected:
    void CreateControls() override;
    void FormCreate() override;

  private:
    // The maker's web page, behind Label5.
    static constexpr char kWebAddress[] = "https://kolvane.example/";
    static constexpr char kPictureFilter[] =
        "All pictures|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|JPEG pictures|*.jpg;*.jpeg|"
        "Bitmaps|*.bmp|Icons|*.ico|Enhanced metafiles|*.emf|Metafiles|*.wmf";

    enum class LoadVariant {
        Startup,  // also packs the listed files
        Open,     // leaves packing the files to compiling
    };

    void CreateConfigurationGroup();
    void CreateDesignGroup();
    Label& NextCaption(HWND parent, int left, int top, const char* text);

    // The file list.
    void ButInsertClick();
    void ButDeleteClick();
    void AddFileEntry(const std::string& path);
    bool IsListed(std::string_view fileName) const;
    void CountFile(const std::string& path);
    void RecomputeTotal();
    void ShowTotal();

    // Compiling: the script, then the setup executable with the package behind it.
    void ButCompileClick();
    ProjectScript ScriptOfFields() const;

    // Opening a project and naming it.
    void EditProjectChange();
    void ButProjectClick();
    void ButFolderClick();
    void StartupLoad();
    void LoadProject(const std::string& scriptPath, LoadVariant variant);
    std::string ScriptPath(const std::string& projectName) const;

    // Pictures, icon, license, shortcut target, GUID, link.
    void ButImageBigClick() { ChooseImage(OpenPictureDialogImage, ImageSetup, EditImage, '0'); }
    void ButImageSmallClick() { ChooseImage(OpenPictureDialogSmall, ImageSmall, EditSmall, '1'); }
    void ButIconClick();
    void Button3Click() { ChooseInto(OpenDialogLicense, EditLicense); }
    void ButShortCutClick() { ChooseInto(OpenDialogShortCuts, EditShortCut); }
    void Button4Click();
    void Label5Click();
    void ChooseImage(OpenDialog& dialog, Image& preview, Edit& field, char suffix);
    void ChooseInto(OpenDialog& dialog, Edit& field);
    void LoadImageField(const std::string& path, Image& preview, Edit& field, char suffix);
    static void ShowPicture(Image& preview, const std::string& path);
    static void ReplaceImageSection(const std::string& path, char suffix);

    std::array<Label, 14> captions_;
    size_t captionCount_ = 0;
    int64_t total_ = 0;
    std::string builderFolder_;
    // The name under which the project's script lies in the builder's folder.
    std::string previousProject_;
};

extern TFormCreating* FormCreating;

}  // namespace kolvane
