#pragma once
#include <cstdint>
#include <string>

namespace kolvane {

// FormatSize with the decimal separator of the user's locale.
std::string FormatSize(int64_t bytes);

}  // namespace kolvane
