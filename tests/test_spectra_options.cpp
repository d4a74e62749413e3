// velmora-spectra's command line: the periods grammar, help and version,
// and every kind of bad option, which stops the program with status 2
// before it writes anything.

#include "engine/solver.h"
#include "test_spectra_common.h"

namespace velmora::spectra_test {
namespace {

// A short record every run here can use.
class SpectraOptions : public ::testing::Test {
  protected:
    void SetUp() override { writeText(record_, twoColumns(noiseRecord(400, 21), 0.02)); }
    std::vector<double> periodsOf(const std::vector<std::string>& extra) {
        return parseCsv(spectraOut(std::vector<std::string>{record_, "-q"} + extra))
            .column("period_s");
    }
    ScratchFolder dir_;
    std::string record_ = dir_ / "rec.txt";
};

TEST_F(SpectraOptions, PeriodsAsListsRangesAndLogSpacedMixed) {
    const std::vector<std::pair<std::string, std::vector<double>>> cases = {
        {"0.1,0.2,0.5", {0.1, 0.2, 0.5}},
        {"2, 0.5,2,1", {0.5, 1, 2}},  // any order, repeats: ascending, once each
        {"1:0.5:3", {1, 1.5, 2, 2.5, 3}},
        {"1:0.5:3.2", {1, 1.5, 2, 2.5, 3}},
    };
    for (const auto& [text, periods] : cases) EXPECT_EQ(periodsOf({"-p", text}), periods) << text;
    // By default the program's; start + k step, end included although
    // (8.05 - 0.1) / 0.05 is not a whole number in binary.
    const auto byDefault = periodsOf({});
    EXPECT_TRUE(sameBits(byDefault, classicGrid().periods));
    EXPECT_TRUE(sameBits(periodsOf({"--periods", "0.1:0.05:8.05"}), byDefault));

    const auto p = periodsOf({"--periods", "log:0.01:10:100"});
    ASSERT_EQ(p.size(), 100u);
    EXPECT_EQ(p.front(), 0.01);
    EXPECT_EQ(p.back(), 10.0);
    const double ratio = std::pow(10.0, 3.0 / 99.0);
    for (std::size_t k = 1; k < p.size(); ++k) EXPECT_NEAR(p[k] / p[k - 1], ratio, 1e-12) << k;
    // Whole decades are hit exactly.
    EXPECT_EQ(p[33], 0.1);
    EXPECT_EQ(p[66], 1.0);

    const auto mix = periodsOf({"--periods", "2,log:0.1:1:3,0.5:0.5:1"});
    ASSERT_EQ(mix.size(), 5u);
    EXPECT_NEAR(mix[1], std::sqrt(0.1), 1e-15);
    EXPECT_EQ(mix, (std::vector<double>{0.1, mix[1], 0.5, 1.0, 2.0}));
}

TEST_F(SpectraOptions, BadPeriodsGrammarIsABadOption) {
    for (const char* bad : {"", "abc", "0", "-1", "0.1:0:1", "1:0.1:0.5", "0.1:0.1", "1,,2",
                            "1:2:3:4", "log:0.01:10", "log:0.01:10:1", "log:0.01:10:2.5",
                            "log:10:1:5", "log:0:1:5", "0.1:1e-9:1000", "nan", "inf"}) {
        SCOPED_TRACE(bad);
        expectBadOption(spectra({record_, "--periods", bad}), "--periods");
    }
}

TEST_F(SpectraOptions, BadValuesAreBadOptions) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--damping", "1.5"}, "--damping"},
        {{"--damping", "-0.01"}, "--damping"},
        {{"--damping", "0.05,x"}, "--damping"},
        {{"--scale", "abc"}, "--scale"},
        {{"--scale", "inf"}, "--scale"},
        {{"--dt", "0"}, "--dt"},
        {{"--dt", "-0.01"}, "--dt"},
        {{"--units", "furlong/s2"}, "--units"},
        {{"--input-units", "ft/s2"}, "--input-units"},
        {{"--output-units", "mm"}, "--output-units"},
        {{"--record", "0"}, "--record"},
        {{"--record", "22"}, "--record"},
        {{"--record", "1.5"}, "--record"},
        {{"--jobs", "0"}, "--jobs"},
        {{"--format", "xml"}, "--format"},
        {{"--plot", "figure.gif"}, "--plot"},
        {{"--frobnicate"}, "frobnicate"},
        {{"--classic", "--periods", "1"}, "--classic"},
        {{"--classic", "--dt", "0.01"}, "--classic"},
        {{"--units", "g", "--input-units", "g"}, "--units"},
        {{"-o", "x.csv", "--out", "folder"}, "--out"},
        // Periods no step validates, and a step too fine for the default
        // periods: nothing computed.
        {{"--periods", "1e20"},
         "--periods: period 1e+20 s is outside the periods the solver is validated for, "
         "0.0001 to 10000 s"},
        {{"--periods", "1,1.37e-8"}, "--periods: period 1.37e-08 s is outside"},
        {{"--dt", "1e-10"}, "--dt: period 0.1 s is 1e+09 time steps of 1e-10 s;"},
        {{"--dt", "0.02", "--periods", "1e-4"},
         "--periods and --dt: period 0.0001 s is 0.005 time steps of 0.02 s;"},
        {{"--classic", "--excitation", "linear"},
         "--excitation linear cannot be combined with --classic"},
        // Options that do not go with --rotd.
        {{"--pairs", "auto"}, "--pairs requires --rotd"},
        {{"--rotd", "50", "--classic"}, "--classic excludes --rotd"},
        {{"--rotd", "101"}, "--rotd: 101 is not a percentile from 0 to 100"},
        {{"--rotd", "50", "--out", dir_ / "o"}, "--rotd excludes --out"},
        {{"--measures", "--spectra"}, "--measures with spectra in CSV needs -o FILE"},
    };
    for (const auto& [extra, mention] : cases) {
        SCOPED_TRACE(extra[0] + " " + extra.back());
        expectBadOption(spectra(std::vector<std::string>{record_} + extra), mention);
    }
    expectBadOption(spectra({"--damping", "0.05"}), "no records");
    // Nothing was written for the options that name output files.
    EXPECT_EQ(dir_.fileNames(), (std::vector<std::string>{"rec.txt"}));
}

