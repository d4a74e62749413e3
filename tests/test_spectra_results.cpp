// velmora-spectra's numbers: against the closed-form response to a constant
// acceleration at a time step other than the program's, against the PEER
// NGA-West2 flatfile's published spectra of a real record, in every unit,
// bitwise against the program itself and against the release before the
// default solver changed with --classic, refusing periods outside the
// validated range, the same whether the records are computed in parallel or
// one at a time, and written in the shortest form that reads back exactly.
#include <cctype>

#include "test_spectra_common.h"

namespace velmora::spectra_test {
namespace {

using velmora::testing::global;
using velmora::testing::numbers;
using velmora::testing::runScript;

// Peak relative displacement of an oscillator at rest hit by a constant
// ground acceleration a0 from t = 0:
// u(t) = -(a0/w^2) (1 - e^{-z w t} (cos wd t + z/sqrt(1-z^2) sin wd t)),
// largest at t = pi / wd: (a0/w^2) (1 + e^{-z pi / sqrt(1 - z^2)}).
double stepPeak(double a0, double w, double z) {
    return a0 / (w * w) * (1.0 + std::exp(-z * std::numbers::pi / std::sqrt(1.0 - z * z)));
}

TEST(SpectraResults, ConstantAccelerationMatchesTheClosedFormAtAFineTimeStep) {
    // 0.3 g for 20 s at dt = 0.005 s. The periods put the displacement peak
    // (t = Td / 2) and, undamped, the velocity peak (t = T / 4) on a sample.
    constexpr double dt = 0.005, a0g = 0.3, a0 = a0g * kG;
    ScratchFolder dir;
    // A PEER .AT2 file, so in g.
    writeText(dir / "step.AT2", at2("NPTS=  4001, DT= .0050 SEC", std::vector<double>(4001, a0g)));

    for (const double z : {0.0, 0.05, 0.2}) {
        for (const char* excitation : {"linear", "constant"}) {
            SCOPED_TRACE(::testing::Message() << z << " " << excitation);
            std::vector<double> periods;
            for (const int m : {12, 40, 100, 400}) {
                // Td / 2 = m dt, so T = 2 m dt sqrt(1 - z^2); undamped also T / 4
                // = m / 2 dt with m even.
                periods.push_back(2.0 * m * dt * std::sqrt(1.0 - z * z));
            }
            const Csv csv = parseCsv(
                spectraOut({dir / "step.AT2", "--damping", full(z), "--periods", joined(periods),
                            "--output-units", "g", "-q", "--excitation", excitation}));
            const std::string prefix = "step z=" + shortest(z);
            const auto sd = csv.column(prefix + " SD[m]");
            const auto sv = csv.column(prefix + " SV[m/s]");
            const auto psv = csv.column(prefix + " PSV[m/s]");
            const auto sa = csv.column(prefix + " SA[g]");
            ASSERT_EQ(sd.size(), periods.size());
            for (std::size_t j = 0; j < periods.size(); ++j) {
                SCOPED_TRACE(periods[j]);
                const double w = 2.0 * std::numbers::pi / periods[j];
                const double peak = stepPeak(a0, w, z);
                EXPECT_NEAR(sd[j], peak, 1e-9 * peak);
                // The published spectra's PSV: omega SD, not omega_d SD.
                EXPECT_NEAR(psv[j], peak * w, 1e-9 * peak * w);
                EXPECT_NEAR(sa[j], peak * w * w / kG, 1e-9 * peak * w * w / kG);
                // Undamped, the velocity a0/w sin(w t) peaks at a0 / w.
                if (z == 0) {
                    EXPECT_NEAR(sv[j], a0 / w, 1e-9 * a0 / w);
                }
            }
        }
    }
}

TEST(SpectraResults, UnitsOfInputAndOutput) {
    ScratchFolder dir;
    const std::vector<double> ms2 = noiseRecord(600, 13);
    std::vector<double> cms2, g;
    for (double x : ms2) cms2.push_back(x * 100.0);
    for (double x : ms2) g.push_back(x / kG);
    writeText(dir / "a.txt", twoColumns(ms2, 0.01));
    writeText(dir / "b.txt", twoColumns(cms2, 0.01));
    writeText(dir / "c.txt", twoColumns(g, 0.01));
    auto run = [&](const char* file, const std::vector<std::string>& extra) {
        return parseCsv(
            spectraOut(std::vector<std::string>{dir / file, "-q", "-p", "0.2,1,3"} + extra));
    };
    const Csv m = run("a.txt", {}), inCm = run("b.txt", {"--input-units", "cm/s2"}),
              inG = run("c.txt", {"--input-units", "g"}),
              cm = run("a.txt", {"--output-units", "cm/s2"}),
              gg = run("a.txt", {"--output-units", "g"}), cmCm = run("b.txt", {"--units", "cm/s2"});
    EXPECT_EQ(m.header, (std::vector<std::string>{"period_s", "a z=0.05 SD[m]", "a z=0.05 SV[m/s]",
                                                  "a z=0.05 PSV[m/s]", "a z=0.05 SA[m/s2]"}));
    EXPECT_EQ(cm.header,
              (std::vector<std::string>{"period_s", "a z=0.05 SD[cm]", "a z=0.05 SV[cm/s]",
                                        "a z=0.05 PSV[cm/s]", "a z=0.05 SA[cm/s2]"}));
    EXPECT_EQ(gg.header, (std::vector<std::string>{"period_s", "a z=0.05 SD[m]", "a z=0.05 SV[m/s]",
                                                   "a z=0.05 PSV[m/s]", "a z=0.05 SA[g]"}));
    for (std::size_t j = 0; j < 3; ++j) {
        for (std::size_t c = 1; c <= 4; ++c) {
            const double x = m.rows[j][c];
            EXPECT_NEAR(inCm.rows[j][c], x, 1e-12 * x);
            EXPECT_NEAR(inG.rows[j][c], x, 1e-12 * x);
            EXPECT_NEAR(cm.rows[j][c], 100 * x, 1e-12 * 100 * x);
            EXPECT_NEAR(cmCm.rows[j][c], 100 * x, 1e-12 * 100 * x);
        }
        EXPECT_EQ(gg.rows[j][1], m.rows[j][1]);
        EXPECT_NEAR(gg.rows[j][4], m.rows[j][4] / kG, 1e-15 * m.rows[j][4]);
    }
}

// --classic gives bit for bit the SD, SV, PSV and SA rows of the program's
// Option 1 run of catalogue record `record`, one per damping ratio.
void expectClassicEqualsProgram(const std::vector<std::string>& input, int record,
                                const std::string& scale) {
    const auto r =
        runScript("set option 1\nset RECORD " + std::to_string(record) + "\nset SCALE1 " + scale +
                  "\nset numdamp 4\nset damp [0 0.02 0.05 1]\neval velmora_gui06(0)\ndump\n");
    EXPECT_TRUE(r.errors.empty()) << r.out;
    const json doc =
        spectraJson(input + std::vector<std::string>{"--classic", "--damping", "0,0.02,0.05,1",
                                                     "--format", "json", "-q", "--scale", scale});
    ASSERT_EQ(doc["records"].size(), 1u);
    const json& damping = doc["records"][0]["damping"];
    ASSERT_EQ(damping.size(), 4u);
    for (const auto& [name, key] : {std::pair{"SD", "sd"}, std::pair{"SV", "sv"},
                                    std::pair{"PSV", "psv"}, std::pair{"SA", "sa"}}) {
        const auto program = numbers(global(r.lastDump(), name));
        ASSERT_EQ(program.size(), 4u);
        for (std::size_t i = 0; i < 4; ++i) {
            const auto mine = damping[i][key].get<std::vector<double>>();
            EXPECT_TRUE(sameBits(mine, program[i]))
                << key << " damping " << i << ": " << full(mine.at(0)) << " vs "
                << full(program[i].at(0));
        }
    }
}

TEST(SpectraResults, ClassicIsBitwiseTheProgram) {
    expectClassicEqualsProgram({"--record", "5"}, 5, "1");
    // Park040 has fewer samples than the program's 1500 steps.
    expectClassicEqualsProgram({"--record", "12"}, 12, "1.7");
    // Record 5's samples in a text file whose time column says 0.01 s: the
    // program's step whatever the file says.
    const Value m = mlfLoadStruct(VELMORA_BUILD_DIR "/data/Nridge1.mat").at("Nridge1");
    ASSERT_GE(m.cols(), 2u);
    const auto rows = static_cast<std::ptrdiff_t>(m.rows());
    ScratchFolder dir;
    writeText(dir / "copy.txt",
              twoColumns(std::vector(m.data().begin() + rows, m.data().begin() + 2 * rows), 0.01));
    expectClassicEqualsProgram({dir / "copy.txt"}, 5, "1");
}

TEST(SpectraResults, ClassicIsBitwiseTheReleaseBeforeTheDefaultSolverChanged) {
    // The fixture is that release's JSON for the same command line.
    const json want = json::parse(readText(kFixtures + "classic_spectra.json"));
    const std::vector<std::string> args = {kH1,         "--record", "8",         "--scale", "1.7",
                                           "--damping", "0,0.05,1", "--classic", "-q"};
    const json got = spectraJson(args + std::vector<std::string>{"--format", "json"});
    const Csv csv = parseCsv(spectraOut(args));
    EXPECT_TRUE(sameBits(got["settings"]["periods"].get<std::vector<double>>(),
                         want["settings"]["periods"].get<std::vector<double>>()));
    EXPECT_TRUE(
        sameBits(csv.column("period_s"), want["settings"]["periods"].get<std::vector<double>>()));
    ASSERT_EQ(got["records"].size(), 2u);
    for (std::size_t r = 0; r < 2; ++r) {
        const json& w = want["records"][r];
        EXPECT_EQ(got["records"][r]["name"], w["name"]);
        EXPECT_EQ(got["records"][r]["steps"], w["steps"]);
        for (std::size_t d = 0; d < 3; ++d) {
            const json& gd = got["records"][r]["damping"][d];
            const json& wd = w["damping"][d];
            for (const auto& [key, column] :
                 {std::pair{"sd", "SD[m]"}, std::pair{"sv", "SV[m/s]"},
                  std::pair{"psv", "PSV[m/s]"}, std::pair{"sa", "SA[m/s2]"}}) {
                SCOPED_TRACE(::testing::Message()
                             << w["name"] << " zeta " << wd["zeta"] << " " << key);
                const auto expected = wd[key].get<std::vector<double>>();
                ASSERT_EQ(expected.size(), 160u);
                EXPECT_TRUE(sameBits(gd[key].get<std::vector<double>>(), expected));
                EXPECT_TRUE(sameBits(csv.column(w["name"].get<std::string>() + " z=" +
                                                shortest(wd["zeta"].get<double>()) + " " + column),
                                     expected));
            }
        }
    }
}

double median(std::vector<double> x) {
    std::sort(x.begin(), x.end());
    return x.size() % 2 ? x[x.size() / 2] : 0.5 * (x[x.size() / 2 - 1] + x[x.size() / 2]);
}

TEST(SpectraResults, DefaultModeAgreesWithTheFlatfilesPublishedSpectra) {
    // RSN8883's two horizontal components (dt 0.005 s) at the flatfile's
    // periods. Below ten time steps (0.05 s) the flatfile treated the
    // record its own way; from there on the samples joined by straight
    // lines reproduce it to the digits published. The fixture has one row
    // per period of the published 5 % PSA (g), one column per component,
    // named after its AT2 file.
    const Csv published = parseCsv(readText(kFixtures + "nga_west2_psa_rsn8883.csv"));
    ASSERT_EQ(published.header.size(), 3u);
    const auto period = published.column("period_s");
    ASSERT_EQ(period.size(), 111u);
    struct Figures {
        std::vector<double> fromTenSteps, all;
    };
    auto figures = [&](const char* excitation) {
        const Csv csv =
            parseCsv(spectraOut({kFixtures + published.header[1], kFixtures + published.header[2],
                                 "--periods", joined(period), "--excitation", excitation,
                                 "--input-units", "g", "--output-units", "g", "-q"}));
        EXPECT_TRUE(sameBits(csv.column("period_s"), period));
        Figures f;
        for (std::size_t c = 1; c <= 2; ++c) {
            const std::string name = fs::path(published.header[c]).stem().string();
            const auto sa = csv.column(name + " z=0.05 SA[g]");
            for (std::size_t j = 0; j < sa.size() && j < period.size(); ++j) {
                const double e = std::fabs(sa[j] / published.rows[j][c] - 1.0);
                f.all.push_back(e);
                if (period[j] >= 0.05) f.fromTenSteps.push_back(e);
            }
        }
        return f;
    };
    const Figures linear = figures("linear");
    ASSERT_EQ(linear.all.size(), 222u);
    ASSERT_EQ(linear.fromTenSteps.size(), 2 * 96u);
    const double worst = *std::max_element(linear.fromTenSteps.begin(), linear.fromTenSteps.end());
    const double worstAll = *std::max_element(linear.all.begin(), linear.all.end());
    EXPECT_LE(worst, 1e-4);  // 0.01 %; the published values have 4 to 7 digits
    EXPECT_LE(median(linear.fromTenSteps), 1e-6);
    EXPECT_LE(worstAll, 0.02);
    std::cout << "RSN8883 against the flatfile: from 0.05 s worst " << worst * 100 << " %, median "
              << median(linear.fromTenSteps) * 100 << " %; from 0.01 s worst " << worstAll * 100
              << " %, median " << median(linear.all) * 100 << " %\n";
    // The record held over each step misses the published spectra.
    const Figures held = figures("constant");
    EXPECT_GT(*std::max_element(held.fromTenSteps.begin(), held.fromTenSteps.end()), 1e-3);
}

// The periods and steps refused as bad options are in SpectraOptions.
TEST(SpectraResults, ARecordWhoseStepDoesNotFitThePeriodsFailsAlone) {
    ScratchFolder dir;
    writeText(dir / "r.txt", twoColumns(noiseRecord(300, 3), 0.02));
    writeText(dir / "slow.txt", twoColumns(noiseRecord(50, 4), 20.0));  // dt 20 s
    // With each file's own step, a record whose step does not fit fails
    // alone, named; the others are still computed.
    const auto mixed = spectra({dir / "r.txt", dir / "slow.txt", "-q"});
    EXPECT_EQ(mixed.status, 1);
    EXPECT_TRUE(has(mixed.err, "slow.txt: period 0.1 s is 0.005 time steps of 20 s;"));
    const Csv csv = parseCsv(mixed.out);
    EXPECT_EQ(csv.header.size(), 5u);
    EXPECT_EQ(csv.rows.size(), 160u);
    // --classic is the program's computation at the program's step.
    const auto classic = spectra({dir / "slow.txt", "--classic", "-q"});
    EXPECT_EQ(classic.status, 0) << classic.err;
    EXPECT_EQ(spectraOut({dir / "slow.txt", "--classic", "--excitation", "Constant", "-q"}),
              classic.out);
}

// The numbers of a CSV or JSON text (outside JSON strings, after the CSV
// header), as written.
std::vector<std::string> numberTokens(const std::string& text) {
    std::vector<std::string> tokens;
    bool inString = false;
    std::size_t i = text.find('\n');  // a CSV header, or nothing in one-line JSON
    i = text.front() == '{' ? 0 : i + 1;
    while (i < text.size()) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') ++i;
            if (c == '"') inString = false;
            ++i;
        } else if (c == '"') {
            inString = true;
            ++i;
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') {
            const std::size_t end = text.find_first_not_of("0123456789.eE+-", i);
            tokens.push_back(text.substr(i, end - i));
            i = end;
        } else {
            ++i;
        }
    }
    return tokens;
}

