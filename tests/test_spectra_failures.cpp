// velmora-spectra with records it cannot use: each is reported with its
// name and the reason (quoting the file briefly and printably), the others
// are still computed, the exit status is 1, and no partial output file is
// left behind. Inputs that are no record files at all: devices, endless
// streams, links that lead nowhere. Also the figure files, and what becomes
// of the files named as outputs: written through, refused or left as they
// were, never silently replaced.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <thread>

#include "test_spectra_common.h"

namespace velmora::spectra_test {
namespace {

struct BadFile {
    std::string name;     // in the scratch folder unless absolute
    std::string content;  // written as is (empty: not written at all)
    std::string reason;   // part of the message
};

class SpectraFailures : public ::testing::Test {
  protected:
    void SetUp() override {
        writeText(good_, twoColumns(noiseRecord(300, 31), 0.01));
        std::vector<double> nanMatrix;
        for (int i = 0; i < 20; ++i) nanMatrix.push_back(i * 0.01);
        for (int i = 0; i < 20; ++i) nanMatrix.push_back(i == 7 ? NAN : 1.0);
        saveMatFile(dir_ / "nanmat.mat", {{"nanmat", Value::matrix(20, 2, nanMatrix)}});
        saveMatFile(dir_ / "wrongname.mat", {{"other", Value::matrix(3, 2, {0, 1, 2, 3, 4, 5})}});
        saveMatFile(dir_ / "rows.mat", {{"rows", Value::matrix(2, 1500, noiseRecord(3000, 3))}});
        saveMatFile(dir_ / "three.mat", {{"three", Value::matrix(3, 10, std::vector(30, 1.0))}});
        fs::create_symlink(dir_ / "gone.txt", dir_ / "broken.txt");
        fs::create_directories(dir_.path() / "nothing");
        writeText(dir_ / "nothing/readme.md", "no records here\n");
        // A file beyond the size cap is not read (sparse: no disk used); a
        // MAT-file is read by seeking, so a FIFO is no MAT-file (and is not
        // waited on).
        writeText(dir_ / "big.txt", "");
        fs::resize_file(dir_ / "big.txt", (std::uintmax_t{256} << 20) + 1);
        ASSERT_EQ(::mkfifo((dir_ / "pipe.mat").c_str(), 0600), 0);
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
            {"short.AT2", at2("NPTS=  400, DT= .0100 SEC", noiseRecord(300, 32)),
             "holds 300 values where NPTS is 400"},
            {"uneven.txt", "0 1\n0.01 2\n0.03 3\n0.04 4\n", "not evenly spaced"},
            {"wide.csv", "0,1,2\n0.01,1,2\n", "3 columns"},
            {"words.txt", "1 2\n0.01 x\n", "line 2: \"x\" is not a number"},
            // Rows and columns swapped would be a record of two samples.
            {"rows.mat", "", "2 rows x 1500 columns"},
            {"three.mat", "", "3 rows x 10 columns"},
            {"broken.txt", "", "is a symbolic link to a missing file"},
            {"nothing", "", "holds no record files"},  // a folder
            {"counted.txt", "Station 7\n4 0.01\n0.1\n0.2\n0.3\n",
             "holds 3 values where its count line (line 2) gives 4"},
            {"prose.txt", "0 1\n0.01 2\nrecording resumed after a gap\n0.02 3\n",
             "line 3 is not numeric data: \"recording resumed after a gap\""},
            {"prose2.csv", "t,a\n0,1\n0.01,2\nsee the notes, page 2,3\n",
             "line 4 is not numeric data"},
            {"typo.txt", "0.0l 1\n0.01 2\n0.02 3\n", "line 1: \"0.0l\" is not a number"},
            {"unit.AT2", "PEER\nX\nVELOCITY IN CM/S\nNPTS=  1, DT= .0100 SEC\n1\n",
             "line 3 \"VELOCITY IN CM/S\" names no unit (G, CM/S/S, CM/S^2, GAL, M/S/S, M/S^2, "
             "...); give --input-units"},
            {"utf16.txt", {'\xFF', '\xFE', '0', 0, ' ', 0, '1', 0, '\n', 0}, "is UTF-16 text"},
            {"nul.txt", std::string("0 1\n0.01 2\0\n", 12), "holds a NUL byte (byte 11)"},
            // Nothing the terminal would act on reaches it. Letters are shown
            // as they are; the mark that reverses text and a byte that is not
            // UTF-8 are escaped.
            {"escape.txt", "0 1\n0.01 \x1b[2J\xC2\x9B\n", "\"\\x1B[2J\\xC2\\x9B\""},
            {"accents.txt", "0 1\n\xC3\xA9t\xC3\xA9 \xE2\x80\xAE 2\n",
             "\"\xC3\xA9t\xC3\xA9 \\xE2\\x80\\xAE 2\""},
            {"latin1.txt", "0 1\n0.01 caf\xE9\n", "\"caf\\xE9\" is not a number"},
            {"/dev/zero", "", "is a character device, not a regular file"},  // not opened
            {"big.txt", "",
             "is larger than a record file may be (268435457 bytes; at most 256 MiB)"},
            {"pipe.mat", "", "is a FIFO (named pipe), not a regular file"},
        };
        writeText(dir_ / "empty.csv", "");
        for (const BadFile& b : bad_) {
            if (!b.content.empty()) writeText(dir_ / b.name, b.content);
        }
    }

