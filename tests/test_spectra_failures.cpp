// velmora-spectra with records it cannot use: each is reported with its
// name and the reason (quoting the file briefly and printably), the others
// are still computed, the exit status is 1, and no partial output file is
// left behind. Inputs that are no record files at all: devices, endless
// streams, links that lead nowhere. Also the figure files.
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <thread>

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
        saveMatFile(dir_ / "rows.mat", {{"rows", Value::matrix(2, 1500, noiseRecord(3000, 3))}});
        fs::create_symlink(dir_ / "gone.txt", dir_ / "broken.txt");
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
            {"rows.mat", "", "2 rows x 1500 columns"},
            {"broken.txt", "", "is a symbolic link to a missing file"},
            {"counted.txt", "Station 7\n4 0.01\n0.1\n0.2\n0.3\n",
             "holds 3 values where its count line (line 2) gives 4"},
            {"prose.txt", "0 1\n0.01 2\nrecording resumed after a gap\n0.02 3\n",
             "line 3 is not numeric data: \"recording resumed after a gap\""},
            {"prose2.csv", "t,a\n0,1\n0.01,2\nsee the notes, page 2,3\n",
             "line 4 is not numeric data"},
            {"typo.txt", "0.0l 1\n0.01 2\n0.02 3\n", "line 1: \"0.0l\" is not a number"},
            {"unit.AT2", "PEER\nX\nVELOCITY IN CM/S\nNPTS=  1, DT= .0100 SEC\n1\n",
             "line 3 \"VELOCITY IN CM/S\" names no unit"},
            {"utf16.txt",
             std::string("\xFF\xFE"
                         "0\0 \0"
                         "1\0\n\0",
                         10),
             "is UTF-16 text"},
            {"nul.txt", std::string("0 1\n0.01 2\0\n", 12), "holds a NUL byte (byte 11)"},
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

// The error line a run printed for `file`.
std::string messageFor(const ProcessResult& r, const std::string& file) {
    const std::string start = "velmora-spectra: " + file + ": ";
    const auto at = r.err.find(start);
    if (at == std::string::npos) return "";
    return r.err.substr(at, r.err.find('\n', at) - at);
}

TEST_F(SpectraFailures, MessagesQuoteTheFileBrieflyAndPrintably) {
    const std::string longField(1 << 20, 'x');
    writeText(dir_ / "long.txt", "0 1\n0.01 " + longField + "\n");
    writeText(dir_ / "longprose.txt", "0 1\n0.01 2\n" + longField + " tail\n");
    writeText(dir_ / "escape.txt", "0 1\n0.01 \x1b[2J\xC2\x9B\n");
    writeText(dir_ / "accents.txt", "0 1\n\xC3\xA9t\xC3\xA9 \xE2\x80\xAE 2\n");
    writeText(dir_ / "latin1.txt", "0 1\n0.01 caf\xE9\n");
    const auto r = spectra({dir_ / "long.txt", dir_ / "longprose.txt", dir_ / "escape.txt",
                            dir_ / "accents.txt", dir_ / "latin1.txt", "-q"});
    EXPECT_EQ(r.status, 1);
    EXPECT_LT(r.err.size(), 1000u);
    const std::string forty(40, 'x');
    EXPECT_EQ(messageFor(r, dir_ / "long.txt"), "velmora-spectra: " + (dir_ / "long.txt") +
                                                    ": line 2: \"" + forty +
                                                    "\"... is not a number");
    EXPECT_EQ(messageFor(r, dir_ / "longprose.txt"),
              "velmora-spectra: " + (dir_ / "longprose.txt") + ": line 3 is not numeric data: \"" +
                  forty + "\"...");
    // Nothing the terminal would act on reaches it.
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
    EXPECT_NE(messageFor(r, dir_ / "escape.txt").find("\"\\x1B[2J\\xC2\\x9B\""), std::string::npos)
        << r.err;
    // Letters are shown as they are; the mark that reverses text and a
    // byte that is not UTF-8 are escaped.
    EXPECT_NE(messageFor(r, dir_ / "accents.txt").find("\"\xC3\xA9t\xC3\xA9 \\xE2\\x80\\xAE 2\""),
              std::string::npos)
        << r.err;
    EXPECT_NE(messageFor(r, dir_ / "latin1.txt").find("\"caf\\xE9\" is not a number"),
              std::string::npos)
        << r.err;
}

