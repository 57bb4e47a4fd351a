// ChangeIconGroup on a setup file with a 512 MiB package, against a plain file copy of the
// same file measured in the same run. The ratio counter is what to compare; absolute times
// depend on the machine. Files go to the build tree and are removed afterwards.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "PeFixture.h"
#include "iconchanger/IconChangerUnit.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const fs::path kDir = fs::path(KOLVANE_BENCH_DIR) / "icon-bench";
const fs::path kSource = kDir / "source.exe";
const fs::path kTarget = kDir / "setup.exe";
const fs::path kIcon = kDir / "a.ico";
constexpr uint64_t kPackageBytes = uint64_t{512} << 20;

void PrepareFiles() {
    if (fs::exists(kSource)) return;
    fs::create_directories(kDir);
    kolvane::testing::PeLayout layout;
    const std::string group = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 32, 0, 0, 4, 0, 0, 1, 0};
    layout.resources = {{{14, {}}, {0, u"MAINICON"}, 0, group},
                      {{3, {}}, {1, {}}, 0, std::string(1024, 'o')}};
    std::ofstream out(kSource, std::ios::binary);
    out << kolvane::testing::BuildPe(layout);
    std::string chunk(1 << 20, '\0');
    for (uint64_t written = 0; written < kPackageBytes; written += chunk.size()) {
        for (size_t i = 0; i < chunk.size(); i += 4096) chunk[i] = static_cast<char>(written >> 20);
        out << chunk;
    }
    // Images of 4, 9 and 17 KiB: the section grows, so the whole package moves.
    std::ofstream(kIcon, std::ios::binary) << kolvane::testing::BuildIcon({4096, 9216, 17408});
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void BM_ChangeIconGroupVsCopy(benchmark::State& state) {
    PrepareFiles();
    double copySeconds = 0, changeSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(kTarget);
        const auto copyStart = Clock::now();
        fs::copy_file(kSource, kTarget);
        copySeconds += Seconds(Clock::now() - copyStart);
        state.ResumeTiming();

        const auto changeStart = Clock::now();
        if (!kolvane::iconchanger::ChangeIconGroup(kTarget.string(), "MAINICON", kIcon.string()))
            state.SkipWithError("ChangeIconGroup failed");
        changeSeconds += Seconds(Clock::now() - changeStart);
    }
    state.counters["copy_s"] = copySeconds / static_cast<double>(state.iterations());
    state.counters["change_s"] = changeSeconds / static_cast<double>(state.iterations());
    state.counters["ratio_to_copy"] = changeSeconds / copySeconds;
    fs::remove_all(kDir);
}
BENCHMARK(BM_ChangeIconGroupVsCopy)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
