#pragma once
// Editing the resources of a Windows executable on disk, without the system's
// resource-update service: the resource section is rebuilt where it stands and everything
// behind it in the file, appended data included, moves by the change in its size.
//
// An update runs BeginResUpdate, any number of GetResData / UpdateRes, then exactly one
// EndResUpdate. Results are in the system's style (an update or none, a boolean, the
// thread's last-error code); exceptions never leave these functions.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "iconchanger/MappedFile.h"

namespace kolvane::iconchanger {

inline constexpr uint16_t kRtIcon = 3;
inline constexpr uint16_t kRtGroupIcon = 14;
// Payloads above this many bytes are held in a temporary file instead of memory.
inline constexpr uint32_t kMaxPayloadInMemory = 32768;

// One node of the resource tree: the root, a type or name directory, or a data item (one
// language of a resource). Children form a singly linked list owned by their parent.
struct TResItem {
    TResItem();
    ~TResItem();
    TResItem(const TResItem&) = delete;
    TResItem& operator=(const TResItem&) = delete;

    int32_t Id = 0;
    std::u16string Name;  // non-empty exactly for named entries
    std::unique_ptr<TResItem> FirstChild;
    std::unique_ptr<TResItem> Next;
    std::string Data;  // payload set during the update, up to kMaxPayloadInMemory bytes
    bool IsDir = false;

    // Directory fields.
    uint32_t Characteristics = 0;
    uint32_t TimeDateStamp = 0;
    uint16_t MajorVersion = 0;
    uint16_t MinorVersion = 0;
    uint32_t NamedCount = 0;
    uint32_t IdCount = 0;

    // Data item fields. FileData is the position of the stored bytes in the target file.
    std::optional<uint64_t> FileData;
    uint32_t Size = 0;
    std::unique_ptr<MappedFile> SpillFile;
    uint32_t CodePage = 0;
    uint32_t Reserved = 0;

    const uint64_t Serial;  // identifies the item within the process (temporary file names)
};

struct TResUpdate {
    MappedFile File;       // the target, opened exclusively, with its view
    uint64_t Headers = 0;  // position of the PE signature in the view
    std::unique_ptr<TResItem> Root;
};

// A type or name key: a number below 65536 or a non-empty UTF-16 string.
class ResKey {
  public:
    ResKey(uint16_t id) : id_(id) {}
    ResKey(std::u16string_view name) : isName_(true), name_(name) {}
    template <size_t N>  // string literals; a plain 0 stays a number
    ResKey(const char16_t (&name)[N]) : ResKey(std::u16string_view(name, N - 1)) {}

    bool IsName() const { return isName_; }
    uint16_t Id() const { return id_; }
    const std::u16string& Name() const { return name_; }

  private:
    uint16_t id_ = 0;
    bool isName_ = false;
    std::u16string name_;
};

// The name of the temporary file that belongs to `item`:
// <temp folder>$qel$res$<process id, 8 hex digits>$<item number, hex>$
std::string TempItemFileName(const TResItem& item);

std::unique_ptr<TResUpdate> BeginResUpdate(const std::u16string& fileName, bool startEmpty);

// The bytes of a resource as they stood in the file when the update began. A resource that
// received its payload during the update yields that payload while it is held in memory,
// and no bytes once it went to a temporary file.
bool GetResData(const TResUpdate& update, const ResKey& type, const ResKey& name, uint16_t language,
                std::span<const uint8_t>& bytes);

// Adds or replaces a payload; a null `payload` deletes (see the rules in the .cpp).
bool UpdateRes(TResUpdate& update, const ResKey& type, const ResKey& name, uint16_t language,
               const void* payload, uint32_t length);

// Discards or commits the update; the update is released in every case.
bool EndResUpdate(std::unique_ptr<TResUpdate> update, bool discard);

// Grows (delta > 0) or shrinks the mapped target at `position`, moving the bytes behind it;
// the view is replaced. `movedSum`, if given, receives the checksum word sum of the moved
// bytes at their new place, so that the checksum need not read them again.
bool ResizeAtPosition(TResUpdate& update, uint64_t position, int64_t delta,
                      uint64_t* movedSum = nullptr);

// Stores the PE checksum of the whole file (view of `length` bytes) in its optional header.
void PeImageChecksum(uint8_t* view, uint64_t length);

// The checksum's sum of little-endian 16-bit words over `length` bytes that stand at file
// position `position`, unfolded: sums of consecutive pieces simply add up.
uint64_t WordSum(const uint8_t* bytes, uint64_t position, uint64_t length);

// Stores the PE checksum of a file of `fileLength` bytes whose first `headLength` bytes
// (the headers among them) are in `head` and whose other bytes have the word sum `tailSum`.
void StoreChecksum(uint8_t* head, uint64_t headLength, uint64_t fileLength, uint64_t tailSum);

// Main icon group replacement. Paths and the group name are ANSI byte strings.
bool ChangeIconGroup(const std::string& executable, const std::string& groupName,
                     const std::string& iconFile);
bool GetIconGroup(const TResUpdate& update, const ResKey& name, uint16_t language,
                  std::span<const uint8_t>& bytes);
bool DeleteIconGroup(TResUpdate& update, const ResKey& name, uint16_t language);
bool LoadIconGroupFromFile(TResUpdate& update, const ResKey& name, uint16_t language,
                           const std::u16string& iconFile);
// The smallest RT_ICON id at or above `start` that is not in use; `start` carries over.
uint32_t NextFreeIconId(const TResUpdate& update, uint32_t& start);

}  // namespace kolvane::iconchanger
