// Fault injection: damaged record files, a damaged or incomplete layout
// file and an unusable data folder, met in velmora-script sessions on a
// scratch copy of the data folder. Every fault must give a message naming
// the file, leave the session running, and leave the last results and the
// user's choices as they were. Also the regression tests of what fuzzing
// found.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>

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

// The record every fault below is put into: catalogue record 5.
const char* const kRecordFile = "Nridge1.mat";
const char* const kRecordName = "Nridge1";

const char* const kResults[] = {"SD", "SV", "PSV", "SA", "ACC", "PERIOD", "TIME"};
const char* const kChoices[] = {"option", "RECORD", "SCALE1", "numdamp",   "damp",
                                "DAMP",   "EQ",     "SCALE2", "numquakes", "EQ_SC"};

// A scratch copy of the build's data folder (its MAT-files only), removed
// at the end of the test.
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
        fs::permissions(dir(), fs::perms::owner_all, ec);
    }
    const fs::path& dir() const { return path(); }
    fs::path file(const std::string& name) const { return path() / name; }
    std::vector<std::string> env() const { return {"VELMORA_DATA=" + str()}; }
};

Value originalRecord(const DataCopy& data) {
    return mlfLoadStruct(data.file(kRecordFile).string()).at(kRecordName);
}

// One kind of damaged record file: how it is made, and a word of the reason
// the message must give; or a sound file and choices that spoil it.
struct BadRecord {
    const char* kind;
    void (*make)(const DataCopy&);
    const char* reason;
    const char* option1Change = "set RECORD 5\n";
    const char* option2Change = "set EQ [1 5]\n";
};

void withSample(const DataCopy& data, double x) {
    Value m = originalRecord(data);
    m.set(100, 2, x);
    saveMatFile(data.file(kRecordFile).string(), {{kRecordName, m}});
}

