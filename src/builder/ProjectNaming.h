#pragma once
// Rules for the names and folders that the builder derives from what the author chose.
#include <string>
#include <string_view>

namespace kolvane {

// A project name names a script in the builder's own folder, so it must not lead into
// another folder or a drive.
bool IsPlainProjectName(std::string_view name);

// The project name of a chosen script: its file name without folder and extension.
std::string ProjectNameOf(std::string_view scriptPath);

// The destination folder of a loaded script: the drive root of `currentDirectory` when the
// value is empty, always ending with a backslash.
std::string DestinationFolder(std::string_view value, std::string_view currentDirectory);

}  // namespace kolvane
