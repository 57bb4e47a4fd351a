// What a copy of the program does before its windows exist: running from a read-only
// medium through a copy on the Windows drive, and the exchange in which a temporary copy
// puts its own image in place of another program file and restarts it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <thread>

#include "Driver.h"
#include "support/RemoveTree_win.h"

namespace kolvane::e2e {
namespace {

constexpr char kBuilderClass[] = "TFormCreating";
// Bytes behind the image tell a replaced program file from the one it replaced.
constexpr char kNewImageTail[] = "-- a newer image of the program --";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Lower(std::string text) {
    CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Compares whole program files without printing them when they differ.
bool Holds(const std::string& path, const std::string& bytes) {
    return ReadFileBytes(path) == bytes;
}

bool IsReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

void CloseBuilder(Process& program, HWND builder) {
    PostMessageA(builder, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0u);
}

// A program started by another one: its builder window shows, it runs from `path`, and it
// is closed again. Call it once every process the test started itself has ended.
void ExpectBuilderStartedFrom(const std::string& path) {
    HWND builder = WaitForAnyWindow(kBuilderClass);
    Process started(ProcessOf(builder));
    EXPECT_EQ(Lower(started.ExecutablePath()), Lower(path));
    CloseBuilder(started, builder);
}

// The program file, mode 0444, on a read-only mount that the test run shows as a drive,
// and the folder on drive C that its copy goes to: removed before and after each test.
class ReadOnlyMedium : public testing::Test {
protected:
    void SetUp() override {
        const char* drive = std::getenv("KOLVANE_MEDIUM_DRIVE");
        const char* file = std::getenv("KOLVANE_MEDIUM_FILE");
        if (!drive || !file)
            GTEST_SKIP() << "KOLVANE_MEDIUM_DRIVE and KOLVANE_MEDIUM_FILE are not set";
        program_ = std::string(drive) + ":\\" + file;
        if (!FileExists(program_)) GTEST_SKIP() << "no read-only medium: mounting it takes root";
        copyFolder_ = std::string("C:\\") + file;
        copy_ = copyFolder_ + "\\" + file;
        testing_support::RemoveTree(copyFolder_);
    }
    void TearDown() override {
        if (copyFolder_.empty()) return;
        // A copy that a failed test did not get to close would keep its folder.
        EndProcessesRunning(copy_);
        testing_support::RemoveTree(copyFolder_);
    }

    std::string program_, copyFolder_, copy_;
};

TEST_F(ReadOnlyMedium, FirstStartWritesACopyAndLaterStartsReuseIt) {
    const std::string image = ReadFileBytes(program_);
    ASSERT_TRUE(IsReadOnly(program_));
    Process first(program_);
    EXPECT_EQ(first.WaitForExit(), 0u);
    EXPECT_TRUE(Holds(copy_, image));
    ExpectBuilderStartedFrom(copy_);

    // The copy found there is started as it is, even one of another program of that name.
    const std::string other = image + kNewImageTail;
    WriteFileBytes(copy_, other);
    Process second(program_);
    EXPECT_EQ(second.WaitForExit(), 0u);
    ExpectBuilderStartedFrom(copy_);
    EXPECT_TRUE(Holds(copy_, other));
    EXPECT_TRUE(Holds(program_, image));
}

// A file whose read-only attribute cannot be cleared never becomes deletable: the
// temporary copy reports the file it cannot write and ends, instead of waiting for good.
TEST_F(ReadOnlyMedium, TemporaryCopyReportsATargetItCannotReplace) {
    const std::string image = ReadFileBytes(program_);
    const std::string temporary =
        CopyProgram(FreshFolder("startup-medium-target"), 'P', "temp0a0.exe");
    Process process(temporary, Quoted(program_));
    MessageBoxSeen box = WaitForMessageBox(process);
    EXPECT_NE(Lower(box.text).find(Lower(program_)), std::string::npos) << box.text;
    Press(box);
    EXPECT_EQ(process.WaitForExit(), 1u);
    EXPECT_TRUE(Holds(program_, image));
}

TEST(Startup, ReadOnlyFileOnWritableStorageIsMadeWritableAndRuns) {
    const std::string name = "kolvane-readonly.exe";
    const std::string program = CopyProgram(FreshFolder("startup-readonly"), 'P', name);
    testing_support::RemoveTree("C:\\" + name);
    SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(IsReadOnly(program));

    Process process(program);
    HWND builder = process.WaitForWindow(kBuilderClass);
    EXPECT_FALSE(IsReadOnly(program));
    EXPECT_FALSE(FileExists("C:\\" + name));
    CloseBuilder(process, builder);
}

// The temporary copy is recognised by its name in any letter case. When the target still
// runs, the copy waits for it to end before it replaces the file.
TEST(Startup, TemporaryCopyReplacesTheTargetWhichThenDeletesTheCopy) {
    struct Case {
        const char* temporaryName;
        bool targetRunning;
    };
    for (const Case& c : {Case{"temp0a0.exe", true}, Case{"Temp0A0.Exe", false}}) {
        SCOPED_TRACE(c.temporaryName);
        const std::string folder = FreshFolder("startup-exchange");
        const std::string target = CopyProgram(folder, 'P', "target.exe");
        const std::string original = ReadFileBytes(target);
        const std::string image = original + kNewImageTail;
        const std::string temporaryPath = folder + c.temporaryName;
        WriteFileBytes(temporaryPath, image);

        std::optional<Process> running;
        HWND runningBuilder = nullptr;
        if (c.targetRunning) {
            running.emplace(target);
            runningBuilder = running->WaitForWindow(kBuilderClass);
        }
        Process temporary(temporaryPath, Quoted(target));
        if (c.targetRunning) {
            std::this_thread::sleep_for(500ms);
            EXPECT_TRUE(temporary.Running());
            EXPECT_TRUE(Holds(target, original));
            CloseBuilder(*running, runningBuilder);
        }
        EXPECT_EQ(temporary.WaitForExit(), 0u);
        ExpectBuilderStartedFrom(target);
        EXPECT_TRUE(Holds(target, image));
        EXPECT_FALSE(FileExists(temporaryPath));
    }
}

// Only "deltemp" itself deletes a temporary copy left in the program's folder, read-only
// or not; with none there, start-up goes on at once.
TEST(Startup, RestartArgumentDeletesTheTemporaryCopy) {
    enum class Leftover { None, Plain, ReadOnly };
    struct Case {
        const char* argument;
        Leftover leftover;
        bool remains;
    };
    for (const Case& c :
         {Case{"DELTEMP", Leftover::Plain, true}, Case{"deltemp", Leftover::None, false},
          Case{"deltemp", Leftover::ReadOnly, false}}) {
        SCOPED_TRACE(std::string(c.argument) + " " + std::to_string(static_cast<int>(c.leftover)));
        const std::string folder = FreshFolder("startup-deltemp");
        const std::string program = CopyProgram(folder);
        const std::string temporary = folder + "temp0a0.exe";
        if (c.leftover != Leftover::None) WriteFileBytes(temporary, "left behind");
        if (c.leftover == Leftover::ReadOnly)
            SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_READONLY);

        Process process(program, c.argument);
        HWND builder = process.WaitForWindow(kBuilderClass, "", 5s);
        EXPECT_EQ(FileExists(temporary), c.remains);
        CloseBuilder(process, builder);
    }
}

// With no target there is nothing to replace: the temporary copy ends at once, without a
// message, and its file stays as it was.
TEST(Startup, TemporaryCopyWithoutTargetEndsAtOnce) {
    for (const char* arguments : {"", "\"\""}) {
        SCOPED_TRACE(arguments);
        const std::string temporary =
            CopyProgram(FreshFolder("startup-no-target"), 'P', "temp0a0.exe");
        const std::string image = ReadFileBytes(temporary);
        Process process(temporary, arguments);
        EXPECT_EQ(process.WaitForExit(5s), 0u) << process.DescribeWindows();
        EXPECT_TRUE(Holds(temporary, image));
    }
}

}  // namespace
}  // namespace kolvane::e2e
