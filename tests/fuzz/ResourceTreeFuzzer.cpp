// Arbitrary file bytes through BeginResUpdate, a few changes and a commit. Whatever the
// input, nothing may read or write out of bounds, a committed file must read back with the
// tree that was committed, and its checksum must be the one of the whole file.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzTempFile.h"
#include "iconchanger/IconChangerUnit.h"

using namespace kolvane::iconchanger;

namespace {

std::string Describe(const TResItem& item) {
    std::string out = item.IsDir ? "D" : "L";
    out += std::to_string(item.Id) + ":" + std::to_string(item.Name.size());
    if (!item.IsDir) out += "/" + std::to_string(item.Size) + "/" + std::to_string(item.CodePage);
    out += "(";
    for (auto* child = item.FirstChild.get(); child; child = child->Next.get())
        out += Describe(*child);
    return out + ")";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = kolvane::fuzz::ScratchPath("tree");
    kolvane::fuzz::WriteFile(path, data, size);
    const std::u16string wide(path.begin(), path.end());

    auto update = BeginResUpdate(wide, false);
    if (!update) return 0;
    std::span<const uint8_t> bytes;
    GetResData(*update, kRtGroupIcon, u"MAINICON", 0, bytes);
    const uint8_t icon[40] = {1, 2, 3};
    UpdateRes(*update, kRtIcon, 50, 0, icon, sizeof icon);
    UpdateRes(*update, 10, 0, 0, nullptr, 0);
    UpdateRes(*update, kRtGroupIcon, u"MAINICON", 0, icon, 20);
    const std::string committed = Describe(*update->Root);
    if (!EndResUpdate(std::move(update), false)) return 0;

    std::ifstream in(path, std::ios::binary);
    const std::string written{std::istreambuf_iterator<char>(in), {}};
    std::string recomputed = written;
    PeImageChecksum(reinterpret_cast<uint8_t*>(recomputed.data()), recomputed.size());
    if (recomputed != written) std::abort();

    auto again = BeginResUpdate(wide, false);
    if (!again || Describe(*again->Root) != committed) std::abort();
    EndResUpdate(std::move(again), true);
    return 0;
}
