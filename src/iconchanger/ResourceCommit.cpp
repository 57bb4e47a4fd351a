// Committing an update: the tree is laid out as a new resource section, written where the
// old one stands, and everything behind it moves by the change in its aligned size.
#include <algorithm>
#include <cstring>

#include "iconchanger/IconChangerUnit.h"
#include "iconchanger/PeImage.h"

namespace kolvane::iconchanger {

namespace {

struct SectionSizes {
    uint64_t dirBytes = 0;
    uint64_t nameBytes = 0;
    uint64_t dataBytes = 0;
};

void Measure(const TResItem& item, SectionSizes& sizes) {
    if (!item.IsDir) {
        sizes.dirBytes += kResDataEntrySize;
        sizes.dataBytes += AlignUp(item.Size, 4);
        return;
    }
    sizes.dirBytes +=
        kResDirectorySize + kResEntrySize * (uint64_t{item.NamedCount} + item.IdCount);
    for (const TResItem* child = item.FirstChild.get(); child; child = child->Next.get()) {
        if (!child->Name.empty()) sizes.nameBytes += 2 + 2 * uint64_t{child->Name.size()};
        Measure(*child, sizes);
    }
}

// Writes the tree in pre-order: directories and data entries interleaved, then the names,
// then the payloads, each at a multiple of 4.
class SectionWriter {
  public:
    SectionWriter(const ByteRange& image, const ByteRange& target, uint32_t rva,
                  const SectionSizes& sizes)
        : image_(image),
          target_(target),
          rva_(rva),
          nameCursor_(sizes.dirBytes),
          dataCursor_(AlignUp(sizes.dirBytes + sizes.nameBytes, 4)) {}

    void Write(const TResItem& item) {
        if (item.IsDir) {
            WriteDirectory(item);
        } else {
            WriteData(item);
        }
    }

  private:
    void WriteDirectory(const TResItem& dir) {
        const uint64_t at = dirCursor_;
        image_.PutU32(at, dir.Characteristics);
        image_.PutU32(at + 4, dir.TimeDateStamp);
        image_.PutU16(at + 8, dir.MajorVersion);
        image_.PutU16(at + 10, dir.MinorVersion);
        image_.PutU16(at + 12, static_cast<uint16_t>(dir.NamedCount));
        image_.PutU16(at + 14, static_cast<uint16_t>(dir.IdCount));
        dirCursor_ += kResDirectorySize + kResEntrySize * (uint64_t{dir.NamedCount} + dir.IdCount);
        uint64_t entry = at + kResDirectorySize;
        uint32_t index = 0;
        for (const TResItem* child = dir.FirstChild.get(); child; child = child->Next.get()) {
            if (index++ < dir.NamedCount) {
                image_.PutU32(entry, static_cast<uint32_t>(nameCursor_) | kHighBit);
                WriteName(child->Name);
            } else {
                image_.PutU32(entry, static_cast<uint32_t>(child->Id));
            }
            image_.PutU32(entry + 4,
                          static_cast<uint32_t>(dirCursor_) | (child->IsDir ? kHighBit : 0));
            entry += kResEntrySize;
            Write(*child);
        }
    }

    void WriteName(const std::u16string& name) {
        image_.PutU16(nameCursor_, static_cast<uint16_t>(name.size()));
        for (size_t i = 0; i < name.size(); ++i) image_.PutU16(nameCursor_ + 2 + 2 * i, name[i]);
        nameCursor_ += 2 + 2 * uint64_t{name.size()};
    }

    void WriteData(const TResItem& item) {
        image_.PutU32(dirCursor_, rva_ + static_cast<uint32_t>(dataCursor_));
        image_.PutU32(dirCursor_ + 4, item.Size);
        image_.PutU32(dirCursor_ + 8, item.CodePage);
        image_.PutU32(dirCursor_ + 12, item.Reserved);
        dirCursor_ += kResDataEntrySize;
        uint8_t* to = image_.At(dataCursor_, item.Size);
        if (item.FileData) {
            std::memcpy(to, target_.At(*item.FileData, item.Size), item.Size);
        } else if (!item.Data.empty()) {
            if (item.Data.size() != item.Size) throw MalformedImage();
            std::memcpy(to, item.Data.data(), item.Size);
        } else if (item.Size > 0) {
            if (!item.SpillFile || !item.SpillFile->ReadAt(0, to, item.Size))
                throw std::runtime_error("resource payload lost");
        }
        dataCursor_ += AlignUp(item.Size, 4);
    }

