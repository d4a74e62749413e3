// The analysis run: loads the chosen records, runs the solver once per
// damping ratio (Option 1) or per record (Option 2) with the please-wait
// window showing progress, stores the result arrays and opens the results.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/functions.h"
#include "app/global_state.h"
#include "engine/ground_motion.h"
#include "engine/solver.h"
#include "host/graphics_host.h"

namespace velmora {

namespace {

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

double scalarSetting(G id, const char* what) {
    const Value& v = gv(id);
    if (!v.isScalar() || !std::isfinite(v.toDouble())) {
        throw Error(std::string("The ") + what + " is not a single number.");
    }
    return v.toDouble();
}

double entry(G id, std::size_t i, const char* what) {
    const Value& v = gv(id);
    if (!v.isDouble() || v.numel() < i || !std::isfinite(v(i))) {
        throw Error(std::string("The ") + what + " " + std::to_string(i) + " is missing.");
    }
    return v(i);
}

std::size_t count(G id, const char* what) {
    const double n = scalarSetting(id, what);
    if (n < 0 || n != std::floor(n) || n > 1000) {
        throw Error(std::string("The ") + what + " is not a whole number.");
    }
    return static_cast<std::size_t>(n);
}

void progress(std::size_t i, std::size_t total) {
    const Value fraction = Value::scalar(static_cast<double>(i) / static_cast<double>(total + 1));
    waitbar(0, &fraction, nullptr);
}

void runOption1() {
    const Value& catalogue = gv(G::EQ_data);
    const auto record = static_cast<std::size_t>(scalarSetting(G::RECORD, "record number"));
    const std::vector<double> a =
        load_ground_motion(catalogue, record, scalarSetting(G::SCALE1, "scale factor"), false);
    const std::size_t numdamp = count(G::numdamp, "number of damping ratios");
    const std::vector<Handle> windowsBefore = mlfAllchild(0);
    velmora_gui06wait(0);
    const std::size_t n = std::min(MAX_STEPS, a.size());
    RunResults res;
    for (std::size_t i = 1; i <= numdamp; ++i) {
        progress(i, numdamp);
        const double zeta = entry(G::damp, i, "damping ratio");
        res.add(compute_ordinates(a.data(), n, zeta));
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
    const double zeta = scalarSetting(G::DAMP, "damping ratio");
    const std::size_t numquakes = count(G::numquakes, "number of records");
    const std::vector<Handle> windowsBefore = mlfAllchild(0);
    velmora_gui06wait(0);
    RunResults res;
    for (std::size_t q = 1; q <= numquakes; ++q) {
        progress(q, numquakes);
        const auto record = static_cast<std::size_t>(entry(G::EQ, q, "record"));
        const std::vector<double> a =
            load_ground_motion(catalogue, record, entry(G::SCALE2, q, "scale factor"), true);
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