TEST_F(SpectraOptions, AnOutputThatIsAnInputOrAnotherOutputIsABadOption) {
    const std::string record = readText(record_);
    fs::create_directories(dir_.path() / "in");
    writeText(dir_ / "in/a.csv", twoColumns(noiseRecord(300, 22), 0.02));
    writeText(dir_ / "in/b.txt", twoColumns(noiseRecord(300, 23), 0.02));
    fs::create_symlink("rec.txt", dir_.path() / "alias.csv");
    fs::create_symlink("rec.txt", dir_.path() / "alias.png");
    fs::create_hard_link(record_, dir_.path() / "twin.csv");
    // Without it the catalogue case would write /Nridge1.mat.
    ASSERT_NE(std::getenv("VELMORA_DATA"), nullptr) << "run under ctest";
    const std::string data = std::getenv("VELMORA_DATA");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{record_, "-o", record_}, "-o \"" + record_ + "\" would overwrite the input \"" + record_},
        {{record_, "-o", dir_ / "alias.csv"}, "would overwrite the input \"" + record_},
        {{record_, "-o", dir_ / "twin.csv"}, "would overwrite the input \"" + record_},
        {{record_, "--plot", dir_ / "alias.png"}, "--plot"},
        {{record_, "-o", dir_ / "new.png", "--plot", dir_ / "new.png"},
         "--plot \"" + (dir_ / "new.png") + "\" and -o \"" + (dir_ / "new.png") +
             "\" are the same file"},
        {{record_, "-o", dir_ / "in/../new.png", "--plot", dir_ / "new.png"}, "the same file"},
        // --out files beside the inputs: in/a.csv is an input, in/b.csv not.
        {{dir_ / "in", "--out", dir_ / "in"},
         "--out \"" + (dir_ / "in/a.csv") + "\" would overwrite the input \"" +
             (dir_ / "in/a.csv")},
        {{"--record", "5", "-o", data + "/Nridge1.mat"}, "would overwrite the input record 5"},
    };
    for (const auto& [args, mention] : cases) {
        SCOPED_TRACE(args.back());
        expectBadOption(spectra(args), mention);
    }
    // Nothing was written or made.
    EXPECT_EQ(readText(record_), record);
    EXPECT_EQ(dir_.fileNames(),
              (std::vector<std::string>{"alias.csv", "alias.png", "in", "rec.txt", "twin.csv"}));
    EXPECT_EQ(readText(dir_ / "in/b.txt"), twoColumns(noiseRecord(300, 23), 0.02));
    EXPECT_FALSE(fs::exists(dir_ / "in/b.csv"));
    // A different file of the same name elsewhere is fine.
    EXPECT_EQ(spectra({dir_ / "in/b.txt", "--out", dir_.str(), "-q"}).status, 0);
    EXPECT_TRUE(fs::exists(dir_ / "b.csv"));
}

TEST(SpectraCommandLine, HelpShowsOptionsAndExamplesAndVersionNamesTheProgram) {
    const auto r = spectra({"--help"});
    EXPECT_EQ(r.status, 0);
    // The options it lists are the man page's (man_page_options).
    for (const char* text : {"log:0.01:10:100", "Examples:", "Exit status"})
        EXPECT_TRUE(has(r.out, text));
    const auto v = spectra({"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out.rfind("velmora-spectra ", 0), 0u) << v.out;
}

}  // namespace
}  // namespace velmora::spectra_test
