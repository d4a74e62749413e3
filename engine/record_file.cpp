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
    const fs::path bin = executableFolder();
    if (bin.empty()) return {};
    std::error_code ec;
    for (const fs::path& data :
         {bin / "data", (bin / "../share/velmora/data").lexically_normal()}) {
        if (fs::is_directory(data, ec)) return data.string();
    }
    return {};
}

}  // namespace

fs::path executableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

std::string dataFolder() {
    if (const char* env = std::getenv("VELMORA_DATA"); env && *env) return env;
    if (std::string found = fromExecutable(); !found.empty()) return found;
    return VELMORA_SHARE_DATA;
}

std::string recordVariableName(const std::string& fileName) {
    const std::string ext = ".mat";
    std::string name;
    std::size_t from = 0;
    for (std::size_t at; (at = fileName.find(ext, from)) != std::string::npos;
         from = at + ext.size()) {
        name.append(fileName, from, at - from);
    }
    return name.append(fileName, from);
}

std::string recordVariableText(const std::string& fileName) {
    return "The variable '" + recordVariableName(fileName) + "' in the record file '" + fileName +
           "'";
}

void requireFiniteSamples(const std::vector<double>& samples, const std::string& what) {
    // A NaN or infinite sample would turn every ordinate of the spectra into
    // NaN without a word; such a record is refused like an unreadable one.
    for (std::size_t k = 0; k < samples.size(); ++k) {
        if (!std::isfinite(samples[k])) {
            throw Error(what + " has a sample that is " +
                        (std::isnan(samples[k]) ? "NaN" : "infinite") + " (row " +
                        std::to_string(k + 1) + " of column 2).");
        }
    }
}

RecordFile readRecordFile(const std::string& fileName) {
    const std::string folder = dataFolder();
    const std::string path = (fs::path(folder) / fileName).string();
    const std::string what = "record file '" + fileName + "'";
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        throw Error("Cannot find the " + what + " in the data folder " + folder + ".");
    }
    const std::string name = recordVariableName(fileName);
    // Only the record and its provenance are read: whatever else a user's
    // file carries is not looked at. A provenance that cannot be read is
    // no reason to refuse the record, so the record is then read alone.
    std::map<std::string, Value> vars;
    try {
        try {
            vars = mclLoadConditional(path, {name, kProvenanceVariable});
        } catch (const Error&) {
            vars = mclLoadConditional(path, {name});
        }
    } catch (const Error& e) {
        throw Error("Cannot read the " + what + " as a MAT-file: " + e.what());
    }
    const auto it = vars.find(name);
    if (it == vars.end()) {
        throw Error("The " + what + " holds no variable named '" + name + "'.");
    }
    const Value& m = it->second;
    const std::string variable = recordVariableText(fileName);
    if (!m.isDouble() || m.isEmpty()) {
        throw Error(variable + " is not a non-empty numeric matrix.");
    }
    if (m.cols() < 2) {
        throw Error(variable + " has fewer than 2 columns (time and acceleration).");
    }
    if (m.rows() < m.cols()) {
        // Most likely [time; acceleration] saved as rows: reading column 2
        // would give a record of a sample or two.
        throw Error(variable + " is a " + std::to_string(m.rows()) + " x " +
                    std::to_string(m.cols()) +
                    " matrix: it needs one row per sample (time in column 1, acceleration in "
                    "column 2).");
    }
    RecordFile record;
    const auto first = m.data().begin() + static_cast<std::ptrdiff_t>(m.rows());
    record.acceleration.assign(first, first + static_cast<std::ptrdiff_t>(m.rows()));
    requireFiniteSamples(record.acceleration, variable);
    const auto provenance = vars.find(kProvenanceVariable);
    if (provenance != vars.end() && provenance->second.isChar() && !provenance->second.isEmpty()) {
        record.standIn = provenance->second.charRows().front().rfind(kStandInMark, 0) == 0;
    }
    return record;
}

std::vector<double> loadRecordAcceleration(const std::string& fileName) {
    return readRecordFile(fileName).acceleration;
}

}  // namespace velmora
