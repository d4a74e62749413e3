// The layout file: missing, damaged or incomplete files fall back to the
// built-in layout with one warning, a value of the wrong class or shape is
// refused with one warning naming it, and the program works on.
#include <gtest/gtest.h>
#include <matio.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

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

std::vector<std::string> warningsOf(const ScriptResult& r) {
    std::vector<std::string> out;
    for (const auto& line : r.outLines()) {
        if (line.rfind("Warning:", 0) == 0) out.push_back(line);
    }
    return out;
}

// Welcome window twice (Option 1 screen, BACK), then a run with its
// please-wait window: three reads of the layout file.
const char* const kSession =
    "press OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS \n"
    "press BACK\nset option 1\neval velmora_gui06(0)\ndump\n";

TEST(LayoutFile, MissingOrDamagedFilesFallBackWithOneWarning) {
    // (The shipped file gives no warning: see the next test's reference run.)
    DataCopy data;
    fs::remove(data.layout());
    const auto missing = runScript(kSession, {data.env()});
    EXPECT_EQ(missing.status, 0) << missing.err;
    EXPECT_EQ(warningsOf(missing).size(), 1u) << missing.out;
    EXPECT_NE(missing.out.find("velmora_gui.mat"), std::string::npos);
    EXPECT_EQ(numbers(global(missing.lastDump(), "mat0")).size(), 64u);
    EXPECT_EQ(numbers(global(missing.lastDump(), "SD")).size(), 5u);  // the run worked

    std::ofstream(data.layout()) << "MATLAB 5.0 MAT-file, but cut short";
    const auto damaged = runScript(kSession, {data.env()});
    EXPECT_EQ(damaged.status, 0) << damaged.err;
    EXPECT_EQ(warningsOf(damaged).size(), 1u) << damaged.out;
    EXPECT_EQ(numbers(global(damaged.lastDump(), "SD")).size(), 5u);

    // A file holding only the colour map: the other three stand in, the
    // file's colour map is used.
    saveMatFile(data.layout().string(), {{"mat0", Value::matrix(2, 3, {0, 1, 0, 1, 0, 1})}});
    const auto partial = runScript(kSession, {data.env()});
    EXPECT_EQ(partial.status, 0) << partial.err;
    EXPECT_EQ(warningsOf(partial).size(), 1u) << partial.out;
    EXPECT_NE(partial.out.find("\"mat1\""), std::string::npos) << partial.out;
    EXPECT_EQ(numbers(global(partial.lastDump(), "mat0")),
              (std::vector<std::vector<double>>{{0, 0, 0}, {1, 1, 1}}));
    EXPECT_EQ(numbers(global(partial.lastDump(), "SD")).size(), 5u);
}

// Both options through their screens with the choices as they stand:
// Option 1 to its results (dump), then Option 2 to its results (dump).
const char* const kBothOptions =
    "press OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS \n"
    "press DONE\npress DONE\ndump\n"
    "eval velmora_gui01(2)\npress DONE\npress DONE\ndump\n";

const char* const kCompared[] = {"SD",   "SA", "ACC",    "RECORD",    "SCALE1", "numdamp", "damp",
                                 "DAMP", "EQ", "SCALE2", "numquakes", "EQ_SC",  "mat0"};

// The layout file of the build with `extra` added or replaced.
void writeLayout(const DataCopy& data, const std::map<std::string, Value>& extra) {
    auto arrays = mlfLoadStruct(std::string(VELMORA_BUILD_DIR) + "/data/velmora_gui.mat");
    for (const auto& [name, value] : extra) arrays[name] = value;
    saveMatFile(data.layout().string(), arrays);
}

