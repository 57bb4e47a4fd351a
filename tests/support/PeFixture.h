#pragma once
// Small PE32 / PE32+ files for tests, fuzzing and benchmarks, laid out like a linker does:
// .text, .rdata (holding the debug directory), .rsrc with its directory level by level,
// then optionally .reloc, then appended bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace kolvane::testing {

struct FixtureKey {
    uint16_t id = 0;
    std::u16string name;  // named when non-empty
};

struct FixtureResource {
    FixtureKey type;
    FixtureKey name;
    uint16_t language = 0;
    std::string data;
};

struct PeLayout {
    bool pe32Plus = false;
    std::vector<FixtureResource> resources;
    uint32_t resourceRawSize = 0;  // SizeOfRawData of .rsrc; 0 means the aligned minimum
    bool relocAfter = true;        // a .reloc section behind .rsrc
    // DataDirectory[6].Size; two debug entries stand in .rdata, their data in .reloc.
    uint32_t debugDirectorySize = 0;
    uint32_t directoryTimeStamp = 0x5EED0001;
    std::string appended;
};

inline constexpr uint32_t kFixtureFileAlignment = 0x200;
inline constexpr uint32_t kFixtureSectionAlignment = 0x1000;
inline constexpr uint32_t kFixtureResourceRva = 0x3000;
inline constexpr uint32_t kFixtureResourceRaw = 0x800;
inline constexpr uint32_t kFixtureRdataRaw = 0x600;

std::string BuildPe(const PeLayout& layout);

// A minimal icon file with `count` images; image i is `sizes[i]` bytes of value 0x40 + i.
std::string BuildIcon(const std::vector<uint32_t>& sizes, uint16_t planes = 1,
                      uint16_t bitCount = 32);

// Little-endian field access for checks in tests.
uint32_t U32At(const std::string& bytes, uint64_t offset);
uint16_t U16At(const std::string& bytes, uint64_t offset);

}  // namespace kolvane::testing
