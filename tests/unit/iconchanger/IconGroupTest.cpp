#include <gtest/gtest.h>

#include "unit/iconchanger/IconChangerTestSupport.h"

namespace kolvane::iconchanger {
namespace {

using testing::BuildIcon;
using testing::BuildPe;
using testing::PeLayout;
using testing::U16At;
using testing::U32At;

std::string Group(const std::vector<uint16_t>& ids) {
    std::string group = {0, 0, 1, 0, static_cast<char>(ids.size()), 0};
    for (uint16_t id : ids) {
        group += std::string(12, '\x10');
        group += static_cast<char>(id);
        group += static_cast<char>(id >> 8);
    }
    return group;
}

// The nID values of a stored group.
std::vector<uint16_t> Ids(std::span<const uint8_t> group) {
    std::vector<uint16_t> ids;
    for (size_t at = 6 + 12; at + 2 <= group.size(); at += 14)
        ids.push_back(static_cast<uint16_t>(group[at] | group[at + 1] << 8));
    return ids;
}

// Languages under a name directory, and ids under a type, in list order.
std::vector<int32_t> Children(const TResItem* dir) {
    std::vector<int32_t> out;
    for (auto* c = dir ? dir->FirstChild.get() : nullptr; c; c = c->Next.get())
        out.push_back(c->Id);
    return out;
}

const TResItem* Child(const TResItem* dir, int32_t id, std::u16string_view name = {}) {
    for (auto* c = dir ? dir->FirstChild.get() : nullptr; c; c = c->Next.get())
        if (name.empty() ? c->Name.empty() && c->Id == id : c->Name == name) return c;
    return nullptr;
}

class IconGroup : public TempFolderTest {
  protected:
    std::string Exe(const std::vector<testing::FixtureResource>& resources) {
        PeLayout layout;
        layout.resources = resources;
        layout.appended = "SO!#PACKAGE\xB6-package-EO!#PACKAGE";
        return Put("setup.exe", BuildPe(layout)).string();
    }
    std::string Icon(const std::string& bytes) { return Put("a.ico", bytes).string(); }
};

TEST_F(IconGroup, AGroupInAnotherLanguageStaysBesideTheNewOne) {
    const std::string exe = Exe(
        {{{14, {}}, {0, u"MAINICON"}, 1046, Group({1})}, {{3, {}}, {1, {}}, 1046, "old image"}});
    ASSERT_TRUE(ChangeIconGroup(exe, "MAINICON", Icon(BuildIcon({744}))));

    auto update = BeginResUpdate(Wide(exe), false);
    ASSERT_TRUE(update);
    const TResItem* root = update->Root.get();
    EXPECT_EQ(Children(Child(Child(root, 14), 0, u"MAINICON")), (std::vector<int32_t>{0, 1046}));
    EXPECT_EQ(Children(Child(root, 3)), (std::vector<int32_t>{1, 50}));
    EXPECT_EQ(Children(Child(Child(root, 3), 1)), std::vector<int32_t>{1046});
    EXPECT_EQ(Children(Child(Child(root, 3), 50)), std::vector<int32_t>{0});
    EXPECT_EQ(Child(Child(root, 3), 50)->TimeDateStamp, 0u);
    EXPECT_EQ(Child(Child(root, 3), 1)->TimeDateStamp, 0x5EED0001u);
    std::span<const uint8_t> group, image;
    ASSERT_TRUE(GetIconGroup(*update, u"MAINICON", 0, group));
    EXPECT_EQ(Ids(group), std::vector<uint16_t>{50});
    ASSERT_TRUE(GetResData(*update, 3, 50, 0, image));
    EXPECT_EQ(std::string(image.begin(), image.end()), std::string(744, '\x40'));
    ASSERT_TRUE(GetIconGroup(*update, u"MAINICON", 1046, group));
    EXPECT_EQ(Ids(group), std::vector<uint16_t>{1});
    ASSERT_TRUE(EndResUpdate(std::move(update), true));

    // Again, with three images: 50 is reused, 51 and 52 are the next free ids.
    ASSERT_TRUE(ChangeIconGroup(exe, "MAINICON", Icon(BuildIcon({10, 20, 30}))));
    update = BeginResUpdate(Wide(exe), false);
    ASSERT_TRUE(GetIconGroup(*update, u"MAINICON", 0, group));
    EXPECT_EQ(Ids(group), (std::vector<uint16_t>{50, 51, 52}));
    EXPECT_EQ(Children(Child(update->Root.get(), 3)), (std::vector<int32_t>{1, 50, 51, 52}));
    ASSERT_TRUE(GetResData(*update, 3, 52, 0, image));
    EXPECT_EQ(std::string(image.begin(), image.end()), std::string(30, '\x42'));
    EndResUpdate(std::move(update), true);
    const std::string after = ReadAll(exe);
    EXPECT_TRUE(after.ends_with("SO!#PACKAGE\xB6-package-EO!#PACKAGE"));
    EXPECT_EQ(U32At(after, 0x98 + 64), ReferenceChecksum(after, 0x98 + 64));
}

TEST_F(IconGroup, OldIdsAreReusedInOrderAndTheRestAreTheNextFreeOnes) {
    struct Case {
        size_t images;
        std::vector<uint16_t> ids;
        std::vector<int32_t> icons;
    };
    for (const Case& c : {Case{1, {7}, {7}}, Case{4, {7, 9, 8, 10}, {7, 8, 9, 10}}}) {
        const std::string exe = Exe({{{14, {}}, {0, u"MAINICON"}, 0, Group({7, 9})},
                                     {{3, {}}, {7, {}}, 0, "seven"},
                                     {{3, {}}, {9, {}}, 0, "nine"}});
        ASSERT_TRUE(
            ChangeIconGroup(exe, "MAINICON", Icon(BuildIcon(std::vector<uint32_t>(c.images, 8)))));
        auto update = BeginResUpdate(Wide(exe), false);
        std::span<const uint8_t> group;
        ASSERT_TRUE(GetIconGroup(*update, u"MAINICON", 0, group));
        EXPECT_EQ(Ids(group), c.ids) << c.images;
        EXPECT_EQ(Children(Child(update->Root.get(), 3)), c.icons) << c.images;
        EndResUpdate(std::move(update), true);
    }
}

TEST_F(IconGroup, EntriesAreCopiedUnchangedEvenWithZeroPlanesAndBitCount) {
    const std::string exe = Exe({{{10, {}}, {1, {}}, 0, "data"}});
    const std::string icon = BuildIcon({40, 3}, 0, 0);
    ASSERT_TRUE(ChangeIconGroup(exe, "MAINICON", Icon(icon)));
    auto update = BeginResUpdate(Wide(exe), false);
    std::span<const uint8_t> group;
    ASSERT_TRUE(GetIconGroup(*update, u"MAINICON", 0, group));
    ASSERT_EQ(group.size(), 6u + 14 * 2);
    const std::string bytes(group.begin(), group.end());
    EXPECT_EQ(bytes.substr(0, 6), icon.substr(0, 6));
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(bytes.substr(6 + 14 * i, 12), icon.substr(6 + 16 * i, 12)) << i;
        EXPECT_EQ(U16At(bytes, 6 + 14 * i + 4), 0) << i;
        EXPECT_EQ(U16At(bytes, 6 + 14 * i + 6), 0) << i;
    }
    EndResUpdate(std::move(update), true);
}

TEST_F(IconGroup, BadIconFilesFailButTheSectionIsStillRewritten) {
    std::string pastEnd = BuildIcon({16});
    pastEnd.replace(6 + 8, 1, 1, '\x11');  // one byte more than the file holds
    struct Case {
        const char* what;
        std::string path;
        bool groupKept;
    };
    const std::vector<Case> cases = {
        {"empty path", "", true},
        {"missing file", (dir_ / "none.ico").string(), true},
        {"shorter than its directory", Icon(BuildIcon({4}).substr(0, 20)), true},
        {"image past the end", Icon(pastEnd), true},
    };
    for (const Case& c : cases) {
        const std::string exe =
            Exe({{{14, {}}, {0, u"MAINICON"}, 0, Group({1})}, {{3, {}}, {1, {}}, 0, "image"}});
        const std::string before = ReadAll(exe);
        EXPECT_FALSE(ChangeIconGroup(exe, "MAINICON", c.path)) << c.what;
        const std::string after = ReadAll(exe);
        EXPECT_NE(after, before) << c.what << ": rewritten in the new layout";
        EXPECT_EQ(U32At(after, 0x98 + 64), ReferenceChecksum(after, 0x98 + 64)) << c.what;
        auto update = BeginResUpdate(Wide(exe), false);
        std::span<const uint8_t> group;
        EXPECT_EQ(GetIconGroup(*update, u"MAINICON", 0, group), c.groupKept) << c.what;
        EndResUpdate(std::move(update), true);
    }
    EXPECT_FALSE(
        ChangeIconGroup((dir_ / "missing.exe").string(), "MAINICON", Icon(BuildIcon({4}))));
}

TEST_F(IconGroup, NextFreeIconIdSkipsIdsInUse) {
    const std::string exe =
        Exe({{{3, {}}, {1, {}}, 0, "a"}, {{3, {}}, {50, {}}, 0, "b"}, {{3, {}}, {51, {}}, 0, "c"}});
    auto update = BeginResUpdate(Wide(exe), false);
    uint32_t start = 50;
    EXPECT_EQ(NextFreeIconId(*update, start), 52u);
    EXPECT_EQ(start, 52u);
    start = 1;
    EXPECT_EQ(NextFreeIconId(*update, start), 2u);
    EndResUpdate(std::move(update), true);

    auto empty = BeginResUpdate(Wide(exe), true);
    start = 50;
    EXPECT_EQ(NextFreeIconId(*empty, start), 50u);
    EndResUpdate(std::move(empty), true);
}

}  // namespace
}  // namespace kolvane::iconchanger
