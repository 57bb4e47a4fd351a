#include "package/Markers.h"

namespace kolvane {

std::string AsciiUpper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

const std::string& StartPrefix() {
    static const std::string prefix = AsciiUpper(kStartPrefixLower);
    return prefix;
}

const std::string& EndPrefix() {
    static const std::string prefix = AsciiUpper(kEndPrefixLower);
    return prefix;
}

std::string SectionStartMarker(std::string_view name) {
    return StartPrefix() + AsciiUpper(name) + kNameEnd;
}

std::string SectionEndMarker(std::string_view name) { return EndPrefix() + AsciiUpper(name); }

}  // namespace kolvane
