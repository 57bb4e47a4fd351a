#pragma once
// A copy of the builder operated by a test, and small helpers for the files tests prepare.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "Driver.h"

namespace kolvane::e2e {

inline constexpr char kBuilderCaption[] = "Kolvane Installer version Beta 2.0";
inline const std::regex kGuidPattern("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");

// A copy of the builder started in `folder`, which the test has prepared.
struct Builder {
    explicit Builder(const std::string& programFolder)
        : folder(programFolder),
          process(CopyProgram(folder)),
          window(process.WaitForWindow("TFormCreating", kBuilderCaption)) {}
    ~Builder() { PostMessageA(window, WM_CLOSE, 0, 0); }

    HWND operator[](int id) const { return Control(window, id); }
    std::string Field(int id) const { return Text(Control(window, id)); }
    void ExpectFields(std::initializer_list<std::pair<int, std::string>> fields) const {
        for (const auto& [id, expected] : fields)
            EXPECT_EQ(Field(id), expected) << "control " << id;
    }
    // A button whose handler runs to its end without a dialog.
    void Press(int buttonId) const { ClickAndWait(Control(window, buttonId)); }
    // A button that opens a dialog.
    void Open(int buttonId) const { Click(Control(window, buttonId)); }

    std::string folder;
    Process process;
    HWND window;
};

inline std::string Fixture(const std::string& name) {
    std::string path = std::string(KOLVANE_FIXTURES_DIR) + "/" + name;
    return ReadFileBytes(path);
}

inline void WriteSizedFile(const std::string& path, size_t size) {
    WriteFileBytes(path, std::string(size, 'k'));
}

inline std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace kolvane::e2e
