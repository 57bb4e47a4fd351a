#pragma once
#include <cstdint>
#include <string>

namespace kolvane {

// A byte count as the builder and the installer show it: "#.## GB", "MB", "KB" or "bytes",
// with at most two decimals rounded half up, trailing zeros dropped and zero shown as
// nothing (" bytes"). Counted in 64 bits so that totals of 2 GB and more read right.
std::string FormatSize(int64_t bytes, char decimalSeparator);

}  // namespace kolvane
