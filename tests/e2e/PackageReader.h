#pragma once
// Reads the package behind a setup file on its own terms, independently of the
// program's store: the PE headers say where the image ends, and from there the
// sections must follow one another without a gap up to the end of the file.
#include <stdexcept>
#include <string>
#include <vector>

namespace kolvane::e2e {

struct PackagedSection {
    std::string name;  // as the markers carry it, upper case
    std::string payload;
};

// Throws std::runtime_error when the bytes behind the image are not a run of sections.
std::vector<PackagedSection> ReadPackage(const std::string& file);

}  // namespace kolvane::e2e