const BadRecord kBadRecords[] = {
    {"missing", [](const DataCopy& d) { fs::remove(d.file(kRecordFile)); }, "Cannot find"},
    {"truncated",
     [](const DataCopy& d) {
         fs::resize_file(d.file(kRecordFile), fs::file_size(d.file(kRecordFile)) / 2);
     },
     "truncated"},
    {"char instead of double",
     [](const DataCopy& d) {
         saveMatFile(d.file(kRecordFile).string(), {{kRecordName, Value::text("0.02 0.1")}});
     },
     "not a non-empty numeric matrix"},
    {"cell instead of double",
     [](const DataCopy& d) {
         saveMatFile(d.file(kRecordFile).string(),
                     {{kRecordName, Value::cellRow({Value::row({0.0, 0.1})})}});
     },
     "not a non-empty numeric matrix"},
    {"wrong variable name",
     [](const DataCopy& d) {
         saveMatFile(d.file(kRecordFile).string(), {{"Nridge", originalRecord(d)}});
     },
     "holds no variable named 'Nridge1'"},
    {"one column",
     [](const DataCopy& d) {
         const Value m = originalRecord(d);
         const auto rows = static_cast<std::ptrdiff_t>(m.rows());
         const std::vector<double> acceleration(m.data().begin() + rows,
                                                m.data().begin() + 2 * rows);
         saveMatFile(d.file(kRecordFile).string(), {{kRecordName, Value::column(acceleration)}});
     },
     "fewer than 2 columns"},
    {"[time; acceleration] as rows (2 x N)",
     [](const DataCopy& d) {
         const Value m = originalRecord(d);
         std::vector<double> rows;
         for (std::size_t k = 1; k <= m.rows(); ++k) {
             rows.push_back(m(k, 1));
             rows.push_back(m(k, 2));
         }
         saveMatFile(d.file(kRecordFile).string(),
                     {{kRecordName, Value::matrix(2, m.rows(), rows)}});
     },
     "is a 2 x 2000 matrix"},
    {"one [time acceleration] row (1 x 2)",
     [](const DataCopy& d) {
         saveMatFile(d.file(kRecordFile).string(), {{kRecordName, Value::row({0.0, 0.5})}});
     },
     "is a 1 x 2 matrix"},
    {"NaN sample",
     [](const DataCopy& d) { withSample(d, std::numeric_limits<double>::quiet_NaN()); },
     "NaN (row 100 of column 2)"},
    {"infinite sample",
     [](const DataCopy& d) { withSample(d, -std::numeric_limits<double>::infinity()); },
     "infinite (row 100 of column 2)"},
    {"zero length (0 x 2)",
     [](const DataCopy& d) {
         saveMatFile(d.file(kRecordFile).string(), {{kRecordName, Value::matrix(0, 2, {})}});
     },
     "not a non-empty numeric matrix"},
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

std::string failingRunSession(const std::string& option, const std::string& choices,
                              const std::string& change) {
    return "set option " + option + "\n" + choices + "eval velmora_gui06(0)\n" + change +
           "dump\neval velmora_gui06(0)\ndump\n" + choices + "eval velmora_gui06(0)\ndump\n";
}

std::string option1Session(const std::string& change = "set RECORD 5\n") {
    return failingRunSession("1", kOption1Choices, change);
}

std::string option2Session(const std::string& change = "set EQ [1 5]\n") {
    return failingRunSession("2", kOption2Choices, change);
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
    const json& before = r.dumps[0];
    const json& after = r.dumps[1];
    const json& again = r.dumps[2];
    EXPECT_FALSE(numbers(global(before, "SD")).empty());
    expectSameGlobals(before, after, "after the fault: ");
    // The same inputs as the first run give the same results again.
    expectSameGlobals(before, again, "the next run: ", false);
}

TEST(FaultRecords, EveryDamagedRecordIsRefusedInBothOptions) {
    for (const BadRecord& bad : kBadRecords) {
        SCOPED_TRACE(bad.kind);
        DataCopy data;
        bad.make(data);
        for (const std::string& session :
             {option1Session(bad.option1Change), option2Session(bad.option2Change)}) {
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
        const std::string session =
            std::string(c.option) == "1" ? option1Session(c.change) : option2Session(c.change);
        const auto r = runScript(session);
        expectRefusedAndRecovered(r, c.reason, c.reason);
        // No please-wait window is left, and the run's screen is back.
        ASSERT_EQ(r.dumps.size(), 3u);
        for (const auto& figure : r.dumps[1].at("figures")) {
            EXPECT_NE(propText(figure, "Name"), "VELMORA: Please Wait...");
        }
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
    EXPECT_EQ(scalar(global(r.dumps[1], "RECORD")), 2);
}

// ---------------------------------------------------------------------------
// The layout file: the built-in layout stands in with one warning naming
// the file, and the program computes the same results.

const std::string kLayoutRun = "set option 1\nset numdamp 2\neval velmora_gui06(0)\ndump\n";

std::vector<std::string> warnings(const ScriptResult& r) {
    std::vector<std::string> out;
    for (const auto& line : r.outLines()) {
        if (line.rfind("Warning: ", 0) == 0) out.push_back(line);
    }
    return out;
}

json referenceRun() {
    DataCopy data;
    const auto r = runScript(kLayoutRun, data.env());
    EXPECT_TRUE(warnings(r).empty()) << r.out;
    return r.lastDump();
}

void expectLayoutFallback(const DataCopy& data, const std::string& reason) {
    static const json reference = referenceRun();
    const auto r = runScript(kLayoutRun, data.env());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.errors.empty()) << r.out;
    const auto w = warnings(r);
    ASSERT_EQ(w.size(), 1u) << r.out;
    EXPECT_TRUE(has(w[0], "velmora_gui.mat"));
    EXPECT_TRUE(has(w[0], reason));
    expectSameGlobals(reference, r.lastDump(), "");
    EXPECT_EQ(global(r.lastDump(), "mat0").at("size"), json::array({64, 3}));
}

TEST(FaultLayout, EveryDamagedLayoutFileGivesWayToTheBuiltInLayout) {
    const struct {
        const char* removed;  // the matrix taken out; null: the file damaged
        void (*make)(const fs::path&);
        const char* reason;
    } cases[] = {
        {nullptr, [](const fs::path& f) { fs::remove(f); }, "velmora_gui.mat"},
        {nullptr, [](const fs::path& f) { fs::resize_file(f, fs::file_size(f) / 2); }, "truncated"},
        {"mat0", nullptr, "holds no \"mat0\""},
        {"mat1", nullptr, "holds no \"mat1\""},
        {"mat2", nullptr, "holds no \"mat2\""},
        {"mat3", nullptr, "holds no \"mat3\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        DataCopy data;
        const fs::path layout = data.file("velmora_gui.mat");
        if (c.make) c.make(layout);
        if (c.removed) {
            auto arrays = mlfLoadStruct(layout.string());
            ASSERT_EQ(arrays.erase(c.removed), 1u);
            saveMatFile(layout.string(), arrays);
        }
        expectLayoutFallback(data, c.reason);
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
    ASSERT_EQ(r.dumps.size(), 2u);
    for (const json& d : r.dumps) {
        for (const char* name : kResults) EXPECT_TRUE(numbers(global(d, name)).empty()) << name;
        EXPECT_EQ(scalar(global(d, "RECORD")), 3);
        EXPECT_EQ(scalar(global(d, "numdamp")), 1);
        EXPECT_EQ(numbers(global(d, "EQ")), (std::vector<std::vector<double>>{{1, 5, 10}}));
    }
}

TEST(FaultDataFolder, DataPathIsARegularFile) {
    DataCopy data;
    fs::copy_file(data.file("Kobe.mat"), data.file("not-a-folder"));
    expectNoDataFolder(data.file("not-a-folder").string());
}

TEST(FaultDataFolder, DataFolderThatCannotBeRead) {
    if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not stop reading";
    DataCopy data;
    fs::permissions(data.dir(), fs::perms::none);
    expectNoDataFolder(data.dir().string());
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
    const auto eq = numbers(global(r.lastDump(), "EQ"));
    for (const auto& row : eq) {
        for (double record : row) {
            EXPECT_TRUE(record >= 1 && record <= 21 && std::floor(record) == record)
                << "EQ entry " << record;
        }
    }
}

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
                       std::int32_t cols, const std::string& contents) {
    const std::uint32_t flags[2] = {cls, 0};
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

// A record whose header declares 2,000,000 rows but whose data holds 4:
// matio fills the missing rows with zeros, and the run computed the spectra
// of a record of silence without a word.
TEST(FuzzFindings, RecordDeclaringMoreRowsThanItHoldsIsRefused) {
    DataCopy data;
    spectra_test::writeText(
        data.file(kRecordFile),
        mat5File(mat5Matrix(kRecordName, 6, 2000000, 2,
                            doubles({0, 0.02, 0.04, 0.06, 0.1, -0.2, 0.3, -0.1}))));
    expectRefusedAndRecovered(runScript(option1Session(), data.env()), "damaged or truncated");
}

// The largest resident size velmora-script reached running `script` on the
// data folder `data`, with what it printed. The high-water mark is the
// program's own, read while it waits for more input: the rusage of a child
// would count the test process it was forked from, which under valgrind or
// a sanitizer is large.
struct Measured {
    int status = -1;  // when known
    std::string out;
    long peakKb = -1;
    long peakVirtualKb = -1;  // -1: not known
    double cpuSeconds = -1;
};

// The processor time a process has used so far, from /proc.
double cpuSecondsOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // Fields after the command name (which may hold blanks): state is the
    // 3rd field, user and system time the 14th and 15th.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i >= 14) ticks += std::stod(field);
    }
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

Measured runMeasured(const DataCopy& data, const std::string& script) {
    Measured m;
    int in[2], out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0) return m;
    const std::string program = builtProgram("velmora-script");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(out[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1]}) ::close(fd);
        ::setenv("VELMORA_DATA", data.dir().c_str(), 1);
        ::execl(program.c_str(), "velmora-script", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    const std::string input = script + "stats\n";  // a few lines: fits the pipe
    EXPECT_EQ(::write(in[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    char buf[4096];
    while (m.out.find("{\"figures\"") == std::string::npos) {
        pollfd ready{out[0], POLLIN, 0};
        if (::poll(&ready, 1, 60000) <= 0) break;
        const ssize_t got = ::read(out[0], buf, sizeof buf);
        if (got <= 0) break;
        m.out.append(buf, static_cast<std::size_t>(got));
    }
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) m.peakKb = std::stol(line.substr(6));
        if (line.rfind("VmPeak:", 0) == 0) m.peakVirtualKb = std::stol(line.substr(7));
    }
    m.cpuSeconds = cpuSecondsOf(pid);
    // A program still busy after a minute is looping: stopped, not waited for.
    if (m.out.find("{\"figures\"") == std::string::npos) ::kill(pid, SIGKILL);
    ::close(in[1]);
    for (ssize_t got; (got = ::read(out[0], buf, sizeof buf)) > 0;) {
        m.out.append(buf, static_cast<std::size_t>(got));
    }
    ::close(out[0]);
    int exitStatus = 0;
    ::waitpid(pid, &exitStatus, 0);
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

// A catalogue record file holding `bytes` is refused cheaply.
void expectRefusedCheaply(const std::string& bytes) {
    DataCopy data;
    spectra_test::writeText(data.file(kRecordFile), bytes);
    const Measured m =
        runMeasured(data, "set option 1\nset RECORD 5\nset numdamp 1\neval velmora_gui06(0)\n");
    EXPECT_TRUE(has(m.out, "error: "));
    EXPECT_TRUE(has(m.out, kRecordFile));
    expectCheap(m);
}

// A cell whose header declares 40,000,000 elements in a file of 200 bytes:
// matio allocates and walks every declared element before anything can be
// refused (320 MB and 2 s here; a 240-byte file declaring 5e8 took 4 GB
// and 17 s).
TEST(FuzzFindings, CellDeclaringMoreElementsThanItHoldsIsRefusedCheaply) {
    expectRefusedCheaply(
        mat5File(mat5Matrix(kRecordName, 1, 1, 40000000, mat5Matrix("", 6, 1, 1, doubles({1.0})))));
}

// An array whose tag declares no bytes at all: matio reads the array header
// that follows all the same, here a cell of 40,000,000 elements (the file
// fuzzing found declared 1.7e10 and asked for 135 GB).
TEST(FuzzFindings, ArrayDeclaringNoBytesIsRefusedCheaply) {
    // Flags, dims and the name in the 4-byte form, so that the words after
    // the empty tag also read as well-formed elements of their own.
    const std::uint32_t cellHeader[10] = {6, 8, 1, 0, 5, 8, 40000000, 1, 3u << 16 | 1, 0x636552};
    expectRefusedCheaply(
        mat5File(mat5Element(14, "") +
                 std::string(reinterpret_cast<const char*>(cellHeader), sizeof cellHeader) +
                 mat5Matrix("", 6, 1, 1, doubles({1.0}))));
}

// A cell holding a sparse array whose data tag declares 2 GB in a file of
// 300 bytes: reading the cell, matio allocates the declared data of its
// elements before the program can refuse the sparse class. It reads that
// tag whether it lies inside the sparse array's element or after it.
TEST(FuzzFindings, SparseArrayInACellDeclaringMoreThanItHoldsIsRefusedCheaply) {
    const std::uint32_t flags[2] = {5, 1};
    const std::int32_t dims[2] = {1, 1};
    const std::uint32_t hugeTag[2] = {9, 0x7F000008};
    const std::string header =
        mat5Element(6, std::string(reinterpret_cast<const char*>(flags), 8)) +
        mat5Element(5, std::string(reinterpret_cast<const char*>(dims), 8)) + mat5Element(1, "");
    const std::string data =
        std::string(reinterpret_cast<const char*>(hugeTag), 8) + std::string(8, '\0');
    for (const std::string& sparse :
         {mat5Element(14, header + data), mat5Element(14, header) + data}) {
        expectRefusedCheaply(mat5File(mat5Matrix(kRecordName, 1, 1, 1, sparse)));
    }
}

// A version 4 header whose name length is 300,000,000 bytes in a file of 88:
// matio allocates and reads the declared name while opening the file, before
// the program's size checks run (300 MB and 1.3 s here; 1.3e9 took 1.4 GB).
std::string version4Header(std::int32_t type, std::int32_t rows, std::int32_t cols,
                           std::int32_t nameLength = 8) {
    const std::int32_t head[5] = {type, rows, cols, 0, nameLength};
    return std::string(reinterpret_cast<const char*>(head), sizeof head) + kRecordName +
           std::string(1, '\0');
}

TEST(FuzzFindings, Version4HeaderDeclaringAHugeNameIsRefusedCheaply) {
    const std::vector<double> values = {0, 0.02, 0.04, 0.06, 0.1, -0.2, 0.3, -0.1};
    expectRefusedCheaply(
        version4Header(0, 4, 2, 300000000) +
        std::string(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(double)));
}

// A text array of 0 x 300,000,000 characters in a file of 28 bytes: no
// characters, yet a row of 3e8 blanks was built for it (300 MB here).
TEST(FuzzFindings, EmptyTextWithAHugeWidthIsReadCheaply) {
    expectRefusedCheaply(version4Header(51, 0, 300000000));
}

// A version 4 text array whose width is negative (0 x -5): the loader let a
// std::length_error through, so the message was "Internal error:
// basic_string::_M_create" and did not name the file.
TEST(FuzzFindings, NegativeSizeGivesAMessageNamingTheFile) {
    DataCopy data;
    spectra_test::writeText(data.file(kRecordFile), version4Header(51, 0, -5));
    expectRefusedAndRecovered(runScript(option1Session(), data.env()), "as a MAT-file");
}

// ---------------------------------------------------------------------------
// Version 7.3 (HDF5) files: a cell holding itself overflowed matio's stack,
// a structure linking to itself made it loop with growing memory, and a
// never-written 2 x 2e7 array took 654 MB and was read as zeros. Each is
// refused cheaply as a command-line record, a catalogue record and the
// layout file; sound version 7.3 files give what their version 5 copies
// give.

// A built program run by python3, which reports the largest resident size
// and the processor time of the program and of every process it started
// (a version 7.3 file is checked in a child process): in a child forked
// from this test the test's own size would count. The program's output
// and errors follow the figures.
Measured runWithRusage(const std::string& program, const std::vector<std::string>& args,
                       const std::string& input = "", const std::vector<std::string>& env = {}) {
    const char* const kMeasure =
        "import resource, subprocess, sys\n"
        "p = subprocess.run(sys.argv[1:], input=sys.stdin.buffer.read(),"
        " stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)\n"
        "r = resource.getrusage(resource.RUSAGE_CHILDREN)\n"
        "print(p.returncode, r.ru_maxrss, r.ru_utime + r.ru_stime)\n"
        "sys.stdout.write(p.stdout.decode('utf-8', 'replace'))\n";
    using spectra_test::operator+;
    const auto r = runProcess(
        "/usr/bin/python3", std::vector<std::string>{"-c", kMeasure, builtProgram(program)} + args,
        input, env);
    Measured m;
    std::istringstream in(r.out);
    in >> m.status >> m.peakKb >> m.cpuSeconds;
    m.out = r.out + r.err;
    return m;
}

const std::string kCatalogueRun =
    "set option 1\nset RECORD 5\nset numdamp 1\neval velmora_gui06(0)\ndump\n";

TEST(FaultMat73, DamagedFilesAreRefusedCheaplyWhereverTheyAreRead) {
    ASSERT_EQ(testing::mat73Faults().size(), 3u);
    for (const auto& fault : testing::mat73Faults()) {
        SCOPED_TRACE(fault.kind);
        // As a command-line record, a catalogue record and the layout file.
        DataCopy asRecord, asCatalogue, asLayout;
        const std::string record = asRecord.file(kRecordFile).string();
        fault.write(record, kRecordName);
        fault.write(asCatalogue.file(kRecordFile).string(), kRecordName);
        fault.write(asLayout.file("velmora_gui.mat").string(), "mat0");
        const Measured cli = runWithRusage("velmora-spectra", {record});
        EXPECT_EQ(cli.status, 1) << cli.out;
        EXPECT_TRUE(has(cli.out, "\"" + record + "\": the file is damaged"));
        expectCheap(cli);
        const Measured catalogue =
            runWithRusage("velmora-script", {}, kCatalogueRun, asCatalogue.env());
        EXPECT_EQ(catalogue.status, 0) << catalogue.out;
        EXPECT_TRUE(has(catalogue.out, "error: "));
        EXPECT_TRUE(has(catalogue.out, kRecordFile + std::string("\": the file is damaged")));
        expectCheap(catalogue);
        expectRefusedAndRecovered(runScript(option2Session(), asCatalogue.env()),
                                  "the file is damaged");
        const Measured layout = runWithRusage("velmora-script", {}, kCatalogueRun, asLayout.env());
        EXPECT_EQ(layout.status, 0) << layout.out;
        EXPECT_TRUE(has(layout.out, "velmora_gui.mat\": the file is damaged"));
        expectCheap(layout);
        expectLayoutFallback(asLayout, "the file is damaged");
    }
}

TEST(FuzzFindings, Version73FilesThatBreakHdf5AreRefusedCheaply) {
    const fs::path corpus = fs::path(VELMORA_SOURCE_DIR) / "tests/fuzz/corpus/fuzz_matfile";
    int tried = 0;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        if (entry.path().filename().string().rfind("finding-v73-", 0) != 0) continue;
        SCOPED_TRACE(entry.path().filename().string());
        DataCopy data;
        const std::string record = data.file(kRecordFile).string();
        fs::copy_file(entry.path(), record, fs::copy_options::overwrite_existing);
        const Measured m = runWithRusage("velmora-spectra", {record});
        EXPECT_EQ(m.status, 1) << m.out;
        EXPECT_TRUE(has(m.out, "\"" + record + "\": the file is damaged or truncated."));
        expectCheap(m);
        ++tried;
    }
    EXPECT_GE(tried, 5);
}

TEST(FaultMat73, SoundFilesGiveWhatTheirVersion5CopiesGive) {
    DataCopy v5;
    DataCopy v73;
    const std::string record = v73.file(kRecordFile).string();
    saveMatFile(record, mlfLoadStruct(v5.file(kRecordFile).string()), MatVersion::V73);
    const std::string layout = v73.file("velmora_gui.mat").string();
    saveMatFile(layout, mlfLoadStruct(layout), MatVersion::V73);
    ASSERT_EQ(mlfLoadStruct(record), mlfLoadStruct(v5.file(kRecordFile).string()));

    EXPECT_EQ(spectra_test::spectraOut({record}),
              spectra_test::spectraOut({v5.file(kRecordFile).string()}));
    const auto expected = runScript(kCatalogueRun, v5.env());
    const auto r = runScript(kCatalogueRun, v73.env());
    EXPECT_TRUE(r.errors.empty() && warnings(r).empty()) << r.out;
    EXPECT_FALSE(numbers(global(r.lastDump(), "SD")).empty());
    expectSameGlobals(expected.lastDump(), r.lastDump(), "");
}

}  // namespace
}  // namespace velmora
