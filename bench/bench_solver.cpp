// Response-spectrum solver throughput in oscillator-steps per second
// (items_per_second): the vectorised solver and the plain scalar recurrence
// on the program's two kinds of run, so their ratio reads off one report,
// and velmora-spectra's kernels for a record held constant over each step
// and for one varying linearly between samples, on the same work.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/solver.h"
#include "engine/solver_hold.h"
#include "engine/solver_lanes.h"
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

bool skipUnavailable(benchmark::State& state, SolverKernel kernel) {
    if (solverKernelAvailable(kernel)) return false;
    state.SkipWithError("instruction set not available");
    for (auto _ : state) {
    }
    return true;
}

SpectrumGrid holdGrid() {
    SpectrumGrid grid = classicGrid();
    grid.twoPi = 2.0 * 3.141592653589793;
    return grid;
}

void setHoldItems(benchmark::State& state, Excitation excitation) {
    const std::size_t steps = excitation == Excitation::Linear ? MAX_STEPS - 1 : MAX_STEPS;
    state.SetItemsProcessed(state.iterations() *
                            static_cast<std::int64_t>(RATIO_COUNT * PERIOD_COUNT * steps));
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
    if (skipUnavailable(state, kernel)) return;
    static const SpectrumGrid grid = classicGrid();
    option1(state, [&](const double* a, std::size_t n, double zeta) {
        return solveSpectrum(a, n, zeta, grid, kernel);
    });
}

// velmora-spectra's two kernels on Option 1's work (160 periods, 1500
// samples, nine damping ratios, 2 pi), time stepping only: items are the
// oscillator steps taken, 1500 per period held constant and 1499 linear.
// Argument: 0 generic SSE2, 1 AVX2, 2 AVX-512, 3 the widest available.
void holdKernel(benchmark::State& state, Excitation excitation) {
    const SolverKernel kernels[] = {SolverKernel::Generic, SolverKernel::Avx2, SolverKernel::Avx512,
                                    SolverKernel::Auto};
    const SolverKernel kernel = kernels[state.range(0)];
    if (skipUnavailable(state, kernel)) return;
    const SpectrumGrid grid = holdGrid();
    const std::vector<double> record = syntheticRecord(1);
    struct Coefficients {
        std::vector<Mat2> ad;
        std::vector<Vec2> hold, b0, b1;
    };
    std::vector<Coefficients> perRatio;
    for (double zeta : RATIOS) {
        Coefficients c;
        for (double period : grid.periods) {
            const HoldOscillator o = holdOscillator(period, zeta, grid.dt, grid.twoPi);
            c.ad.push_back(o.ad);
            c.hold.push_back(o.hold);
            c.b0.push_back(o.b0);
            c.b1.push_back(o.b1);
        }
        perRatio.push_back(std::move(c));
    }
    for (auto _ : state) {
        for (const Coefficients& c : perRatio) {
            lanes::PeakRows p =
                excitation == Excitation::Linear
                    ? lanes::stepLinearHold(c.ad, c.b0, c.b1, record.data(), MAX_STEPS, kernel)
                    : lanes::stepConstantHold(c.ad, c.hold, record.data(), MAX_STEPS, kernel);
            benchmark::DoNotOptimize(p.sd.data());
        }
    }
    setHoldItems(state, excitation);
}

void BM_Kernel_ConstantHold(benchmark::State& state) {
    holdKernel(state, Excitation::Constant);
}
void BM_Kernel_LinearHold(benchmark::State& state) {
    holdKernel(state, Excitation::Linear);
}

// Both kernels on the widest instruction set, time stepping only, for many
// periods: 3000 samples at 0.01 s, 5 % damping, periods log-spaced from
// 0.05 to 10 s. The periods are stepped in tiles that stay in the L1 cache,
// so throughput should not fall with their number. Arguments: excitation
// (0 linear, 1 constant), number of periods, and 1 to follow the record by
// 27000 samples of silence, in which the oscillators decay through the
// subnormal numbers.
void BM_Kernel_Periods(benchmark::State& state) {
    const Excitation excitation = state.range(0) == 0 ? Excitation::Linear : Excitation::Constant;
    const auto count = static_cast<std::size_t>(state.range(1));
    constexpr double DT = 0.01;
    std::vector<double> record = syntheticRecord(2);
    if (state.range(2) != 0) record.resize(10 * RECORD_LENGTH, 0.0);
    std::vector<Mat2> ad;
    std::vector<Vec2> hold, b0, b1;
    for (std::size_t j = 0; j < count; ++j) {
        const double period =
            0.05 * std::pow(200.0, static_cast<double>(j) / static_cast<double>(count - 1));
        const HoldOscillator o = holdOscillator(period, 0.05, DT, 2.0 * 3.141592653589793);
        ad.push_back(o.ad);
        hold.push_back(o.hold);
        b0.push_back(o.b0);
        b1.push_back(o.b1);
    }
    const std::size_t n = record.size();
    for (auto _ : state) {
        lanes::PeakRows p =
            excitation == Excitation::Linear
                ? lanes::stepLinearHold(ad, b0, b1, record.data(), n, SolverKernel::Auto)
                : lanes::stepConstantHold(ad, hold, record.data(), n, SolverKernel::Auto);
        benchmark::DoNotOptimize(p.sd.data());
    }
    const std::size_t steps = excitation == Excitation::Linear ? n - 1 : n;
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(count * steps));
}

// The whole default-mode solve, coefficients included, and the scalar loop.
template <class Solve>
void holdSpectra(benchmark::State& state, Solve solve) {
    const SpectrumGrid grid = holdGrid();
    const std::vector<double> record = syntheticRecord(1);
    for (auto _ : state) {
        for (double zeta : RATIOS) {
            SpectrumResult r = solve(record.data(), zeta, grid);
            benchmark::DoNotOptimize(r.sd.data());
        }
    }
    setHoldItems(state, Excitation::Linear);
}

void BM_Linear_Vectorised(benchmark::State& state) {
    holdSpectra(state, [](const double* a, double zeta, const SpectrumGrid& grid) {
        return solveHoldSpectrum(a, MAX_STEPS, zeta, grid, Excitation::Linear);
    });
}
void BM_Linear_ScalarReference(benchmark::State& state) {
    holdSpectra(state, [](const double* a, double zeta, const SpectrumGrid& grid) {
        return solveHoldSpectrumReference(a, MAX_STEPS, zeta, grid, Excitation::Linear);
    });
}

}  // namespace

BENCHMARK(BM_Option1_Vectorised)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Option1_ScalarReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Option2_Vectorised)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Option2_ScalarReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Option1_Kernel)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Kernel_ConstantHold)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Kernel_LinearHold)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Kernel_Periods)
    ->ArgsProduct({{0, 1}, {160, 10000, 100000}, {0}})
    ->Args({0, 160, 1})
    ->Args({1, 160, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Linear_Vectorised)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Linear_ScalarReference)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