TEST_F(SpectraFailures, InputsThatAreNoRecordFilesAreRefusedAndNamed) {
    // In a folder: links that lead nowhere are reported as a missing file
    // named on its own is, and a FIFO is named rather than waited on.
    const fs::path folder = dir_.path() / "folder";
    fs::create_directories(folder);
    writeText((folder / "good.txt").string(), twoColumns(noiseRecord(300, 31), 0.01));
    fs::create_symlink(folder / "nowhere.txt", folder / "broken.txt");
    fs::create_symlink(folder / "loop.csv", folder / "loop.csv");
    ASSERT_EQ(::mkfifo((folder / "pipe.dat").c_str(), 0600), 0);
    const auto inFolder = spectra({folder.string(), "-q"});
    EXPECT_EQ(inFolder.status, 1);
    EXPECT_NE(messageFor(inFolder, (folder / "broken.txt").string())
                  .find("is a symbolic link to a missing file"),
              std::string::npos)
        << inFolder.err;
    EXPECT_NE(messageFor(inFolder, (folder / "loop.csv").string()).find("symbolic link that loops"),
              std::string::npos)
        << inFolder.err;
    EXPECT_NE(messageFor(inFolder, (folder / "pipe.dat").string()).find("FIFO"), std::string::npos)
        << inFolder.err;
    EXPECT_EQ(parseCsv(inFolder.out).header.at(1), "good z=0.05 SD[m]");

    // A device is not opened; a file beyond the size cap is not read; a
    // MAT-file is read by seeking, so a FIFO is no MAT-file (and is not
    // waited on).
    const std::string big = dir_ / "big.txt", pipeMat = dir_ / "pipe.mat";
    writeText(big, "");
    fs::resize_file(big, (std::uintmax_t{256} << 20) + 1);  // sparse: no disk used
    ASSERT_EQ(::mkfifo(pipeMat.c_str(), 0600), 0);
    const auto devices = spectra({"/dev/zero", big, pipeMat, good_, "-q"});
    EXPECT_EQ(devices.status, 1);
    EXPECT_NE(messageFor(devices, "/dev/zero").find("is a character device, not a regular file"),
              std::string::npos)
        << devices.err;
    EXPECT_NE(messageFor(devices, big)
                  .find("is larger than a record file may be (268435457 "
                        "bytes; at most 256 MiB)"),
              std::string::npos)
        << devices.err;
    EXPECT_NE(messageFor(devices, pipeMat).find("is a FIFO (named pipe), not a regular file"),
              std::string::npos)
        << devices.err;
    EXPECT_EQ(parseCsv(devices.out).header.size(), 5u);

    // A stream named on its own is read to its end, up to the same cap.
    const std::string record = twoColumns(noiseRecord(300, 31), 0.01);
    const auto piped = velmora::testing::runProcess(
        velmora::testing::builtProgram("velmora-spectra"), {"/dev/stdin", "-q"}, record);
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(parseCsv(piped.out).rows, parseCsv(spectraOut({good_, "-q"})).rows);
    const auto endless = velmora::testing::runProcess(
        "/bin/sh", {"-c", "yes 0.5 | '" + velmora::testing::builtProgram("velmora-spectra") +
                              "' --dt 0.01 -q /dev/stdin"});
    EXPECT_EQ(endless.status, 1);
    EXPECT_NE(endless.err.find("/dev/stdin: goes on past 256 MiB"), std::string::npos)
        << endless.err;
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
