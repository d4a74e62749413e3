// The layout file: missing, damaged or incomplete files fall back to the
// built-in layout with one warning, and the program works on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "host/matfile.h"
#include "support/script_runner.h"

namespace velmora {
namespace {

using namespace velmora::testing;
namespace fs = std::filesystem;

struct DataCopy {
    fs::path dir;
    DataCopy() {
        dir = fs::temp_directory_path() / ("velmora-layout-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (const auto& e : fs::directory_iterator(std::string(VELMORA_BUILD_DIR) + "/data")) {
            if (e.path().extension() == ".mat") fs::copy_file(e.path(), dir / e.path().filename());
        }
    }
    ~DataCopy() { fs::remove_all(dir); }
    std::string env() const { return "VELMORA_DATA=" + dir.string(); }
    fs::path layout() const { return dir / "velmora_gui.mat"; }
};

std::size_t countWarnings(const ScriptResult& r) {
    std::size_t n = 0;
    for (const auto& line : r.outLines()) n += line.rfind("Warning:", 0) == 0;
    return n;
}

// Welcome window twice (Option 1 screen, BACK), then a run with its
// please-wait window: three reads of the layout file.
const char* const kSession =
    "press OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS \n"
    "press BACK\nset option 1\neval velmora_gui06(0)\ndump\n";

TEST(LayoutFile, MissingOrDamagedFilesFallBackWithOneWarning) {
    DataCopy data;
    const auto normal = runScript(kSession, {data.env()});
    ASSERT_EQ(normal.status, 0) << normal.err;
    EXPECT_EQ(countWarnings(normal), 0u);

    fs::remove(data.layout());
    const auto missing = runScript(kSession, {data.env()});
    EXPECT_EQ(missing.status, 0) << missing.err;
    EXPECT_EQ(countWarnings(missing), 1u) << missing.out;
    EXPECT_NE(missing.out.find("velmora_gui.mat"), std::string::npos);
    EXPECT_EQ(numbers(global(missing.lastDump(), "mat0")).size(), 64u);
    EXPECT_EQ(numbers(global(missing.lastDump(), "SD")).size(), 5u);  // the run worked

    std::ofstream(data.layout()) << "MATLAB 5.0 MAT-file, but cut short";
    const auto damaged = runScript(kSession, {data.env()});
    EXPECT_EQ(damaged.status, 0) << damaged.err;
    EXPECT_EQ(countWarnings(damaged), 1u) << damaged.out;
    EXPECT_EQ(numbers(global(damaged.lastDump(), "SD")).size(), 5u);

    // A file holding only the colour map: the other three stand in, the
    // file's colour map is used.
    saveMatFile(data.layout().string(), {{"mat0", Value::matrix(2, 3, {0, 1, 0, 1, 0, 1})}});
    const auto partial = runScript(kSession, {data.env()});
    EXPECT_EQ(partial.status, 0) << partial.err;
    EXPECT_EQ(countWarnings(partial), 1u) << partial.out;
    EXPECT_NE(partial.out.find("\"mat1\""), std::string::npos) << partial.out;
    EXPECT_EQ(numbers(global(partial.lastDump(), "mat0")),
              (std::vector<std::vector<double>>{{0, 0, 0}, {1, 1, 1}}));
    EXPECT_EQ(numbers(global(partial.lastDump(), "SD")).size(), 5u);
}

}  // namespace
}  // namespace velmora
