#include "PackageReader.h"

#include <cstdint>
#include <cstring>

namespace kolvane::e2e {

namespace {

uint32_t Read32(const std::string& bytes, size_t at) {
    if (at + 4 > bytes.size()) throw std::runtime_error("truncated PE headers");
    uint32_t value;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

uint16_t Read16(const std::string& bytes, size_t at) {
    if (at + 2 > bytes.size()) throw std::runtime_error("truncated PE headers");
    uint16_t value;
    std::memcpy(&value, bytes.data() + at, 2);
    return value;
}

// The end of the last section's raw data: where appended bytes begin.
size_t ImageEnd(const std::string& file) {
    const size_t pe = Read32(file, 0x3C);
    if (file.compare(pe, 4, std::string("PE\0\0", 4)) != 0) throw std::runtime_error("no PE signature");
    const size_t sections = Read16(file, pe + 6);
    const size_t optionalSize = Read16(file, pe + 20);
    const size_t table = pe + 24 + optionalSize;
    size_t end = 0;
    for (size_t i = 0; i < sections; ++i) {
        const size_t header = table + i * 40;
        end = std::max<size_t>(end, size_t{Read32(file, header + 20)} + Read32(file, header + 16));
    }
    return end;
}

}  // namespace

std::vector<PackagedSection> ReadPackage(const std::string& file) {
    // Built from pieces so that this program's own bytes hold no whole marker either.
    const std::string start = std::string("SO") + "!#";
    const std::string end = std::string("EO") + "!#";
    std::vector<PackagedSection> package;
    size_t at = ImageEnd(file);
    while (at < file.size()) {
        if (file.compare(at, start.size(), start) != 0)
            throw std::runtime_error("no section starts at " + std::to_string(at));
        const size_t nameEnd = file.find('\xB6', at + start.size());
        if (nameEnd == std::string::npos) throw std::runtime_error("unterminated section name");
        PackagedSection section;
        section.name = file.substr(at + start.size(), nameEnd - at - start.size());
        const std::string endMarker = end + section.name;
        const size_t payloadEnd = file.find(endMarker, nameEnd + 1);
        if (payloadEnd == std::string::npos) throw std::runtime_error("section " + section.name + " never ends");
        section.payload = file.substr(nameEnd + 1, payloadEnd - nameEnd - 1);
        package.push_back(std::move(section));
        at = payloadEnd + endMarker.size();
    }
    return package;
}

}  // namespace kolvane::e2e
