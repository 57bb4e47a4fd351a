#include "PeFixture.h"

#include <map>
#include <stdexcept>

namespace kolvane::testing {

namespace {

void Put16(std::string& out, uint64_t at, uint16_t v) {
    if (out.size() < at + 2) out.resize(at + 2);
    out[at] = static_cast<char>(v);
    out[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string& out, uint64_t at, uint32_t v) {
    Put16(out, at, static_cast<uint16_t>(v));
    Put16(out, at + 2, static_cast<uint16_t>(v >> 16));
}

uint32_t Align(uint32_t n, uint32_t a) {
    return (n + a - 1) / a * a;
}

// Named keys sort first (by code unit), then ids ascending: the order linkers write.
struct KeyLess {
    bool operator()(const FixtureKey& a, const FixtureKey& b) const {
        if (a.name.empty() != b.name.empty()) return !a.name.empty();
        return a.name.empty() ? a.id < b.id : a.name < b.name;
    }
};

using Languages = std::map<uint16_t, const std::string*>;
using Names = std::map<FixtureKey, Languages, KeyLess>;
using Types = std::map<FixtureKey, Names, KeyLess>;

// The resource directory, level by level: root, types, names, data entries, names, data.
std::string BuildResources(const PeLayout& layout) {
    Types types;
    for (const FixtureResource& r : layout.resources) types[r.type][r.name][r.language] = &r.data;

    uint32_t dirBytes = 16 + 8 * static_cast<uint32_t>(types.size());
    uint32_t typeBytes = 0, nameDirBytes = 0, entries = 0, stringBytes = 0;
    for (const auto& [type, names] : types) {
        typeBytes += 16 + 8 * static_cast<uint32_t>(names.size());
        if (!type.name.empty()) stringBytes += 2 + 2 * static_cast<uint32_t>(type.name.size());
        for (const auto& [name, languages] : names) {
            nameDirBytes += 16 + 8 * static_cast<uint32_t>(languages.size());
            if (!name.name.empty()) stringBytes += 2 + 2 * static_cast<uint32_t>(name.name.size());
            entries += static_cast<uint32_t>(languages.size());
        }
    }
    uint32_t typeAt = dirBytes;
    uint32_t nameAt = typeAt + typeBytes;
    uint32_t entryAt = nameAt + nameDirBytes;
    uint32_t stringAt = entryAt + 16 * entries;
    uint32_t dataAt = Align(stringAt + stringBytes, 8);

    std::string out;
    auto directory = [&](uint32_t at, size_t named, size_t ids) {
        Put32(out, at + 4, layout.directoryTimeStamp);
        Put16(out, at + 12, static_cast<uint16_t>(named));
        Put16(out, at + 14, static_cast<uint16_t>(ids));
    };
    auto namedCount = [](const auto& children) {
        size_t named = 0;
        for (const auto& child : children) named += !child.first.name.empty();
        return named;
    };
    auto entryName = [&](uint32_t at, const FixtureKey& key) {
        if (key.name.empty()) return Put32(out, at, key.id);
        Put32(out, at, stringAt | 0x80000000u);
        Put16(out, stringAt, static_cast<uint16_t>(key.name.size()));
        for (size_t i = 0; i < key.name.size(); ++i) Put16(out, stringAt + 2 + 2 * i, key.name[i]);
        stringAt += 2 + 2 * static_cast<uint32_t>(key.name.size());
    };

    directory(0, namedCount(types), types.size() - namedCount(types));
    uint32_t rootEntry = 16;
    for (const auto& [type, names] : types) {
        entryName(rootEntry, type);
        Put32(out, rootEntry + 4, typeAt | 0x80000000u);
        rootEntry += 8;
        directory(typeAt, namedCount(names), names.size() - namedCount(names));
        uint32_t typeEntry = typeAt + 16;
        typeAt += 16 + 8 * static_cast<uint32_t>(names.size());
        for (const auto& [name, languages] : names) {
            entryName(typeEntry, name);
            Put32(out, typeEntry + 4, nameAt | 0x80000000u);
            typeEntry += 8;
            directory(nameAt, 0, languages.size());
            uint32_t nameEntry = nameAt + 16;
            nameAt += 16 + 8 * static_cast<uint32_t>(languages.size());
            for (const auto& [language, data] : languages) {
                Put32(out, nameEntry, language);
                Put32(out, nameEntry + 4, entryAt);
                nameEntry += 8;
                Put32(out, entryAt, kFixtureResourceRva + dataAt);
                Put32(out, entryAt + 4, static_cast<uint32_t>(data->size()));
                Put32(out, entryAt + 8, 1252);
                entryAt += 16;
                if (out.size() < dataAt + data->size()) out.resize(dataAt + data->size());
                out.replace(dataAt, data->size(), *data);
                dataAt = Align(dataAt + static_cast<uint32_t>(data->size()), 8);
            }
        }
    }
    return out;
}

}  // namespace

std::string BuildPe(const PeLayout& layout) {
    const std::string resources = BuildResources(layout);
    const uint32_t resourceSize = static_cast<uint32_t>(resources.size());
    const uint32_t resourceRaw =
        layout.resourceRawSize ? layout.resourceRawSize : Align(resourceSize, kFixtureFileAlignment);
    if (resourceRaw < resourceSize) throw std::invalid_argument("resource section too small");
    const uint32_t relocRva = kFixtureResourceRva + Align(resourceSize, kFixtureSectionAlignment);
    const uint32_t relocRaw = kFixtureResourceRaw + resourceRaw;
    const uint16_t sections = layout.relocAfter ? 4 : 3;

    std::string out(kFixtureResourceRaw, '\0');
    Put16(out, 0, 0x5A4D);
    Put32(out, 60, 0x80);
    Put32(out, 0x80, 0x00004550);
    Put16(out, 0x84, layout.pe32Plus ? 0x8664 : 0x014C);
    Put16(out, 0x86, sections);
    const uint16_t optionalSize = layout.pe32Plus ? 240 : 224;
    Put16(out, 0x94, optionalSize);
    Put16(out, 0x96, layout.pe32Plus ? 0x0022 : 0x0102);
    const uint64_t opt = 0x98;
    Put16(out, opt, layout.pe32Plus ? 0x20B : 0x10B);
    Put32(out, opt + 4, 0x200);
    Put32(out, opt + 8, 0x200 + resourceRaw + (layout.relocAfter ? 0x200 : 0));
    Put32(out, opt + 16, 0x1000);
    Put32(out, opt + 20, 0x1000);
    Put32(out, opt + (layout.pe32Plus ? 24 : 28), 0x400000);
    Put32(out, opt + 32, kFixtureSectionAlignment);
    Put32(out, opt + 36, kFixtureFileAlignment);
    Put16(out, opt + 40, 4);
    Put16(out, opt + 48, 4);
    Put32(out, opt + 56, layout.relocAfter ? relocRva + 0x1000 : relocRva);
    Put32(out, opt + 60, 0x400);
    Put16(out, opt + 68, 2);
    const uint64_t dirs = opt + (layout.pe32Plus ? 112 : 96);
    Put32(out, dirs - 4, 16);
    Put32(out, dirs + 8 * 2, kFixtureResourceRva);
    Put32(out, dirs + 8 * 2 + 4, resourceSize);
    if (layout.relocAfter) {
        Put32(out, dirs + 8 * 5, relocRva);
        Put32(out, dirs + 8 * 5 + 4, 0x20);
    }
    if (layout.debugDirectorySize) {
        Put32(out, dirs + 8 * 6, 0x2000);
        Put32(out, dirs + 8 * 6 + 4, layout.debugDirectorySize);
    }

    struct Section {
        const char* name;
        uint32_t virtualSize, rva, rawSize, raw;
    };
    std::vector<Section> table = {
        {".text", 0x10, 0x1000, 0x200, 0x400},
        {".rdata", 0x100, 0x2000, 0x200, kFixtureRdataRaw},
        {".rsrc", resourceSize, kFixtureResourceRva, resourceRaw, kFixtureResourceRaw}};
    if (layout.relocAfter) table.push_back({".reloc", 0x100, relocRva, 0x200, relocRaw});
    uint64_t header = opt + optionalSize;
    for (const Section& s : table) {
        out.replace(header, std::string(s.name).size(), s.name);
        Put32(out, header + 8, s.virtualSize);
        Put32(out, header + 12, s.rva);
        Put32(out, header + 16, s.rawSize);
        Put32(out, header + 20, s.raw);
        header += 40;
    }
    out[0x400] = '\xC3';  // ret
    if (layout.debugDirectorySize) {
        for (uint32_t i = 0; i < 2; ++i) {
            const uint64_t entry = kFixtureRdataRaw + 28 * i;
            Put32(out, entry + 12, 2);
            Put32(out, entry + 16, 0x20);
            Put32(out, entry + 20, relocRva + 0x40 + 0x40 * i);
            Put32(out, entry + 24, relocRaw + 0x40 + 0x40 * i);
        }
    }
    out.resize(kFixtureResourceRaw);
    out += resources;
    out.resize(relocRaw, '\0');
    if (layout.relocAfter) {
        for (uint32_t i = 0; i < 0x200; ++i) out += static_cast<char>(0xA0 + i % 37);
    }
    return out + layout.appended;
}

std::string BuildIcon(const std::vector<uint32_t>& sizes, uint16_t planes, uint16_t bitCount) {
    std::string out;
    Put16(out, 0, 0);
    Put16(out, 2, 1);
    Put16(out, 4, static_cast<uint16_t>(sizes.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        const uint64_t entry = 6 + 16 * i;
        out.resize(entry + 16);
        out[entry] = static_cast<char>(16 * (i + 1));
        out[entry + 1] = static_cast<char>(16 * (i + 1));
        Put16(out, entry + 4, planes);
        Put16(out, entry + 6, bitCount);
        Put32(out, entry + 8, sizes[i]);
        Put32(out, entry + 12, offset);
        offset += sizes[i];
    }
    for (size_t i = 0; i < sizes.size(); ++i)
        out += std::string(sizes[i], static_cast<char>(0x40 + i));
    return out;
}

uint32_t U32At(const std::string& bytes, uint64_t offset) {
    return U16At(bytes, offset) | (uint32_t{U16At(bytes, offset + 2)} << 16);
}

uint16_t U16At(const std::string& bytes, uint64_t offset) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + offset);
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace kolvane::testing
