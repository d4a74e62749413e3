// The data folder: the catalogue's record files (the real recordings with
// their provenance, the exact sine, the synthetic stand-ins), the layout
// file, their byte-for-byte regeneration, and the reading of one record.
#include <matio.h>

#include <map>
#include <optional>
#include <set>

#include "engine/record_file.h"
#include "engine/solver.h"
#include "support/program_fixture.h"
#include "test_spectra_common.h"

using namespace velmora;
using spectra_test::readText;
using spectra_test::ScratchFolder;
using velmora::testing::errorOf;
namespace fs = std::filesystem;

namespace {

enum class Kind { ElCentro, Recording, Sine, StandIn };

struct CatalogueEntry {
    const char* name;
    std::size_t points;  // the catalogue's "Number of Points"
    double peakCm;       // the catalogue's peak, signed
    Kind kind;
    const char* source;       // the text a recording is made from
    double tolerancePercent;  // of a recording's peak from the catalogue's
};

// Every record file. A recording's own peak differs from the catalogue's
// (another processing, resampling to 0.02 s): each tolerance is the one its
// source's header states, rounded up.
const CatalogueEntry CATALOGUE[] = {
    {"Impval1", 2688, 341.7, Kind::ElCentro, "elcentro_1940_ns", 0.1},
    {"Impval2", 2674, 210.1, Kind::Recording, "Impval2", 0.5},
    {"Mexcit1", 9006, -97.965, Kind::Recording, "Mexcit1", 0.5},
    {"Mexcit2", 9006, -167.92, Kind::Recording, "Mexcit2", 0.5},
    {"Nridge1", 3000, 592.639, Kind::Recording, "Nridge1", 0.5},
    {"Nridge2", 3000, -865.97, Kind::Recording, "Nridge2", 0.5},
    {"Nridge3", 3000, 337.32, Kind::Recording, "Nridge3", 0.5},
    {"Oakwh1", 2000, 270.361, Kind::StandIn, "", 0},
    {"Oakwh2", 2000, -215.5, Kind::StandIn, "", 0},
    {"Pacoima1", 2086, 1054.9, Kind::StandIn, "", 0},
    {"Pacoima2", 2088, -1148.1, Kind::Recording, "Pacoima2", 2.5},
    {"Park040", 1310, -232.6, Kind::Recording, "Park040", 5.0},
    {"Park130", 1308, -269.6, Kind::StandIn, "", 0},
    {"Sanfern1", 2975, -250.0, Kind::StandIn, "", 0},
    {"Sanfern2", 2980, -131.7, Kind::StandIn, "", 0},
    {"S_monica", 3000, -865.97, Kind::Recording, "Nridge2", 0.5},
    {"Kern1", 2719, 152.7, Kind::Recording, "Kern1", 2.0},
    {"Kern2", 2720, 175.9, Kind::StandIn, "", 0},
    {"Kobe", 2566, 818.02, Kind::StandIn, "", 0},
    {"sin_load", 3000, 918.0, Kind::Sine, "", 0.5},
};

// A source text: its '#' lines as they are, and column 2 as written.
struct Source {
    std::vector<std::string> header;
    std::vector<double> column;
};

Source sourceText(const std::string& source) {
    std::ifstream in(VELMORA_SOURCE_DIR "/data/" + source + ".txt");
    Source s;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        double t = 0.0, x = 0.0;
        if (line.rfind("#", 0) == 0) {
            s.header.push_back(line);
        } else if (fields >> t >> x) {
            s.column.push_back(x);
        }
    }
    return s;
}

// What a recording's header states: "Time step 0.02 s, N points; peak
// acceleration P cm/s^2 (catalogue C)".
struct Stated {
    double step = 0, peak = 0, catalogue = 0;
    std::size_t points = 0;
};

Stated statedBy(const std::vector<std::string>& header) {
    Stated s;
    for (const std::string& line : header) {
        if (std::sscanf(line.c_str(),
                        "# Time step %lf s, %zu points; peak acceleration %lf cm/s^2 "
                        "(catalogue %lf)",
                        &s.step, &s.points, &s.peak, &s.catalogue) == 4) {
            return s;
        }
    }
    ADD_FAILURE() << "no line stating the time step, points and peak";
    return s;
}

