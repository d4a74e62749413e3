#include "cli/readers.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>

#include "app/catalogue.h"
#include "cli/numbers.h"
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

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string inQuotes(std::string_view s) {
    return "\"" + std::string(s) + "\"";
}

std::string lineText(std::size_t line) {
    return "line " + std::to_string(line);
}

// --- text scanning

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r' || c == '\f' || c == '\v';
}

// The fields of one line: numbers separated by blanks, commas or
// semicolons; quotes around a field are dropped.
class Fields {
  public:
    explicit Fields(std::string_view line) : rest_(line) {}
    bool next(std::string_view& field) {
        std::size_t i = 0;
        while (i < rest_.size() && isSeparator(rest_[i])) ++i;
        if (i == rest_.size()) return false;
        std::size_t j = i;
        while (j < rest_.size() && !isSeparator(rest_[j])) ++j;
        field = rest_.substr(i, j - i);
        rest_.remove_prefix(j);
        if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
            field = field.substr(1, field.size() - 2);
        }
        return true;
    }

  private:
    std::string_view rest_;
};

class Lines {
  public:
    explicit Lines(std::string_view text) : rest_(text) {}
    bool next(std::string_view& line) {
        if (done_) return false;
        const std::size_t at = rest_.find('\n');
        line = rest_.substr(0, at);
        ++number_;
        if (at == std::string_view::npos) {
            done_ = true;
            if (line.empty()) return false;
        } else {
            rest_.remove_prefix(at + 1);
        }
        return true;
    }
    std::size_t number() const { return number_; }

  private:
    std::string_view rest_;
    std::size_t number_ = 0;
    bool done_ = false;
};

bool blankOrComment(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    return i == line.size() || line[i] == '#';
}

double finiteValue(std::string_view field, std::size_t line) {
    double x = 0.0;
    if (!parseNumber(field, x))
        throw RecordError(lineText(line) + ": " + inQuotes(field) + " is not a number");
    if (!std::isfinite(x)) {
        throw RecordError(lineText(line) + ": " + inQuotes(field) + " is not a finite number");
    }
    return x;
}

std::string readWholeFile(const std::string& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) throw RecordError("no such file");
    if (fs::is_directory(path, ec)) throw RecordError("is a folder, not a record file");
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw RecordError("cannot open it: " + std::generic_category().message(errno));
    // Sized from the file system first (one read for a whole file), grown
    // further should the file be longer by the time it is read.
    const auto size = fs::file_size(path, ec);
    std::string text(ec ? 65536 : static_cast<std::size_t>(size) + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        used += std::fread(text.data() + used, 1, text.size() - used, f);
        if (used < text.size()) break;
        text.resize(text.size() * 2);
    }
    const bool failed = std::ferror(f) != 0;
    const int error = errno;
    std::fclose(f);
    if (failed) throw RecordError("cannot read it: " + std::generic_category().message(error));
    text.resize(used);
    return text;
}

// --- PEER NGA .AT2

// The fourth header line: "NPTS=  2688, DT= .0200 SEC" in any spacing and
// case, or the older "  2688   .0200   NPTS, DT" with the numbers first.
bool parseAt2Counts(std::string_view line, double& npts, double& dt) {
    const std::string up = [&] {
        std::string s(line);
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    }();
    auto numberAfter = [&](const std::string& key, double& value) {
        const std::size_t at = up.find(key);
        if (at == std::string::npos) return false;
        std::size_t i = at + key.size();
        while (i < up.size() && up[i] == ' ') ++i;
        if (i == up.size() || (up[i] != '=' && up[i] != ':')) return false;
        ++i;
        while (i < up.size() && up[i] == ' ') ++i;
        std::size_t j = i;
        while (j < up.size() && (std::isdigit(static_cast<unsigned char>(up[j])) || up[j] == '.' ||
                                 up[j] == 'E' || up[j] == 'D' || up[j] == '+' || up[j] == '-')) {
            ++j;
        }
        return parseNumber(std::string_view(up).substr(i, j - i), value);
    };
    if (numberAfter("NPTS", npts) && numberAfter("DT", dt)) return true;
    if (up.find("NPTS") == std::string::npos) return false;
    Fields fields(line);
    std::string_view a, b;
    return fields.next(a) && fields.next(b) && parseNumber(a, npts) && parseNumber(b, dt);
}

bool looksLikeAt2(std::string_view text) {
    Lines lines(text);
    std::string_view line;
    for (int i = 0; i < 4; ++i) {
        if (!lines.next(line)) return false;
    }
    return lower(std::string(line)).find("npts") != std::string::npos;
}

