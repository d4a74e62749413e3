// velmora-spectra reads every record format it names: PEER NGA .AT2 files in
// their variants and units, text and CSV files, MAT-files from other writers
// and of every shape, folders and the catalogue; and it warns when the
// command line overrides what a file says.

#include "test_spectra_common.h"

namespace velmora::spectra_test {
namespace {

// Each file gives the same spectra as its values in a one-column text file
// read at its step in the unit its header names.
TEST(SpectraInputs, At2CountsAndUnitLinesAreReadInEveryCommonSpelling) {
    ScratchFolder dir;
    const std::vector<double> values = noiseRecord(1003, 7);
    std::string column;
    for (double x : values) column += eFormat(x) + "\n";
    writeText(dir / "values.txt", column);
    const struct {
        const char* counts;
        const char* unitLine;
        const char* unit;
    } cases[] = {
        // The NGA database's own.
        {"NPTS=  1003, DT= .0100 SEC", "ACCELERATION TIME SERIES IN UNITS OF G", "g"},
        // Written by other tools.
        {"NPTS= 1003, DT= 0.01", "acceleration time series in units of g", "g"},
        {"npts=1003,dt=0.0100 sec", "ACCELERATION TIME SERIES IN UNITS OF CM/S/S", "cm/s2"},
        {"NPTS =   1003 ,  DT =  1.0E-02  SEC", "ACCELERATION TIME SERIES IN UNITS OF CM/SEC/SEC",
         "cm/s2"},
        // The older PEER layout: numbers first.
        {"  1003    .0100    NPTS, DT", "Acceleration in cm/s^2", "cm/s2"},
        {"NPTS=  1003, DT= 0.01", "ACCELERATION IN GAL", "cm/s2"},
        {"NPTS=  1003, DT= 0.01", "UNITS: M/S/S", "m/s2"},
        {"NPTS=  1003, DT= 0.01", "ACCELERATION TIME SERIES IN UNITS OF M/SEC/SEC", "m/s2"},
        {"NPTS=  1003, DT= 0.01", "Acceleration (m/s^2).", "m/s2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.counts) + " / " + c.unitLine);
        // The content is recognised whatever the file is called.
        const std::string file = dir / ((&c - cases) % 2 ? "rec.txt" : "rec.AT2");
        writeText(file, at2(c.counts, values, c.unitLine));
        const auto r = spectra({file, "-q", "-f", "json"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const json doc = json::parse(r.out);
        EXPECT_EQ(doc["records"][0]["input_units"], c.unit);
        EXPECT_EQ(doc["records"][0]["damping"],
                  spectraJson({dir / "values.txt", "--dt", "0.01", "--input-units", c.unit, "-q",
                               "-f", "json"})["records"][0]["damping"]);
    }
}

TEST(SpectraInputs, OverridingWhatAFileSaysGivesOneWarningNamingItAndBothValues) {
    ScratchFolder dir;
    const std::string inG = dir / "ing.AT2", fine = dir / "fine.AT2", twoCol = dir / "logger.txt",
                      column = dir / "column.txt", vel = dir / "vel.AT2";
    writeText(inG, at2("NPTS=  300, DT= 0.005", noiseRecord(300, 8)));
    // A unit line that names no unit (refused in SpectraFailures) states
    // nothing, so giving the unit overrides nothing.
    writeText(vel, at2("NPTS=  100, DT= 0.01", noiseRecord(100, 4),
                       "VELOCITY TIME SERIES IN UNITS OF CM/S"));
    writeText(fine, at2("NPTS=  300, DT= .0200 SEC", noiseRecord(300, 8)));
    writeText(twoCol, twoColumns(noiseRecord(300, 9), 0.01));
    writeText(column, oneColumn(noiseRecord(300, 9)));
    struct Case {
        std::vector<std::string> args;
        std::string file;                // the one warned of; empty: no warning
        std::vector<std::string> parts;  // in the warning
    };
    const std::vector<Case> cases = {
        {{inG, "--input-units", "cm/s2"}, inG, {"unit g", "cm/s2"}},
        {{inG, "--units", "m/s2"}, inG, {"unit g", "m/s2"}},
        {{inG, "--input-units", "g"}, "", {}},
        {{vel, "--input-units", "cm/s2"}, "", {}},
        {{inG, "--classic"}, inG, {"time step is 0.005 s", "0.02 s"}},
        {{twoCol, "--classic"}, twoCol, {"time step is 0.01 s", "0.02 s"}},
        {{fine, "--classic"}, "", {}},
        {{column, "--classic"}, "", {}},  // no step of its own
        {{"--record", "5", "--classic"}, "", {}},
    };
    for (const Case& c : cases) {
        const auto r = spectra(c.args + std::vector<std::string>{"-q"});
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto warnings = linesWith(r.err, "warning");
        ASSERT_EQ(warnings.size(), c.file.empty() ? 0u : 1u) << r.err;
        if (c.file.empty()) continue;
        EXPECT_EQ(warnings[0].rfind("velmora-spectra: " + c.file + ": warning: ", 0), 0u)
            << warnings[0];
        for (const std::string& part : c.parts) EXPECT_TRUE(has(warnings[0], part));
    }
    EXPECT_EQ(
        spectraJson({vel, "--input-units", "cm/s2", "-f", "json"})["records"][0]["input_units"],
        "cm/s2");
    // The command line's unit wins.
    const double cm = parseCsv(spectraOut({inG, "--input-units", "cm/s2", "-q", "-p", "1"}))
                          .column("ing z=0.05 SA[m/s2]")
                          .at(0);
    const double g =
        parseCsv(spectraOut({inG, "-q", "-p", "1"})).column("ing z=0.05 SA[m/s2]").at(0);
    EXPECT_NEAR(cm, g / kG / 100.0, 1e-12 * std::fabs(cm));
}

TEST(SpectraInputs, TextLayoutsOfOneRecordAllGiveTheSameSpectra) {
    ScratchFolder dir;
    const std::vector<double> a = noiseRecord(800, 11);
    writeText(dir / "spaces.txt", twoColumns(a, 0.01));
    writeText(dir / "tabs.dat", twoColumns(a, 0.01, "\t"));
    writeText(dir / "header.csv",
              "# station 42, north component\n# written by a logger\ntime_s,acc_m_s2\n" +
                  twoColumns(a, 0.01, ","));
    std::string crlf = "\"t\";\"a\"\n" + twoColumns(a, 0.01, ";");
    for (std::size_t i = 0; (i = crlf.find('\n', i)) != std::string::npos; i += 2)
        crlf.insert(i, "\r");
    writeText(dir / "semicolons.csv", crlf);
    writeText(dir / "column.txt", "acceleration\n" + oneColumn(a));
    // A spreadsheet's byte order mark before the first number.
    writeText(dir / "bom.csv", "\xEF\xBB\xBF" + twoColumns(a, 0.01, ","));
    // Any number of title lines, and column names with blanks in them.
    writeText(dir / "titles.csv",
              "Station 7, north component\nRecorded 28 Sep 2004\nTime (s),Accel (m/s2)\n" +
                  twoColumns(a, 0.01, ","));
    // The count and the step before a single column.
    writeText(dir / "counted.txt", "Station 7\n800 0.01\n" + oneColumn(a));
    // A comment that mentions NPTS on the fourth line is still a comment.
    writeText(dir / "comment.txt",
              "# a\n# b\n# c\n# NPTS=  800, DT= .0100 SEC as in .AT2\n" + twoColumns(a, 0.01));
    // Lines ended by a lone carriage return.
    std::string mac = twoColumns(a, 0.01);
    std::replace(mac.begin(), mac.end(), '\n', '\r');
    writeText(dir / "mac.txt", mac);
    std::vector<std::string> outputs;
    for (const char* name : {"spaces.txt", "tabs.dat", "header.csv", "semicolons.csv", "column.txt",
                             "bom.csv", "titles.csv", "counted.txt", "comment.txt", "mac.txt"}) {
        SCOPED_TRACE(name);
        const bool column = std::string(name) == "column.txt";
        const json doc = spectraJson(
            std::vector<std::string>{dir / name, "-q", "-f", "json"} +
            (column ? std::vector<std::string>{"--dt", "0.01"} : std::vector<std::string>{}));
        ASSERT_EQ(doc["records"].size(), 1u);
        EXPECT_EQ(doc["records"][0]["samples"], 800) << name;
        EXPECT_EQ(doc["records"][0]["dt"], 0.01) << name;
        EXPECT_EQ(doc["records"][0]["format"], "text") << name;
        outputs.push_back(doc["records"][0]["damping"].dump());
    }
    for (std::size_t k = 1; k < outputs.size(); ++k) EXPECT_EQ(outputs[k], outputs[0]) << k;

    // Times written with three decimals at 0.005 s are exact decimals; the
    // step is found as 0.005, not as the rounding of (t_n - t_0) / (n - 1).
    const std::vector<double> b = noiseRecord(1000, 5);
    std::string text;
    char line[64];
    for (std::size_t i = 0; i < b.size(); ++i) {
        std::snprintf(line, sizeof line, "%.3f %s\n", static_cast<double>(i) * 0.005,
                      full(b[i]).c_str());
        text += line;
    }
    writeText(dir / "logger.txt", text);
    writeText(dir / "column5.txt", oneColumn(b));
    EXPECT_EQ(parseCsv(spectraOut({dir / "logger.txt", "-q"})).rows,
              parseCsv(spectraOut({dir / "column5.txt", "--dt", "0.005", "-q"})).rows);
}

// A MAT-file's record is read by its shape, whoever wrote it. The fixtures'
// record, as scipy wrote it: 600 rows of time i * 0.01 s and acceleration
// (((37 i) mod 17) - 8) / 4 m/s^2 (see tests/fixtures/make_record_fixtures.py).
// The shapes refused (two or three rows) are in SpectraFailures.
TEST(SpectraInputs, MatFilesOfEveryShapeFromAnotherWriterGiveTheSpectraOfTheirRecord) {
    ScratchFolder dir;
    std::vector<double> a;
    for (int i = 0; i < 600; ++i) a.push_back(((37 * i) % 17 - 8) / 4.0);
    writeText(dir / "records_scipy_v5.txt", twoColumns(a, 0.01));
    const std::string text = spectraOut({dir / "records_scipy_v5.txt", "-q"});
    EXPECT_EQ(spectraOut({kFixtures + "records_scipy_v5.mat", "-q"}), text);
    // Version 4: the same record under another name.
    EXPECT_EQ(parseCsv(spectraOut({kFixtures + "records_scipy_v4.mat", "-q"})).rows,
              parseCsv(text).rows);
    // A single column chosen by name needs the time step.
    EXPECT_EQ(parseCsv(spectraOut({kFixtures + "records_scipy_v5.mat", "--var", "accel_only",
                                   "--dt", "0.01", "-q"}))
                  .rows,
              parseCsv(text).rows);
    // A single row is the acceleration alone; a square matrix is [t a].
    saveMatFile(dir / "pair.mat", {{"pair", Value::matrix(1, 2, {0.5, -0.5})}});
    saveMatFile(dir / "square.mat", {{"square", Value::matrix(2, 2, {0.0, 0.01, 0.5, -0.5})}});
    EXPECT_EQ(spectraJson(
                  {dir / "pair.mat", "--dt", "0.02", "-q", "-f", "json"})["records"][0]["samples"],
              2);
    const json square = spectraJson({dir / "square.mat", "-q", "-f", "json"});
    EXPECT_EQ(square["records"][0]["samples"], 2);
    EXPECT_EQ(square["records"][0]["dt"], 0.01);
}

// A folder means its record files sorted by name; catalogue records follow
// by number, and records 1 and 21, the same file, keep columns apart.
TEST(SpectraInputs, FolderMeansItsRecordFilesSortedByNameAndCatalogueRecordsKeepDistinctNames) {
    ScratchFolder dir;
    fs::create_directories(dir.path() / "records");
    const std::string folder = dir / "records";
    writeText(folder + "/c_last.txt", twoColumns(noiseRecord(300, 1), 0.02));
    writeText(folder + "/a_first.csv", twoColumns(noiseRecord(300, 2), 0.02, ","));
    writeText(folder + "/b_middle.AT2", at2("NPTS=  300, DT= .0200 SEC", noiseRecord(300, 3)));
    writeText(folder + "/notes.md", "not a record\n");
    writeText(folder + "/.hidden.txt", "1\n2\n");
    const Csv csv = parseCsv(spectraOut({folder, "--record", "5", "-r", "1,21", "-q", "-p", "1"}));
    ASSERT_EQ(csv.header.size(), 25u);
    std::vector<std::string> sd;
    for (std::size_t c = 1; c < 25; c += 4) sd.push_back(csv.header[c]);
    EXPECT_EQ(sd, (std::vector<std::string>{"a_first z=0.05 SD[m]", "b_middle z=0.05 SD[m]",
                                            "c_last z=0.05 SD[m]", "Nridge1 z=0.05 SD[m]",
                                            "Impval1 z=0.05 SD[m]", "Impval1_2 z=0.05 SD[m]"}));
    EXPECT_EQ(csv.rows.at(0).at(17), csv.rows.at(0).at(21));
    EXPECT_NE(csv.rows.at(0).at(13), csv.rows.at(0).at(17));
}

}  // namespace
}  // namespace velmora::spectra_test
