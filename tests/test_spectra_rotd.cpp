// Two-component spectra (RotDnn) and intensity measures.

#include <random>

#include "engine/rotd.h"
#include "test_spectra_common.h"

namespace velmora::spectra_test {
namespace {

bool samePeaks(const AnglePeaks& a, const AnglePeaks& b) {
    return std::memcmp(a.data(), b.data(), sizeof a) == 0;
}

// A damped two-component oscillation with noise: an elliptical orbit that
// turns, like an oscillator's response to two components.
void orbit(std::size_t n, unsigned seed, std::vector<double>& u1, std::vector<double>& u2) {
    std::mt19937 gen(seed);
    std::normal_distribution<double> noise(0.0, 0.05);
    u1.resize(n);
    u2.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        const double t = 0.01 * static_cast<double>(k);
        const double env = std::exp(-0.3 * t) * std::sin(0.7 * t + 0.2);
        u1[k] = env * std::cos(6.0 * t) + noise(gen);
        u2[k] = 0.6 * env * std::sin(6.0 * t + 0.4 * t * t) + noise(gen);
    }
}

TEST(RotD, RotatedPeaksAreExactlyThePlainLoopsAndBehaveUnderRotation) {
    std::vector<double> u1, u2;
    for (unsigned seed : {1u, 2u, 3u}) {
        orbit(3000, seed, u1, u2);
        const AnglePeaks fast = rotatedPeaks(u1.data(), u2.data(), u1.size());
        const AnglePeaks plain = rotatedPeaksPlain(u1.data(), u2.data(), u1.size());
        EXPECT_TRUE(samePeaks(fast, plain)) << seed;
        // Swapping the components turns the motion by 90 degrees and mirrors
        // it; the set of peaks is the same, so are its percentiles.
        const AnglePeaks swapped = rotatedPeaks(u2.data(), u1.data(), u1.size());
        const std::vector<double> a(fast.begin(), fast.end()), b(swapped.begin(), swapped.end());
        for (double p : {0.0, 50.0, 100.0})
            EXPECT_NEAR(percentileOf(a, p), percentileOf(b, p), 1e-15);
    }
    // Motion along one axis (a component and a zero record): the peaks are
    // |cos theta| times the component's peak (RotD100 is that at 0 degrees).
    std::vector<double> zero(u1.size(), 0.0);
    const AnglePeaks polar = rotatedPeaks(u1.data(), zero.data(), u1.size());
    EXPECT_TRUE(samePeaks(polar, rotatedPeaksPlain(u1.data(), zero.data(), u1.size())));
    for (std::size_t i = 0; i < ROTD_ANGLES; ++i)
        EXPECT_NEAR(polar[i], polar[0] * std::fabs(std::cos(i * std::numbers::pi / 180)), 1e-15);
    // A circular motion: every angle reaches the radius.
    std::vector<double> c1(720), c2(720);
    for (std::size_t k = 0; k < c1.size(); ++k) {
        c1[k] = 2.0 * std::cos(k * std::numbers::pi / 360);
        c2[k] = 2.0 * std::sin(k * std::numbers::pi / 360);
    }
    const AnglePeaks circle = rotatedPeaks(c1.data(), c2.data(), c1.size());
    for (double x : circle) EXPECT_NEAR(x, 2.0, 1e-14);
}

TEST(RotD, PercentilesInterpolateBetweenSortedValues) {
    std::vector<double> v(180);
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<double>((i * 7) % 180);  // 0..179
    EXPECT_EQ(percentileOf(v, 0), 0.0);
    EXPECT_EQ(percentileOf(v, 100), 179.0);
    EXPECT_EQ(percentileOf(v, 50), 89.5);  // the mean of the 90th and 91st
    EXPECT_DOUBLE_EQ(percentileOf(v, 10), 17.9);
    EXPECT_EQ(percentileOf({3.0}, 50), 3.0);
}

// --- velmora-spectra --rotd and --measures, run as the user runs them.

const std::string kPair = "RSN8883_14383980_13849";

TEST(SpectraRotD, RotD50OfRsn8883AgreesWithTheFlatfile) {
    const Csv pub = parseCsv(readText(kFixtures + "nga_west2_rotd50_rsn8883.csv"));
    const auto period = pub.column("period_s");
    ASSERT_EQ(period.size(), 111u);
    const Csv csv =
        parseCsv(spectraOut({kH1, kH2, "--rotd", "50", "--damping", "0.02,0.05", "--periods",
                             joined(period), "--input-units", "g", "--output-units", "g", "-q"}));
    double worstFrom005 = 0.0, worstAll = 0.0;
    for (const std::string zeta : {"0.02", "0.05"}) {
        const auto published = pub.column("rotd50_z" + zeta);
        const auto sa = csv.column(kPair + " z=" + zeta + " RotD50 SA[g]");
        ASSERT_EQ(sa.size(), published.size());
        for (std::size_t j = 0; j < sa.size(); ++j) {
            const double p = published[j];
            // Five significant figures: half a unit of the fifth is the
            // precision the flatfile gives.
            const double halfUnit = 0.5 * std::pow(10.0, std::floor(std::log10(p)) - 4);
            const double beyond = std::fmax(0.0, std::fabs(sa[j] - p) - halfUnit) / p;
            worstAll = std::fmax(worstAll, std::fabs(sa[j] / p - 1.0));
            if (period[j] >= 0.05) {
                worstFrom005 = std::fmax(worstFrom005, beyond);
                EXPECT_LE(beyond, 1e-4) << "z=" << zeta << " T=" << period[j];
            }
        }
    }
    EXPECT_LE(worstAll, 0.02);
    std::cout << "RSN8883 RotD50 against the flatfile: from 0.05 s worst beyond the published "
                 "digits "
              << worstFrom005 * 100 << " %; from 0.01 s worst " << worstAll * 100 << " %\n";
}

TEST(SpectraRotD, PercentilesOrderAndPolarisedMotion) {
    ScratchFolder dir;
    const std::vector<double> a = noiseRecord(800, 7);
    writeText(dir / "h1.txt", twoColumns(a, 0.01));
    writeText(dir / "zero.txt", twoColumns(std::vector<double>(600, 0.0), 0.01));
    const std::string periods = "0.05,0.1,0.3,1,3";
    // The component alone: its own spectrum with the default solver.
    const Csv single = parseCsv(spectraOut({dir / "h1.txt", "--periods", periods, "-q"}));
    const ProcessResult r =
        spectra({dir / "h1.txt", dir / "zero.txt", "--rotd", "0,50,100", "--periods", periods});
    ASSERT_EQ(r.status, 0) << r.err;
    // The shorter component is extended with zeros, and the user told so.
    EXPECT_TRUE(has(r.err, "zero.txt has 600 samples, the other 800: extended with zeros"));
    const Csv csv = parseCsv(r.out);
    const std::string head = "h1+zero z=0.05 ";
    const auto r0 = csv.column(head + "RotD0 SA[m/s2]");
    const auto r50 = csv.column(head + "RotD50 SA[m/s2]");
    const auto r100 = csv.column(head + "RotD100 SA[m/s2]");
    // Along one axis RotD100 is the component's own peak, bit for bit, and
    // the median is cos 45 degrees times it (the sorted |cos| of 0..179
    // degrees hold cos 45 twice in the middle).
    EXPECT_TRUE(sameBits(r100, single.column("h1 z=0.05 SA[m/s2]")));
    EXPECT_TRUE(sameBits(csv.column(head + "RotD100 SD[m]"), single.column("h1 z=0.05 SD[m]")));
    for (std::size_t j = 0; j < r100.size(); ++j) {
        EXPECT_LT(r0[j], 1e-12 * r100[j]);
        EXPECT_NEAR(r50[j], std::cos(std::numbers::pi / 4) * r100[j], 1e-15 * r100[j]);
    }
    // The same component twice moves along the diagonal: RotD100 is sqrt 2
    // times its peak.
    const Csv twice = parseCsv(
        spectraOut({dir / "h1.txt", dir / "h1.txt", "--rotd", "100", "--periods", periods, "-q"}));
    const auto diag = twice.column("h1+h1_2 z=0.05 RotD100 SA[m/s2]");
    for (std::size_t j = 0; j < diag.size(); ++j)
        EXPECT_NEAR(diag[j], std::sqrt(2.0) * r100[j], 1e-12 * r100[j]);
}

TEST(SpectraRotD, PairingAndItsErrors) {
    ScratchFolder dir;
    fs::create_directories(dir.path() / "pairs");
    const std::vector<double> a = noiseRecord(400, 3), b = noiseRecord(400, 4);
    writeText(dir / "pairs/STA_000.txt", twoColumns(a, 0.01));
    writeText(dir / "pairs/STA_090.txt", twoColumns(b, 0.01));
    writeText(dir / "pairs/OTHER-N.txt", twoColumns(a, 0.01));
    writeText(dir / "pairs/OTHER-E.txt", twoColumns(b, 0.02));
    writeText(dir / "pairs/LONELY_N.txt", twoColumns(a, 0.01));
    const ProcessResult r =
        spectra({dir / "pairs", "--rotd", "50", "--pairs", "auto", "--periods", "0.2,1"});
    EXPECT_EQ(r.status, 1);
    // Each pair formed is reported; H1 is the name that sorts first.
    EXPECT_TRUE(has(r.err, "pair STA: H1 " + (dir / "pairs/STA_000.txt") + ", H2 " +
                               (dir / "pairs/STA_090.txt")));
    // Different time steps: both files named.
    EXPECT_TRUE(has(r.err, "time steps differ: " + (dir / "pairs/OTHER-E.txt") + " 0.02 s, " +
                               (dir / "pairs/OTHER-N.txt") + " 0.01 s"));
    EXPECT_TRUE(has(r.err, "LONELY_N.txt: 1 component named LONELY*, not 2"));
    // The pair that could be formed is still written; the others are not.
    const Csv csv = parseCsv(r.out);
    EXPECT_EQ(csv.header, (std::vector<std::string>{"period_s", "STA z=0.05 RotD50 SD[m]",
                                                    "STA z=0.05 RotD50 SA[m/s2]"}));
    // The same pair in order matches the pairing by name, bit for bit.
    const Csv ordered = parseCsv(spectraOut({dir / "pairs/STA_000.txt", dir / "pairs/STA_090.txt",
                                             "--rotd", "50", "--periods", "0.2,1", "-q"}));
    EXPECT_TRUE(sameBits(ordered.column("STA z=0.05 RotD50 SA[m/s2]"),
                         csv.column("STA z=0.05 RotD50 SA[m/s2]")));
    // An odd number of inputs leaves the last without a partner.
    const ProcessResult odd = spectra({dir / "pairs/STA_000.txt", dir / "pairs/STA_090.txt",
                                       dir / "pairs/LONELY_N.txt", "--rotd", "50", "-q"});
    EXPECT_EQ(odd.status, 1);
    EXPECT_TRUE(has(odd.err, "LONELY_N.txt: no second component"));
    // The options that do not go with --rotd are in SpectraOptions.
}

TEST(SpectraRotD, MeasuresAgainstClosedForms) {
    ScratchFolder dir;
    // A sine of amplitude A over four whole periods of 1 s.
    const double A = 2.0, dt = 0.001, w = 2.0 * std::numbers::pi;
    std::vector<double> sine(4001);
    for (std::size_t k = 0; k < sine.size(); ++k) sine[k] = A * std::sin(w * k * dt);
    writeText(dir / "sine.txt", twoColumns(sine, dt));
    // Energy in three blocks: a^2 = 1 over 0..5 s, 0 over 5..10 s, 4 over
    // 10..15 s; 25 units in all.
    std::vector<double> blocks(1501);
    for (std::size_t k = 0; k < blocks.size(); ++k)
        blocks[k] = k <= 500 ? 1.0 : (k < 1000 ? 0.0 : -2.0);
    writeText(dir / "blocks.txt", twoColumns(blocks, 0.01));
    const ProcessResult r =
        spectra({dir / "sine.txt", dir / "blocks.txt", "--measures", "--damping", "0.02,0.05"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out,
                    "# PGV and PGD: trapezoidal integrals of the acceleration as given, "
                    "without baseline correction"));
    const Csv csv = parseCsv(r.out);
    ASSERT_EQ(csv.header, (std::vector<std::string>{"record", "source", "PGA[m/s2]", "PGV[m/s]",
                                                    "PGD[m]", "AI[m/s]", "D5-75[s]", "D5-95[s]",
                                                    "CAV[m/s]", "SI z=0.02[m]", "SI z=0.05[m]"}));
    ASSERT_EQ(csv.rows.size(), 2u);
    const auto& s = csv.rows[0];
    const double g = kG, T = 4.0;
    EXPECT_NEAR(s[2], A, 1e-12);
    EXPECT_NEAR(s[3], 2 * A / w, 1e-5 * s[3]);  // v = A/w (1 - cos wt)
    EXPECT_NEAR(s[4], A / w * T, 1e-5 * s[4]);  // d = A/w t - A/w^2 sin wt
    EXPECT_NEAR(s[5], std::numbers::pi / (2 * g) * A * A * T / 2, 1e-9);  // AI
    EXPECT_NEAR(s[8], 2 * A / std::numbers::pi * T, 1e-5 * s[8]);         // CAV
    const auto& b = csv.rows[1];
    // 5 % = 1.25 at 1.25 s; 75 % = 18.75 at 10 + 13.75/4 s; 95 % at 10 + 18.75/4 s.
    EXPECT_NEAR(b[6], 13.4375 - 1.25, 0.02);
    EXPECT_NEAR(b[7], 14.6875 - 1.25, 0.02);
    // SI: the trapezoidal integral of the program's own PSV every 0.01 s.
    const Csv psv = parseCsv(spectraOut({dir / "sine.txt", "--periods", "0.1:0.01:2.5", "-q"}));
    const auto p = psv.column("sine z=0.05 PSV[m/s]");
    const auto t = psv.column("period_s");
    ASSERT_EQ(p.size(), 241u);
    double si = 0.0;
    for (std::size_t j = 1; j < p.size(); ++j) si += 0.5 * (t[j] - t[j - 1]) * (p[j - 1] + p[j]);
    EXPECT_NEAR(s[10], si, 1e-9 * si);
    EXPECT_GT(s[9], s[10]);  // less damping, more response
}

TEST(SpectraRotD, WhereMeasuresAndRotDGoInCsvAndJson) {
    ScratchFolder dir;
    writeText(dir / "a_N.txt", twoColumns(noiseRecord(300, 1), 0.01));
    writeText(dir / "a_E.txt", twoColumns(noiseRecord(300, 2), 0.01));
    // Spectra and measures in CSV: the measures beside -o FILE.
    spectraOut(
        {dir / "a_N.txt", dir / "a_E.txt", "--measures", "--spectra", "-o", dir / "out.csv", "-q"});
    EXPECT_EQ(dir.fileNames(),
              (std::vector<std::string>{"a_E.txt", "a_N.txt", "out.csv", "out_measures.csv"}));
    EXPECT_EQ(parseCsv(readText(dir / "out_measures.csv")).rows.size(), 2u);
    EXPECT_EQ(parseCsv(readText(dir / "out.csv")).header.size(), 9u);
    // (Refused without a file to put them beside: SpectraOptions.)
    // RotD with measures in JSON: everything in one document.
    const json doc =
        json::parse(spectraOut({dir / "a_N.txt", dir / "a_E.txt", "--rotd", "50,100", "--measures",
                                "--format", "json", "--periods", "0.1,1", "-q"}));
    EXPECT_EQ(doc["settings"]["rotd"], json::array({50, 100}));
    ASSERT_EQ(doc["records"].size(), 1u);
    const json& rec = doc["records"][0];
    EXPECT_EQ(rec["name"], "a");
    ASSERT_EQ(rec["components"].size(), 2u);
    EXPECT_EQ(rec["components"][0]["source"], dir / "a_N.txt");
    EXPECT_TRUE(rec["components"][1]["measures"].contains("arias_intensity"));
    const json& rotd = rec["damping"][0]["rotd"];
    ASSERT_EQ(rotd.size(), 2u);
    EXPECT_EQ(rotd[1]["percentile"], 100);
    EXPECT_EQ(rotd[1]["sa"].size(), 2u);
    EXPECT_GE(rotd[1]["sa"][0].get<double>(), rotd[0]["sa"][0].get<double>());
    // A figure of the RotD curves (the SV panel stays empty).
    spectraOut({dir / "a_N.txt", dir / "a_E.txt", "--rotd", "50", "--periods", "0.1,1", "--plot",
                dir / "fig.png", "-o", dir / "rotd.csv", "-q"});
    EXPECT_GT(fs::file_size(dir / "fig.png"), 1000u);
    // Measures alone in JSON: no spectra.
    const json alone =
        json::parse(spectraOut({dir / "a_N.txt", "--measures", "--format", "json", "-q"}));
    EXPECT_FALSE(alone["records"][0].contains("damping"));
    EXPECT_EQ(alone["records"][0]["measures"]["si"].size(), 1u);
}

}  // namespace
}  // namespace velmora::spectra_test
