#pragma once
// Section markers: "SO!#" + NAME + 0xB6 before a payload, "EO!#" + NAME after it, where
// NAME is the section name with the ASCII letters a-z upper-cased.
//
// The program's own bytes hold the prefixes only in lower case. The upper-case forms
// are made at run time (in another translation unit, so the compiler cannot fold them
// into constants): the store searches the whole image, the program's code and data
// included, and must never take its own bytes for a marker.
#include <string>
#include <string_view>

namespace kolvane {

inline constexpr std::string_view kStartPrefixLower = "so!#";
inline constexpr std::string_view kEndPrefixLower = "eo!#";
inline constexpr char kNameEnd = '\xB6';  // "¶" in code page 1252
inline constexpr size_t kPrefixLength = 4;

std::string AsciiUpper(std::string_view text);

const std::string& StartPrefix();  // "SO!#"
const std::string& EndPrefix();    // "EO!#"

std::string SectionStartMarker(std::string_view name);
std::string SectionEndMarker(std::string_view name);

}  // namespace kolvane
