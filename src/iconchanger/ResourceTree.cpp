// The resource tree: reading it from the mapped target, lookups, and the in-memory changes
// of an open update.
#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdio>
#include <unordered_set>

#include "iconchanger/IconChangerUnit.h"
#include "iconchanger/PeImage.h"

namespace kolvane::iconchanger {

namespace {

constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kMaxEntries = 0xFFFF;  // the counts are stored in 16 bits

std::atomic<uint64_t> nextSerial{1};

using Link = std::unique_ptr<TResItem>*;

// Reads the resource directory of one section. The tree has exactly three levels (types,
// names, languages); each directory may be read once, which also rules out cycles.
class TreeReader {
  public:
    TreeReader(const ByteRange& view, uint64_t rawStart, uint64_t rawLength, uint32_t rva)
        : view_(view), start_(rawStart), length_(rawLength), rva_(rva) {}

    void ReadDirectory(TResItem& dir, uint32_t offset, int level) {
        if (!seen_.insert(offset).second) throw MalformedImage();
        const uint64_t at = Position(offset, kResDirectorySize);
        dir.Characteristics = view_.U32(at);
        dir.TimeDateStamp = view_.U32(at + 4);
        dir.MajorVersion = view_.U16(at + 8);
        dir.MinorVersion = view_.U16(at + 10);
        dir.NamedCount = view_.U16(at + 12);
        dir.IdCount = view_.U16(at + 14);
        const uint64_t count = uint64_t{dir.NamedCount} + dir.IdCount;
        Position(offset, kResDirectorySize + kResEntrySize * count);

        Link tail = &dir.FirstChild;
        for (uint64_t i = 0; i < count; ++i) {
            const uint64_t entry = at + kResDirectorySize + kResEntrySize * i;
            const uint32_t name = view_.U32(entry);
            const uint32_t target = view_.U32(entry + 4);
            auto child = std::make_unique<TResItem>();
            child->IsDir = (target & kHighBit) != 0;
            // Named entries come first, and only language items hang under names.
            if (((name & kHighBit) != 0) != (i < dir.NamedCount)) throw MalformedImage();
            if (child->IsDir != (level < 2)) throw MalformedImage();
            if (name & kHighBit) {
                child->Name = ReadName(name & ~kHighBit);
            } else {
                child->Id = static_cast<int32_t>(name);
            }
            if (child->IsDir) {
                ReadDirectory(*child, target & ~kHighBit, level + 1);
            } else {
                ReadDataEntry(*child, target);
            }
            *tail = std::move(child);
            tail = &(*tail)->Next;
        }
    }

  private:
    // The view position of `length` bytes at `offset` within the section.
    uint64_t Position(uint64_t offset, uint64_t length) const {
        if (offset > length_ || length > length_ - offset) throw MalformedImage();
        return start_ + offset;
    }

