// Response-spectrum solver throughput in oscillator-steps per second
// (items_per_second): the vectorised solver and the plain scalar recurrence
// on the program's two kinds of run, so their ratio reads off one report.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/solver.h"
#include "engine/solver_reference.h"

namespace {

using namespace velmora;

constexpr std::size_t RECORD_LENGTH = 3000;
constexpr double RATIOS[] = {0.0, 0.02, 0.05, 0.07, 0.1, 0.15, 0.2, 0.3, 0.5};
constexpr std::size_t RATIO_COUNT = sizeof(RATIOS) / sizeof(RATIOS[0]);
constexpr std::size_t RECORD_COUNT = 9;
constexpr double OPTION2_RATIO = 0.05;

// A reproducible record with earthquake-like content: a few harmonics under
// a rising and decaying envelope plus LCG noise, peak a few m/s^2.
std::vector<double> syntheticRecord(std::uint64_t seed) {
    std::vector<double> a(RECORD_LENGTH);
    for (std::size_t k = 0; k < a.size(); ++k) {
        const double t = static_cast<double>(k) * TIME_STEP;
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const double noise = static_cast<double>(seed >> 11) * 0x1.0p-53 - 0.5;
        const double envelope = t / 3.0 * std::exp(1.0 - t / 3.0);
        a[k] = envelope * (2.0 * std::sin(6.0 * t) + 1.2 * std::sin(17.0 * t + 0.3) +
                           0.6 * std::sin(41.0 * t + 1.1) + 1.5 * noise);
    }
    return a;
}

void setItems(benchmark::State& state, std::size_t spectra) {
    state.SetItemsProcessed(state.iterations() *
                            static_cast<std::int64_t>(spectra * PERIOD_COUNT * MAX_STEPS));
}

// Option 1: one record, its first MAX_STEPS samples, every damping ratio.
template <class Solve>
void option1(benchmark::State& state, Solve solve) {
    const std::vector<double> record = syntheticRecord(1);
    const std::size_t n = record.size() < MAX_STEPS ? record.size() : MAX_STEPS;
    for (auto _ : state) {
        for (double zeta : RATIOS) {
            SpectrumResult r = solve(record.data(), n, zeta);
            benchmark::DoNotOptimize(r.sd.data());
        }
    }
    setItems(state, RATIO_COUNT);
}

// Option 2: several records at one ratio, each over exactly MAX_STEPS steps.
template <class Solve>
void option2(benchmark::State& state, Solve solve) {
    std::vector<std::vector<double>> records;
    for (std::size_t i = 0; i < RECORD_COUNT; ++i) records.push_back(syntheticRecord(100 + i));
    for (auto _ : state) {
        for (const auto& record : records) {
            const std::vector<double> a = stepSamples(record, MAX_STEPS);
            SpectrumResult r = solve(a.data(), MAX_STEPS, OPTION2_RATIO);
            benchmark::DoNotOptimize(r.sd.data());
        }
    }
    setItems(state, RECORD_COUNT);
}

SpectrumResult vectorised(const double* a, std::size_t n, double zeta) {
    return compute_ordinates(a, n, zeta);
}

SpectrumResult scalar(const double* a, std::size_t n, double zeta) {
    static const SpectrumGrid grid = classicGrid();
    return solveSpectrumReference(a, n, zeta, grid);
}

void BM_Option1_Vectorised(benchmark::State& state) {
    option1(state, vectorised);
}
void BM_Option1_ScalarReference(benchmark::State& state) {
    option1(state, scalar);
}
void BM_Option2_Vectorised(benchmark::State& state) {
    option2(state, vectorised);
}
void BM_Option2_ScalarReference(benchmark::State& state) {
    option2(state, scalar);
}

// Option 1 on each instruction set this processor has (0 generic SSE2,
// 1 AVX2, 2 AVX-512), to show what a machine without the wider ones gets.
void BM_Option1_Kernel(benchmark::State& state) {
    const SolverKernel kernels[] = {SolverKernel::Generic, SolverKernel::Avx2,
                                    SolverKernel::Avx512};
    const SolverKernel kernel = kernels[state.range(0)];
    if (!solverKernelAvailable(kernel)) {
        state.SkipWithError("instruction set not available");
        for (auto _ : state) {
        }
        return;
    }
    static const SpectrumGrid grid = classicGrid();
    option1(state, [&](const double* a, std::size_t n, double zeta) {
        return solveSpectrum(a, n, zeta, grid, kernel);
    });
}

}  // namespace

BENCHMARK(BM_Option1_Vectorised)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Option1_ScalarReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Option2_Vectorised)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Option2_ScalarReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Option1_Kernel)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
