// Writes the program's data folder: one MAT-file per catalogue record and
// the layout file velmora_gui.mat.
//
//   make_records OUTPUT_FOLDER SOURCE_FOLDER [--summary]
//
// SOURCE_FOLDER is the project's data/ folder. Impval1 is the El Centro
// 1940 N-S recording of elcentro_1940_ns.txt (converted from g to m/s^2);
// the entries with a <name>.txt there are real recordings, already in m/s^2
// at 0.02 s, each keeping its own length. sin_load is an exact sine. Every
// other record is a synthetic stand-in of the catalogue's length and peak
// acceleration: seeded noise shaped by a ground filter and an envelope,
// corrected for baseline drift. Each file also holds `provenance`, the text
// header of its source (or what the stand-in is), so the origin of the
// numbers travels with them.
// The output is the same, byte for byte, on every run. The stand-ins have
// their own random numbers and use only exactly rounded arithmetic (no
// library distributions or transcendental functions), so they come out the
// same on every system; sin_load uses the C library's sine.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "engine/record_file.h"
#include "engine/solver.h"
#include "host/matfile.h"
#include "host/value.h"

namespace {

using velmora::Value;

constexpr double DT = velmora::TIME_STEP;
constexpr double G_TO_MS2 = 9.80;  // the catalogue's conversion of the El Centro peak

// --- deterministic random numbers -----------------------------------------

// splitmix64: a small generator with a full 64-bit period and good mixing.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1), 53 random bits, exact.
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    // Standard normal, approximately: the sum of twelve uniforms less six
    // (mean 0, variance 1). Additions only, so the same everywhere; the
    // missing tails beyond 6 sigma do not matter for filtered noise.
    double normal() {
        double s = 0.0;
        for (int i = 0; i < 12; ++i) s += uniform();
        return s - 6.0;
    }

  private:
    std::uint64_t state_;
};

// FNV-1a: each record's seed comes from its name.
std::uint64_t seedOf(const std::string& name) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : name) {
        h ^= c;
        h *= 0x100000001b3ULL;
    }
    return h;
}

// e^x for small |x| by its Taylor series (exact arithmetic only).
double expSmall(double x) {
    double term = 1.0, sum = 1.0;
    for (int n = 1; n < 30; ++n) {
        term *= x / n;
        sum += term;
    }
    return sum;
}

// --- synthetic ground motion ------------------------------------------------

struct Synthetic {
    double groundPeriod;   // s, dominant period of the site (Kanai-Tajimi filter)
    double groundDamping;  // its damping ratio: smaller is more narrow-band
    double riseEnd;        // s, end of the quadratic build-up
    double strongEnd;      // s, end of the strong phase
    double decayTime;      // s, time constant of the exponential decay
};

enum class Origin { ElCentro, Recording, Sine, StandIn };

struct RecordRecipe {
    const char* name;
    std::size_t points;  // catalogue length: the stand-in's length
    double peakCm;       // catalogue peak acceleration, cm/s^2, signed
    Origin origin;
    const char* source;  // the text file (recordings) or the seed (stand-ins)
    Synthetic motion;
};

// Firm ground: dominant periods 0.25..0.5 s.
const Synthetic FIRM_SHORT{0.30, 0.60, 1.0, 5.0, 3.0};
const Synthetic FIRM_LONG{0.40, 0.60, 2.5, 11.0, 6.0};
const Synthetic NONE{};

