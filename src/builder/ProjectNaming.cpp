#include "builder/ProjectNaming.h"

#include "script/PathParts.h"

namespace kolvane {

bool IsPlainProjectName(std::string_view name) {
    return name.find_first_of("\\/:") == std::string_view::npos;
}

std::string ProjectNameOf(std::string_view scriptPath) {
    const std::string_view name = FileNamePart(scriptPath);
    return std::string(name.substr(0, name.size() - ExtensionOf(name).size()));
}

std::string DestinationFolder(std::string_view value, std::string_view currentDirectory) {
    std::string folder(value.empty() ? currentDirectory.substr(0, 3) : value);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

}  // namespace kolvane
