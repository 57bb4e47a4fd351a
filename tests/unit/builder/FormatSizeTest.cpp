#include <gtest/gtest.h>

#include "builder/FormatSize.h"

namespace kolvane {
namespace {

TEST(FormatSize, ShowsEachUnitWithTwoDecimalsRoundedHalfUp) {
    const std::vector<std::pair<int64_t, std::string>> cases = {
        {0, " bytes"},
        {512, "512 bytes"},
        {1024, "1024 bytes"},
        {1025, "1 KB"},
        {1152, "1.13 KB"},
        {1126, "1.1 KB"},
        {2047, "2 KB"},
        {853801, "833.79 KB"},
        {1048576, "1024 KB"},
        {1048577, "1 MB"},
        {1073741824, "1024 MB"},
        {1610612736, "1.5 GB"},
        {int64_t{3} << 31, "6 GB"},  // past the 32-bit range
        {-5, "-5 bytes"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(FormatSize(bytes, '.'), text) << bytes;
}

TEST(FormatSize, UsesTheGivenDecimalSeparator) {
    EXPECT_EQ(FormatSize(853801, ','), "833,79 KB");
    EXPECT_EQ(FormatSize(1048577, ','), "1 MB");
}

}  // namespace
}  // namespace kolvane