    const ByteRange& image_;
    const ByteRange& target_;
    uint32_t rva_;
    uint64_t dirCursor_ = 0;
    uint64_t nameCursor_;
    uint64_t dataCursor_;
};

}  // namespace

// Carries are deferred: 2^16 = 1 modulo 0xFFFF, so adding wider words and folding at the
// end gives the same result as folding after every word. Each step adds less than 2^33,
// so the 64-bit sum cannot overflow for any file a PE can be.
uint64_t WordSum(const uint8_t* bytes, uint64_t position, uint64_t length) {
    uint64_t sum = 0;
    uint64_t i = 0;
    if (length > 0 && position % 2 == 1) sum += uint64_t{bytes[i++]} << 8;
    for (; i + 8 <= length; i += 8) {
        uint64_t words;
        std::memcpy(&words, bytes + i, 8);  // little-endian, as every target of this program
        sum += (words & 0xFFFFFFFF) + (words >> 32);
    }
    for (; i + 2 <= length; i += 2) sum += uint32_t{bytes[i]} | (uint32_t{bytes[i + 1]} << 8);
    if (i < length) sum += bytes[i];
    return sum;
}

void StoreChecksum(uint8_t* head, uint64_t headLength, uint64_t fileLength, uint64_t tailSum) {
    const ByteRange file(head, headLength);
    const uint64_t field = FindPeHeaders(file).Optional + opt::kCheckSum;
    file.PutU32(field, 0);
    uint64_t sum = WordSum(head, 0, headLength) + tailSum;
    while (sum > 0xFFFF) sum = (sum & 0xFFFF) + (sum >> 16);
    file.PutU32(field, static_cast<uint32_t>(sum + fileLength));
}

namespace {

uint32_t Add(uint32_t value, int64_t delta) {
    return static_cast<uint32_t>(static_cast<int64_t>(value) + delta);
}

uint32_t ToU32(uint64_t value) {
    if (value > UINT32_MAX) throw MalformedImage();
    return static_cast<uint32_t>(value);
}

// The debug directory's entries carry file positions and addresses of their own data.
// Returns the end of the last entry written (0 when none was).
uint64_t MoveDebugData(const ByteRange& view, const PeHeaders& pe, uint32_t resourceRaw,
                       int64_t rawDelta, int64_t virtDelta) {
    uint64_t writtenEnd = 0;
    if (pe.DataDirectoryCount <= kDebugDirectory) return writtenEnd;
    const uint32_t size = view.U32(pe.DirectorySize(kDebugDirectory));
    if (size == 0) return writtenEnd;
    const uint32_t address = view.U32(pe.DirectoryAddress(kDebugDirectory));
    for (unsigned i = 0; i < pe.NumberOfSections; ++i) {
        const uint32_t start = view.U32(pe.Section(i) + sec::kVirtualAddress);
        if (start > address) continue;
        const bool last = i + 1 == pe.NumberOfSections;
        if (!last && view.U32(pe.Section(i + 1) + sec::kVirtualAddress) <= address) continue;
        const uint64_t raw = view.U32(pe.Section(i) + sec::kPointerToRawData);
        const uint64_t first = raw + (address - start);
        // Only entries inside the section's own file data are touched: a directory that
        // claims more would have us rewrite the headers or other sections.
        const uint64_t end =
            std::min<uint64_t>(raw + view.U32(pe.Section(i) + sec::kSizeOfRawData), view.Size());
        if (raw < pe.Section(pe.NumberOfSections)) break;
        // Some linkers store the number of entries instead of their size.
        const uint64_t count = size % kDebugEntrySize == 0 ? size / kDebugEntrySize : size;
        for (uint64_t k = 0; k < count && first + kDebugEntrySize * (k + 1) <= end; ++k) {
            const uint64_t entry = first + kDebugEntrySize * k;
            const uint32_t data = view.U32(entry + 24);
            if (data <= resourceRaw) continue;
            view.PutU32(entry + 24, Add(data, rawDelta));
            if (const uint32_t rva = view.U32(entry + 20); rva != 0)
                view.PutU32(entry + 20, Add(rva, virtDelta));
            writtenEnd = entry + kDebugEntrySize;
        }
        break;
    }
    return writtenEnd;
}

// Steps after the target was resized: header fields, the section itself, its padding.
// Returns the end of the last debug entry written (0 when none was); everything else
// written lies in front of the moved tail.
uint64_t UpdateHeaders(TResUpdate& update, unsigned resource, uint64_t newSize, int64_t rawDelta,
                       uint32_t oldRawEnd, const ByteRange& image) {
    const ByteRange view(update.File.View(), update.File.ViewSize());
    const PeHeaders pe = FindPeHeaders(view);
    update.Headers = pe.Signature;
    const uint64_t header = pe.Section(resource);
    const uint32_t fileAlignment = view.U32(pe.Optional + opt::kFileAlignment);
    const uint32_t sectionAlignment = view.U32(pe.Optional + opt::kSectionAlignment);
    const uint32_t resourceRva = view.U32(header + sec::kVirtualAddress);
    const uint32_t resourceRaw = view.U32(header + sec::kPointerToRawData);

    const uint64_t initialized = pe.Optional + opt::kSizeOfInitializedData;
    view.PutU32(initialized, Add(view.U32(initialized), rawDelta));
    const uint64_t oldVirtual = view.U32(pe.DirectorySize(kResourceDirectory));
    const int64_t virtDelta = static_cast<int64_t>(AlignUp(newSize, sectionAlignment)) -
                              static_cast<int64_t>(AlignUp(oldVirtual, sectionAlignment));
    view.PutU32(header + sec::kSizeOfRawData, ToU32(AlignUp(newSize, fileAlignment)));
    view.PutU32(header + sec::kVirtualSize, ToU32(newSize));
    view.PutU32(pe.DirectorySize(kResourceDirectory), ToU32(newSize));
    const uint64_t imageSize = pe.Optional + opt::kSizeOfImage;
    view.PutU32(imageSize, Add(view.U32(imageSize), virtDelta));

    for (unsigned i = 0; i < pe.NumberOfSections; ++i) {
        const uint64_t at = pe.Section(i);
        if (view.U32(at + sec::kVirtualAddress) <= resourceRva) continue;
        view.PutU32(at + sec::kVirtualAddress, Add(view.U32(at + sec::kVirtualAddress), virtDelta));
        // A section without file data (PointerToRawData 0) stays without.
        for (uint64_t field :
             {sec::kPointerToRawData, sec::kPointerToRelocations, sec::kPointerToLinenumbers}) {
            const uint32_t value = view.U32(at + field);
            if (value > resourceRaw) view.PutU32(at + field, Add(value, rawDelta));
        }
    }
    for (unsigned k = 0; k < pe.DataDirectoryCount; ++k) {
        const uint32_t address = view.U32(pe.DirectoryAddress(k));
        if (k == kSecurityDirectory) {
            // The certificate table is located by file position, not by address.
            if (address >= oldRawEnd) view.PutU32(pe.DirectoryAddress(k), Add(address, rawDelta));
        } else if (address > resourceRva) {
            view.PutU32(pe.DirectoryAddress(k), Add(address, virtDelta));
        }
    }
    const uint64_t debugEnd = MoveDebugData(view, pe, resourceRaw, rawDelta, virtDelta);

    std::memcpy(view.At(resourceRaw, newSize), image.At(0, newSize), newSize);
    const uint64_t padding = AlignUp(newSize, fileAlignment) - newSize;
    std::memset(view.At(resourceRaw + newSize, padding), 0, padding);
    return debugEnd;
}

enum class CommitResult { Rewritten, NoResourceSection, Failed };

// Where the checksum may stop reading: the moved tail's word sum is known already.
struct KnownTail {
    uint64_t start = UINT64_MAX;
    uint64_t sum = 0;
};

// Steps 1 to 10 of a commit.
CommitResult Commit(TResUpdate& update, KnownTail& tail) {
    const ByteRange view(update.File.View(), update.File.ViewSize());
    const PeHeaders pe = FindPeHeaders(view);
    const std::optional<unsigned> resource = FindResourceSection(view, pe);
    if (!resource) return CommitResult::NoResourceSection;
    const uint64_t header = pe.Section(*resource);
    const uint32_t rva = view.U32(header + sec::kVirtualAddress);
    const uint32_t rawStart = view.U32(header + sec::kPointerToRawData);
    const uint32_t rawSize = view.U32(header + sec::kSizeOfRawData);
    const uint32_t fileAlignment = view.U32(pe.Optional + opt::kFileAlignment);

    SectionSizes sizes;
    Measure(*update.Root, sizes);
    const uint64_t newSize = AlignUp(sizes.dirBytes + sizes.nameBytes, 4) + sizes.dataBytes;
    // Every address inside the new section, and its aligned end, must stay 32-bit.
    ToU32(uint64_t{rva} + AlignUp(newSize, fileAlignment));
    ToU32(uint64_t{rawStart} + AlignUp(newSize, fileAlignment));

    MappedFile imageFile;
    if (!imageFile.CreateTemporary(TempItemFileName(*update.Root)) || !imageFile.SetSize(newSize) ||
        !imageFile.Map())
        return CommitResult::Failed;
    const ByteRange image(imageFile.View(), imageFile.ViewSize());
    std::memset(imageFile.View(), 0, newSize);
    SectionWriter(image, view, rva, sizes).Write(*update.Root);

    const int64_t rawDelta =
        static_cast<int64_t>(AlignUp(newSize, fileAlignment)) - static_cast<int64_t>(rawSize);
    const uint32_t oldRawEnd = ToU32(uint64_t{rawStart} + rawSize);
    uint64_t movedSum = 0;
    if (rawDelta != 0 && !ResizeAtPosition(update, oldRawEnd, rawDelta, &movedSum))
        return CommitResult::Failed;
    const uint64_t debugEnd = UpdateHeaders(update, *resource, newSize, rawDelta, oldRawEnd, image);
    const uint64_t newTail = oldRawEnd + rawDelta;
    if (rawDelta != 0 && debugEnd <= newTail) tail = {newTail, movedSum};
    return CommitResult::Rewritten;
}

}  // namespace

bool ResizeAtPosition(TResUpdate& update, uint64_t position, int64_t delta, uint64_t* movedSum) {
    MappedFile& file = update.File;
    MappedFile::MovedBytes sumMoved;
    if (movedSum) {
        *movedSum = 0;
        sumMoved = [movedSum](const uint8_t* bytes, uint64_t at, uint64_t count) {
            *movedSum += WordSum(bytes, at, count);
        };
    }
    if (file.Size() < position) {
        file.Unmap();
        if (!file.SetSize(position)) return false;
    }
    const uint64_t oldSize = file.Size();
    const uint64_t tail = oldSize - position;
    const uint64_t distance = delta < 0 ? static_cast<uint64_t>(-delta) : uint64_t(delta);
    if (delta > 0) {
        file.Unmap();
        if (!file.SetSize(oldSize + distance) ||
            !file.Move(position, position + distance, tail, sumMoved))
            return false;
    } else if (delta < 0) {
        if (distance > position || !file.Move(position, position - distance, tail, sumMoved))
            return false;
        file.Unmap();
        if (!file.SetSize(oldSize - distance)) return false;
    }
    return file.View() || file.Map();
}

void PeImageChecksum(uint8_t* view, uint64_t length) { StoreChecksum(view, length, length, 0); }

bool EndResUpdate(std::unique_ptr<TResUpdate> update, bool discard) {
    if (!update) return false;
    if (discard) return true;  // releasing is destroying the update
    try {
        KnownTail tail;
        const CommitResult result = Commit(*update, tail);
        if (result == CommitResult::Failed) return false;
        const uint64_t length = update->File.ViewSize();
        StoreChecksum(update->File.View(), std::min(tail.start, length), length, tail.sum);
        return result == CommitResult::Rewritten;
    } catch (...) {
        return false;
    }
}

}  // namespace kolvane::iconchanger
