#include "engine/record_file.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>

#include "host/matfile.h"
#include "host/value.h"

#ifndef VELMORA_SHARE_DATA
#define VELMORA_SHARE_DATA "/usr/local/share/velmora/data"
#endif

namespace fs = std::filesystem;

namespace velmora {

namespace {

// The folders an executable finds its data in without any setting: "data"
// beside it (a build tree or an unpacked copy), then the data folder of the
// install it belongs to, found from where it really is, so an install under
// any prefix (or a package unpacked anywhere) runs as it is.
std::string fromExecutable() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    const fs::path bin = exe.parent_path();
    for (const fs::path& data :
         {bin / "data", (bin / "../share/velmora/data").lexically_normal()}) {
        if (fs::is_directory(data, ec)) return data.string();
    }
    return {};
}

std::string variableName(std::string fileName) {
    const std::string ext = ".mat";
    for (std::size_t at; (at = fileName.find(ext)) != std::string::npos;) fileName.erase(at, 4);
    return fileName;
}

}  // namespace

std::string dataFolder() {
    if (const char* env = std::getenv("VELMORA_DATA"); env && *env) return env;
    if (std::string found = fromExecutable(); !found.empty()) return found;
    return VELMORA_SHARE_DATA;
}

std::vector<double> loadRecordAcceleration(const std::string& fileName) {
    const std::string folder = dataFolder();
    const std::string path = (fs::path(folder) / fileName).string();
    const std::string what = "record file '" + fileName + "'";
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        throw Error("Cannot find the " + what + " in the data folder " + folder + ".");
    }
    std::map<std::string, Value> vars;
    try {
        vars = mlfLoadStruct(path);
    } catch (const Error& e) {
        throw Error("Cannot read the " + what + " as a MAT-file: " + e.what());
    }
    const std::string name = variableName(fileName);
    const auto it = vars.find(name);
    if (it == vars.end()) {
        throw Error("The " + what + " holds no variable named '" + name + "'.");
    }
    const Value& m = it->second;
    if (!m.isDouble() || m.isEmpty()) {
        throw Error("The variable '" + name + "' in the " + what +
                    " is not a non-empty numeric matrix.");
    }
    if (m.cols() < 2) {
        throw Error("The variable '" + name + "' in the " + what +
                    " has fewer than 2 columns (time and acceleration).");
    }
    const auto first = m.data().begin() + static_cast<std::ptrdiff_t>(m.rows());
    std::vector<double> acceleration(first, first + static_cast<std::ptrdiff_t>(m.rows()));
    // A NaN or infinite sample would turn every ordinate of the spectra into
    // NaN without a word; such a record is refused like an unreadable one.
    for (std::size_t k = 0; k < acceleration.size(); ++k) {
        if (!std::isfinite(acceleration[k])) {
            throw Error("The variable '" + name + "' in the " + what + " has a sample that is " +
                        (std::isnan(acceleration[k]) ? "NaN" : "infinite") + " (row " +
                        std::to_string(k + 1) + " of column 2).");
        }
    }
    return acceleration;
}

}  // namespace velmora