    std::u16string ReadName(uint32_t offset) const {
        const uint64_t at = Position(offset, 2);
        const uint16_t units = view_.U16(at);
        if (units == 0) throw MalformedImage();  // an empty name would read as an id
        const uint8_t* p = view_.At(Position(offset, 2 + 2 * uint64_t{units}) + 2, 2 * units);
        std::u16string name(units, u'\0');
        for (size_t i = 0; i < units; ++i)
            name[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
        return name;
    }

    void ReadDataEntry(TResItem& item, uint32_t offset) const {
        const uint64_t at = Position(offset, kResDataEntrySize);
        const uint32_t dataRva = view_.U32(at);
        item.Size = view_.U32(at + 4);
        item.CodePage = view_.U32(at + 8);
        item.Reserved = view_.U32(at + 12);
        if (dataRva < rva_) throw MalformedImage();
        item.FileData = Position(dataRva - rva_, item.Size);
    }

    const ByteRange& view_;
    uint64_t start_;
    uint64_t length_;
    uint32_t rva_;
    std::unordered_set<uint32_t> seen_;
};

bool Matches(const TResItem& item, const ResKey& key) {
    return key.IsName() ? !item.Name.empty() && item.Name == key.Name()
                        : item.Name.empty() && item.Id == key.Id();
}

// The link that points at the directory child matching `key`, or null.
Link FindDir(TResItem& dir, const ResKey& key) {
    for (Link link = &dir.FirstChild; *link; link = &(*link)->Next)
        if ((*link)->IsDir && Matches(**link, key)) return link;
    return nullptr;
}

Link FindLanguage(TResItem& nameDir, uint16_t language) {
    for (Link link = &nameDir.FirstChild; *link; link = &(*link)->Next)
        if (!(*link)->IsDir && (*link)->Id == language) return link;
    return nullptr;
}

// ANSI byte order, a prefix first.
bool NameSortsBefore(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<uint8_t>(x) < static_cast<uint8_t>(y);
    });
}

void CountChild(TResItem& parent, bool named) {
    uint32_t& count = named ? parent.NamedCount : parent.IdCount;
    if (count >= kMaxEntries) throw std::length_error("too many resource entries");
    ++count;
}

void Insert(Link at, std::unique_ptr<TResItem> item) {
    item->Next = std::move(*at);
    *at = std::move(item);
}

// Inserts a new directory for `key` in sort order and returns the link to it.
Link InsertDir(TResItem& parent, const ResKey& key) {
    CountChild(parent, key.IsName());
    auto dir = std::make_unique<TResItem>();
    dir->IsDir = true;
    Link at = &parent.FirstChild;
    if (key.IsName()) {
        if (key.Name().empty() || key.Name().size() > 0xFFFF)
            throw std::length_error("resource names hold 1 to 65535 units");
        dir->Name = key.Name();
        const std::string ansi = WideToAnsi(key.Name());
        for (; *at && !(*at)->Name.empty(); at = &(*at)->Next)
            if (!NameSortsBefore(WideToAnsi((*at)->Name), ansi)) break;
    } else {
        dir->Id = key.Id();
        while (*at && (!(*at)->Name.empty() || (*at)->Id < dir->Id)) at = &(*at)->Next;
    }
    Insert(at, std::move(dir));
    return at;
}

Link InsertLanguage(TResItem& nameDir, uint16_t language) {
    CountChild(nameDir, false);
    auto item = std::make_unique<TResItem>();
    item->Id = language;
    Link at = &nameDir.FirstChild;
    while (*at && (*at)->Id < language) at = &(*at)->Next;
    Insert(at, std::move(item));
    return at;
}

void SetPayload(TResItem& item, uint16_t language, const void* payload, uint32_t length) {
    item.Id = language;
    item.FileData.reset();
    item.Size = length;
    item.CodePage = 0;
    item.Data.clear();
    item.SpillFile.reset();
    const char* bytes = static_cast<const char*>(payload);
    if (length > kMaxPayloadInMemory) {
        auto spill = std::make_unique<MappedFile>();
        if (spill->CreateTemporary(TempItemFileName(item)) && spill->WriteAt(0, bytes, length)) {
            item.SpillFile = std::move(spill);
            return;
        }
        // Without a writable temporary folder the payload stays in memory rather than
        // being lost.
    }
    item.Data.assign(bytes, length);
}

// Unlinks and destroys the item at `link` (spill files go with it).
void Remove(TResItem& parent, Link link) {
    std::unique_ptr<TResItem> item = std::move(*link);
    *link = std::move(item->Next);
    --(item->Name.empty() ? parent.IdCount : parent.NamedCount);
}

void RemoveIfEmpty(TResItem& parent, Link link) {
    if (!(*link)->FirstChild) Remove(parent, link);
}

}  // namespace

TResItem::TResItem() : Serial(nextSerial++) {}

TResItem::~TResItem() {
    // Sibling lists can be long: free them iteratively instead of by recursion.
    std::unique_ptr<TResItem> next = std::move(Next);
    while (next) next = std::move(next->Next);
}

std::string TempItemFileName(const TResItem& item) {
    char tail[48];
    std::snprintf(tail, sizeof tail, "$%08x$%llx$", static_cast<unsigned>(CurrentProcessId()),
                  static_cast<unsigned long long>(item.Serial));
    return TempFolder() + "$qel$res" + tail;
}

PeHeaders FindPeHeaders(const ByteRange& view) {
    if (view.U16(0) != 0x5A4D) throw MalformedImage();
    PeHeaders pe;
    pe.Signature = view.U32(60);
    if (view.U32(pe.Signature) != 0x00004550) throw MalformedImage();
    pe.NumberOfSections = view.U16(pe.Signature + 6);
    const uint16_t optionalSize = view.U16(pe.Signature + 20);
    pe.Optional = pe.Signature + 4 + kFileHeaderSize;
    const uint16_t magic = view.U16(pe.Optional);
    if (magic != kMagicPe32 && magic != kMagicPe32Plus) throw MalformedImage();
    const uint64_t directories = magic == kMagicPe32 ? 96 : 112;
    if (optionalSize < directories) throw MalformedImage();
    const uint32_t declared = view.U32(pe.Optional + directories - 4);
    pe.DataDirectories = pe.Optional + directories;
    pe.DataDirectoryCount =
        static_cast<uint32_t>(std::min<uint64_t>({declared, 16, (optionalSize - directories) / 8}));
    pe.SectionTable = pe.Optional + optionalSize;
    view.At(pe.SectionTable, kSectionHeaderSize * pe.NumberOfSections);
    // Loadable files align to powers of two, in the file to at most 64 KiB; anything else
    // would let one commit grow the file by gigabytes.
    const uint32_t sectionAlignment = view.U32(pe.Optional + opt::kSectionAlignment);
    const uint32_t fileAlignment = view.U32(pe.Optional + opt::kFileAlignment);
    if (!std::has_single_bit(sectionAlignment) || !std::has_single_bit(fileAlignment) ||
        fileAlignment > 0x10000)
        throw MalformedImage();
    return pe;
}