// Every name the layout file may set, as a text, a cell and the empty
// value: where that is wrong, one warning names the file and the variable
// and the program's own value is used (so both runs give what they give
// without the variable); where it suits (an empty EQ: no record chosen)
// no warning. Both options always complete a run.
TEST(LayoutFile, EveryNameOfTheWrongClassOrShapeIsRefusedByName) {
    DataCopy data;
    const auto reference = runScript(kBothOptions, {data.env()});
    ASSERT_EQ(reference.status, 0) << reference.err;
    ASSERT_EQ(reference.dumps.size(), 2u) << reference.out;
    ASSERT_TRUE(warningsOf(reference).empty()) << reference.out;

    const char* const names[] = {"DAMP",    "EQ",   "EQ_1",      "EQ_3",    "EQ_SC",     "EQ_charl",
                                 "EQ_data", "EQ_l", "EQ_string", "RECORD",  "SCALE1",    "SCALE2",
                                 "damp",    "err",  "mat0",      "numdamp", "numquakes", "option",
                                 "mat1",    "mat2", "mat3"};
    const std::map<std::string, Value> kinds = {
        {"text", Value::text("5")},
        {"cell", Value::cellRow({Value::scalar(1)})},
        {"empty", Value()},
    };
    // What may be empty or a text; everything else of these kinds is wrong.
    const std::map<std::string, std::vector<std::string>> suits = {
        {"EQ", {"empty"}}, {"SCALE2", {"empty"}}, {"EQ_charl", {"text", "empty"}}};

    for (const char* name : names) {
        for (const auto& [kind, value] : kinds) {
            SCOPED_TRACE(std::string(name) + " as " + kind);
            writeLayout(data, {{name, value}});
            const auto r = runScript(kBothOptions, {data.env()});
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_TRUE(r.errors.empty()) << r.out;
            ASSERT_EQ(r.dumps.size(), 2u) << r.out;
            EXPECT_EQ(numbers(global(r.dumps[0], "SD")).size(), 5u);
            // The Option 2 results were built (they set the plot title).
            const double records = scalar(global(r.dumps[1], "numquakes"));
            EXPECT_EQ(static_cast<double>(numbers(global(r.dumps[1], "SD")).size()), records);
            EXPECT_EQ(textRows(global(r.dumps[1], "title2")),
                      std::vector<std::string>{"Damping Ratio = 0.02"});
            const auto it = suits.find(name);
            const bool fits = it != suits.end() && std::find(it->second.begin(), it->second.end(),
                                                             kind) != it->second.end();
            const auto w = warningsOf(r);
            if (fits) {
                EXPECT_TRUE(w.empty()) << r.out;
                continue;
            }
            ASSERT_EQ(w.size(), 1u) << r.out;
            if (std::string(name) == "mat0") {
                EXPECT_EQ(global(r.dumps[0], "mat0").at("size"), nlohmann::json::array({64, 3}));
            } else if (std::string(name).rfind("mat", 0) != 0) {  // mat1 to 3: no globals
                EXPECT_EQ(global(r.dumps[0], name), global(reference.dumps[0], name));
            }
            EXPECT_NE(w[0].find(data.layout().string()), std::string::npos) << w[0];
            EXPECT_NE(w[0].find(std::string("\"") + name + "\""), std::string::npos) << w[0];
            for (std::size_t d = 0; d < 2; ++d) {
                for (const char* g : kCompared) {
                    // A wrong colour map gives way to the built-in one.
                    if (std::string(g) == name) continue;
                    EXPECT_EQ(global(r.dumps[d], g), global(reference.dumps[d], g)) << g;
                }
            }
        }
    }
}

