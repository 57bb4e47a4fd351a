#pragma once
// Names of the sections that a setup's package carries besides its pictures.
#include <string>
#include <string_view>

namespace kolvane::package_sections {

// A project file travels as two sections per slot: its name without folder, and its bytes.
inline constexpr std::string_view kFileName = "YourFileName";
inline constexpr std::string_view kFile = "YourFile";
inline constexpr std::string_view kLicense = "license0";

// `prefix` followed by the slot in decimal: "YourFile0", "YourFile12".
inline std::string SlotSection(std::string_view prefix, int slot) {
    return std::string(prefix) + std::to_string(slot);
}

}  // namespace kolvane::package_sections
