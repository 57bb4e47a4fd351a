// The copy limit for compiling: one plain program that writes the files of a folder, in
// name order, one after the other into one file. Usage: concat_files OUTPUT FOLDER
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string folder = std::string(argv[2]) + "\\";
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 1;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());

    HANDLE out = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return 1;
    std::vector<char> buffer(8u << 20);
    for (const std::string& name : names) {
        HANDLE in = CreateFileA((folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (in == INVALID_HANDLE_VALUE) return 1;
        DWORD got = 0, written = 0;
        while (ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0)
            if (!WriteFile(out, buffer.data(), got, &written, nullptr)) return 1;
        CloseHandle(in);
    }
    CloseHandle(out);
    std::printf("concatenated %zu files\n", names.size());
    return 0;
}
