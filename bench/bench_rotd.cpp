// RotD50 and RotD100 of the RSN8883 pair (16,396 samples at 0.005 s) at the
// flatfile's 111 periods, 5 % damping: velmora-spectra's way (samples that
// cannot set a peak skipped, the rest folded in across all angles at once)
// and a plain loop over the angles, each a pass over every sample.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "cli/readers.h"
#include "engine/rotd.h"
#include "engine/solver_hold.h"

namespace {

using namespace velmora;

const std::string kFixtures = VELMORA_SOURCE_DIR "/tests/fixtures/";

struct Pair {
    std::vector<double> a1, a2;
    SpectrumGrid grid;
};

const Pair& rsn8883() {
    static const Pair pair = [] {
        Pair p;
        spectra::RecordSource s;
        s.path = kFixtures + "RSN8883_14383980_13849090.AT2";
        s.label = s.path;
        const spectra::RawRecord h1 = spectra::readRecord(s, {});
        s.path = s.label = kFixtures + "RSN8883_14383980_13849360.AT2";
        const spectra::RawRecord h2 = spectra::readRecord(s, {});
        p.a1 = h1.samples;
        p.a2 = h2.samples;
        spectra::convertToMs2(h1.unit, p.a1.data(), p.a1.size());
        spectra::convertToMs2(h2.unit, p.a2.data(), p.a2.size());
        const std::size_t n = std::max(p.a1.size(), p.a2.size());
        p.a1.resize(n, 0.0);
        p.a2.resize(n, 0.0);
        std::ifstream in(kFixtures + "nga_west2_psa_rsn8883.csv");
        std::string line;
        bool header = true;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            if (header) {
                header = false;
                continue;
            }
            p.grid.periods.push_back(std::stod(line.substr(0, line.find(','))));
        }
        p.grid.dt = h1.dt;
        p.grid.twoPi = 2.0 * std::numbers::pi;
        return p;
    }();
    return pair;
}

const std::vector<double> kPercentiles = {50.0, 100.0};

void setItems(benchmark::State& state, const Pair& p) {
    state.counters["periods"] = static_cast<double>(p.grid.periods.size());
    state.counters["samples"] = static_cast<double>(p.a1.size());
}

void BM_RotD_RSN8883(benchmark::State& state) {
    const Pair& p = rsn8883();
    for (auto _ : state) {
        RotDSpectrum r =
            solveRotD(p.a1.data(), p.a2.data(), p.a1.size(), 0.05, p.grid, kPercentiles);
        benchmark::DoNotOptimize(r.sa.data());
    }
    setItems(state, p);
}
BENCHMARK(BM_RotD_RSN8883)->Unit(benchmark::kMillisecond);

// The same results with every angle's peak taken by its own pass.
void BM_RotD_RSN8883_PlainAngleLoop(benchmark::State& state) {
    const Pair& p = rsn8883();
    const std::size_t n = p.a1.size();
    std::vector<double> u1(n), u2(n);
    for (auto _ : state) {
        std::vector<double> sa;
        for (double period : p.grid.periods) {
            const HoldOscillator o = holdOscillator(period, 0.05, p.grid.dt, p.grid.twoPi);
            displacementHistory(o.ad, o.b0, o.b1, p.a1.data(), n, u1.data());
            displacementHistory(o.ad, o.b0, o.b1, p.a2.data(), n, u2.data());
            const AnglePeaks peaks = rotatedPeaksPlain(u1.data(), u2.data(), n);
            const std::vector<double> v(peaks.begin(), peaks.end());
            for (double pc : kPercentiles) sa.push_back(o.omega * o.omega * percentileOf(v, pc));
        }
        benchmark::DoNotOptimize(sa.data());
    }
    setItems(state, p);
}
BENCHMARK(BM_RotD_RSN8883_PlainAngleLoop)->Unit(benchmark::kMillisecond);

}  // namespace
