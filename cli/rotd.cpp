#include "cli/rotd.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "cli/numbers.h"
#include "cli/pairs.h"
#include "engine/rotd.h"

namespace velmora::spectra {

std::vector<RecordSource> pairSources(const std::vector<RecordSource>& sources, bool byName,
                                      bool report, std::ostream& err) {
    std::vector<RecordSource> records, out;
    for (const RecordSource& s : sources) (s.problem.empty() ? records : out).push_back(s);
    const Pairing p = byName ? pairByName(records) : pairInOrder(records);
    for (const std::string& problem : p.problems) {
        RecordSource s;
        s.name = s.label = "pairing";
        s.problem = problem;
        out.push_back(std::move(s));
    }
    for (const RecordPair& pair : p.pairs) {
        RecordSource s;
        s.name = pair.name;
        s.label = "pair " + pair.name + " (" + pair.h1.label + ", " + pair.h2.label + ")";
        s.components = {pair.h1, pair.h2};
        if (byName && report) {
            err << "velmora-spectra: pair " << pair.name << ": H1 " << pair.h1.label << ", H2 "
                << pair.h2.label << "\n";
        }
        out.push_back(std::move(s));
    }
    // Names stay unique: they head the columns.
    const auto taken = [&](std::size_t i, const std::string& name) {
        return std::any_of(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(i),
                           [&](const RecordSource& s) { return s.name == name; });
    };
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::string base = out[i].name;
        for (int copy = 2; taken(i, out[i].name); ++copy)
            out[i].name = base + "_" + std::to_string(copy);
    }
    return out;
}

RecordSpectra computePair(const RecordSource& pair, const RunSettings& settings) {
    // A component's failure names the component.
    const auto prepare = [&](const RecordSource& c) {
        try {
            return prepareRecord(c, settings);
        } catch (const RecordError& e) {
            throw RecordError(c.label + ": " + e.what());
        }
    };
    PreparedRecord h1 = prepare(pair.components.at(0));
    PreparedRecord h2 = prepare(pair.components.at(1));
    if (h1.info.dt != h2.info.dt) {
        throw RecordError("the components' time steps differ: " + pair.components[0].label + " " +
                          shortestText(h1.info.dt) + " s, " + pair.components[1].label + " " +
                          shortestText(h2.info.dt) + " s");
    }
    RecordSpectra out = h1.info;
    out.name = pair.name;
    out.label = pair.label;
    out.components = {pair.components[0].label, pair.components[1].label};
    out.warnings.clear();
    for (const PreparedRecord* c : {&h1, &h2}) {
        for (const std::string& w : c->info.warnings)
            out.warnings.push_back(c->info.label + ": " + w);
    }
    const std::size_t n = std::max(h1.a.size(), h2.a.size());
    for (PreparedRecord* c : {&h1, &h2}) {
        if (c->a.size() < n) {
            out.warnings.push_back("warning: " + c->info.label + " has " +
                                   std::to_string(c->a.size()) + " samples, the other " +
                                   std::to_string(n) + ": extended with zeros");
            c->a.resize(n, 0.0);
        }
    }
    out.samples = n;
    out.steps = n > 0 ? n - 1 : 0;
    if (settings.measures) {
        out.measures = {measuresOf(h1, settings), measuresOf(h2, settings)};
    }
    const SpectrumGrid grid = gridOf(settings, out.dt);
    const ResultUnits& u = settings.units;
    for (double zeta : settings.damping) {
        const RotDSpectrum r = solveRotD(h1.a.data(), h2.a.data(), n, zeta, grid, settings.rotd);
        DampedSpectrum d;
        d.zeta = zeta;
        for (std::size_t i = 0; i < r.percentiles.size(); ++i) {
            RotDOrdinates o;
            o.percentile = r.percentiles[i];
            for (std::size_t j = 0; j < grid.periods.size(); ++j) {
                o.sd.push_back(u.length(r.sd[i][j]));
                o.sa.push_back(u.accel(r.sa[i][j]));
                checkFinite({o.sd.back(), o.sa.back()}, grid.periods[j]);
            }
            d.rotd.push_back(std::move(o));
        }
        out.spectra.push_back(std::move(d));
    }
    return out;
}

std::vector<RecordSpectra> rotdCurves(const std::vector<const RecordSpectra*>& pairs,
                                      const RunSettings& settings) {
    std::vector<RecordSpectra> curves;
    for (const RecordSpectra* r : pairs) {
        for (const DampedSpectrum& d : r->spectra) {
            for (const RotDOrdinates& o : d.rotd) {
                RecordSpectra c;
                c.name = r->name + " RotD" + shortestText(o.percentile);
                DampedSpectrum s;
                s.zeta = d.zeta;
                s.sd = o.sd;
                s.sa = o.sa;
                s.sv.assign(o.sd.size(), std::numeric_limits<double>::quiet_NaN());
                for (std::size_t j = 0; j < o.sd.size(); ++j)
                    s.psv.push_back(settings.twoPi / settings.periods[j] * o.sd[j]);
                c.spectra.push_back(std::move(s));
                curves.push_back(std::move(c));
            }
        }
    }
    return curves;
}

}  // namespace velmora::spectra