    std::string pathOf(const BadFile& b) const { return b.name[0] == '/' ? b.name : dir_ / b.name; }

    ScratchFolder dir_;
    std::string good_ = dir_ / "good.txt";
    std::vector<BadFile> bad_;
};

TEST_F(SpectraFailures, EachBadFileIsNamedWithItsReasonAndTheOthersAreComputed) {
    std::vector<std::string> args = {good_, "--record", "2", "--jobs", "3"};
    for (const BadFile& b : bad_) args.push_back(pathOf(b));
    const auto r = spectra(args);
    EXPECT_EQ(r.status, 1);
    // One line each, "velmora-spectra: <file>: <reason>", in input order
    // whatever the scheduling.
    std::vector<std::size_t> positions;
    for (const BadFile& b : bad_) {
        EXPECT_TRUE(has(messageFor(r, pathOf(b)), b.reason)) << b.name;
        positions.push_back(r.err.find(pathOf(b) + ": "));
    }
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end())) << r.err;
    // The summary is the last line; standard error is no terminal here, so
    // no progress bar.
    const auto at = r.err.rfind(std::to_string(bad_.size() + 2) + " records, " +
                                std::to_string(bad_.size()) + " failed, ");
    ASSERT_NE(at, std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n', at), r.err.size() - 1) << r.err;
    EXPECT_EQ(r.err.substr(r.err.size() - 3), " s\n") << r.err;
    EXPECT_EQ(r.err.find('\r'), std::string::npos);
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
    // The good records alone are in the output.
    const Csv csv = parseCsv(r.out);
    EXPECT_EQ(csv.header.size(), 9u);
    EXPECT_EQ(csv.header.at(1), "good z=0.05 SD[m]");
    EXPECT_EQ(csv.rows.size(), 160u);
}

TEST_F(SpectraFailures, AnOutputHoldsTheGoodRecordsAndNoneIsLeftWhenAllFailOrItCannotBe) {
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
    expectNoHiddenFiles(dir_.path());  // no temporary file either
    EXPECT_EQ(spectra({dir_ / "nan.txt", dir_ / "column.txt", "-q"}).out, "");  // nothing to write

    const auto r = spectra({good_, "-o", dir_ / "no/such/folder/out.csv", "-q"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "cannot write \"" + (dir_ / "no/such/folder/out.csv") + "\""));
    EXPECT_EQ(r.out, "");
}

