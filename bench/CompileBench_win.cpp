// Compiling a large project through the real builder window against the copy limit: the
// same files concatenated into one file by a plain program, measured in the same run.
// Usage: compile_bench FILES_FOLDER\ CONCAT_EXE ICON_FILE
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "Driver.h"
#include "app/ControlIds.h"

using namespace kolvane;
using namespace kolvane::e2e;

namespace {

constexpr int kRounds = 3;
constexpr auto kLongWait = std::chrono::minutes(5);

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const std::string files = argv[1], concat = argv[2], icon = argv[3];
    const std::string folder = FreshFolder("compile-bench");
    const std::string out = FreshFolder("compile-bench\\out");

    Process builder(CopyProgram(folder));
    HWND window = builder.WaitForWindow("TFormCreating", "Kolvane Installer version Beta 2.0");
    SetText(Control(window, ids::EditFolder), out.substr(0, out.size() - 1));
    SetText(Control(window, ids::EditFormat), "");
    SetText(Control(window, ids::EditIcon), icon);
    std::string quoted;
    const std::vector<std::string> names = FilesIn(files);
    for (const std::string& name : names) quoted += "\"" + name + "\" ";
    Click(Control(window, ids::ButInsert));
    ChooseFiles(builder, files, quoted);
    std::printf("project: %zu files, %s\n", names.size(), Text(Control(window, ids::LabTamanho)).c_str());

    double bestCopy = 1e9, bestCompile = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        // The folder without its last backslash, which would quote the closing quote.
        Process copy(concat, "\"" + out + "concat.bin\" \"" + files.substr(0, files.size() - 1) + "\"");
        if (copy.WaitForExit(kLongWait) != 0u) return 1;
        const double copySeconds = Seconds(start);

        start = std::chrono::steady_clock::now();
        Click(Control(window, ids::ButCompile));
        MessageBoxSeen done = WaitForMessageBox(builder, kLongWait);
        const double compileSeconds = Seconds(start);
        Press(done);
        std::printf("round %d: copy %.2f s, compile %.2f s (%s)\n", round + 1, copySeconds,
                    compileSeconds, done.text.c_str());
        bestCopy = std::min(bestCopy, copySeconds);
        bestCompile = std::min(bestCompile, compileSeconds);
    }
    std::printf("best: copy %.2f s, compile %.2f s, compile / copy = %.2f\n", bestCopy, bestCompile,
                bestCompile / bestCopy);
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}
