// MAT-files and the catalogue's records.
#include <cmath>
#include <filesystem>
#include <map>
#include <mutex>

#include "app/catalogue.h"
#include "cli/record_formats.h"
#include "cli/record_text.h"
#include "engine/record_file.h"
#include "engine/solver.h"
#include "host/matfile.h"
#include "host/value.h"

namespace fs = std::filesystem;

namespace velmora::spectra {

namespace {

// MAT-files are read one at a time: HDF5, under version 7.3 files, is not
// safe to call from several threads at once.
std::mutex& matioMutex() {
    static std::mutex m;
    return m;
}

// The program's rule: the variable is the file name with ".mat" removed.
std::string variableNamedAfter(const std::string& fileName) {
    std::string name = fileName;
    for (std::size_t at; (at = lowerCase(name).find(".mat")) != std::string::npos;)
        name.erase(at, 4);
    return name;
}

void requireFinite(const std::vector<double>& samples, const std::string& what) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!std::isfinite(samples[i])) {
            throw RecordError(what + " sample " + std::to_string(i + 1) + " is " +
                              (std::isnan(samples[i]) ? "NaN" : "infinite"));
        }
    }
}

// The variables a file holds, for a message: the first few by name.
std::string heldNames(const std::string& path) {
    constexpr std::size_t kShown = 8;
    std::string held;
    std::size_t count = 0;
    try {
        for (const auto& entry : mlfLoadStruct(path)) {
            if (++count <= kShown) held += (held.empty() ? "" : ", ") + printableText(entry.first);
        }
    } catch (const Error&) {
    }
    if (count > kShown) held += " and " + std::to_string(count - kShown) + " more";
    return held;
}

}  // namespace

RawRecord readMat(const std::string& path, const ReadSettings& settings) {
    // Read by seeking, so a regular file.
    requireRecordFile(path, false, settings.maxFileBytes);
    const std::string name = settings.variable.empty()
                                 ? variableNamedAfter(fs::path(path).filename().string())
                                 : settings.variable;
    Value m;
    {
        const std::lock_guard lock(matioMutex());
        std::map<std::string, Value> vars;
        try {
            vars = mclLoadConditional(path, {name});
        } catch (const Error& e) {
            throw RecordError(std::string("cannot be read as a MAT-file: ") + e.what());
        }
        const auto it = vars.find(name);
        if (it == vars.end()) {
            const std::string held = heldNames(path);
            throw RecordError(
                "holds no variable named " + quotedText(name) +
                (held.empty() ? std::string() : " (it holds " + held + "); use --var"));
        }
        m = std::move(it->second);
    }
    const std::string what = "variable " + quotedText(name);
    if (!m.isDouble() || m.isEmpty()) {
        throw RecordError(what + " is not a numeric matrix with samples");
    }
    RawRecord r;
    r.format = RecordFormat::Mat;
    const std::vector<double>& data = m.data();
    if (m.rows() == 1 || m.cols() == 1) {
        r.samples = data;
    } else if (m.rows() < m.cols()) {
        // [t; a] stored as rows would otherwise be a record of two samples.
        throw RecordError(what + " has " + std::to_string(m.rows()) + " rows x " +
                          std::to_string(m.cols()) +
                          " columns; a record is one row per sample (time in column 1, "
                          "acceleration in column 2) or a single row or column of accelerations");
    } else {
        // Column 1 is time, column 2 the acceleration; further columns are
        // not read.
        const auto rows = static_cast<std::ptrdiff_t>(m.rows());
        r.samples.assign(data.begin() + rows, data.begin() + 2 * rows);
        const std::vector<double> times(data.begin(), data.begin() + rows);
        if (!settings.timeStepGiven) requireFinite(times, what + " time");
        r.dt = fileTimeStep(times, settings);
    }
    requireFinite(r.samples, what);
    return r;
}

RawRecord readCatalogue(const RecordSource& source) {
    const std::string fileName = catalogueCells().cellAt(source.catalogueNumber + 1, 2).toText();
    RawRecord r;
    r.format = RecordFormat::Catalogue;
    r.dt = TIME_STEP;
    {
        const std::lock_guard lock(matioMutex());
        try {
            r.samples = loadRecordAcceleration(fileName);
        } catch (const Error& e) {
            throw RecordError(e.what());
        }
    }
    requireFinite(r.samples, "the record's");
    return r;
}

}  // namespace velmora::spectra
