#include "cli/compute.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>

#include "cli/numbers.h"
#include "cli/rotd.h"
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
    s.rotd = options.rotd;
    s.measures = options.measures;
    s.spectra = options.spectra;
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

PreparedRecord prepareRecord(const RecordSource& source, const RunSettings& settings) {
    RawRecord raw = readRecord(source, settings.read);
    PreparedRecord p;
    RecordSpectra& out = p.info;
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
    p.a = std::move(raw.samples);
    std::vector<double>& a = p.a;
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
    return p;
}

SpectrumGrid gridOf(const RunSettings& settings, double dt) {
    SpectrumGrid grid;
    grid.periods = settings.periods;
    grid.dt = dt;
    grid.twoPi = settings.twoPi;
    return grid;
}

void checkFinite(std::initializer_list<double> values, double period) {
    for (double x : values) {
        if (!std::isfinite(x)) {
            throw RecordError("the response at period " + shortestText(period) +
                              " s does not fit in a number (time step and period too far "
                              "apart)");
        }
    }
}

RecordMeasures measuresOf(const PreparedRecord& record, const RunSettings& settings) {
    const ResultUnits& u = settings.units;
    RecordMeasures m;
    m.name = record.info.name;
    m.label = record.info.label;
    const double* a = record.a.data();
    const std::size_t n = record.a.size();
    m.ground = groundMeasures(a, n, record.info.dt);
    m.ground.pga = u.accel(m.ground.pga);
    m.ground.pgv = u.length(m.ground.pgv);
    m.ground.pgd = u.length(m.ground.pgd);
    for (double zeta : settings.damping)
        m.si.push_back(
            u.length(spectrumIntensity(a, n, record.info.dt, zeta, settings.excitation)));
    return m;
}

RecordSpectra computeRecord(const RecordSource& source, const RunSettings& settings) {
    if (!source.components.empty()) return computePair(source, settings);
    PreparedRecord p = prepareRecord(source, settings);
    if (settings.measures) p.info.measures = {measuresOf(p, settings)};
    RecordSpectra out = std::move(p.info);
    const std::vector<double>& a = p.a;
    // Samples used: the program's at most MAX_STEPS, otherwise all.
    const std::size_t n = settings.classic ? std::min(MAX_STEPS, a.size()) : a.size();
    const bool linear = !settings.classic && settings.excitation == Excitation::Linear;
    out.steps = linear ? (n > 0 ? n - 1 : 0) : n;
    if (!settings.spectra) return out;

    const SpectrumGrid grid = gridOf(settings, out.dt);
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
            checkFinite({d.sd.back(), d.sv.back(), d.psv.back(), d.sa.back()}, grid.periods[j]);
        }
        out.spectra.push_back(std::move(d));
    }
    return out;
}

}  // namespace velmora::spectra