// The record matrix named after the file, and the file's provenance text.
Value loadMatrix(const std::string& name, Value* provenance = nullptr) {
    const std::map<std::string, Value> vars = mlfLoadStruct(dataFolder() + "/" + name + ".mat");
    EXPECT_EQ(vars.size(), 2u) << name;
    if (provenance != nullptr) {
        const auto p = vars.find(kProvenanceVariable);
        *provenance = p == vars.end() ? Value() : p->second;
    }
    const auto it = vars.find(name);
    if (it == vars.end()) {
        ADD_FAILURE() << name << ".mat has no variable " << name;
        return Value();
    }
    return it->second;
}

// The sample of largest magnitude, sign kept.
double signedPeak(const std::vector<double>& a) {
    double peak = 0.0;
    for (double x : a)
        if (std::fabs(x) > std::fabs(peak)) peak = x;
    return peak;
}

// Points VELMORA_DATA somewhere for one test and restores it afterwards.
struct DataFolderOverride {
    std::optional<std::string> old;
    explicit DataFolderOverride(const std::string& folder) {
        if (const char* o = std::getenv("VELMORA_DATA")) old = o;
        ::setenv("VELMORA_DATA", folder.c_str(), 1);
    }
    ~DataFolderOverride() {
        old ? ::setenv("VELMORA_DATA", old->c_str(), 1) : ::unsetenv("VELMORA_DATA");
    }
};

}  // namespace

// ---------------------------------------------------------------------------
// The record files

