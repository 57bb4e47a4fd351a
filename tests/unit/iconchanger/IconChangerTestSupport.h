#pragma once
// Files on disk for the resource editor's tests, and an independent reading of the results.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "PeFixture.h"
#include "iconchanger/IconChangerUnit.h"

namespace kolvane::iconchanger {

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::u16string Wide(const std::filesystem::path& path) {
    return path.u16string();
}

// The PE checksum exactly as the format describes it: 16-bit words, folded after each.
inline uint32_t ReferenceChecksum(std::string file, uint64_t checksumField) {
    file.replace(checksumField, 4, 4, '\0');
    uint32_t sum = 0;
    for (size_t i = 0; i < file.size(); i += 2) {
        uint32_t word = static_cast<uint8_t>(file[i]);
        if (i + 1 < file.size()) word |= uint32_t{static_cast<uint8_t>(file[i + 1])} << 8;
        sum += word;
        if (sum > 0xFFFF) sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return sum + static_cast<uint32_t>(file.size());
}

// Points the system's temporary folder elsewhere while it lives.
class ScopedTempFolder {
  public:
    explicit ScopedTempFolder(const std::filesystem::path& folder) {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.push_back(value ? value : "");
            Set(name, folder.string());
        }
    }
    ~ScopedTempFolder() {
        for (size_t i = 0; i < std::size(kNames); ++i) Set(kNames[i], saved_[i]);
    }

  private:
    static void Set(const char* name, const std::string& value) {
#ifdef _WIN32
        _putenv_s(name, value.c_str());
#else
        value.empty() ? unsetenv(name) : setenv(name, value.c_str(), 1);
#endif
    }
    static constexpr const char* kNames[] = {"TMPDIR", "TMP", "TEMP"};
    std::vector<std::string> saved_;
};

// A fresh folder per test, removed afterwards.
class TempFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("kolvane-") + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path Put(const std::string& name, const std::string& bytes) {
        WriteAll(dir_ / name, bytes);
        return dir_ / name;
    }

    std::filesystem::path dir_;
};

// Header positions in the files PeFixture builds.
struct FixtureHeaders {
    explicit FixtureHeaders(bool pe32Plus)
        : dirs(kOptional + (pe32Plus ? 112 : 96)), sections(kOptional + (pe32Plus ? 240 : 224)) {}
    static constexpr uint64_t kOptional = 0x98;
    uint64_t dirs;
    uint64_t sections;
    uint64_t Section(unsigned i) const { return sections + 40 * i; }
};

}  // namespace kolvane::iconchanger
