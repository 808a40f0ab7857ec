// Md5OfFile on a 256 MiB file. Run with bench/compare_md5.sh to see it beside
// md5sum on the same file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "logic/md5.h"

namespace {

constexpr uint64_t kFileSize = 256ull << 20;

// KORVANE_BENCH_MD5_FILE if set (the comparison script makes it), else a file
// of pseudo-random bytes made here once.
std::string DataFile() {
    if (const char* env = std::getenv("KORVANE_BENCH_MD5_FILE")) return env;
    const std::string file = "/tmp/korvane-bench-md5.bin";
    std::error_code ec;
    if (std::filesystem::file_size(file, ec) == kFileSize) return file;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    std::mt19937_64 random(1);
    std::vector<uint64_t> block(1 << 16);
    for (uint64_t written = 0; written < kFileSize; written += block.size() * sizeof(uint64_t)) {
        for (auto& word : block) word = random();
        out.write(reinterpret_cast<const char*>(block.data()),
                  static_cast<std::streamsize>(block.size() * sizeof(uint64_t)));
    }
    return file;
}

void BM_Md5OfFile(benchmark::State& state) {
    const std::string file = DataFile();
    const auto size = std::filesystem::file_size(file);
    korvane::Md5OfFile(file);  // bring the file into the page cache
    for (auto _ : state) benchmark::DoNotOptimize(korvane::Md5OfFile(file));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(BM_Md5OfFile)->Unit(benchmark::kMillisecond);

}  // namespace
