// Fault injection: damaged record files, a damaged, incomplete or wrongly
// filled layout file and an unusable data folder, met in velmora-script
// sessions on a scratch copy of the data folder. Every fault must give a
// message naming the file, leave the session running, and leave the last
// results and the user's choices as they were. Also the regression tests of
// what fuzzing found.
#include <matio.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <map>

#include "app/functions.h"
#include "app/global_state.h"
#include "engine/record_file.h"
#include "support/mat73_files.h"
#include "support/program_fixture.h"
#include "test_spectra_common.h"

namespace velmora {
namespace {

using namespace velmora::testing;
using nlohmann::json;
using spectra_test::has;
namespace fs = std::filesystem;

// A scratch copy of the build's data folder (its MAT-files only), for
// faults put into the record and layout files.
class DataCopy : public spectra_test::ScratchFolder {
  public:
    DataCopy() {
        for (const auto& entry : fs::directory_iterator(fs::path(VELMORA_BUILD_DIR) / "data")) {
            if (entry.path().extension() == ".mat")
                fs::copy_file(entry.path(), file(entry.path().filename()));
        }
    }
    ~DataCopy() {
        std::error_code ec;  // a test may have made it unreadable
        fs::permissions(path(), fs::perms::owner_all, ec);
    }
    fs::path file(const std::string& name) const { return path() / name; }
    fs::path layout() const { return file("velmora_gui.mat"); }
    std::vector<std::string> env() const { return {"VELMORA_DATA=" + str()}; }
};

// The warning lines a session printed.
std::vector<std::string> warnings(const ScriptResult& r) {
    std::vector<std::string> out;
    for (const auto& line : r.outLines()) {
        if (line.rfind("Warning: ", 0) == 0) out.push_back(line);
    }
    return out;
}

// The record every fault below is put into: catalogue record 5.
const char* const kRecordFile = "Nridge1.mat";
const char* const kRecordName = "Nridge1";

const char* const kResults[] = {"SD", "SV", "PSV", "SA", "ACC", "PERIOD", "TIME"};
const char* const kChoices[] = {"option", "RECORD", "SCALE1", "numdamp",   "damp",
                                "DAMP",   "EQ",     "SCALE2", "numquakes", "EQ_SC"};

// Version 5 MAT-file bytes written by hand, for headers that declare more
// than the file holds.
std::string mat5Element(std::uint32_t type, const std::string& data) {
    std::string out(8, '\0');
    const auto bytes = static_cast<std::uint32_t>(data.size());
    std::memcpy(out.data(), &type, 4);
    std::memcpy(out.data() + 4, &bytes, 4);
    out += data;
    out.resize((out.size() + 7) / 8 * 8, '\0');
    return out;
}

std::string mat5Matrix(const std::string& name, std::uint32_t cls, std::int32_t rows,
                       std::int32_t cols, const std::string& contents, std::uint32_t nzmax = 0) {
    const std::uint32_t flags[2] = {cls, nzmax};
    const std::int32_t dims[2] = {rows, cols};
    return mat5Element(14, mat5Element(6, std::string(reinterpret_cast<const char*>(flags), 8)) +
                               mat5Element(5, std::string(reinterpret_cast<const char*>(dims), 8)) +
                               mat5Element(1, name) + contents);
}

std::string mat5File(const std::string& elements) {
    std::string header = "MATLAB 5.0 MAT-file, written by hand";
    header.resize(124, ' ');
    std::memset(header.data() + 116, 0, 8);
    return header + std::string("\x00\x01IM", 4) + elements;
}

std::string doubles(const std::vector<double>& values) {
    return mat5Element(9, std::string(reinterpret_cast<const char*>(values.data()),
                                      values.size() * sizeof(double)));
}

// The header of a version 4 array named after the record.
std::string version4Header(std::int32_t type, std::int32_t rows, std::int32_t cols,
                           std::int32_t nameLength = 8) {
    const std::int32_t head[5] = {type, rows, cols, 0, nameLength};
    return std::string(reinterpret_cast<const char*>(head), sizeof head) + kRecordName +
           std::string(1, '\0');
}

// One kind of damaged record file: how it is made, and a word of the reason
// the message must give; or a sound file and choices that spoil it.
struct BadRecord {
    const char* kind;
    std::function<void(const DataCopy&)> make;
    const char* reason;
    const char* option1Change = "set RECORD 5\n";
    const char* option2Change = "set EQ [1 5]\n";
};

// The record file holding `bytes`.
std::function<void(const DataCopy&)> holding(const std::string& bytes) {
    return [bytes](const DataCopy& d) { spectra_test::writeText(d.file(kRecordFile), bytes); };
}

// The record file holding what `change` makes of the sound record, under
// the record's name unless told another.
std::function<void(const DataCopy&)> saving(Value (*change)(Value),
                                            std::string name = kRecordName) {
    return [change, name](const DataCopy& d) {
        const Value m = mlfLoadStruct(d.file(kRecordFile).string()).at(kRecordName);
        saveMatFile(d.file(kRecordFile).string(), {{name, change(m)}});
    };
}

const BadRecord kBadRecords[] = {
    {"missing", [](const DataCopy& d) { fs::remove(d.file(kRecordFile)); }, "Cannot find"},
    {"truncated",
     [](const DataCopy& d) {
         fs::resize_file(d.file(kRecordFile), fs::file_size(d.file(kRecordFile)) / 2);
     },
     "truncated"},
    {"text", holding("0 0.1\n"), "not a MAT-file."},
    {"char instead of double", saving([](Value) { return Value::text("0.02 0.1"); }),
     "not a non-empty numeric matrix"},
    {"cell instead of double", saving([](Value) {
         return Value::cellRow({Value::row({0.0, 0.1})});
     }),
     "not a non-empty numeric matrix"},
    {"wrong variable name", saving([](Value m) { return m; }, "Nridge"),
     "holds no variable named 'Nridge1'"},
    {"one column", saving([](Value m) {
         return Value::column(
             {m.data().begin() + static_cast<std::ptrdiff_t>(m.rows()), m.data().end()});
     }),
     "fewer than 2 columns"},
    {"[time; acceleration] as rows (2 x N)", saving([](Value m) {
         std::vector<double> rows;
         for (std::size_t k = 1; k <= m.rows(); ++k) rows.insert(rows.end(), {m(k, 1), m(k, 2)});
         return Value::matrix(2, m.rows(), rows);
     }),
     "is a 2 x 2000 matrix: it needs one row per sample"},
    {"one [time acceleration] row (1 x 2)", saving([](Value) {
         return Value::row({0.0, 0.5});
     }),
     "is a 1 x 2 matrix"},
    {"NaN sample", saving([](Value m) {
         m.set(100, 2, std::numeric_limits<double>::quiet_NaN());
         return m;
     }),
     "NaN (row 100 of column 2)"},
    {"infinite sample", saving([](Value m) {
         m.set(100, 2, -std::numeric_limits<double>::infinity());
         return m;
     }),
     "infinite (row 100 of column 2)"},
    {"zero length (0 x 2)", saving([](Value) { return Value::matrix(0, 2, {}); }),
     "not a non-empty numeric matrix"},
    {"empty (0 x 0)", saving([](Value) { return Value::zeros(0, 0); }),
     "not a non-empty numeric matrix"},
    // Found by fuzzing: a header declaring 2,000,000 rows whose data holds
    // 4. matio fills the missing rows with zeros, and the run computed the
    // spectra of a record of silence without a word.
    {"RecordDeclaringMoreRowsThanItHolds",
     holding(mat5File(mat5Matrix(kRecordName, 6, 2000000, 2,
                                 doubles({0, 0.02, 0.04, 0.06, 0.1, -0.2, 0.3, -0.1})))),
     "damaged or truncated"},
    // Found by fuzzing: a version 4 text array whose width is negative
    // (0 x -5). The loader let a std::length_error through, so the message
    // was "Internal error: basic_string::_M_create" and did not name the file.
    {"NegativeSize", holding(version4Header(51, 0, -5)), "as a MAT-file"},
    // A scale factor that makes a finite sample overflow is refused like a
    // NaN sample, naming the record and the factor.
    {"overflowing scale factor", [](const DataCopy&) {},
     "scaled by 1e+308 has a sample that is infinite", "set SCALE1 1e308\nset RECORD 5\n",
     "set EQ [1 5]\nset SCALE2 [1 1e308]\n"},
};

// A good run, the choices changed (by default to the damaged record), the
// failing run, then the good choices and a run again. Dumps: before the
// failing run, after it, after the last run.
const char* const kOption1Choices =
    "set numdamp 2\nset damp [0.02 0.05]\nset SCALE1 1.5\nset RECORD 1\n";
const char* const kOption2Choices =
    "set DAMP 0.05\nset EQ [1 2]\nset numquakes 2\nset SCALE2 [1 2]\n";

std::string failingRunSession(const std::string& option, const std::string& change) {
    const std::string choices = option == "1" ? kOption1Choices : kOption2Choices;
    return "set option " + option + "\n" + choices + "eval velmora_gui06(0)\n" + change +
           "dump\neval velmora_gui06(0)\ndump\n" + choices + "eval velmora_gui06(0)\ndump\n";
}

// The results, and the choices unless told not, of `b` are those of `a`.
void expectSameGlobals(const json& a, const json& b, const std::string& what, bool choices = true) {
    for (const char* name : kResults) EXPECT_EQ(global(a, name), global(b, name)) << what << name;
    if (!choices) return;
    for (const char* name : kChoices) EXPECT_EQ(global(a, name), global(b, name)) << what << name;
}

// The failing run refused the record with a message naming it; the results
// and the choices stayed; the session went on and the next run worked.
void expectRefusedAndRecovered(const ScriptResult& r, const std::string& reason,
                               const char* named = kRecordFile) {
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.errors.size(), 1u) << r.out;
    EXPECT_TRUE(has(r.errors[0], named));
    EXPECT_TRUE(has(r.errors[0], reason));
    ASSERT_EQ(r.dumps.size(), 3u) << r.out;
    // No please-wait window is left.
    EXPECT_TRUE(figuresNamed(r.dumps[1], "VELMORA: Please Wait...").empty());
    EXPECT_FALSE(numbers(global(r.dumps[0], "SD")).empty());
    expectSameGlobals(r.dumps[0], r.dumps[1], "after the fault: ");
    // The same inputs as the first run give the same results again.
    expectSameGlobals(r.dumps[0], r.dumps[2], "the next run: ", false);
}

TEST(FaultRecords, EveryDamagedRecordIsRefusedInBothOptions) {
    for (const BadRecord& bad : kBadRecords) {
        SCOPED_TRACE(bad.kind);
        DataCopy data;
        bad.make(data);
        for (const std::string& session : {failingRunSession("1", bad.option1Change),
                                           failingRunSession("2", bad.option2Change)}) {
            SCOPED_TRACE(session.substr(0, 12));  // "set option N"
            expectRefusedAndRecovered(runScript(session, data.env()), bad.reason);
        }
    }
}

// Values that no screen stores, set by a script: the run refuses them
// before any work, naming the value.
TEST(FaultRunInputs, EveryValueTheRunReadsIsChecked) {
    const struct {
        const char* option;
        const char* change;
        const char* reason;
    } cases[] = {
        {"1", "set RECORD 2.7\n", "The record number 2.7 is not a whole number from 1 to 21."},
        {"1", "set RECORD 1e300\n", "The record number 1e+300 is not a whole number from 1 to 21."},
        {"1", "set RECORD 0\n", "The record number 0 is not a whole number"},
        {"1", "set RECORD 22\n", "The record number 22 is not a whole number"},
        {"1", "set RECORD \"5\"\n", "The record number is not a single finite number."},
        {"1", "set damp [-5 0.05]\n", "The damping ratio -5 is not between 0 and 1."},
        {"1", "set damp [0.02 1.5]\n", "The damping ratio 1.5 is not between 0 and 1."},
        {"1", "set damp [0.02]\n", "The damping ratio 2 is missing."},
        {"1", "set numdamp 2.5\n", "The number of damping ratios 2.5 is not a whole number"},
        {"1", "set numdamp 1e300\n", "The number of damping ratios 1e+300 is not a whole"},
        {"1", "set numdamp 0\n", "The number of damping ratios 0 is not a whole number"},
        {"1", "set SCALE1 [1 2]\n", "The scale factor is not a single finite number."},
        {"2", "set DAMP -5\n", "The damping ratio -5 is not between 0 and 1."},
        {"2", "set DAMP []\n", "The damping ratio is not a single finite number."},
        {"2", "set EQ [1 2.5]\n", "The record number 2.5 is not a whole number from 1 to 21."},
        {"2", "set EQ [1 1e300]\n", "The record number 1e+300 is not a whole number"},
        {"2", "set SCALE2 [1]\n", "The scale factor 2 is missing."},
        {"2", "set numquakes 1e300\n", "The number of records 1e+300 is not a whole number"},
        {"2", "set numquakes 3\n", "The record 3 is missing."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("Option ") + c.option + ": " + c.change);
        expectRefusedAndRecovered(runScript(failingRunSession(c.option, c.change)), c.reason,
                                  c.reason);
    }
}

// What a script cannot type: values that are not finite numbers.
TEST_F(ProgramTest, RunRefusesValuesThatAreNotFiniteNumbers) {
    velmora_gui();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double option;
        G id;
        Value value;
        const char* message;
    } cases[] = {
        {1, G::SCALE1, Value::scalar(nan), "The scale factor is not a single finite number."},
        {1, G::RECORD, Value::scalar(inf), "The record number is not a single finite number."},
        {1, G::damp, Value::row({0.02, nan}), "The damping ratio NaN is not between 0 and 1."},
        {2, G::DAMP, Value::scalar(nan), "The damping ratio is not a single finite number."},
        {2, G::SCALE2, Value::row({1, 2, -inf}), "The scale factor -Inf is not a finite number."},
        {2, G::EQ, Value::row({1, nan, 10}),
         "The record number NaN is not a whole number from 1 to 21."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        inCallback([&] {
            gv(G::option) = Value::scalar(c.option);
            const Value kept = gv(c.id);
            gv(c.id) = c.value;
            gv(G::SD) = Value::scalar(42);
            EXPECT_EQ(errorOf([] { velmora_gui06(Value::scalar(0)); }), c.message);
            EXPECT_EQ(gv(G::SD), Value::scalar(42));
            gv(c.id) = kept;
        });
    }
}

// A text byte that is not UTF-8 (Latin-1, typed into a field or held in
// the layout file): `dump` replaced nothing and aborted the program.
TEST(FaultRunInputs, DumpOfTextThatIsNotUtf8) {
    const auto r = runScript("set title1 \"caf\xe9\"\ndump\nset RECORD 2\ndump\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.errors.empty()) << r.out;
    ASSERT_EQ(r.dumps.size(), 2u) << r.out;
    EXPECT_EQ(textRows(global(r.dumps[0], "title1")),
              std::vector<std::string>{"caf\xef\xbf\xbd"});  // U+FFFD
}

// ---------------------------------------------------------------------------
// The layout file. Missing, damaged or incomplete, it gives way to the
// built-in layout; a value of the wrong class, shape or range gives way to
// the program's own. Either way one warning names the file and what was
// wrong, however often the file is read, and the program works on.

// Both options through their screens with the choices as they stand:
// Option 1 to its results (dump), then Option 2 to its results (dump). Each
// welcome and please-wait window reads the layout file.
const char* const kBothOptions =
    "press OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS \n"
    "press DONE\npress DONE\ndump\n"
    "eval velmora_gui01(2)\npress DONE\npress DONE\ndump\n";

const char* const kCompared[] = {"SD",   "SV",     "PSV",    "SA",        "ACC",     "PERIOD",
                                 "TIME", "option", "RECORD", "SCALE1",    "numdamp", "damp",
                                 "DAMP", "EQ",     "SCALE2", "numquakes", "EQ_SC",   "mat0"};

const std::string kShippedLayout = std::string(VELMORA_BUILD_DIR) + "/data/velmora_gui.mat";

// Damaged, incomplete or not there at all; every name the layout file may
// set, as a text, a cell and the empty value; and numbers of the wrong
// shape or range (a colour map must be N x 3 in [0, 1], the colour order
// likewise, the bar's normals 4 x 3 and its vertices 4 x 2; a record number
// whole from 1 to 21, at most 9 of them). Where that is wrong, one warning
// names the file and the variable (or what is wrong with the file) and the
// program's own value is used, so both runs give what they give without it;
// where it suits (an empty EQ: no record chosen) no warning. Both options
// always complete a run.
TEST(LayoutFile, EveryFaultGivesWayWithOneWarningNamingIt) {
    DataCopy data;
    const auto reference = runScript(kBothOptions, data.env());
    ASSERT_EQ(reference.status, 0) << reference.err;
    ASSERT_EQ(reference.dumps.size(), 2u) << reference.out;
    ASSERT_TRUE(warnings(reference).empty()) << reference.out;

    // `name` gives way (mat0 stands for the whole built-in layout); `make`
    // spoils the file instead of writing `value` into it, and the warning
    // then gives `reason` rather than the quoted name.
    struct Case {
        std::string name;
        Value value;
        bool accepted;
        std::function<void(const fs::path&)> make = {};
        std::vector<std::string> reason = {};
    };
    const auto removing = [](std::vector<std::string> names) {
        return [names](const fs::path& f) {
            auto arrays = mlfLoadStruct(kShippedLayout);
            for (const auto& name : names) arrays.erase(name);
            saveMatFile(f.string(), arrays);
        };
    };
    // A class the file reader refuses outright costs only its own variable.
    const auto structureAs = [](std::string name) {
        return [name](const fs::path& f) {
            fs::copy_file(kShippedLayout, f, fs::copy_options::overwrite_existing);
            mat_t* mat = Mat_Open(f.c_str(), MAT_ACC_RDWR);
            ASSERT_NE(mat, nullptr);
            Mat_VarDelete(mat, name.c_str());
            std::size_t one[2] = {1, 1};
            const char* fields[] = {"value"};
            matvar_t* structure = Mat_VarCreateStruct(name.c_str(), 2, one, fields, 1);
            EXPECT_EQ(Mat_VarWrite(mat, structure, MAT_COMPRESSION_NONE), 0);
            Mat_VarFree(structure);
            Mat_Close(mat);
        };
    };
    const auto spoilt = [](std::string name, std::function<void(const fs::path&)> make,
                           std::vector<std::string> reason) {
        return Case{name, {}, false, make, reason};
    };
    std::vector<Case> cases = {
        spoilt("RECORD", structureAs("RECORD"), {"\"RECORD\"", "structure arrays"}),
        spoilt("mat3", structureAs("mat3"), {"\"mat3\"", "structure arrays"}),
        spoilt("mat0", [](const fs::path& f) { fs::remove(f); }, {"No such file or directory"}),
        spoilt("mat0",
               [](const fs::path& f) {
                   fs::copy_file(kShippedLayout, f, fs::copy_options::overwrite_existing);
                   fs::resize_file(f, fs::file_size(f) / 2);
               },
               {"truncated"}),
        spoilt("mat0",
               [](const fs::path& f) { std::ofstream(f) << "MATLAB 5.0 MAT-file, but cut short"; },
               {"not a MAT-file."}),
        spoilt("mat0", removing({"mat0"}), {"holds no \"mat0\"."}),
        spoilt("mat1", removing({"mat1"}), {"holds no \"mat1\"."}),
        spoilt("mat2", removing({"mat2"}), {"holds no \"mat2\"."}),
        spoilt("mat3", removing({"mat3"}), {"holds no \"mat3\"."}),
        // Only the colour map: the file's own is used (the built-in one
        // starts with pure blue).
        spoilt("mat1", removing({"mat1", "mat2", "mat3"}),
               {"holds no \"mat1\", \"mat2\", \"mat3\"."}),
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
    // Version 7.3 files damaged as FaultMat73 puts them.
    for (const auto& fault : testing::mat73Faults()) {
        cases.push_back(spoilt("mat0",
                               [fault](const fs::path& f) { fault.write(f.string(), "mat0"); },
                               {"the file is damaged"}));
    }
    // What may be empty or a text; everything else of these kinds is wrong.
    const std::vector<std::string> suits = {"EQ empty", "SCALE2 empty", "EQ_charl text",
                                            "EQ_charl empty"};
    for (const char* name :
         {"DAMP", "EQ",        "EQ_1",      "EQ_3",   "EQ_SC",  "EQ_charl", "EQ_data",
          "EQ_l", "EQ_string", "RECORD",    "SCALE1", "SCALE2", "damp",     "err",
          "mat0", "numdamp",   "numquakes", "option", "mat1",   "mat2",     "mat3"}) {
        for (const auto& [kind, value] : std::map<std::string, Value>{
                 {"text", Value::text("5")},
                 {"cell", Value::cellRow({Value::scalar(1)})},
                 {"empty", Value()},
             }) {
            cases.push_back({name, value, std::ranges::count(suits, name + (" " + kind)) > 0});
        }
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + (c.accepted ? " accepted, case " : " refused, case ") +
                     std::to_string(&c - cases.data()));
        // Else the layout file of the build with the value added or replaced.
        auto arrays = mlfLoadStruct(kShippedLayout);
        arrays[c.name] = c.value;
        c.make ? c.make(data.layout()) : saveMatFile(data.layout().string(), arrays);
        const auto r = runScript(kBothOptions, data.env());
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(r.errors.empty()) << r.out;
        ASSERT_EQ(r.dumps.size(), 2u) << r.out;
        EXPECT_EQ(numbers(global(r.dumps[0], "SD")).size(), 5u);
        // The Option 2 results were built (they set the plot title).
        EXPECT_EQ(static_cast<double>(numbers(global(r.dumps[1], "SD")).size()),
                  scalar(global(r.dumps[1], "numquakes")));
        EXPECT_EQ(textRows(global(r.dumps[1], "title2")),
                  std::vector<std::string>{"Damping Ratio = 0.02"});
        const auto w = warnings(r);
        if (c.accepted) {
            EXPECT_TRUE(w.empty()) << r.out;
            // The please-wait window is gone; its matrices show in the
            // colour map the welcome window stored.
            if (c.name == "mat0") {
                EXPECT_EQ(numbers(global(r.dumps[0], "mat0")).size(), c.value.rows());
            }
            continue;
        }
        ASSERT_EQ(w.size(), 1u) << r.out;
        if (c.name == "mat0") {
            EXPECT_EQ(global(r.dumps[0], "mat0").at("size"), json::array({64, 3}));
        } else if (c.name.rfind("mat", 0) != 0) {  // mat1 to 3: no globals
            EXPECT_EQ(global(r.dumps[0], c.name), global(reference.dumps[0], c.name));
        }
        EXPECT_TRUE(has(w[0], data.layout().string()));
        for (const auto& part :
             c.make ? c.reason : std::vector<std::string>{"\"" + c.name + "\""}) {
            EXPECT_TRUE(has(w[0], part));
        }
        for (std::size_t d = 0; d < 2; ++d) {
            for (const char* g : kCompared) {
                // A wrong colour map gives way to the built-in one.
                if (g == c.name) continue;
                EXPECT_EQ(global(r.dumps[d], g), global(reference.dumps[d], g)) << g;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// A data folder that cannot be used: every record is refused with a message
// naming it and the folder, and the session goes on.

void expectNoDataFolder(const std::string& folder) {
    const auto r = runScript(
        "set option 1\nset numdamp 1\nset RECORD 3\neval velmora_gui06(0)\ndump\n"
        "set option 2\neval velmora_gui06(0)\ndump\n",
        {"VELMORA_DATA=" + folder});
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.errors.size(), 2u) << r.out;
    EXPECT_TRUE(has(r.errors[0], "Mexcit1.mat"));
    EXPECT_TRUE(has(r.errors[0], folder));
    EXPECT_TRUE(has(r.errors[1], "Impval1.mat"));
    const auto w = warnings(r);
    ASSERT_EQ(w.size(), 1u) << r.out;
    EXPECT_TRUE(has(w[0], folder));
    // The results and the choices stay as with any record that cannot be
    // read (FaultRecords, its row "missing").
    EXPECT_EQ(r.dumps.size(), 2u);
}

TEST(FaultDataFolder, DataPathIsARegularFileOrAFolderThatCannotBeRead) {
    DataCopy data;
    fs::copy_file(data.file("Kobe.mat"), data.file("not-a-folder"));
    expectNoDataFolder(data.file("not-a-folder").string());
    if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not stop reading";
    fs::permissions(data.path(), fs::perms::none);
    expectNoDataFolder(data.str());
}

// ---------------------------------------------------------------------------
// Found by fuzzing (tests/fuzz).

// The Option 2 list box gives only positions of its lines, but a script
// can select anything. A position that shows no record (beyond the list,
// 0, a fraction) must not become a record number: 2.5 became record 1.5,
// which the run silently took for record 1, and 30 became record 29.
TEST(FuzzFindings, Option2SelectionOutsideTheListGivesNoRecord) {
    const auto r =
        runScript("eval velmora_gui01(2)\nselect 1 30 2.5 0 4\nedit 1 0.05\npress DONE\ndump\n");
    EXPECT_EQ(r.status, 0) << r.err;
    // Only position 4 shows a record: record 3.
    EXPECT_EQ(numbers(global(r.lastDump(), "EQ")), (std::vector<std::vector<double>>{{3}}));
}

// A built program run by python3, which reports the largest resident size
// and the processor time of the program and of every process it started
// (a version 7.3 file is checked in a child process): in a child forked
// from this test the test's own size would count, which under valgrind or
// a sanitizer is large. A `script` for velmora-script ends with `stats`,
// whose answer tells that the work is done: the program's peak virtual size
// is read then, while it waits for more input. A program still busy after
// a minute is looping and is stopped. Its output and errors follow the
// figures.
struct Measured {
    int status = -1;
    long peakKb = -1;
    double cpuSeconds = -1;
    long peakVirtualKb = -1;  // -1: not known
    std::string out;
};

Measured runMeasured(const std::string& program, const std::vector<std::string>& args,
                     const std::string& script = "", const std::vector<std::string>& env = {}) {
    const char* const kMeasure =
        "import re, resource, signal, subprocess, sys\n"
        "p = subprocess.Popen(sys.argv[1:], stdin=subprocess.PIPE, stdout=subprocess.PIPE,"
        " stderr=subprocess.STDOUT)\n"
        "signal.signal(signal.SIGALRM, lambda *_: p.kill())\n"
        "signal.alarm(60)\n"
        "p.stdin.write(sys.stdin.buffer.read())\n"
        "p.stdin.flush()\n"
        "out = b''\n"
        "while b'{\"figures\"' not in out and (line := p.stdout.readline()):\n"
        "    out += line\n"
        "peak = re.search(r'VmPeak:\\s*(\\d+)', open('/proc/%d/status' % p.pid).read())\n"
        "p.stdin.close()\n"
        "out += p.stdout.read()\n"
        "p.wait()\n"
        "r = resource.getrusage(resource.RUSAGE_CHILDREN)\n"
        "print(p.returncode, r.ru_maxrss, r.ru_utime + r.ru_stime, peak[1] if peak else -1)\n"
        "sys.stdout.write(out.decode('utf-8', 'replace'))\n";
    using spectra_test::operator+;
    const auto r = runProcess(
        "/usr/bin/python3", std::vector<std::string>{"-c", kMeasure, builtProgram(program)} + args,
        script.empty() ? "" : script + "stats\n", env);
    Measured m;
    std::istringstream in(r.out);
    in >> m.status >> m.peakKb >> m.cpuSeconds >> m.peakVirtualKb;
    m.out = r.out + r.err;
    return m;
}

// A damaged file must cost what its bytes are worth, not what its header
// declares. velmora-script alone stays near 15 MB.
constexpr long kMostKb = 100 * 1024;
constexpr long kMostVirtualKb = 512 * 1024;

// The sanitizers slow the programs down several times and reserve
// terabytes of address space for themselves: there only the resident size
// tells.
#if !defined(__SANITIZE_ADDRESS__) && !defined(VELMORA_SANITIZED)
constexpr bool kPlainBuild = true;
#else
constexpr bool kPlainBuild = false;
#endif

void expectCheap(const Measured& m) {
    EXPECT_GT(m.peakKb, 0);
    EXPECT_LT(m.peakKb, kMostKb) << "peak resident size in KB";
    // An allocation the program never touches leaves the resident size
    // alone but not the address space.
    if (kPlainBuild) {
        if (m.peakVirtualKb >= 0) {
            EXPECT_LT(m.peakVirtualKb, kMostVirtualKb) << "peak virtual size in KB";
        }
        EXPECT_LT(m.cpuSeconds, 1.0) << "processor seconds";
    }
}

// A run of the catalogue record.
const std::string kCatalogueRun =
    "set option 1\nset RECORD 5\nset numdamp 1\neval velmora_gui06(0)\ndump\n";

// Headers that declare more than the file holds, found by fuzzing: as a
// catalogue record each is refused cheaply.
TEST(FuzzFindings, HeadersDeclaringMoreThanTheFileHoldsAreRefusedCheaply) {
    // Flags, dims and the name in the 4-byte form, so that the words after
    // an empty tag also read as well-formed elements of their own.
    const std::uint32_t cellHeader[10] = {6, 8, 1, 0, 5, 8, 40000000, 1, 3u << 16 | 1, 0x636552};
    const std::uint32_t hugeTag[2] = {9, 0x7F000008};
    const std::string hugeData =
        std::string(reinterpret_cast<const char*>(hugeTag), 8) + std::string(8, '\0');
    const std::pair<const char*, std::string> files[] = {
        // A cell whose header declares 40,000,000 elements in a file of 200
        // bytes: matio allocates and walks every declared element before
        // anything can be refused (320 MB and 2 s here; a 240-byte file
        // declaring 5e8 took 4 GB and 17 s).
        {"CellDeclaringMoreElementsThanItHolds",
         mat5File(
             mat5Matrix(kRecordName, 1, 1, 40000000, mat5Matrix("", 6, 1, 1, doubles({1.0}))))},
        // An array whose tag declares no bytes at all: matio reads the array
        // header that follows all the same, here a cell of 40,000,000
        // elements (the file fuzzing found declared 1.7e10 and asked for
        // 135 GB).
        {"ArrayDeclaringNoBytes",
         mat5File(mat5Element(14, "") +
                  std::string(reinterpret_cast<const char*>(cellHeader), sizeof cellHeader) +
                  mat5Matrix("", 6, 1, 1, doubles({1.0})))},
        // A cell holding a sparse array whose data tag declares 2 GB in a
        // file of 300 bytes: reading the cell, matio allocates the declared
        // data of its elements before the program can refuse the sparse
        // class. It reads that tag whether it lies inside the sparse array's
        // element or after it.
        {"SparseArrayInACellDeclaringMoreThanItHolds, tag inside",
         mat5File(mat5Matrix(kRecordName, 1, 1, 1, mat5Matrix("", 5, 1, 1, hugeData, 1)))},
        {"SparseArrayInACellDeclaringMoreThanItHolds, tag after",
         mat5File(mat5Matrix(kRecordName, 1, 1, 1, mat5Matrix("", 5, 1, 1, "", 1) + hugeData))},
        // A version 4 header whose name length is 300,000,000 bytes in a file
        // of 88: matio allocates and reads the declared name while opening
        // the file, before the program's size checks run (300 MB and 1.3 s
        // here; 1.3e9 took 1.4 GB).
        {"Version4HeaderDeclaringAHugeName",
         version4Header(0, 4, 2, 300000000) +
             doubles({0, 0.02, 0.04, 0.06, 0.1, -0.2, 0.3, -0.1}).substr(8)},  // no tag
        // A text array of 0 x 300,000,000 characters in a file of 28 bytes:
        // no characters, yet a row of 3e8 blanks was built for it (300 MB
        // here).
        {"EmptyTextWithAHugeWidth", version4Header(51, 0, 300000000)},
    };
    for (const auto& [what, bytes] : files) {
        SCOPED_TRACE(what);
        DataCopy data;
        spectra_test::writeText(data.file(kRecordFile), bytes);
        const Measured m = runMeasured("velmora-script", {}, kCatalogueRun, data.env());
        EXPECT_TRUE(has(m.out, "error: "));
        EXPECT_TRUE(has(m.out, kRecordFile));
        expectCheap(m);
    }
}

// ---------------------------------------------------------------------------
// Version 7.3 (HDF5) files: a cell holding itself overflowed matio's stack,
// a structure linking to itself made it loop with growing memory, and a
// never-written 2 x 2e7 array took 654 MB and was read as zeros. Each is
// refused cheaply as a command-line record, a catalogue record and the
// layout file; sound version 7.3 files give what their version 5 copies
// give.

TEST(FaultMat73, DamagedFilesAreRefusedCheaplyWhereverTheyAreRead) {
    for (const auto& fault : testing::mat73Faults()) {
        SCOPED_TRACE(fault.kind);
        // As a command-line record, and in one session as a catalogue record
        // and the layout file.
        DataCopy data;
        const std::string record = data.file(kRecordFile).string();
        fault.write(record, kRecordName);
        fault.write(data.layout().string(), "mat0");
        const Measured cli = runMeasured("velmora-spectra", {record});
        EXPECT_EQ(cli.status, 1) << cli.out;
        EXPECT_TRUE(has(cli.out, "\"" + record + "\": the file is damaged"));
        expectCheap(cli);
        const Measured session = runMeasured("velmora-script", {}, kCatalogueRun, data.env());
        EXPECT_EQ(session.status, 0) << session.out;
        EXPECT_TRUE(has(session.out, "error: "));
        EXPECT_TRUE(has(session.out, kRecordFile + std::string("\": the file is damaged")));
        EXPECT_TRUE(has(session.out, "velmora_gui.mat\": the file is damaged"));
        expectCheap(session);
        expectRefusedAndRecovered(runScript(failingRunSession("2", "set EQ [1 5]\n"), data.env()),
                                  "the file is damaged");
    }
}

TEST(FuzzFindings, Version73FilesThatBreakHdf5AreRefusedCheaply) {
    const fs::path corpus = fs::path(VELMORA_SOURCE_DIR) / "tests/fuzz/corpus/fuzz_matfile";
    int tried = 0;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        if (entry.path().filename().string().rfind("finding-v73-", 0) != 0) continue;
        SCOPED_TRACE(entry.path().filename().string());
        // Named as a MAT-file, so that it is read as one.
        DataCopy data;
        const std::string record = data.file(kRecordFile).string();
        fs::copy_file(entry.path(), record, fs::copy_options::overwrite_existing);
        const Measured m = runMeasured("velmora-spectra", {record});
        EXPECT_EQ(m.status, 1) << m.out;
        EXPECT_TRUE(has(m.out, "\"" + record + "\": the file is damaged or truncated."));
        expectCheap(m);
        ++tried;
    }
    EXPECT_GE(tried, 5);
}

// Against the build's own version 5 files.
TEST(FaultMat73, SoundFilesGiveWhatTheirVersion5CopiesGive) {
    DataCopy v73;
    const std::string record = v73.file(kRecordFile).string(), layout = v73.layout().string();
    for (const std::string& file : {record, layout}) {
        saveMatFile(file, mlfLoadStruct(file), MatVersion::V73);
    }
    EXPECT_EQ(spectra_test::spectraOut({record}),
              spectra_test::spectraOut({std::string(VELMORA_BUILD_DIR) + "/data/" + kRecordFile}));
    const auto r = runScript(kCatalogueRun, v73.env());
    EXPECT_TRUE(r.errors.empty() && warnings(r).empty()) << r.out;
    expectSameGlobals(runScript(kCatalogueRun).lastDump(), r.lastDump(), "");
}

}  // namespace
}  // namespace velmora
