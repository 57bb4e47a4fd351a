// Byte 2 of the program's file decides which window a copy shows.
#include <gtest/gtest.h>

#include "Driver.h"
#include "app/ControlIds.h"

namespace kolvane::e2e {
namespace {

constexpr char kBuilderCaption[] = "Kolvane Installer version Beta 2.0";

TEST(Role, BuilderShowsTheBuilderWindowAndNoOther) {
    Process program(CopyProgram(FreshFolder("role-builder")));
    HWND builder = program.WaitForWindow("TFormCreating", kBuilderCaption);
    Screenshot(builder, "builder-start");
    EXPECT_EQ(program.VisibleWindows(), std::vector<HWND>{builder}) << program.DescribeWindows();
    HWND wizard = FindWindowA("TFormInstall", nullptr);
    ASSERT_NE(wizard, nullptr);
    EXPECT_FALSE(IsVisible(wizard));

    PostMessageA(builder, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0u);
}

TEST(Role, InstallerAndUninstallerShowOnlyTheWizardAndEndWhenItCloses) {
    struct Case {
        char role;
        bool uninstallPage;
        const char* nextCaption;
    };
    for (const Case& c : {Case{'A', false, "Next >"}, Case{'U', true, "Ok"}}) {
        SCOPED_TRACE(c.role);
        Process program(CopyProgram(FreshFolder(std::string("role-") + c.role), c.role));
        HWND wizard = program.WaitForWindow("TFormInstall");
        Screenshot(wizard, std::string("wizard-start-") + c.role);
        EXPECT_EQ(program.VisibleWindows(), std::vector<HWND>{wizard}) << program.DescribeWindows();
        EXPECT_EQ(IsVisible(Control(wizard, ids::PanelUninstall)), c.uninstallPage);
        EXPECT_EQ(IsVisible(Control(wizard, ids::ButBack)), !c.uninstallPage);
        EXPECT_EQ(Text(Control(wizard, ids::ButNext)), c.nextCaption);

        // The hidden builder window is the main window and is never closed.
        PostMessageA(wizard, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.WaitForExit(), 0u);
    }
}

TEST(Role, AnUnknownMarkerIsReportedAndTheProgramEnds) {
    Process program(CopyProgram(FreshFolder("role-unknown"), 'Q'));
    MessageBoxSeen box = WaitForMessageBox(program);
    EXPECT_NE(box.text.find("role marker is unknown"), std::string::npos) << box.text;
    EXPECT_EQ(program.VisibleWindows(), std::vector<HWND>{box.window});
    Press(box);
    EXPECT_EQ(program.WaitForExit(), 1u);
}

}  // namespace
}  // namespace kolvane::e2e
