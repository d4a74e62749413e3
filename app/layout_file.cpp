#include "app/layout_file.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iostream>
#include <set>

#include "app/catalogue.h"
#include "engine/record_file.h"
#include "host/graphics_model.h"
#include "host/matfile.h"

namespace velmora {

namespace {

// --- what each name must hold ------------------------------------------------

using Check = std::function<std::string(const Value&)>;

bool allOf(const Value& v, const std::function<bool(double)>& ok) {
    return std::all_of(v.data().begin(), v.data().end(), ok);
}

bool isWhole(double x, double low, double high) {
    return x >= low && x <= high && x == std::floor(x);
}

bool isRatio(double x) {
    return x >= 0.0 && x <= 1.0;
}

bool isFinite(double x) {
    return std::isfinite(x);
}

std::size_t catalogueRows() {
    static const std::size_t rows = catalogueCells().rows();
    return rows;
}

std::size_t recordCount() {
    return catalogueRows() - 1;
}

std::string rowsText(std::size_t n) {
    return std::to_string(n) + " rows";
}

Check scalar(const std::string& what, const std::function<bool(double)>& ok) {
    return [what, ok](const Value& v) {
        return v.isScalar() && ok(v.toDouble()) ? std::string() : "is not " + what;
    };
}

// A row of numbers (the empty value counts as a row of none) of `least` to
// `most` elements.
Check row(const std::string& what, std::size_t least, std::size_t most,
          const std::function<bool(double)>& ok) {
    return [=](const Value& v) {
        const bool numeric = v.isDouble() || v.kind() == ValueKind::Empty;
        const bool shaped = v.isEmpty() || v.rows() == 1;
        return numeric && shaped && v.numel() >= least && v.numel() <= most && allOf(v, ok)
                   ? std::string()
                   : "is not " + what;
    };
}

Check matrix(const std::string& what, std::size_t rows, std::size_t cols,
             const std::function<bool(double)>& ok) {
    return [=](const Value& v) {
        const bool shaped =
            v.isDouble() && (rows == 0 ? v.rows() >= 1 : v.rows() == rows) && v.cols() == cols;
        return shaped && allOf(v, ok) ? std::string() : "is not " + what;
    };
}

Check textBlock() {
    return [](const Value& v) {
        return v.isChar() && v.rows() == catalogueRows()
                   ? std::string()
                   : "is not a text of " + rowsText(catalogueRows());
    };
}

bool isTextRow(const Value& v) {
    return v.isEmpty() || (v.isChar() && v.rows() <= 1);
}

bool cellOfTexts(const Value& v) {
    for (std::size_t i = 1; i <= v.numel(); ++i) {
        if (!isTextRow(v.cellAt(i))) return false;
    }
    return true;
}

bool isRecordNumber(double x) {
    return isWhole(x, 1, static_cast<double>(recordCount()));
}

std::map<std::string, Check> makeChecks() {
    const std::string records = "a whole number from 1 to " + std::to_string(recordCount());
    const std::string lines = std::to_string(catalogueRows());
    return {
        {"mat0", matrix("an N x 3 matrix of values from 0 to 1", 0, 3, isRatio)},
        {"mat1", matrix("an N x 3 matrix of values from 0 to 1", 0, 3, isRatio)},
        {"mat2", matrix("a 4 x 3 matrix of numbers", 4, 3, isFinite)},
        {"mat3", matrix("a 4 x 2 matrix of numbers", 4, 2, isFinite)},
        {"DAMP", scalar("a number from 0 to 1", isRatio)},
        {"SCALE1", scalar("a number", isFinite)},
        {"RECORD", scalar(records, isRecordNumber)},
        {"numdamp",
         scalar("a whole number from 1 to 9", [](double x) { return isWhole(x, 1, 9); })},
        {"numquakes",
         scalar("a whole number from 0 to " + std::to_string(recordCount()),
                [](double x) { return isWhole(x, 0, static_cast<double>(recordCount())); })},
        {"option", scalar("a number", isFinite)},
        {"err", scalar("a number", isFinite)},
        {"EQ_l", scalar("the number " + lines,
                        [](double x) { return x == static_cast<double>(catalogueRows()); })},
        {"damp", row("a row of 1 to 9 numbers from 0 to 1", 1, 9, isRatio)},
        {"EQ", row("a row of up to 9 record numbers (" + records + ")", 0, 9, isRecordNumber)},
        {"SCALE2", row("a row of up to " + std::to_string(recordCount()) + " numbers", 0,
                       recordCount(), isFinite)},
        {"EQ_SC",
         [](const Value& v) {
             return v.isDouble() && v.numel() == catalogueRows() &&
                            (v.rows() == 1 || v.cols() == 1) && allOf(v, isFinite)
                        ? std::string()
                        : "is not a column of " + std::to_string(catalogueRows()) + " numbers";
         }},
        {"EQ_1", textBlock()},
        {"EQ_3", textBlock()},
        {"EQ_charl",
         [](const Value& v) {
             return v.isChar() || v.isEmpty() ? std::string() : "is not a text";
         }},
        {"EQ_data",
         [](const Value& v) {
             return v.isCell() && v.rows() == catalogueRows() &&
                            v.cols() == catalogueCells().cols() && cellOfTexts(v)
                        ? std::string()
                        : "is not a " + std::to_string(catalogueRows()) + " x " +
                              std::to_string(catalogueCells().cols()) + " cell array of texts";
         }},
        {"EQ_string",
         [](const Value& v) {
             return v.isCell() && v.numel() == catalogueRows() &&
                            (v.rows() == 1 || v.cols() == 1) && cellOfTexts(v)
                        ? std::string()
                        : "is not a list of " + std::to_string(catalogueRows()) + " texts";
         }},
    };
}

const std::map<std::string, Check>& checks() {
    static const std::map<std::string, Check> table = makeChecks();
    return table;
}

// --- reading ------------------------------------------------------------------

bool isLayoutMatrix(const std::string& name) {
    return name == "mat0" || name == "mat1" || name == "mat2" || name == "mat3";
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// A wrong matrix of the layout gives way to the built-in one; a wrong start
// value leaves the variable as the program set it.
std::string consequence(const std::string& name) {
    return isLayoutMatrix(name) ? "Using the built-in value." : "Ignoring it.";
}

// One line per problem and session: the welcome window and every run read
// the file again.
void warnOnce(const std::string& problem, const std::string& consequence) {
    static std::set<std::string> warned;
    if (warned.insert(problem).second) {
        std::cout << "Warning: " << problem << " " << consequence << std::endl;
    }
}

}  // namespace

std::string layoutFilePath() {
    return dataFolder() + "/velmora_gui.mat";
}

Value builtinLayoutValue(const std::string& name) {
    if (name == "mat0") {
        // A 64-step blue-to-red colour map.
        std::vector<double> m(64 * 3);
        for (std::size_t i = 0; i < 64; ++i) {
            const double t = static_cast<double>(i) / 63.0;
            m[i] = t;
            m[64 + i] = 1.0 - std::abs(2.0 * t - 1.0);
            m[128 + i] = 1.0 - t;
        }
        return Value::matrix(64, 3, m);
    }
    if (name == "mat1") return defaultColorOrder();
    if (name == "mat2") return Value::matrix(4, 3, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1});
    if (name == "mat3") return Value::matrix(4, 2, {0, 0, 0, 0, 0, 0, 1, 1});
    return Value();
}

std::string layoutValueProblem(const std::string& name, const Value& value) {
    const auto it = checks().find(name);
    return it == checks().end() ? std::string() : it->second(value);
}

std::map<std::string, Value> readLayout(const std::vector<std::string>& names) {
    const std::string path = layoutFilePath();
    std::map<std::string, Value> found;
    std::string fileProblem;
    std::set<std::string> refused;
    try {
        found = mclLoadConditional(path, names);
    } catch (const Error& e) {
        // The file itself, or one of its variables (a structure, say)? The
        // file is read again without variables to tell, and then name by
        // name so that one bad variable costs only itself.
        try {
            mclLoadConditional(path, {});
            for (const auto& name : names) {
                try {
                    auto one = mclLoadConditional(path, {name});
                    found.insert(one.begin(), one.end());
                } catch (const Error& bad) {
                    warnOnce(bad.what(), consequence(name));
                    refused.insert(name);
                }
            }
        } catch (const Error&) {
            fileProblem = e.what();
        }
    }
    for (auto it = found.begin(); it != found.end();) {
        const std::string problem = layoutValueProblem(it->first, it->second);
        if (problem.empty()) {
            ++it;
            continue;
        }
        warnOnce(quoted(path) + ": " + quoted(it->first) + " " + problem + ".",
                 consequence(it->first));
        refused.insert(it->first);
        it = found.erase(it);
    }
    std::string missing;
    for (const char* key : {"mat0", "mat1", "mat2", "mat3"}) {
        if (std::find(names.begin(), names.end(), key) == names.end()) continue;
        if (found.count(key)) continue;
        found[key] = builtinLayoutValue(key);
        if (!refused.count(key)) missing += (missing.empty() ? "" : ", ") + quoted(key);
    }
    if (!fileProblem.empty()) {
        warnOnce(fileProblem, "Using the built-in layout.");
    } else if (!missing.empty()) {
        warnOnce(quoted(path) + " holds no " + missing + ".", "Using the built-in layout.");
    }
    return found;
}

}  // namespace velmora