RawRecord readAt2(std::string_view text) {
    Lines lines(text);
    std::string_view line;
    for (int i = 0; i < 4; ++i) {
        if (!lines.next(line))
            throw RecordError("ends within the four header lines of an .AT2 file");
    }
    double npts = 0.0, dt = 0.0;
    if (!parseAt2Counts(line, npts, dt)) {
        throw RecordError("line 4 " + inQuotes(line) + " gives no NPTS and DT");
    }
    if (npts != std::floor(npts) || npts < 1 || npts > 1e9) {
        throw RecordError("line 4: NPTS is not a count of samples");
    }
    if (!std::isfinite(dt) || dt <= 0.0) throw RecordError("line 4: DT is not a time step above 0");
    RawRecord r;
    r.format = RecordFormat::At2;
    r.unit = AccelUnit::G;
    r.dt = dt;
    const auto expected = static_cast<std::size_t>(npts);
    // Every value takes at least two characters: a count beyond that is a
    // broken header, not a reason to claim the memory.
    r.samples.reserve(std::min(expected, text.size() / 2 + 1));
    while (lines.next(line)) {
        Fields fields(line);
        std::string_view field;
        while (fields.next(field)) r.samples.push_back(finiteValue(field, lines.number()));
    }
    if (r.samples.size() != expected) {
        throw RecordError("holds " + std::to_string(r.samples.size()) + " values where NPTS is " +
                          std::to_string(expected));
    }
    return r;
}

// --- text and CSV: one column (acceleration) or two (time, acceleration)

RawRecord readText(std::string_view text, const ReadSettings& settings) {
    Lines lines(text);
    std::string_view line;
    std::size_t columns = 0;
    bool header = false;
    std::vector<double> times;
    RawRecord r;
    r.format = RecordFormat::Text;
    const auto lineCount = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    r.samples.reserve(lineCount + 1);
    while (lines.next(line)) {
        if (blankOrComment(line)) continue;
        std::string_view field[3];
        double value[3] = {0.0, 0.0, 0.0};
        std::size_t count = 0;
        bool numeric = true;
        Fields fields(line);
        std::string_view f;
        while (fields.next(f)) {
            if (count < 3) {
                field[count] = f;
                if (!parseNumber(f, value[count])) numeric = false;
            }
            ++count;
        }
        if (count == 0) continue;  // separators only
        if (count > 2) {
            throw RecordError(lineText(lines.number()) + " has " + std::to_string(count) +
                              " columns; a record file has 1 (acceleration) or 2 (time and "
                              "acceleration)");
        }
        if (!numeric) {
            // One line of column names may come before the numbers.
            if (columns == 0 && !header) {
                header = true;
                continue;
            }
            for (std::size_t i = 0; i < count; ++i) finiteValue(field[i], lines.number());
        }
        if (columns == 0) {
            columns = count;
        } else if (count != columns) {
            throw RecordError(lineText(lines.number()) + " has " + std::to_string(count) +
                              (count == 1 ? " column" : " columns") +
                              " where the lines before have " + std::to_string(columns));
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (!std::isfinite(value[i])) finiteValue(field[i], lines.number());
        }
        if (columns == 2) {
            if (times.empty()) times.reserve(lineCount + 1);
            times.push_back(value[0]);
        }
        r.samples.push_back(value[columns - 1]);
    }
    if (columns == 2 && !settings.timeStepGiven) r.dt = stepOfTimes(times);
    return r;
}

// --- MAT-files

// The program's rule: the variable is the file name with ".mat" removed.
std::string variableNamedAfter(const std::string& fileName) {
    std::string name = fileName;
    for (std::size_t at; (at = lower(name).find(".mat")) != std::string::npos;) name.erase(at, 4);
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

RawRecord readMat(const std::string& path, const ReadSettings& settings) {
    std::error_code ec;
    if (!fs::exists(path, ec)) throw RecordError("no such file");
    if (fs::is_directory(path, ec)) throw RecordError("is a folder, not a record file");
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
            std::string held;
            try {
                for (const auto& [n, v] : mlfLoadStruct(path))
                    held += (held.empty() ? "" : ", ") + n;
            } catch (const Error&) {
            }
            throw RecordError(
                "holds no variable named " + inQuotes(name) +
                (held.empty() ? std::string() : " (it holds " + held + "); use --var"));
        }
        m = std::move(it->second);
    }
    const std::string what = "variable " + inQuotes(name);
    if (!m.isDouble() || m.isEmpty()) {
        throw RecordError(what + " is not a numeric matrix with samples");
    }
    RawRecord r;
    r.format = RecordFormat::Mat;
    const std::vector<double>& data = m.data();
    if (m.rows() == 1 || m.cols() == 1) {
        r.samples = data;
    } else {
        // Column 1 is time, column 2 the acceleration; further columns are
        // not read.
        const auto rows = static_cast<std::ptrdiff_t>(m.rows());
        r.samples.assign(data.begin() + rows, data.begin() + 2 * rows);
        if (!settings.timeStepGiven) {
            std::vector<double> times(data.begin(), data.begin() + rows);
            requireFinite(times, what + " time");
            r.dt = stepOfTimes(times);
        }
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

}  // namespace

