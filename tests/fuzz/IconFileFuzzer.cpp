// Arbitrary icon file bytes through LoadIconGroupFromFile into a small executable that
// already has a main icon group. A load that succeeds must leave a group that lists every
// image of the icon file under ids that all exist.
#include <cstdlib>
#include <string>

#include "FuzzTempFile.h"
#include "PeFixture.h"
#include "iconchanger/IconChangerUnit.h"

using namespace kolvane::iconchanger;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string exePath = kolvane::fuzz::ScratchPath("exe");
    static const std::string iconPath = kolvane::fuzz::ScratchPath("ico");
    static const std::string exe = [] {
        kolvane::testing::PeLayout layout;
        const std::string group = {0, 0, 1, 0,  2,  0, 16, 16, 0, 0,  1, 0, 32, 0, 4, 0, 0,
                                   0, 7, 0, 16, 16, 0, 0,  1,  0, 32, 0, 4, 0,  0, 0, 9, 0};
        layout.resources = {{{14, {}}, {0, u"MAINICON"}, 0, group},
                          {{3, {}}, {7, {}}, 0, "img7"},
                          {{3, {}}, {9, {}}, 0, "img9"},
                          {{3, {}}, {8, {}}, 1033, "img8"}};
        layout.appended = "package";
        return kolvane::testing::BuildPe(layout);
    }();
    kolvane::fuzz::WriteFile(exePath, reinterpret_cast<const uint8_t*>(exe.data()), exe.size());
    kolvane::fuzz::WriteFile(iconPath, data, size);

    auto update = BeginResUpdate(std::u16string(exePath.begin(), exePath.end()), false);
    if (!update) std::abort();
    const bool loaded = LoadIconGroupFromFile(*update, u"MAINICON", 0,
                                              std::u16string(iconPath.begin(), iconPath.end()));
    if (loaded) {
        std::span<const uint8_t> group;
        if (!GetIconGroup(*update, u"MAINICON", 0, group) || size < 6) std::abort();
        const size_t count = data[4] | (data[5] << 8);
        if (group.size() != 6 + 14 * count) std::abort();
        for (size_t i = 0; i < count; ++i) {
            const uint16_t id =
                static_cast<uint16_t>(group[6 + 14 * i + 12] | (group[6 + 14 * i + 13] << 8));
            std::span<const uint8_t> image;
            if (!GetResData(*update, kRtIcon, id, 0, image)) std::abort();
        }
    }
    if (!EndResUpdate(std::move(update), false)) std::abort();
    return 0;
}