const RecordRecipe RECORDS[] = {
    {"Impval1", 2688, 341.7, Origin::ElCentro, "elcentro_1940_ns", NONE},
    {"Impval2", 2674, 210.1, Origin::Recording, "Impval2", NONE},
    {"Mexcit1", 9006, -97.965, Origin::Recording, "Mexcit1", NONE},
    {"Mexcit2", 9006, -167.92, Origin::Recording, "Mexcit2", NONE},
    {"Nridge1", 3000, 592.639, Origin::Recording, "Nridge1", NONE},
    {"Nridge2", 3000, -865.97, Origin::Recording, "Nridge2", NONE},
    {"Nridge3", 3000, 337.32, Origin::Recording, "Nridge3", NONE},
    {"Oakwh1", 2000, 270.361, Origin::StandIn, "Oakwh1", {0.50, 0.50, 2.0, 10.0, 5.0}},
    {"Oakwh2", 2000, -215.5, Origin::StandIn, "Oakwh2", {0.50, 0.50, 2.0, 10.0, 5.0}},
    {"Pacoima1", 2086, 1054.9, Origin::StandIn, "Pacoima1", {0.25, 0.60, 1.5, 8.0, 4.0}},
    {"Pacoima2", 2088, -1148.1, Origin::Recording, "Pacoima2", NONE},
    {"Park040", 1310, -232.6, Origin::Recording, "Park040", NONE},
    {"Park130", 1308, -269.6, Origin::StandIn, "Park130", FIRM_SHORT},
    {"Sanfern1", 2975, -250.0, Origin::StandIn, "Sanfern1", FIRM_LONG},
    {"Sanfern2", 2980, -131.7, Origin::StandIn, "Sanfern2", FIRM_LONG},
    // The same recording as Nridge2 under a second catalogue name.
    {"S_monica", 3000, -865.97, Origin::Recording, "Nridge2", NONE},
    {"Kern1", 2719, 152.7, Origin::Recording, "Kern1", NONE},
    {"Kern2", 2720, 175.9, Origin::StandIn, "Kern2", {0.40, 0.60, 3.0, 12.0, 7.0}},
    {"Kobe", 2566, 818.02, Origin::StandIn, "Kobe", {0.35, 0.60, 2.0, 8.0, 5.0}},
    {"sin_load", 3000, 0.0, Origin::Sine, "sine", NONE},
};

// One step of an oscillator x' = A x + [0; -1] f, the input held over dt.
struct Filter {
    velmora::DiscreteOscillator o;
    double zeta;
    velmora::Vec2 x;

    Filter(double period, double damping)
        : o(velmora::discreteOscillator(period, damping, DT, 2.0 * std::numbers::pi)),
          zeta(damping) {}

    // Relative acceleration after the step: -f - 2 zeta w v - w^2 u.
    double relativeAcceleration(double f) {
        x = o.ad * x + o.bd * f;
        return -f - 2.0 * zeta * o.omega * x.x2 - o.omega * o.omega * x.x1;
    }
};

// Least-squares fit of the velocity (rectangle rule, as the samples are held
// over each step) by c1 t + c2 t (t - dt), and removal of the acceleration
// that produces exactly that velocity: c1 + 2 c2 t. The motion then starts
// and ends with no drift of velocity or displacement.
void removeVelocityTrend(std::vector<double>& a) {
    const std::size_t n = a.size();
    double s11 = 0.0, s12 = 0.0, s22 = 0.0, r1 = 0.0, r2 = 0.0, v = 0.0;
    for (std::size_t k = 1; k <= n; ++k) {
        v += a[k - 1] * DT;  // velocity at t = k dt
        const double t = static_cast<double>(k) * DT;
        const double p1 = t, p2 = t * (t - DT);
        s11 += p1 * p1;
        s12 += p1 * p2;
        s22 += p2 * p2;
        r1 += p1 * v;
        r2 += p2 * v;
    }
    const double det = s11 * s22 - s12 * s12;
    const double c1 = (r1 * s22 - r2 * s12) / det;
    const double c2 = (s11 * r2 - s12 * r1) / det;
    for (std::size_t k = 0; k < n; ++k) a[k] -= c1 + 2.0 * c2 * (static_cast<double>(k) * DT);
}

// Scales so that the sample of largest magnitude is exactly `peak`, sign
// included; rounding may not lift any other sample above it.
void scaleToPeak(std::vector<double>& a, double peak) {
    std::size_t at = 0;
    for (std::size_t k = 1; k < a.size(); ++k)
        if (std::fabs(a[k]) > std::fabs(a[at])) at = k;
    const double s = peak / a[at];
    for (double& x : a) x *= s;
    a[at] = peak;
    const double limit = std::fabs(peak);
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (k != at && std::fabs(a[k]) >= limit)
            a[k] = std::nextafter(std::copysign(limit, a[k]), 0.0);
    }
}