bool isRecordFileName(const std::string& fileName) {
    if (fileName.empty() || fileName[0] == '.') return false;
    static const std::set<std::string> kExtensions = {".mat", ".at2", ".txt", ".csv", ".dat"};
    return kExtensions.count(lower(fs::path(fileName).extension().string())) > 0;
}

const char* formatName(RecordFormat format) {
    switch (format) {
        case RecordFormat::Mat:
            return "mat";
        case RecordFormat::At2:
            return "at2";
        case RecordFormat::Catalogue:
            return "catalogue";
        case RecordFormat::Text:
            break;
    }
    return "text";
}

std::vector<RecordSource> collectSources(const std::vector<std::string>& inputs,
                                         const std::vector<std::size_t>& catalogueRecords) {
    std::vector<RecordSource> out;
    for (const std::string& input : inputs) {
        std::error_code ec;
        if (!fs::is_directory(input, ec)) {
            out.push_back({fs::path(input).stem().string(), input, input, 0, {}});
            continue;
        }
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(input, ec)) {
            std::error_code fileEc;
            if (entry.is_regular_file(fileEc) &&
                isRecordFileName(entry.path().filename().string())) {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end(),
                  [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
        if (files.empty()) {
            RecordSource s{fs::path(input).filename().string(), input, input, 0, {}};
            s.problem = ec ? "cannot list the folder: " + ec.message()
                           : "the folder holds no record files (.mat, .at2, .txt, .csv, .dat)";
            out.push_back(std::move(s));
        }
        for (const fs::path& f : files)
            out.push_back({f.stem().string(), f.string(), f.string(), 0, {}});
    }
    const Value catalogue = catalogueCells();
    for (std::size_t k : catalogueRecords) {
        const std::string fileName = catalogue.cellAt(k + 1, 2).toText();
        out.push_back({fs::path(fileName).stem().string(),
                       "record " + std::to_string(k) + " (" + fileName + ")",
                       {},
                       k,
                       {}});
    }
    std::set<std::string> used;
    for (RecordSource& s : out) {
        if (s.name.empty()) s.name = "record";
        std::string name = s.name;
        for (int k = 2; used.count(name) > 0; ++k) name = s.name + "_" + std::to_string(k);
        used.insert(name);
        s.name = name;
    }
    return out;
}

RawRecord readRecord(const RecordSource& source, const ReadSettings& settings) {
    if (!source.problem.empty()) throw RecordError(source.problem);
    RawRecord r;
    if (source.catalogueNumber > 0) {
        r = readCatalogue(source);
    } else if (lower(fs::path(source.path).extension().string()) == ".mat") {
        r = readMat(source.path, settings);
    } else {
        const std::string whole = readWholeFile(source.path);
        std::string_view text = whole;
        // Spreadsheets start UTF-8 text with a byte order mark.
        if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        const bool at2 =
            lower(fs::path(source.path).extension().string()) == ".at2" || looksLikeAt2(text);
        r = at2 ? readAt2(text) : readText(text, settings);
    }
    if (r.samples.empty()) throw RecordError("holds no samples");
    return r;
}

double stepOfTimes(const std::vector<double>& times) {
    if (times.size() < 2) throw RecordError("has a single time, so no time step; give --dt");
    const std::size_t n = times.size();
    const double dt = (times[n - 1] - times[0]) / static_cast<double>(n - 1);
    if (!(dt > 0.0)) throw RecordError("the times do not increase; give --dt");
    if (!std::isfinite(dt)) throw RecordError("the times span more than a number can hold");
    // Times written with few decimals are off the grid by a fraction of the
    // step; a missing or repeated sample is off by a whole step.
    for (std::size_t i = 1; i < n; ++i) {
        const double expected = times[0] + static_cast<double>(i) * dt;
        if (std::fabs(times[i] - expected) > 0.05 * dt) {
            throw RecordError("the times are not evenly spaced (time " + std::to_string(i + 1) +
                              " is " + shortestText(times[i]) + " where a step of " +
                              shortestText(dt) + " gives " + shortestText(expected) +
                              "); give --dt");
        }
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.12g", dt);
    double rounded = dt;
    if (!parseNumber(text, rounded) || !(rounded > 0.0)) rounded = dt;
    return rounded;
}

}  // namespace velmora::spectra
