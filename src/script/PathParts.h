#pragma once
// Pieces of ANSI paths as the project script and the package use them.
#include <string>
#include <string_view>

namespace kolvane {

// The text after the last "\" or ":"; the whole text when there is neither.
std::string_view FileNamePart(std::string_view path);

// From the last "." that follows the last "\" or ":", dot included; empty when none.
std::string_view ExtensionOf(std::string_view path);

// Which reader asks: the installer also takes ".emf" pictures from "wmf" sections.
enum class ImageReader { Builder, Installer };

inline constexpr std::string_view kImageSectionPrefixes[] = {"jpg", "bmp", "wmf", "ico"};

// The section prefix of a picture file by its extension, compared exactly:
// "jpg", "bmp", "wmf", "ico", or empty when the extension names no picture section.
std::string_view ImageSectionPrefix(std::string_view path, ImageReader reader = ImageReader::Builder);

}  // namespace kolvane
