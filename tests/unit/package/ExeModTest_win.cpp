// The package store's file utilities and their current-directory contract, under Windows.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include "package/ExeMod.h"
#include "package/PlatformError_win.h"
#include "support/RemoveTree_win.h"

namespace kolvane {
namespace {

using namespace std::string_literals;

std::string CurrentDirectory() {
    char buffer[MAX_PATH];
    return std::string(buffer, GetCurrentDirectoryA(MAX_PATH, buffer));
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class ExeModFiles : public testing::Test {
protected:
    void SetUp() override {
        root_ = ExecutableFolder() + "exemod-test\\";
        testing_support::RemoveTree(root_);
    }
    void TearDown() override {
        SetCurrentDirectoryA(ExecutableFolder().c_str());
        testing_support::RemoveTree(root_);
    }
    std::string root_;
};

TEST_F(ExeModFiles, WritersSetTheCurrentDirectoryTheirFilesDependOn) {
    SetCurrentDirectoryA("C:\\");
    WriteStringToFileInFolder("abc", "file.bin", root_ + "A\\B\\");
    EXPECT_EQ(LoadFileToString(root_ + "A\\B\\file.bin"), "abc");
    EXPECT_EQ(CurrentDirectory() + "\\", root_ + "A\\B\\");

    SetCurrentDirectoryA("C:\\");
    WriteStringToFile("x\0y"s, "exemod-test\\relative.bin");
    EXPECT_EQ(LoadFileToString(root_ + "relative.bin"), "x\0y"s);
    EXPECT_EQ(CurrentDirectory() + "\\", ExecutableFolder());
}

TEST_F(ExeModFiles, EmptyDataCreatesNoFile) {
    CreateDirectoryA(root_.c_str(), nullptr);
    WriteStringToFile("", root_ + "empty.bin");
    WriteStringToFileInFolder("", "empty.bin", root_ + "never\\");
    ExtractSectionToFile("no such section here", root_ + "missing.bin");
    EXPECT_FALSE(Exists(root_ + "empty.bin"));
    EXPECT_FALSE(Exists(root_ + "never"));
    EXPECT_FALSE(Exists(root_ + "missing.bin"));
}

TEST_F(ExeModFiles, FileErrorsCarryThePathAndTheSystemText) {
    try {
        LoadFileToString(root_ + "absent.txt");
        FAIL() << "no error";
    } catch (const PlatformError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot open file \"" + root_ + "absent.txt\". ", 0), 0u)
            << error.what();
    }
    EXPECT_THROW(WriteStringToFile("x", root_ + "no\\such\\folder.bin"), PlatformError);
}

TEST(ExeModImage, ReloadDiscardsChangesMadeInMemory) {
    LoadSelfImage();
    const uint64_t size = SelfImage.Size();
    EXPECT_EQ(SelfImage.ByteAt(0), 'M');
    AppendSectionFromString("unsaved0", "payload");
    std::string data;
    EXPECT_TRUE(ExtractSection("UNSAVED0", data));
    EXPECT_EQ(data, "payload");
    LoadSelfImage();
    EXPECT_EQ(SelfImage.Size(), size);
}

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) ++*reinterpret_cast<int*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(ExeModDelay, WaitsAtLeastTheTimeAndHandlesMessagesMeanwhile) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.lpszClassName = "DelayProbe";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("DelayProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    int handled = 0;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&handled));
    PostMessageA(window, WM_APP, 0, 0);
    PostMessageA(window, WM_APP, 0, 0);

    const ULONGLONG start = GetTickCount64();
    Delay(10);
    EXPECT_GE(GetTickCount64() - start, 10u);
    EXPECT_EQ(handled, 2);
    DestroyWindow(window);
}

TEST(ExeModDrive, WindowsDriveIsALetter) { EXPECT_TRUE(IsCharAlphaA(WindowsDrive())); }

}  // namespace
}  // namespace kolvane
