// velmora-spectra reads every record format it names: PEER NGA .AT2 files in
// their variants and units, text and CSV files, MAT-files from other writers
// and of every shape, folders and the catalogue; and it warns when the
// command line overrides what a file says.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

#include "host/matfile.h"
#include "host/value.h"
#include "test_spectra_common.h"

namespace velmora::spectra_test {
namespace {

constexpr double kG = 9.80665;

// A value as the NGA database writes it.
std::string eFormat(double x) {
    char value[32];
    std::snprintf(value, sizeof value, "%15.7E", x);
    return value;
}

// A PEER NGA .AT2 file: three title lines (the third naming the unit), the
// counts line, then the values five to a line in the database's E format.
std::string at2(const std::string& countsLine, const std::vector<double>& values,
                const std::string& unitLine = "ACCELERATION TIME SERIES IN UNITS OF G") {
    std::string text =
        "PEER NGA STRONG MOTION DATABASE RECORD\n"
        "SYNTHETIC 1/1/00, TEST STATION, 180\n" +
        unitLine + "\n" + countsLine + "\n";
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += eFormat(values[i]);
        if (i % 5 == 4 || i + 1 == values.size()) text += "\n";
    }
    return text;
}

// The lines of `text` that contain `part`.
std::vector<std::string> linesWith(const std::string& text, const std::string& part) {
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.find(part) != std::string::npos) found.push_back(line);
    }
    return found;
}

std::vector<double> constant(std::size_t n, double value) {
    return std::vector<double>(n, value);
}

TEST(SpectraInputs, At2RecordOfConstantAccelerationGivesTheStepResponsePeak) {
    // 0.1 g held from t = 0 at 200 samples per second: an undamped
    // oscillator swings to 2 a0 / w^2 at half its period (a whole number of
    // steps for these periods), and SA = w^2 SD is 2 a0, here 0.2 g.
    ScratchFolder dir;
    writeText(dir / "RSN9999_TEST_180.AT2", at2("NPTS=  2000, DT= .0050 SEC", constant(2000, 0.1)));
    const auto r = spectra({dir / "RSN9999_TEST_180.AT2", "--damping", "0", "--periods",
                            "0.1,0.5,1,2", "--output-units", "g"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Csv csv = parseCsv(r.out);
    const auto sd = csv.column("RSN9999_TEST_180 z=0 SD[m]");
    const auto sa = csv.column("RSN9999_TEST_180 z=0 SA[g]");
    const std::vector<double> periods = {0.1, 0.5, 1, 2};
    ASSERT_EQ(sd.size(), periods.size());
    for (std::size_t j = 0; j < periods.size(); ++j) {
        const double w = 2 * std::numbers::pi / periods[j];
        EXPECT_NEAR(sd[j], 2 * 0.1 * kG / (w * w), 1e-9 * sd[j]) << periods[j];
        EXPECT_NEAR(sa[j], 0.2, 1e-9 * 0.2) << periods[j];
    }
}

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
        const std::string file = dir / ("rec.AT2");
        writeText(file, at2(spellings[k], g));
        const auto r = spectra({file, "-q"});
        ASSERT_EQ(r.status, 0) << spellings[k] << "\n" << r.err;
        outputs.push_back(r.out);
    }
    for (std::size_t k = 1; k < outputs.size(); ++k) {
        EXPECT_EQ(outputs[k], outputs[0]) << spellings[k];
    }
    // The values are in g: the same record in m/s^2 as a text file gives
    // the same spectra.
    std::vector<double> ms2;
    for (double x : g) ms2.push_back(std::strtod(eFormat(x).c_str(), nullptr) * kG);
    writeText(dir / "rec.txt", oneColumn(ms2));
    const auto text = spectra({dir / "rec.txt", "--dt", "0.01", "-q"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, outputs[0]);
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
        const auto text = spectra({dir / "values.txt", "--dt", "0.01", "--input-units", unit, "-q",
                                   "-f", "json", "-p", "0.1,0.5,2"});
        ASSERT_EQ(text.status, 0) << text.err;
        EXPECT_EQ(doc["records"][0]["damping"], json::parse(text.out)["records"][0]["damping"]);
    }
}

