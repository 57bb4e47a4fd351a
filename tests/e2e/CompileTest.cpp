// Compiling: the refusal, the setup file with its package in order and its icon, and
// setups that carry exactly the project compiled, nothing left from before.
#include <gtest/gtest.h>

#include "BuilderSession.h"
#include "Driver.h"
#include "PackageReader.h"
#include "app/ControlIds.h"

namespace kolvane::e2e {
namespace {

constexpr char kRefusal[] =
    "Wrong file format not can be recorded.\r\n"
    "The format must have the initials '*.name_format' or, if there, must be blank.\r\n"
    "Application not compiled.";

// Presses "Compile" and answers the box it ends with.
MessageBoxSeen Compile(const Builder& builder) {
    builder.Open(ids::ButCompile);
    MessageBoxSeen box = WaitForMessageBox(builder.process);
    Press(box);
    Sync(builder.window);
    return box;
}

// A builder whose setups go to <folder>out\ and whose file-type field lets them pass.
struct CompilingBuilder : Builder {
    explicit CompilingBuilder(const std::string& name)
        : Builder(FreshFolder(name)), out(FreshFolder(name + "\\out")), files(FreshFolder(name + "\\files")) {
        SetText((*this)[ids::EditFolder], out.substr(0, out.size() - 1));
        SetText((*this)[ids::EditFormat], "");
    }
    std::string Setup() const { return out + Field(ids::EditProduct) + ".exe"; }
    void Choose(int button, const std::string& from, const std::string& names) const {
        Open(button);
        ChooseFiles(process, from, names);
    }
    std::string out;
    std::string files;
};

std::vector<std::string> Names(const std::vector<PackagedSection>& package) {
    std::vector<std::string> names;
    for (const PackagedSection& section : package) names.push_back(section.name);
    return names;
}

std::vector<std::string> SlotNames(int first, int count) {
    std::vector<std::string> names;
    for (int slot = first; slot < first + count; ++slot) {
        names.push_back("YOURFILENAME" + std::to_string(slot));
        names.push_back("YOURFILE" + std::to_string(slot));
    }
    return names;
}

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(Compile, IsRefusedForAnyFormatAndThenWritesAnEmptyFormatLine) {
    const std::string folder = FreshFolder("compile-refusal");
    const std::string out = FreshFolder("compile-refusal\\out");
    Builder builder(folder);
    SetText(builder[ids::EditFolder], out);
    MessageBoxSeen refusal = Compile(builder);
    EXPECT_EQ(refusal.caption, "Error");
    EXPECT_EQ(refusal.text, kRefusal);
    EXPECT_EQ(FocusedControl(builder.window), builder[ids::EditFormat]);
    EXPECT_FALSE(FileExists(out + "\\My Product.exe"));
    EXPECT_EQ(ReadFileBytes(folder + "My Project.txt"), "");

    // With the initial icon text "My Icon" the setup is written with the builder's icon.
    SetText(builder[ids::EditFormat], "");
    MessageBoxSeen done = Compile(builder);
    EXPECT_EQ(done.caption, "Warning");
    EXPECT_EQ(done.text, "Error creating icon.");
    const std::string setup = ReadFileBytes(out + "\\My Product.exe");
    EXPECT_EQ(setup.substr(0, 3), "MZA");
    const std::string script = ReadFileBytes(folder + "My Project.txt");
    EXPECT_TRUE(script.ends_with("\r\nFormat=\r\n")) << script;
    EXPECT_EQ(ReadFileBytes(folder + "kolvane.exe").substr(0, 3), "MZP");
}

TEST(Compile, WritesTheProjectAsASetupWithItsPackageInOrder) {
    CompilingBuilder builder("compile-full");
    std::string quoted;
    for (int i = 1; i <= 6; ++i) {
        const std::string name = "file" + std::to_string(i) + ".dat";
        WriteFileBytes(builder.files + name, "content of " + name + std::string(i * 100, '\xB6'));
        quoted += "\"" + name + "\" ";
    }
    WriteFileBytes(builder.files + "big.bmp", Fixture("pictures/big.bmp"));
    WriteFileBytes(builder.files + "small.jpg", Fixture("pictures/small.jpg"));
    WriteFileBytes(builder.files + "setup.ico", Fixture("pictures/setup.ico"));
    builder.Choose(ids::ButInsert, builder.files, quoted);
    builder.Choose(ids::ButImageBig, builder.files, "big.bmp");
    builder.Choose(ids::ButImageSmall, builder.files, "small.jpg");
    builder.Choose(ids::ButIcon, builder.files, "setup.ico");

    MessageBoxSeen done = Compile(builder);
    EXPECT_EQ(done.caption, "Information");
    EXPECT_EQ(done.text, "Software compiled successful!");

    const std::string setup = ReadFileBytes(builder.Setup());
    EXPECT_EQ(setup.substr(0, 3), "MZA");
    const std::vector<PackagedSection> package = ReadPackage(setup);
    EXPECT_EQ(Names(package), Concat({{"BMP0", "JPG1"}, SlotNames(0, 6), {"SCRIPTFILENAME0", "SCRIPTFILE0"}}));
    ASSERT_EQ(package.size(), 16u);
    EXPECT_EQ(package[0].payload, Fixture("pictures/big.bmp"));
    EXPECT_EQ(package[1].payload, Fixture("pictures/small.jpg"));
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(package[2 * i].payload, "file" + std::to_string(i) + ".dat");
        EXPECT_EQ(package[2 * i + 1].payload, ReadFileBytes(builder.files + package[2 * i].payload));
    }
    EXPECT_EQ(package[14].payload, "My Project.txt");
    EXPECT_EQ(package[15].payload, ReadFileBytes(builder.folder + "My Project.txt"));
    EXPECT_EQ(ReadFileBytes(builder.folder + "kolvane.exe").substr(0, 3), "MZP");

