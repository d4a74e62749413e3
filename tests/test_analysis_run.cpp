// The analysis run end to end through velmora-script: result arrays, their
// shapes and cutting, and what a record that cannot be loaded leaves behind.
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "engine/solver.h"
#include "host/matfile.h"
#include "test_screens_common.h"

namespace velmora::screens_test {
namespace {

namespace fs = std::filesystem;

std::string dataDir() {
    return std::string(VELMORA_BUILD_DIR) + "/data";
}

// Column 2 of a record file, read independently of the program's loader.
Row recordColumn(const std::string& name) {
    const auto file = mlfLoadStruct(dataDir() + "/" + name + ".mat");
    const Value& m = file.at(name);
    return Row(m.data().begin() + static_cast<std::ptrdiff_t>(m.rows()),
               m.data().begin() + static_cast<std::ptrdiff_t>(2 * m.rows()));
}

// Rows and columns of a stored array.
using Shape = std::vector<std::size_t>;
Shape shape(const json& dump, const std::string& name) {
    return global(dump, name).at("size").get<Shape>();
}

TEST(AnalysisRun, DefaultOption1RunFillsTheResultArrays) {
    const auto r = session("set option 1\neval velmora_gui06(0)\ndump\n");
    const auto& d = r.lastDump();
    for (const char* name : {"SD", "SV", "PSV", "SA"}) {
        EXPECT_EQ(shape(d, name), (Shape{5, 160})) << name;
    }
    ASSERT_EQ(shape(d, "PERIOD"), (Shape{1, 160}));
    const auto period = numbers(global(d, "PERIOD"));
    EXPECT_EQ(period[0].front(), 0.1);
    EXPECT_NEAR(period[0].back(), 8.05, 1e-12);

    // Record 1 has 2688 samples: the run uses the first 1500, unscaled.
    ASSERT_EQ(shape(d, "ACC"), (Shape{1, 1500}));
    ASSERT_EQ(shape(d, "TIME"), (Shape{1, 1500}));
    const auto acc = numbers(global(d, "ACC"));
    const auto time = numbers(global(d, "TIME"));
    const auto stored = recordColumn("Impval1");
    for (std::size_t k = 0; k < 1500; ++k) {
        ASSERT_EQ(acc[0][k], stored[k]) << k;
        ASSERT_NEAR(time[0][k], 0.02 * static_cast<double>(k), 1e-12) << k;
    }
    // Row i belongs to damping ratio i.
    const double ratios[] = {0.02, 0.05, 0.1, 0.15, 0.2};
    const auto sd = numbers(global(d, "SD"));
    const auto sa = numbers(global(d, "SA"));
    for (std::size_t i = 0; i < 5; ++i) {
        const SpectrumResult s = compute_ordinates(stored.data(), 1500, ratios[i]);
        EXPECT_EQ(sd[i], s.sd) << "ratio " << ratios[i];
        EXPECT_EQ(sa[i], s.sa) << "ratio " << ratios[i];
    }
}

TEST(AnalysisRun, LaterRunsCutTheArraysToTheirShape) {
    const auto r = session(
        "set option 1\neval velmora_gui06(0)\n"
        "set numdamp 2\nset damp [0.05 0.1 0.15 0.2 0.25]\nset RECORD 12\nset SCALE1 -2\n"
        "eval velmora_gui06(0)\ndump\n"
        "set option 2\nset EQ [12 5 1]\nset numquakes 3\nset SCALE2 [0.5 1 2]\n"
        "eval velmora_gui06(0)\ndump\n"
        "set option 0\nset EQ [20]\nset numquakes 1\nset SCALE2 [1]\neval velmora_gui06(0)\ndump\n"
        "eval velmora_gui06(1)\ndump\n");
    ASSERT_EQ(r.dumps.size(), 4u) << r.out;

    // Option 1 with 2 ratios after 5: two rows; record 12 has 1310 samples,
    // scaled by -2, no zero tail.
    const auto& one = r.dumps[0];
    EXPECT_EQ(shape(one, "SD"), (Shape{2, 160}));
    EXPECT_EQ(shape(one, "SA"), (Shape{2, 160}));
    const auto park = recordColumn("Park040");
    ASSERT_EQ(shape(one, "ACC"), (Shape{1, 1310}));
    EXPECT_EQ(shape(one, "TIME"), (Shape{1, 1310}));
    EXPECT_EQ(numbers(global(one, "ACC"))[0][700], -2 * park[700]);

    // Option 2 after Option 1: ACC 3 x 1500 in the order of EQ, zero tail for
    // the short record, TIME 1 x 1500.
    const auto& two = r.dumps[1];
    EXPECT_EQ(shape(two, "SD"), (Shape{3, 160}));
    ASSERT_EQ(shape(two, "ACC"), (Shape{3, 1500}));
    EXPECT_EQ(shape(two, "TIME"), (Shape{1, 1500}));
    const auto acc2 = numbers(global(two, "ACC"));
    EXPECT_EQ(acc2[0][1309], 0.5 * park[1309]);
    for (std::size_t k = 1310; k < 1500; ++k) EXPECT_EQ(acc2[0][k], 0.0) << k;
    EXPECT_EQ(acc2[1][1499], recordColumn("Nridge1")[1499]);
    EXPECT_EQ(acc2[2][3], 2 * recordColumn("Impval1")[3]);

    // Any option other than 1 runs Option 2.
    EXPECT_EQ(shape(r.dumps[2], "SD"), (Shape{1, 160}));
    EXPECT_EQ(shape(r.dumps[2], "ACC"), (Shape{1, 1500}));
    // An action other than 0 does nothing.
    EXPECT_TRUE(r.dumps[3] == r.dumps[2]);
}

TEST(AnalysisRun, AMissingRecordLeavesResultsAndScreensIntact) {
    // A copy of the data folder without one record file.
    const fs::path dir = fs::temp_directory_path() / ("velmora-data-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const auto& e : fs::directory_iterator(dataDir())) {
        if (e.path().extension() == ".mat" && e.path().filename() != "Nridge1.mat") {
            fs::copy_file(e.path(), dir / e.path().filename());
        }
    }
    const auto r = runScript(
        "set option 1\nset RECORD 2\neval velmora_gui06(0)\ndump\n"
        "set RECORD 5\nset numdamp 2\neval velmora_gui06(0)\ndump\n"
        "set option 2\nset EQ [1 5]\nset numquakes 2\nset SCALE2 [1 1]\n"
        "eval velmora_gui06(0)\ndump\n",
        {"VELMORA_DATA=" + dir.string()});
    fs::remove_all(dir);
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.dumps.size(), 3u);
    ASSERT_EQ(r.errors.size(), 2u) << r.out;
    // Option 1 returns to the damping ratios screen with its two fields;
    // Option 2 to the scale factors screen. (That the results, the choices
    // and the message stay is FaultRecords' "missing" case.)
    const auto screens1 = figuresNamed(r.dumps[1], kOption1);
    ASSERT_FALSE(screens1.empty());
    EXPECT_EQ(controlsOfStyle(screens1.back(), "edit").size(), 2u);
    const auto screens2 = figuresNamed(r.dumps[2], kOption2);
    ASSERT_FALSE(screens2.empty());
    EXPECT_EQ(controlsOfStyle(screens2.back(), "edit").size(), 2u);
}

}  // namespace
}  // namespace velmora::screens_test
