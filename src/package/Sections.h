#pragma once
// Named sections over an image: lookups always see the first occurrence of each marker
// in the whole image, wherever it stands.
#include <string>
#include <string_view>

#include "package/PackageImage.h"

namespace kolvane {

// True when the start marker of `name` is found. `data` then receives the bytes between
// it and the first end marker of `name`, or nothing when that end marker is missing or
// stands before the payload. A false result leaves `data` as it was.
bool ExtractSection(const PackageImage& image, std::string_view name, std::string& data);

// Adds start marker, payload and end marker at the end of `target`; an empty name adds
// nothing. An existing section of the same name is left alone and keeps winning lookups.
void AppendSection(std::string_view name, std::string payload, PackageImage& target);

// Removes the first start marker through the end of the first end marker of `name`, when
// that end marker lies behind the start of the start marker.
void DeleteSection(std::string_view name, PackageImage& target);

// Deletes sections of `name` until a deletion changes nothing; true when any went.
// Used so that a name appended again leaves no earlier section to win the lookups.
bool RemoveSections(std::string_view name, PackageImage& target);

}  // namespace kolvane
