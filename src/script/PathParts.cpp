#include "script/PathParts.h"

namespace kolvane {

namespace {

size_t FileNameStart(std::string_view path) {
    const size_t separator = path.find_last_of("\\:");
    return separator == std::string_view::npos ? 0 : separator + 1;
}

}  // namespace

std::string_view FileNamePart(std::string_view path) { return path.substr(FileNameStart(path)); }

std::string_view ExtensionOf(std::string_view path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < FileNameStart(path)) return {};
    return path.substr(dot);
}

std::string_view ImageSectionPrefix(std::string_view path, ImageReader reader) {
    const std::string_view extension = ExtensionOf(path);
    if (extension == ".jpg" || extension == ".jpeg") return "jpg";
    if (extension == ".bmp") return "bmp";
    if (extension == ".wmf") return "wmf";
    if (extension == ".emf" && reader == ImageReader::Installer) return "wmf";
    if (extension == ".ico") return "ico";
    return {};
}

}  // namespace kolvane
