#include "script/ProjectScript.h"

#include <charconv>
#include <limits>

namespace kolvane {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string_view Flag(bool on) { return on ? "1" : "0"; }

}  // namespace

std::string WriteProjectScript(const ProjectScript& script) {
    namespace k = script_keys;
    std::string text;
    auto line = [&text](std::string_view key, std::string_view value) {
        text.append(key).append(value).append(kLineEnd);
    };
    line(k::kProject, script.project);
    line(k::kFolder, script.folder);
    line(k::kProduct, script.product);
    line(k::kVersion, script.version);
    line(k::kManuf, script.manuf);
    line(k::kCountFiles, std::to_string(script.files.size()));
    for (const std::string& file : script.files) line({}, file);
    line(k::kShortCut, script.shortCut);
    line(k::kStart, Flag(script.startMenu));
    line(k::kDesktop, Flag(script.desktop));
    line(k::kStartup, Flag(script.startup));
    line(k::kIcon, script.icon);
    line(k::kImageSetup, script.imageSetup);
    line(k::kImageSmall, script.imageSmall);
    line(k::kLicense, script.license);
    line(k::kDestination, script.destination);
    line(k::kSize, script.size);
    line(k::kGuid, script.guid);
    line(k::kFormat, script.format);
    return text;
}

std::vector<std::string> ScriptLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(pos));
            break;
        }
        lines.emplace_back(text.substr(pos, end - pos));
        pos = end + (text.compare(end, 2, kLineEnd) == 0 ? 2 : 1);
    }
    return lines;
}

std::string PositionalScriptReader::NextLine() {
    if (next_ >= lines_.size()) {
        ++next_;
        return {};
    }
    return lines_[next_++];
}

std::string PositionalScriptReader::NextValue(std::string_view key) {
    std::string line = NextLine();
    line.erase(0, key.size());
    return line;
}

std::optional<int> ParseDecimal(std::string_view text) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-') ++first;
    int value = 0;
    auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last) return std::nullopt;
    return value;
}

std::optional<std::string_view> ValueAfterKey(std::string_view line, std::string_view key) {
    if (!line.starts_with(key)) return std::nullopt;
    return line.substr(key.size());
}

}  // namespace kolvane