TEST_F(SpectraFailures, MessagesQuoteTheFileBrieflyAndPrintably) {
    const std::string longField(1 << 20, 'x');
    writeText(dir_ / "long.txt", "0 1\n0.01 " + longField + "\n");
    writeText(dir_ / "longprose.txt", "0 1\n0.01 2\n" + longField + " tail\n");
    const auto r = spectra({dir_ / "long.txt", dir_ / "longprose.txt", "-q"});
    EXPECT_EQ(r.status, 1);
    EXPECT_LT(r.err.size(), 1000u);
    const std::string forty(40, 'x');
    EXPECT_EQ(messageFor(r, dir_ / "long.txt"), "velmora-spectra: " + (dir_ / "long.txt") +
                                                    ": line 2: \"" + forty +
                                                    "\"... is not a number");
    EXPECT_EQ(messageFor(r, dir_ / "longprose.txt"),
              "velmora-spectra: " + (dir_ / "longprose.txt") + ": line 3 is not numeric data: \"" +
                  forty + "\"...");
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
    EXPECT_TRUE(has(messageFor(inFolder, (folder / "broken.txt").string()),
                    "is a symbolic link to a missing file"));
    EXPECT_TRUE(
        has(messageFor(inFolder, (folder / "loop.csv").string()), "symbolic link that loops"));
    EXPECT_TRUE(has(messageFor(inFolder, (folder / "pipe.dat").string()), "FIFO"));
    EXPECT_EQ(parseCsv(inFolder.out).header.at(1), "good z=0.05 SD[m]");
    // Devices, FIFOs and files beyond the size cap named on their own are
    // rows of the table above.

    // A stream named on its own is read to its end, up to the same cap.
    const auto piped = spectra({"/dev/stdin", "-q"}, readText(good_));
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(parseCsv(piped.out).rows, parseCsv(spectraOut({good_, "-q"})).rows);
    const auto endless = velmora::testing::runProcess(
        "/bin/sh", {"-c", "yes 0.5 | '" + spectraProgram() + "' --dt 0.01 -q /dev/stdin"});
    EXPECT_EQ(endless.status, 1);
    EXPECT_TRUE(has(endless.err, "/dev/stdin: goes on past 256 MiB"));
}

TEST_F(SpectraFailures, FiguresAreWrittenAsPngSvgAndPdfOffScreenWhateverThePlatform) {
    const std::vector<std::pair<std::string, std::string>> kinds = {
        {"fig.png", "\x89PNG\r\n\x1a\n"}, {"fig.svg", "<svg"}, {"fig.pdf", "%PDF-"}};
    for (const auto& [name, signature] : kinds) {
        // xcb without a display aborts a program that tries to show windows.
        const auto r = spectra({good_, "--record", "5", "-d", "0.02,0.05", "--plot", dir_ / name,
                                "-o", dir_ / "all.csv"},
                               "", {"QT_QPA_PLATFORM=xcb", "DISPLAY=", "WAYLAND_DISPLAY="});
        ASSERT_EQ(r.status, 0) << name << "\n" << r.err;
        EXPECT_TRUE(has(r.err, "2 records, 0 failed"));
        const std::string content = readText(dir_ / name);
        ASSERT_GT(content.size(), 1000u) << name;
        if (name == "fig.svg") {
            EXPECT_TRUE(has(content, signature));
            EXPECT_TRUE(has(content, "Spectral Acceleration"));
        } else {
            EXPECT_EQ(content.substr(0, signature.size()), signature) << name;
        }
    }
    expectNoHiddenFiles(dir_.path());
}

struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

// velmora-spectra allowed files of 1 KiB at most. With SIGXFSZ ignored a
// write past that fails with EFBIG, as on a full disk; else the signal ends
// the program mid-write.
ProcessResult spectraWithSmallFiles(const std::vector<std::string>& args,
                                    bool ignoreSignal = true) {
    std::vector<std::string> all = {"-c",
                                    std::string("ulimit -c 0 -f 1; ") +
                                        (ignoreSignal ? "trap '' XFSZ; " : "") +
                                        "exec \"$0\" \"$@\"",
                                    spectraProgram()};
    return velmora::testing::runProcess("/bin/bash", all + args, "", {"QT_QPA_PLATFORM=offscreen"});
}

class SpectraOutputTargets : public SpectraFailures {
  protected:
    static bool isResult(const std::string& path) { return isResultText(readText(path)); }
    // The method line, then the header of record "good".
    static bool isResultText(const std::string& text) {
        return text.rfind("# ", 0) == 0 &&
               text.find("\nperiod_s,good z=0.05 SD[m]") == text.find('\n');
    }
};

