// velmora-spectra reads every record format it names: PEER NGA .AT2 files in
// their variants and units, text and CSV files, MAT-files from other writers
// and of every shape, folders and the catalogue; and it warns when the
// command line overrides what a file says.

#include "test_spectra_common.h"

namespace velmora::spectra_test {
namespace {

TEST(SpectraInputs, At2CountsLineIsReadInEveryCommonSpelling) {
    ScratchFolder dir;
    const std::vector<double> g = noiseRecord(1003, 7);
    const std::vector<std::string> spellings = {
        "NPTS=  1003, DT= .0100 SEC",  // the NGA database's own
        "NPTS= 1003, DT= 0.01",        // written by other tools
        "npts=1003,dt=0.0100 sec",     // lower case, no blanks
        "NPTS =   1003 ,  DT =  1.0E-02  SEC",
        "  1003    .0100    NPTS, DT",  // the older PEER layout: numbers first
    };
    std::vector<std::string> outputs;
    for (std::size_t k = 0; k < spellings.size(); ++k) {
        // The content is recognised whatever the file is called.
        const std::string file = dir / (k % 2 ? "rec.txt" : "rec.AT2");
        writeText(file, at2(spellings[k], g));
        outputs.push_back(spectraOut({file, "-q"}));
        EXPECT_EQ(outputs[k], outputs[0]) << spellings[k];
    }
    // That the values are read in g: SpectraResults.
}

TEST(SpectraInputs, At2UnitComesFromTheThirdHeaderLineInEverySpelling) {
    // Each file gives the same spectra as its values in a one-column text
    // file read in the unit its header names.
    ScratchFolder dir;
    const std::vector<double> values = noiseRecord(400, 21);
    std::string column;
    for (double x : values) column += eFormat(x) + "\n";
    writeText(dir / "values.txt", column);
    const std::vector<std::pair<std::string, std::string>> lines = {
        {"ACCELERATION TIME SERIES IN UNITS OF G", "g"},
        {"acceleration time series in units of g", "g"},
        {"ACCELERATION TIME SERIES IN UNITS OF CM/S/S", "cm/s2"},
        {"ACCELERATION TIME SERIES IN UNITS OF CM/SEC/SEC", "cm/s2"},
        {"Acceleration in cm/s^2", "cm/s2"},
        {"ACCELERATION IN GAL", "cm/s2"},
        {"UNITS: M/S/S", "m/s2"},
        {"ACCELERATION TIME SERIES IN UNITS OF M/SEC/SEC", "m/s2"},
        {"Acceleration (m/s^2).", "m/s2"},
    };
    for (const auto& [line, unit] : lines) {
        SCOPED_TRACE(line);
        writeText(dir / "rec.AT2", at2("NPTS=  400, DT= 0.01", values, line));
        const auto r = spectra({dir / "rec.AT2", "-q", "-f", "json", "-p", "0.1,0.5,2"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const json doc = json::parse(r.out);
        EXPECT_EQ(doc["records"][0]["input_units"], unit);
        EXPECT_EQ(doc["records"][0]["damping"],
                  spectraJson({dir / "values.txt", "--dt", "0.01", "--input-units", unit, "-q",
                               "-f", "json", "-p", "0.1,0.5,2"})["records"][0]["damping"]);
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
        if (c.file.empty()) {
            EXPECT_TRUE(warnings.empty()) << r.err;
            continue;
        }
        ASSERT_EQ(warnings.size(), 1u) << r.err;
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
}

TEST(SpectraInputs, TimeStepComesFromTheTimeColumnEvenWhenItIsRounded) {
    // Times written with three decimals at 0.005 s are exact decimals; the
    // step is found as 0.005, not as the rounding of (t_n - t_0) / (n - 1).
    ScratchFolder dir;
    const std::vector<double> a = noiseRecord(1000, 5);
    std::string text;
    char line[64];
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::snprintf(line, sizeof line, "%.3f %s\n", static_cast<double>(i) * 0.005,
                      full(a[i]).c_str());
        text += line;
    }
    writeText(dir / "logger.txt", text);
    writeText(dir / "column.txt", oneColumn(a));
    EXPECT_EQ(parseCsv(spectraOut({dir / "logger.txt", "-q"})).rows,
              parseCsv(spectraOut({dir / "column.txt", "--dt", "0.005", "-q"})).rows);
}

// The fixtures' record: 600 rows of time i * 0.01 s and acceleration
// (((37 i) mod 17) - 8) / 4 m/s^2 (see tests/fixtures/make_record_fixtures.py).
std::vector<double> fixtureAcceleration() {
    std::vector<double> a;
    for (int i = 0; i < 600; ++i) a.push_back(((37 * i) % 17 - 8) / 4.0);
    return a;
}

TEST(SpectraInputs, MatFilesFromAnotherWriterGiveTheSpectraOfTheirRecord) {
    ScratchFolder dir;
    writeText(dir / "records_scipy_v5.txt", twoColumns(fixtureAcceleration(), 0.01));
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
}

// The shapes refused (two or three rows) are in SpectraFailures.
TEST(SpectraInputs, MatMatrixOfEveryShapeIsReadByItsShape) {
    ScratchFolder dir;
    const std::vector<double> a = noiseRecord(1500, 12);
    std::vector<double> columns;  // [t a]
    for (std::size_t i = 0; i < a.size(); ++i) columns.push_back(static_cast<double>(i) * 0.01);
    columns.insert(columns.end(), a.begin(), a.end());
    saveMatFile(dir / "cols.mat", {{"cols", Value::matrix(1500, 2, columns)}});
    saveMatFile(dir / "pair.mat", {{"pair", Value::matrix(1, 2, {0.5, -0.5})}});
    saveMatFile(dir / "square.mat", {{"square", Value::matrix(2, 2, {0.0, 0.01, 0.5, -0.5})}});
    writeText(dir / "cols.txt", twoColumns(a, 0.01));
    EXPECT_EQ(spectraOut({dir / "cols.mat", "-q"}), spectraOut({dir / "cols.txt", "-q"}));
    // A single row is the acceleration alone; a square matrix is [t a].
    EXPECT_EQ(spectraJson(
                  {dir / "pair.mat", "--dt", "0.02", "-q", "-f", "json"})["records"][0]["samples"],
              2);
    const json square = spectraJson({dir / "square.mat", "-q", "-f", "json"});
    EXPECT_EQ(square["records"][0]["samples"], 2);
    EXPECT_EQ(square["records"][0]["dt"], 0.01);
}

TEST(SpectraInputs, FolderMeansItsRecordFilesSortedByName) {
    ScratchFolder dir;
    fs::create_directories(dir.path() / "records");
    const std::string folder = dir / "records";
    writeText(folder + "/c_last.txt", twoColumns(noiseRecord(300, 1), 0.02));
    writeText(folder + "/a_first.csv", twoColumns(noiseRecord(300, 2), 0.02, ","));
    writeText(folder + "/b_middle.AT2", at2("NPTS=  300, DT= .0200 SEC", noiseRecord(300, 3)));
    writeText(folder + "/notes.md", "not a record\n");
    writeText(folder + "/.hidden.txt", "1\n2\n");
    const Csv csv = parseCsv(spectraOut({folder, "-q", "-p", "1"}));
    ASSERT_EQ(csv.header.size(), 13u);
    EXPECT_EQ(csv.header[1], "a_first z=0.05 SD[m]");
    EXPECT_EQ(csv.header[5], "b_middle z=0.05 SD[m]");
    EXPECT_EQ(csv.header[9], "c_last z=0.05 SD[m]");
}

TEST(SpectraInputs, CatalogueRecordsByNumberKeepDistinctNames) {
    // Records 1 and 21 are the same file; their columns stay apart.
    const Csv csv = parseCsv(spectraOut({"--record", "5", "-r", "1,21", "-q", "-p", "1"}));
    ASSERT_EQ(csv.header.size(), 13u);
    EXPECT_EQ(csv.header[1], "Nridge1 z=0.05 SD[m]");
    EXPECT_EQ(csv.header[5], "Impval1 z=0.05 SD[m]");
    EXPECT_EQ(csv.header[9], "Impval1_2 z=0.05 SD[m]");
    EXPECT_EQ(csv.rows.at(0).at(5), csv.rows.at(0).at(9));
    EXPECT_NE(csv.rows.at(0).at(1), csv.rows.at(0).at(5));
}

}  // namespace
}  // namespace velmora::spectra_test
