// What the velmora-spectra tests share: running the program, a scratch
// folder, and readers of its CSV and JSON output.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "host/matfile.h"
#include "host/value.h"
#include "support/script_runner.h"

namespace velmora::spectra_test {

namespace fs = std::filesystem;
using nlohmann::json;
using velmora::testing::ProcessResult;

const std::string kFixtures = VELMORA_SOURCE_DIR "/tests/fixtures/";
constexpr double kG = 9.80665;  // m/s^2
// The two horizontal components of record RSN8883, in g.
const std::string kH1 = kFixtures + "RSN8883_14383980_13849090.AT2";
const std::string kH2 = kFixtures + "RSN8883_14383980_13849360.AT2";

inline std::string spectraProgram() {
    return velmora::testing::builtProgram("velmora-spectra");
}

// `env` is added to (and may override) the offscreen platform.
inline ProcessResult spectra(const std::vector<std::string>& args, const std::string& input = "",
                             std::vector<std::string> env = {}) {
    env.insert(env.begin(), "QT_QPA_PLATFORM=offscreen");
    return velmora::testing::runProcess(spectraProgram(), args, input, env);
}

// What a run that must succeed printed.
inline std::string spectraOut(const std::vector<std::string>& args) {
    const ProcessResult r = spectra(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

inline json spectraJson(const std::vector<std::string>& args) {
    return json::parse(spectraOut(args));
}

inline std::vector<std::string> operator+(std::vector<std::string> a,
                                          const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Whether `text` holds `part`, showing the text when not.
inline ::testing::AssertionResult has(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

// The lines of `text` that contain `part`.
inline std::vector<std::string> linesWith(const std::string& text, const std::string& part) {
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.find(part) != std::string::npos) found.push_back(line);
    }
    return found;
}

// The one error line a run printed for `file`; empty if none or several.
inline std::string messageFor(const ProcessResult& r, const std::string& file) {
    const auto lines = linesWith(r.err, "velmora-spectra: " + file + ": ");
    EXPECT_EQ(lines.size(), 1u) << file << "\n" << r.err;
    return lines.size() == 1 ? lines[0] : "";
}

// A bad option: status 2, nothing written, the option named.
inline void expectBadOption(const ProcessResult& r, const std::string& mention) {
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(has(r.err, mention));
}

// A fresh folder, removed with everything in it at the end of the test.
class ScratchFolder {
  public:
    ScratchFolder() {
        static std::atomic<int> counter{0};
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() /
                ("velmora-spectra-" + std::string(info ? info->name() : "test") + "-" +
                 std::to_string(::getpid()) + "-" + std::to_string(++counter));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

    // The names of the files in `sub` (the folder itself by default), hidden
    // ones too, sorted.
    std::vector<std::string> fileNames(const std::string& sub = "") const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path_ / sub)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    fs::path path_;
};

// No temporary file (hidden, beside the output) is left in `folder`.
inline void expectNoHiddenFiles(const fs::path& folder) {
    for (const auto& e : fs::directory_iterator(folder)) {
        EXPECT_NE(e.path().filename().string().front(), '.') << e.path();
    }
}

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    ASSERT_TRUE(out.good()) << path;
}

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string full(double x) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", x);
    return buffer;
}

// The shortest text that reads back as x, as the column headings give
// damping ratios.
inline std::string shortest(double x) {
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, x);
    return std::string(buffer, r.ptr);
}

// A record file of time and acceleration columns (full precision).
inline std::string twoColumns(const std::vector<double>& a, double dt,
                              const char* separator = " ") {
    std::string text;
    for (std::size_t i = 0; i < a.size(); ++i) {
        text += full(static_cast<double>(i) * dt) + separator + full(a[i]) + "\n";
    }
    return text;
}

inline std::string oneColumn(const std::vector<double>& a) {
    std::string text;
    for (double x : a) text += full(x) + "\n";
    return text;
}

// Values comma-separated, each in the shortest form that reads back as it.
inline std::string joined(const std::vector<double>& values) {
    std::string text;
    for (double x : values) text += (text.empty() ? "" : ",") + shortest(x);
    return text;
}

// A value as the NGA database writes it.
inline std::string eFormat(double x) {
    char value[32];
    std::snprintf(value, sizeof value, "%15.7E", x);
    return value;
}

// A PEER NGA .AT2 file: three title lines (the third naming the unit), the
// counts line, then the values five to a line in the database's E format.
inline std::string at2(const std::string& countsLine, const std::vector<double>& values,
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

struct Csv {
    std::vector<std::string> header;
    std::vector<std::vector<double>> rows;

    // The values of the column headed `name`.
    std::vector<double> column(const std::string& name) const {
        const auto it = std::find(header.begin(), header.end(), name);
        if (it == header.end()) {
            ADD_FAILURE() << "no column \"" << name << "\"";
            return {};
        }
        const auto c = static_cast<std::size_t>(it - header.begin());
        std::vector<double> values;
        for (const auto& row : rows) values.push_back(row.at(c));
        return values;
    }
};

inline Csv parseCsv(const std::string& text) {
    Csv csv;
    std::istringstream in(text);
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (line.rfind("#", 0) == 0) continue;  // the line saying how it was computed
        std::vector<std::string> fields;
        std::string field;
        std::istringstream cells(line);
        while (std::getline(cells, field, ',')) fields.push_back(field);
        if (first) {
            csv.header = fields;
            first = false;
            continue;
        }
        std::vector<double> row;
        for (const auto& f : fields) row.push_back(std::strtod(f.c_str(), nullptr));
        csv.rows.push_back(row);
    }
    return csv;
}

// A reproducible broadband record (LCG, values in -2..2 m/s^2).
inline std::vector<double> noiseRecord(std::size_t n, std::uint64_t seed) {
    std::vector<double> a(n);
    for (auto& x : a) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        x = (static_cast<double>(seed >> 11) * 0x1.0p-53 - 0.5) * 4.0;
    }
    return a;
}

inline bool sameBits(const std::vector<double>& x, const std::vector<double>& y) {
    return x.size() == y.size() &&
           (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) == 0);
}

}  // namespace velmora::spectra_test
