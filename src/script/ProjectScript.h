#pragma once
// The project script: 18 + n lines of "Key=value" text, CR LF after every line.
//
// The builder reads it back by position (the keys are skipped by their length, never
// compared); the installer and the uninstaller read it by key.
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvane {

namespace script_keys {
inline constexpr std::string_view kProject = "Project=";
inline constexpr std::string_view kFolder = "Folder=";
inline constexpr std::string_view kProduct = "Product=";
inline constexpr std::string_view kVersion = "Version=";
inline constexpr std::string_view kManuf = "Manuf=";
inline constexpr std::string_view kCountFiles = "CountFiles=";
inline constexpr std::string_view kShortCut = "ShortCut=";
inline constexpr std::string_view kStart = "start=";
inline constexpr std::string_view kDesktop = "desktop=";
inline constexpr std::string_view kStartup = "startup=";
inline constexpr std::string_view kIcon = "Icon=";
inline constexpr std::string_view kImageSetup = "ImageSetup=";
inline constexpr std::string_view kImageSmall = "ImageSmall=";
inline constexpr std::string_view kLicense = "License=";
inline constexpr std::string_view kDestination = "Destination=";
inline constexpr std::string_view kSize = "Size=";
inline constexpr std::string_view kGuid = "GUID=";
inline constexpr std::string_view kFormat = "Format=";
// The shortcut lines count only when they equal these whole.
inline constexpr std::string_view kStartOn = "start=1";
inline constexpr std::string_view kDesktopOn = "desktop=1";
inline constexpr std::string_view kStartupOn = "startup=1";
}  // namespace script_keys

struct ProjectScript {
    std::string project;
    std::string folder;
    std::string product;
    std::string version;
    std::string manuf;
    std::vector<std::string> files;
    std::string shortCut;
    bool startMenu = false;
    bool desktop = false;
    bool startup = false;
    std::string icon;
    std::string imageSetup;
    std::string imageSmall;
    std::string license;
    std::string destination;
    std::string size;
    std::string guid;
    std::string format;
};

// The script text, every value exactly as it stands.
std::string WriteProjectScript(const ProjectScript& script);

// Lines as a text file reader sees them: each ends at CR LF, CR or LF; a last line
// without an ending still counts, an ending at the very end adds no empty line.
std::vector<std::string> ScriptLines(std::string_view text);

// The builder's reading: one line after the other, each value taken by dropping as
// many characters as its key has. A line beyond the end reads as empty.
class PositionalScriptReader {
public:
    explicit PositionalScriptReader(std::string_view text) : lines_(ScriptLines(text)) {}

    std::string NextLine();
    // The next line without its first key.size() characters; the key is not compared.
    std::string NextValue(std::string_view key);
    // The next line compared whole with `expected`.
    bool NextLineEquals(std::string_view expected) { return NextLine() == expected; }
    // Lines not read yet; what lies beyond them reads as empty.
    size_t RemainingLines() const { return next_ < lines_.size() ? lines_.size() - next_ : 0; }

private:
    std::vector<std::string> lines_;
    size_t next_ = 0;
};

// A decimal integer as the count line writes it; nullopt when the text is not one.
std::optional<int> ParseDecimal(std::string_view text);

// The installer's reading: the rest of `line` when it begins with `key` exactly.
std::optional<std::string_view> ValueAfterKey(std::string_view line, std::string_view key);

}  // namespace kolvane