TEST(SpectraResults, CsvAndJsonHoldTheSameNumbersInTheShortestExactForm) {
    ScratchFolder dir;
    writeText(dir / "r.txt", twoColumns(noiseRecord(500, 17), 0.01));
    const ProcessResult csv = spectra({dir / "r.txt", "-q", "-d", "0.02,0.1"}),
                        js = spectra({dir / "r.txt", "-q", "-d", "0.02,0.1", "-f", "json"});
    ASSERT_EQ(csv.status + js.status, 0) << csv.err << js.err;
    const Csv table = parseCsv(csv.out);
    const json doc = json::parse(js.out);
    EXPECT_EQ(doc["settings"]["damping"], json::parse("[0.02, 0.1]"));
    EXPECT_EQ(doc["settings"]["classic"], false);
    EXPECT_EQ(doc["settings"]["excitation"], "linear");
    const std::string method = doc["settings"]["method"];
    EXPECT_TRUE(has(method, "linear between samples"));
    EXPECT_TRUE(has(method, "PSV = omega SD, SA = omega^2 SD"));
    EXPECT_EQ(csv.out.substr(0, csv.out.find('\n')), "# " + method);
    EXPECT_EQ(doc["settings"]["output_units"]["sa"], "m/s2");
    EXPECT_EQ(doc["records"][0]["name"], "r");
    EXPECT_EQ(doc["records"][0]["samples"], 500);
    const auto& d = doc["records"][0]["damping"];
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[1]["zeta"], 0.1);
    EXPECT_TRUE(sameBits(d[0]["period"].get<std::vector<double>>(), table.column("period_s")));
    EXPECT_TRUE(sameBits(d[1]["sa"].get<std::vector<double>>(), table.column("r z=0.1 SA[m/s2]")));
    EXPECT_TRUE(sameBits(d[0]["sv"].get<std::vector<double>>(), table.column("r z=0.02 SV[m/s]")));

    // Each number is the shortest text that reads back as its value: 0.1,
    // not 0.10000000000000001 (the program's second period, 0.1 + 0.05, is
    // not the double nearest 0.15).
    const std::size_t firstRow = csv.out.find('\n', csv.out.find('\n') + 1) + 1;
    EXPECT_EQ(csv.out.substr(firstRow, 4), "0.1,");
    EXPECT_TRUE(has(js.out, "\"periods\":[0.1,0.15000000000000002,0.2,"));
    for (const std::string* text : {&csv.out, &js.out}) {
        const auto tokens = numberTokens(*text);
        EXPECT_GT(tokens.size(), 8 * 160u);
        for (const std::string& t : tokens) {
            char* end = nullptr;
            const double x = std::strtod(t.c_str(), &end);
            ASSERT_EQ(*end, '\0') << t;
            ASSERT_EQ(shortest(x), t);
        }
    }
}

