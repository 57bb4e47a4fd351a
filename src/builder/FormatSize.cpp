#include "builder/FormatSize.h"

namespace kolvane {

namespace {

struct Unit {
    int64_t divisor;
    const char* name;
};

constexpr Unit kUnits[] = {
    {int64_t{1} << 30, "GB"},
    {int64_t{1} << 20, "MB"},
    {int64_t{1} << 10, "KB"},
};

}  // namespace

std::string FormatSize(int64_t bytes, char decimalSeparator) {
    // Work on the magnitude in unsigned arithmetic so that even INT64_MIN has one.
    const bool negative = bytes < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(bytes) : static_cast<uint64_t>(bytes);

    Unit unit{1, "bytes"};
    for (const Unit& candidate : kUnits) {
        if (magnitude > static_cast<uint64_t>(candidate.divisor)) {
            unit = candidate;
            break;
        }
    }
    // Hundredths, rounded half up, without overflowing: split off the whole units first.
    const uint64_t divisor = static_cast<uint64_t>(unit.divisor);
    const uint64_t whole = magnitude / divisor;
    const uint64_t hundredths = whole * 100 + ((magnitude % divisor) * 100 + divisor / 2) / divisor;

    std::string text;
    if (negative && hundredths != 0) text = "-";
    if (hundredths >= 100) text += std::to_string(hundredths / 100);
    if (const uint64_t fraction = hundredths % 100; fraction != 0) {
        text += decimalSeparator;
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) text += static_cast<char>('0' + fraction % 10);
    }
    return text + " " + unit.name;
}

}  // namespace kolvane