std::vector<double> synthetic(const std::string& seedName, std::size_t points, double peak,
                              const Synthetic& m) {
    Random rng(seedOf(seedName));
    Filter ground(m.groundPeriod, m.groundDamping);
    // Clough-Penzien second stage: removes what the ground filter passes
    // below a tenth of its frequency, the range that makes baselines drift.
    Filter highPass(10.0 * m.groundPeriod, 0.70);

    // Envelope: quadratic build-up, strong phase, exponential decay (by a
    // constant factor per step).
    const double decayPerStep = expSmall(-DT / m.decayTime);
    const auto strongEndStep = static_cast<std::size_t>(m.strongEnd / DT);
    double decay = 1.0;
    std::vector<double> a(points);
    for (std::size_t k = 0; k < points; ++k) {
        const double t = static_cast<double>(k) * DT;
        double envelope = 1.0;
        if (t < m.riseEnd) {
            envelope = (t / m.riseEnd) * (t / m.riseEnd);
        } else if (k >= strongEndStep) {
            envelope = decay;
            decay *= decayPerStep;
        }
        const double w = envelope * rng.normal();
        // Kanai-Tajimi: the absolute acceleration of the ground oscillator.
        const double ground_acc = ground.relativeAcceleration(w) + w;
        a[k] = highPass.relativeAcceleration(ground_acc);
    }
    removeVelocityTrend(a);
    scaleToPeak(a, peak);
    return a;
}

// --- the real and the exact records ------------------------------------

// A source text: its header lines (every line starting with '#', kept as
// they are) and its samples, column 2 of "time value" lines whose times
// run from 0 in steps of DT.
struct SourceText {
    std::vector<std::string> header;
    std::vector<double> samples;
};

SourceText readSourceText(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw velmora::Error("Cannot open " + path + ".");
    SourceText text;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        if (line[0] == '#') {
            text.header.push_back(line);
            continue;
        }
        std::istringstream fields(line);
        double t = 0.0, x = 0.0;
        std::string extra;
        if (!(fields >> t >> x) || (fields >> extra)) {
            throw velmora::Error("Bad line in " + path + ": " + line);
        }
        const double expected = static_cast<double>(text.samples.size()) * DT;
        if (std::fabs(t - expected) > 1e-6) {
            throw velmora::Error(path + ": the time " + std::to_string(t) + " is not " +
                                 std::to_string(expected) + " (samples must be 0.02 s apart).");
        }
        text.samples.push_back(x);
    }
    if (text.samples.empty()) throw velmora::Error(path + " holds no samples.");
    return text;
}

SourceText elCentro(const std::string& path, std::size_t points) {
    SourceText text = readSourceText(path);
    if (text.samples.size() != points) {
        throw velmora::Error(path + " holds " + std::to_string(text.samples.size()) +
                             " samples, not " + std::to_string(points) + ".");
    }
    for (double& x : text.samples) x *= G_TO_MS2;
    text.header.push_back("# Converted to m/s^2 with 9.80 m/s^2 per g.");
    return text;
}

std::vector<double> sineLoad(std::size_t points) {
    std::vector<double> a(points);
    for (std::size_t k = 0; k < points; ++k)
        a[k] = 9.18 * std::sin(2.0 * std::numbers::pi * (static_cast<double>(k) * DT));
    return a;
}

// N x 2: time (k-1) dt and acceleration.
Value recordMatrix(const std::vector<double>& a) {
    const std::size_t n = a.size();
    std::vector<double> columns(2 * n);
    for (std::size_t k = 0; k < n; ++k) {
        columns[k] = static_cast<double>(k) * DT;
        columns[n + k] = a[k];
    }
    return Value::matrix(n, 2, std::move(columns));
}

// --- the layout file ----------------------------------------------------------

Value rows(std::size_t r, std::size_t c, const std::vector<double>& rowMajor) {
    std::vector<double> colMajor(r * c);
    for (std::size_t i = 0; i < r; ++i)
        for (std::size_t j = 0; j < c; ++j) colMajor[j * r + i] = rowMajor[i * c + j];
    return Value::matrix(r, c, std::move(colMajor));
}

std::map<std::string, Value> layout() {
    // mat0: a 64-colour blue-cyan-yellow-red map.
    std::vector<double> map;
    auto ramp = [](double x) { return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x); };
    for (int i = 0; i < 64; ++i) {
        const double x = (i + 0.5) / 64.0;
        map.push_back(ramp(1.5 - std::fabs(4.0 * x - 3.0)));
        map.push_back(ramp(1.5 - std::fabs(4.0 * x - 2.0)));
        map.push_back(ramp(1.5 - std::fabs(4.0 * x - 1.0)));
    }
    // mat1: the colours successive plot lines take.
    const std::vector<double> order = {0.00, 0.00, 1.00, 0.00, 0.50, 0.00, 1.00,
                                       0.00, 0.00, 0.00, 0.75, 0.75, 0.75, 0.00,
                                       0.75, 0.75, 0.75, 0.00, 0.25, 0.25, 0.25};
    // mat2: normals of the bar's four vertices, facing the viewer.
    const std::vector<double> normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    // mat3: the progress bar before its first update, zero wide, so the
    // first update draws it from 0.
    const std::vector<double> bar = {0, 0, 0, 0, 0, 1, 0, 1};
    return {{"mat0", rows(64, 3, map)},
            {"mat1", rows(7, 3, order)},
            {"mat2", rows(4, 3, normals)},
            {"mat3", rows(4, 2, bar)}};
}