std::optional<unsigned> FindResourceSection(const ByteRange& view, const PeHeaders& pe) {
    if (pe.DataDirectoryCount <= kResourceDirectory) return std::nullopt;
    const uint32_t rva = view.U32(pe.DirectoryAddress(kResourceDirectory));
    if (rva == 0) return std::nullopt;
    for (unsigned i = 0; i < pe.NumberOfSections; ++i)
        if (view.U32(pe.Section(i) + sec::kVirtualAddress) == rva) return i;
    return std::nullopt;
}

namespace {

// BeginResUpdate up to the release on failure; false with the last error set.
bool OpenUpdate(TResUpdate& update, const std::u16string& fileName, bool startEmpty) {
    if (!update.File.OpenExisting(fileName) || !update.File.Map()) return false;
    const ByteRange view(update.File.View(), update.File.ViewSize());
    const PeHeaders pe = FindPeHeaders(view);
    update.Headers = pe.Signature;
    SetLastErrorCode(kErrorFileNotFound);
    const std::optional<unsigned> section = FindResourceSection(view, pe);
    if (!section) return false;
    const uint64_t header = pe.Section(*section);
    const uint64_t rawStart = view.U32(header + sec::kPointerToRawData);
    const uint32_t rva = view.U32(header + sec::kVirtualAddress);
    const uint64_t rawLength = view.U32(header + sec::kSizeOfRawData);
    // The rebuilt section is written at rawStart: it must not overlap the headers. A section
    // that claims more bytes than the file holds would make the commit grow the file to fit.
    if (rawStart < pe.Section(pe.NumberOfSections) || !view.Has(rawStart, rawLength))
        throw MalformedImage();
    update.Root = std::make_unique<TResItem>();
    update.Root->IsDir = true;
    if (!startEmpty) TreeReader(view, rawStart, rawLength, rva).ReadDirectory(*update.Root, 0, 0);
    return true;
}

}  // namespace

std::unique_ptr<TResUpdate> BeginResUpdate(const std::u16string& fileName, bool startEmpty) {
    auto update = std::make_unique<TResUpdate>();
    bool opened = false;
    try {
        opened = OpenUpdate(*update, fileName, startEmpty);
    } catch (const MalformedImage&) {
        SetLastErrorCode(kErrorBadExeFormat);
    } catch (...) {
        SetLastErrorCode(8);  // ERROR_NOT_ENOUGH_MEMORY
    }
    if (opened) return update;
    const uint32_t error = LastErrorCode();
    update.reset();
    SetLastErrorCode(error);
    return nullptr;
}

bool GetResData(const TResUpdate& update, const ResKey& type, const ResKey& name, uint16_t language,
                std::span<const uint8_t>& bytes) {
    bytes = {};
    try {
        Link typeDir = FindDir(*update.Root, type);
        Link nameDir = typeDir ? FindDir(**typeDir, name) : nullptr;
        Link item = nameDir ? FindLanguage(**nameDir, language) : nullptr;
        if (!item) return false;
        const TResItem& found = **item;
        if (found.FileData) {
            const ByteRange view(update.File.View(), update.File.ViewSize());
            bytes = {view.At(*found.FileData, found.Size), found.Size};
        } else if (!found.SpillFile) {
            bytes = {reinterpret_cast<const uint8_t*>(found.Data.data()), found.Data.size()};
        }
        return true;
    } catch (...) {
        bytes = {};
        return false;
    }
}

bool UpdateRes(TResUpdate& update, const ResKey& type, const ResKey& name, uint16_t language,
               const void* payload, uint32_t length) {
    try {
        TResItem& root = *update.Root;
        Link typeDir = FindDir(root, type);
        Link nameDir = typeDir ? FindDir(**typeDir, name) : nullptr;
        Link item = nameDir ? FindLanguage(**nameDir, language) : nullptr;
        if (payload) {
            if (!typeDir) typeDir = InsertDir(root, type);
            if (!nameDir) nameDir = InsertDir(**typeDir, name);
            if (!item) item = InsertLanguage(**nameDir, language);
            SetPayload(**item, language, payload, length);
        } else if (item) {
            Remove(**nameDir, item);
            RemoveIfEmpty(**typeDir, nameDir);
            RemoveIfEmpty(root, typeDir);
        } else if (nameDir) {
            if (language == 0) {
                Remove(**typeDir, nameDir);
                RemoveIfEmpty(root, typeDir);
            }
        } else if (typeDir && language == 0 && !name.IsName() && name.Id() == 0) {
            Remove(root, typeDir);
        }
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace kolvane::iconchanger