TEST_F(SpectraOutputTargets, LinksAndModesAreKept) {
    // A symbolic link: its target is replaced, the link stays.
    fs::create_directories(dir_.path() / "real");
    writeText(dir_ / "real/target.csv", "old\n");
    fs::create_symlink("real/target.csv", dir_.path() / "link.csv");
    fs::create_symlink("real/new.csv", dir_.path() / "dangling.csv");
    // Hard links: both names see the new content.
    writeText(dir_ / "first.csv", "old\n");
    fs::create_hard_link(dir_.path() / "first.csv", dir_.path() / "second.csv");
    // A private file stays private.
    writeText(dir_ / "private.csv", "old\n");
    ::chmod((dir_ / "private.csv").c_str(), 0600);
    // And the longest legal name.
    const std::string longest = std::string(251, 'n') + ".csv";
    for (const char* name :
         {"link.csv", "dangling.csv", "first.csv", "private.csv", longest.c_str()}) {
        SCOPED_TRACE(name);
        const auto r = spectra({good_, "-o", dir_ / name, "-q"});
        EXPECT_EQ(r.status, 0) << r.err;
    }
    for (const char* written :
         {"real/target.csv", "real/new.csv", "second.csv", "private.csv", longest.c_str()}) {
        EXPECT_TRUE(isResult(dir_ / written)) << written;
    }
    EXPECT_TRUE(fs::is_symlink(dir_.path() / "link.csv"));
    EXPECT_TRUE(fs::is_symlink(dir_.path() / "dangling.csv"));
    EXPECT_EQ(statOf(dir_ / "first.csv").st_ino, statOf(dir_ / "second.csv").st_ino);
    EXPECT_EQ(statOf(dir_ / "first.csv").st_nlink, 2u);
    EXPECT_EQ(statOf(dir_ / "private.csv").st_mode & 07777, 0600u);
    expectNoHiddenFiles(dir_.path());
    expectNoHiddenFiles(dir_.path() / "real");
}

TEST_F(SpectraOutputTargets, PermissionsAndOwnersAreRespected) {
    writeText(dir_ / "locked.csv", "old\n");
    ::chmod((dir_ / "locked.csv").c_str(), 0444);
    const auto r = spectra({good_, "-o", dir_ / "locked.csv", "-q"});
    if (::geteuid() != 0) {
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(
            has(r.err, "cannot write \"" + (dir_ / "locked.csv") + "\": the file is read-only"));
        EXPECT_EQ(readText(dir_ / "locked.csv"), "old\n");
        return;
    }
    // The superuser may write any file, as cp does; the mode stays.
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(isResult(dir_ / "locked.csv"));
    EXPECT_EQ(statOf(dir_ / "locked.csv").st_mode & 07777, 0444u);
    auto asNobody = [&](const fs::path& output) {
        return velmora::testing::runProcess("/usr/bin/setpriv",
                                            {"--reuid=65534", "--regid=65534", "--clear-groups",
                                             spectraProgram(), good_, "-o", output.string(), "-q"},
                                            "", {"QT_QPA_PLATFORM=offscreen"});
    };
    // Another user, in a folder of their own, is refused their read-only
    // file; a file of theirs the superuser writes stays theirs.
    const fs::path theirs = dir_.path() / "theirs";
    fs::create_directories(theirs);
    for (const char* name : {"locked.csv", "open.csv"}) {
        writeText((theirs / name).string(), "old\n");
        ASSERT_EQ(::chown((theirs / name).c_str(), 65534, 65534), 0);
    }
    ::chmod((theirs / "locked.csv").c_str(), 0444);
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    const auto refused = asNobody(theirs / "locked.csv");
    EXPECT_EQ(refused.status, 1) << refused.err;
    EXPECT_TRUE(has(refused.err, "the file is read-only"));
    EXPECT_EQ(readText((theirs / "locked.csv").string()), "old\n");
    EXPECT_EQ(spectra({good_, "-o", (theirs / "open.csv").string(), "-q"}).status, 0);
    EXPECT_TRUE(isResult((theirs / "open.csv").string()));
    EXPECT_EQ(statOf((theirs / "open.csv").string()).st_uid, 65534u);
    EXPECT_EQ(statOf((theirs / "open.csv").string()).st_gid, 65534u);
    // A file others may write, in a sticky folder (as /tmp) where only its
    // owner may replace it: rewritten in place, still the superuser's.
    const fs::path shared = dir_.path() / "shared";
    fs::create_directories(shared);
    ::chmod(shared.c_str(), 01777);
    writeText((shared / "common.csv").string(), "old\n");
    ::chmod((shared / "common.csv").c_str(), 0666);
    const auto sticky = asNobody(shared / "common.csv");
    EXPECT_EQ(sticky.status, 0) << sticky.err;
    EXPECT_TRUE(isResult((shared / "common.csv").string()));
    EXPECT_EQ(statOf((shared / "common.csv").string()).st_uid, 0u);
    EXPECT_EQ(statOf((shared / "common.csv").string()).st_mode & 07777, 0666u);
    expectNoHiddenFiles(theirs);
    expectNoHiddenFiles(shared);
}

