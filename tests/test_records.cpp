// The data folder: the catalogue's record files (the real El Centro record,
// the exact sine, the synthetic stand-ins), the layout file, their
// byte-for-byte regeneration, and the reading of one record.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/record_file.h"
#include "engine/solver.h"
#include "host/matfile.h"
#include "host/value.h"

using namespace velmora;
namespace fs = std::filesystem;

namespace {

struct CatalogueEntry {
    const char* name;
    std::size_t points;
    double peakCm;  // signed
};

const CatalogueEntry CATALOGUE[] = {
    {"Impval1", 2688, 341.7},    {"Impval2", 2674, 210.1},    {"Mexcit1", 9006, -97.965},
    {"Mexcit2", 9006, -167.92},  {"Nridge1", 3000, 592.639},  {"Nridge2", 3000, -865.97},
    {"Nridge3", 3000, 337.32},   {"Oakwh1", 2000, 270.361},   {"Oakwh2", 2000, -215.5},
    {"Pacoima1", 2086, 1054.9},  {"Pacoima2", 2088, -1148.1}, {"Park040", 1310, -232.6},
    {"Park130", 1308, -269.6},   {"Sanfern1", 2975, -250.0},  {"Sanfern2", 2980, -131.7},
    {"S_monica", 3000, -865.97}, {"Kern1", 2719, 152.7},      {"Kern2", 2720, 175.9},
    {"Kobe", 2566, 818.02},
};

std::vector<double> elCentroInG() {
    std::ifstream in(VELMORA_SOURCE_DIR "/data/elcentro_1940_ns.txt");
    std::vector<double> g;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        double t = 0.0, x = 0.0;
        if (fields >> t >> x) g.push_back(x);
    }
    return g;
}

Value loadMatrix(const std::string& name) {
    const std::map<std::string, Value> vars = mlfLoadStruct(dataFolder() + "/" + name + ".mat");
    EXPECT_EQ(vars.size(), 1u) << name;
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

std::string readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh folder removed at the end of the test.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "velmora-records-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// Points VELMORA_DATA somewhere for one test and restores it afterwards.
class DataFolderOverride {
  public:
    explicit DataFolderOverride(const std::string& folder) {
        if (const char* old = std::getenv("VELMORA_DATA")) old_ = old, had_ = true;
        ::setenv("VELMORA_DATA", folder.c_str(), 1);
    }
    ~DataFolderOverride() {
        if (had_) {
            ::setenv("VELMORA_DATA", old_.c_str(), 1);
        } else {
            ::unsetenv("VELMORA_DATA");
        }
    }

  private:
    std::string old_;
    bool had_ = false;
};

}  // namespace

// ---------------------------------------------------------------------------
// The record files

TEST(RecordFiles, Impval1IsTheElCentroRecordInMetresPerSecondSquared) {
    const std::vector<double> g = elCentroInG();
    ASSERT_EQ(g.size(), 2688u);
    const std::vector<double> a = loadRecordAcceleration("Impval1.mat");
    ASSERT_EQ(a.size(), g.size());
    for (std::size_t k = 0; k < g.size(); ++k) ASSERT_EQ(a[k], g[k] * 9.80) << k;
    // The catalogue quotes the peak to four figures.
    EXPECT_NEAR(100.0 * signedPeak(a), 341.7, 0.1);
}