// Every record file against the catalogue and its source, and each kind
// against what it is made from: Impval1 the El Centro text in m/s^2,
// sin_load the exact sine, a stand-in a firm site's motion coming to rest.
TEST(RecordFiles, EveryRecordFileHasItsTimeAxisFiniteSamplesPeakAndProvenance) {
    for (const CatalogueEntry& e : CATALOGUE) {
        SCOPED_TRACE(e.name);
        Value provenance;
        const Value m = loadMatrix(e.name, &provenance);
        ASSERT_TRUE(m.isDouble());
        ASSERT_EQ(m.cols(), 2u);
        ASSERT_GE(m.rows(), 1000u);
        for (std::size_t k = 1; k <= m.rows(); ++k) {
            ASSERT_NEAR(m(k, 1), 0.02 * static_cast<double>(k - 1), 1e-9) << k;
        }
        const RecordFile file = readRecordFile(std::string(e.name) + ".mat");
        const std::vector<double>& a = file.acceleration;
        ASSERT_EQ(a, std::vector<double>(m.data().begin() + static_cast<std::ptrdiff_t>(m.rows()),
                                         m.data().end()));
        const double peakCm = 100.0 * signedPeak(a);
        ASSERT_TRUE(provenance.isChar());
        const std::vector<std::string> lines = provenance.charRows();
        EXPECT_EQ(file.standIn, e.kind == Kind::StandIn);
        EXPECT_EQ(lines.front().rfind(kStandInMark, 0) == 0, e.kind == Kind::StandIn)
            << lines.front();
        if (e.kind != Kind::Recording) {
            EXPECT_EQ(m.rows(), e.points);
        }
        if (e.kind == Kind::ElCentro || e.kind == Kind::Sine) {
            EXPECT_NEAR(peakCm, e.peakCm, e.tolerancePercent / 100.0 * std::fabs(e.peakCm));
        }
        if (e.kind == Kind::ElCentro) {
            const std::vector<double> g = sourceText(e.source).column;
            ASSERT_EQ(a.size(), g.size());
            for (std::size_t k = 0; k < g.size(); ++k) ASSERT_EQ(a[k], g[k] * 9.80) << k;
            // The catalogue quotes the peak to four figures.
            EXPECT_NEAR(peakCm, 341.7, 0.1);
        } else if (e.kind == Kind::Sine) {
            // 9.18 sin(2 pi t) up to the rounding of pi and of the argument
            // 2 pi t in doubles (a few units in the last place of up to 377 rad).
            const long double pi = 3.141592653589793238462643383279502884L;
            for (std::size_t k = 1; k <= m.rows(); ++k) {
                const long double t = static_cast<long double>(m(k, 1));
                const double tol = 9.18 * (6.3 * static_cast<double>(t) * 0x1.0p-51 + 0x1.0p-52);
                ASSERT_NEAR(m(k, 2), static_cast<double>(9.18L * std::sin(2.0L * pi * t)), tol)
                    << k;
            }
        } else if (e.kind == Kind::StandIn) {
            // Exactly the catalogue's peak.
            EXPECT_EQ(signedPeak(a), e.peakCm / 100.0);
            // Dominant period from where the 5 %-damped SA spectrum peaks:
            // firm ground.
            const SpectrumResult r = compute_ordinates(a.data(), a.size(), 0.05);
            const auto top = std::max_element(r.sa.begin(), r.sa.end()) - r.sa.begin();
            const double dominant = r.period[static_cast<std::size_t>(top)];
            EXPECT_GE(dominant, 0.15);
            EXPECT_LE(dominant, 0.6);
            // The ground comes to rest: final velocity small beside the peak.
            double v = 0.0, vPeak = 0.0;
            for (double x : a) {
                v += x * 0.02;
                vPeak = std::max(vPeak, std::fabs(v));
            }
            EXPECT_LT(std::fabs(v), 0.05 * vPeak);
            // Quiet at the start: the motion builds up.
            EXPECT_LT(std::fabs(a[0]), 0.01 * std::fabs(e.peakCm / 100.0));
        } else {
            // The file carries every header line of its source, and the
            // peak and length that the header states.
            const Source source = sourceText(e.source);
            ASSERT_EQ(lines.size(), source.header.size());
            for (std::size_t i = 0; i < lines.size(); ++i) {
                EXPECT_EQ(lines[i].substr(0, lines[i].find_last_not_of(' ') + 1), source.header[i]);
            }
            EXPECT_EQ(a, source.column);
            const Stated stated = statedBy(source.header);
            EXPECT_EQ(stated.step, 0.02);
            EXPECT_EQ(stated.catalogue, e.peakCm);
            EXPECT_EQ(m.rows(), stated.points);
            EXPECT_NEAR(peakCm, stated.peak, 0.05 + 1e-9);
            EXPECT_NEAR(peakCm, e.peakCm, e.tolerancePercent / 100.0 * std::fabs(e.peakCm));
        }
    }
}

// Shapes and ranges are the program's own checks of the file, which the
// shipped file passes without a warning (LayoutFile); these are its values.
TEST(RecordFiles, LayoutFileHoldsTheFourMatrices) {
    const std::map<std::string, Value> vars = mlfLoadStruct(dataFolder() + "/velmora_gui.mat");
    ASSERT_EQ(vars.size(), 4u);
    EXPECT_EQ(vars.at("mat0").rows(), 64u);
    EXPECT_EQ(vars.at("mat2"), Value::matrix(4, 3, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1}));
    // The bar starts with zero width so the first update draws it from 0.
    EXPECT_EQ(vars.at("mat3"), Value::matrix(4, 2, {0, 0, 0, 0, 0, 0, 1, 1}));
}

TEST(RecordFiles, RegenerationIsByteIdentical) {
    const fs::path built = VELMORA_BUILD_DIR "/data";
    ScratchFolder tmp;
    const std::string command = std::string("'") + VELMORA_BUILD_DIR "/make_records' '" +
                                tmp.str() + "' '" VELMORA_SOURCE_DIR "/data'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::set<std::string> regenerated, original;
    for (const auto& f : fs::directory_iterator(tmp.path()))
        regenerated.insert(f.path().filename().string());
    for (const auto& f : fs::directory_iterator(built))
        if (f.path().extension() == ".mat") original.insert(f.path().filename().string());
    EXPECT_EQ(regenerated, original);
    EXPECT_EQ(regenerated.size(), std::size(CATALOGUE) + 1);  // + the layout file
    for (const std::string& name : regenerated) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(readText(tmp / name) == readText(built / name));
    }
}

