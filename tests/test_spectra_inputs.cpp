// velmora-spectra reads every record format it names: PEER NGA .AT2 files in
// their variants, text and CSV files, MAT-files from other writers, folders
// and the catalogue.
#include <cmath>
#include <numbers>

#include "host/matfile.h"
#include "host/value.h"
#include "test_spectra_common.h"

namespace velmora::spectra_test {
namespace {

constexpr double kG = 9.80665;

// A PEER NGA .AT2 file: three title lines, the counts line, then the values
// five to a line in the database's E format.
std::string at2(const std::string& countsLine, const std::vector<double>& g) {
    std::string text =
        "PEER NGA STRONG MOTION DATABASE RECORD\n"
        "SYNTHETIC 1/1/00, TEST STATION, 180\n"
        "ACCELERATION TIME SERIES IN UNITS OF G\n" +
        countsLine + "\n";
    char value[32];
    for (std::size_t i = 0; i < g.size(); ++i) {
        std::snprintf(value, sizeof value, "%15.7E", g[i]);
        text += value;
        if (i % 5 == 4 || i + 1 == g.size()) text += "\n";
    }
    return text;
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
    for (std::size_t i = 0; i < g.size(); ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "%15.7E", g[i]);
        ms2.push_back(std::strtod(text, nullptr) * kG);
    }
    writeText(dir / "rec.txt", oneColumn(ms2));
    const auto text = spectra({dir / "rec.txt", "--dt", "0.01", "-q"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, outputs[0]);
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
    std::vector<std::string> outputs;
    for (const char* name :
         {"spaces.txt", "tabs.dat", "header.csv", "semicolons.csv", "column.txt", "bom.csv"}) {
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