TEST_F(SpectraOutputTargets, WhatIsNotARegularFileIsWrittenThrough) {
    // Standard output by name: a link to /proc/self/fd/1 as /dev/stdout is
    // (a scratch one, so that a fault cannot replace the system's).
    fs::create_symlink("/proc/self/fd/1", dir_.path() / "stdout");
    const auto out = spectra({good_, "-o", dir_ / "stdout", "-q"});
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_TRUE(isResultText(out.out)) << out.out.substr(0, 80);
    EXPECT_TRUE(fs::is_symlink(dir_.path() / "stdout"));

    // A FIFO: its reader gets the results and the FIFO stays.
    const std::string fifo = dir_ / "pipe.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    // The test holds a writing end too, so the reader waits for the
    // program and is let go when the test drops it, whatever the program did.
    const int readEnd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    const int writeEnd = ::open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(readEnd, 0);
    ASSERT_GE(writeEnd, 0);
    ::fcntl(readEnd, F_SETFL, 0);
    std::string received;
    std::thread reader([&] {
        char buffer[4096];
        for (ssize_t n; (n = ::read(readEnd, buffer, sizeof buffer)) > 0;) {
            received.append(buffer, static_cast<std::size_t>(n));
        }
    });
    const auto r = spectra({good_, "-o", fifo, "-q"});
    ::close(writeEnd);
    reader.join();
    ::close(readEnd);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(isResultText(received));
    EXPECT_TRUE(S_ISFIFO(statOf(fifo).st_mode));

    // A device node (only the superuser may make one).
    const std::string device = dir_ / "null.csv";
    const std::string figure = dir_ / "null.png";
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0 ||
        ::mknod(figure.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
        GTEST_SKIP() << "cannot make device nodes here";
    }
    const auto d = spectra({good_, "-o", device, "--plot", figure, "-q"});
    EXPECT_EQ(d.status, 0) << d.err;
    for (const std::string& node : {device, figure}) {
        const struct stat st = statOf(node);
        EXPECT_TRUE(S_ISCHR(st.st_mode)) << node;
        EXPECT_EQ(st.st_rdev, makedev(1, 3)) << node;
    }
    expectNoHiddenFiles(dir_.path());
}

TEST_F(SpectraOutputTargets, AFailedWriteLeavesNothingAndKeepsTheOldFile) {
    // Every file here is larger than 1 KiB. The figures' results go to
    // standard output, a pipe, which has no size limit.
    const std::vector<std::string> with = {good_, "-q"};
    writeText(dir_ / "kept.csv", "old\n");
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"all.csv", {"-o"}},     {"all.json", {"-f", "json", "-o"}},
        {"kept.csv", {"-o"}},    {"fig.svg", {"--plot"}},
        {"fig.pdf", {"--plot"}}, {"fig.png", {"--plot"}},
    };
    for (const auto& [name, extra] : cases) {
        SCOPED_TRACE(name);
        const auto r = spectraWithSmallFiles(with + extra + std::vector<std::string>{dir_ / name});
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_TRUE(has(r.err, "cannot write \"" + (dir_ / name) + "\": File too large"));
        EXPECT_EQ(fs::exists(dir_ / name), name == "kept.csv");
    }
    EXPECT_EQ(readText(dir_ / "kept.csv"), "old\n");
    // One file per record: each failed record named, no file made.
    const auto per = spectraWithSmallFiles({good_, "--out", dir_ / "res", "-q"});
    EXPECT_EQ(per.status, 1);
    EXPECT_TRUE(has(per.err, good_ + ": cannot write"));
    EXPECT_TRUE(fs::is_empty(dir_.path() / "res"));
    // A hard-linked file is written in place: refused before it is touched.
    fs::create_hard_link(dir_.path() / "kept.csv", dir_.path() / "alias.csv");
    const auto linked =
        spectraWithSmallFiles(with + std::vector<std::string>{"-o", dir_ / "kept.csv"});
    EXPECT_EQ(linked.status, 1);
    EXPECT_EQ(readText(dir_ / "alias.csv"), "old\n");
    // Ended by the signal in the middle of the write: nothing left either.
    const auto killed =
        spectraWithSmallFiles(with + std::vector<std::string>{"-o", dir_ / "cut.csv"}, false);
    EXPECT_EQ(killed.status, 128 + SIGXFSZ);
    EXPECT_FALSE(fs::exists(dir_ / "cut.csv"));
    expectNoHiddenFiles(dir_.path());
    expectNoHiddenFiles(dir_.path() / "res");
}

}  // namespace
}  // namespace velmora::spectra_test