TEST(RecordFiles, EveryCatalogueRecordHasItsLengthTimeAxisAndPeak) {
    for (const CatalogueEntry& e : CATALOGUE) {
        SCOPED_TRACE(e.name);
        const Value m = loadMatrix(e.name);
        ASSERT_TRUE(m.isDouble());
        ASSERT_EQ(m.rows(), e.points);
        ASSERT_EQ(m.cols(), 2u);
        for (std::size_t k = 1; k <= e.points; ++k)
            ASSERT_NEAR(m(k, 1), 0.02 * static_cast<double>(k - 1), 1e-12) << k;

        const std::vector<double> a = loadRecordAcceleration(std::string(e.name) + ".mat");
        ASSERT_EQ(a, std::vector<double>(m.data().begin() + static_cast<std::ptrdiff_t>(e.points),
                                         m.data().end()));
        if (std::string(e.name) == "Impval1") continue;  // real data, checked above
        const double peak = signedPeak(a);
        EXPECT_NEAR(peak, e.peakCm / 100.0, 1e-12 * std::fabs(e.peakCm / 100.0));
        EXPECT_EQ(std::signbit(peak), std::signbit(e.peakCm));
    }
}

TEST(RecordFiles, SantaMonicaIsTheNorthridgeTwoMotion) {
    EXPECT_EQ(loadRecordAcceleration("S_monica.mat"), loadRecordAcceleration("Nridge2.mat"));
    EXPECT_NE(loadRecordAcceleration("Nridge1.mat"), loadRecordAcceleration("Nridge2.mat"));
}

TEST(RecordFiles, SineLoadIsExact) {
    const Value m = loadMatrix("sin_load");
    ASSERT_EQ(m.rows(), 3000u);
    ASSERT_EQ(m.cols(), 2u);
    // 9.18 sin(2 pi t) up to the rounding of pi and of the argument 2 pi t
    // in doubles (a few units in the last place of up to 377 rad).
    const long double pi = 3.141592653589793238462643383279502884L;
    for (std::size_t k = 1; k <= 3000; ++k) {
        const long double t = static_cast<long double>(m(k, 1));
        const double tol = 9.18 * (6.3 * static_cast<double>(t) * 0x1.0p-51 + 0x1.0p-52);
        ASSERT_NEAR(m(k, 2), static_cast<double>(9.18L * std::sin(2.0L * pi * t)), tol) << k;
    }
}

TEST(RecordFiles, StandInsHaveSiteCharacterAndNoDrift) {
    for (const CatalogueEntry& e : CATALOGUE) {
        const std::string name = e.name;
        if (name == "Impval1") continue;
        SCOPED_TRACE(name);
        const std::vector<double> a = loadRecordAcceleration(name + ".mat");

        // Dominant period from where the 5 %-damped SA spectrum peaks.
        const SpectrumResult r = compute_ordinates(a.data(), a.size(), 0.05);
        const auto top = std::max_element(r.sa.begin(), r.sa.end()) - r.sa.begin();
        const double dominant = r.period[static_cast<std::size_t>(top)];
        if (name.rfind("Mexcit", 0) == 0) {
            EXPECT_GE(dominant, 1.5);
            EXPECT_LE(dominant, 2.6);
        } else {
            EXPECT_GE(dominant, 0.15);
            EXPECT_LE(dominant, 0.6);
        }

        // The ground comes to rest: final velocity small beside the peak.
        double v = 0.0, vPeak = 0.0;
        for (double x : a) {
            v += x * 0.02;
            vPeak = std::max(vPeak, std::fabs(v));
        }
        EXPECT_LT(std::fabs(v), 0.05 * vPeak);
        // Quiet at the start: the motion builds up.
        EXPECT_LT(std::fabs(a[0]), 0.01 * std::fabs(e.peakCm / 100.0));
    }
}

TEST(RecordFiles, LayoutFileHoldsTheFourMatrices) {
    const std::map<std::string, Value> vars = mlfLoadStruct(dataFolder() + "/velmora_gui.mat");
    ASSERT_EQ(vars.size(), 4u);
    const Value& colours = vars.at("mat0");
    const Value& order = vars.at("mat1");
    ASSERT_EQ(colours.rows(), 64u);
    ASSERT_EQ(colours.cols(), 3u);
    ASSERT_EQ(order.cols(), 3u);
    EXPECT_GE(order.rows(), 1u);
    for (const Value* m : {&colours, &order})
        for (double x : m->data()) EXPECT_TRUE(x >= 0.0 && x <= 1.0) << x;
    EXPECT_EQ(vars.at("mat2"), Value::matrix(4, 3, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1}));
    // The bar starts with zero width so the first update draws it from 0.
    EXPECT_EQ(vars.at("mat3"), Value::matrix(4, 2, {0, 0, 0, 0, 0, 0, 1, 1}));
}

