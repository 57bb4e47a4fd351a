#include <gtest/gtest.h>

#include <filesystem>

#include "unit/iconchanger/IconChangerTestSupport.h"

namespace kolvane::iconchanger {
namespace {

using testing::BuildPe;
using testing::PeLayout;

// The tree as text: "type/name/language" per data item, in list order; names in quotes.
std::string Key(const TResItem& item) {
    if (item.Name.empty()) return std::to_string(item.Id);
    std::string key(1, '"');
    key.append(item.Name.begin(), item.Name.end());
    key += '"';
    return key;
}

std::string Describe(const TResUpdate& update) {
    std::string out;
    for (auto* t = update.Root->FirstChild.get(); t; t = t->Next.get())
        for (auto* n = t->FirstChild.get(); n; n = n->Next.get())
            for (auto* l = n->FirstChild.get(); l; l = l->Next.get())
                for (const std::string& part :
                     {std::string(out.empty() ? "" : " "), Key(*t), std::string("/"), Key(*n),
                      std::string("/"), Key(*l)})
                    out += part;
    return out;
}

void ExpectCountsMatch(const TResItem& dir) {
    uint32_t named = 0, ids = 0;
    for (auto* c = dir.FirstChild.get(); c; c = c->Next.get()) {
        (c->Name.empty() ? ids : named)++;
        if (c->IsDir) ExpectCountsMatch(*c);
    }
    EXPECT_EQ(dir.NamedCount, named);
    EXPECT_EQ(dir.IdCount, ids);
}

class ResourceTree : public TempFolderTest {
  protected:
    std::unique_ptr<TResUpdate> Open() {
        PeLayout layout;
        layout.resources = {
            {{14, {}}, {0, u"PACKAGEINFO"}, 0, "p"}, {{3, {}}, {1, {}}, 1033, "a"},
            {{3, {}}, {1, {}}, 1046, "b"},           {{3, {}}, {4, {}}, 0, "c"},
            {{3, {}}, {4, {}}, 1033, "d"},
        };
        auto update = BeginResUpdate(Wide(Put("t.exe", BuildPe(layout))), false);
        EXPECT_TRUE(update);
        return update;
    }
};

TEST_F(ResourceTree, UpdatesFollowTheInsertAndDeleteRules) {
    struct Step {
        ResKey type, name;
        uint16_t language;
        const char* payload;  // null deletes
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        const char* expected;
    };
    const char* const kStart = "3/1/1033 3/1/1046 3/4/0 3/4/1033 14/\"PACKAGEINFO\"/0";
    const std::vector<Case> cases = {
        {"nothing", {}, kStart},
        {"names sort before, lowercase after every uppercase name",
         {{14, u"MAINICON", 0, "m"}, {14, u"aaa", 0, "l"}, {14, u"ZZ", 0, "z"}},
         "3/1/1033 3/1/1046 3/4/0 3/4/1033 14/\"MAINICON\"/0 14/\"PACKAGEINFO\"/0 "
         "14/\"ZZ\"/0 14/\"aaa\"/0"},
        {"numbers sort after names, ascending; languages ascending",
         {{3, 2, 1040, "x"}, {3, 2, 7, "y"}, {3, u"N", 0, "n"}, {10, 1, 0, "r"}, {1, 9, 0, "q"}},
         "1/9/0 3/\"N\"/0 3/1/1033 3/1/1046 3/2/7 3/2/1040 3/4/0 3/4/1033 10/1/0 "
         "14/\"PACKAGEINFO\"/0"},
        {"replace keeps the position", {{3, 1, 1046, "B"}}, kStart},
        {"lookups are case-sensitive", {{14, u"packageinfo", 0, nullptr}}, kStart},
        {"language 0 deletes only the language-0 item when there is one",
         {{3, 4, 0, nullptr}},
         "3/1/1033 3/1/1046 3/4/1033 14/\"PACKAGEINFO\"/0"},
        {"language 0 otherwise deletes every language of the name",
         {{3, 1, 0, nullptr}},
         "3/4/0 3/4/1033 14/\"PACKAGEINFO\"/0"},
        {"other languages that are missing delete nothing", {{3, 1, 7, nullptr}}, kStart},
        {"the last item takes its name and type along",
         {{14, u"PACKAGEINFO", 0, nullptr}},
         "3/1/1033 3/1/1046 3/4/0 3/4/1033"},
        {"name 0 in language 0 deletes the whole type",
         {{3, 0, 0, nullptr}},
         "14/\"PACKAGEINFO\"/0"},
        {"name 0 in another language deletes nothing", {{3, 0, 1033, nullptr}}, kStart},
        {"missing type deletes nothing", {{5, 0, 0, nullptr}}, kStart},
    };
    for (const Case& c : cases) {
        auto update = Open();
        for (const Step& s : c.steps)
            EXPECT_TRUE(
                UpdateRes(*update, s.type, s.name, s.language, s.payload, s.payload ? 1 : 0))
                << c.what;
        EXPECT_EQ(Describe(*update), c.expected) << c.what;
        ExpectCountsMatch(*update->Root);
        EndResUpdate(std::move(update), true);
    }
}

TEST_F(ResourceTree, NewDirectoriesStartZeroedAndReadOnesKeepTheirValues) {
    auto update = Open();
    ASSERT_TRUE(UpdateRes(*update, 3, 50, 0, "i", 1));
    for (auto* n = update->Root->FirstChild->FirstChild.get(); n; n = n->Next.get())
        EXPECT_EQ(n->TimeDateStamp, n->Id == 50 ? 0u : 0x5EED0001u) << n->Id;
    std::span<const uint8_t> bytes;
    EXPECT_FALSE(GetResData(*update, 3, 50, 1033, bytes));
    EXPECT_TRUE(bytes.empty());
    ASSERT_TRUE(GetResData(*update, 3, 4, 1033, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "d");
    ASSERT_TRUE(GetResData(*update, 3, 50, 0, bytes)) << "a payload set in this update";
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "i");
    EXPECT_FALSE(UpdateRes(*update, 3, u"", 0, "x", 1)) << "an empty name is no key";
    EndResUpdate(std::move(update), true);
}

TEST_F(ResourceTree, PayloadsAbove32768BytesLiveInTemporaryFilesUntilTheUpdateEnds) {
    auto update = Open();
    const std::string atLimit(32768, 'k'), above(32769, 's');
    ASSERT_TRUE(UpdateRes(*update, 10, 1, 0, atLimit.data(), 32768));
    ASSERT_TRUE(UpdateRes(*update, 10, 2, 0, above.data(), 32769));
    const TResItem& first = *update->Root->FirstChild->Next->FirstChild->FirstChild;
    const TResItem& second = *update->Root->FirstChild->Next->FirstChild->Next->FirstChild;
    EXPECT_EQ(first.Data.size(), 32768u);
    EXPECT_FALSE(first.SpillFile);
    EXPECT_TRUE(second.Data.empty());
    ASSERT_TRUE(second.SpillFile);

    const std::string spill = TempItemFileName(second);
    const std::string pattern = TempFolder() + "$qel$res$";
    char pid[16];
    std::snprintf(pid, sizeof pid, "%08x$", CurrentProcessId());
    EXPECT_EQ(spill.rfind(pattern + pid, 0), 0u) << spill;
    EXPECT_EQ(spill.back(), '$');
    EXPECT_NE(spill, TempItemFileName(first));
    EXPECT_TRUE(std::filesystem::exists(spill));  // held exclusively: the commit reads it

    // Replacing with a small payload drops the file; a large one goes back to a file.
    ASSERT_TRUE(UpdateRes(*update, 10, 2, 0, "s", 1));
    EXPECT_FALSE(std::filesystem::exists(spill));
    ASSERT_TRUE(UpdateRes(*update, 10, 2, 0, above.data(), 32769));
    EXPECT_TRUE(std::filesystem::exists(spill));
    const auto path = dir_ / "t.exe";
    ASSERT_TRUE(EndResUpdate(std::move(update), false));
    EXPECT_FALSE(std::filesystem::exists(spill));

    update = BeginResUpdate(Wide(path), false);
    std::span<const uint8_t> bytes;
    ASSERT_TRUE(GetResData(*update, 10, 2, 0, bytes));
    EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == above);
    EndResUpdate(std::move(update), true);
}

TEST_F(ResourceTree, WithoutATemporaryFolderLargePayloadsStayInMemory) {
    auto update = Open();
    const std::string above(40000, 'm');
    {
        ScopedTempFolder missing(dir_ / "missing");
        ASSERT_TRUE(UpdateRes(*update, 10, 2, 0, above.data(), 40000));
    }
    const auto path = dir_ / "t.exe";
    ASSERT_TRUE(EndResUpdate(std::move(update), false));
    update = BeginResUpdate(Wide(path), false);
    std::span<const uint8_t> bytes;
    ASSERT_TRUE(GetResData(*update, 10, 2, 0, bytes));
    EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == above);
    EndResUpdate(std::move(update), true);
}

}  // namespace
}  // namespace kolvane::iconchanger
