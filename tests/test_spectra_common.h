// What the velmora-spectra tests share: running the program, a scratch
// folder, and readers of its CSV and JSON output.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "support/script_runner.h"

namespace velmora::spectra_test {

namespace fs = std::filesystem;
using nlohmann::json;
using velmora::testing::ProcessResult;

inline ProcessResult spectra(const std::vector<std::string>& args) {
    return velmora::testing::runProcess(velmora::testing::builtProgram("velmora-spectra"), args, "",
                                        {"QT_QPA_PLATFORM=offscreen"});
}

// What a run that must succeed printed.
inline std::string spectraOut(const std::vector<std::string>& args) {
    const ProcessResult r = spectra(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
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

    // The names of the files in the folder, hidden ones too, sorted.
    std::vector<std::string> fileNames() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path_)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    fs::path path_;
};

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