// ---------------------------------------------------------------------------
// Finding the folder and reading one record

// VELMORA_DATA set is how every test run with a copy of the data folder
// finds it (AnalysisRun, LayoutFile). Unset or empty: the test program lives
// in the build tree, beside its data folder.
TEST(RecordLoading, DataFolderWithoutTheEnvironmentIsTheBuildTrees) {
    for (bool empty : {true, false}) {
        DataFolderOverride env("");
        if (!empty) ::unsetenv("VELMORA_DATA");
        std::error_code ec;
        EXPECT_TRUE(fs::equivalent(dataFolder(), VELMORA_BUILD_DIR "/data", ec)) << dataFolder();
    }
}

TEST(RecordLoading, VariableNameDropsEveryMatInOnePass) {
    // Removing one ".mat" can join the text around it into another; that
    // one stays, as the replacement is made once.
    const std::pair<const char*, const char*> cases[] = {{"Impval1.mat", "Impval1"},
                                                         {"sin_load.mat", "sin_load"},
                                                         {"a.mat.mat", "a"},
                                                         {".matb.mat", "b"},
                                                         {"a.m.matat.mat", "a.mat"},
                                                         {"x..matmat", "x.mat"},
                                                         {"NoExtension", "NoExtension"}};
    for (const auto& [file, name] : cases) EXPECT_EQ(recordVariableName(file), name) << file;
}

