// The builder window: its fields, the project file list, the pickers, and how projects
// are named, opened and loaded.
#include <gtest/gtest.h>

#include <regex>

#include "BuilderSession.h"
#include "Driver.h"
#include "app/ControlIds.h"

namespace kolvane::e2e {
namespace {

TEST(Builder, StartsWithTheInitialFieldsAndAnEmptyScript) {
    const std::string folder = FreshFolder("builder-initial");
    Builder builder(folder);
    EXPECT_EQ(Text(builder.window), kBuilderCaption);
    builder.ExpectFields({
        {ids::EditProject, "My Project"},
        {ids::EditFolder, folder},
        {ids::EditProduct, "My Product"},
        {ids::EditVersion, "1.05"},
        {ids::EditManuf, "My Company"},
        {ids::LabTamanho, ""},
        {ids::EditShortCut, ""},
        {ids::EditFormat, "*.*"},
        {ids::EditImage, folder},
        {ids::EditSmall, folder},
        {ids::EditLicense, ""},
        {ids::EditDestination, "C:\\Program Files\\"},
        {ids::EditGUID, ""},
        {ids::EditIcon, "My Icon"},
    });
    EXPECT_TRUE(IsChecked(builder[ids::CheckStart]));
    EXPECT_TRUE(IsChecked(builder[ids::CheckDesktop]));
    EXPECT_FALSE(IsChecked(builder[ids::CheckQuick]));
    EXPECT_TRUE(ListViewCaptions(builder[ids::ListView1]).empty());
    EXPECT_FALSE(IsVisible(builder[ids::ListBox1]));
    EXPECT_EQ(ReadFileBytes(folder + "My Project.txt"), "");
    Screenshot(builder.window, "builder-initial");
}

TEST(Builder, FileListAddsThroughTheDialogSkipsSameNamesDeletesAndTotals) {
    const std::string folder = FreshFolder("builder-files");
    const std::string first = FreshFolder("builder-files-first");
    const std::string second = FreshFolder("builder-files-second");
    WriteSizedFile(first + "a.bin", 1);
    WriteSizedFile(first + "b.bin", 1'048'574);
    WriteSizedFile(first + "c.bin", 1);
    WriteSizedFile(second + "b.bin", 7);  // same name as a listed file: skipped
    WriteSizedFile(second + "C.bin", 1);  // differs from "c.bin" in case only: kept
    Builder builder(folder);
    auto captions = [&] { return ListViewCaptions(builder[ids::ListView1]); };
    auto paths = [&] { return ListBoxItems(builder[ids::ListBox1]); };
    auto total = [&] { return builder.Field(ids::LabTamanho); };

    builder.Open(ids::ButInsert);
    CancelOpenDialog(builder.process);
    EXPECT_EQ(total(), "Total:  bytes");

    builder.Open(ids::ButInsert);
    ChooseFiles(builder.process, first, "\"a.bin\" \"b.bin\" \"c.bin\"");
    EXPECT_EQ(captions(), (std::vector<std::string>{"a.bin", "b.bin", "c.bin"}));
    EXPECT_EQ(paths(),
              (std::vector<std::string>{first + "a.bin", first + "b.bin", first + "c.bin"}));
    EXPECT_EQ(total(), "Total: 1024 KB");  // exactly 1,048,576 bytes

    builder.Open(ids::ButInsert);
    ChooseFiles(builder.process, second, "\"b.bin\" \"C.bin\"");
    EXPECT_EQ(captions(), (std::vector<std::string>{"a.bin", "b.bin", "c.bin", "C.bin"}));
    EXPECT_EQ(paths().back(), second + "C.bin");
    EXPECT_EQ(total(), "Total: 1 MB");  // one byte more

    SelectListViewItems(builder[ids::ListView1], {0, 2});
    builder.Press(ids::ButDelete);
    EXPECT_EQ(captions(), (std::vector<std::string>{"b.bin", "C.bin"}));
    EXPECT_EQ(paths(), (std::vector<std::string>{first + "b.bin", second + "C.bin"}));
    EXPECT_EQ(total(), "Total: 1024 KB");

    SelectListViewItems(builder[ids::ListView1], {0, 1});
    builder.Press(ids::ButDelete);
    EXPECT_TRUE(captions().empty());
    EXPECT_TRUE(paths().empty());
    EXPECT_EQ(total(), "Total:  bytes");

    // A listed file that has gone stops the count with the file's error; the label keeps
    // its last total.
    WriteSizedFile(first + "gone.bin", 5);
    builder.Open(ids::ButInsert);
    ChooseFiles(builder.process, first, "gone.bin");
    EXPECT_EQ(total(), "Total: 5 bytes");
    DeleteFileA((first + "gone.bin").c_str());
    builder.Open(ids::ButInsert);
    CancelOpenDialog(builder.process);
    MessageBoxSeen error = WaitForMessageBox(builder.process);
    EXPECT_NE(error.text.find(first + "gone.bin"), std::string::npos) << error.text;
    Press(error);
    EXPECT_EQ(total(), "Total: 5 bytes");
}

TEST(Builder, TheScriptFollowsTheProjectNameWhileItIsAFileName) {
    const std::string folder = FreshFolder("builder-naming");
    Builder builder(folder);
    HWND project = builder[ids::EditProject];
    for (const char* typed : {"N", "Ne", "New"}) SetText(project, typed);
    EXPECT_TRUE(FileExists(folder + "New.txt"));
    for (const char* gone : {"My Project.txt", "N.txt", "Ne.txt"})
        EXPECT_FALSE(FileExists(folder + gone)) << gone;

    // Names that are no file name in the builder's folder leave the script where it is.
    for (const std::string invalid : {"New?", "New*", "..\\Escaped", "sub\\New", "D:New"}) {
        SCOPED_TRACE(invalid);
        SetText(project, invalid);
        EXPECT_TRUE(FileExists(folder + "New.txt"));
        SetText(project, "New");
    }
    EXPECT_FALSE(FileExists(folder + "..\\Escaped.txt"));
}

struct LoadCase {
    const char* name;
    std::string destinationLine;
    std::string guidLine;
    std::string expectedDestination;  // empty: the drive root of the builder's folder
    std::string expectedGuid;         // empty: a fresh GUID
};

TEST(Builder, StartupLoadFillsEveryFieldFromTheScriptBesideTheProgram) {
    const LoadCase cases[] = {
        {"load-kept", "Destination=C:\\Apps", "GUID={01234567-89AB-CDEF-0123-456789ABCDEF}",
         "C:\\Apps\\", "{01234567-89AB-CDEF-0123-456789ABCDEF}"},
        {"load-empty", "Destination=", "GUID=", "", ""},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = FreshFolder(std::string("builder-") + c.name);
        WriteSizedFile(folder + "one.txt", 1000);
        WriteSizedFile(folder + "two.dat", 24);
        WriteFileBytes(folder + "big.bmp", Fixture("pictures/big.bmp"));
        WriteFileBytes(folder + "small.jpg", Fixture("pictures/small.jpg"));
        WriteFileBytes(folder + "setup.ico", Fixture("pictures/setup.ico"));
        WriteFileBytes(folder + "license.txt", "Use it well.");
        WriteFileBytes(folder + "My Project.txt", Lines({"Project=Loaded",
                                                         "Folder=C:\\Out",
                                                         "Product=Widget",
                                                         "Version=2.5",
                                                         "Manuf=Acme=Works",
                                                         "CountFiles=2",
                                                         folder + "one.txt",
                                                         folder + "two.dat",
                                                         "ShortCut=C:\\Apps\\widget.exe",
                                                         "start=0",
                                                         "desktop=1",
                                                         "startup=1",
                                                         "Icon=" + folder + "setup.ico",
                                                         "ImageSetup=" + folder + "big.bmp",
                                                         "ImageSmall=" + folder + "small.jpg",
                                                         "License=" + folder + "license.txt",
                                                         c.destinationLine,
                                                         "Size=9 MB",
                                                         c.guidLine,
                                                         "Format=*.wid"}));
        Builder builder(folder);
        builder.ExpectFields({
            {ids::EditProject, "Loaded"},
            {ids::EditFolder, "C:\\Out"},
            {ids::EditProduct, "Widget"},
            {ids::EditVersion, "2.5"},
            {ids::EditManuf, "Acme=Works"},
            {ids::LabTamanho, "Total: 1024 bytes"},
            {ids::EditShortCut, "C:\\Apps\\widget.exe"},
            {ids::EditIcon, folder + "setup.ico"},
            {ids::EditImage, folder + "big.bmp"},
            {ids::EditSmall, folder + "small.jpg"},
            {ids::EditLicense, folder + "license.txt"},
            {ids::EditDestination,
             c.expectedDestination.empty() ? folder.substr(0, 3) : c.expectedDestination},
            {ids::EditFormat, "*.wid"},
        });
        EXPECT_EQ(ListViewCaptions(builder[ids::ListView1]),
                  (std::vector<std::string>{"one.txt", "two.dat"}));
        EXPECT_EQ(ListBoxItems(builder[ids::ListBox1]),
                  (std::vector<std::string>{folder + "one.txt", folder + "two.dat"}));
        // "start=0" never clears a box; the others tick theirs.
        EXPECT_TRUE(IsChecked(builder[ids::CheckStart]));
        EXPECT_TRUE(IsChecked(builder[ids::CheckDesktop]));
        EXPECT_TRUE(IsChecked(builder[ids::CheckQuick]));
        const std::string guid = builder.Field(ids::EditGUID);
        if (c.expectedGuid.empty()) {
            EXPECT_TRUE(std::regex_match(guid, kGuidPattern)) << guid;
        } else {
            EXPECT_EQ(guid, c.expectedGuid);
        }
        // The load renamed the script after the project it names.
        EXPECT_TRUE(FileExists(folder + "Loaded.txt"));
        Screenshot(builder.window, std::string("builder-") + c.name);
    }
}

TEST(Builder, ADamagedFileCountStopsAtTheScriptsEndWithAnError) {
    const std::string folder = FreshFolder("builder-damaged-count");
    WriteFileBytes(folder + "My Project.txt",
                   Lines({"Project=Damaged", "Folder=", "Product=P", "Version=1", "Manuf=M",
                          "CountFiles=2000000000", "ShortCut=C:\\missing\\app.exe"}));
    CopyProgram(folder);
    Process program(folder + "kolvane.exe");
    MessageBoxSeen error = WaitForMessageBox(program);
    EXPECT_NE(error.text.find("C:\\missing\\app.exe"), std::string::npos) << error.text;
    Press(error);
    HWND window = program.WaitForWindow("TFormCreating", kBuilderCaption);
    EXPECT_EQ(Text(Control(window, ids::EditProduct)), "P");
    EXPECT_EQ(ListViewCaptions(Control(window, ids::ListView1)),
              std::vector<std::string>{"app.exe"});
    PostMessageA(window, WM_CLOSE, 0, 0);
}

TEST(Builder, OpeningAScriptElsewhereRenamesAndLoadsTheCurrentScript) {
    const std::string folder = FreshFolder("builder-open");
    const std::string elsewhere = FreshFolder("builder-open-elsewhere");
    WriteSizedFile(folder + "one.txt", 3);
    WriteFileBytes(
        folder + "My Project.txt",
        Lines({"Project=Other", "Folder=C:\\Out", "Product=Alpha", "Version=1", "Manuf=M",
               "CountFiles=1", folder + "one.txt", "ShortCut=", "start=1", "desktop=1", "startup=0",
               "Icon=", "ImageSetup=", "ImageSmall=", "License=", "Destination=C:\\A\\",
               "Size=3 bytes", "GUID={01234567-89AB-CDEF-0123-456789ABCDEF}", "Format="}));
    WriteFileBytes(elsewhere + "Other.txt", Lines({"Project=Other", "Folder=", "Product=Beta"}));
    Builder builder(folder);
    ASSERT_EQ(builder.Field(ids::EditProject), "Other");  // the start-up load renamed it already
    SetText(builder[ids::EditProject], "Mine");
    SetText(builder[ids::EditProduct], "Typed");
    ASSERT_TRUE(FileExists(folder + "Mine.txt"));

    builder.Open(ids::ButProject);
    ChooseFiles(builder.process, elsewhere, "Other.txt");
    EXPECT_EQ(builder.Field(ids::EditProject), "Other");
    EXPECT_TRUE(FileExists(folder + "Other.txt"));
    EXPECT_FALSE(FileExists(folder + "Mine.txt"));
    EXPECT_EQ(builder.Field(ids::EditProduct),
              "Alpha");  // the builder's script, not the chosen one
    EXPECT_EQ(ListViewCaptions(builder[ids::ListView1]), std::vector<std::string>{"one.txt"});
    EXPECT_EQ(builder.Field(ids::LabTamanho), "Total: 3 bytes");
}

TEST(Builder, FolderBrowserStartsAtTheProjectFolderAndCancelKeepsIt) {
    const std::string folder = FreshFolder("builder-browse");
    Builder builder(folder);
    const std::string shown = folder.substr(0, folder.size() - 1);  // no trailing backslash

    builder.Open(ids::ButFolder);
    HWND browser = WaitForFolderBrowser(builder.process);
    EXPECT_EQ(SelectedFolderName(browser), "builder-browse");
    EXPECT_FALSE(IsWindowEnabled(builder.window));
    Screenshot(browser, "builder-folder-browser");
    PressButton(browser, IDOK);
    WaitUntilGone(browser);
    Sync(builder.window);
    EXPECT_EQ(builder.Field(ids::EditFolder), shown);
    EXPECT_TRUE(IsWindowEnabled(builder.window));

    builder.Open(ids::ButFolder);
    browser = WaitForFolderBrowser(builder.process);
    EXPECT_EQ(SelectedFolderName(browser), "builder-browse");
    PressButton(browser, IDCANCEL);
    WaitUntilGone(browser);
    Sync(builder.window);
    EXPECT_EQ(builder.Field(ids::EditFolder), shown);
}

TEST(Builder, PickersFillTheirFieldsAndPreviews) {
    const std::string folder = FreshFolder("builder-pickers");
    const std::string pictures = FreshFolder("builder-pickers\\pictures");
    const std::string dotted = FreshFolder("builder-pickers\\looks.ico.d");
    WriteFileBytes(pictures + "big.bmp", Fixture("pictures/big.bmp"));
    WriteFileBytes(pictures + "small.jpg", Fixture("pictures/small.jpg"));
    WriteFileBytes(pictures + "setup.ico", Fixture("pictures/setup.ico"));
    WriteFileBytes(pictures + "broken.jpg", "no picture at all");
    WriteFileBytes(pictures + "terms.rtf", "{\\rtf1 terms}");
    WriteFileBytes(pictures + "app.exe", "MZ");
    WriteFileBytes(dotted + "plain.bmp", Fixture("pictures/big.bmp"));
    Builder builder(folder);

    struct Step {
        int button;
        int field;
        std::string chosen;    // folder and name
        std::string expected;  // the field afterwards
        bool error;
    };
    const Step steps[] = {
        {ids::ButImageBig, ids::EditImage, pictures + "big.bmp", pictures + "big.bmp", false},
        {ids::ButImageSmall, ids::EditSmall, pictures + "small.jpg", pictures + "small.jpg", false},
        // Content that no decoder reads stops the picker before the field changes.
        {ids::ButImageBig, ids::EditImage, pictures + "broken.jpg", pictures + "big.bmp", true},
        // An icon is taken only when ".ico" stands somewhere in its path.
        {ids::ButIcon, ids::EditIcon, pictures + "big.bmp", "My Icon", false},
        {ids::ButIcon, ids::EditIcon, dotted + "plain.bmp", dotted + "plain.bmp", false},
        {ids::ButIcon, ids::EditIcon, pictures + "setup.ico", pictures + "setup.ico", false},
        {ids::Button3, ids::EditLicense, pictures + "terms.rtf", pictures + "terms.rtf", false},
        {ids::ButShortCut, ids::EditShortCut, pictures + "app.exe", pictures + "app.exe", false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.chosen);
        builder.Open(step.button);
        const size_t slash = step.chosen.rfind('\\');
        ChooseFiles(builder.process, step.chosen.substr(0, slash + 1),
                    step.chosen.substr(slash + 1));
        if (step.error) {
            MessageBoxSeen error = WaitForMessageBox(builder.process);
            EXPECT_NE(error.text.find(step.chosen), std::string::npos) << error.text;
            Press(error);
        }
        EXPECT_EQ(builder.Field(step.field), step.expected);
    }
    Screenshot(builder.window, "builder-pickers");
}

TEST(Builder, GenerateGivesANewGuidEachTime) {
    Builder builder(FreshFolder("builder-guid"));
    std::vector<std::string> guids;
    for (int press = 0; press < 2; ++press) {
        builder.Press(ids::Button4);
        const std::string guid = builder.Field(ids::EditGUID);
        EXPECT_TRUE(std::regex_match(guid, kGuidPattern)) << guid;
        guids.push_back(guid);
    }
    EXPECT_NE(guids[0], guids[1]);
}

}  // namespace
}  // namespace kolvane::e2e