TEST(SpectraInputs, At2UnitLineThatNamesNoUnitIsAnErrorUnlessTheUnitIsGiven) {
    ScratchFolder dir;
    const std::string file = dir / "vel.AT2";
    writeText(file, at2("NPTS=  100, DT= 0.01", noiseRecord(100, 4),
                        "VELOCITY TIME SERIES IN UNITS OF CM/S"));
    const auto refused = spectra({file, "-q"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(linesWith(refused.err, "velmora-spectra: " + file +
                                         ": line 3 \"VELOCITY TIME SERIES IN UNITS OF CM/S\" "
                                         "names no unit")
                  .size(),
              1u)
        << refused.err;
    EXPECT_NE(refused.err.find("--input-units"), std::string::npos) << refused.err;
    EXPECT_EQ(refused.out, "");

    const auto given = spectra({file, "-q", "--input-units", "cm/s2", "-f", "json"});
    ASSERT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(given.err, "");  // nothing stated, so nothing overridden
    EXPECT_EQ(json::parse(given.out)["records"][0]["input_units"], "cm/s2");
}

TEST(SpectraInputs, OverridingWhatAFileSaysGivesOneWarningNamingItAndBothValues) {
    ScratchFolder dir;
    const std::string inG = dir / "ing.AT2", fine = dir / "fine.AT2", twoCol = dir / "logger.txt",
                      column = dir / "column.txt";
    writeText(inG, at2("NPTS=  300, DT= 0.005", noiseRecord(300, 8)));
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
        {{inG, "--classic"}, inG, {"time step is 0.005 s", "0.02 s"}},
        {{twoCol, "--classic"}, twoCol, {"time step is 0.01 s", "0.02 s"}},
        {{fine, "--classic"}, "", {}},
        {{column, "--classic"}, "", {}},  // no step of its own
        {{"--record", "5", "--classic"}, "", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back("-q");
        const auto r = spectra(args);
        SCOPED_TRACE(args[0] + " " + args[1]);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto warnings = linesWith(r.err, "warning");
        if (c.file.empty()) {
            EXPECT_TRUE(warnings.empty()) << r.err;
            continue;
        }
        ASSERT_EQ(warnings.size(), 1u) << r.err;
        EXPECT_EQ(warnings[0].rfind("velmora-spectra: " + c.file + ": warning: ", 0), 0u)
            << warnings[0];
        for (const std::string& part : c.parts)
            EXPECT_NE(warnings[0].find(part), std::string::npos) << warnings[0];
    }
    // The command line's unit wins.
    const auto asCm = spectra({inG, "--input-units", "cm/s2", "-q", "-p", "1"});
    const auto asG = spectra({inG, "-q", "-p", "1"});
    const double cm = parseCsv(asCm.out).column("ing z=0.05 SA[m/s2]").at(0);
    const double g = parseCsv(asG.out).column("ing z=0.05 SA[m/s2]").at(0);
    EXPECT_NEAR(cm, g / kG / 100.0, 1e-12 * std::fabs(cm));
}

TEST(SpectraInputs, At2ContentIsRecognisedWhateverTheFileIsCalled) {
    ScratchFolder dir;
    const std::string record = at2("NPTS=  500, DT= .0200 SEC", noiseRecord(500, 3));
    writeText(dir / "station.AT2", record);
    writeText(dir / "station.txt", record);
    EXPECT_EQ(spectraOut({dir / "station.AT2", "-q"}), spectraOut({dir / "station.txt", "-q"}));
}

TEST(SpectraInputs, TextLayoutsOfOneRecordAllGiveTheSameSpectra) {
    ScratchFolder dir;
    const std::vector<double> a = noiseRecord(800, 11);
    writeText(dir / "spaces.txt", twoColumns(a, 0.01));
    writeText(dir / "tabs.dat", twoColumns(a, 0.01, "\t"));
    writeText(dir / "header.csv",
              "# station 42, north component\n# written by a logger\ntime_s,acc_m_s2\n" +
                  twoColumns(a, 0.01, ","));
    writeText(
        dir / "semicolons.csv", "\"t\";\"a\"\r\n" + [&] {
            std::string t = twoColumns(a, 0.01, ";");
            std::string crlf;
            for (char c : t) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
            return crlf;
        }());
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
        std::vector<std::string> args = {dir / name, "-q", "-f", "json"};
        if (std::string(name) == "column.txt") {
            args.push_back("--dt");
            args.push_back("0.01");
        }
        const auto r = spectra(args);
        ASSERT_EQ(r.status, 0) << name << "\n" << r.err;
        json doc = json::parse(r.out);
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
    const auto fromTimes = spectra({dir / "logger.txt", "-q"});
    const auto given = spectra({dir / "column.txt", "--dt", "0.005", "-q"});
    ASSERT_EQ(fromTimes.status, 0) << fromTimes.err;
    ASSERT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(parseCsv(fromTimes.out).rows, parseCsv(given.out).rows);
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
    const auto text = spectra({dir / "records_scipy_v5.txt", "-q"});
    ASSERT_EQ(text.status, 0) << text.err;
    const std::string fixtures = std::string(VELMORA_SOURCE_DIR) + "/tests/fixtures/";

    const auto v5 = spectra({fixtures + "records_scipy_v5.mat", "-q"});
    ASSERT_EQ(v5.status, 0) << v5.err;
    EXPECT_EQ(v5.out, text.out);

    // Version 4: the same record under another name.
    const auto v4 = spectra({fixtures + "records_scipy_v4.mat", "-q"});
    ASSERT_EQ(v4.status, 0) << v4.err;
    EXPECT_EQ(parseCsv(v4.out).rows, parseCsv(text.out).rows);

    // A single column chosen by name needs the time step.
    const auto column =
        spectra({fixtures + "records_scipy_v5.mat", "--var", "accel_only", "--dt", "0.01", "-q"});
    ASSERT_EQ(column.status, 0) << column.err;
    EXPECT_EQ(parseCsv(column.out).rows, parseCsv(text.out).rows);
}

TEST(SpectraInputs, MatMatrixOfEveryShapeIsReadOrRefusedByItsShape) {
    ScratchFolder dir;
    const std::vector<double> a = noiseRecord(1500, 12);
    std::vector<double> columns, rows;  // [t a] and [t; a]
    for (std::size_t i = 0; i < a.size(); ++i) columns.push_back(static_cast<double>(i) * 0.01);
    columns.insert(columns.end(), a.begin(), a.end());
    for (std::size_t i = 0; i < a.size(); ++i) {
        rows.push_back(static_cast<double>(i) * 0.01);
        rows.push_back(a[i]);
    }
    saveMatFile(dir / "cols.mat", {{"cols", Value::matrix(1500, 2, columns)}});
    saveMatFile(dir / "rows.mat", {{"rows", Value::matrix(2, 1500, rows)}});
    saveMatFile(dir / "three.mat", {{"three", Value::matrix(3, 10, std::vector<double>(30, 1.0))}});
    saveMatFile(dir / "pair.mat", {{"pair", Value::matrix(1, 2, {0.5, -0.5})}});
    saveMatFile(dir / "square.mat", {{"square", Value::matrix(2, 2, {0.0, 0.01, 0.5, -0.5})}});
    writeText(dir / "cols.txt", twoColumns(a, 0.01));
    EXPECT_EQ(spectraOut({dir / "cols.mat", "-q"}), spectraOut({dir / "cols.txt", "-q"}));

    // Rows and columns swapped would be a record of two samples.
    for (const auto& [name, shape] :
         {std::pair<std::string, std::string>{"rows.mat", "2 rows x 1500 columns"},
          {"three.mat", "3 rows x 10 columns"}}) {
        const auto r = spectra({dir / name, "-q"});
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_EQ(linesWith(r.err, "velmora-spectra: " + (dir / name) + ": ").size(), 1u) << r.err;
        EXPECT_NE(r.err.find(shape), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    // A single row is the acceleration alone; a square matrix is [t a].
    const json pair =
        json::parse(spectraOut({dir / "pair.mat", "--dt", "0.02", "-q", "-f", "json"}));
    EXPECT_EQ(pair["records"][0]["samples"], 2);
    const json square = json::parse(spectraOut({dir / "square.mat", "-q", "-f", "json"}));
    EXPECT_EQ(square["records"][0]["samples"], 2);
    EXPECT_EQ(square["records"][0]["dt"], 0.01);
}

TEST(SpectraInputs, MatFileVersion73IsRead) {
    ScratchFolder dir;
    const std::vector<double> a = noiseRecord(700, 9);
    std::vector<double> columns;
    for (std::size_t i = 0; i < a.size(); ++i) columns.push_back(static_cast<double>(i) * 0.02);
    columns.insert(columns.end(), a.begin(), a.end());
    saveMatFile(dir / "hdf.mat", {{"hdf", Value::matrix(a.size(), 2, columns)}}, MatVersion::V73);
    writeText(dir / "hdf.txt", twoColumns(a, 0.02));
    EXPECT_EQ(spectraOut({dir / "hdf.mat", "-q"}), spectraOut({dir / "hdf.txt", "-q"}));
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
    const auto r = spectra({folder, "-q", "-p", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Csv csv = parseCsv(r.out);
    ASSERT_EQ(csv.header.size(), 13u);
    EXPECT_EQ(csv.header[1], "a_first z=0.05 SD[m]");
    EXPECT_EQ(csv.header[5], "b_middle z=0.05 SD[m]");
    EXPECT_EQ(csv.header[9], "c_last z=0.05 SD[m]");
}

TEST(SpectraInputs, CatalogueRecordsByNumberKeepDistinctNames) {
    // Records 1 and 21 are the same file; their columns stay apart.
    const auto r = spectra({"--record", "5", "-r", "1,21", "-q", "-p", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Csv csv = parseCsv(r.out);
    ASSERT_EQ(csv.header.size(), 13u);
    EXPECT_EQ(csv.header[1], "Nridge1 z=0.05 SD[m]");
    EXPECT_EQ(csv.header[5], "Impval1 z=0.05 SD[m]");
    EXPECT_EQ(csv.header[9], "Impval1_2 z=0.05 SD[m]");
    EXPECT_EQ(csv.rows.at(0).at(5), csv.rows.at(0).at(9));
    EXPECT_NE(csv.rows.at(0).at(1), csv.rows.at(0).at(5));
}

}  // namespace
}  // namespace velmora::spectra_test
