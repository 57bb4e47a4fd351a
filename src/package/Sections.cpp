#include "package/Sections.h"

#include "package/Markers.h"

namespace kolvane {

namespace {

struct SectionMarkers {
    std::optional<uint64_t> start;
    std::optional<uint64_t> end;
    uint64_t startLength;
    uint64_t endLength;
};

SectionMarkers FindMarkers(const PackageImage& image, std::string_view name) {
    const std::string upper = AsciiUpper(name);
    return {image.FindFirst(MarkerKind::Start, upper + kNameEnd),
            image.FindFirst(MarkerKind::End, upper), kPrefixLength + upper.size() + 1,
            kPrefixLength + upper.size()};
}

}  // namespace

bool ExtractSection(const PackageImage& image, std::string_view name, std::string& data) {
    const SectionMarkers found = FindMarkers(image, name);
    if (!found.start) return false;
    const uint64_t payload = *found.start + found.startLength;
    if (found.end && *found.end >= payload)
        data = image.Substr(payload, *found.end - payload);
    else
        data.clear();
    return true;
}

void AppendSection(std::string_view name, std::string payload, PackageImage& target) {
    if (name.empty()) return;
    target.Append(SectionStartMarker(name));
    target.Append(std::move(payload));
    target.Append(SectionEndMarker(name));
}

void DeleteSection(std::string_view name, PackageImage& target) {
    const SectionMarkers found = FindMarkers(target, name);
    if (!found.start || !found.end) return;
    const uint64_t stop = *found.end + found.endLength;
    if (stop <= *found.start) return;
    target.Erase(*found.start, stop - *found.start);
}

bool RemoveSections(std::string_view name, PackageImage& target) {
    const uint64_t before = target.Size();
    for (uint64_t size = before;; size = target.Size()) {
        DeleteSection(name, target);
        if (target.Size() == size) return target.Size() != before;
    }
}

}  // namespace kolvane
