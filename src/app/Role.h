#pragma once
// The role marker: byte 2 of the program's own file tells a running copy what it is.
#include <cstdint>

#include "package/PackageImage.h"

namespace kolvane {

enum class Role { Builder, Installer, Uninstaller, Unknown };

inline constexpr uint64_t kRoleMarkerOffset = 2;
inline constexpr uint8_t kBuilderMarker = 'P';
inline constexpr uint8_t kInstallerMarker = 'A';
inline constexpr uint8_t kUninstallerMarker = 'U';

constexpr Role RoleFromMarker(uint8_t marker) {
    switch (marker) {
        case kBuilderMarker: return Role::Builder;
        case kInstallerMarker: return Role::Installer;
        case kUninstallerMarker: return Role::Uninstaller;
        default: return Role::Unknown;
    }
}

inline Role RoleOf(const PackageImage& image) {
    return image.Size() > kRoleMarkerOffset ? RoleFromMarker(image.ByteAt(kRoleMarkerOffset))
                                            : Role::Unknown;
}

}  // namespace kolvane