// matio writes what the program's own writer cannot: a structure, sparse
// arrays (one all zero: no stored elements, only column starts), a complex
// and a 3-D array, a text and a (compressed) cell holding sparse arrays,
// beside the record, as users' files carry metadata.
void writeRecordWithMetadata(const std::string& path, const std::string& name, mat_ft version) {
    mat_t* mat = Mat_CreateVer(path.c_str(), nullptr, version);
    ASSERT_NE(mat, nullptr);
    const auto write = [&](matvar_t* var, matio_compression compression = MAT_COMPRESSION_NONE) {
        ASSERT_NE(var, nullptr);
        EXPECT_EQ(Mat_VarWrite(mat, var, compression), 0) << var->name;
        Mat_VarFree(var);
    };
    std::size_t one[2] = {1, 1};
    double five = 5;
    // Named as make_records names its provenance text: one the program
    // cannot read does not cost the record.
    const char* fields[] = {"station", "units"};
    matvar_t* meta = Mat_VarCreateStruct(kProvenanceVariable, 2, one, fields, 2);
    Mat_VarSetStructFieldByName(
        meta, "units", 0, Mat_VarCreate(nullptr, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, one, &five, 0));
    write(meta);

    mat_uint32_t columnStarts[3] = {0, 0, 0}, ir[1] = {1}, jc[3] = {0, 0, 1};
    double seven = 7;
    // nzmax, ir, nir, jc, njc, ndata, data
    mat_sparse_t allZero{0, nullptr, 0, columnStarts, 3, 0, nullptr};
    mat_sparse_t sparse{1, ir, 1, jc, 3, 1, &seven};
    std::size_t square[2] = {2, 2};
    const auto sparseVar = [&](const char* varName, mat_sparse_t* s) {
        return Mat_VarCreate(varName, MAT_C_SPARSE, MAT_T_DOUBLE, 2, square, s,
                             MAT_F_DONT_COPY_DATA);
    };
    write(sparseVar("sp", &sparse));
    write(sparseVar("sp0", &allZero));
    double re[2] = {1, 2}, im[2] = {3, 4};
    mat_complex_split_t z{re, im};
    std::size_t pair[2] = {1, 2};
    write(Mat_VarCreate("z", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, pair, &z, MAT_F_COMPLEX));
    std::size_t cubeDims[3] = {2, 2, 2};
    double cube[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    write(Mat_VarCreate("cube", MAT_C_DOUBLE, MAT_T_DOUBLE, 3, cubeDims, cube, 0));
    char text[] = "EL CENTRO";
    std::size_t textDims[2] = {1, sizeof text - 1};
    write(Mat_VarCreate("station", MAT_C_CHAR, MAT_T_UINT8, 2, textDims, text, 0));
    matvar_t* inCell[3] = {sparseVar(nullptr, &sparse), sparseVar(nullptr, &allZero), nullptr};
    write(Mat_VarCreate("notes", MAT_C_CELL, MAT_T_CELL, 2, pair, inCell, 0), MAT_COMPRESSION_ZLIB);

    std::size_t recordDims[2] = {3, 2};
    double record[6] = {0.0, 0.02, 0.04, 0.5, -1.5, 2.5};
    write(Mat_VarCreate(name.c_str(), MAT_C_DOUBLE, MAT_T_DOUBLE, 2, recordDims, record, 0));
    Mat_Close(mat);
}

// Each such variable is refused for its class, naming file and variable,
// not taken for a damaged file; the record is read all the same.
TEST(RecordLoading, OtherVariablesOfAnyClassAreRefusedByNameAndIgnored) {
    ScratchFolder tmp;
    DataFolderOverride env(tmp.str());
    const std::string path = tmp / "Noted.mat";
    for (mat_ft version : {MAT_FT_MAT5, MAT_FT_MAT73}) {
        SCOPED_TRACE(version == MAT_FT_MAT5 ? "version 5" : "version 7.3");
        writeRecordWithMetadata(path, "Noted", version);
        const std::pair<const char*, const char*> refused[] = {
            {kProvenanceVariable, "structure arrays"},
            {"sp", "sparse arrays"},
            {"sp0", "sparse arrays"},
            {"z", "complex arrays"},
            {"cube", "arrays with more than two dimensions"},
            {"notes", "sparse arrays"}};
        for (const auto& [other, kind] : refused) {
            EXPECT_EQ(errorOf([&] { mclLoadConditional(path, {other}); }),
                      "Cannot read variable \"" + std::string(other) + "\" in \"" + path +
                          "\": " + kind + " are not supported.");
        }
        EXPECT_THROW(mlfLoadStruct(path), Error);
        // Asking only for a supported array leaves the others alone.
        EXPECT_EQ(mclLoadConditional(path, {"station", "absent"}),
                  (std::map<std::string, Value>{{"station", Value::text("EL CENTRO")}}));
        const RecordFile r = readRecordFile("Noted.mat");
        EXPECT_EQ(r.acceleration, (std::vector<double>{0.5, -1.5, 2.5}));
        EXPECT_FALSE(r.standIn);
    }
    // Column 2 of a wider matrix. A user's file without a provenance is
    // taken for a recording.
    saveMatFile(tmp / "Fine.mat",
                {{"Fine", Value::matrix(3, 3, {0.0, 0.02, 0.04, 5.0, 6.0, 7.0, 1, 1, 1})}});
    const RecordFile fine = readRecordFile("Fine.mat");
    EXPECT_EQ(fine.acceleration, (std::vector<double>{5.0, 6.0, 7.0}));
    EXPECT_FALSE(fine.standIn);
}

// The console says once per record and session that a stand-in is not the
// recording; recordings get no such line.
TEST(RecordLoading, StandInIsAnnouncedOnceOnTheConsole) {
    const auto r = velmora::testing::runScript(
        "set option 1\nset numdamp 1\nset RECORD 8\neval velmora_gui06(0)\n"
        "eval velmora_gui06(0)\nset RECORD 5\neval velmora_gui06(0)\n"
        "set option 2\nset EQ [8 9 1]\nset numquakes 3\nset SCALE2 [1 1 1]\n"
        "eval velmora_gui06(0)\neval velmora_gui06(0)\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.errors.empty()) << r.out;
    const auto notes = spectra_test::linesWith(r.out, "stand-in");
    ASSERT_EQ(notes.size(), 2u) << r.out;
    EXPECT_EQ(notes[0],
              "Note: record 8, Oakland Warf 1 (Oakwh1.mat), is a synthetic stand-in with the "
              "catalogue's peak acceleration, not the recording.");
    EXPECT_NE(notes[1].find("record 9, Oakland Warf 2 (Oakwh2.mat)"), std::string::npos)
        << notes[1];
}