TEST(RecordFiles, RegenerationIsByteIdentical) {
    const fs::path built = VELMORA_BUILD_DIR "/data";
    TempDir tmp;
    const std::string command = std::string("'") + VELMORA_BUILD_DIR "/make_records' '" +
                                tmp.path().string() +
                                "' '" VELMORA_SOURCE_DIR "/data/elcentro_1940_ns.txt'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::set<std::string> regenerated, original;
    for (const auto& f : fs::directory_iterator(tmp.path()))
        regenerated.insert(f.path().filename().string());
    for (const auto& f : fs::directory_iterator(built))
        if (f.path().extension() == ".mat") original.insert(f.path().filename().string());
    EXPECT_EQ(regenerated, original);
    EXPECT_EQ(regenerated.size(), std::size(CATALOGUE) + 2);  // + sin_load + layout
    for (const std::string& name : regenerated) {
        SCOPED_TRACE(name);
        const std::string bytes = readBytes(tmp.path() / name);
        EXPECT_FALSE(bytes.empty());
        EXPECT_TRUE(bytes == readBytes(built / name));
    }
}

// ---------------------------------------------------------------------------
// Finding the folder and reading one record

TEST(RecordLoading, DataFolderPrefersTheEnvironment) {
    {
        DataFolderOverride env("/some/where/else");
        EXPECT_EQ(dataFolder(), "/some/where/else");
    }
    // Unset or empty: the test program lives in the build tree, beside its
    // data folder.
    for (bool empty : {true, false}) {
        DataFolderOverride env("");
        if (!empty) ::unsetenv("VELMORA_DATA");
        std::error_code ec;
        EXPECT_TRUE(fs::equivalent(dataFolder(), VELMORA_BUILD_DIR "/data", ec)) << dataFolder();
    }
}

TEST(RecordLoading, ErrorsNameTheFileAndTheReason) {
    TempDir tmp;
    DataFolderOverride env(tmp.path().string());
    { std::ofstream(tmp.path() / "Text.mat") << "not a MAT-file\n"; }
    saveMatFile((tmp.path() / "Other.mat").string(), {{"Something", Value::zeros(3, 2)}});
    saveMatFile((tmp.path() / "Narrow.mat").string(), {{"Narrow", Value::column({1, 2, 3})}});
    saveMatFile((tmp.path() / "Words.mat").string(), {{"Words", Value::text("abc")}});
    saveMatFile((tmp.path() / "Nothing.mat").string(), {{"Nothing", Value::zeros(0, 0)}});
    saveMatFile((tmp.path() / "Holed.mat").string(),
                {{"Holed", Value::matrix(2, 2, {0.0, 0.02, 1.0, std::nan("")})}});
    saveMatFile((tmp.path() / "Fine.mat").string(),
                {{"Fine", Value::matrix(2, 3, {0.0, 0.02, 5.0, 6.0, 7.0, 8.0})}});

    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"Missing.mat", "Cannot find"},
        {"Text.mat", "MAT-file"},
        {"Other.mat", "no variable"},
        {"Narrow.mat", "fewer than 2 columns"},
        {"Words.mat", "numeric matrix"},
        {"Nothing.mat", "numeric matrix"},
        {"Holed.mat", "NaN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        try {
            loadRecordAcceleration(c.file);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(c.file), std::string::npos) << message;
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        }
    }
    // Column 2 of a wider matrix; the variable name drops ".mat".
    EXPECT_EQ(loadRecordAcceleration("Fine.mat"), (std::vector<double>{5.0, 6.0}));
}
