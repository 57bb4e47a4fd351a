#include <gtest/gtest.h>

#include "builder/ProjectNaming.h"

namespace kolvane {
namespace {

TEST(ProjectNaming, OnlyNamesWithoutFolderOrDriveNameAScript) {
    for (const char* plain : {"My Project", "", "a.b", "New?"})
        EXPECT_TRUE(IsPlainProjectName(plain)) << plain;
    for (const char* leading : {"..\\Escaped", "sub\\x", "sub/x", "D:x", "\\\\server\\share"})
        EXPECT_FALSE(IsPlainProjectName(leading)) << leading;
}

TEST(ProjectNaming, TheChosenScriptNamesTheProjectWithoutFolderAndExtension) {
    const std::pair<const char*, const char*> cases[] =
        {
            {"C:\\elsewhere\\Other.txt", "Other"},
            {"C:\\a.b\\Other", "Other"},  // a dot in the folder is no extension
            {"C:\\x\\my.project.txt", "my.project"},
            {"D:name.txt", "name"},
            {"C:\\x\\.txt", ""},
        };
    for (const auto& [path, name] : cases) EXPECT_EQ(ProjectNameOf(path), name) << path;
}

TEST(ProjectNaming, DestinationFallsBackToTheDriveRootAndEndsWithABackslash) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"", "Z:\\work\\builder", "Z:\\"},
        {"", "C:\\", "C:\\"},
        {"C:\\Apps", "Z:\\work", "C:\\Apps\\"},
        {"C:\\Program Files\\", "Z:\\work", "C:\\Program Files\\"},
    };
    for (const auto& [value, current, expected] : cases)
        EXPECT_EQ(DestinationFolder(value, current), expected) << value << " in " << current;
}

}  // namespace
}  // namespace kolvane