// --- output ---------------------------------------------------------------

// Velocity and displacement at the end of the record, and the period of the
// largest 5 %-damped spectral acceleration: a check of the synthetic motion.
void summarise(const std::string& name, const std::vector<double>& a) {
    double v = 0.0, d = 0.0, peak = 0.0;
    for (double x : a) {
        d += v * DT + 0.5 * x * DT * DT;
        v += x * DT;
        if (std::fabs(x) > std::fabs(peak)) peak = x;
    }
    const velmora::SpectrumResult r = velmora::compute_ordinates(a.data(), a.size(), 0.05);
    std::size_t best = 0;
    for (std::size_t j = 1; j < r.sa.size(); ++j)
        if (r.sa[j] > r.sa[best]) best = j;
    std::printf("%-9s N=%5zu peak=%10.4f cm/s^2  end v=%9.2e m/s  end d=%9.2e m  T(SAmax)=%.2f s\n",
                name.c_str(), a.size(), 100.0 * peak, v, d, r.period[best]);
}

std::string formatted(const char* format, double x) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, x);
    return buf;
}

// What a stand-in is, in the file itself: the loader recognises the first
// line and tells the user.
std::vector<std::string> standInHeader(const RecordRecipe& r) {
    const Synthetic& m = r.motion;
    return {
        std::string(velmora::kStandInMark) + " for catalogue entry " + r.name +
            ".mat: not a recording.",
        "# Seeded noise (seed from the name \"" + std::string(r.source) +
            "\") under an envelope (build-up to " + formatted("%g", m.riseEnd) +
            " s, strong phase to " + formatted("%g", m.strongEnd) + " s, decay time " +
            formatted("%g", m.decayTime) + " s),",
        "# through a Kanai-Tajimi ground filter (period " + formatted("%g", m.groundPeriod) +
            " s, damping " + formatted("%g", m.groundDamping) +
            ") and a Clough-Penzien high-pass; velocity trend removed.",
        "# Scaled so that its sample of largest magnitude is the catalogue's peak, " +
            formatted("%g", r.peakCm) + " cm/s^2; " + std::to_string(r.points) +
            " points at 0.02 s.",
        "# columns: time [s]  acceleration [m/s^2]",
    };
}

SourceText recordText(const RecordRecipe& r, const std::filesystem::path& sources) {
    const std::string path = (sources / (std::string(r.source) + ".txt")).string();
    switch (r.origin) {
        case Origin::ElCentro:
            return elCentro(path, r.points);
        case Origin::Recording:
            return readSourceText(path);
        case Origin::Sine:
            return {{"# Exact: 9.18 sin(2 pi t) m/s^2, " + std::to_string(r.points) +
                         " points at 0.02 s; not a recording.",
                     "# columns: time [s]  acceleration [m/s^2]"},
                    sineLoad(r.points)};
        case Origin::StandIn:
            break;
    }
    return {standInHeader(r), synthetic(r.source, r.points, r.peakCm / 100.0, r.motion)};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4 || (argc == 4 && std::string(argv[3]) != "--summary")) {
        std::fprintf(stderr, "usage: make_records OUTPUT_FOLDER SOURCE_FOLDER [--summary]\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const std::filesystem::path sources = argv[2];
    const bool summary = argc == 4;
    try {
        std::filesystem::create_directories(out);
        for (const RecordRecipe& r : RECORDS) {
            const SourceText text = recordText(r, sources);
            velmora::saveMatFile((out / (std::string(r.name) + ".mat")).string(),
                                 {{r.name, recordMatrix(text.samples)},
                                  {velmora::kProvenanceVariable, Value::textRows(text.header)}});
            if (summary) summarise(r.name, text.samples);
        }
        velmora::saveMatFile((out / "velmora_gui.mat").string(), layout());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_records: %s\n", e.what());
        return 1;
    }
    return 0;
}
