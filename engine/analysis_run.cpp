// The analysis run: loads the chosen records, runs the solver once per
// damping ratio (Option 1) or per record (Option 2) with the please-wait
// window showing progress, stores the result arrays and opens the results.
#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "app/functions.h"
#include "app/global_state.h"
#include "engine/ground_motion.h"
#include "engine/solver.h"
#include "host/graphics_host.h"

namespace velmora {

namespace {

// What the input screens allow: at most 9 damping ratios or records.
constexpr std::size_t MAX_RATIOS = 9;
constexpr std::size_t MAX_RECORDS = 9;

// The run's results, kept apart from the globals until the run succeeds, so
// that a failed run leaves the previous results untouched.
struct RunResults {
    std::size_t rows = 0;
    std::vector<std::vector<double>> sd, sv, psv, sa;
    std::vector<double> period;
    std::vector<double> time;
    std::vector<std::vector<double>> acc;

    void add(const SpectrumResult& r) {
        ++rows;
        sd.push_back(r.sd);
        sv.push_back(r.sv);
        psv.push_back(r.psv);
        sa.push_back(r.sa);
        period = r.period;
        time = r.time;
    }
};

void closeWindowsOpenedSince(const std::vector<Handle>& before);

Value matrixOfRows(const std::vector<std::vector<double>>& rows, std::size_t cols) {
    Value m = Value::zeros(rows.size(), cols);
    for (std::size_t r = 0; r < rows.size(); ++r) m.setRow(r + 1, rows[r]);
    return m;
}

// Stores the results; with no rows (an Option 2 run without records) the
// period and time axes keep their previous values.
void store(const RunResults& res) {
    gv(G::SD) = matrixOfRows(res.sd, PERIOD_COUNT);
    gv(G::SV) = matrixOfRows(res.sv, PERIOD_COUNT);
    gv(G::PSV) = matrixOfRows(res.psv, PERIOD_COUNT);
    gv(G::SA) = matrixOfRows(res.sa, PERIOD_COUNT);
    gv(G::ACC) = matrixOfRows(res.acc, res.acc.empty() ? MAX_STEPS : res.acc.front().size());
    if (res.rows > 0) {
        gv(G::PERIOD) = Value::row(res.period);
        gv(G::TIME) = Value::row(res.time);
    }
}

// --- the run's inputs: every value is checked before any work, so that a
// value no screen would store (a script's `set`, a layout file) refuses the
// run with a message instead of computing nonsense.

double finiteScalar(G id, const char* what) {
    const Value& v = gv(id);
    if (!v.isScalar() || !std::isfinite(v.toDouble())) {
        throw Error(std::string("The ") + what + " is not a single finite number.");
    }
    return v.toDouble();
}

// Element i (1-based) of a row of numbers.
double entry(G id, std::size_t i, const char* what) {
    const Value& v = gv(id);
    if (!v.isDouble() || v.numel() < i) {
        throw Error(std::string("The ") + what + " " + std::to_string(i) + " is missing.");
    }
    return v(i);
}

// A whole number from `low` to `high`, converted only once it is known to
// be one.
std::size_t wholeNumber(double x, std::size_t low, std::size_t high, const std::string& what) {
    if (!(x >= static_cast<double>(low) && x <= static_cast<double>(high)) || x != std::floor(x)) {
        throw Error("The " + what + " " + messageNumber(x) + " is not a whole number from " +
                    std::to_string(low) + " to " + std::to_string(high) + ".");
    }
    return static_cast<std::size_t>(x);
}

double ratio(double x, const std::string& what) {
    if (!(x >= 0.0 && x <= 1.0)) {
        throw Error("The " + what + " " + messageNumber(x) + " is not between 0 and 1.");
    }
    return x;
}

double factor(double x, const std::string& what) {
    if (!std::isfinite(x))
        throw Error("The " + what + " " + messageNumber(x) + " is not a finite number.");
    return x;
}

std::size_t recordCount(const Value& catalogue) {
    return catalogue.isCell() && catalogue.rows() > 1 ? catalogue.rows() - 1 : 0;
}

std::size_t recordNumber(const Value& catalogue, double x) {
    return wholeNumber(x, 1, std::max<std::size_t>(recordCount(catalogue), 1), "record number");
}

// One record, scaled; the first time in a session that a synthetic
// stand-in is loaded, the console says so.
std::vector<double> loadRecord(const Value& catalogue, std::size_t r, double s, bool extend) {
    static std::set<std::string> announced;
    bool standIn = false;
    std::vector<double> a = load_ground_motion(catalogue, r, s, extend, &standIn);
    const std::string file = catalogue.cellAt(r + 1, 2).toText();
    if (standIn && announced.insert(file).second) {
        const std::string name = catalogue.cols() >= 3 ? catalogue.cellAt(r + 1, 3).toText() : file;
        mlfDisp("Note: record " + std::to_string(r) + ", " + name + " (" + file +
                "), is a synthetic stand-in with the catalogue's peak acceleration, not the "
                "recording.");
    }
    return a;
}

void progress(std::size_t i, std::size_t total) {
    const Value fraction = Value::scalar(static_cast<double>(i) / static_cast<double>(total + 1));
    waitbar(0, &fraction, nullptr);
}

void runOption1() {
    const Value& catalogue = gv(G::EQ_data);
    const std::size_t record = recordNumber(catalogue, finiteScalar(G::RECORD, "record number"));
    const double scale = finiteScalar(G::SCALE1, "scale factor");
    const std::size_t numdamp = wholeNumber(finiteScalar(G::numdamp, "number of damping ratios"), 1,
                                            MAX_RATIOS, "number of damping ratios");
    std::vector<double> damp;
    for (std::size_t i = 1; i <= numdamp; ++i) {
        damp.push_back(ratio(entry(G::damp, i, "damping ratio"), "damping ratio"));
    }
    const std::vector<double> a = loadRecord(catalogue, record, scale, false);
    const std::vector<Handle> windowsBefore = mlfAllchild(0);
    velmora_gui06wait(0);
    const std::size_t n = std::min(MAX_STEPS, a.size());
    RunResults res;
    for (std::size_t i = 1; i <= numdamp; ++i) {
        progress(i, numdamp);
        res.add(compute_ordinates(a.data(), n, damp[i - 1]));
    }
    res.acc.emplace_back(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n));
    store(res);
    // By handle: the current window may have changed while the run showed
    // its progress.
    closeWindowsOpenedSince(windowsBefore);
    velmora_gui07(Value::scalar(0));
}

void runOption2() {
    const Value& catalogue = gv(G::EQ_data);
    const double zeta = ratio(finiteScalar(G::DAMP, "damping ratio"), "damping ratio");
    const std::size_t numquakes = wholeNumber(finiteScalar(G::numquakes, "number of records"), 0,
                                              MAX_RECORDS, "number of records");
    std::vector<std::size_t> records;
    std::vector<double> scales;
    for (std::size_t q = 1; q <= numquakes; ++q) {
        records.push_back(recordNumber(catalogue, entry(G::EQ, q, "record")));
        scales.push_back(factor(entry(G::SCALE2, q, "scale factor"), "scale factor"));
    }
    const std::vector<Handle> windowsBefore = mlfAllchild(0);
    velmora_gui06wait(0);
    RunResults res;
    for (std::size_t q = 1; q <= numquakes; ++q) {
        progress(q, numquakes);
        const std::vector<double> a = loadRecord(catalogue, records[q - 1], scales[q - 1], true);
        const SpectrumResult r = compute_ordinates(a.data(), MAX_STEPS, zeta);
        res.add(r);
        res.acc.push_back(r.samples);
    }
    store(res);
    // By handle: the current window may have changed while the run showed
    // its progress.
    closeWindowsOpenedSince(windowsBefore);
    velmora_gui08(Value::scalar(0));
}

// Closes the windows the run opened (the please-wait window, or a waitbar
// window that stood in for it).
void closeWindowsOpenedSince(const std::vector<Handle>& before) {
    for (Handle f : mlfAllchild(0)) {
        if (std::find(before.begin(), before.end(), f) == before.end()) mlfNClose(f);
    }
}

}  // namespace

void velmora_gui06(const Value& call) {
    if (!call.isScalar() || call.toDouble() != 0) return;
    const bool option1 = gv(G::option).isScalar() && gv(G::option).toDouble() == 1;
    const std::vector<Handle> windowsBefore = mlfAllchild(0);
    try {
        if (option1) {
            runOption1();
        } else {
            runOption2();
        }
    } catch (const Error&) {
        // The user is not stranded: the run's windows go, the screen that
        // started the run opens again with every choice, and the message
        // (which names the file and the reason) is shown.
        closeWindowsOpenedSince(windowsBefore);
        if (option1) {
            velmora_gui04(Value::scalar(0));
        } else {
            velmora_gui05(Value::scalar(0));
        }
        throw;
    }
}

}  // namespace velmora
