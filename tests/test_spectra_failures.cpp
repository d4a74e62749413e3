// velmora-spectra with records it cannot use: each is reported with its
// name and the reason, the others are still computed, the exit status is 1,
// and no partial output file is left behind. Also the figure files.
#include <cmath>

#include "host/matfile.h"
#include "host/value.h"
#include "test_spectra_common.h"

namespace velmora::spectra_test {
namespace {

struct BadFile {
    std::string name;
    std::string content;  // written as is (empty: not written at all)
    std::string reason;   // part of the message
};

class SpectraFailures : public ::testing::Test {
  protected:
    void SetUp() override {
        writeText(good_, twoColumns(noiseRecord(300, 31), 0.01));
        const std::vector<double> a = noiseRecord(300, 32);
        std::string at2 = "PEER\nX\nUNITS OF G\nNPTS=  400, DT= .0100 SEC\n";
        for (double x : a) at2 += full(x / 10) + "\n";
        std::vector<double> nanMatrix;
        for (int i = 0; i < 20; ++i) nanMatrix.push_back(i * 0.01);
        for (int i = 0; i < 20; ++i) nanMatrix.push_back(i == 7 ? NAN : 1.0);
        saveMatFile(dir_ / "nanmat.mat", {{"nanmat", Value::matrix(20, 2, nanMatrix)}});
        saveMatFile(dir_ / "wrongname.mat", {{"other", Value::matrix(3, 2, {0, 1, 2, 3, 4, 5})}});
        bad_ = {
            {"missing.txt", "", "no such file"},
            {"missing.mat", "", "no such file"},
            {"garbage.mat", "this is not a MAT-file at all, just some text", "MAT-file"},
            {"wrongname.mat", "", "no variable named \"wrongname\" (it holds other)"},
            {"nanmat.mat", "", "sample 8 is NaN"},
            {"empty.csv", "", "holds no samples"},
            {"onlyheader.csv", "time,acceleration\n", "holds no samples"},
            {"column.txt", "0.1\n0.2\n0.3\n", "no time step"},
            {"nan.txt", "0 0.1\n0.01 nan\n0.02 0.3\n", "line 2: \"nan\" is not a finite number"},
            {"inf.dat", "0.5\n1e999\n", "line 2: \"1e999\" is not a finite number"},
            {"short.AT2", at2, "holds 300 values where NPTS is 400"},
            {"uneven.txt", "0 1\n0.01 2\n0.03 3\n0.04 4\n", "not evenly spaced"},
            {"wide.csv", "0,1,2\n0.01,1,2\n", "3 columns"},
            {"words.txt", "1 2\n0.01 x\n", "line 2: \"x\" is not a number"},
        };
        writeText(dir_ / "empty.csv", "");
        for (const BadFile& b : bad_) {
            if (!b.content.empty()) writeText(dir_ / b.name, b.content);
        }
    }

    ScratchFolder dir_;
    std::string good_ = dir_ / "good.txt";
    std::vector<BadFile> bad_;
};

TEST_F(SpectraFailures, EachBadFileIsNamedWithItsReasonAndTheOthersAreComputed) {
    std::vector<std::string> args = {good_};
    for (const BadFile& b : bad_) args.push_back(dir_ / b.name);
    args.push_back("--jobs");
    args.push_back("3");
    const auto r = spectra(args);
    EXPECT_EQ(r.status, 1);
    for (const BadFile& b : bad_) {
        // One line: "velmora-spectra: <file>: <reason>".
        const std::string start = "velmora-spectra: " + (dir_ / b.name) + ": ";
        const auto at = r.err.find(start);
        ASSERT_NE(at, std::string::npos) << b.name << "\n" << r.err;
        const std::string line = r.err.substr(at, r.err.find('\n', at) - at);
        EXPECT_NE(line.find(b.reason), std::string::npos) << line;
    }
    EXPECT_NE(r.err.find(std::to_string(bad_.size() + 1) + " records, " +
                         std::to_string(bad_.size()) + " failed"),
              std::string::npos)
        << r.err;
    // The good record alone is in the output.
    const Csv csv = parseCsv(r.out);
    EXPECT_EQ(csv.header.size(), 5u);
    EXPECT_EQ(csv.header.at(1), "good z=0.05 SD[m]");
    EXPECT_EQ(csv.rows.size(), 160u);
}

TEST_F(SpectraFailures, MessagesComeInInputOrderWhateverTheScheduling) {
    std::vector<std::string> args;
    for (const BadFile& b : bad_) args.push_back(dir_ / b.name);
    std::vector<std::size_t> positions;
    const auto r = spectra(args);
    for (const BadFile& b : bad_) positions.push_back(r.err.find(dir_ / b.name + ": "));
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end())) << r.err;
}