// A class the file reader refuses outright costs only its own variable:
// structures named RECORD and mat3 beside mat0 to mat2.
TEST(LayoutFile, AStructureCostsOnlyItsOwnVariable) {
    DataCopy data;
    auto arrays = mlfLoadStruct(std::string(VELMORA_BUILD_DIR) + "/data/velmora_gui.mat");
    arrays.erase("mat3");
    saveMatFile(data.layout().string(), arrays);
    mat_t* mat = Mat_Open(data.layout().c_str(), MAT_ACC_RDWR);
    ASSERT_NE(mat, nullptr);
    for (const char* name : {"RECORD", "mat3"}) {
        std::size_t one[2] = {1, 1};
        const char* fields[] = {"value"};
        matvar_t* structure = Mat_VarCreateStruct(name, 2, one, fields, 1);
        EXPECT_EQ(Mat_VarWrite(mat, structure, MAT_COMPRESSION_NONE), 0);
        Mat_VarFree(structure);
    }
    Mat_Close(mat);

    const auto r = runScript(kBothOptions, {data.env()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.errors.empty()) << r.out;
    const auto w = warningsOf(r);
    ASSERT_EQ(w.size(), 2u) << r.out;
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_NE(w[i].find(data.layout().string()), std::string::npos) << w[i];
        EXPECT_NE(w[i].find("structure"), std::string::npos) << w[i];
    }
    EXPECT_NE(r.out.find("\"RECORD\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"mat3\""), std::string::npos) << r.out;
    ASSERT_EQ(r.dumps.size(), 2u);
    EXPECT_EQ(scalar(global(r.dumps[0], "RECORD")), 1);
    // The file's own colour map was still read (the built-in one starts
    // with pure blue).
    const auto mat0 = numbers(global(r.dumps[0], "mat0"));
    ASSERT_EQ(mat0.size(), 64u);
    EXPECT_EQ(mat0[0], (std::vector<double>{0, 0, 0.53125}));
    EXPECT_EQ(numbers(global(r.dumps[0], "SD")).size(), 5u);
}

// Numbers of the wrong shape or range: a colour map must be N x 3 in
// [0, 1], the colour order likewise, the bar's normals 4 x 3 and its
// vertices 4 x 2; a record number whole from 1 to 21, at most 9 of them.
TEST(LayoutFile, NumbersOfTheWrongShapeOrRangeAreRefused) {
    DataCopy data;
    const struct {
        const char* name;
        Value value;
        bool accepted;
    } cases[] = {
        {"mat0", Value::matrix(2, 3, {0, 1, 0.5, 0.25, 1, 0}), true},
        {"mat0", Value::matrix(2, 4, {0, 1, 0, 1, 0, 1, 0, 1}), false},
        {"mat0", Value::matrix(1, 3, {0, 1.5, 0}), false},
        {"mat0", Value::matrix(1, 3, {0, -0.1, 0}), false},
        {"mat1", Value::matrix(1, 3, {0, 0, 1}), true},
        {"mat1", Value::row({0, 0}), false},
        {"mat2", Value::matrix(3, 3, {0, 0, 0, 0, 0, 0, 1, 1, 1}), false},
        {"mat3", Value::matrix(4, 2, {0, 0, 0, 0, 0, 0, 1, 1}), true},
        {"mat3", Value::matrix(3, 2, {0, 0, 0, 0, 1, 1}), false},
        {"mat3", Value::matrix(2, 4, {0, 0, 0, 0, 0, 1, 0, 1}), false},
        {"RECORD", Value::scalar(21), true},
        {"RECORD", Value::scalar(2.5), false},
        {"RECORD", Value::row({1, 2}), false},
        {"EQ", Value::row({21, 3}), true},
        {"EQ", Value::row({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), false},
        {"EQ", Value::column({1, 2}), false},
        {"damp", Value::row({0.1, 1.5, 0.2, 0.3, 0.4}), false},
        {"numdamp", Value::scalar(10), false},
        {"EQ_l", Value::scalar(21), false},
        {"EQ_SC", Value::ones(21, 1), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.accepted ? " accepted" : " refused"));
        writeLayout(data, {{c.name, c.value}});
        const auto r = runScript(kSession, {data.env()});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(r.errors.empty()) << r.out;
        EXPECT_EQ(numbers(global(r.lastDump(), "SD")).size(), 5u);
        const auto w = warningsOf(r);
        EXPECT_EQ(w.size(), c.accepted ? 0u : 1u) << r.out;
        // The please-wait window is gone; its matrices show in the colour
        // map the welcome window stored.
        if (std::string(c.name) == "mat0") {
            const auto mat0 = numbers(global(r.lastDump(), "mat0"));
            EXPECT_EQ(mat0.size(), c.accepted ? c.value.rows() : 64u);
        }
    }
}

}  // namespace
}  // namespace velmora
