// The package store on a setup-sized image: 256 MiB holding 65 file slots. Extracting
// every slot and deleting every file section (as writing the uninstaller does) must each
// cost no more than a few plain copies of the image; a copy runs in the same program
// for comparison.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "package/Sections.h"

namespace kolvane {
namespace {

constexpr size_t kImageBytes = size_t{256} << 20;
constexpr int kSlots = 65;

const std::string& SetupImage() {
    static const std::string image = [] {
        std::mt19937_64 random(1);
        auto randomBytes = [&](size_t count) {
            std::string bytes(count, '\0');
            for (size_t i = 0; i + 8 <= count; i += 8) {
                const uint64_t word = random();
                std::memcpy(bytes.data() + i, &word, 8);
            }
            return bytes;
        };
        PackageImage built(randomBytes(1 << 20));  // the program itself
        const size_t payload = (kImageBytes - built.Size()) / kSlots;
        for (int slot = 0; slot < kSlots; ++slot) {
            AppendSection("YourFileName" + std::to_string(slot), "file" + std::to_string(slot) + ".bin", built);
            AppendSection("YourFile" + std::to_string(slot), randomBytes(payload), built);
        }
        AppendSection("ScriptFileName0", "My Project.txt", built);
        AppendSection("scriptFile0", "Project=My Project\r\n", built);
        return built.ToString();
    }();
    return image;
}

void ExtractAllSlots(benchmark::State& state) {
    const PackageImage image(SetupImage());
    for (auto _ : state) {
        for (int slot = 0; slot < kSlots; ++slot) {
            std::string name, data;
            ExtractSection(image, "YourFileName" + std::to_string(slot), name);
            ExtractSection(image, "YourFile" + std::to_string(slot), data);
            benchmark::DoNotOptimize(data.data());
        }
    }
}

void DeleteAllFileSections(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        PackageImage image(SetupImage());
        state.ResumeTiming();
        for (int slot = 0; slot < kSlots; ++slot) {
            DeleteSection("YourFileName" + std::to_string(slot), image);
            DeleteSection("YourFile" + std::to_string(slot), image);
        }
        benchmark::DoNotOptimize(image.Size());
        state.PauseTiming();
        image.Clear();  // freeing is not part of the deletions
        state.ResumeTiming();
    }
}

void CopyImage(benchmark::State& state) {
    const std::string& image = SetupImage();
    std::string copy(image.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), image.data(), image.size());
        benchmark::ClobberMemory();
    }
}

// What loading adds to reading the file: finding every marker once.
void IndexImage(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::string bytes = SetupImage();
        state.ResumeTiming();
        PackageImage image(std::move(bytes));
        benchmark::DoNotOptimize(image.Size());
        state.PauseTiming();
        image.Clear();
        state.ResumeTiming();
    }
}

BENCHMARK(CopyImage)->Unit(benchmark::kMillisecond);
BENCHMARK(ExtractAllSlots)->Unit(benchmark::kMillisecond);
// Each run needs a fresh image, made outside the timing: a few runs are enough.
BENCHMARK(DeleteAllFileSections)->Unit(benchmark::kMillisecond)->Iterations(8);
BENCHMARK(IndexImage)->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace
}  // namespace kolvane
