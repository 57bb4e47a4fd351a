// Main icon group replacement: an .ico file becomes one RT_GROUP_ICON resource and one
// RT_ICON resource per image, all in the given language.
#include <algorithm>
#include <vector>

#include "iconchanger/IconChangerUnit.h"
#include "iconchanger/PeImage.h"

namespace kolvane::iconchanger {

namespace {

constexpr uint16_t kFirstIconId = 50;
constexpr uint64_t kIconDirSize = 6;
constexpr uint64_t kIconFileEntrySize = 16;  // ... dwBytesInRes, dwImageOffset
constexpr uint64_t kGroupEntrySize = 14;     // ... dwBytesInRes, nID
constexpr uint64_t kSharedEntryBytes = 12;   // bWidth through dwBytesInRes
static_assert(kSharedEntryBytes + 4 == kIconFileEntrySize);
static_assert(kSharedEntryBytes + 2 == kGroupEntrySize);

ByteRange Bytes(std::string& text) {
    return {reinterpret_cast<uint8_t*>(text.data()), text.size()};
}

// The nID values of a stored group, in entry order; a group cut short lists what fits.
std::vector<uint16_t> GroupIconIds(std::span<const uint8_t> group) {
    std::vector<uint16_t> ids;
    if (group.size() < kIconDirSize) return ids;
    const ByteRange bytes(const_cast<uint8_t*>(group.data()), group.size());
    const uint64_t count =
        std::min<uint64_t>(bytes.U16(4), (group.size() - kIconDirSize) / kGroupEntrySize);
    for (uint64_t i = 0; i < count; ++i)
        ids.push_back(bytes.U16(kIconDirSize + kGroupEntrySize * i + kSharedEntryBytes));
    return ids;
}

}  // namespace

bool GetIconGroup(const TResUpdate& update, const ResKey& name, uint16_t language,
                  std::span<const uint8_t>& bytes) {
    return GetResData(update, kRtGroupIcon, name, language, bytes);
}

uint32_t NextFreeIconId(const TResUpdate& update, uint32_t& start) {
    for (const TResItem* type = update.Root->FirstChild.get(); type; type = type->Next.get()) {
        if (!type->IsDir || !type->Name.empty() || type->Id != kRtIcon) continue;
        for (const TResItem* icon = type->FirstChild.get(); icon; icon = icon->Next.get())
            if (icon->Name.empty() && static_cast<uint32_t>(icon->Id) == start) ++start;
        break;
    }
    return start;
}

bool DeleteIconGroup(TResUpdate& update, const ResKey& name, uint16_t language) {
    std::span<const uint8_t> group;
    if (!GetIconGroup(update, name, language, group)) return true;
    // The group's bytes live in the mapping or in the item about to be removed.
    const std::vector<uint16_t> ids = GroupIconIds(group);
    if (!UpdateRes(update, kRtGroupIcon, name, language, nullptr, 0)) return false;
    bool ok = true;
    for (uint16_t id : ids) ok = UpdateRes(update, kRtIcon, id, language, nullptr, 0) && ok;
    return ok;
}

bool LoadIconGroupFromFile(TResUpdate& update, const ResKey& name, uint16_t language,
                           const std::u16string& iconFile) {
    try {
        std::string icon;
        if (!ReadWholeFile(iconFile, icon) || icon.size() < kIconDirSize) return false;
        const ByteRange file = Bytes(icon);
        const uint16_t count = file.U16(4);
        if (!file.Has(kIconDirSize, kIconFileEntrySize * count)) return false;
        // Every image must lie inside the file before anything is deleted.
        for (uint64_t i = 0; i < count; ++i) {
            const uint64_t entry = kIconDirSize + kIconFileEntrySize * i;
            if (!file.Has(file.U32(entry + 12), file.U32(entry + 8))) return false;
        }

        std::span<const uint8_t> oldGroup;
        std::vector<uint16_t> oldIds;
        if (GetIconGroup(update, name, language, oldGroup)) oldIds = GroupIconIds(oldGroup);
        uint32_t start =
            oldIds.empty() ? kFirstIconId : *std::min_element(oldIds.begin(), oldIds.end());
        DeleteIconGroup(update, name, language);

        std::string group(kIconDirSize + kGroupEntrySize * count, '\0');
        const ByteRange groupBytes = Bytes(group);
        std::copy_n(file.At(0, kIconDirSize), kIconDirSize, groupBytes.At(0, kIconDirSize));
        for (uint64_t i = 0; i < count; ++i) {
            const uint64_t from = kIconDirSize + kIconFileEntrySize * i;
            const uint64_t to = kIconDirSize + kGroupEntrySize * i;
            std::copy_n(file.At(from, kSharedEntryBytes), kSharedEntryBytes,
                        groupBytes.At(to, kSharedEntryBytes));
            const uint32_t id = i < oldIds.size() ? oldIds[i] : NextFreeIconId(update, start);
            if (id > 0xFFFF) return false;  // ids are 16-bit; never wrap onto images in use
            groupBytes.PutU16(to + kSharedEntryBytes, static_cast<uint16_t>(id));
            const uint32_t size = file.U32(from + 8);
            if (!UpdateRes(update, kRtIcon, static_cast<uint16_t>(id), language,
                           file.At(file.U32(from + 12), size), size))
                return false;
        }
        return UpdateRes(update, kRtGroupIcon, name, language, group.data(),
                         static_cast<uint32_t>(group.size()));
    } catch (...) {
        return false;
    }
}

bool ChangeIconGroup(const std::string& executable, const std::string& groupName,
                     const std::string& iconFile) {
    try {
        const std::u16string wideName = AnsiToWide(groupName);
        std::unique_ptr<TResUpdate> update = BeginResUpdate(AnsiToWide(executable), false);
        if (!update) return false;
        const bool loaded = LoadIconGroupFromFile(*update, ResKey(std::u16string_view(wideName)), 0,
                                                  AnsiToWide(iconFile));
        const bool committed = EndResUpdate(std::move(update), false);
        return loaded && committed;
    } catch (...) {
        return false;
    }
}

}  // namespace kolvane::iconchanger