    // Left for the oracle check that runs after this program: pefile and wrestool.
    const std::string oracle = FreshFolder("oracle");
    WriteFileBytes(oracle + "setup.exe", setup);
    WriteFileBytes(oracle + "setup.ico", Fixture("pictures/setup.ico"));

    Process installer(builder.Setup());
    HWND wizard = installer.WaitForWindow("TFormInstall");
    EXPECT_EQ(installer.VisibleWindows(), std::vector<HWND>{wizard}) << installer.DescribeWindows();
    PostMessageA(wizard, WM_CLOSE, 0, 0);
    EXPECT_EQ(installer.WaitForExit(), 0u);
}

TEST(Compile, SixtySixFilesWriteSixtySixSlots) {
    CompilingBuilder builder("compile-66");
    std::string quoted;
    for (int i = 0; i < 66; ++i) {
        const std::string name = "f" + std::to_string(i).append(".txt");
        WriteFileBytes(builder.files + name, name);
        quoted += "\"" + name + "\" ";
    }
    builder.Choose(ids::ButInsert, builder.files, quoted);
    EXPECT_EQ(Compile(builder).text, "Error creating icon.");
    const std::vector<PackagedSection> package = ReadPackage(ReadFileBytes(builder.Setup()));
    EXPECT_EQ(Names(package), Concat({SlotNames(0, 66), {"SCRIPTFILENAME0", "SCRIPTFILE0"}}));
}

TEST(Compile, EachSetupServesExactlyTheProjectBeingCompiled) {
    CompilingBuilder builder("compile-exact");
    const std::string& files = builder.files;
    WriteFileBytes(files + "first.bmp", Fixture("pictures/big.bmp"));
    WriteFileBytes(files + "second.jpg", Fixture("pictures/small.jpg"));
    WriteFileBytes(files + "a.txt", "a");
    WriteFileBytes(files + "b.txt", "b");
    WriteFileBytes(files + "c.txt", "c");

    // A big image chosen twice: only the second travels.
    builder.Choose(ids::ButImageBig, files, "first.bmp");
    builder.Choose(ids::ButImageBig, files, "second.jpg");
    builder.Choose(ids::ButInsert, files, "\"a.txt\" \"b.txt\"");
    Compile(builder);
    std::vector<PackagedSection> package = ReadPackage(ReadFileBytes(builder.Setup()));
    EXPECT_EQ(Names(package), Concat({{"JPG0"}, SlotNames(0, 2), {"SCRIPTFILENAME0", "SCRIPTFILE0"}}));
    EXPECT_EQ(package[0].payload, Fixture("pictures/small.jpg"));

    // Other files compiled next: none of the earlier slots or scripts remain.
    SelectListViewItems(builder[ids::ListView1], {0, 1});
    builder.Press(ids::ButDelete);
    builder.Choose(ids::ButInsert, files, "c.txt");
    Compile(builder);
    package = ReadPackage(ReadFileBytes(builder.Setup()));
    EXPECT_EQ(Names(package), Concat({{"JPG0"}, SlotNames(0, 1), {"SCRIPTFILENAME0", "SCRIPTFILE0"}}));
    EXPECT_EQ(package[2].payload, "c");
    EXPECT_EQ(package.back().payload, ReadFileBytes(builder.folder + "My Project.txt"));

    // Another project opened: its pictures and license replace the first project's.
    WriteFileBytes(files + "terms.txt", "license terms");
    WriteFileBytes(builder.folder + "Other.txt",
                   Lines({"Project=Other", "Folder=" + builder.out.substr(0, builder.out.size() - 1),
                          "Product=Other Product", "Version=2", "Manuf=M", "CountFiles=1", files + "b.txt",
                          "ShortCut=", "start=0", "desktop=0", "startup=0", "Icon=", "ImageSetup=" + files + "first.bmp",
                          "ImageSmall=", "License=" + files + "terms.txt", "Destination=C:\\O\\", "Size=1 bytes",
                          "GUID={00000000-0000-0000-0000-000000000001}", "Format="}));
    builder.Open(ids::ButProject);
    ChooseFiles(builder.process, builder.folder, "Other.txt");
    Compile(builder);
    package = ReadPackage(ReadFileBytes(builder.out + "Other Product.exe"));
    EXPECT_EQ(Names(package),
              Concat({{"BMP0", "LICENSE0"}, SlotNames(0, 1), {"SCRIPTFILENAME0", "SCRIPTFILE0"}}));
    EXPECT_EQ(package[0].payload, Fixture("pictures/big.bmp"));
    EXPECT_EQ(package[1].payload, "license terms");
    EXPECT_EQ(package[3].payload, "b");
    EXPECT_EQ(package[4].payload, "Other.txt");
}

}  // namespace
}  // namespace kolvane::e2e
