#pragma once
// Bounds-checked little-endian access to mapped PE files and the header positions the
// resource editor uses. Every read and write checks its range; a miss throws
// MalformedImage, which the public functions turn into a failure.
#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace kolvane::iconchanger {

struct MalformedImage : std::runtime_error {
    MalformedImage() : std::runtime_error("malformed executable image") {}
};

class ByteRange {
  public:
    ByteRange(uint8_t* data, uint64_t size) : data_(data), size_(size) {}

    uint64_t Size() const { return size_; }
    bool Has(uint64_t offset, uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    uint8_t* At(uint64_t offset, uint64_t length) const {
        if (!Has(offset, length)) throw MalformedImage();
        return data_ + offset;
    }
    uint16_t U16(uint64_t offset) const { return static_cast<uint16_t>(Read(offset, 2)); }
    uint32_t U32(uint64_t offset) const { return static_cast<uint32_t>(Read(offset, 4)); }
    void PutU16(uint64_t offset, uint16_t value) const { Write(offset, value, 2); }
    void PutU32(uint64_t offset, uint32_t value) const { Write(offset, value, 4); }

  private:
    uint64_t Read(uint64_t offset, unsigned width) const {
        const uint8_t* p = At(offset, width);
        uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i) value |= uint64_t{p[i]} << (8 * i);
        return value;
    }
    void Write(uint64_t offset, uint32_t value, unsigned width) const {
        uint8_t* p = At(offset, width);
        for (unsigned i = 0; i < width; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
    }

    uint8_t* data_;
    uint64_t size_;
};

// On-disk record sizes and field offsets.
inline constexpr uint64_t kFileHeaderSize = 20;
inline constexpr uint64_t kSectionHeaderSize = 40;
inline constexpr uint64_t kDebugEntrySize = 28;
inline constexpr uint64_t kResDirectorySize = 16;
inline constexpr uint64_t kResEntrySize = 8;
inline constexpr uint64_t kResDataEntrySize = 16;
inline constexpr uint32_t kHighBit = 0x80000000u;

namespace opt {  // offsets from the start of the optional header
inline constexpr uint64_t kSizeOfInitializedData = 8;
inline constexpr uint64_t kSectionAlignment = 32;
inline constexpr uint64_t kFileAlignment = 36;
inline constexpr uint64_t kSizeOfImage = 56;
inline constexpr uint64_t kCheckSum = 64;
}  // namespace opt

namespace sec {  // offsets within a section header
inline constexpr uint64_t kVirtualSize = 8;
inline constexpr uint64_t kVirtualAddress = 12;
inline constexpr uint64_t kSizeOfRawData = 16;
inline constexpr uint64_t kPointerToRawData = 20;
inline constexpr uint64_t kPointerToRelocations = 24;
inline constexpr uint64_t kPointerToLinenumbers = 28;
}  // namespace sec

inline constexpr unsigned kResourceDirectory = 2;
inline constexpr unsigned kSecurityDirectory = 4;
inline constexpr unsigned kDebugDirectory = 6;

// Where the headers of a PE32 or PE32+ file stand in a view.
struct PeHeaders {
    uint64_t Signature = 0;
    uint64_t Optional = 0;
    uint64_t DataDirectories = 0;
    uint32_t DataDirectoryCount = 0;  // at most 16
    uint64_t SectionTable = 0;
    uint16_t NumberOfSections = 0;

    uint64_t Section(unsigned index) const { return SectionTable + kSectionHeaderSize * index; }
    uint64_t DirectoryAddress(unsigned k) const { return DataDirectories + 8 * k; }
    uint64_t DirectorySize(unsigned k) const { return DataDirectories + 8 * k + 4; }
};

// Checks "MZ", the signature, the optional header's magic and that the whole section table
// lies inside the view. Throws MalformedImage otherwise.
PeHeaders FindPeHeaders(const ByteRange& view);

// The first section whose VirtualAddress equals the resource directory's, if any.
std::optional<unsigned> FindResourceSection(const ByteRange& view, const PeHeaders& pe);

inline uint64_t AlignUp(uint64_t n, uint32_t a) {
    return (n + a - 1) / a * a;
}

}  // namespace kolvane::iconchanger
