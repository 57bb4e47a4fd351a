#include <gtest/gtest.h>

#include <filesystem>

#include "iconchanger/PeImage.h"
#include "unit/iconchanger/IconChangerTestSupport.h"

namespace kolvane::iconchanger {
namespace {

using testing::BuildPe;
using testing::FixtureResource;
using testing::PeLayout;
using testing::U16At;
using testing::U32At;

constexpr uint64_t kOpt = FixtureHeaders::kOptional;

std::string Filled(size_t size, char base) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(base + i % 23);
    return s;
}

// Named and numbered entries at every level, several languages.
PeLayout MixedResources() {
    PeLayout layout;
    layout.resources = {
        {{14, {}}, {0, u"MAINICON"}, 1033, Filled(20, 'a')},
        {{14, {}}, {0, u"OTHER"}, 0, Filled(34, 'b')},
        {{3, {}}, {1, {}}, 1033, Filled(744, 'c')},
        {{3, {}}, {2, {}}, 1033, Filled(301, 'd')},
        {{0, u"PNG"}, {7, {}}, 0, Filled(90, 'e')},
        {{0, u"PNG"}, {0, u"LOGO"}, 0, Filled(33, 'f')},
        {{10, {}}, {5, {}}, 0, Filled(3, 'g')},
        {{10, {}}, {5, {}}, 1046, Filled(4, 'h')},
    };
    layout.appended = "SO!#PACKAGE\xB6payload-bytes-EO!#PACKAGE";
    return layout;
}

class ResourceEditor : public TempFolderTest {};

// Adds RCDATA 2 of `size` bytes in one committed update.
bool AddResource(const std::filesystem::path& path, uint32_t size) {
    auto update = BeginResUpdate(Wide(path), false);
    const std::string bytes = Filled(size, 'B');
    return update && UpdateRes(*update, 10, 2, 0, bytes.data(), size) &&
           EndResUpdate(std::move(update), false);
}

TEST_F(ResourceEditor, CommitWithoutChangesRebuildsThePreOrderLayoutAndIsAFixedPoint) {
    for (bool pe32Plus : {false, true}) {
        PeLayout layout = MixedResources();
        layout.pe32Plus = pe32Plus;
        const std::string original = BuildPe(layout);
        const auto path = Put("a.exe", original);
        ASSERT_TRUE(EndResUpdate(BeginResUpdate(Wide(path), false), false));
        const std::string once = ReadAll(path);

        // Root with four types; types "PNG", 3 and 14 with two names, 10 with one; six
        // names with one language and one with two; eight data entries. Name strings only
        // for the named children: "PNG", "LOGO", "MAINICON", "OTHER".
        const uint32_t dirBytes =
            (16 + 4 * 8) + 3 * (16 + 2 * 8) + (16 + 8) + 6 * (16 + 8) + (16 + 2 * 8) + 8 * 16;
        const uint32_t nameBytes = (2 + 6) + (2 + 8) + (2 + 16) + (2 + 10);
        uint32_t dataBytes = 0;
        for (const FixtureResource& r : layout.resources)
            dataBytes += static_cast<uint32_t>((r.data.size() + 3) / 4 * 4);
        const uint32_t newSize = (dirBytes + nameBytes + 3) / 4 * 4 + dataBytes;
        const FixtureHeaders at(pe32Plus);
        EXPECT_EQ(U32At(once, at.dirs + 8 * 2 + 4), newSize);
        EXPECT_EQ(U32At(once, at.Section(2) + 8), newSize);
        // Pre-order: the root's first entry (the named type "PNG") points right behind
        // the root's own entries, and its name sits at the start of the name area.
        const uint64_t res = testing::kFixtureResourceRaw;
        EXPECT_EQ(U32At(once, res + 16), 0x80000000u | dirBytes);
        EXPECT_EQ(U32At(once, res + 20), 0x80000000u | (16 + 4 * 8));
        EXPECT_EQ(U16At(once, res + dirBytes), 3);
        EXPECT_EQ(U32At(once, kOpt + 64), ReferenceChecksum(once, kOpt + 64));
        EXPECT_TRUE(once.ends_with(layout.appended));

        // Every resource reads back unchanged.
        auto update = BeginResUpdate(Wide(path), false);
        ASSERT_TRUE(update);
        for (const FixtureResource& r : layout.resources) {
            std::span<const uint8_t> bytes;
            const ResKey type = r.type.name.empty() ? ResKey(r.type.id) : ResKey(r.type.name);
            const ResKey name = r.name.name.empty() ? ResKey(r.name.id) : ResKey(r.name.name);
            ASSERT_TRUE(GetResData(*update, type, name, r.language, bytes));
            EXPECT_EQ(std::string(bytes.begin(), bytes.end()), r.data);
        }
        ASSERT_TRUE(EndResUpdate(std::move(update), false));
        EXPECT_EQ(ReadAll(path), once) << "a second commit must change nothing";
    }
}

TEST_F(ResourceEditor, GrowingLastSectionMovesTheAppendedPackage) {
    // A resource section of 83,968 bytes that gains a 744-byte image and a 20-byte group.
    PeLayout layout;
    layout.relocAfter = false;
    layout.resources = {{{10, {}}, {1, {}}, 0, Filled(83364, 'r')}};
    layout.resourceRawSize = 83968;
    layout.appended = Filled(5000, 'p');
    const std::string original = BuildPe(layout);
    const auto path = Put("setup.exe", original);

    auto update = BeginResUpdate(Wide(path), false);
    ASSERT_TRUE(update);
    const std::string image = Filled(744, 'i'), group = Filled(20, 'g');
    ASSERT_TRUE(UpdateRes(*update, kRtIcon, 50, 0, image.data(), 744));
    ASSERT_TRUE(UpdateRes(*update, kRtGroupIcon, u"MAINICON", 0, group.data(), 20));
    ASSERT_TRUE(EndResUpdate(std::move(update), false));

    const std::string after = ReadAll(path);
    const FixtureHeaders at(false);
    EXPECT_EQ(U32At(after, at.Section(2) + 8), 84380u);
    EXPECT_EQ(U32At(after, at.dirs + 8 * 2 + 4), 84380u);
    EXPECT_EQ(U32At(after, at.Section(2) + 16), 84480u);
    EXPECT_EQ(after.size(), original.size() + 512);
    EXPECT_EQ(after.substr(testing::kFixtureResourceRaw + 84480), layout.appended);
    EXPECT_EQ(U32At(after, kOpt + 8), U32At(original, kOpt + 8) + 512);
    EXPECT_EQ(U32At(after, kOpt + 56), U32At(original, kOpt + 56));
    EXPECT_EQ(U32At(after, kOpt + 64), ReferenceChecksum(after, kOpt + 64));
}

TEST_F(ResourceEditor, LaterSectionsDirectoriesAndDebugDataMoveWithTheSection) {
    struct Case {
        bool pe32Plus;
        uint32_t debugSize;
        unsigned movedEntries;
    };
    for (const Case& c : {Case{false, 28, 1}, Case{false, 1, 1}, Case{false, 56, 2},
                          Case{true, 56, 2}, Case{true, 28, 1}}) {
        SCOPED_TRACE(::testing::PrintToString(c.pe32Plus) + " debug size " +
                     std::to_string(c.debugSize));
        PeLayout layout;
        layout.pe32Plus = c.pe32Plus;
        layout.resources = {{{10, {}}, {1, {}}, 0, Filled(60, 'x')}};
        layout.debugDirectorySize = c.debugSize;
        layout.appended = "tail";
        const std::string original = BuildPe(layout);
        const auto path = Put("b.exe", original);
        const FixtureHeaders at(c.pe32Plus);
        const uint64_t reloc = at.Section(3);
        const uint32_t oldRelocRaw = U32At(original, reloc + 20);

        // Growing to 5,200 bytes: the section needs 0x1600 bytes in the file instead of
        // 0x200, and two pages of address space instead of one.
        ASSERT_TRUE(AddResource(path, 5000));
        const std::string after = ReadAll(path);
        const int64_t rawDelta = 0x1600 - 0x200, virtDelta = 0x1000;

        EXPECT_EQ(U32At(after, reloc + 12), U32At(original, reloc + 12) + virtDelta);
        EXPECT_EQ(U32At(after, reloc + 20), oldRelocRaw + rawDelta);
        EXPECT_EQ(after.substr(oldRelocRaw + rawDelta, 0x200), original.substr(oldRelocRaw, 0x200));
        EXPECT_EQ(U32At(after, at.dirs + 8 * 5), U32At(original, at.dirs + 8 * 5) + virtDelta);
        EXPECT_EQ(U32At(after, at.dirs + 8 * 6), 0x2000u) << "below the resources: stays";
        EXPECT_EQ(U32At(after, kOpt + 56), U32At(original, kOpt + 56) + virtDelta);
        for (unsigned i = 0; i < 2; ++i) {
            const uint64_t entry = testing::kFixtureRdataRaw + 28 * i;
            const int64_t moveRaw = i < c.movedEntries ? rawDelta : 0;
            const int64_t moveVirt = i < c.movedEntries ? virtDelta : 0;
            EXPECT_EQ(U32At(after, entry + 24), U32At(original, entry + 24) + moveRaw) << i;
            EXPECT_EQ(U32At(after, entry + 20), U32At(original, entry + 20) + moveVirt) << i;
        }
        EXPECT_TRUE(after.ends_with("tail"));
        EXPECT_EQ(U32At(after, kOpt + 64), ReferenceChecksum(after, kOpt + 64));

        // Removing it again shrinks the file back to its old length; the tail moves down.
        auto update = BeginResUpdate(Wide(path), false);
        ASSERT_TRUE(update);
        ASSERT_TRUE(UpdateRes(*update, 10, 2, 0, nullptr, 0));
        ASSERT_TRUE(EndResUpdate(std::move(update), false));
        const std::string back = ReadAll(path);
        EXPECT_EQ(back.size(), original.size());
        EXPECT_EQ(U32At(back, reloc + 20), oldRelocRaw);
        EXPECT_EQ(U32At(back, reloc + 12), U32At(original, reloc + 12));
        EXPECT_EQ(back.substr(oldRelocRaw), original.substr(oldRelocRaw));
    }
}

TEST_F(ResourceEditor, SectionWithoutFileDataAndCertificateTableAreMovedSoundly) {
    PeLayout layout;
    layout.resources = {{{10, {}}, {1, {}}, 0, Filled(60, 'x')}};
    std::string file = BuildPe(layout);
    const FixtureHeaders at(false);
    // .reloc turned into uninitialised data, and a certificate table in the appended bytes.
    file.replace(at.Section(3) + 16, 8, 8, '\0');
    const uint32_t certificate = static_cast<uint32_t>(file.size());
    file += std::string(16, 'C');
    file.replace(at.dirs + 8 * 4, 4, reinterpret_cast<const char*>(&certificate), 4);
    const auto path = Put("c.exe", file);

    ASSERT_TRUE(AddResource(path, 5000));
    const std::string after = ReadAll(path);
    EXPECT_EQ(U32At(after, at.Section(3) + 20), 0u);
    EXPECT_EQ(U32At(after, at.dirs + 8 * 4), certificate + 0x1400);
    EXPECT_EQ(after.substr(certificate + 0x1400), std::string(16, 'C'));
}

TEST_F(ResourceEditor, ChecksumCoversDebugEntriesRewrittenInsideTheMovedTail) {
    PeLayout layout;
    layout.resources = {{{10, {}}, {1, {}}, 0, Filled(60, 'x')}};
    layout.debugDirectorySize = 28;
    std::string file = BuildPe(layout);
    const FixtureHeaders at(false);
    // The debug directory moves into .reloc, behind the resources; its entry's file
    // position there points behind the resources too, so the commit rewrites it.
    const uint32_t relocRva = U32At(file, at.Section(3) + 12);
    const uint32_t relocRaw = U32At(file, at.Section(3) + 20);
    file.replace(at.dirs + 8 * 6, 4, reinterpret_cast<const char*>(&relocRva), 4);
    file.replace(relocRaw + 24, 4, reinterpret_cast<const char*>(&relocRaw), 4);
    const auto path = Put("g.exe", file);

    ASSERT_TRUE(AddResource(path, 5000));
    const std::string after = ReadAll(path);
    EXPECT_EQ(U32At(after, relocRaw + 0x1400 + 24), relocRaw + 0x1400);
    EXPECT_EQ(U32At(after, kOpt + 64), ReferenceChecksum(after, kOpt + 64));
}

// Found by fuzzing: a debug directory whose address falls into an empty section header
// made the commit rewrite "entries" inside the headers.
TEST_F(ResourceEditor, DebugEntriesOutsideTheirSectionDataAreLeftAlone) {
    PeLayout layout;
    layout.resources = {{{10, {}}, {1, {}}, 0, Filled(60, 'x')}};
    std::string file = BuildPe(layout);
    const FixtureHeaders at(false);
    file.replace(at.Section(3), 40, 40, '\0');
    const uint32_t debug[2] = {0x60, 0x38000000};
    file.replace(at.dirs + 8 * 6, 8, reinterpret_cast<const char*>(debug), 8);
    const auto path = Put("h.exe", file);

    ASSERT_TRUE(AddResource(path, 5000));
    const std::string after = ReadAll(path);
    EXPECT_TRUE(after.compare(0, kOpt, file, 0, kOpt) == 0) << "DOS and file headers";
    EXPECT_TRUE(after.compare(at.dirs + 8 * 6, 8, file, at.dirs + 8 * 6, 8) == 0);
    EXPECT_TRUE(after.compare(at.Section(0), 80, file, at.Section(0), 80) == 0);
    EXPECT_EQ(after.substr(at.Section(3), 40), std::string(40, '\0'));
    EXPECT_TRUE(EndResUpdate(BeginResUpdate(Wide(path), false), true));
}

TEST_F(ResourceEditor, DiscardLeavesTheFileAsItWas) {
    const std::string original = BuildPe(MixedResources());
    const auto path = Put("d.exe", original);
    auto update = BeginResUpdate(Wide(path), false);
    ASSERT_TRUE(update);
    EXPECT_FALSE(BeginResUpdate(Wide(path), false)) << "the target is open exclusively";
    ASSERT_TRUE(UpdateRes(*update, 10, 5, 0, nullptr, 0));
    EXPECT_TRUE(EndResUpdate(std::move(update), true));
    EXPECT_EQ(ReadAll(path), original);
}

TEST_F(ResourceEditor, StartEmptyDropsEveryResource) {
    const auto path = Put("e.exe", BuildPe(MixedResources()));
    ASSERT_TRUE(EndResUpdate(BeginResUpdate(Wide(path), true), false));
    const std::string after = ReadAll(path);
    EXPECT_EQ(U32At(after, FixtureHeaders(false).dirs + 8 * 2 + 4), 16u);
}

// Damaged files are refused the way a non-PE file is, and stay untouched.
TEST_F(ResourceEditor, BeginRefusesFilesThatAreNotSoundExecutables) {
    PeLayout layout;
    // Root at 0, type 10 at 24, name 1 at 48, its data entry at 72, data at 88.
    layout.resources = {{{10, {}}, {1, {}}, 0, "abcd"}};
    const std::string good = BuildPe(layout);
    const uint64_t res = testing::kFixtureResourceRaw;
    const FixtureHeaders at(false);
    auto patched = [&](uint64_t offset, uint32_t value) {
        std::string s = good;
        s.replace(offset, 4, reinterpret_cast<const char*>(&value), 4);
        return s;
    };
    struct Case {
        const char* what;
        std::string bytes;
        uint32_t error;
    };
    const std::vector<Case> cases = {
        {"empty", "", 1006},
        {"one byte", "M", kErrorBadExeFormat},
        {"no MZ", "ZM" + good.substr(2), kErrorBadExeFormat},
        {"no PE signature", patched(0x80, 0x4551), kErrorBadExeFormat},
        {"signature offset outside", patched(60, 0x7FFFFFF0), kErrorBadExeFormat},
        {"section table outside", patched(0x86, 0xFFFF), kErrorBadExeFormat},
        {"file alignment 0", patched(kOpt + 36, 0), kErrorBadExeFormat},
        {"file alignment not a power of two", patched(kOpt + 36, 0x300), kErrorBadExeFormat},
        {"file alignment above 64 KiB", patched(kOpt + 36, 0x20000), kErrorBadExeFormat},
        {"no resource directory", patched(at.dirs + 16, 0), kErrorFileNotFound},
        {"no section at its address", patched(at.dirs + 16, 0x3010), kErrorFileNotFound},
        {"resource section over the headers", patched(at.Section(2) + 20, 0x100),
         kErrorBadExeFormat},
        {"section ends beyond the file", patched(at.Section(2) + 16, 0xE4030000u),
         kErrorBadExeFormat},
        {"directory refers to the root", patched(res + 20, 0x80000000u), kErrorBadExeFormat},
        {"entry counts beyond the section", patched(res + 12, 0x7FFF0000), kErrorBadExeFormat},
        {"named entry among the numbered", patched(res + 16, 0x80000010u), kErrorBadExeFormat},
        {"fourth level", patched(res + 68, 0x80000000u | 72), kErrorBadExeFormat},
        {"data entry as a type", patched(res + 44, 72), kErrorBadExeFormat},
        {"data beyond the section", patched(res + 72, 0x13000), kErrorBadExeFormat},
        {"data below the section", patched(res + 72, 0x2F00), kErrorBadExeFormat},
        {"size beyond the section", patched(res + 76, 0x10000), kErrorBadExeFormat},
    };
    for (const Case& c : cases) {
        const auto path = Put("bad.exe", c.bytes);
        EXPECT_FALSE(BeginResUpdate(Wide(path), false)) << c.what;
        EXPECT_EQ(LastErrorCode(), c.error) << c.what;
        EXPECT_EQ(ReadAll(path), c.bytes) << c.what;
    }
    EXPECT_FALSE(BeginResUpdate(Wide(dir_ / "missing.exe"), false));
    EXPECT_EQ(LastErrorCode(), kErrorFileNotFound);
    ASSERT_TRUE(EndResUpdate(BeginResUpdate(Wide(Put("good.exe", good)), false), true));
}

TEST(PeImageChecksum, MatchesTheWordByWordSumForEveryLengthParity) {
    std::string base = BuildPe(MixedResources());
    for (size_t extra : {0, 1, 2, 3, 4097}) {
        std::string file = base + Filled(extra, '\xF0');
        PeImageChecksum(reinterpret_cast<uint8_t*>(file.data()), file.size());
        EXPECT_EQ(U32At(file, kOpt + 64), ReferenceChecksum(file, kOpt + 64)) << extra;
    }
}

TEST(PeImageChecksum, AHeadAndTheSumsOfTailPiecesGiveTheWholeFilesChecksum) {
    const std::string head = BuildPe(MixedResources());
    const std::string tail = Filled(4099, '\x9B') + "odd" + Filled(17, '\x01');
    std::string whole = head + tail;
    PeImageChecksum(reinterpret_cast<uint8_t*>(whole.data()), whole.size());
    // The tail summed in pieces of odd lengths, each at its own file position.
    uint64_t tailSum = 0;
    for (size_t at = 0, piece = 1; at < tail.size(); at += piece, piece += 2) {
        piece = std::min(piece, tail.size() - at);
        tailSum += WordSum(reinterpret_cast<const uint8_t*>(tail.data() + at), head.size() + at, piece);
    }
    std::string stored = head;
    StoreChecksum(reinterpret_cast<uint8_t*>(stored.data()), stored.size(), whole.size(), tailSum);
    EXPECT_EQ(U32At(stored, kOpt + 64), U32At(whole, kOpt + 64));
}

}  // namespace
}  // namespace kolvane::iconchanger