TEST(SpectraResults, ParallelRunsGiveExactlyTheSingleThreadedOutput) {
    ScratchFolder dir;
    fs::create_directories(dir.path() / "in");
    // Records of very different lengths, so they finish out of order, more
    // than the workers may run ahead of the first one not done; the first
    // fails.
    writeText(dir / "in/a_broken.txt", "0 1\n0.01 x\n");
    std::vector<std::string> names;
    for (int k = 0; k < 40; ++k) {
        const std::size_t n = k % 9 == 0 ? 6000 : 200 + 37 * static_cast<std::size_t>(k);
        char name[8];
        std::snprintf(name, sizeof name, "r%02d", k);
        names.push_back(name);
        writeText(dir / ("in/" + names.back() + ".txt"),
                  twoColumns(noiseRecord(n, 100 + static_cast<std::uint64_t>(k)), 0.01));
    }
    const std::vector<std::string> common = {dir / "in", "-q", "-d", "0.02,0.05"};
    auto run = [&](const std::vector<std::string>& extra) {
        const ProcessResult r = spectra(common + extra);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_EQ(r.err, "velmora-spectra: " + (dir / "in/a_broken.txt") +
                             ": line 2: \"x\" is not a number\n")
            << r.err;
        return r.out;
    };
    for (const char* format : {"csv", "json"}) {
        const std::string one = run({"-f", format, "--jobs", "1"});
        EXPECT_EQ(run({"-f", format}), one) << format;
        EXPECT_EQ(run({"-f", format, "--jobs", "2"}), one) << format;
        EXPECT_EQ(run({"-f", format, "--jobs", "5"}), one) << format;
    }

    // One file per record: the same content as a run of that record alone;
    // the combined outputs are those files side by side.
    run({"--out", dir / "csv", "--jobs", "4"});
    run({"--out", dir / "json", "-f", "json"});
    // The record that failed got no file, nor did anything else.
    EXPECT_EQ(dir.fileNames("csv").size(), names.size());
    EXPECT_FALSE(fs::exists(dir / "csv/a_broken.csv"));
    std::vector<std::string> rows(162);  // the method line, the header, 160 periods
    json records = json::array();
    for (const std::string& name : names) {
        const std::string file = readText(dir / ("csv/" + name + ".csv"));
        if (name == "r00" || name == "r17") {
            EXPECT_EQ(file, spectraOut({dir / ("in/" + name + ".txt"), "-q", "-d", "0.02,0.05"}));
        }
        std::istringstream lines(file);
        for (std::string& row : rows) {
            std::string line;
            std::getline(lines, line);
            if (row.empty()) {
                row = line;
            } else if (line.front() != '#') {
                row += line.substr(line.find(','));
            }
        }
        records.push_back(json::parse(readText(dir / ("json/" + name + ".json")))["records"][0]);
    }
    std::string sideBySide;
    for (const std::string& row : rows) sideBySide += row + "\n";
    EXPECT_EQ(run({"--jobs", "2"}), sideBySide);
    EXPECT_EQ(json::parse(run({"-f", "json", "--jobs", "3"}))["records"], records);
}

}  // namespace
}  // namespace velmora::spectra_test