TEST_F(SpectraFailures, AnOutputFileHoldsTheGoodRecordsAndNoneIsLeftWhenAllFail) {
    const auto mixed = spectra({good_, dir_ / "nan.txt", "-o", dir_ / "mixed.csv", "-q"});
    EXPECT_EQ(mixed.status, 1);
    EXPECT_EQ(mixed.out, "");
    const Csv csv = parseCsv(readText(dir_ / "mixed.csv"));
    EXPECT_EQ(csv.header.size(), 5u);
    EXPECT_EQ(csv.rows.size(), 160u);

    const auto none = spectra(
        {dir_ / "nan.txt", dir_ / "column.txt", "-o", dir_ / "none.json", "-f", "json", "-q"});
    EXPECT_EQ(none.status, 1);
    EXPECT_FALSE(fs::exists(dir_ / "none.json"));
    // No temporary file either.
    for (const auto& name : dir_.fileNames()) EXPECT_NE(name.front(), '.') << name;
}

TEST_F(SpectraFailures, WithOneFilePerRecordAFailedRecordGetsNoFile) {
    const auto r = spectra({good_, dir_ / "nan.txt", dir_ / "short.AT2", "--out", dir_ / "res"});
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.path() / "res")) {
        names.push_back(e.path().filename().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"good.csv"}));
}

TEST_F(SpectraFailures, AnUnwritableOutputIsAFailureAndLeavesNothing) {
    const auto r = spectra({good_, "-o", dir_ / "no/such/folder/out.csv", "-q"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot write \"" + (dir_ / "no/such/folder/out.csv") + "\""),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.out, "");
}

TEST_F(SpectraFailures, AFolderWithoutRecordFilesIsReported) {
    fs::create_directories(dir_.path() / "nothing");
    writeText(dir_ / "nothing/readme.md", "no records here\n");
    const auto r = spectra({dir_ / "nothing", good_, "-q"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("holds no record files"), std::string::npos) << r.err;
    EXPECT_EQ(parseCsv(r.out).header.size(), 5u);
}

TEST_F(SpectraFailures, FiguresAreWrittenAsPngSvgAndPdf) {
    const std::vector<std::pair<std::string, std::string>> kinds = {
        {"fig.png", "\x89PNG\r\n\x1a\n"}, {"fig.svg", "<svg"}, {"fig.pdf", "%PDF-"}};
    for (const auto& [name, signature] : kinds) {
        const auto r = spectra({good_, "--record", "5", "-d", "0.02,0.05", "--plot", dir_ / name,
                                "-o", dir_ / "all.csv", "-q"});
        ASSERT_EQ(r.status, 0) << name << "\n" << r.err;
        const std::string content = readText(dir_ / name);
        ASSERT_GT(content.size(), 1000u) << name;
        if (name == "fig.svg") {
            EXPECT_NE(content.find(signature), std::string::npos);
            EXPECT_NE(content.find("Spectral Acceleration"), std::string::npos);
        } else {
            EXPECT_EQ(content.substr(0, signature.size()), signature) << name;
        }
    }
    for (const auto& name : dir_.fileNames()) EXPECT_NE(name.front(), '.') << name;
}

}  // namespace
}  // namespace velmora::spectra_test
