// velmora-spectra end to end: 1000 synthetic records of 3000 samples as
// two-column text files on disk, 160 periods at 5 % damping, read, computed
// on one core and on two (the argument is --jobs) and written as one CSV
// file. records_per_second is the figure users see; the ratio of the two
// runs tells how much of the batch is still serial. The CPU column is the
// whole process's, so a busy machine still shows the work done.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/batch.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t RECORD_COUNT = 1000;
constexpr std::size_t SAMPLES = 3000;
constexpr double DT = 0.01;

// Earthquake-like content: harmonics under an envelope plus LCG noise.
std::string recordText(std::uint64_t seed) {
    std::string text = "time_s,acc_m_s2\n";
    char buffer[64];
    for (std::size_t k = 0; k < SAMPLES; ++k) {
        const double t = static_cast<double>(k) * DT;
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const double noise = static_cast<double>(seed >> 11) * 0x1.0p-53 - 0.5;
        const double envelope = t / 5.0 * std::exp(1.0 - t / 5.0);
        const double a =
            envelope * (2.0 * std::sin(6.0 * t) + 1.2 * std::sin(17.0 * t + 0.3) + 1.5 * noise);
        char* p = std::to_chars(buffer, buffer + sizeof buffer, t).ptr;
        *p++ = ',';
        p = std::to_chars(p, buffer + sizeof buffer, a).ptr;
        *p++ = '\n';
        text.append(buffer, p);
    }
    return text;
}

// The record files, written once per process and removed at its end.
class RecordFolder {
  public:
    RecordFolder()
        : root_(fs::temp_directory_path() / ("velmora-bench-batch-" + std::to_string(::getpid()))) {
        fs::create_directories(root_ / "records");
        for (std::size_t i = 0; i < RECORD_COUNT; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "rec%04zu.csv", i);
            std::ofstream(root_ / "records" / name) << recordText(i + 1);
        }
    }
    ~RecordFolder() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    const fs::path& root() const { return root_; }

  private:
    fs::path root_;
};

const RecordFolder& recordFolder() {
    static const RecordFolder folder;
    return folder;
}

void BM_BatchFilesToCsv(benchmark::State& state) {
    const RecordFolder& folder = recordFolder();
    velmora::spectra::Options options;
    options.inputs = {(folder.root() / "records").string()};
    options.outputFile = (folder.root() / "spectra.csv").string();
    options.quiet = true;
    options.jobs = static_cast<unsigned>(state.range(0));
    for (auto _ : state) {
        std::ostringstream out, err;
        if (velmora::spectra::runBatch(options, out, err, false) != 0) {
            state.SkipWithError(("the batch failed: " + err.str()).c_str());
            break;
        }
    }
    state.counters["records_per_second"] = benchmark::Counter(
        static_cast<double>(RECORD_COUNT) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BatchFilesToCsv)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
