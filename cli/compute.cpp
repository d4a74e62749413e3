#include "cli/compute.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "cli/numbers.h"
#include "engine/solver.h"
#include "engine/solver_hold.h"

namespace velmora::spectra {

RunSettings runSettings(const Options& options) {
    RunSettings s;
    s.classic = options.classic;
    s.excitation = options.excitation;
    const SpectrumGrid classic = classicGrid();
    s.periods = options.classic || options.periods.empty() ? classic.periods : options.periods;
    s.twoPi = options.classic ? classic.twoPi : 2.0 * std::numbers::pi;
    s.damping = options.damping;
    s.scale = options.scale;
    s.dtOverride = options.classic ? classic.dt : options.dt.value_or(0.0);
    s.inputUnit = options.inputUnit;
    s.units = resultUnits(options.outputUnit);
    s.read.variable = options.variable;
    s.read.timeStepGiven = s.dtOverride > 0.0;
    s.read.unitGiven = options.inputUnit;
    if (options.classic) s.read.classicStep = classic.dt;
    return s;
}

std::string methodText(const RunSettings& settings) {
    if (settings.classic) {
        return "the program's constants: acceleration held over each 0.02 s step, "
               "PSV = omega_d SD, SA = omega^2 SD, omega = 6.28 / T";
    }
    return std::string(settings.excitation == Excitation::Linear
                           ? "acceleration linear between samples"
                           : "acceleration held over each step") +
           ", SD = max |u|, SV = max |v|, PSV = omega SD, SA = omega^2 SD, omega = 2 pi / T";
}

RecordSpectra computeRecord(const RecordSource& source, const RunSettings& settings) {
    RawRecord raw = readRecord(source, settings.read);
    RecordSpectra out;
    out.name = source.name;
    out.label = source.label;
    out.format = raw.format;
    out.warnings = std::move(raw.warnings);
    out.inputUnit = settings.inputUnit.value_or(raw.unit);
    out.samples = raw.samples.size();
    out.dt = settings.dtOverride > 0.0 ? settings.dtOverride : raw.dt;
    if (!(out.dt > 0.0)) {
        throw RecordError("gives no time step (a single column of accelerations); give --dt");
    }
    // The program's order: the record in m/s^2, then times the scale factor.
    std::vector<double>& a = raw.samples;
    convertToMs2(out.inputUnit, a.data(), a.size());
    if (settings.scale != 1.0) {
        for (double& x : a) x *= settings.scale;
    }
    for (double x : a) {
        if (!std::isfinite(x)) throw RecordError("overflows when converted and scaled");
    }
    if (!settings.classic) {
        for (const double period : settings.periods) {
            const std::string why = periodOutsideValidatedRange(period, out.dt);
            if (!why.empty()) throw RecordError(why);
        }
    }
    // Samples used: the program's at most MAX_STEPS, otherwise all.
    const std::size_t n = settings.classic ? std::min(MAX_STEPS, a.size()) : a.size();
    const bool linear = !settings.classic && settings.excitation == Excitation::Linear;
    out.steps = linear ? (n > 0 ? n - 1 : 0) : n;

    SpectrumGrid grid;
    grid.periods = settings.periods;
    grid.dt = out.dt;
    grid.twoPi = settings.twoPi;
    const ResultUnits& u = settings.units;
    for (double zeta : settings.damping) {
        const SpectrumResult r =
            settings.classic ? solveSpectrum(a.data(), n, zeta, grid)
                             : solveHoldSpectrum(a.data(), n, zeta, grid, settings.excitation);
        DampedSpectrum d;
        d.zeta = zeta;
        d.sd.reserve(r.sd.size());
        d.sv.reserve(r.sd.size());
        d.psv.reserve(r.sd.size());
        d.sa.reserve(r.sd.size());
        for (std::size_t j = 0; j < r.sd.size(); ++j) {
            d.sd.push_back(u.length(r.sd[j]));
            d.sv.push_back(u.length(r.sv[j]));
            d.psv.push_back(u.length(r.psv[j]));
            d.sa.push_back(u.accel(r.sa[j]));
            if (!std::isfinite(d.sd.back()) || !std::isfinite(d.sv.back()) ||
                !std::isfinite(d.psv.back()) || !std::isfinite(d.sa.back())) {
                throw RecordError("the response at period " + shortestText(grid.periods[j]) +
                                  " s does not fit in a number (time step and period too far "
                                  "apart)");
            }
        }
        out.spectra.push_back(std::move(d));
    }
    return out;
}

}  // namespace velmora::spectra
